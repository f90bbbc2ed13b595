#pragma once

#include "config/screen_info.h"
#include "pages/data_files.h" // StoredSubtitlePageCount: the count the subtitle list shows
#include "pages/page_store.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <optional>

// A screen's subtitle strip is kept in two files in the application's directory:
//
// "TavrelTitle<n>.dat", the pages, which is also the payload of "发送字幕" and is sent as it stands:
//
//   0      screen number (index + 1)
//   1      0xD2, the controller's code for subtitle data
//   2      AreaFlags of the screen when the file was created
//   3      0
//   4..11  subtitle area left, top, right, bottom, 16-bit little-endian
//   12     P, the page count
//   13..16 SubtitleEntry, one for all pages: move style, reserved, speed, dwell
//   17     P rasters of SubPageBytes bytes each
//   last   trailer 0xAA
//
// "TavrelTitle<n>.txt", the subtitle text as one piece of GBK text without a line end, so that it
// can be edited and converted again.
//
// Every function enters the application's directory first. A missing file is not an error (status
// NoFile). A file that is not exactly what its header declares for the screen (CheckAreaFile) is
// reported as damaged and left alone. Every change replaces the file atomically.
namespace pelvoro {

// The head is the page file's, through the page count at kPageCountOffset.
inline constexpr qsizetype kSubtitleHeaderBytes = kPageHeaderBytes;
inline constexpr qsizetype kSubtitleEntryOffset = kSubtitleHeaderBytes;
inline constexpr qsizetype kSubtitleEntryBytes = 4;
inline constexpr qsizetype kSubtitleRasterOffset = kSubtitleEntryOffset + kSubtitleEntryBytes;
inline constexpr char kSubtitleFileCode = char(0xD2);
inline constexpr char kSubtitleTrailer = char(0xAA);
inline constexpr int kMaxSubtitleSpeed = 50;
inline constexpr int kMaxSubtitleDwell = 255;

// Move styles.
inline constexpr int kScrollLeft = 0;  // "向左连移", continuous scroll to the left
inline constexpr int kPrintAtRest = 1; // "静止打出", each page printed at rest

// The attributes shared by all subtitle pages of a screen. Speed and dwell are stored as they are.
struct SubtitleEntry {
    int style = kScrollLeft;
    int reserved = 0; // 0 in new files unless read otherwise; carried over by every rewrite
    int speed = 0;    // 0..50
    int dwell = 0;    // 0..255

    bool operator==(const SubtitleEntry &) const = default;
};

// Each field becomes one byte (values outside 0..255 are clamped).
std::array<char, kSubtitleEntryBytes> EncodeSubtitleEntry(const SubtitleEntry &entry);
SubtitleEntry DecodeSubtitleEntry(const char *bytes);

// The operator edits one attribute at a time, and each edit writes the whole entry: a new move style
// keeps the other values; a new speed is written with dwell 1, a new dwell with speed 5.
enum class SubtitleEdit { Style, Speed, Dwell };
SubtitleEntry EditedSubtitleEntry(const SubtitleEntry &current, SubtitleEdit edit, int value);

// Bytes of one subtitle page: W * TitleHeight / 8 on a single-colour screen, / 4 on a dual-colour
// one; 0 for any other colour mode or a strip without dots.
qsizetype SubPageBytes(const ScreenInfo &screen);
// Pages a conversion may fill: MaxTitlePages of the screen (kMaxStoredPages at most), 0 when the
// strip cannot be stored at all.
int SubtitleCapacity(const ScreenInfo &screen);
// "最多可编辑" + capacity + "页内容".
QString SubtitleLimitMessage(const ScreenInfo &screen);
// 17 + pages * subPageBytes + 1.
qsizetype SubtitleFileSize(qsizetype subPageBytes, int pages);

// The 13 bytes that start a new file: screen number, 0xD2, AreaFlags, 0, the subtitle area's
// rectangle as AreaStacking places it, page count 0.
QByteArray NewSubtitleHeader(const ScreenInfo &screen, int screenIndex);

// The entry and page count of a screen's file, for the panel and the command-line tool. The whole
// file (header, entry and every raster) must be there.
struct SubtitleState : PageResult {
    int pageCount = 0;
    SubtitleEntry entry;
};
SubtitleState ReadSubtitleState(const ScreenTable &table, int screenIndex);

// Page `page` (1-based) decoded into a W x TitleHeight image (pure red, green, yellow and black),
// with the file's entry.
struct SubtitleRead : PageResult {
    int pageCount = 0;
    SubtitleEntry entry;
    QImage image;
};
SubtitleRead ReadSubtitlePage(const ScreenTable &table, int screenIndex, int page);

// Overwrites bytes 13..16 with `entry`; the file keeps its size. Nothing is done without a file
// (NoFile); a damaged file is reported and not touched.
PageResult WriteSubtitleEntry(const ScreenTable &table, int screenIndex, const SubtitleEntry &entry);

// Deletes the subtitle file ("删除全部字幕页" and a new conversion start here).
PageResult RemoveSubtitleFile(int screenIndex);
// Deletes the subtitle text and the subtitle file, where they exist.
PageResult DeleteSubtitleFiles(int screenIndex);

// Writes `text` to the subtitle text file in GBK, without a line end, replacing the file.
PageResult SaveSubtitleText(int screenIndex, const QString &text);
// The subtitle text with any line ends dropped (its lines joined); nothing when there is no text
// file or it cannot be read.
std::optional<QString> ReadSubtitleText(int screenIndex);

} // namespace pelvoro
