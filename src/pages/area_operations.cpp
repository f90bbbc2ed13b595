#include "pages/area_operations.h"

#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "config/schedule_sections.h"
#include "pages/data_files.h"

#include <QFileInfo>

namespace pelvoro {
namespace {

// The record, the data files and the configuration change under one lock; another writer's turn,
// or a configuration that cannot be read, is refused with nothing changed.
AreaOperationResult Refused(const QString &message)
{
    AreaOperationResult result;
    result.outcome = AddAreaOutcome::Refused;
    result.refusal = AreaRefusal{message, true};
    return result;
}

// The screen's changed fields (and, for a removed main area, its page schedules erased) staged
// with the removal of its data files, then committed as a unit.
bool Commit(ConfigStore &store, const ScreenInfo &info, int screen, int erasedSchedules, AreaOperationResult *result)
{
    FileSetUpdate update;
    StageScreenDataFilesRemoval(screen, update);
    const auto edit = [&](IniDocument &doc) {
        const bool erased = EraseScheduleSections(doc, screen, erasedSchedules);
        return WriteScreenChanges(doc, screen, info, ReadScreen(doc, screen)) || erased;
    };
    if (!store.Stage(edit, update)) {
        result->error = store.LastError();
        return false;
    }
    return update.Commit(&result->error);
}

} // namespace

AreaChangeEffect AreaOperations::PreviewAdd(int screen, AreaKind kind) const
{
    AreaChangeEffect effect;
    ScreenInfo changed = table_[screen];
    effect.proceeds = AddAreaToScreen(changed, kind) == AddAreaOutcome::Added;
    if (effect.proceeds) {
        effect.pages = StoredPages(screen);
        effect.unasked = effect.pages;
    }
    return effect;
}

AreaChangeEffect AreaOperations::PreviewRemove(int screen, AreaKind kind) const
{
    AreaChangeEffect effect;
    ScreenInfo changed = table_[screen];
    effect.proceeds = RemoveAreaFromScreen(changed, kind);
    if (!effect.proceeds)
        return effect;
    effect.pages = StoredPages(screen);
    effect.unasked = effect.pages;
    // The pages of the area taken away go with it by the operator's own choice.
    if (CategoryOf(kind) == AreaCategory::Main)
        effect.unasked.main = 0;
    if (CategoryOf(kind) == AreaCategory::Title)
        effect.unasked.subtitle = 0;
    return effect;
}

AreaOperationResult AreaOperations::Add(int screen, AreaKind kind)
{
    AreaOperationResult result;
    const DirectoryLock lock(QFileInfo(store_.Path()).absolutePath());
    if (!lock.Locked())
        return Refused(lock.Error());
    if (const QString unreadable = store_.ReadError(); !unreadable.isEmpty())
        return Refused(unreadable);
    result.outcome = AddAreaToScreen(table_[screen], kind, &result.refusal);
    if (result.outcome != AddAreaOutcome::Added)
        return result;
    result.deleted = StoredPages(screen);
    result.saved = Commit(store_, table_[screen], screen, 0, &result);
    result.filesOk = result.saved;
    if (!result.saved)
        result.deleted = {};
    return result;
}

AreaOperationResult AreaOperations::Remove(int screen, AreaKind kind, int pageCount)
{
    AreaOperationResult result;
    const DirectoryLock lock(QFileInfo(store_.Path()).absolutePath());
    if (!lock.Locked())
        return Refused(lock.Error());
    if (const QString unreadable = store_.ReadError(); !unreadable.isEmpty())
        return Refused(unreadable);
    if (!RemoveAreaFromScreen(table_[screen], kind))
        return result;
    result.removed = true;
    result.deleted = StoredPages(screen);
    const int erased = CategoryOf(kind) == AreaCategory::Main ? pageCount : 0;
    result.saved = Commit(store_, table_[screen], screen, erased, &result);
    result.filesOk = result.saved;
    if (!result.saved)
        result.deleted = {};
    return result;
}

} // namespace pelvoro
