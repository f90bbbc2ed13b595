#include "comm/schedule_record.h"

namespace pelvoro {

std::vector<ScheduleRecord> LoadScheduleRecords(const IniDocument &doc, int screenIndex, int count)
{
    std::vector<ScheduleRecord> records;
    for (int page = 1; page <= count; ++page)
        records.push_back(ReadStoredSchedule(doc, screenIndex, page));
    return records;
}

} // namespace pelvoro
