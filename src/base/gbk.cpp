#include "base/gbk.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringEncoder>

namespace pelvoro {

QString FromGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    Q_ASSERT(decoder.isValid());
    QString text = decoder.decode(bytes);
    if (EndsInCutOffLeadByte(bytes))
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

QByteArray ToGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    Q_ASSERT(encoder.isValid());
    return encoder.encode(text);
}

QString CharactersGbkCannotHold(const QString &text)
{
    QStringList lost;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, width);
        if (!lost.contains(character) && FromGbk(ToGbk(character)) != character)
            lost.append(character);
        i += width;
    }
    return lost.join(QLatin1Char(' '));
}

QString DecodeTextFile(const QByteArray &bytes)
{
    static constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.sliced(sizeof(kUtf8Bom) - 1));
    // Pure ASCII decodes the same either way. Stateless: a sequence cut off at the end is an error,
    // not a state kept for more bytes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromGbk(bytes) : text;
}

int GbkLength(const QString &text)
{
    return int(ToGbk(text).size());
}

} // namespace pelvoro
