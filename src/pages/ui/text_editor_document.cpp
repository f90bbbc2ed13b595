#include "pages/ui/text_editor_document.h"

#include "pages/rich_layout.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace pelvoro {
namespace {

enum Property {
    kFace = QTextFormat::UserProperty + 1,
    kHalfPoints,
    kCharset,
    kAutoColour,
    kFamily,
    kSpacingRule,
    kSpacingValue,
};

const QColor kAutoShown(255, 0, 0); // the conversion draws automatic-colour text red

Qt::Alignment ToQtAlignment(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Left:
        return Qt::AlignLeft;
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Justify:
        return Qt::AlignJustify;
    }
    return Qt::AlignLeft;
}

// Shown height of a line in percent of single spacing.
int ProportionOf(const ParagraphFormat &format)
{
    switch (format.spacingRule) {
    case LineSpacingRule::Single:
        return 100;
    case LineSpacingRule::OneAndHalf:
        return 150;
    case LineSpacingRule::Double:
        return 200;
    case LineSpacingRule::Multiple:
        return std::max(1, format.spacingValue * 5);
    case LineSpacingRule::AtLeast:
    case LineSpacingRule::Exactly:
        break;
    }
    return 100;
}

} // namespace

QTextCharFormat ToTextFormat(const CharFormat &format)
{
    QTextCharFormat out;
    out.setFont(RichLayout::FontFor(format), QTextCharFormat::FontPropertiesAll);
    out.setForeground(format.autoColor ? kAutoShown : QColor::fromRgb(format.color));
    out.setProperty(kFace, format.face);
    out.setProperty(kHalfPoints, format.sizeHalfPoints);
    out.setProperty(kCharset, format.charset);
    out.setProperty(kAutoColour, format.autoColor);
    out.setProperty(kFamily, int(format.family));
    return out;
}

CharFormat FromTextFormat(const QTextCharFormat &format)
{
    CharFormat out;
    out.face = format.hasProperty(kFace) ? format.stringProperty(kFace) : format.fontFamilies().toStringList().value(0);
    if (format.hasProperty(kHalfPoints)) {
        out.sizeHalfPoints = format.intProperty(kHalfPoints);
    } else if (format.hasProperty(QTextFormat::FontPixelSize)) {
        out.sizeHalfPoints = int(std::lround(format.intProperty(QTextFormat::FontPixelSize) * 72.0 / 96.0 * 2));
    } else if (format.fontPointSize() > 0) {
        out.sizeHalfPoints = int(std::lround(format.fontPointSize() * 2));
    }
    if (format.hasProperty(kCharset))
        out.charset = format.intProperty(kCharset);
    if (format.hasProperty(kFamily))
        out.family = static_cast<FontFamily>(format.intProperty(kFamily));
    out.bold = format.fontWeight() >= QFont::Bold;
    out.italic = format.fontItalic();
    out.underline = format.fontUnderline();
    out.strike = format.fontStrikeOut();
    out.autoColor = format.hasProperty(kAutoColour) ? format.boolProperty(kAutoColour) : false;
    if (!out.autoColor) {
        const QColor colour = format.foreground().color();
        out.color = qRgb(colour.red(), colour.green(), colour.blue());
    }
    return out;
}

QTextBlockFormat SpacingChange(const ParagraphFormat &format)
{
    QTextBlockFormat out;
    out.setLineHeight(ProportionOf(format), QTextBlockFormat::ProportionalHeight);
    out.setProperty(kSpacingRule, int(format.spacingRule));
    out.setProperty(kSpacingValue, format.spacingValue);
    return out;
}

QTextBlockFormat ToBlockFormat(const ParagraphFormat &format)
{
    QTextBlockFormat out = SpacingChange(format);
    out.setAlignment(ToQtAlignment(format.alignment));
    return out;
}

ParagraphFormat FromBlockFormat(const QTextBlockFormat &format)
{
    ParagraphFormat out;
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        out.alignment = Alignment::Center;
    else if (alignment & Qt::AlignRight)
        out.alignment = Alignment::Right;
    else if (alignment & Qt::AlignJustify)
        out.alignment = Alignment::Justify;
    if (format.hasProperty(kSpacingRule)) {
        out.spacingRule = static_cast<LineSpacingRule>(format.intProperty(kSpacingRule));
        out.spacingValue = format.intProperty(kSpacingValue);
    } else if (format.lineHeightType() == QTextBlockFormat::ProportionalHeight) {
        out.spacingRule = LineSpacingRule::Multiple;
        out.spacingValue = std::max(1, int(std::lround(format.lineHeight() / 5)));
    }
    return out;
}

void SetRichDocument(QTextDocument *target, const RichDocument &document)
{
    const bool undo = target->isUndoRedoEnabled();
    target->setUndoRedoEnabled(false);
    target->clear();
    QTextCursor cursor(target);
    for (qsizetype i = 0; i < document.paragraphs.size(); ++i) {
        const Paragraph &paragraph = document.paragraphs[i];
        if (i == 0) {
            cursor.setBlockFormat(ToBlockFormat(paragraph.format));
            cursor.setBlockCharFormat(ToTextFormat(paragraph.markFormat));
        } else {
            cursor.insertBlock(ToBlockFormat(paragraph.format), ToTextFormat(paragraph.markFormat));
        }
        for (const TextRun &run : paragraph.runs)
            cursor.insertText(run.text, ToTextFormat(run.format));
    }
    target->setUndoRedoEnabled(undo);
    target->setModified(false);
}

RichDocument ToRichDocument(const QTextDocument *document)
{
    RichDocument out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        Paragraph paragraph;
        paragraph.format = FromBlockFormat(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                paragraph.Append(fragment.text(), FromTextFormat(fragment.charFormat()));
        }
        paragraph.markFormat =
            paragraph.runs.isEmpty() ? FromTextFormat(block.charFormat()) : paragraph.runs.last().format;
        out.paragraphs.append(std::move(paragraph));
    }
    // An empty document is one empty block to the text control and no paragraph to the station.
    if (out.paragraphs.size() == 1 && out.paragraphs.first().IsEmpty())
        out.paragraphs.clear();
    return out;
}

QTextCharFormat FaceChange(const QString &face, int charset)
{
    QTextCharFormat out;
    CharFormat shown;
    shown.face = face;
    shown.charset = charset;
    out.setFontFamilies(RichLayout::FontFor(shown).families());
    out.setProperty(kFace, face);
    out.setProperty(kCharset, charset);
    out.setProperty(kFamily, int(FontFamily::Nil));
    return out;
}

QTextCharFormat SizeChange(int points)
{
    QTextCharFormat out;
    out.setProperty(QTextFormat::FontPixelSize, RichLayout::PixelSize(points));
    out.setProperty(kHalfPoints, points * 2);
    return out;
}

QTextCharFormat ColourChange(QRgb rgb)
{
    QTextCharFormat out;
    out.setForeground(QColor::fromRgb(rgb));
    out.setProperty(kAutoColour, false);
    return out;
}

QTextCharFormat CharsetChange(int charset)
{
    QTextCharFormat out;
    out.setProperty(kCharset, charset);
    return out;
}

} // namespace pelvoro
