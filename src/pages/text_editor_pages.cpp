#include "pages/text_editor_pages.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "pages/font_substitution.h"
#include "pages/page_file_staging.h"
#include "pages/rtf_writer.h"

#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace pelvoro {

QList<EditorColour> EditorColours(int colorMode)
{
    QList<EditorColour> colours = {{QStringLiteral("红"), qRgb(255, 0, 0)}};
    if (colorMode != 0) {
        colours.append({QStringLiteral("黄"), qRgb(255, 255, 0)});
        colours.append({QStringLiteral("绿"), qRgb(0, 255, 0)});
    }
    return colours;
}

QStringList EditorSizes()
{
    return {QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"), QStringLiteral("11"),
            QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
            QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
            QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")};
}

ParagraphFormat EditorParagraphFormat(Alignment alignment, double lines)
{
    ParagraphFormat format;
    format.alignment = alignment;
    format.spacingRule = LineSpacingRule::Multiple;
    format.spacingValue = std::max(1, int(std::lround(lines * 20)));
    return format;
}

double EditorLineSpacing(const ParagraphFormat &format)
{
    switch (format.spacingRule) {
    case LineSpacingRule::Single:
        return 1.0;
    case LineSpacingRule::OneAndHalf:
        return 1.5;
    case LineSpacingRule::Double:
        return 2.0;
    case LineSpacingRule::Multiple:
        return format.spacingValue / 20.0;
    case LineSpacingRule::AtLeast:
    case LineSpacingRule::Exactly:
        break;
    }
    return format.spacingValue / 240.0; // twips over a 240-twip line
}

int FaceCharset(const QString &face)
{
    // Windows names of Chinese faces are themselves Chinese or have a Chinese substitute.
    for (QChar c : face) {
        if (c.unicode() >= 0x2E80)
            return kGb2312Charset;
    }
    QStringList faces = SubstitutesFor(face);
    faces.prepend(face);
    for (const QString &candidate : faces) {
        if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(candidate))
            return kGb2312Charset;
    }
    return kAnsiCharset;
}

CharFormat EditorCharFormat(const QString &face, int points, QRgb rgb)
{
    CharFormat format;
    format.face = face;
    format.sizeHalfPoints = points * 2;
    format.charset = FaceCharset(face);
    format.autoColor = false;
    format.color = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    return format;
}

RichDocument EditorDocument(const QStringList &paragraphs, const EditorStyle &style)
{
    const CharFormat format = EditorCharFormat(style.face, style.points, style.rgb);
    RichDocument document;
    for (const QString &text : paragraphs) {
        Paragraph paragraph;
        paragraph.format = EditorParagraphFormat(style.alignment, style.lines);
        paragraph.markFormat = format;
        paragraph.Append(text, format);
        document.paragraphs.append(std::move(paragraph));
    }
    return document;
}

QString EditorTempFile()
{
    return AppFile(QStringLiteral("temp.rtf"));
}

AddDocumentsResult ConvertEditorDocument(const ScreenTable &table, int screenIndex, const RichDocument &document,
                                         RichLayout &layout, ConversionObserver &observer)
{
    EnterAppDir();
    // temp.rtf and the page file are written as one operation of one writer.
    const DirectoryLock lock;
    if (!lock.Locked()) {
        observer.Message(lock.Error(), true);
        AddDocumentsResult refused;
        refused.stopped = true;
        return refused;
    }
    const QString path = EditorTempFile();
    auto fail = [&](const QString &message) {
        observer.Message(message, false);
        AddDocumentsResult failed;
        failed.stopped = true;
        return failed;
    };
    // temp.rtf and the pages made from it replace the old ones as one unit: the document is converted
    // from a private copy, and both files are committed together, so a kill leaves both old or both new.
    const QByteArray rtf = WriteRtf(document);
    const QTemporaryDir drafts;
    QFile draft(drafts.filePath(QStringLiteral("temp.rtf")));
    if (!drafts.isValid() || !draft.open(QIODevice::WriteOnly) || draft.write(rtf) != rtf.size() || !draft.flush())
        return fail(QStringLiteral("读写文件出错：") + path);
    draft.close();
    FileSetUpdate update;
    update.Write(path, rtf);
    AddDocumentsResult added;
    {
        const PageFileStaging staging(update);
        added = AddDocuments(table, screenIndex, DocumentKind::RichText, {draft.fileName()}, layout, observer,
                             kEditorPageAttributes);
    }
    if (QString error; !update.Commit(&error)) {
        added.pagesAdded = 0;
        added.filesConverted = 0;
        return fail(QStringLiteral("读写文件出错：") + error);
    }
    return added;
}

} // namespace pelvoro
