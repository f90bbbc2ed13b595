// Feeds arbitrary bytes to the simulated controller card's frame parser. Input: a byte of card
// options, a byte giving the chunk size (and the --drop-after point), then the stream. Besides the
// sanitizers' checks it traps when
//   - the stream fed in chunks gives other answers, exchanges or memory than fed at once;
//   - the card keeps anything but whole frames of their kind, or a clock that is not 7 bytes;
//   - an answer is not the one-byte acknowledgement the station's judging code takes, or the card
//     answers more or less than the exchanges it reports say;
//   - an exchange reports a frame longer than any frame can be, or a kept frame of another length
//     than its own;
//   - after the stream and the end of the link, a station-made exchange is not acknowledged and kept.
//
// Seeds are exchanges the station's frame builders make (fuzz_seeds). Run:
//   controller_card_fuzzer -max_len=8192 -timeout=10 CORPUS fuzz/corpus/controller_card_fuzzer
#include "comm/exchange.h"
#include "comm/frame_layout.h"
#include "comm/frames.h"
#include "sim/controller_card.h"

#include <cstddef>
#include <cstdint>

using namespace pelvoro;

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

struct Fed {
    std::vector<QByteArray> answers;
    std::vector<CardExchange> exchanges;
    bool dropped = false;

    void Add(const ControllerCard::Output &out)
    {
        answers.insert(answers.end(), out.answers.begin(), out.answers.end());
        exchanges.insert(exchanges.end(), out.exchanges.begin(), out.exchanges.end());
        dropped = dropped || out.dropped;
    }
};

bool SameExchange(const CardExchange &a, const CardExchange &b)
{
    return a.outcome == b.outcome && a.address == b.address && a.broadcast == b.broadcast
           && a.preambleAnswered == b.preambleAnswered && a.code == b.code && a.command == b.command
           && a.frameBytes == b.frameBytes && a.frameLength == b.frameLength && a.detail == b.detail;
}

bool SameMemory(const CardMemory &a, const CardMemory &b)
{
    if (a.Screens().size() != b.Screens().size())
        return false;
    for (const auto &[address, screen] : a.Screens()) {
        const CardScreenMemory *other = b.Find(address);
        if (!other || other->slots != screen.slots || other->time != screen.time)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    CardOptions options;
    options.family = (data[0] & 1) ? CardFamily::ZpKq : CardFamily::Normal;
    options.address = (data[0] >> 1) & 3; // 0 answers every screen number
    options.noFinal = data[0] & 8;
    options.silent = data[0] & 16;
    options.dropAfter = (data[0] & 32) ? qint64(data[1]) : -1;
    options.defaultColourMode = (data[0] >> 6) & 1;
    const qsizetype chunk = data[1] % 7 + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    ControllerCard whole(options);
    Fed all;
    all.Add(whole.Feed(stream));
    all.Add(whole.Reset());

    ControllerCard chunked(options);
    Fed parts;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        parts.Add(chunked.Feed(stream.sliced(at, std::min(chunk, stream.size() - at))));
    parts.Add(chunked.Reset());

    Check(all.answers == parts.answers && all.dropped == parts.dropped);
    Check(all.exchanges.size() == parts.exchanges.size());
    for (size_t i = 0; i < all.exchanges.size(); ++i)
        Check(SameExchange(all.exchanges[i], parts.exchanges[i]));
    Check(SameMemory(whole.Memory(), chunked.Memory()));

    // A broadcast frame is kept under the screen number it names, whatever that byte is.
    for (const auto &[address, screen] : whole.Memory().Screens()) {
        for (int s = 0; s < kCardSlotCount; ++s) {
            if (!screen.slots[size_t(s)].isEmpty())
                Check(screen.Holds(CardSlot(s)));
        }
        Check(screen.time.isEmpty() || screen.time.size() == kTimeBytes);
    }

    size_t answered = 0;
    for (const CardExchange &ex : all.exchanges) {
        answered += ex.preambleAnswered;
        answered += ex.outcome == CardExchange::Outcome::Acknowledged;
        Check(ex.frameBytes <= kMaxFrameBytes + 1 && ex.frameLength <= kMaxFrameBytes);
        if (ex.outcome == CardExchange::Outcome::Acknowledged || ex.outcome == CardExchange::Outcome::NotAnswered
            || ex.outcome == CardExchange::Outcome::Skipped) {
            Check(ex.frameBytes > 0 && ex.frameBytes == ex.frameLength);
        }
    }
    for (const QByteArray &answer : all.answers)
        Check(answer.size() == 1 && IsSerialAcknowledgement(answer, quint8(answer[0]), 0)
              && (quint8(answer[0]) >= 1 && quint8(answer[0]) <= kMaxScreens));
    // A frame cut by --drop-after may be rejected later as well, and so be reported twice.
    if (options.dropAfter < 0)
        Check(all.answers.size() == answered);

    // The link ended; the next exchange the station makes goes through whatever came before.
    if (!options.silent && !options.noFinal && options.dropAfter < 0) {
        const int screen = options.address != 0 ? options.address : data[1] % kMaxScreens + 1;
        const QByteArray frame = BuildTestFrame(screen - 1, quint8(data[1] % 9));
        const QByteArray preamble = SerialPreamble(options.family, quint8(screen), frame, 0, false);
        const ControllerCard::Output opened = whole.Feed(preamble);
        const ControllerCard::Output sent = whole.Feed(frame);
        Check(opened.answers.size() == 1 && IsSerialAcknowledgement(opened.answers[0], quint8(screen), 0));
        Check(sent.answers.size() == 1 && IsSerialAcknowledgement(sent.answers[0], quint8(screen), 0));
        Check(sent.exchanges.size() == 1 && sent.exchanges[0].outcome == CardExchange::Outcome::Acknowledged);
        Check(whole.Memory().Find(screen)->slots[size_t(CardSlot::Test)] == frame);
    }
    return 0;
}
