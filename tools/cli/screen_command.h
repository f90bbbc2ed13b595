#pragma once

#include "config/screen_info.h"

// What the commands on one screen's page or subtitle files share.
namespace pelvoro {
struct PageResult;
} // namespace pelvoro

namespace pelvoro::cli {

// The station's screen table as it starts (LoadStation), with screen `index` current.
struct StationScreen {
    ScreenTable table;
    int index = 0;
};
StationScreen LoadScreen(int index);

// The system's message for a result that did nothing or failed, on stderr; the refusal exit code.
int Fail(const PageResult &result);

} // namespace pelvoro::cli
