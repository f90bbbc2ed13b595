#pragma once

#include <QImage>
#include <QString>

// Broken strokes in LED glyphs, measured: a character drawn at an LED size that falls into more
// 8-connected pieces than the same character drawn four times larger has lost a stroke somewhere
// (strokes that merely touch at the small size only remove pieces).
namespace pelvoro {

// The 8-connected pieces of the image's lit pixels (any colour but black, or any alpha on a
// transparent image).
int CountPieces(const QImage &image);

struct StrokeCheck {
    int ledPieces = 0;       // at the LED size
    int referencePieces = 0; // at four times that size
    bool Broken() const { return ledPieces > referencePieces; }
};

// `character` in the station's drawing face for the Windows face name `face` (as page text is
// drawn: no smoothing, full hinting), at `pixelSize` and at four times it.
StrokeCheck CheckStrokes(const QString &character, const QString &face, int pixelSize);

} // namespace pelvoro
