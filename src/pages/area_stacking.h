#pragma once

#include "config/screen_info.h"

namespace pelvoro {

// Where the areas of a screen lie: stacked from row 0 downward in the order of the four slots. The
// rectangles in the page and subtitle files and the clock and temperature positions sent to the
// controller all come from here.
struct AreaPlacement {
    bool hasMain = false;
    int mainTop = 0;
    bool hasTitle = false;
    int titleTop = 0;
    int clockTop = 0; // top row of the clock and temperature samples (fixed band or overlay)
};

AreaPlacement AreaStacking(const ScreenInfo &screen);

} // namespace pelvoro
