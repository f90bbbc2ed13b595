// The clock glyphs: cell sizes, the fixed set and its rendering.
#include "comm/glyphs.h"
#include "pages/font_substitution.h"
#include "pages/raster.h"

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

TEST(Glyphs, CellSizeFollowsTheFontSize)
{
    const struct {
        int points;
        std::optional<GlyphCell> cell;
    } cases[] = {
        {8, GlyphCell{8, 16}},   {12, GlyphCell{8, 16}},  {13, GlyphCell{16, 24}}, {14, GlyphCell{16, 24}},
        {18, GlyphCell{16, 24}}, {20, GlyphCell{16, 32}}, {24, GlyphCell{16, 32}}, {26, GlyphCell{32, 64}},
        {50, GlyphCell{32, 64}}, {51, std::nullopt},      {0, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GlyphCellFor(c.points), c.cell) << c.points;
    for (int p : GlyphPointSizes())
        EXPECT_TRUE(GlyphCellFor(p)) << p;
}

TEST(Glyphs, FortySixStringsInFourGroupsWithTheDayCharacterTwice)
{
    const auto set = GlyphSet();
    ASSERT_EQ(set.size(), 46u);
    EXPECT_EQ(set[0].Text(), QStringLiteral("-"));
    EXPECT_EQ(set[8].Text(), QStringLiteral("0"));
    EXPECT_EQ(set[18].Text(), QStringLiteral("Mon"));
    EXPECT_EQ(set[18].cells, 3);
    EXPECT_EQ(set[25].Text(), QStringLiteral("一"));
    EXPECT_EQ(set[31].Text(), QStringLiteral("日"));
    EXPECT_EQ(set[34].Text(), QStringLiteral("日"));
    EXPECT_EQ(set[45].Text(), QStringLiteral("℃"));
    EXPECT_EQ(set[45].cells, 2);
    EXPECT_EQ(GlyphSetBytes({8, 16}), 1296);
    EXPECT_EQ(GlyphSetBytes({32, 64}), 20736);
}

TEST(Glyphs, RenderedSetHasTheSizeOfItsCellsAndDarkDotsWhereNothingIsDrawn)
{
    InstallFontSubstitutions();
    for (int points : {12, 14, 24, 36}) {
        const GlyphCell cell = *GlyphCellFor(points);
        const QByteArray packed = RenderGlyphSet(QStringLiteral("宋体"), points, cell);
        ASSERT_EQ(packed.size(), GlyphSetBytes(cell)) << points;
        EXPECT_NE(packed, QByteArray(packed.size(), char(0xFF))) << "nothing drawn at " << points;
    }
    // A space draws nothing: every dot stays dark (1 bits); red dots are lit (0 bits).
    const QImage blank = RenderGlyph(QStringLiteral(" "), 8, 16, QStringLiteral("宋体"), 16);
    EXPECT_EQ(PackMonoRaster(blank, 8, 16), QByteArray(16, char(0xFF)));
}

} // namespace
} // namespace pelvoro
