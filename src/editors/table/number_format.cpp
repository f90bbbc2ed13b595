#include "editors/table/number_format.h"

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pelvoro {

namespace {

// More decimals than a double carries are never shown.
constexpr int kMaxDecimals = 18;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Sign, digits with at most one decimal point (at least one digit), an optional exponent.
bool IsPlainNumber(const QByteArray &s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    int digits = 0;
    while (i < n && IsDigit(s[i]))
        ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        int exponentDigits = 0;
        while (i < n && IsDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

std::optional<double> ParseNumber(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return std::nullopt;
    }
    QByteArray ascii = text.toLatin1();
    if (!IsPlainNumber(ascii))
        return std::nullopt;
    if (ascii.startsWith('+'))
        ascii.remove(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    if (error != std::errc() || end != ascii.constData() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Fixed-point digits with `decimals` places, the integer part grouped when asked; "-" only in
// front of a value that does not round to zero.
QString FixedPoint(double value, int decimals, bool grouped)
{
    QString digits = QString::number(std::fabs(value), 'f', decimals);
    const qsizetype point = digits.indexOf(kDecimalPoint);
    QString whole = point < 0 ? digits : digits.left(point);
    const QString fraction = point < 0 ? QString() : digits.mid(point);
    if (grouped) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, kThousandsSeparator);
    }
    bool allZero = true;
    for (QChar c : digits) {
        if (c != u'0' && c != kDecimalPoint)
            allZero = false;
    }
    return (value < 0 && !allZero ? QStringLiteral("-") : QString()) + whole + fraction;
}

} // namespace

std::optional<QString> FormatNumberText(const QString &text, const NumberFormat &format)
{
    QString plain = text;
    plain.remove(kThousandsSeparator);
    plain = plain.trimmed();
    if (plain.isEmpty() || plain == u"-" || plain == u"0." || plain == u"0")
        return QString();
    const std::optional<double> value = ParseNumber(plain);
    if (!value)
        return std::nullopt;
    if (*value == 0 && format.zeroNull)
        return QString();
    const int decimals = std::clamp(format.decLength, 0, kMaxDecimals);
    QString result = FixedPoint(*value, decimals, format.thousandSep);
    if (!format.trailingZero && result.contains(kDecimalPoint)) {
        while (result.endsWith(u'0'))
            result.chop(1);
        if (result.endsWith(kDecimalPoint))
            result.chop(1);
    }
    return result.trimmed();
}

} // namespace pelvoro
