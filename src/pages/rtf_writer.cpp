#include "pages/rtf_writer.h"

#include "base/atomic_file.h"
#include "base/gbk.h"

#include <QHash>

#include <optional>

#include <utility>

namespace pelvoro {
namespace {

bool WritesGbk(int charset)
{
    return charset == kGb2312Charset || charset == kDefaultCharset;
}

// A font table entry stands for a face in one character set and family.
QString FontKey(const CharFormat &format)
{
    return format.face + QChar(0) + QString::number(format.charset) + QChar(0) + QString::number(int(format.family));
}

QByteArray FamilyWord(FontFamily family)
{
    switch (family) {
    case FontFamily::Nil:
        return "\\fnil";
    case FontFamily::Roman:
        return "\\froman";
    case FontFamily::Swiss:
        return "\\fswiss";
    case FontFamily::Modern:
        return "\\fmodern";
    case FontFamily::Other:
        break;
    }
    return "\\fdecor";
}

class RtfWriter {
public:
    QByteArray Write(const RichDocument &document)
    {
        CollectTables(document);
        QByteArray body;
        body.reserve(document.PlainText().size() * 4 + 64);
        for (const Paragraph &paragraph : document.paragraphs)
            WriteParagraph(paragraph, &body);

        QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl";
        for (qsizetype i = 0; i < fonts_.size(); ++i) {
            const CharFormat &font = fonts_[i];
            out += "{\\f" + QByteArray::number(i) + FamilyWord(font.family) + "\\fcharset"
                   + QByteArray::number(font.charset) + ' ';
            Text(font.face, font.charset, &out);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (QRgb rgb : colors_) {
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) + "\\blue"
                   + QByteArray::number(qBlue(rgb)) + ';';
        }
        out += "}\n";
        out += body;
        out += "}\n";
        return out;
    }

private:
    void CollectTables(const RichDocument &document)
    {
        const auto collect = [this](const CharFormat &format) {
            const QString key = FontKey(format);
            if (!fontIndex_.contains(key)) {
                fontIndex_.insert(key, int(fonts_.size()));
                fonts_.append(format);
            }
            const QRgb rgb = qRgb(qRed(format.color), qGreen(format.color), qBlue(format.color));
            if (!format.autoColor && !colorIndex_.contains(rgb)) {
                colors_.append(rgb);
                colorIndex_.insert(rgb, int(colors_.size())); // 0 is the automatic colour
            }
        };
        for (const Paragraph &paragraph : document.paragraphs) {
            collect(paragraph.markFormat);
            for (const TextRun &run : paragraph.runs)
                collect(run.format);
        }
        if (fonts_.isEmpty()) {
            CharFormat song;
            song.face = QStringLiteral("宋体");
            song.charset = kGb2312Charset;
            fonts_.append(song);
        }
    }

    void WriteParagraph(const Paragraph &paragraph, QByteArray *out)
    {
        *out += "\\pard";
        switch (paragraph.format.alignment) {
        case Alignment::Left:
            *out += "\\ql";
            break;
        case Alignment::Center:
            *out += "\\qc";
            break;
        case Alignment::Right:
            *out += "\\qr";
            break;
        case Alignment::Justify:
            *out += "\\qj";
            break;
        }
        const int value = paragraph.format.spacingValue;
        switch (paragraph.format.spacingRule) {
        case LineSpacingRule::Single:
            break;
        case LineSpacingRule::OneAndHalf:
            *out += "\\sl360\\slmult1";
            break;
        case LineSpacingRule::Double:
            *out += "\\sl480\\slmult1";
            break;
        case LineSpacingRule::AtLeast:
            if (value > 0)
                *out += "\\sl" + QByteArray::number(value) + "\\slmult0";
            break;
        case LineSpacingRule::Exactly:
            if (value > 0)
                *out += "\\sl-" + QByteArray::number(value) + "\\slmult0";
            break;
        case LineSpacingRule::Multiple:
            // A line is 240 twips; the rule counts twentieths of it.
            if (value > 0)
                *out += "\\sl" + QByteArray::number(value * 12) + "\\slmult1";
            break;
        }
        current_.reset();
        for (const TextRun &run : paragraph.runs) {
            if (run.text.isEmpty())
                continue;
            SetFormat(run.format, out);
            Text(run.text, run.format.charset, out);
        }
        // The paragraph mark carries its own format: it sizes an empty line.
        SetFormat(paragraph.markFormat, out);
        *out += "\\par\n";
    }

    void SetFormat(const CharFormat &format, QByteArray *out)
    {
        if (current_ && *current_ == format)
            return;
        current_ = format;
        *out += "\\plain\\f" + QByteArray::number(fontIndex_.value(FontKey(format))) + "\\fs"
                + QByteArray::number(format.sizeHalfPoints);
        if (!format.autoColor)
            *out += "\\cf"
                    + QByteArray::number(
                        colorIndex_.value(qRgb(qRed(format.color), qGreen(format.color), qBlue(format.color))));
        if (format.bold)
            *out += "\\b";
        if (format.italic)
            *out += "\\i";
        if (format.underline)
            *out += "\\ul";
        if (format.strike)
            *out += "\\strike";
        *out += ' ';
    }

    // Text in a font of `charset`.
    void Text(const QString &text, int charset, QByteArray *out)
    {
        const bool gbk = WritesGbk(charset);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const char16_t u = c.unicode();
            if (u == '\t') {
                *out += "\\tab ";
            } else if (u == '\\' || u == '{' || u == '}') {
                *out += '\\';
                *out += char(u);
            } else if (u >= 0x20 && u < 0x80) {
                *out += char(u);
            } else if (u < 0x20) {
                continue; // nothing the reader would keep
            } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                Unicode(u, out);
                Unicode(text[++i].unicode(), out);
            } else if (const QByteArray bytes = gbk ? GbkOf(c) : QByteArray(); !bytes.isEmpty()) {
                for (char byte : bytes) {
                    static const char kHex[] = "0123456789abcdef";
                    const auto b = static_cast<unsigned char>(byte);
                    *out += "\\'";
                    *out += kHex[b >> 4];
                    *out += kHex[b & 15];
                }
            } else {
                Unicode(u, out);
            }
        }
    }

    static void Unicode(char16_t u, QByteArray *out)
    {
        // \u takes a signed 16-bit number; '?' is the fallback that \uc1 skips.
        *out += "\\u" + QByteArray::number(int(int16_t(u))) + '?';
    }

    // The GBK bytes of a character, empty when GBK cannot hold it.
    QByteArray GbkOf(QChar c)
    {
        const auto found = gbkCache_.constFind(c.unicode());
        if (found != gbkCache_.constEnd())
            return found.value();
        QByteArray bytes = ToGbk(QString(c));
        if (FromGbk(bytes) != QString(c))
            bytes.clear();
        gbkCache_.insert(c.unicode(), bytes);
        return bytes;
    }

    QList<CharFormat> fonts_; // face, charset and family of each font table entry
    QHash<QString, int> fontIndex_;
    QList<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
    std::optional<CharFormat> current_;
    QHash<char16_t, QByteArray> gbkCache_;
};

} // namespace

QByteArray WriteRtf(const RichDocument &document)
{
    return RtfWriter().Write(document);
}

bool WriteRtfFile(const QString &path, const RichDocument &document, QString *error)
{
    return WriteFileAtomically(path, WriteRtf(document), error);
}

} // namespace pelvoro
