#pragma once

#include "config/area_layout.h"
#include "config/config_store.h"
#include "pages/data_files.h"

namespace pelvoro {

struct AreaOperationResult {
    AddAreaOutcome outcome = AddAreaOutcome::Added; // for removals: Added means "done"
    AreaRefusal refusal; // the system's message when refused (also another writer kept the directory)
    bool removed = false;                           // a removal found the area
    bool filesOk = true;                            // the screen's data files could be deleted
    bool saved = true;                              // SysConfig.ini was written
    QString error;                                  // why the files could not be replaced
    ScreenPageCounts deleted;                       // the stored pages the screen-level reset deleted
};

// What an add or a removal would do, known before it is done so that the station can ask first.
struct AreaChangeEffect {
    bool proceeds = false;   // the change would be made: not refused, not already present, the area found
    ScreenPageCounts pages;  // the stored pages the screen-level reset would delete
    // The part of `pages` that is not the removed area's own content: what the operator did not
    // ask to lose (all of it when an area is added).
    ScreenPageCounts unasked;
};

// Adding and removing areas of one screen, with everything that follows from it outside the
// windows: the screen-level reset of its data files, the schedules of a removed main area and the
// save of the configuration. The station and the command-line tool both go through here.
class AreaOperations {
public:
    AreaOperations(ScreenTable &table, ConfigStore &store) : table_(table), store_(store) {}

    AreaOperationResult Add(int screen, AreaKind kind);
    // `pageCount` is the number of pages listed for the screen, whose schedules go with the main area.
    AreaOperationResult Remove(int screen, AreaKind kind, int pageCount);

    // The same without changing anything.
    AreaChangeEffect PreviewAdd(int screen, AreaKind kind) const;
    AreaChangeEffect PreviewRemove(int screen, AreaKind kind) const;

private:
    ScreenTable &table_;
    ConfigStore &store_;
};

} // namespace pelvoro
