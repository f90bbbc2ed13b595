#pragma once

#include <QByteArray>
#include <QString>

// Every persisted text of the station is GBK. Files are handled as bytes; these two functions are the
// only places where bytes become text and back.
namespace pelvoro {

// Bytes that are not valid GBK decode to U+FFFD; decoding never fails.
QString FromGbk(const QByteArray &bytes);
// Characters GBK cannot hold become '?'.
QByteArray ToGbk(const QString &text);

// Number of bytes `text` takes in GBK.
int GbkLength(const QString &text);

// The first byte of a two-byte GBK character (0x80, the euro sign, is a character of its own).
inline bool IsGbkLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

} // namespace pelvoro
