#pragma once

#include "pages/rich_document.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>

class QTextDocument;

// The editor's QTextDocument and the station's RichDocument. Each character and block format keeps
// the station's format in its own properties, so that what is opened and saved again comes back as
// it was; the font shown is the one the conversion draws with (RichLayout::FontFor), automatic-colour
// text shows red as the conversion draws it, and the line spacing shows as a proportion of a line.
namespace pelvoro {

QTextCharFormat ToTextFormat(const CharFormat &format);
// Text inserted without the station's properties (none should be) is read from its font.
CharFormat FromTextFormat(const QTextCharFormat &format);

QTextBlockFormat ToBlockFormat(const ParagraphFormat &format);
ParagraphFormat FromBlockFormat(const QTextBlockFormat &format);

// The document replaces the content of `target`, with an empty undo history.
void SetRichDocument(QTextDocument *target, const RichDocument &document);
RichDocument ToRichDocument(const QTextDocument *document);

// Formats applied to a selection (mergeCharFormat): each sets the shown font and the stored format.
QTextCharFormat FaceChange(const QString &face, int charset);
QTextCharFormat SizeChange(int points);
QTextCharFormat ColourChange(QRgb rgb);
QTextCharFormat CharsetChange(int charset);
// The line spacing of a paragraph, its alignment kept (mergeBlockFormat).
QTextBlockFormat SpacingChange(const ParagraphFormat &format);

} // namespace pelvoro
