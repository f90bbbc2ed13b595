#pragma once

#include "pages/page_schedules.h"

#include <vector>

// The playback schedules the timed play list carries, one per page number, as SysConfig.ini holds
// them.
namespace pelvoro {

class ConfigStore;
class IniDocument;

// One page's schedule: weekdays (Monday first), whether the date window and the time window apply,
// and the two-digit year, month, day, hour, minute and second of both ends.
using ScheduleRecord = StoredSchedule;

// The schedules of pages 1..count of a screen; pages without a section get the defaults (no
// window, no weekday).
std::vector<ScheduleRecord> LoadScheduleRecords(const IniDocument &doc, int screenIndex, int count);

// Reads page k's section into `record` (missing keys take the defaults); for a page outside
// 1..255 the record stays as it is.
void LoadSchedule(const IniDocument &doc, int screenIndex, int page, ScheduleRecord &record);

// Writes the keys of page k's section that differ from `record`, in their stored order; the file
// is replaced only when one did. Pages outside 1..255 write nothing. Returns false when the file
// could not be written (the store says why).
bool SaveSchedule(ConfigStore &store, int screenIndex, int page, const ScheduleRecord &record);

} // namespace pelvoro
