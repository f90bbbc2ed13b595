#include "pages/rich_document.h"

namespace pelvoro {

bool SameRunFormat(const CharFormat &a, const CharFormat &b)
{
    return a.bold == b.bold && a.autoColor == b.autoColor && (a.autoColor || a.color == b.color) && a.face == b.face
           && a.italic == b.italic && a.sizeHalfPoints == b.sizeHalfPoints && a.underline == b.underline;
}

QString Paragraph::Text() const
{
    QString text;
    for (const TextRun &run : runs)
        text += run.text;
    return text;
}

bool Paragraph::IsEmpty() const
{
    for (const TextRun &run : runs) {
        if (!run.text.isEmpty())
            return false;
    }
    return true;
}

void Paragraph::Append(const QString &text, const CharFormat &format)
{
    if (text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.last().format == format)
        runs.last().text += text;
    else
        runs.append(TextRun{text, format});
}

bool RichDocument::IsEmpty() const
{
    for (const Paragraph &paragraph : paragraphs) {
        if (!paragraph.IsEmpty())
            return false;
    }
    return true;
}

QString RichDocument::PlainText() const
{
    QString text;
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        text += paragraphs[i].Text();
    }
    return text;
}

} // namespace pelvoro
