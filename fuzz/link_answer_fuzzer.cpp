// Feeds arbitrary bursts to the code that judges a controller's answer on both links, together with
// the preambles the station sends and the simulated card's answers to them. Input: the address,
// the page count, a byte of options, then the burst. Besides the sanitizers' checks it traps when
//   - a serial burst is judged other than by the rule: its bytes up to the first 0x00 are the one
//     byte A, or it is exactly the one byte P (checked against a plain model of that rule);
//   - a network answer other than the one byte A acknowledges;
//   - a burst that acknowledges stops doing so when line noise after a 0x00 follows it;
//   - a preamble has another length or other bytes than its card family gives it;
//   - the card's answer to that preamble (and to a whole frame after it) is not taken as an
//     acknowledgement, or its noise answer is.
//
// Seeds are bursts and preambles the station and the simulated card write (fuzz_seeds). Run:
//   link_answer_fuzzer -max_len=1100 -timeout=10 CORPUS fuzz/corpus/link_answer_fuzzer
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

// The rule written out byte by byte, as a second opinion on the judging code.
bool ModelSerialAck(const uint8_t *burst, size_t size, uint8_t address, uint8_t pageCount)
{
    size_t beforeZero = 0;
    while (beforeZero < size && burst[beforeZero] != 0)
        ++beforeZero;
    if (beforeZero == 1 && burst[0] == address)
        return true;
    return size == 1 && burst[0] == pageCount;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t address = data[0];
    const uint8_t pageCount = data[1];
    const uint8_t options = data[2];
    const uint8_t *burst = data + 3;
    const size_t length = size - 3;
    const QByteArrayView bytes(reinterpret_cast<const char *>(burst), qsizetype(length));

    const bool serial = IsSerialAcknowledgement(bytes, address, pageCount);
    Check(serial == ModelSerialAck(burst, length, address, pageCount));
    Check(IsNetworkAcknowledgement(bytes, address) == (length == 1 && burst[0] == address));
    if (serial && address != 0 && length == 1 && burst[0] == address) {
        // Noise after a 0x00 does not take an address's acknowledgement away.
        const QByteArray noisy = bytes.toByteArray() + '\0' + bytes.toByteArray() + char(options | 1);
        Check(IsSerialAcknowledgement(noisy, address, pageCount));
    }

    // The preamble of each card family, and what a card with that address answers to it.
    const CardFamily family = (options & 1) ? CardFamily::ZpKq : CardFamily::Normal;
    const bool broadcast = options & 2;
    const QByteArray preamble = SerialPreamble(family, address, bytes, pageCount, broadcast);
    Check(preamble.size() == SerialPreambleLength(family));
    const char a = char(broadcast ? kBroadcastAddress : address);
    Check(preamble[0] == a && preamble[1] == a);
    if (family == CardFamily::ZpKq) {
        for (int i = 0; i < kZpKqPreambleFrameBytes; ++i)
            Check(preamble[2 + i] == (length > size_t(1 + i) ? char(burst[1 + i]) : char(0)));
        Check(quint8(preamble[5]) == pageCount);
    }
    Check(NetworkPreamble(address) == QByteArray(2, char(address)));

    // Only screen numbers 1..64 open an exchange with a card.
    const int screen = address % kMaxScreens + 1;
    for (const bool garbage : {false, true}) {
        CardOptions card;
        card.family = family;
        card.garbage = garbage;
        ControllerCard controller(card);
        const QByteArray frame = BuildPowerFrame(screen - 1, options & 4);
        const QByteArray opening = SerialPreamble(family, quint8(screen), frame, pageCount, false);
        const ControllerCard::Output first = controller.Feed(opening);
        const ControllerCard::Output second = controller.Feed(frame);
        Check(first.answers.size() == 1 && second.answers.size() == 1);
        for (const QByteArray &answer : {first.answers[0], second.answers[0]}) {
            Check(IsSerialAcknowledgement(answer, quint8(screen), pageCount) == !garbage);
            Check(IsNetworkAcknowledgement(answer, quint8(screen)) == !garbage);
        }
    }
    return 0;
}
