#pragma once

#include "comm/command_registry.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QString>

#include <optional>
#include <span>

// The character glyphs a controller draws its clock and temperature with: a fixed set of strings,
// each rendered into a cell (or a run of cells) and packed one bit per dot.
namespace pelvoro {

struct GlyphCell {
    int width = 0;  // dots
    int height = 0; // dots
    bool operator==(const GlyphCell &) const = default;
};

// The cell for a font size in points: up to 12 8 x 16, 13..18 16 x 24, 19..24 16 x 32, 25..50
// 32 x 64; nullopt above 50 or below 1.
std::optional<GlyphCell> GlyphCellFor(int pointSize);

// The sizes the glyph tab offers.
std::span<const int> GlyphPointSizes();

struct GlyphString {
    const char16_t *text;
    int cells; // image width in cells: 1 for symbols and digits, 3 for weekday names, 2 for Chinese
    QString Text() const { return QString::fromUtf16(text); }
};

// The 46 strings in the order they are sent: symbols, digits, English weekdays, Chinese words.
std::span<const GlyphString> GlyphSet();
// Where a reader of the set finds the English weekdays ("Mon" to "Sun", seven strings) and the "日"
// of the day of the month (the set holds "日" twice; the first is Sunday's).
inline constexpr int kGlyphEnglishWeekdays = 18;
inline constexpr int kGlyphDayOfMonth = 34;

// Packed size of the whole set: 81 * w * h / 8 bytes.
qsizetype GlyphSetBytes(GlyphCell cell);

// One string drawn in pure red on black from the top-left corner, without smoothing, at `pixelSize`;
// what does not fit is cut off.
QImage RenderGlyph(const QString &text, int width, int height, const QString &family, int pixelSize);

// Pixel size of a point size on the station's 96-dpi display.
int GlyphPixelSize(int pointSize);

// Renders and packs every string of the set in order: what the glyph download sends.
QByteArray RenderGlyphSet(const QString &family, int pointSize, GlyphCell cell);

// "下载字模": the whole set rendered in `family` at `pointSize` and packed into one 0xD3 frame for the
// screen, with the cell of that size; nullopt for a size without a cell (above 50 points).
std::optional<SendRequest> GlyphDownloadRequest(int screenIndex, const QString &family, int pointSize);

} // namespace pelvoro
