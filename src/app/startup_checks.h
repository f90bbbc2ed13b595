#pragma once

namespace pelvoro {

class Prompt;

// The station starts only on a configuration it can read. Defaults taken for an unreadable
// SysConfig.ini would size the page files wrongly and go out to the signs, so the operator is told
// the file's name and the system's reason, and the station does not start. A missing file is
// fine: the station starts with the defaults and writes them.
bool ConfigReadableForStart(Prompt &prompt);

} // namespace pelvoro
