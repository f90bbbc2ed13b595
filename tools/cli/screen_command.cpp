#include "screen_command.h"

#include "cli_command.h"

#include "config/config_store.h"
#include "pages/page_store.h"

namespace pelvoro::cli {

StationScreen LoadScreen(int index)
{
    StationScreen screen;
    ConfigStore store;
    LoadStation(store, screen.table, index);
    screen.index = index;
    return screen;
}

int Fail(const PageResult &result)
{
    Err(result.message);
    return kRefused;
}

} // namespace pelvoro::cli
