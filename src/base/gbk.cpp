#include "base/gbk.h"

#include <QStringDecoder>
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

int GbkLength(const QString &text)
{
    return int(ToGbk(text).size());
}

} // namespace pelvoro
