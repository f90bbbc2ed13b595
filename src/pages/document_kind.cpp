#include "pages/document_kind.h"

#include "base/input_file_limits.h"
#include "editors/table/bls_format.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace pelvoro {
namespace {

// Enough of the file's start for every signature and for telling text from binary data.
constexpr qint64 kHeadBytes = 4096;

constexpr std::array<unsigned char, 8> kCompoundFileSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr char kZipLocalHeader[] = "PK\x03\x04";
constexpr char kZipEndRecord[] = "PK\x05\x06";
constexpr char kZipDirectoryEntry[] = "PK\x01\x02";
constexpr int kZipEndRecordSize = 22;
constexpr int kZipMaxComment = 0xFFFF;
constexpr int kZipEntryFixedSize = 46;
constexpr char kWordPartFolder[] = "word/";

// A bitmap's file header, then its info header, whose first field is its own size.
constexpr int kBitmapFileHeaderSize = 14;
constexpr std::array<quint32, 6> kBitmapInfoHeaderSizes = {12, 40, 52, 56, 108, 124};

quint16 U16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 U32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

bool IsRtf(const QByteArray &head)
{
    qsizetype i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    return head.mid(i, 5) == "{\\rtf";
}

bool IsCompoundFile(const QByteArray &head)
{
    return head.size() >= qsizetype(kCompoundFileSignature.size())
           && std::equal(kCompoundFileSignature.begin(), kCompoundFileSignature.end(), head.constData(),
                         [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

// Whether the zip's central directory names an entry under "word/", as every Word document has.
bool ZipHasWordParts(QFile &file)
{
    const qint64 size = file.size();
    const qint64 tailStart = std::max<qint64>(0, size - kZipEndRecordSize - kZipMaxComment);
    if (!file.seek(tailStart))
        return false;
    const QByteArray tail = file.read(size - tailStart);
    const qsizetype end = tail.lastIndexOf(kZipEndRecord);
    if (end < 0 || tail.size() - end < kZipEndRecordSize)
        return false;
    const quint32 directorySize = U32(tail, end + 12);
    const quint32 directoryOffset = U32(tail, end + 16);
    if (qint64(directoryOffset) + directorySize > size || !file.seek(directoryOffset))
        return false;
    const QByteArray directory = file.read(directorySize);
    for (qsizetype at = 0; at + kZipEntryFixedSize <= directory.size();) {
        if (directory.mid(at, 4) != kZipDirectoryEntry)
            return false;
        const int nameSize = U16(directory, at + 28);
        const int extraSize = U16(directory, at + 30);
        const int commentSize = U16(directory, at + 32);
        if (directory.mid(at + kZipEntryFixedSize, nameSize).startsWith(kWordPartFolder))
            return true;
        at += kZipEntryFixedSize + nameSize + extraSize + commentSize;
    }
    return false;
}

bool IsBitmap(const QByteArray &head)
{
    if (!head.startsWith("BM") || head.size() < kBitmapFileHeaderSize + 4)
        return false;
    const quint32 infoSize = U32(head, kBitmapFileHeaderSize);
    return std::find(kBitmapInfoHeaderSizes.begin(), kBitmapInfoHeaderSizes.end(), infoSize)
           != kBitmapInfoHeaderSizes.end();
}

bool IsTableFile(const QByteArray &head)
{
    return head.startsWith(QByteArray(bls::kSignature, bls::kSignatureSize));
}

// Text has no NUL and no control bytes but tab, line breaks, form feed and the old end-of-file mark.
bool IsPlainText(const QByteArray &head)
{
    return std::none_of(head.begin(), head.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1A;
    });
}

} // namespace

DocumentKindResult DocumentKindOf(const QString &path)
{
    // Never opened when it is a device or a pipe, whose reading may not end.
    if (const QString refusal = DocumentFileRefusal(path); !refusal.isEmpty())
        return {std::nullopt, refusal};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("读写文件出错：") + QDir::toNativeSeparators(path)};
    const QByteArray head = file.read(kHeadBytes);
    if (IsRtf(head))
        return {DocumentKind::RichText, {}};
    if (IsCompoundFile(head) || (head.startsWith(kZipLocalHeader) && ZipHasWordParts(file)))
        return {DocumentKind::Word, {}};
    if (IsBitmap(head))
        return {DocumentKind::Bitmap, {}};
    if (IsTableFile(head))
        return {DocumentKind::Table, {}};
    if (IsPlainText(head))
        return {DocumentKind::RichText, {}};
    return {std::nullopt, QStringLiteral("无法识别文件的内容：") + QDir::toNativeSeparators(path)
                              + QStringLiteral("\n只能添加RTF文档、Word文档、位图、表格文件或纯文本。")};
}

} // namespace pelvoro
