#pragma once

#include <QString>

#include <array>

namespace pelvoro {

inline constexpr int kMaxScreens = 64;
inline constexpr int kAreaSlots = 4;
inline constexpr int kClockPartCount = 7; // year, month, day, weekday, hour, minute, second

// The values of ScreenInfo::CommMode, stored and shown as numbers.
inline constexpr int kCommModeRs232 = 0;
inline constexpr int kCommModeRs485 = 1;
inline constexpr int kCommModeNetwork = 2;

inline const QString kCardNormal = QStringLiteral("Normal");
inline const QString kCardZpKq = QStringLiteral("ZP-KQ/TQ");

// One screen's parameters. A value-initialised record holds zeros and empty strings, as records
// above LastIndex do; DefaultScreenInfo() gives what a missing section loads as.
struct ScreenInfo {
    QString CardType;
    int CommMode = kCommModeRs232;
    int ComPort = 0;
    int BaudIndex = 0; // 0 9600, 1 28800, 2 57600, 3 115200
    QString IpAddress;
    int IpPort = 0;
    int ColorMode = 0; // 0 single colour, 1 dual colour
    int ModuleType = 0;
    int Width = 0;
    int Height = 0;
    int LineOrder = 0;
    int DataFlow = 0;
    QString ScreenName;
    std::array<QString, kAreaSlots> Areas;
    int MainHeight = 0;
    int ClockFormat = 0;
    std::array<bool, kClockPartCount> ClockParts{};
    int ClockAlign = 0;
    int ClockColor = 0;
    int ClockX = 0;
    int ClockY = 0;
    int ClockHeight = 0;
    int TempFormat = 0;
    int TempColor = 0;
    int TempX = 0;
    int TempY = 0;
    int TitleHeight = 0;
    bool SettingsChanged = false;
    bool TimerSwitch = false;
    int MaxEditPages = 0;
    bool SendSelected = false;
    // Set by the settings dialog for the current run only; never stored.
    int DataMirror = 0;
    int DataPolarity = 0;
    int OePolarity = 0;

    bool operator==(const ScreenInfo &) const = default;
};

ScreenInfo DefaultScreenInfo();

// The working copy of all screen parameters.
struct ScreenTable {
    std::array<ScreenInfo, kMaxScreens> screens{};
    int LastIndex = 0;
    int CurrentScreen = 0;

    ScreenInfo &operator[](int i) { return screens[size_t(i)]; }
    const ScreenInfo &operator[](int i) const { return screens[size_t(i)]; }
    int Count() const { return LastIndex + 1; }
};

// What a controller can hold. The main-area budgets are raster bytes per card type, the subtitle
// budget is the same on both; the page count byte of a stored file never goes above kMaxStoredPages.
inline constexpr qint64 kNormalMainBudget = 1441792;
inline constexpr qint64 kZpKqMainBudget = 458752;
inline constexpr qint64 kSubtitleBudget = 131072;
inline constexpr int kMaxStoredPages = 254;

// The main-area budget of a card type; 0 for a card type that is neither of the two.
qint64 MainAreaBudget(const QString &cardType);

// Storage capacity of a screen's controller. MaxPages is 0 for an unknown card type, which blocks
// adding pages to a screen whose configuration is damaged; MaxTitlePages is 0, not -1, when not even
// one subtitle page fits.
int MaxPages(const ScreenInfo &screen);
int MaxTitlePages(const ScreenInfo &screen);

// Clamps a screen count minus one into 0..63.
int ClampLastIndex(int value);

} // namespace pelvoro
