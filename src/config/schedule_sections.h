#pragma once

#include <QString>

namespace pelvoro {

class ConfigStore;

// Section of page k's playback schedule on screen index s: "0号屏1页定时参数".
QString ScheduleSectionName(int screenIndex, int page);

// Erases the schedule sections of pages 1..count of a screen (only pages 1..255 have sections).
bool EraseSchedules(ConfigStore &store, int screenIndex, int count);

} // namespace pelvoro
