#pragma once

#include "pages/area_stacking.h"
#include "pages/data_file_io.h"
#include "pages/subtitle_store.h"

#include <QByteArray>

// Whole page and subtitle files as the station writes them for a screen, for tests that need valid
// data files without converting pictures. `fill` marks the rasters so that two files differ.
namespace pelvoro::test {

inline QByteArray PageFileOf(const ScreenInfo &screen, int screenIndex, int pages, char fill = 0)
{
    QByteArray bytes = NewAreaFileHeader(screen, screenIndex, kPageFileCode, AreaStacking(screen).mainTop,
                                         screen.MainHeight);
    bytes[kPageCountOffset] = char(pages);
    bytes += QByteArray(pages * kPageEntryBytes, '\1') + QByteArray(pages * PageBytes(screen), fill);
    return bytes + kPageTrailer;
}

inline QByteArray SubtitleFileOf(const ScreenInfo &screen, int screenIndex, int pages, char fill = 0)
{
    QByteArray bytes = NewSubtitleHeader(screen, screenIndex);
    bytes[kPageCountOffset] = char(pages);
    bytes += QByteArray(kSubtitleEntryBytes, '\1') + QByteArray(pages * SubPageBytes(screen), fill);
    return bytes + kSubtitleTrailer;
}

} // namespace pelvoro::test
