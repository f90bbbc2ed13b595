#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

// GBK for the many short texts of a table file. A file holds one font name and up to two texts per
// cell, so the codec keeps one converter for the whole file, passes plain ASCII through directly
// and remembers the last font name it converted. Results are those of FromGbk and ToGbk
// (base/gbk.h).
namespace pelvoro {

class GbkTextCodec {
public:
    GbkTextCodec();

    QString Decode(QByteArrayView bytes);
    QByteArray Encode(const QString &text);
    // The same for texts that repeat from cell to cell (font names).
    QString DecodeRepeated(QByteArrayView bytes);
    QByteArray EncodeRepeated(const QString &text);

private:
    QStringDecoder decoder_;
    QStringEncoder encoder_;
    QByteArray lastDecodedBytes_;
    QString lastDecodedText_;
    QString lastEncodedText_;
    QByteArray lastEncodedBytes_;
};

} // namespace pelvoro
