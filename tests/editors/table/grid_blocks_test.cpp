// Merged blocks: expanding to blocks, merging, splitting, clearing and resetting.
#include "grid_fixture.h"

namespace pelvoro::test {
namespace {

using GridBlocksTest = GridTest;

TEST_F(GridBlocksTest, ExpandToBlocksGrowsUntilNoBlockIsCut)
{
    grid.SetColCount(10);
    grid.SetRowCount(10);
    ASSERT_TRUE(grid.MergeCells({2, 2, 3, 3}, false));
    ASSERT_TRUE(grid.MergeCells({4, 3, 5, 4}, false)); // reached only through the first block
    ASSERT_TRUE(grid.MergeCells({5, 2, 6, 2}, false)); // reached only through the second
    ASSERT_TRUE(grid.MergeCells({6, 8, 8, 8}, false));
    const QList<std::pair<GridRect, GridRect>> cases = {
        {{1, 1, 1, 1}, {1, 1, 1, 1}}, {{3, 3, 3, 3}, {2, 2, 3, 3}},
        {{1, 1, 2, 2}, {1, 1, 3, 3}}, {{3, 2, 4, 2}, {2, 2, 6, 4}}, // a chain: block one, then two, then three
        {{4, 2, 2, 2}, {2, 2, 6, 4}},                               // corners given the other way round
        {{7, 7, 7, 8}, {6, 7, 8, 8}}, {{1, 1, 9, 9}, {1, 1, 9, 9}},
    };
    for (const auto &[rect, expanded] : cases) {
        EXPECT_EQ(grid.ExpandToBlocks(rect), expanded) << rect.Left << "," << rect.Top;
        EXPECT_EQ(grid.CutsBlock(rect), rect.Normalized() != expanded);
    }
}

TEST_F(GridBlocksTest, MergeAsksAboutSeveralValuesAndKeepsTheFirst)
{
    grid.SetForeText(2, 1, QStringLiteral("x"));
    grid.SetForeText(1, 2, QStringLiteral("y"));
    grid.SetCellProp({2, 1, 2, 1}, CellProp::FontSize, 20);
    prompt.answers.enqueue(PromptButton::Cancel);
    EXPECT_FALSE(grid.MergeCells({1, 1, 2, 2}, true));
    EXPECT_FALSE(grid.IsMerged(1, 1));
    prompt.answers.enqueue(PromptButton::Ok);
    EXPECT_TRUE(grid.MergeCells({1, 1, 2, 2}, true));
    EXPECT_EQ(Questions(),
              QStringList(2, QStringLiteral("选定区域包含多重数值。合并到一个单元格后只能保留最左上角的数据。")));
    EXPECT_EQ(prompt.questions.first().caption, QStringLiteral("询问"));
    EXPECT_EQ(Texts({1, 1, 2, 2}), QStringLiteral("x|/|"));
    for (int col = 1; col <= 2; ++col) {
        for (int row = 1; row <= 2; ++row) {
            EXPECT_EQ(grid.MergeRect(col, row), GridRect(1, 1, 2, 2));
            EXPECT_EQ(grid.Cell(col, row).FontSize, 20); // the source's formatting everywhere
        }
    }
    // Without confirmation nothing is asked.
    grid.SetForeText(3, 3, QStringLiteral("a"));
    grid.SetForeText(4, 3, QStringLiteral("b"));
    EXPECT_TRUE(grid.MergeCells({3, 3, 4, 4}, false));
    EXPECT_EQ(prompt.questions.size(), 2);
    EXPECT_EQ(Texts({3, 3, 4, 3}), QStringLiteral("a|"));
    ExpectSoundBlocks();
}

TEST_F(GridBlocksTest, MergeRefusesTitlesSingleCellsCutBlocksAndFixedBoundaries)
{
    grid.SetColCount(8);
    grid.SetRowCount(8);
    ASSERT_TRUE(grid.MergeCells({5, 5, 6, 6}, false));
    grid.SetFixedCols(2);
    grid.SetFixedRows(2);
    const QList<std::pair<GridRect, bool>> cases = {
        {{0, 3, 1, 4}, false}, // title column
        {{3, 0, 4, 1}, false}, // title row
        {{3, 3, 3, 3}, false}, // one cell
        {{4, 4, 3, 3}, false}, // inverted
        {{4, 4, 5, 5}, false}, // half a block
        {{6, 6, 8, 8}, false}, // outside the grid
        {{2, 4, 3, 4}, false}, // across the fixed columns, below the fixed rows
        {{4, 2, 4, 3}, false}, // across the fixed rows, right of the fixed columns
        {{2, 2, 3, 3}, true},  // across both boundaries
        {{1, 1, 2, 1}, true},  // inside the fixed corner
        {{3, 3, 7, 7}, true},  // around a whole block
    };
    for (const auto &[rect, merges] : cases) {
        TEasyGrid copy(prompt, ScreenResolution{96, 96});
        ASSERT_TRUE(copy.LoadFromBytes(grid.SaveToBytes()).Ok());
        EXPECT_EQ(copy.MergeCells(rect, false), merges) << rect.Left << "," << rect.Top;
        if (!merges) {
            EXPECT_EQ(copy.Content(), grid.Content());
        }
    }
}

TEST_F(GridBlocksTest, SplitRestoresSingleCellsWithTheOwnersFormatting)
{
    grid.SetForeText(1, 1, QStringLiteral("owner"));
    grid.SetCellProp({1, 1, 1, 1}, CellProp::Color, 0x00FF00);
    ASSERT_TRUE(grid.MergeCells({1, 1, 2, 2}, false));
    EXPECT_FALSE(grid.SplitCells({2, 2, 3, 3})); // cuts the block
    EXPECT_FALSE(grid.SplitCells({2, 2, 2, 2})); // a single cell
    EXPECT_TRUE(grid.IsMerged(2, 2));
    EXPECT_TRUE(grid.SplitCells({0, 0, 2, 2})); // clipped to the client area
    for (int col = 1; col <= 2; ++col) {
        for (int row = 1; row <= 2; ++row) {
            EXPECT_EQ(grid.MergeRect(col, row), GridRect::Cell(col, row));
            EXPECT_EQ(grid.Cell(col, row).Color, 0x00FF00);
        }
    }
    EXPECT_EQ(Texts({1, 1, 2, 2}), QStringLiteral("owner|/|"));
}

TEST_F(GridBlocksTest, ClearEmptiesTheBlocksThatAreNotReadOnly)
{
    Label({1, 1, 4, 4});
    grid.SetBackText(3, 3, QStringLiteral("back"));
    ASSERT_TRUE(grid.MergeCells({3, 3, 4, 4}, false));
    grid.SetCellProp({2, 1, 2, 4}, CellProp::ReadOnly, true);
    QList<GridRect> repainted;
    grid.SetRepaintHandler([&](const GridRect &rect) { repainted << rect; });
    grid.ClearCells({1, 1, 3, 3}); // touches the block through its owner
    EXPECT_EQ(Texts({1, 1, 4, 4}), QStringLiteral("|2,1||4,1/|2,2||4,2/|2,3||/1,4|2,4||"));
    EXPECT_EQ(grid.BackText(3, 3), QString());
    EXPECT_EQ(repainted, QList<GridRect>{GridRect(1, 1, 4, 4)});
    EXPECT_TRUE(grid.AutoUpdate());
}

TEST_F(GridBlocksTest, ResetGivesNewCellsUnlessABlockIsCut)
{
    grid.SetCellProp({1, 1, 4, 4}, CellProp::FontSize, 30);
    Label({1, 1, 4, 4});
    ASSERT_TRUE(grid.MergeCells({3, 3, 4, 4}, false));
    EXPECT_FALSE(grid.ResetCells({2, 2, 3, 3}));
    EXPECT_TRUE(grid.ResetCells({0, 0, 2, 2})); // titles untouched
    EXPECT_EQ(grid.Cell(1, 1), grid.Content().NewCell(1, 1));
    EXPECT_EQ(grid.Cell(2, 2), grid.Content().NewCell(2, 2));
    EXPECT_EQ(grid.Cell(3, 1).FontSize, 30);
    EXPECT_TRUE(grid.ResetCells({3, 3, 4, 4}));
    EXPECT_FALSE(grid.IsMerged(3, 3));
    ExpectSoundBlocks();
}

} // namespace
} // namespace pelvoro::test
