#pragma once

#include "comm/command_registry.h"
#include "pages/page_store.h"
#include "pages/subtitle_store.h"

#include <QtGlobal>

#include <array>

// Where every field of the frames the station sends lies: the frame builders write through these
// names and the simulated card reads through them. Offsets count from the frame's first byte; a
// field of several bytes is named by its first one.
namespace pelvoro {

// ---- every frame: screen number (index + 1), command code, data, 0xAA -----------------------------

inline constexpr int kFrameAddress = 0;
inline constexpr int kFrameCode = 1;
inline constexpr int kFrameEndBytes = 1;
// Most frames count the data bytes after the count field up to, not including, the end marker: a
// one-byte count here, or a two-byte one (high byte first) where a frame names its own.
inline constexpr int kFrameCount = 2;
// The shortest frame (cancel schedules): address, code, count and end.
inline constexpr int kMinFrameBytes = 4;

// The seven clock fields, in the order the clock and time-synchronisation frames carry them, as
// BCD values and as the clock's shown flags.
inline constexpr int kTimeSecond = 0;
inline constexpr int kTimeMinute = 1;
inline constexpr int kTimeHour = 2;
inline constexpr int kTimeDay = 3;
inline constexpr int kTimeMonth = 4;
inline constexpr int kTimeWeekday = 5; // Sunday 0
inline constexpr int kTimeYear = 6;    // two digits
inline constexpr int kTimeBytes = 7;
// ScreenInfo::ClockParts runs year, month, day, weekday, hour, minute, second: the part of each
// field above.
inline constexpr std::array<int, kTimeBytes> kClockPartOfField = {6, 5, 4, 2, 1, 3, 0};

// Bits of the area flags byte (AreaFlags) in the clock, temperature, page and subtitle frames.
inline constexpr quint8 kAreasClock = 0x01;
inline constexpr quint8 kAreasTemperature = 0x02;

// Colour codes of the clock and temperature frames, as the module sees them.
inline constexpr quint8 kColourCodeRed = 1;
inline constexpr quint8 kColourCodeGreen = 2;
inline constexpr quint8 kColourCodeYellow = 3;

// ---- 0xC1 screen parameters (one-byte count) ------------------------------------------------------

inline constexpr int kParamFrameWidth = 3;   // high byte first
inline constexpr int kParamFrameHeight = 5;  // high byte first
inline constexpr int kParamFrameColours = 7; // ColorMode + 1
inline constexpr int kParamFrameSignals = 8; // mirror, data flow, data polarity and OE polarity packed
inline constexpr int kParamFrameLineOrder = 9;
inline constexpr int kParamFrameDataFlow = 10;
inline constexpr int kParamFrameBytes = 12;

// ---- 0xC2 clock area settings and time ------------------------------------------------------------

inline constexpr int kClockFrameAreas = 2;
inline constexpr int kClockFrameCount = 3; // two bytes, high first
inline constexpr int kClockFrameTall = 5;  // 0 for a 16-dot clock, 1 for any other height
inline constexpr int kClockFrameFormat = 6;
inline constexpr int kClockFrameColour = 7;
inline constexpr int kClockFrameShown = 8; // kTimeBytes flags, 1 shown
inline constexpr int kClockFrameTime = 15; // kTimeBytes BCD values
inline constexpr int kClockFrameX = 22;    // low byte first
inline constexpr int kClockFrameY = 24;    // low byte first; two zero bytes follow
inline constexpr int kClockFrameBytes = 29;

// ---- 0xC3 temperature area settings ---------------------------------------------------------------

inline constexpr int kTempFrameAreas = 2;
inline constexpr int kTempFrameCount = 3; // two bytes, high first
inline constexpr int kTempFrameTall = 5;  // the clock's height flag, also here
inline constexpr int kTempFrameFormat = 6;
inline constexpr int kTempFrameColour = 7;
inline constexpr int kTempFrameX = 8;  // low byte first
inline constexpr int kTempFrameY = 10; // low byte first; two zero bytes follow
inline constexpr int kTempFrameBytes = 15;

// ---- 0xCE time synchronisation (one-byte count) ---------------------------------------------------

inline constexpr int kTimeSyncFrameTime = 3; // kTimeBytes BCD values
inline constexpr int kTimeSyncFrameBytes = 11;

// ---- 0xC4 power, 0xED test pattern, 0xC7 cancel schedules (one-byte count) ------------------------

inline constexpr int kPowerFrameState = 3;
inline constexpr quint8 kPowerOn = 0;
inline constexpr quint8 kPowerOff = 1;
inline constexpr int kPowerFrameBytes = 5;

inline constexpr int kTestFramePattern = 3;
inline constexpr int kTestFrameBytes = 5;
enum TestPattern : quint8 {
    kTestEnd = 0, // "退出测试"
    kTestBlack,
    kTestYellow,
    kTestRed,
    kTestGreen,
    kTestRisingLines,  // "正斜线"
    kTestFallingLines, // "负斜线"
    kTestGrid,
    kTestCrossedLines,
};

inline constexpr int kCancelScheduleFrameBytes = kMinFrameBytes;

// ---- 0xC6 timed play list: the page count P at kFrameCount, P entries, the end marker ------------

inline constexpr int kScheduleFrameEntries = 3;
inline constexpr int kScheduleEntryBytes = 23;
constexpr qint64 ScheduleFrameBytes(qint64 pages)
{
    return kScheduleFrameEntries + kScheduleEntryBytes * pages + kFrameEndBytes;
}
// Inside an entry. A field without its window, and the weekdays when none is ticked, are kNoWindow.
inline constexpr quint8 kNoWindow = 0xFF;
inline constexpr int kScheduleEntryPage = 0;
inline constexpr int kScheduleEntryStartTime = 2; // second, minute, hour (the time window's fields)
inline constexpr int kScheduleEntryStartDate = 5; // day, month, kNoWindow, year (the date window's)
inline constexpr int kScheduleEntryEndTime = 9;
inline constexpr int kScheduleEntryEndDate = 12;
inline constexpr int kScheduleEntryWeekdays = 16; // Monday first, seven flags
inline constexpr int kWindowSecond = 0;
inline constexpr int kWindowMinute = 1;
inline constexpr int kWindowHour = 2;
inline constexpr int kWindowDay = 0;
inline constexpr int kWindowMonth = 1;
inline constexpr int kWindowYear = 3;

// ---- 0xCC file download: sub-kind, two zero bytes, the file, the fixed tail ----------------------

inline constexpr int kFileFrameKind = 2;
inline constexpr quint8 kFileKindFpga = 0;
inline constexpr quint8 kFileKindOutdoor = 1;
inline constexpr int kFileFrameData = 5;
// Ends the frame (0xAA included): no length travels with a download.
inline constexpr quint8 kFileDownloadTail[] = {0x05, 0x00, 0x12, 0x25, 0x12, 0x01, 0x05, kFrameEnd};
constexpr qint64 FileFrameBytes(qint64 fileBytes)
{
    return kFileFrameData + fileBytes + qint64(sizeof kFileDownloadTail);
}
inline constexpr qint64 kMinFileFrame = FileFrameBytes(1);

// ---- 0xD3 character glyphs -----------------------------------------------------------------------

inline constexpr int kGlyphFrameCells = 2; // the cells of the whole set, always kGlyphCells
inline constexpr quint8 kGlyphCells = 81;
inline constexpr int kGlyphFrameWidth = 3; // of one cell, in dots
inline constexpr int kGlyphFrameHeight = 4;
inline constexpr int kGlyphFrameData = 5;
constexpr qint64 GlyphFrameBytes(qint64 glyphBytes)
{
    return kGlyphFrameData + glyphBytes + kFrameEndBytes;
}

// ---- 0xD1 main-area pages, 0xD2 subtitle pages ---------------------------------------------------
// The page and subtitle files as they stand, so their layout is the files' own: the head at
// kDataFile*Offset and kPageCountOffset (pages/page_store.h), the subtitle entry at
// kSubtitleEntryOffset (pages/subtitle_store.h). The subtitle frame differs from its file in one
// byte, the move style, the entry's first.
inline constexpr qsizetype kSubtitleFrameStyle = kSubtitleEntryOffset;
inline constexpr quint8 kSentScrollLeft = 0x20; // for the stored style kScrollLeft
inline constexpr quint8 kSentOtherStyle = 0x01; // for any other

static_assert(kDataFileScreenOffset == kFrameAddress && kDataFileCodeOffset == kFrameCode);

} // namespace pelvoro
