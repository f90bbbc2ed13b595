#pragma once

#include <QImage>
#include <QList>

// A contact sheet of pages as a sign shows them: every dot enlarged to a round LED, lit dots in
// their own colour and unlit ones dim, on black; the pages in rows, a gap between them and each
// page's number (1-based) above it. The pages are images as they are unpacked from their rasters
// (pure red, green, yellow or black dots), so that the sheet shows what reaches the LEDs.
namespace pelvoro {

struct LedSheetLayout {
    int maxWidth = 1100; // the sheet is about this wide when the pages allow it
    int maxDotPitch = 8; // dots of small pages are enlarged at most this much
    int minDotPitch = 3; // and at least this much, however wide the page
    int pageGap = 12;    // black dots between two pages, and around the sheet
};

// The pitch (distance between two dots' centres) a page `pageWidth` dots wide gets.
int LedSheetDotPitch(int pageWidth, const LedSheetLayout &layout = {});

// The sheet of `pages`, which all have the size of the first; a null image when there are none.
QImage DrawLedSheet(const QList<QImage> &pages, const LedSheetLayout &layout = {});

} // namespace pelvoro
