#include "config/schedule_sections.h"

#include "base/gbk.h"
#include "config/config_store.h"

namespace pelvoro {

QString ScheduleSectionName(int screenIndex, int page)
{
    return QString::number(screenIndex) + QStringLiteral("号屏") + QString::number(page) + QStringLiteral("页定时参数");
}

bool EraseSchedules(ConfigStore &store, int screenIndex, int count)
{
    if (count < 1 || count > 255)
        return true;
    return store.Edit([&](IniDocument &doc) {
        bool changed = false;
        for (int page = 1; page <= count; ++page)
            changed |= doc.RemoveSection(ToGbk(ScheduleSectionName(screenIndex, page)));
        return changed;
    });
}

} // namespace pelvoro
