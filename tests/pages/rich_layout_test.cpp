#include "pages/rich_layout.h"

#include "base/gbk.h"
#include "pages/font_substitution.h"
#include "pages/rtf_reader.h"
#include "support/led_colours.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

CharFormat Song(int points = 12)
{
    CharFormat format;
    format.face = QStringLiteral("宋体");
    format.charset = kGb2312Charset;
    format.sizeHalfPoints = points * 2;
    return format;
}

QSet<QRgb> Colours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return colours;
}

// The smallest rectangle holding every pixel that is not `background`.
QRect Inked(const QImage &image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage Canvas(int width, int height, QRgb fill = kBlack)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

class RichLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    RichLayout Layout(const char *rtf, int wrapWidth = 0)
    {
        RichLayout layout(wrapWidth);
        layout.LoadRichText(QByteArray(rtf));
        return layout;
    }

    static bool SongInstalled()
    {
        const QStringList families = QFontDatabase::families();
        for (const QString &face : SubstitutesFor(QStringLiteral("宋体"))) {
            if (families.contains(face))
                return true;
        }
        return false;
    }
};

TEST_F(RichLayoutTest, PixelSizesAtNinetySixDpi)
{
    const std::pair<int, int> cases[] = {{1, 1}, {9, 12}, {10, 13}, {11, 15}, {12, 16}, {13, 17}, {72, 96}};
    for (const auto &[points, pixels] : cases)
        EXPECT_EQ(RichLayout::PixelSize(points), pixels) << points;
    // A 10.5-point run is drawn at 10 points.
    CharFormat f = Song();
    f.sizeHalfPoints = 21;
    EXPECT_EQ(RichLayout::FontFor(f).pixelSize(), 13);
}

TEST_F(RichLayoutTest, WindowsFacesUseTheirSubstitutesWithoutSmoothing)
{
    if (!SongInstalled())
        GTEST_SKIP() << "no substitute face for 宋体 is installed";
    const QFont font = RichLayout::FontFor(Song());
    EXPECT_TRUE(SubstitutesFor(QStringLiteral("宋体")).contains(QFontInfo(font).family()))
        << QFontInfo(font).family().toStdString();
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_TRUE(font.styleStrategy() & QFont::NoAntialias);
    // An empty face is 宋体 too.
    EXPECT_EQ(QFontInfo(RichLayout::FontFor(CharFormat{})).family(), QFontInfo(font).family());
}

// Positions: bytes of GBK for characters, CR LF for every paragraph break.
TEST_F(RichLayoutTest, LinesAndPositions)
{
    const RichLayout layout = Layout(R"({\rtf1\uc0 a\u20013 b\par\par \u8364\u55357\u56832 x\par})");
    ASSERT_EQ(layout.LineCount(), 3);
    EXPECT_EQ(layout.LineText(0), ToGbk(u"a中b"_qs));
    EXPECT_EQ(layout.LineString(0), u"a中b"_qs);
    EXPECT_EQ(layout.LineStart(0), 0);
    EXPECT_EQ(layout.LineLength(0), 4);
    EXPECT_EQ(layout.LineText(1), QByteArray());
    EXPECT_EQ(layout.LineStart(1), 6);
    EXPECT_EQ(layout.LineLength(1), 0);
    // Characters GBK holds neither as ASCII nor as a pair count as one '?'.
    EXPECT_EQ(layout.LineText(2), QByteArray("??x"));
    EXPECT_EQ(layout.LineString(2), u"€😀x"_qs);
    EXPECT_EQ(layout.LineStart(2), 8);
    EXPECT_EQ(layout.LineLength(2), 3);
    EXPECT_EQ(layout.PositionCount(), 13);

    const bool breaks[] = {false, false, false, false, true, true, true, true, false, false, false, true, true};
    for (int p = 0; p < 13; ++p)
        EXPECT_EQ(layout.IsParagraphBreak(p), breaks[p]) << p;
    EXPECT_FALSE(layout.IsParagraphBreak(-1));
    EXPECT_FALSE(layout.IsParagraphBreak(13));

    EXPECT_EQ(layout.Text(0, 13), u"a中b\r\n\r\n€😀x\r\n"_qs);
    EXPECT_EQ(layout.Text(1, 3), u"中"_qs);
    EXPECT_EQ(layout.Text(3, 5), u"b\r"_qs);
    EXPECT_EQ(layout.Text(-5, 1), u"a"_qs);
    EXPECT_EQ(layout.Text(12, 99), u"\n"_qs);

    EXPECT_EQ(layout.LineText(3), QByteArray());
    EXPECT_EQ(layout.LineParagraph(-1), -1);
}

TEST_F(RichLayoutTest, EmptyTrailingLineIsNotCounted)
{
    struct Case {
        const char *rtf;
        int lines;
    };
    const Case cases[] = {
        {"", 0},
        {R"({\rtf1 })", 0},
        {R"({\rtf1 \par})", 0},
        {R"({\rtf1 {\fonttbl{\f0 A;}}{\*\generator x;}\pard\par})", 0},
        {R"({\rtf1 a\par\par})", 1},
        {R"({\rtf1 \par a})", 2},
        {R"({\rtf1 a\par\par b})", 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Layout(c.rtf).LineCount(), c.lines) << c.rtf;
}

TEST_F(RichLayoutTest, ChineseTextWrapsWhereTheNextCharacterWouldPassTheWidth)
{
    if (!SongInstalled())
        GTEST_SKIP() << "no substitute face for 宋体 is installed";
    const QString text = u"一二三四五六七八九十甲乙丙丁"_qs;
    RichDocument document;
    Paragraph paragraph;
    paragraph.Append(text, Song());
    document.paragraphs.append(paragraph);
    for (const int wrap : {64, 71, 135, 40}) {
        RichLayout layout(wrap);
        layout.SetDocument(document);
        QString joined;
        for (int i = 0; i < layout.LineCount(); ++i) {
            const QString line = layout.LineString(i);
            joined += line;
            EXPECT_LE(RichLayout::TextWidth(line, Song()), wrap) << wrap << " line " << i;
            if (i + 1 < layout.LineCount()) {
                const QString longer = line + layout.LineString(i + 1).left(1);
                EXPECT_GT(RichLayout::TextWidth(longer, Song()), wrap) << wrap << " line " << i;
                EXPECT_EQ(layout.LineStart(i + 1), layout.LineStart(i) + layout.LineLength(i));
            }
        }
        EXPECT_EQ(joined, text) << wrap;
    }
    // 16 pixels a character: four fit a 64-dot area exactly.
    RichLayout layout(64);
    layout.SetDocument(document);
    EXPECT_EQ(layout.LineCount(), 4);
    EXPECT_EQ(layout.LineText(0), ToGbk(u"一二三四"_qs));
    EXPECT_EQ(layout.LineStart(1), 8);
}

TEST_F(RichLayoutTest, LatinTextWrapsAtWordsAndWidthChangesRelayout)
{
    CharFormat arial = Song();
    arial.face = QStringLiteral("Arial");
    const int fits = RichLayout::TextWidth(u"alpha beta"_qs, arial);
    RichDocument document;
    Paragraph paragraph;
    paragraph.Append(u"alpha beta gamma"_qs, arial);
    document.paragraphs.append(paragraph);

    RichLayout layout(fits + 2);
    layout.SetDocument(document);
    ASSERT_EQ(layout.LineCount(), 2);
    EXPECT_EQ(layout.LineString(0), u"alpha beta "_qs);
    EXPECT_EQ(layout.LineText(1), QByteArray("gamma"));
    EXPECT_EQ(layout.LineStart(1), 11);

    layout.SetWrapWidth(0);
    EXPECT_EQ(layout.LineCount(), 1);
    int widest = 0;
    for (const QString &word : {u"alpha"_qs, u"beta"_qs, u"gamma"_qs})
        widest = std::max(widest, RichLayout::TextWidth(word, arial));
    layout.SetWrapWidth(widest + 2);
    EXPECT_EQ(layout.LineCount(), 3);
    EXPECT_EQ(layout.LineString(1), u"beta "_qs);
}

TEST_F(RichLayoutTest, FormatsAndConsistencyOfRanges)
{
    // a | cc (strike) | bb (bold) | d (red) | CR LF | 中 (15 points) | CR LF
    const RichLayout layout = Layout(
        R"({\rtf1{\fonttbl{\f0\fcharset134 \'cb\'ce\'cc\'e5;}{\f1 Arial;}}{\colortbl;\red255\green0\blue0;})"
        R"(\f0 a{\strike cc}{\b bb}{\cf1 d}\par{\fs30\'d6\'d0}\par})");
    ASSERT_EQ(layout.PositionCount(), 12);
    EXPECT_EQ(layout.FormatAt(0).face, u"宋体"_qs);
    EXPECT_TRUE(layout.FormatAt(1).strike);
    EXPECT_TRUE(layout.FormatAt(3).bold);
    EXPECT_EQ(layout.FormatAt(5).color, qRgb(255, 0, 0));
    EXPECT_TRUE(layout.FormatAt(6).autoColor); // the paragraph mark
    EXPECT_EQ(layout.FormatAt(8).PointSize(), 15);
    EXPECT_EQ(layout.FormatAt(9), layout.FormatAt(8)); // both bytes of 中
    EXPECT_EQ(layout.FormatAt(12), CharFormat{});

    struct Case {
        int from, to;
        bool uniform;
    };
    const Case cases[] = {
        {0, 1, true},  {0, 3, true},                 // strike-out is not considered
        {0, 4, false}, {3, 5, true},  {4, 6, false}, // bold, colour
        {5, 6, true},  {5, 7, false}, {6, 8, true},  // the break has the plain format
        {8, 10, true}, {7, 9, false}, {9, 9, true},  {-3, 1, true}, {8, 99, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(layout.IsUniform(c.from, c.to), c.uniform) << c.from << ".." << c.to;
}

TEST_F(RichLayoutTest, ParagraphFormatsOfLines)
{
    const RichLayout layout = Layout(R"({\rtf1\qc\sl360\slmult1 a\par\pard\qr\fs40 b\par\pard\fs18\par c})");
    ASSERT_EQ(layout.LineCount(), 4);
    EXPECT_EQ(layout.LineParagraphFormat(0), (ParagraphFormat{Alignment::Center, LineSpacingRule::OneAndHalf}));
    EXPECT_EQ(layout.LineParagraphFormat(1), (ParagraphFormat{Alignment::Right}));
    EXPECT_EQ(layout.LineMarkFormat(1).PointSize(), 20);
    EXPECT_EQ(layout.LineText(2), QByteArray());
    EXPECT_EQ(layout.LineMarkFormat(2).PointSize(), 9);
    EXPECT_EQ(layout.LineParagraph(3), 3);
    EXPECT_EQ(layout.LineParagraphFormat(4), ParagraphFormat{});
}

TEST_F(RichLayoutTest, TabsMeasureAsSpaces)
{
    const RichLayout layout = Layout(R"({\rtf1 a\tab b})");
    EXPECT_EQ(layout.LineText(0), QByteArray("a\tb"));
    EXPECT_EQ(RichLayout::TextWidth(u"a\tb"_qs, Song()), RichLayout::TextWidth(u"a b"_qs, Song()));
}

TEST_F(RichLayoutTest, FailedLoadKeepsTheDocument)
{
    RichLayout layout = Layout(R"({\rtf1 kept})");
    EXPECT_FALSE(layout.LoadFile(QStringLiteral("/nonexistent/x.rtf")));
    EXPECT_EQ(layout.LineString(0), u"kept"_qs);
    layout.Clear();
    EXPECT_EQ(layout.LineCount(), 0);
    EXPECT_EQ(layout.PositionCount(), 0);
}

// --- drawing

TEST_F(RichLayoutTest, DrawnTextHasOnlyTheTextColourOnTheBackground)
{
    if (!SongInstalled())
        GTEST_SKIP() << "no substitute face for 宋体 is installed";
    struct Case {
        const char *name;
        void (*style)(CharFormat &);
    };
    const Case cases[] = {
        {"plain", [](CharFormat &) {}},
        {"bold", [](CharFormat &f) { f.bold = true; }},
        {"italic", [](CharFormat &f) { f.italic = true; }},
        {"underline and strike", [](CharFormat &f) { f.underline = f.strike = true; }},
    };
    for (const Case &c : cases) {
        CharFormat format = Song();
        c.style(format);
        QImage image = Canvas(220, 30);
        ASSERT_TRUE(RichLayout::DrawText(&image, 4, 6, u"中文显示屏 LED 12pt"_qs, format, QColor(kRed)));
        EXPECT_EQ(Colours(image), (QSet<QRgb>{kBlack, kRed})) << c.name;
    }
}

TEST_F(RichLayoutTest, DrawsWithTheCharacterCellAtThePoint)
{
    if (!SongInstalled())
        GTEST_SKIP() << "no substitute face for 宋体 is installed";
    const QString text = u"中文Ag"_qs;
    QImage atOrigin = Canvas(100, 40);
    ASSERT_TRUE(RichLayout::DrawText(&atOrigin, 0, 0, text, Song(), QColor(kRed)));
    QImage moved = Canvas(100, 40);
    ASSERT_TRUE(RichLayout::DrawText(&moved, 9, 5, text, Song(), QColor(kRed)));
    EXPECT_EQ(moved.copy(9, 5, 91, 35), atOrigin.copy(0, 0, 91, 35));

    const QRect ink = Inked(atOrigin, kBlack);
    const QFontMetrics metrics(RichLayout::FontFor(Song()));
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.top(), 0);
    EXPECT_LT(ink.bottom(), metrics.height());
    EXPECT_LT(ink.right(), RichLayout::TextWidth(text, Song()));
}

TEST_F(RichLayoutTest, DrawingLeavesTheBackgroundAndRefusesPalettedImages)
{
    QImage image = Canvas(60, 20, kGreen);
    ASSERT_TRUE(RichLayout::DrawText(&image, 0, 0, u"中"_qs, Song(), QColor(kRed)));
    EXPECT_EQ(image.pixel(59, 19), kGreen);
    EXPECT_TRUE(Colours(image).contains(kRed));

    QImage paletted(16, 16, QImage::Format_Indexed8);
    paletted.setColorCount(2);
    EXPECT_FALSE(RichLayout::DrawText(&paletted, 0, 0, u"x"_qs, Song(), QColor(kRed)));
    EXPECT_FALSE(RichLayout::DrawText(nullptr, 0, 0, u"x"_qs, Song(), QColor(kRed)));
}

} // namespace
} // namespace pelvoro::test
