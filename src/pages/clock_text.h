#pragma once

#include "config/screen_info.h"

#include <QColor>
#include <QDateTime>
#include <QString>

// The clock and temperature samples as the controller draws them: their text, their width in dots
// (8 per one-byte character, 16 per two-byte character, the controller's 16-dot glyphs) and their
// left edges on the screen.
namespace pelvoro {

struct ClockSample {
    QString text;
    int width = 0; // dots
};

ClockSample ClockText(const ScreenInfo &screen, const QDateTime &now);

// " 25℃" or " 25℉"; the controller reserves 40 dots for it.
QString TemperatureSample(const ScreenInfo &screen);
inline constexpr int kTemperatureWidth = 40;

struct ClockPlacement {
    int clockLeft = 0;
    int temperatureLeft = 0; // meaningful only when the screen has a temperature area
};

ClockPlacement PlaceClockAndTemperature(const ScreenInfo &screen, int clockWidth);

// Colour of the preview's samples: 0 red, 1 green, 2 yellow.
QColor SampleColour(int colourIndex);

} // namespace pelvoro
