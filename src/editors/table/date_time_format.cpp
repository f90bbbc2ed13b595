#include "editors/table/date_time_format.h"

#include <QDate>
#include <QList>

namespace pelvoro {

namespace {

constexpr int kMaxFieldDigits = 4;
constexpr int kCenturyOfShortYears = 2000;

// The numbers of `text` split at each of `separators`; nullopt when a field is not a number of
// 1 … kMaxFieldDigits digits (blanks around it allowed). An empty list for blanks and separators only.
std::optional<QList<QString>> Fields(const QString &text, const QString &separators)
{
    bool onlyMask = true;
    for (QChar c : text) {
        if (!c.isSpace() && !separators.contains(c))
            onlyMask = false;
    }
    if (onlyMask)
        return QList<QString>();
    QList<QString> fields;
    QString current;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !separators.contains(text[i])) {
            current += text[i];
            continue;
        }
        const QString field = current.trimmed();
        current.clear();
        if (field.isEmpty() || field.size() > kMaxFieldDigits)
            return std::nullopt;
        for (QChar c : field) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        fields.append(field);
    }
    return fields;
}

} // namespace

std::optional<QString> FormatDateText(const QString &text)
{
    const auto fields = Fields(text, QStringLiteral("/-."));
    if (!fields)
        return std::nullopt;
    if (fields->isEmpty())
        return QString();
    if (fields->size() != 3)
        return std::nullopt;
    int year = (*fields)[0].toInt();
    if ((*fields)[0].size() <= 2)
        year += kCenturyOfShortYears;
    const QDate date(year, (*fields)[1].toInt(), (*fields)[2].toInt());
    if (!date.isValid() || year < 1)
        return std::nullopt;
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

std::optional<QString> FormatTimeText(const QString &text)
{
    const auto fields = Fields(text, QStringLiteral(":"));
    if (!fields)
        return std::nullopt;
    if (fields->isEmpty())
        return QString();
    if (fields->size() < 2 || fields->size() > 3)
        return std::nullopt;
    const int hours = (*fields)[0].toInt();
    const int minutes = (*fields)[1].toInt();
    const int seconds = fields->size() == 3 ? (*fields)[2].toInt() : 0;
    if (hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

} // namespace pelvoro
