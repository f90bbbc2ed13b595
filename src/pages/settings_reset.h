#pragma once

#include "config/screen_info.h"

#include <vector>

// What follows when a screen's size, colour depth or controller changed: its stored pages were
// drawn for the old parameters, so its areas and the files holding those pages go. The settings
// dialog does it on closing for every screen it marked; the command-line tool when it sets one of
// those fields.
namespace pelvoro {

// Empties the four area slots, gives the main, clock and subtitle areas their 16 dots back and
// deletes the screen's page file and subtitle data file where they exist. Returns false when a file
// exists but could not be deleted, or another writer holds the directory; the record is reset
// either way.
bool ResetScreenForNewSettings(ScreenInfo &screen, int index);

struct ChangedScreensReset {
    std::vector<int> screens; // the indexes reset, ascending
    bool filesOk = true;      // every file that had to go is gone
};
// Resets every screen 0..LastIndex whose SettingsChanged is set; the flags stay as they are.
ChangedScreensReset ResetChangedScreens(ScreenTable &table);

} // namespace pelvoro
