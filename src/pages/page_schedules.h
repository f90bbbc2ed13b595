#pragma once

#include <QList>
#include <QString>

#include <array>
#include <functional>

// The playback schedules of main-area pages as the page store sees them: they live in
// SysConfig.ini, one section per page number ("0号屏1页定时参数"), so they have to follow their
// pages when pages are deleted, and the page list shows a summary of each.
namespace pelvoro {

class ConfigStore;
class IniDocument;

inline constexpr int kMaxScheduledPage = 255; // only pages 1..255 have sections

// One page's schedule. "无日期限制" and "无时间限制" store whether the window APPLIES (1 = the page
// is limited to it), whatever their names suggest.
struct StoredSchedule {
    int kind = 0;                   // "有效类型", carried along unchanged
    std::array<bool, 7> weekdays{}; // Monday first
    bool dateLimited = false;
    bool timeLimited = false;
    int startYear = 6; // two digits
    int startMonth = 1;
    int startDay = 1;
    int startHour = 0;
    int startMinute = 0;
    int startSecond = 0;
    int endYear = 6;
    int endMonth = 1;
    int endDay = 1;
    int endHour = 0;
    int endMinute = 0;
    int endSecond = 0;

    bool HasSchedule() const;
    bool operator==(const StoredSchedule &) const = default;
};

// The section's values, missing keys taking the defaults above. Pages outside 1..255 have no
// section and read as the defaults.
StoredSchedule ReadStoredSchedule(const IniDocument &doc, int screenIndex, int page);

// Writes, key by key in the stored order, each field that differs from what the section holds now
// (there a missing key counts as 0, a missing year as 6, a missing boolean as false). Returns true
// when anything was written; pages outside 1..255 write nothing.
bool WriteStoredSchedule(IniDocument &doc, int screenIndex, int page, const StoredSchedule &schedule);

// Sets in `stored` the fields in which `edited` differs from `shown`: an editor that showed a schedule
// writes only what its operator changed onto the schedule as it is stored now.
void ApplyScheduleChanges(const StoredSchedule &shown, const StoredSchedule &edited, StoredSchedule &stored);

// One page's schedule changed as a single step under the directory's lock: the page has to be in the
// screen's page file as it stands then, and `edit` changes the schedule as stored then, so that
// neither another writer's change of the same schedule nor a page deleted in between (which shifts
// the schedules) is written over.
struct ScheduleEditResult {
    QString error;           // for the operator; empty on success
    StoredSchedule schedule; // as stored afterwards
    bool Ok() const { return error.isEmpty(); }
};
ScheduleEditResult EditPageSchedule(ConfigStore &store, int screenIndex, int page,
                                    const std::function<void(StoredSchedule &)> &edit);

// Before page `page` of a screen listing `count` pages is deleted: the schedules of the following
// pages move down by one and the section of the last page is erased (only that page's section
// when it is the last). Returns true when the document changed.
bool ShiftSchedulesForDeletedPage(IniDocument &doc, int screenIndex, int page, int count);

// The summary shown in the page list, e.g. "从24-03-05 08:00:00 到 24-12-31 18:30:00 周一周五".
QString ScheduleSummary(const StoredSchedule &schedule);

// A node of the page list: "数据页" + k, followed by " （" + summary + "）" when the page has a
// schedule; `scheduled` picks the node's picture (1 with a schedule, 0 without).
struct PageListNode {
    QString text;
    bool scheduled = false;
};
PageListNode MakePageListNode(int page, const StoredSchedule &schedule);
// The nodes of pages 1..count of a screen.
QList<PageListNode> PageListNodes(const IniDocument &doc, int screenIndex, int count);

} // namespace pelvoro
