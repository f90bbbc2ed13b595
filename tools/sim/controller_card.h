#pragma once

#include "comm/exchange.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

// A controller card as the station sees it from the wire, without the wire: it is fed the bytes the
// station sends and returns the bytes a card answers, and keeps what it received. The simulator
// puts it behind a TCP port or a pseudo-terminal; tests feed it directly.
//
// How it finds its way through the byte stream without the parity bit (a pseudo-terminal does not
// carry it): between exchanges the card waits for a preamble, two equal bytes that are a screen
// number (1..64) or the broadcast address 0xBB; any other byte there is stray and discarded. A
// "ZP-KQ/TQ" card then takes four more preamble bytes. After the preamble the card expects a frame:
// a screen number followed by a command code. Codes are 0xC1 and above and screen numbers at most
// 64, so a frame start can never be mistaken for a preamble; two equal address bytes there mean
// the station gave up on the frame and opened a new exchange. Inside a frame the card counts bytes:
// it knows each frame's length from the frame's own first bytes (the registry's length rule), and
// the file download, which carries no length, ends with its fixed 8-byte tail.
namespace pelvoro {

// What a card keeps for one screen number: the last frame received of each kind.
enum class CardSlot {
    Params,
    Clock,
    Temperature,
    TimeSync,
    Power,
    Test,
    Schedule,
    Pages,
    Subtitle,
    Glyphs,
    Fpga,
    Outdoor,
};
inline constexpr int kCardSlotCount = 12;
// File name of a slot in a screen's state folder ("params.bin", "pages.dat", ...).
QString CardSlotFileName(CardSlot slot);
// The slot a frame goes to; nullopt for a frame that clears a slot (cancel) or names no command.
std::optional<CardSlot> CardSlotOf(QByteArrayView frame);

struct CardScreenMemory {
    std::array<QByteArray, kCardSlotCount> slots;
    // The card's clock as last set, by the clock frame or the time synchronisation: seconds, minutes,
    // hours, day, month, weekday and two-digit year, BCD.
    QByteArray time;

    QByteArray &operator[](CardSlot slot) { return slots[size_t(slot)]; }
    const QByteArray &operator[](CardSlot slot) const { return slots[size_t(slot)]; }
    bool Empty() const;
    // Whether the slot holds one whole frame of its kind (what the decoders rely on).
    bool Holds(CardSlot slot) const;

    // From the screen parameters: nullopt until they were received.
    std::optional<int> ColourMode() const; // 0 single, 1 dual
    int Width() const;
    int Height() const;
    bool PoweredOff() const;
    int TestPattern() const; // 0 when no test runs
    // The clock as last set; invalid when never set or not a date.
    QDateTime ClockTime() const;
};

// Everything a card (or several transports of one simulated card) keeps, per screen number.
class CardMemory {
public:
    // Stores a whole frame under a screen number (the cancel command drops the timed play list).
    // Returns false, keeping nothing, for bytes that are not one whole frame of a known command.
    bool Apply(int address, const QByteArray &frame);
    CardScreenMemory &Screen(int address) { return screens_[address]; }
    const CardScreenMemory *Find(int address) const;
    const std::map<int, CardScreenMemory> &Screens() const { return screens_; }

private:
    std::map<int, CardScreenMemory> screens_;
};

struct CardOptions {
    CardFamily family = CardFamily::Normal;
    int address = 0;           // 0: the card answers every screen number; else only this one
    int defaultColourMode = 1; // for screens whose parameters the card has not received
    bool silent = false;       // never answers a preamble
    bool noFinal = false;      // never answers a frame
    bool garbage = false;      // answers with noise that acknowledges nothing
    // Stops after this many bytes of every frame (-1: never). The card knows a frame has begun at
    // its second byte, so values below 2 stop there.
    qint64 dropAfter = -1;
};

// One exchange as it ended: the simulator prints one line per exchange.
struct CardExchange {
    enum class Outcome {
        Acknowledged, // the frame was kept and answered
        NotAnswered,  // kept, but not answered (broadcast, --no-final)
        Skipped,      // addressed to another card; consumed by its length, not kept
        PreambleOnly, // a preamble that no frame followed
        Dropped,      // the card stopped in the middle of the frame (--drop-after)
        Rejected,     // no frame could be read at that place; bytes discarded up to the next preamble
        Discarded,    // stray bytes between exchanges
    };
    Outcome outcome = Outcome::Acknowledged;
    int address = 0; // from the preamble (or frame byte 0 for a broadcast)
    bool broadcast = false;
    bool preambleAnswered = false;
    quint8 code = 0;
    QString command;        // the command's name, by its code and form
    qint64 frameBytes = 0;  // bytes received of the frame
    qint64 frameLength = 0; // its full length when known
    QString detail;

    QString Describe() const;
};

class ControllerCard {
public:
    // `memory` may be shared by several cards (one per transport); without it the card keeps its own.
    explicit ControllerCard(CardOptions options, CardMemory *memory = nullptr);

    struct Output {
        // Each answer is a separate write, in order: the preamble's answer and the frame's.
        std::vector<QByteArray> answers;
        std::vector<CardExchange> exchanges;
        // Screen numbers whose memory changed.
        std::vector<int> changed;
        // A frame hit --drop-after: a transport that can close (TCP) closes now.
        bool dropped = false;
    };

    Output Feed(QByteArrayView bytes);
    // Forgets a half-received exchange (a new connection starts clean).
    Output Reset();
    // Nothing came for `gapMs` in the middle of an exchange: the station gave up on it. A partial
    // frame is reported as rejected and a preamble that no frame followed as such; the card then
    // waits for a preamble again. A serial transport has no other way to find its place.
    Output EndAfterGap(int gapMs);
    // A frame is coming that the station sends with pauses of its own (3 s after every 128 KB of a
    // large frame to a "Normal" card): a gap must be longer than those before it ends the frame.
    bool ExpectsSendPauses() const;

    const CardOptions &Options() const { return options_; }
    CardMemory &Memory() { return *memory_; }

private:
    enum class State { Idle, PreambleRest, AwaitFrame, InFrame };

    void FeedIdle(quint8 b, Output &out);
    void StartPreamble(quint8 a, Output &out);
    void PreambleComplete(Output &out);
    qsizetype FeedFrame(QByteArrayView bytes, Output &out);
    void CheckDrop(Output &out);
    void FinishFrame(Output &out);
    void RejectFrame(const QString &why, Output &out);
    void FlushDiscarded(Output &out);
    void EndPreambleOnly(Output &out);
    QByteArray Answer(quint8 address) const;
    int ColourModeFor(int address) const;
    CardExchange Exchange(CardExchange::Outcome outcome) const;
    Output Abandon(const QString &why);

    CardOptions options_;
    CardMemory ownMemory_;
    CardMemory *memory_;

    State state_ = State::Idle;
    // Idle: the last byte seen, a possible first half of a preamble.
    std::optional<quint8> pending_;
    bool pendingReported_ = false; // the pending byte was already reported with a rejected frame
    qint64 discarded_ = 0;
    // The exchange in progress.
    quint8 address_ = 0;
    bool broadcast_ = false;
    bool addressed_ = false;
    bool preambleAnswered_ = false;
    int preambleRest_ = 0;
    QByteArray frame_;
    qint64 frameLength_ = -1; // -1 unknown, 0 ends with the download tail
    bool dropped_ = false;
};

} // namespace pelvoro
