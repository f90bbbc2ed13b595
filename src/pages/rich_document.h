#pragma once

#include <QList>
#include <QRgb>
#include <QString>

// The content of a rich-text document as the page conversion sees it: paragraphs with an alignment
// and a line-spacing rule, each made of runs of text that share one character format.
namespace pelvoro {

enum class Alignment { Left, Center, Right, Justify };

// The rich-text control's line-spacing rules.
enum class LineSpacingRule { Single, OneAndHalf, Double, AtLeast, Exactly, Multiple };

struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    LineSpacingRule spacingRule = LineSpacingRule::Single;
    // AtLeast and Exactly: the spacing in twips. Multiple: twentieths of a line (20 = single, 15 =
    // 0.75 lines). 0 for the other rules.
    int spacingValue = 0;

    bool operator==(const ParagraphFormat &) const = default;
};

// Character sets as documents name them (Windows charset numbers).
constexpr int kAnsiCharset = 0;
constexpr int kDefaultCharset = 1;
constexpr int kGb2312Charset = 134;

// The family a document's font table gives a face (\froman, \fswiss, \fmodern): what an
// unknown face is replaced by.
enum class FontFamily { Nil, Roman, Swiss, Modern, Other };

struct CharFormat {
    QString face;            // as the document names it ("宋体", "Arial"); empty: the layout's default
    int sizeHalfPoints = 24; // 1..3276 (0.5 to 1638 points)
    int charset = kDefaultCharset;
    FontFamily family = FontFamily::Nil;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool autoColor = true; // the automatic text colour; `color` is meaningful only when false
    QRgb color = 0xFF000000;

    // Size in whole points, the fraction dropped (10.5 points report 10).
    int PointSize() const { return sizeHalfPoints / 2; }

    bool operator==(const CharFormat &) const = default;
};

// Whether two formats belong to the same drawing run: bold, colour, face, italic, size and underline
// agree. Strike-out and character set are not compared.
bool SameRunFormat(const CharFormat &a, const CharFormat &b);

struct TextRun {
    QString text; // no paragraph breaks; '\t' for a tab
    CharFormat format;
};

struct Paragraph {
    QList<TextRun> runs;
    ParagraphFormat format;
    CharFormat markFormat; // the format of the paragraph mark: the height of an empty line

    QString Text() const;
    bool IsEmpty() const;
    // Appends text, joining the last run when its format is the same.
    void Append(const QString &text, const CharFormat &format);
};

struct RichDocument {
    QList<Paragraph> paragraphs;

    bool IsEmpty() const; // no paragraph holds a character
    // Paragraph texts joined by "\r\n".
    QString PlainText() const;
};

} // namespace pelvoro
