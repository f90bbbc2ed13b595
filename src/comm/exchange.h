#pragma once

#include "comm/command_registry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The bytes that open and acknowledge an exchange. Both links run the same exchange for every
// frame: an address preamble, the controller's answer, the frame, a second answer. On the serial
// link the preamble goes out with the parity bit set (mark) and the frame with it clear (space).
namespace pelvoro {

// Replaces the address in a serial preamble to reach every controller on the line at once; nobody
// answers it.
inline constexpr quint8 kBroadcastAddress = 0xBB;

// "Normal" cards take a two-byte preamble, the address twice; the "ZP-KQ/TQ" family six bytes, the
// address twice, the frame's bytes from its command code on, and the page count.
enum class CardFamily { Normal, ZpKq };
inline constexpr int kPreambleAddressBytes = 2;
inline constexpr int kZpKqPreambleFrameBytes = 3;
inline constexpr int kZpKqPreambleBytes = kPreambleAddressBytes + kZpKqPreambleFrameBytes + 1;
CardFamily CardFamilyOf(const QString &cardType);

// Serial: A, A for a "Normal" card; A, A, frame bytes 1..3 and the page count for a "ZP-KQ/TQ" card
// (missing frame bytes count as 0). With `broadcast` the first two bytes are 0xBB.
QByteArray SerialPreamble(CardFamily family, quint8 address, QByteArrayView frame, quint8 pageCount, bool broadcast);
QByteArray SerialPreamble(CardFamily family, const SendRequest &request, bool broadcast);
inline qsizetype SerialPreambleLength(CardFamily family)
{
    return family == CardFamily::ZpKq ? kZpKqPreambleBytes : kPreambleAddressBytes;
}
// Network: A, A.
QByteArray NetworkPreamble(quint8 address);

// What a controller sends back after the preamble and after the frame: its address, one byte.
QByteArray CardAcknowledgement(quint8 address);

// A serial burst acknowledges when its bytes up to the first 0x00 are the single byte A, or when it
// is exactly one byte equal to the page count. A burst is judged whole: A together with other
// non-zero bytes does not acknowledge.
bool IsSerialAcknowledgement(QByteArrayView burst, quint8 address, quint8 pageCount);
// On the network the answer is the one character A, nothing more.
bool IsNetworkAcknowledgement(QByteArrayView received, quint8 address);

} // namespace pelvoro
