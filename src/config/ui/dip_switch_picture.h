#pragma once

#include "config/screen_settings.h"

#include <QImage>
#include <QPoint>

// The DIP-switch block of a controller card as the settings dialog shows it: eight switches side by
// side, labelled P0..P5, B0 and B1 below, "ON" above the row; a switch's lever sits in the upper
// half when it is on and in the lower half when it is off.
namespace pelvoro {

QImage DrawDipSwitches(const DipSwitches &on);

// The centre of switch `i`'s lever in the picture, on or off: where the lever's colour shows.
QPoint DipLeverCentre(int i, bool on);

inline constexpr QRgb kDipLeverColour = 0xffffffff; // white lever in a dark slot
inline constexpr QRgb kDipSlotColour = 0xff303030;

} // namespace pelvoro
