#pragma once

#include "cli_command.h"

#include "comm/frames.h"

// The frame of a KIND and its options, shared by the frame and send commands.
namespace pelvoro {
struct ScreenInfo;
class ConfigStore;
} // namespace pelvoro

namespace pelvoro::cli {

// Builds the frame of `kind` for screen `index` from the options that follow the kind, consuming
// them; throws UsageError for an unknown kind, a bad or left-over option. `screen` is the screen's
// record as loaded (the "param" options set its settings-dialog values). A refusal (a missing,
// unreadable or damaged file) comes back with `error` holding the whole message to show.
FrameResult BuildCliFrame(const QString &kind, CliArgs &options, ConfigStore &store, ScreenInfo &screen, int index);

// The KIND lines of the help texts.
QString FrameKindsHelp();

} // namespace pelvoro::cli
