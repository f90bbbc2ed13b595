#pragma once

#include <QDateTime>
#include <QString>

#include <array>

// The timing-counter groups ("计时") that may accompany a screen in SysConfig.ini. The station only
// reads them: no control edits them, no command carries them, and nothing here writes them, so
// files made elsewhere keep their sections as they are.
namespace pelvoro {

class ConfigStore;
class IniDocument;

inline constexpr int kCounterGroups = 8;

// One group; the date and time default to the PC clock at the moment of reading.
struct CounterGroup {
    bool enabled = false; // "计时使能"
    int page = 0;         // "页号"
    int mode = 0;         // "模式"
    int way = 0;          // "方式"
    int colour = 1;       // "颜色"
    int startX = 0;       // "起始横坐标"
    int startY = 0;       // "起始纵坐标"
    int second = 0;       // "秒"
    int minute = 0;       // "分钟"
    int hour = 0;         // "小时"
    int day = 0;          // "日"
    int month = 0;        // "月"
    int weekday = 0;      // "星期", 1 = Sunday ... 7 = Saturday
    int year = 0;         // "年", four digits

    bool operator==(const CounterGroup &) const = default;
};

// The groups of the current screen, one table for the whole main window.
struct CounterTable {
    int count = 0; // "<s>号屏计时组数" of "全局参数"; read, but every group is read whatever it says
    std::array<CounterGroup, kCounterGroups> groups{};
};

// Section of group k (0..7) of screen index s: "0号屏0组计时参数".
QString CounterSectionName(int screenIndex, int group);

// The count and all eight groups of screen s, missing keys taking the defaults with `now` for the
// date and time.
CounterTable ReadCounters(const IniDocument &doc, int screenIndex, const QDateTime &now);

// Overwrites `table` with screen s's groups, the date and time defaults from the PC clock now.
void LoadCounters(const ConfigStore &store, int screenIndex, CounterTable &table);

} // namespace pelvoro
