#pragma once

#include "sim/controller_card.h"

#include <QImage>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// What a simulated card keeps, as files, and what its screen shows.
//
// Layout of a state directory: one folder per screen number, "screen1" ... "screen64" (a broadcast
// frame is kept under the screen number it carries). In it, the last frame received of each kind,
// byte for byte as it came over the wire, header and 0xAA included:
//   params.bin       0xC1 screen parameters
//   clock.bin        0xC2 clock area settings and time
//   temperature.bin  0xC3 temperature area settings
//   timesync.bin     0xCE time synchronisation
//   power.bin        0xC4 power on / off
//   test.bin         0xED test pattern (pattern 0 ends the test)
//   schedule.bin     0xC6 timed play list (removed by 0xC7)
//   pages.dat        0xD1 main-area pages (the station's page file)
//   subtitle.dat     0xD2 subtitle pages (move style as sent: 0x20 or 0x01)
//   glyphs.bin       0xD3 character glyphs
//   fpga.bin         0xCC sub-kind 0, FPGA image
//   outdoor.bin      0xCC sub-kind 1, outdoor configuration
// and
//   time.bin         the card's clock as last set: 7 BCD bytes s, m, h, day, month, weekday, year
//   state.json       all of it decoded (sizes, settings, page entries, schedules, the clock)
//   screen.png       with snapshots on: what the screen shows, one pixel per LED
namespace pelvoro {

// Writes the folder of one screen number (files of empty slots are removed). Returns false and
// sets *error on the first file that cannot be written.
bool SaveCardScreen(const QString &dir, int address, const CardScreenMemory &screen, QString *error = nullptr);
// Reads every screen folder of `dir` into `memory`, so that a card keeps its memory across runs.
// A file that is not one whole frame of its kind is skipped and named in *warnings.
void LoadCardMemory(const QString &dir, CardMemory &memory, QStringList *warnings = nullptr);
QString CardScreenFolder(const QString &dir, int address);

// The decoded content of a screen's memory (what state.json holds).
QJsonObject DescribeCardScreen(int address, const CardScreenMemory &screen);

// What the screen shows, one pixel per LED, in the LEDs' colours: black when switched off; the test
// pattern while a test runs; otherwise page 1 of the main area and of the subtitle at their
// rectangles, the clock (its text at the time the card's clock was last set, not running) and the
// temperature sample " 25℃" or " 25℉" at their positions, drawn with the downloaded glyphs when
// there are any, else with a plain 16-dot (32-dot for a tall clock) font. `moduleType` 1 means the
// module swaps red and green, as the station assumes when it packs rasters and colour codes for it.
// A single-colour screen shows red only. Null image when the screen's size is unknown.
QImage RenderCardScreen(const CardScreenMemory &screen, int moduleType);

} // namespace pelvoro
