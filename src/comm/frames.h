#pragma once

#include "comm/command_registry.h"
#include "comm/frame_layout.h"
#include "comm/schedule_record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <span>

// The byte layout of every frame the station sends. Builders are pure: they take the screen record,
// the file bytes, the moment taken as "now" and the label positions, and return bytes.
namespace pelvoro {

struct ScreenInfo;

// A frame built from outside data, which can be refused: an empty or damaged file, glyph bytes of
// the wrong size, a page count out of range. `error` says why, in the operator's language.
struct FrameResult {
    CommandFrame frame;
    quint8 pageCount = 0; // the exchange's page-count byte (byte 12 of a page or subtitle file)
    QString error;

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// Top-left corner of the clock or temperature sample on the screen, in dots.
struct LabelPosition {
    int x = 0;
    int y = 0;
    bool operator==(const LabelPosition &) const = default;
};

struct ClockAndTemperaturePositions {
    LabelPosition clock;
    LabelPosition temperature;
};

// Where the preview puts its clock and temperature samples, and so what the controller is told:
// the left edges by the alignment rule for the clock text of `now`, the top edge of both from the
// area stacking.
ClockAndTemperaturePositions SamplePositions(const ScreenInfo &screen, const QDateTime &now);

// 1 red, 2 green, 3 yellow as the module sees them: the colour index + 1, red and green exchanged
// on modules of type 1.
quint8 ColourCode(int colourIndex, int moduleType);

// 0xC1, 12 bytes: width and height high byte first.
CommandFrame BuildParamFrame(int screenIndex, const ScreenInfo &screen);
// 0xC2, 29 bytes: the clock's settings, the time of `now` in BCD, the position low byte first.
CommandFrame BuildClockFrame(int screenIndex, const ScreenInfo &screen, LabelPosition clock, const QDateTime &now);
// 0xC3, 15 bytes.
CommandFrame BuildTempFrame(int screenIndex, const ScreenInfo &screen, LabelPosition temperature);
// 0xCE, 11 bytes: second, minute, hour, day, month, weekday (Sunday 0), two-digit year, all BCD.
CommandFrame BuildTimeSyncFrame(int screenIndex, const QDateTime &now);
// 0xC4, 5 bytes: data 0x00 switches the screen on, 0x01 off.
CommandFrame BuildPowerFrame(int screenIndex, bool on);
// 0xED, 5 bytes; pattern 1..8, 0 ends the test.
CommandFrame BuildTestFrame(int screenIndex, quint8 pattern);
// 0xC7, 4 bytes.
CommandFrame BuildCancelScheduleFrame(int screenIndex);

// 0xC6, 4 + 23 * P bytes: one entry per page 1..P from its schedule; fields of a window that does
// not apply are 0xFF. Refused unless 1 <= P <= 255.
FrameResult BuildScheduleFrame(int screenIndex, std::span<const ScheduleRecord> pages);
// The 23-byte entry of page k.
QByteArray ScheduleEntry(int page, const ScheduleRecord &schedule);

// 0xCC, V + 13 bytes: sub-kind 0 FPGA image, 1 outdoor configuration; the file as it stands and
// the fixed tail. Refused for an empty file or another sub-kind.
FrameResult BuildImageFrame(int screenIndex, int subKind, QByteArrayView file);

// 0xD1: the page file is the frame, byte for byte; the page count is its byte 12. The file is
// checked against its own layout (header, code, a size that agrees with the rectangle, the page
// count and the colour depth, the trailer) so that a damaged file is refused instead of leaving a
// controller waiting for bytes that never come.
FrameResult LoadMainFrame(QByteArrayView file, int colourMode);
// 0xD2: the subtitle file with byte 13 (the move style) sent as 0x20 for style 0 and 0x01 for any
// other; the file itself is not changed. Checked like the page file.
FrameResult LoadSubtitleFrame(QByteArrayView file, int colourMode);

// 0xD3, 6 + 81 * w * h / 8 bytes: 0x51, w, h, the packed glyphs. Refused when the glyph bytes are
// not exactly 81 * w * h / 8 or w, h are not 1..255.
FrameResult BuildGlyphFrame(int screenIndex, int width, int height, QByteArrayView glyphs);
qsizetype GlyphBytes(int width, int height);

// Where a frame ends, from its first bytes: what a receiver needs, since no length travels with
// every frame. `colourMode` (0 single, 1 dual) is needed for the page and subtitle files, whose
// rasters are sized by the screen's colour depth.
struct FrameExtent {
    enum Status {
        NeedMore,     // `length` bytes of the frame's start are needed to decide
        Known,        // the frame is `length` bytes long
        EndsWithTail, // file download: it ends with kFileDownloadTail, at least kMinFileFrame bytes
        Invalid,      // the start names no frame that could be received; `error` says why
    };
    Status status = NeedMore;
    qint64 length = 2;
    QString error;
};
// No frame a controller can hold comes near this; a header claiming more is damaged.
inline constexpr qint64 kMaxFrameBytes = qint64(64) * 1024 * 1024;
FrameExtent ProbeFrameExtent(QByteArrayView start, int colourMode);
// Whether `frame` is exactly one whole frame by that rule, ending in 0xAA.
bool IsWholeFrame(QByteArrayView frame, int colourMode);

// The area rectangle of a page or subtitle file (bytes 4..11, low byte first).
struct AreaRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};
AreaRect ReadAreaRect(QByteArrayView frame); // the frame must hold at least 12 bytes
// Bytes of one page of a w x h area: w * h / 8 single colour, w * h / 4 dual colour.
qint64 AreaPageBytes(int width, int height, int colourMode);

} // namespace pelvoro
