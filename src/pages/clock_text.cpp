#include "pages/clock_text.h"

#include "config/area_layout.h"

namespace pelvoro {
namespace {

enum Part { kYear, kMonth, kDay, kWeekday, kHour, kMinute, kSecond };

class Builder {
public:
    void Add(const QString &text)
    {
        sample_.text += text;
        for (QChar c : text)
            sample_.width += c.unicode() < 0x80 ? 8 : 16;
    }
    ClockSample Take() { return std::move(sample_); }

private:
    ClockSample sample_;
};

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

ClockSample ClockText(const ScreenInfo &screen, const QDateTime &now)
{
    static const char16_t *const chineseDays[] = {u"星期日", u"星期一", u"星期二", u"星期三",
                                                  u"星期四", u"星期五", u"星期六"};
    static const char *const westernDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const QDate date = now.date();
    const QTime time = now.time();
    const int weekday = date.dayOfWeek() % 7; // Sunday first
    const auto shown = [&](Part part) { return screen.ClockParts[size_t(part)]; };
    Builder b;
    bool f = false;
    if (screen.ClockFormat == 0) {
        if (shown(kYear)) {
            b.Add(QString::number(date.year()) + QStringLiteral("年"));
            f = true;
        }
        if (shown(kMonth)) {
            b.Add(TwoDigits(date.month()) + QStringLiteral("月"));
            f = true;
        }
        if (shown(kDay)) {
            b.Add(TwoDigits(date.day()) + QStringLiteral("日"));
            f = true;
        }
        if (shown(kWeekday)) {
            if (f)
                b.Add(QStringLiteral(" "));
            b.Add(QString::fromUtf16(chineseDays[weekday]));
            f = true;
        }
        if (shown(kHour)) {
            if (f) {
                b.Add(QStringLiteral(" "));
                f = false;
            }
            b.Add(TwoDigits(time.hour()) + QStringLiteral("时"));
        }
        if (shown(kMinute)) {
            if (f)
                b.Add(QStringLiteral(" "));
            b.Add(TwoDigits(time.minute()) + QStringLiteral("分"));
        }
        if (shown(kSecond)) {
            if (f)
                b.Add(QStringLiteral(" "));
            b.Add(TwoDigits(time.second()) + QStringLiteral("秒"));
        }
        return b.Take();
    }
    if (shown(kYear)) {
        b.Add(QString::number(date.year()));
        f = true;
    }
    if (shown(kMonth)) {
        if (f)
            b.Add(QStringLiteral("-"));
        b.Add(TwoDigits(date.month()));
        f = true;
    }
    if (shown(kDay)) {
        if (f)
            b.Add(QStringLiteral("-"));
        b.Add(TwoDigits(date.day()));
        f = true;
    }
    if (shown(kWeekday)) {
        if (f)
            b.Add(QStringLiteral(" "));
        b.Add(QLatin1String(westernDays[weekday]));
        f = true;
    }
    if (shown(kHour)) {
        if (f)
            b.Add(QStringLiteral(" "));
        b.Add(TwoDigits(time.hour()) + QStringLiteral(":"));
        f = false;
    }
    if (shown(kMinute)) {
        b.Add(TwoDigits(time.minute()));
        f = true;
    }
    if (shown(kSecond)) {
        if (f)
            b.Add(QStringLiteral(":"));
        b.Add(TwoDigits(time.second()));
    }
    return b.Take();
}

QString TemperatureSample(const ScreenInfo &screen)
{
    return screen.TempFormat == 0 ? QStringLiteral(" 25℃") : QStringLiteral(" 25℉");
}

ClockPlacement PlaceClockAndTemperature(const ScreenInfo &screen, int cw)
{
    const int w = screen.Width;
    const bool temperature = HasTemperature(screen);
    const bool clock = HasClock(screen);
    constexpr int tw = kTemperatureWidth;
    ClockPlacement p;
    switch (screen.ClockAlign) {
    case 0:
        p.clockLeft = 0;
        p.temperatureLeft = clock ? (w - cw >= tw ? cw : w - tw) : 0;
        break;
    case 1:
        if (temperature)
            p.clockLeft = w > cw + tw ? (w - cw - tw) / 2 : 0;
        else
            p.clockLeft = w > cw ? (w - cw) / 2 : 0;
        p.temperatureLeft = clock ? (w - cw - p.clockLeft >= tw ? p.clockLeft + cw : w - tw) : (w - tw) / 2;
        break;
    default:
        if (temperature)
            p.clockLeft = w > cw + tw ? w - cw - tw : 0;
        else
            p.clockLeft = w > cw ? w - cw : 0;
        p.temperatureLeft = clock ? (w - cw - p.clockLeft >= tw ? p.clockLeft + cw : w - tw) : w - tw;
        break;
    }
    return p;
}

QColor SampleColour(int colourIndex)
{
    switch (colourIndex) {
    case 0:
        return QColor(255, 0, 0);
    case 1:
        return QColor(0, 255, 0);
    default:
        return QColor(255, 255, 0);
    }
}

} // namespace pelvoro
