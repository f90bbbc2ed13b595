#pragma once

#include "pages/page_schedules.h"

#include <vector>

// The playback schedules the timed play list carries, one per page number, as SysConfig.ini holds
// them.
namespace pelvoro {

class IniDocument;

// One page's schedule: weekdays (Monday first), whether the date window and the time window apply,
// and the two-digit year, month, day, hour, minute and second of both ends.
using ScheduleRecord = StoredSchedule;

// The schedules of pages 1..count of a screen; pages without a section get the defaults (no
// window, no weekday).
std::vector<ScheduleRecord> LoadScheduleRecords(const IniDocument &doc, int screenIndex, int count);

} // namespace pelvoro
