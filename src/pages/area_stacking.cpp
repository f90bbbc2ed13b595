#include "pages/area_stacking.h"

#include "config/area_layout.h"

namespace pelvoro {

AreaPlacement AreaStacking(const ScreenInfo &screen)
{
    AreaPlacement placement;
    bool bandPlaced = false;
    int y = 0;
    for (const QString &slot : screen.Areas) {
        const auto kind = AreaKindFromText(slot);
        if (!kind)
            continue;
        switch (*kind) {
        case AreaKind::FixedClock:
        case AreaKind::FixedTemperature:
            // A fixed clock and a fixed temperature share one 16-row band.
            if (!bandPlaced) {
                placement.clockTop = y;
                y += 16;
                bandPlaced = true;
            }
            break;
        case AreaKind::Main:
            placement.hasMain = true;
            placement.mainTop = y;
            y += screen.MainHeight;
            break;
        case AreaKind::SmallTitle:
        case AreaKind::BigTitle:
            placement.hasTitle = true;
            placement.titleTop = y;
            y += screen.TitleHeight;
            break;
        case AreaKind::PictureClock:
        case AreaKind::PictureTemperature:
            break;
        }
    }
    // Picture kinds are drawn over the main area, else over the subtitle, else at the top.
    if (!bandPlaced)
        placement.clockTop = placement.hasMain ? placement.mainTop : placement.hasTitle ? placement.titleTop : 0;
    return placement;
}

} // namespace pelvoro
