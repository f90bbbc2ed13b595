#pragma once

#include "pages/rich_document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

#include <vector>

// The layout behind the hidden rich-text control of the page conversions: it holds one document,
// breaks it into display lines at a wrap width and answers what the conversion asks about the text
// and its formats. It also measures and draws text the way the conversion draws each run.
//
// Positions. The document is one sequence of positions: each character takes as many positions as it
// has bytes in GBK (two for a Chinese character, one for ASCII), and each paragraph, the last one
// included, is followed by its break CR LF, two positions. A character that GBK cannot hold as one
// ASCII byte or one double-byte pair (for instance '€' or an emoji) counts as the one byte '?'. So the
// bytes of a line's text and the positions it covers correspond one to one, and a byte of 0x80 or
// above always starts a two-byte character.
//
// Lines. Every paragraph gives at least one display line; a paragraph longer than the wrap width is
// broken at word boundaries (anywhere inside Chinese text and inside words too long for a line). As
// in the control, a final display line that is empty is not counted, so an empty document, or one that
// is only an empty paragraph, has no lines.
//
// Fonts. Sizes are whole points at 96 pixels per inch (12 points are 16 pixels); faces are chosen by
// DrawingFace (font_substitution.h), and characters a face lacks are drawn in the 宋体 face. Text is never
// smoothed and never kerned, so that the width of a run is the sum of the widths of its characters
// and drawing a line run by run matches its layout.
class QPainter;

namespace pelvoro {

class RichLayout {
public:
    // The conversion passes the main area's width (W + 128 for subtitles): this engine has no inner
    // margins to take off. A wrap width of 0 or less lays every paragraph out as one line.
    explicit RichLayout(int wrapWidth = 0);

    void SetWrapWidth(int pixels);
    int WrapWidth() const { return wrapWidth_; }

    // The document replaces any previous one.
    void SetDocument(RichDocument document);
    // RTF, or plain GBK text when the bytes are not RTF.
    void LoadRichText(QByteArrayView bytes);
    // False, and the previous document kept, when the file cannot be read.
    bool LoadFile(const QString &path);
    void Clear();
    const RichDocument &Document() const { return document_; }

    // --- display lines (line indexes are 0-based; out-of-range indexes give empty answers)
    int LineCount() const { return int(lines_.size()); }
    QByteArray LineText(int line) const; // GBK, without the paragraph break
    QString LineString(int line) const;
    int LineStart(int line) const;  // position of the line's first character
    int LineLength(int line) const; // in positions: LineText(line).size()
    int LineParagraph(int line) const;
    ParagraphFormat LineParagraphFormat(int line) const;
    // The format of the paragraph mark of the line's paragraph: what sizes an empty line.
    CharFormat LineMarkFormat(int line) const;

    // --- positions
    int PositionCount() const { return positionCount_; }
    // Whether `position` is one of the two positions of a paragraph break (CR at the first).
    bool IsParagraphBreak(int position) const;
    // The format of the character at `position` (either byte of a double-byte character); a paragraph
    // break has its paragraph mark's format. Outside the document: a default format.
    CharFormat FormatAt(int position) const;
    // Whether bold, colour, face, italic, size and underline stay the same over [from, to), paragraph
    // breaks included; strike-out is not considered. True for an empty range.
    bool IsUniform(int from, int to) const;
    // The characters starting in [from, to); a paragraph break reads "\r\n".
    QString Text(int from, int to) const;

    // --- fonts, measuring and drawing
    // round(points × 96 / 72), at least 1.
    static int PixelSize(int points);
    static QFont FontFor(const CharFormat &format);
    // Width in pixels of `text` in the format.
    static int TextWidth(const QString &text, const CharFormat &format);
    // Draws `text` with its character cell's top-left corner at (x, y), transparent background, no
    // smoothing. The image must be one QPainter draws on (32-bit RGB or ARGB); false otherwise.
    // Draws `text` in `font` with its cell's top-left corner at (x, y), as page text is drawn: no
    // smoothing, except for faces whose hinted outlines lose strokes at LED sizes.
    static void DrawRun(QPainter &painter, int x, int y, const QString &text, const QFont &font, const QColor &color);
    static bool DrawText(QImage *image, int x, int y, const QString &text, const CharFormat &format,
                         const QColor &color);

private:
    struct ParagraphLayout {
        int start = 0;             // position of the first character
        QString text;              // the paragraph's characters
        QByteArray bytes;          // GBK, one byte per position
        std::vector<int> unitPos;  // position offset of each UTF-16 unit, plus one past the end
        std::vector<int> runStart; // first UTF-16 unit of each run of the document's paragraph
    };
    struct Line {
        int paragraph = 0;
        int firstUnit = 0;
        int unitCount = 0;
    };
    struct Segment {
        const CharFormat *format = nullptr;
        int end = 0; // position after the segment
    };

    void Relayout();
    void Encode(ParagraphLayout *layout, const QString &text);
    int ParagraphAt(int position) const; // -1 outside the document
    Segment SegmentAt(int position) const;
    const Line *LineAt(int line) const;

    int wrapWidth_ = 0;
    RichDocument document_;
    std::vector<ParagraphLayout> paragraphs_;
    std::vector<Line> lines_;
    int positionCount_ = 0;
    QHash<char32_t, QByteArray> gbkCache_; // GBK bytes of each character met so far
};

} // namespace pelvoro
