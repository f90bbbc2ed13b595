#include "sim/controller_card.h"

#include "comm/bcd.h"
#include "comm/frame_layout.h"
#include "comm/frames.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"

#include <QRandomGenerator>

#include <algorithm>

namespace pelvoro {
namespace {

bool IsPreambleByte(quint8 b)
{
    return (b >= 1 && b <= kMaxScreens) || b == kBroadcastAddress;
}

QString Hex(quint8 b)
{
    return QStringLiteral("0x%1").arg(b, 2, 16, QLatin1Char('0'));
}

const char *kSlotFiles[kCardSlotCount] = {
    "params.bin",   "clock.bin", "temperature.bin", "timesync.bin", "power.bin", "test.bin",
    "schedule.bin", "pages.dat", "subtitle.dat",    "glyphs.bin",   "fpga.bin",  "outdoor.bin",
};

} // namespace

QString CardSlotFileName(CardSlot slot)
{
    return QString::fromLatin1(kSlotFiles[size_t(slot)]);
}

std::optional<CardSlot> CardSlotOf(QByteArrayView frame)
{
    if (frame.size() <= kFileFrameKind)
        return std::nullopt;
    switch (quint8(frame[kFrameCode])) {
    case kCodeScreenParams:
        return CardSlot::Params;
    case kCodeClock:
        return CardSlot::Clock;
    case kCodeTemperature:
        return CardSlot::Temperature;
    case kCodePower:
        return CardSlot::Power;
    case kCodeSchedule:
        return CardSlot::Schedule;
    case kCodeFileDownload:
        return quint8(frame[kFileFrameKind]) == kFileKindOutdoor ? CardSlot::Outdoor : CardSlot::Fpga;
    case kCodeTimeSync:
        return CardSlot::TimeSync;
    case kCodeMainPages:
        return CardSlot::Pages;
    case kCodeSubtitlePages:
        return CardSlot::Subtitle;
    case kCodeGlyphs:
        return CardSlot::Glyphs;
    case kCodeTestPattern:
        return CardSlot::Test;
    default:
        return std::nullopt;
    }
}

bool CardScreenMemory::Empty() const
{
    return time.isEmpty() && std::all_of(slots.begin(), slots.end(), [](const QByteArray &s) { return s.isEmpty(); });
}

std::optional<int> CardScreenMemory::ColourMode() const
{
    const QByteArray &p = (*this)[CardSlot::Params];
    if (p.size() < kParamFrameBytes)
        return std::nullopt;
    const int mode = quint8(p[kParamFrameColours]) - 1;
    if (mode != 0 && mode != 1)
        return std::nullopt;
    return mode;
}

int CardScreenMemory::Width() const
{
    const QByteArray &p = (*this)[CardSlot::Params];
    return p.size() < kParamFrameBytes ? 0 : (quint8(p[kParamFrameWidth]) << 8) | quint8(p[kParamFrameWidth + 1]);
}

int CardScreenMemory::Height() const
{
    const QByteArray &p = (*this)[CardSlot::Params];
    return p.size() < kParamFrameBytes ? 0 : (quint8(p[kParamFrameHeight]) << 8) | quint8(p[kParamFrameHeight + 1]);
}

bool CardScreenMemory::PoweredOff() const
{
    const QByteArray &p = (*this)[CardSlot::Power];
    return p.size() >= kPowerFrameBytes && quint8(p[kPowerFrameState]) == kPowerOff;
}

int CardScreenMemory::TestPattern() const
{
    const QByteArray &t = (*this)[CardSlot::Test];
    return t.size() >= kTestFrameBytes ? int(quint8(t[kTestFramePattern])) : int(kTestEnd);
}

QDateTime CardScreenMemory::ClockTime() const
{
    if (time.size() != kTimeBytes)
        return {};
    int v[kTimeBytes];
    for (int i = 0; i < kTimeBytes; ++i)
        v[i] = FromBcd(quint8(time[i]));
    const QDate date(2000 + v[kTimeYear], v[kTimeMonth], v[kTimeDay]);
    const QTime clock(v[kTimeHour], v[kTimeMinute], v[kTimeSecond]);
    if (!date.isValid() || !clock.isValid())
        return {};
    return QDateTime(date, clock);
}

bool CardScreenMemory::Holds(CardSlot slot) const
{
    const QByteArray &f = (*this)[slot];
    return CardSlotOf(f) == slot && (IsWholeFrame(f, 0) || IsWholeFrame(f, 1));
}

bool CardMemory::Apply(int address, const QByteArray &frame)
{
    if (!IsWholeFrame(frame, 0) && !IsWholeFrame(frame, 1))
        return false;
    CardScreenMemory &screen = screens_[address];
    if (quint8(frame[kFrameCode]) == kCodeCancelSchedule) {
        screen[CardSlot::Schedule].clear();
        return true;
    }
    const auto slot = CardSlotOf(frame);
    if (!slot)
        return false;
    screen[*slot] = frame;
    if (*slot == CardSlot::Clock && frame.size() >= kClockFrameBytes)
        screen.time = frame.mid(kClockFrameTime, kTimeBytes);
    else if (*slot == CardSlot::TimeSync && frame.size() >= kTimeSyncFrameBytes)
        screen.time = frame.mid(kTimeSyncFrameTime, kTimeBytes);
    return true;
}

const CardScreenMemory *CardMemory::Find(int address) const
{
    const auto it = screens_.find(address);
    return it == screens_.end() ? nullptr : &it->second;
}

QString CardExchange::Describe() const
{
    using enum Outcome;
    const QString who = broadcast ? QStringLiteral("broadcast") : QStringLiteral("screen %1").arg(address);
    if (outcome == Discarded)
        return QStringLiteral("%1 stray bytes discarded").arg(frameBytes);
    QString text = who + QStringLiteral(": ");
    if (outcome == PreambleOnly) {
        text += preambleAnswered ? QStringLiteral("preamble answered, no frame followed")
                                 : QStringLiteral("preamble not answered");
    } else {
        text += command.isEmpty() ? Hex(code) : QStringLiteral("%1 (%2)").arg(command, Hex(code));
        if (frameLength > 0 && frameBytes != frameLength)
            text += QStringLiteral(", %1 of %2 bytes").arg(frameBytes).arg(frameLength);
        else
            text += QStringLiteral(", %1 bytes").arg(frameBytes);
        switch (outcome) {
        case Acknowledged:
            text += QStringLiteral(", acknowledged");
            break;
        case NotAnswered:
            text += QStringLiteral(", kept, not answered");
            break;
        case Skipped:
            text += QStringLiteral(", not this card's address, skipped");
            break;
        case Dropped:
            text += QStringLiteral(", dropped");
            break;
        case Rejected:
            text += QStringLiteral(", rejected");
            break;
        default:
            break;
        }
    }
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}

ControllerCard::ControllerCard(CardOptions options, CardMemory *memory)
    : options_(options), memory_(memory ? memory : &ownMemory_)
{
}

int ControllerCard::ColourModeFor(int address) const
{
    const CardScreenMemory *screen = memory_->Find(address);
    const auto mode = screen ? screen->ColourMode() : std::nullopt;
    return mode.value_or(options_.defaultColourMode);
}

QByteArray ControllerCard::Answer(quint8 address) const
{
    if (!options_.garbage)
        return CardAcknowledgement(address);
    // Non-zero bytes, more than one, the first not the address: no reading of it acknowledges.
    QByteArray noise;
    auto *random = QRandomGenerator::global();
    const int length = 2 + int(random->bounded(5));
    while (noise.size() < length) {
        const quint8 b = quint8(random->bounded(1, 256));
        if (noise.isEmpty() && b == address)
            continue;
        noise.append(char(b));
    }
    return noise;
}

CardExchange ControllerCard::Exchange(CardExchange::Outcome outcome) const
{
    CardExchange ex;
    ex.outcome = outcome;
    ex.broadcast = broadcast_;
    ex.address = broadcast_ && !frame_.isEmpty() ? quint8(frame_[kFrameAddress]) : address_;
    ex.preambleAnswered = preambleAnswered_;
    ex.code = frame_.size() > kFrameCode ? quint8(frame_[kFrameCode]) : 0;
    const CommandSpec *spec = FindCommand(frame_);
    if (!spec)
        spec = FindCommand(ex.code);
    if (spec)
        ex.command = QLatin1String(spec->name);
    ex.frameBytes = frame_.size();
    ex.frameLength = frameLength_ > 0 ? frameLength_ : 0;
    return ex;
}

void ControllerCard::FlushDiscarded(Output &out)
{
    if (discarded_ == 0)
        return;
    CardExchange ex;
    ex.outcome = CardExchange::Outcome::Discarded;
    ex.frameBytes = discarded_;
    out.exchanges.push_back(ex);
    discarded_ = 0;
}

ControllerCard::Output ControllerCard::Feed(QByteArrayView bytes)
{
    Output out;
    qsizetype i = 0;
    while (i < bytes.size()) {
        switch (state_) {
        case State::Idle:
            FeedIdle(quint8(bytes[i++]), out);
            break;
        case State::PreambleRest:
            ++i;
            if (--preambleRest_ == 0)
                PreambleComplete(out);
            break;
        case State::AwaitFrame: {
            frame_.append(bytes[i++]);
            if (frame_.size() <= kFrameCode)
                break;
            const quint8 b0 = quint8(frame_[kFrameAddress]);
            const quint8 b1 = quint8(frame_[kFrameCode]);
            if (b0 == b1 && IsPreambleByte(b0)) {
                // The station gave up on the frame and opened a new exchange.
                frame_.clear();
                EndPreambleOnly(out);
                StartPreamble(b0, out);
            } else if (FindCommand(b1)) {
                state_ = State::InFrame;
                frameLength_ = -1;
                dropped_ = false;
                CheckDrop(out);
            } else {
                RejectFrame(QStringLiteral("unknown command %1").arg(Hex(b1)), out);
                pending_ = b1; // it may open the next preamble
                pendingReported_ = true;
            }
            break;
        }
        case State::InFrame:
            i += FeedFrame(bytes.sliced(i), out);
            break;
        }
    }
    return out;
}

void ControllerCard::FeedIdle(quint8 b, Output &out)
{
    if (pending_ && *pending_ == b && IsPreambleByte(b)) {
        pending_.reset();
        StartPreamble(b, out);
        return;
    }
    if (pending_ && !pendingReported_)
        ++discarded_;
    pending_ = b;
    pendingReported_ = false;
}

void ControllerCard::StartPreamble(quint8 a, Output &out)
{
    FlushDiscarded(out);
    address_ = a;
    broadcast_ = a == kBroadcastAddress;
    addressed_ = broadcast_ || options_.address == 0 || options_.address == a;
    preambleAnswered_ = false;
    frame_.clear();
    frameLength_ = -1;
    dropped_ = false;
    if (options_.family == CardFamily::ZpKq) {
        state_ = State::PreambleRest;
        preambleRest_ = kZpKqPreambleBytes - kPreambleAddressBytes;
        return;
    }
    PreambleComplete(out);
}

void ControllerCard::PreambleComplete(Output &out)
{
    state_ = State::AwaitFrame;
    if (!addressed_ || broadcast_)
        return;
    if (options_.silent) {
        CardExchange ex = Exchange(CardExchange::Outcome::PreambleOnly);
        ex.detail = QStringLiteral("--silent");
        out.exchanges.push_back(ex);
        return;
    }
    out.answers.push_back(Answer(address_));
    preambleAnswered_ = true;
}

void ControllerCard::EndPreambleOnly(Output &out)
{
    // A silent card reported the exchange when it kept quiet.
    if (addressed_ && !broadcast_ && !options_.silent)
        out.exchanges.push_back(Exchange(CardExchange::Outcome::PreambleOnly));
}

void ControllerCard::CheckDrop(Output &out)
{
    if (dropped_ || options_.dropAfter < 0 || frame_.size() < options_.dropAfter)
        return;
    dropped_ = true;
    out.dropped = true;
    CardExchange ex = Exchange(CardExchange::Outcome::Dropped);
    ex.detail = QStringLiteral("--drop-after %1").arg(options_.dropAfter);
    out.exchanges.push_back(ex);
}

qsizetype ControllerCard::FeedFrame(QByteArrayView bytes, Output &out)
{
    // Bytes that may be taken before --drop-after stops the card.
    const auto limit = [&](qsizetype want) {
        if (!dropped_ && options_.dropAfter >= 0 && options_.dropAfter > frame_.size())
            return std::min<qsizetype>(want, options_.dropAfter - frame_.size());
        return want;
    };
    qsizetype used = 0;
    while (used < bytes.size()) {
        const qsizetype available = bytes.size() - used;
        if (frameLength_ < 0) {
            const int target = broadcast_ ? quint8(frame_[kFrameAddress]) : address_;
            const FrameExtent extent = ProbeFrameExtent(frame_, ColourModeFor(target));
            if (extent.status == FrameExtent::NeedMore) {
                const qsizetype take = limit(std::min<qsizetype>(extent.length - frame_.size(), available));
                frame_.append(bytes.sliced(used, take));
                used += take;
                CheckDrop(out);
                continue;
            }
            if (extent.status == FrameExtent::Invalid) {
                RejectFrame(extent.error, out);
                return used;
            }
            frameLength_ = extent.status == FrameExtent::Known ? extent.length : 0;
            continue;
        }
        if (frameLength_ > 0) {
            const qsizetype take = limit(std::min<qsizetype>(frameLength_ - frame_.size(), available));
            frame_.append(bytes.sliced(used, take));
            used += take;
            if (frame_.size() == frameLength_) {
                FinishFrame(out);
                return used;
            }
            CheckDrop(out);
            continue;
        }
        // A file download: no length, it ends with its tail.
        const qsizetype before = frame_.size();
        const qsizetype take = limit(available);
        frame_.append(bytes.sliced(used, take));
        used += take;
        const QByteArrayView tail(reinterpret_cast<const char *>(kFileDownloadTail), sizeof kFileDownloadTail);
        const qsizetype from = std::max<qsizetype>(before - tail.size() + 1, kMinFileFrame - tail.size());
        const qsizetype at = QByteArrayView(frame_).indexOf(tail, std::max<qsizetype>(from, 0));
        if (at >= 0) {
            const qsizetype end = at + tail.size();
            used -= frame_.size() - end;
            frame_.truncate(end);
            frameLength_ = end;
            FinishFrame(out);
            return used;
        }
        if (frame_.size() > kMaxFrameBytes) {
            RejectFrame(QStringLiteral("no end after %1 bytes").arg(frame_.size()), out);
            return used;
        }
        CheckDrop(out);
    }
    return used;
}

void ControllerCard::FinishFrame(Output &out)
{
    using enum CardExchange::Outcome;
    state_ = State::Idle;
    pending_.reset();
    if (dropped_) {
        frame_.clear();
        return;
    }
    const int target = broadcast_ ? quint8(frame_[kFrameAddress]) : address_;
    CardExchange ex = Exchange(Acknowledged);
    if (!addressed_) {
        ex.outcome = Skipped;
    } else if (!memory_->Apply(target, frame_)) {
        // Cut at its length but not closed by 0xAA: the card takes nothing and stays quiet.
        ex.outcome = Rejected;
        ex.detail = QStringLiteral("no 0xaa at its end");
    } else {
        out.changed.push_back(target);
        if (!broadcast_ && quint8(frame_[kFrameAddress]) != address_)
            ex.detail = QStringLiteral("the frame names screen %1").arg(quint8(frame_[kFrameAddress]));
        if (broadcast_) {
            ex.outcome = NotAnswered;
        } else if (options_.noFinal) {
            ex.outcome = NotAnswered;
            ex.detail = QStringLiteral("--no-final");
        } else {
            out.answers.push_back(Answer(address_));
            if (options_.garbage)
                ex.detail = QStringLiteral("--garbage");
        }
    }
    out.exchanges.push_back(ex);
    frame_.clear();
}

void ControllerCard::RejectFrame(const QString &why, Output &out)
{
    CardExchange ex = Exchange(CardExchange::Outcome::Rejected);
    ex.detail = why;
    out.exchanges.push_back(ex);
    state_ = State::Idle;
    pending_.reset();
    frame_.clear();
}

ControllerCard::Output ControllerCard::Reset()
{
    return Abandon(QStringLiteral("incomplete when the link ended"));
}

ControllerCard::Output ControllerCard::EndAfterGap(int gapMs)
{
    return Abandon(QStringLiteral("incomplete, nothing came for %1 ms").arg(gapMs));
}

bool ControllerCard::ExpectsSendPauses() const
{
    // Only frames of 0x20000 bytes and more (or of a length not known yet) go in two phases.
    return state_ == State::InFrame && options_.family == CardFamily::Normal
           && (frameLength_ <= 0 || frameLength_ >= kSerialTwoPhaseBytes);
}

ControllerCard::Output ControllerCard::Abandon(const QString &why)
{
    Output out;
    switch (state_) {
    case State::Idle:
        if (pending_ && !pendingReported_)
            ++discarded_;
        break;
    case State::PreambleRest:
    case State::AwaitFrame:
        EndPreambleOnly(out);
        break;
    case State::InFrame:
        if (!dropped_) {
            CardExchange ex = Exchange(CardExchange::Outcome::Rejected);
            ex.detail = why;
            out.exchanges.push_back(ex);
        }
        break;
    }
    FlushDiscarded(out);
    state_ = State::Idle;
    pending_.reset();
    frame_.clear();
    frameLength_ = -1;
    dropped_ = false;
    return out;
}

} // namespace pelvoro
