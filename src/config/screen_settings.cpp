#include "config/screen_settings.h"

#include "config/screen_fields.h"

namespace pelvoro {
namespace {

const char *const kBaudRates[] = {"9600", "28800", "57600", "115200"};

} // namespace

std::optional<CardLimits> LimitsOfCard(const QString &cardType)
{
    if (cardType == kCardNormal)
        return CardLimits{};
    if (cardType == kCardZpKq)
        return CardLimits{3, 64, 1024, 16, 192, 128, true};
    return std::nullopt;
}

CardLimits DamagedCardLimits()
{
    CardLimits limits;
    limits.baudCount = 3;
    return limits;
}

QStringList BaudRateNames(const CardLimits &limits)
{
    QStringList names;
    for (int i = 0; i < limits.baudCount && i < int(std::size(kBaudRates)); ++i)
        names.append(QString::fromLatin1(kBaudRates[i]));
    return names;
}

bool ApplyJointLimit(int &width, int &height, SizeChange changed)
{
    if (width <= kJointMaxWidth || height <= kJointMaxHeight)
        return false;
    if (changed == SizeChange::Width)
        height = kJointMaxHeight;
    else
        width = kJointMaxWidth;
    return true;
}

QString PixelLimitLabel(const CardLimits &limits)
{
    return QStringLiteral("最大控制点数：%1K象素点").arg(limits.kiloPixels);
}

QString MaxPagesLabel(const ScreenInfo &screen)
{
    return QStringLiteral("最大存储页数：%1页").arg(MaxPages(screen));
}

QString CurrentPixelsLabel(const ScreenInfo &screen)
{
    return QStringLiteral("当前显示象素：%1K").arg(qint64(screen.Width) * screen.Height / 1024);
}

DipSwitches DipSwitchesOf(int index, int baudIndex)
{
    DipSwitches on{};
    for (int bit = 0; bit < 6; ++bit)
        on[size_t(bit)] = (index >> bit) & 1;
    on[6] = baudIndex == 1 || baudIndex == 3;
    on[7] = baudIndex == 2 || baudIndex == 3;
    return on;
}

QString DipSwitchName(int i)
{
    return i < 6 ? QStringLiteral("P%1").arg(i) : QStringLiteral("B%1").arg(i - 6);
}

std::optional<int> ParseComPortText(const QString &text, QString *error)
{
    QString kept;
    for (QChar c : text) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.'))
            kept.append(c);
    }
    // The field table owns the range of a port number; a "." never makes a whole number.
    const auto value = ParseFieldText(*FindScalarField(QStringLiteral("ComPort")), kept, nullptr);
    if (!value) {
        if (error)
            *error = QStringLiteral("“%1”不是有效的串口！").arg(text);
        return std::nullopt;
    }
    return std::get<int>(*value);
}

bool PagesStillFit(const ScreenInfo &before, const ScreenInfo &after)
{
    return before.Width == after.Width && before.Height == after.Height && before.ColorMode == after.ColorMode
           && before.CardType == after.CardType;
}

std::optional<QString> CardLimitViolation(const ScreenInfo &screen, bool sizeGiven, bool baudGiven)
{
    const auto known = LimitsOfCard(screen.CardType);
    const CardLimits limits = known.value_or(DamagedCardLimits());
    if (baudGiven && (screen.BaudIndex < 0 || screen.BaudIndex >= limits.baudCount))
        return QStringLiteral("BaudIndex: %1 controllers offer 0..%2").arg(screen.CardType).arg(limits.baudCount - 1);
    if (!sizeGiven)
        return std::nullopt;
    if (screen.Width < limits.minWidth || screen.Width > limits.maxWidth)
        return QStringLiteral("Width: %1 is outside %2..%3 for %4 controllers")
            .arg(screen.Width)
            .arg(limits.minWidth)
            .arg(limits.maxWidth)
            .arg(screen.CardType);
    if (screen.Height < limits.minHeight || screen.Height > limits.maxHeight)
        return QStringLiteral("Height: %1 is outside %2..%3 for %4 controllers")
            .arg(screen.Height)
            .arg(limits.minHeight)
            .arg(limits.maxHeight)
            .arg(screen.CardType);
    if (screen.Width > kJointMaxWidth && screen.Height > kJointMaxHeight)
        return QStringLiteral("Width and Height: %1 x %2 is beyond %3 x %4; one of them must stay within")
            .arg(screen.Width)
            .arg(screen.Height)
            .arg(kJointMaxWidth)
            .arg(kJointMaxHeight);
    return std::nullopt;
}

} // namespace pelvoro
