#include "comm/schedule_record.h"

#include "config/config_store.h"

namespace pelvoro {

std::vector<ScheduleRecord> LoadScheduleRecords(const IniDocument &doc, int screenIndex, int count)
{
    std::vector<ScheduleRecord> records;
    for (int page = 1; page <= count; ++page)
        records.push_back(ReadStoredSchedule(doc, screenIndex, page));
    return records;
}

void LoadSchedule(const IniDocument &doc, int screenIndex, int page, ScheduleRecord &record)
{
    if (page >= 1 && page <= kMaxScheduledPage)
        record = ReadStoredSchedule(doc, screenIndex, page);
}

bool SaveSchedule(ConfigStore &store, int screenIndex, int page, const ScheduleRecord &record)
{
    if (page < 1 || page > kMaxScheduledPage)
        return true;
    return store.Edit([&](IniDocument &doc) { return WriteStoredSchedule(doc, screenIndex, page, record); });
}

} // namespace pelvoro
