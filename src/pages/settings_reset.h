#pragma once

#include "base/atomic_file.h"
#include "config/screen_info.h"

#include <QString>

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

// The screens a closing settings dialog resets: those marked SettingsChanged whose pages no longer
// fit, measured against `opened`, the records as the dialog found them. A screen whose size, colour
// and controller are as they were (only its link changed, or a size was put back) keeps its pages;
// a screen added in the dialog has no record there and is reset when marked.
std::vector<int> ScreensToReset(const ScreenTable &table, const std::vector<ScreenInfo> &opened);

// Resets `screens` (the flags stay as they are).
void ResetScreens(ScreenTable &table, const std::vector<int> &screens, FileSetUpdate &update);

// The question asked before resetting `screens` deletes stored pages, naming each screen with its
// main-area and subtitle page counts; empty when no stored page would go.
QString ResetDeletesPagesQuestion(const std::vector<int> &screens);

} // namespace pelvoro
