#pragma once

#include "config/screen_info.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/rich_document.h"

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

// What the rich-text page editor types and how its text becomes main-area pages, without widgets:
// the editor window and `pelvoro-cli text` share it, so that a notice typed in the editor and one
// given to the tool make the same file and the same pages.
namespace pelvoro {

// The LED colours the editor offers, in the order of its colour list.
struct EditorColour {
    QString name; // "红", "黄", "绿"
    QRgb rgb;
};
// "红" alone on a single-colour screen (ColorMode 0), otherwise "红", "黄", "绿".
QList<EditorColour> EditorColours(int colorMode);

// The size list, and the line spacing the editor starts with and cannot go below.
QStringList EditorSizes();
inline constexpr double kEditorMinLineSpacing = 0.75;
inline constexpr double kEditorLineSpacingStep = 0.05;
// The line-spacing box's value v as the paragraph's rule: round(v × 20) twentieths of a line.
ParagraphFormat EditorParagraphFormat(Alignment alignment, double lines);
// The paragraph's spacing in lines as the box shows it (0.75 for 15 twentieths; single is 1).
double EditorLineSpacing(const ParagraphFormat &format);

// The character set a face is remembered with: GB2312 for a face that holds Chinese, else ANSI.
int FaceCharset(const QString &face);
CharFormat EditorCharFormat(const QString &face, int points, QRgb rgb);

// New text: 宋体, 12 points, red, left aligned, 0.75 lines.
struct EditorStyle {
    QString face = QStringLiteral("宋体");
    int points = 12;
    QRgb rgb = qRgb(255, 0, 0);
    Alignment alignment = Alignment::Left;
    double lines = kEditorMinLineSpacing;
};
// One paragraph per text, all in one style.
RichDocument EditorDocument(const QStringList &paragraphs, const EditorStyle &style = {});

// Pages made from the editor: effect 0, reserved 0, speed 4, dwell 1.
inline constexpr PageEntry kEditorPageAttributes{0, 0, 4, 1};
// "temp.rtf" in the application's directory.
QString EditorTempFile();

// Closing the editor onto the main area: the document is written to EditorTempFile() and converted
// as a rich-text document into pages of the screen, holding the directory lock. A write failure or a
// directory another writer holds is shown through the observer and stops before converting.
AddDocumentsResult ConvertEditorDocument(const ScreenTable &table, int screenIndex, const RichDocument &document,
                                         RichLayout &layout, ConversionObserver &observer);

} // namespace pelvoro
