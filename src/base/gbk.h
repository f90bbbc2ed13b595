#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Every persisted text of the station is GBK. Files are handled as bytes; these two functions are the
// only places where bytes become text and back.
namespace pelvoro {

// Bytes that are not valid GBK decode to U+FFFD; decoding never fails.
QString FromGbk(const QByteArray &bytes);
// Characters GBK cannot hold become '?'.
QByteArray ToGbk(const QString &text);

// The characters of `text` that GBK cannot hold, each once, in order, separated by blanks: a
// message names them instead of saving '?' in their place. Empty when GBK holds the whole text.
QString CharactersGbkCannotHold(const QString &text);

// The text of a plain text file the operator brings (a subtitle source, a document): UTF-8 when it
// starts with the UTF-8 byte-order mark (dropped) or when its bytes are valid UTF-8 with at least one
// multi-byte sequence, which GBK text with Chinese in it almost never is; GBK otherwise. Pure ASCII
// reads the same either way. The station's own files are GBK and are read with FromGbk.
QString DecodeTextFile(const QByteArray &bytes);

// Number of bytes `text` takes in GBK.
int GbkLength(const QString &text);

// The first byte of a two-byte GBK character (0x80, the euro sign, is a character of its own).
inline bool IsGbkLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

// Whether the bytes end in the first half of a two-byte character. The converter drops such a
// byte silently; the readers show it as damage instead.
inline bool EndsInCutOffLeadByte(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size())
        i += IsGbkLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    return i > bytes.size();
}

} // namespace pelvoro
