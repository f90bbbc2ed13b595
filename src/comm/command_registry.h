#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>

// The commands the station sends to a controller, and what the links need to know about each:
// the caption shown while sending, where the page-count byte of the exchange comes from and which
// success text and follow-up the network link gives its acknowledgement.
namespace pelvoro {

// A frame addressed to one screen: byte 0 the screen number (index + 1), byte 1 the command code,
// the command's data, and 0xAA as the last byte.
using CommandFrame = QByteArray;

inline constexpr quint8 kFrameEnd = 0xAA;

enum CommandCode : quint8 {
    kCodeScreenParams = 0xC1,
    kCodeClock = 0xC2,
    kCodeTemperature = 0xC3,
    kCodePower = 0xC4,
    kCodeSchedule = 0xC6,
    kCodeCancelSchedule = 0xC7,
    kCodeFileDownload = 0xCC,
    kCodeTimeSync = 0xCE,
    kCodeMainPages = 0xD1,
    kCodeSubtitlePages = 0xD2,
    kCodeGlyphs = 0xD3,
    kCodeTestPattern = 0xED,
};

// Selects the network link's success text and follow-up.
enum class ReplyKind : int {
    Params = 1, // also the schedule, cancel and test commands
    MainArea = 2,
    Clock = 3,
    Temperature = 4,
    Subtitle = 5,
    PowerOn = 6,
    PowerOff = 7,
    Fpga = 8, // also the glyph download
    TimeSync = 9,
    Outdoor = 10,
};

// Where the exchange's page-count byte comes from.
// FileCount: the page and subtitle frames are their files, whose page count (kPageCountOffset) is the
// exchange's.
enum class PageCountRule { Zero, FileCount };

// How a receiver knows where a frame ends; the frames carry no common length field.
enum class LengthRule {
    Fixed,        // always `fixedLength` bytes
    ScheduleList, // ScheduleFrameBytes of the page count at byte 2
    FileDownload, // the file's bytes and a fixed 8-byte tail; no length is sent
    PageFile,     // PageFileSize, from the main area's rectangle and the file's page count P
    SubtitleFile, // SubtitleFileSize, from the subtitle area's rectangle and P
    Glyphs,       // GlyphFrameBytes of 81 * w * h / 8, w and h at bytes 3 and 4
};

struct CommandSpec {
    quint8 code = 0;
    // Two commands have two forms told apart by one data byte: power (byte 3: 0 on, 1 off) and file
    // download (byte 2: 0 FPGA image, 1 outdoor configuration). -1 when the code has one form.
    int variantOffset = -1;
    int variantValue = 0;
    const char *name = "";         // English name for tools and logs
    const char16_t *caption = u""; // shown by the serial link while sending
    PageCountRule pageCount = PageCountRule::Zero;
    ReplyKind replyKind = ReplyKind::Params;
    LengthRule length = LengthRule::Fixed;
    int fixedLength = 0; // LengthRule::Fixed only

    QString Caption() const { return QString::fromUtf16(caption); }
};

// Every form of every command, in code order. No other code is sent.
std::span<const CommandSpec> CommandSpecs();

// The registry entry of a code, ignoring the variant (the first form); nullptr for a code never sent.
const CommandSpec *FindCommand(quint8 code);
// The registry entry of a whole frame, variant included; nullptr when the frame is shorter than the bytes
// that name its command or names none.
const CommandSpec *FindCommand(QByteArrayView frame);

// What every send operation hands to a link.
struct SendRequest {
    int screenIndex = 0;
    CommandFrame frame;
    QString caption;
    quint8 pageCount = 0;
    ReplyKind replyKind = ReplyKind::Params;

    // The screen number that opens the exchange and that the controller echoes.
    quint8 Address() const { return quint8(screenIndex + 1); }
    quint8 Code() const { return frame.size() > 1 ? quint8(frame[1]) : 0; }
};

// Fills caption, page count and reply kind from the registry; nullopt for a frame that names no
// registered command (or is too short to hold its page-count byte).
std::optional<SendRequest> MakeSendRequest(int screenIndex, CommandFrame frame);

} // namespace pelvoro
