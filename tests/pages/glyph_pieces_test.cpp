#include "pages/glyph_pieces.h"

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

// A picture from rows of text: '#' lit, anything else dark.
QImage Picture(const QStringList &rows)
{
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == u'#')
                image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return image;
}

TEST(GlyphPieces, CountsEightConnectedPieces)
{
    const struct {
        const char *name;
        QStringList rows;
        int pieces;
    } cases[] = {
        {"nothing lit", {"....", "...."}, 0},
        {"corners touch", {"#...", ".#..", "..#."}, 1},
        {"a gap of one dot", {"#.#.", "#.#.", "...."}, 2},
        {"a ring around a hole", {"###", "#.#", "###"}, 1},
        {"a stroke broken in the middle", {"##.##", ".....", "#####"}, 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CountPieces(Picture(c.rows)), c.pieces) << c.name;
}

TEST(GlyphPieces, CharacterOfSeparateStrokesIsNotBroken)
{
    // 二 is two strokes at every size: its pieces match and it does not count as broken.
    const StrokeCheck two = CheckStrokes(QStringLiteral("二"), QStringLiteral("宋体"), 16);
    EXPECT_EQ(two.referencePieces, 2);
    EXPECT_EQ(two.ledPieces, 2);
    EXPECT_FALSE(two.Broken());
    EXPECT_TRUE((StrokeCheck{3, 2}).Broken());
}

// Hinted outlines of the sans-serif face dropped strokes of these at LED sizes (请勿吸烟 read as
// "诗ㄌ吸烟"); drawn as page text is drawn, none breaks in the faces with Chinese designs.
TEST(GlyphPieces, LedTextKeepsEveryStroke)
{
    const QString characters = QStringLiteral("请勿吸烟违的是我说");
    for (const QString face : {QStringLiteral("宋体"), QStringLiteral("黑体")}) {
        for (const int size : {12, 14, 16}) {
            for (const QChar character : characters) {
                const StrokeCheck check = CheckStrokes(QString(character), face, size);
                EXPECT_FALSE(check.Broken())
                    << face.toStdString() << " " << size << " px " << QString(character).toStdString() << ": "
                    << check.ledPieces << " pieces, " << check.referencePieces << " large";
            }
        }
    }
}

} // namespace
} // namespace pelvoro::test
