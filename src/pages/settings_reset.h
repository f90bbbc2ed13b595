#pragma once

#include "base/atomic_file.h"
#include "config/screen_info.h"

#include <vector>

// What follows when a screen's size, colour depth or controller changed: its stored pages were
// drawn for the old parameters, so its areas and the files holding those pages go. The settings
// dialog does it on closing for every screen it marked; the command-line tool when it sets one of
// those fields.
namespace pelvoro {

// Empties the four area slots, gives the main, clock and subtitle areas their 16 dots back and adds
// the removal of the screen's page file and subtitle data file to `update`, which the caller commits
// together with the saved screen: a crash leaves the old screen with its files or the new one
// without them.
void ResetScreenForNewSettings(ScreenInfo &screen, int index, FileSetUpdate &update);

// Resets every screen 0..LastIndex whose SettingsChanged is set (the flags stay as they are) and
// returns the indexes reset, ascending.
std::vector<int> ResetChangedScreens(ScreenTable &table, FileSetUpdate &update);

} // namespace pelvoro
