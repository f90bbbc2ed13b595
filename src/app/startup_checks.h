#pragma once

#include <QLockFile>

#include <memory>

namespace pelvoro {

class Prompt;

// The station starts only on a configuration it can read. Defaults taken for an unreadable
// SysConfig.ini would size the page files wrongly and go out to the signs, so the operator is told
// the file's name and the system's reason, and the station does not start. A missing file is
// fine: the station starts with the defaults and writes them.
bool ConfigReadableForStart(Prompt &prompt);

// Name of the lock a running station holds in its application's directory. The lock each write
// takes (base/directory_lock.h) has a name of its own, so the command-line tool's commands go on
// beside a running station.
inline constexpr char kStationLockName[] = ".pelvoro-station.lock";

// One station per application directory: two would each keep their own picture of the files and
// write over each other's changes. Takes the station's lock into `held`, to be kept for the whole
// run; a lock left by a station that died is taken over. When a live station holds the directory,
// the operator is told the folder and that station's process, and the result is false: the
// station does not start. A directory that cannot carry a lock file (read-only) does not keep the
// station from starting; `held` stays empty then.
bool HoldStationDirectory(Prompt &prompt, std::unique_ptr<QLockFile> &held);

} // namespace pelvoro
