#include "base/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace pelvoro {

QString FromGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    Q_ASSERT(decoder.isValid());
    QString text = decoder.decode(bytes);
    // The converter drops a lead byte cut off at the end of the input; show it as damage instead.
    qsizetype i = 0;
    while (i < bytes.size())
        i += IsGbkLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i > bytes.size())
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

QByteArray ToGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    Q_ASSERT(encoder.isValid());
    return encoder.encode(text);
}

int GbkLength(const QString &text)
{
    return int(ToGbk(text).size());
}

} // namespace pelvoro
