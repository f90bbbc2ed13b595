#pragma once

#include "config/screen_info.h"

#include <QString>

#include <vector>

// Saving the screens' settings, as the settings dialog saves them on closing and the command-line
// tool's "set" saves them: one unit, under the directory's lock.
namespace pelvoro {

class ConfigStore;

struct ScreenSettingsSaved {
    QString error; // the operator's message; empty when everything was saved
    bool Ok() const { return error.isEmpty(); }
};

// Writes the screen count (`table.LastIndex`) and the changed fields of screens 0..LastIndex, erases
// the sections of the screens from LastIndex + 1 up to `erasedUpTo` (screens removed), and clears
// the screens in `reset` for their new settings (areas, heights, page and subtitle files): all of it
// replaced as one unit, so a crash or a failure leaves the old state whole. On success the screens
// count as saved in `store`; on failure `table` keeps the operator's values, reset screens included.
ScreenSettingsSaved SaveScreenSettings(ScreenTable &table, ConfigStore &store, const std::vector<int> &reset,
                                       int erasedUpTo = -1);

} // namespace pelvoro
