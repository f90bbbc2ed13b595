// What the RTF writer saves opens in LibreOffice with the same text, faces, sizes, colours, weight and
// alignment: the file goes through LibreOffice into a flat OpenDocument file, whose automatic styles
// are compared run by run with the document written.
#include "pages/rtf_writer.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

// One run as a reader of the other program sees it.
struct SeenRun {
    QString text;
    QString face;
    QString size;   // "12pt"
    QString colour; // "#ff0000", empty for the automatic colour
    bool bold = false;

    bool SameLook(const SeenRun &other) const
    {
        return face == other.face && size == other.size && colour == other.colour && bold == other.bold;
    }
    bool operator==(const SeenRun &) const = default;
};

struct SeenParagraph {
    QString align; // "start", "center", "end", "justify"
    QList<SeenRun> runs;
    bool operator==(const SeenParagraph &) const = default;
};

void AppendRun(QList<SeenRun> &runs, const SeenRun &run)
{
    if (run.text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.last().SameLook(run))
        runs.last().text += run.text;
    else
        runs.append(run);
}

QString SizeText(int halfPoints)
{
    return halfPoints % 2 ? QString::number(halfPoints / 2) + QStringLiteral(".5pt")
                          : QString::number(halfPoints / 2) + QStringLiteral("pt");
}

QList<SeenParagraph> Expected(const RichDocument &document)
{
    static const QHash<Alignment, QString> aligns = {{Alignment::Left, QStringLiteral("start")},
                                                     {Alignment::Center, QStringLiteral("center")},
                                                     {Alignment::Right, QStringLiteral("end")},
                                                     {Alignment::Justify, QStringLiteral("justify")}};
    QList<SeenParagraph> paragraphs;
    for (const Paragraph &paragraph : document.paragraphs) {
        SeenParagraph seen{aligns.value(paragraph.format.alignment), {}};
        for (const TextRun &run : paragraph.runs) {
            const CharFormat &f = run.format;
            AppendRun(seen.runs, {run.text, f.face, SizeText(f.sizeHalfPoints),
                                  f.autoColor ? QString() : QColor(f.color).name(), f.bold});
        }
        paragraphs.append(seen);
    }
    return paragraphs;
}

// The paragraphs of a flat OpenDocument text, with the properties of their automatic styles.
QList<SeenParagraph> ReadFlatOdt(const QByteArray &xml)
{
    QHash<QString, QHash<QString, QString>> styles;
    QList<SeenParagraph> paragraphs;
    QXmlStreamReader reader(xml);
    QString style;
    QStringList spanStyles;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.qualifiedName();
        if (reader.isStartElement()) {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (name == u"style:style") {
                style = attributes.value(QStringLiteral("style:name")).toString();
            } else if (name == u"style:text-properties" || name == u"style:paragraph-properties") {
                for (const QXmlStreamAttribute &attribute : attributes)
                    styles[style].insert(attribute.qualifiedName().toString(), attribute.value().toString());
            } else if (name == u"text:p") {
                const QString p = attributes.value(QStringLiteral("text:style-name")).toString();
                paragraphs.append({styles[p].value(QStringLiteral("fo:text-align"), QStringLiteral("start")), {}});
                spanStyles = {p};
            } else if (name == u"text:span") {
                spanStyles.append(attributes.value(QStringLiteral("text:style-name")).toString());
            } else if (name == u"text:s" || name == u"text:tab") {
                const int count = attributes.value(QStringLiteral("text:c")).toInt();
                const QString text = name == u"text:tab" ? QStringLiteral("\t") : QString(std::max(count, 1), u' ');
                const auto &s = styles[spanStyles.last()];
                AppendRun(paragraphs.last().runs, {text, s.value(QStringLiteral("style:font-name")),
                                                   s.value(QStringLiteral("fo:font-size")),
                                                   s.value(QStringLiteral("fo:color")),
                                                   s.value(QStringLiteral("fo:font-weight")) == u"bold"});
            }
        } else if (reader.isEndElement() && name == u"text:span") {
            spanStyles.removeLast();
        } else if (reader.isCharacters() && !paragraphs.isEmpty() && !spanStyles.isEmpty()) {
            // Properties come from the innermost style that gives them.
            SeenRun run{reader.text().toString(), {}, {}, {}, false};
            for (const QString &s : spanStyles) {
                const auto &properties = styles[s];
                run.face = properties.value(QStringLiteral("style:font-name"), run.face);
                run.size = properties.value(QStringLiteral("fo:font-size"), run.size);
                run.colour = properties.value(QStringLiteral("fo:color"), run.colour);
                if (properties.contains(QStringLiteral("fo:font-weight")))
                    run.bold = properties.value(QStringLiteral("fo:font-weight")) == u"bold";
            }
            AppendRun(paragraphs.last().runs, run);
        }
        if (reader.isEndElement() && name == u"text:p")
            spanStyles.clear();
    }
    return paragraphs;
}

std::ostream &operator<<(std::ostream &out, const SeenParagraph &p)
{
    out << "[" << p.align.toStdString();
    for (const SeenRun &r : p.runs)
        out << " {" << r.text.toStdString() << "|" << r.face.toStdString() << "|" << r.size.toStdString() << "|"
            << r.colour.toStdString() << (r.bold ? "|bold" : "") << "}";
    return out << "]";
}

CharFormat Format(const QString &face, int charset, int halfPoints, QRgb colour, bool bold = false)
{
    CharFormat format;
    format.face = face;
    format.charset = charset;
    format.sizeHalfPoints = halfPoints;
    format.autoColor = false;
    format.color = colour;
    format.bold = bold;
    return format;
}

TEST(RtfWriterOfficeTest, LibreOfficeOpensTheWrittenFileAsWritten)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "soffice is not installed; the written RTF is checked against the station's reader only";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const CharFormat song = Format(u"宋体"_qs, kGb2312Charset, 24, qRgb(255, 0, 0));
    const CharFormat hei = Format(u"黑体"_qs, kGb2312Charset, 36, qRgb(0, 255, 0), true);
    const CharFormat arial = Format(u"Arial"_qs, kAnsiCharset, 21, qRgb(255, 255, 0));
    RichDocument document;
    const auto add = [&](Alignment alignment, std::initializer_list<TextRun> runs) {
        Paragraph paragraph;
        paragraph.format = {alignment, LineSpacingRule::Multiple, 15};
        for (const TextRun &run : runs)
            paragraph.Append(run.text, run.format);
        paragraph.markFormat = paragraph.runs.last().format;
        document.paragraphs.append(paragraph);
    };
    add(Alignment::Left, {{u"今日停水"_qs, song}, {u"通知"_qs, hei}});
    add(Alignment::Center, {{u"居中 centre 文字"_qs, song}});
    add(Alignment::Right, {{u"右 right {x}"_qs, arial}, {u"中文"_qs, song}});
    add(Alignment::Justify, {{u"两端对齐 € ∑"_qs, song}});
    ASSERT_TRUE(WriteRtfFile(dir.filePath(QStringLiteral("notice.rtf")), document));

    QProcess process;
    process.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                            QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                            QStringLiteral("fodt"), QStringLiteral("--outdir"), dir.filePath(QStringLiteral("out")),
                            dir.filePath(QStringLiteral("notice.rtf"))});
    ASSERT_TRUE(process.waitForFinished(180000)) << "soffice did not finish in time";
    QFile converted(dir.filePath(QStringLiteral("out/notice.fodt")));
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly)) << process.readAllStandardError().toStdString();

    const QList<SeenParagraph> seen = ReadFlatOdt(converted.readAll());
    const QList<SeenParagraph> expected = Expected(document);
    ASSERT_EQ(seen.size(), expected.size());
    for (qsizetype i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], expected[i]) << "paragraph " << i;
}

} // namespace
} // namespace pelvoro
