#pragma once

#include <QtGlobal>

namespace pelvoro {

// The largest SysConfig.ini (and project file, its copy) the station can have written: 64 screens
// with 255 page schedules of 22 keys each come to about 8 MB with the screens' own sections. A
// larger file is damaged and is refused before it is read.
inline constexpr qint64 kMaxConfigFileBytes = 16LL * 1024 * 1024;

} // namespace pelvoro
