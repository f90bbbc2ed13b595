#include "config/screen_info.h"

namespace pelvoro {

ScreenInfo DefaultScreenInfo()
{
    ScreenInfo s;
    s.CardType = kCardNormal;
    s.CommMode = kCommModeRs485;
    s.ComPort = 1;
    s.BaudIndex = 3;
    s.IpAddress = QStringLiteral("192.168.0.7");
    s.IpPort = 1024;
    s.ColorMode = 1;
    s.ModuleType = 0;
    s.Width = 256;
    s.Height = 128;
    s.ScreenName = QStringLiteral("显示屏");
    s.MainHeight = 16;
    s.ClockParts.fill(true);
    s.ClockAlign = 2;
    s.ClockColor = 2;
    s.ClockHeight = 16;
    s.TempColor = 2;
    s.TitleHeight = 16;
    s.MaxEditPages = 1;
    return s;
}

qint64 MainAreaBudget(const QString &cardType)
{
    if (cardType == kCardNormal)
        return kNormalMainBudget;
    if (cardType == kCardZpKq)
        return kZpKqMainBudget;
    return 0;
}

int MaxPages(const ScreenInfo &screen)
{
    const qint64 w = screen.Width;
    const qint64 h = screen.Height;
    if (h == 0)
        return kMaxStoredPages;
    const qint64 budget = MainAreaBudget(screen.CardType);
    if (budget == 0)
        return 0;
    const qint64 pageBytes = (w * h / 8) * (screen.ColorMode + 1);
    if (pageBytes <= 0)
        return kMaxStoredPages; // a zero-width screen holds no bytes per page; nothing limits it
    const qint64 q = budget / pageBytes;
    return q <= kMaxStoredPages ? int(q) : kMaxStoredPages;
}

int MaxTitlePages(const ScreenInfo &screen)
{
    const qint64 t = screen.TitleHeight;
    if (t == 0)
        return kMaxStoredPages;
    const qint64 pageBytes = (qint64(screen.Width) * t / 8) * (screen.ColorMode + 1);
    if (pageBytes <= 0)
        return kMaxStoredPages;
    const qint64 q = kSubtitleBudget / pageBytes;
    if (q > kMaxStoredPages)
        return kMaxStoredPages;
    // A strip too big for a single page would give -1; no pages fit.
    return q > 0 ? int(q - 1) : 0;
}

int ClampLastIndex(int value)
{
    if (value >= kMaxScreens)
        return kMaxScreens - 1;
    if (value < 0)
        return 0;
    return value;
}

} // namespace pelvoro
