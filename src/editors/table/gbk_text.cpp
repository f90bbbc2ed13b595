#include "editors/table/gbk_text.h"

#include "base/gbk.h"

namespace pelvoro {

namespace {

bool IsAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool IsAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

GbkTextCodec::GbkTextCodec() : decoder_("GBK"), encoder_("GBK") {}

QString GbkTextCodec::Decode(QByteArrayView bytes)
{
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    decoder_.resetState();
    QString text = decoder_.decode(bytes);
    // As FromGbk: a lead byte cut off at the end shows as damage instead of vanishing.
    if (EndsInCutOffLeadByte(bytes))
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

QByteArray GbkTextCodec::Encode(const QString &text)
{
    if (IsAscii(text))
        return text.toLatin1();
    encoder_.resetState();
    return encoder_.encode(text);
}

QString GbkTextCodec::DecodeRepeated(QByteArrayView bytes)
{
    if (bytes != lastDecodedBytes_) {
        lastDecodedBytes_ = bytes.toByteArray();
        lastDecodedText_ = Decode(bytes);
    }
    return lastDecodedText_;
}

QByteArray GbkTextCodec::EncodeRepeated(const QString &text)
{
    if (text.constData() != lastEncodedText_.constData() || text.size() != lastEncodedText_.size()) {
        if (text != lastEncodedText_)
            lastEncodedBytes_ = Encode(text);
        lastEncodedText_ = text;
    }
    return lastEncodedBytes_;
}

} // namespace pelvoro
