#include "pages/area_operations.h"

#include "config/schedule_sections.h"
#include "pages/data_files.h"

namespace pelvoro {

AreaOperationResult AreaOperations::Add(int screen, AreaKind kind)
{
    AreaOperationResult result;
    result.outcome = AddAreaToScreen(table_[screen], kind, &result.refusal);
    if (result.outcome != AddAreaOutcome::Added)
        return result;
    result.filesOk = DeleteScreenDataFiles(screen);
    result.saved = store_.SaveScreens(table_, table_.LastIndex);
    return result;
}

AreaOperationResult AreaOperations::Remove(int screen, AreaKind kind, int pageCount)
{
    AreaOperationResult result;
    ScreenInfo &info = table_[screen];
    if (!RemoveAreaFromScreen(info, kind))
        return result;
    result.removed = true;
    result.filesOk = DeleteScreenDataFiles(screen);
    bool saved = true;
    if (CategoryOf(kind) == AreaCategory::Main)
        saved = EraseSchedules(store_, screen, pageCount);
    result.saved = store_.SaveScreens(table_, table_.LastIndex) && saved;
    return result;
}

} // namespace pelvoro
