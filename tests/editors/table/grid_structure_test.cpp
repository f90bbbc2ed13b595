// Whole columns and rows inserted and deleted, and cells shifted inside the grid.
#include "grid_fixture.h"

namespace pelvoro::test {
namespace {

class GridStructureTest : public GridTest {
protected:
    void SetUp() override
    {
        grid.SetColCount(7);
        grid.SetRowCount(7);
        Label({1, 1, 6, 6});
    }
    // The events fired, as "name rect".
    QStringList RecordEvents()
    {
        auto record = [this](const char *name) {
            return [this, name](TCustomEasyGrid &, const GridRect &r) {
                fired << QStringLiteral("%1 %2,%3-%4,%5")
                             .arg(QLatin1String(name))
                             .arg(r.Left)
                             .arg(r.Top)
                             .arg(r.Right)
                             .arg(r.Bottom);
            };
        };
        grid.events.OnInsertCol = record("InsertCol");
        grid.events.OnInsertRow = record("InsertRow");
        grid.events.OnDeleteCol = record("DeleteCol");
        grid.events.OnDeleteRow = record("DeleteRow");
        grid.events.OnInsertCellRight = record("InsertCellRight");
        grid.events.OnInsertCellDown = record("InsertCellDown");
        grid.events.OnDeleteCellRight = record("DeleteCellRight");
        grid.events.OnDeleteCellDown = record("DeleteCellDown");
        return fired;
    }
    QStringList fired;
};

TEST_F(GridStructureTest, InsertedColumnsWidenTheBlocksTheyCut)
{
    RecordEvents();
    grid.SetColWidth(2, 55);
    ASSERT_TRUE(grid.MergeCells({1, 2, 3, 2}, false));
    ASSERT_TRUE(grid.MergeCells({2, 4, 2, 5}, false)); // begins at the insertion: moves
    ASSERT_TRUE(grid.MergeCells({4, 4, 5, 4}, false));
    ASSERT_TRUE(grid.InsertCols({2, 1, 2, 3}));
    EXPECT_EQ(grid.ColCount(), 8);
    EXPECT_EQ(grid.MergeRect(1, 2), GridRect(1, 2, 4, 2));
    EXPECT_EQ(grid.MergeRect(2, 2), GridRect(1, 2, 4, 2)); // the new cell belongs to the block
    EXPECT_EQ(grid.MergeRect(3, 4), GridRect(3, 4, 3, 5));
    EXPECT_EQ(grid.MergeRect(5, 4), GridRect(5, 4, 6, 4));
    EXPECT_EQ(Texts({1, 1, 4, 1}), QStringLiteral("1,1||2,1|3,1"));
    EXPECT_EQ(grid.Cell(2, 3), grid.Content().NewCell(2, 3));
    EXPECT_EQ(grid.ColWidth(2), 55); // widths stay where they were
    EXPECT_EQ(grid.ColWidth(7), 80);
    EXPECT_EQ(fired, QStringList{QStringLiteral("InsertCol 2,1-2,3")});
    ExpectSoundBlocks();
}

TEST_F(GridStructureTest, InsertedRowsMoveEverythingBelowDown)
{
    RecordEvents();
    ASSERT_TRUE(grid.MergeCells({2, 1, 3, 3}, false));
    ASSERT_TRUE(grid.InsertRows({1, 2, 4, 3})); // two rows above row 2
    EXPECT_EQ(grid.RowCount(), 9);
    EXPECT_EQ(grid.MergeRect(2, 1), GridRect(2, 1, 3, 5));
    EXPECT_EQ(Texts({1, 1, 1, 5}), QStringLiteral("1,1///1,2/1,3"));
    EXPECT_EQ(fired, QStringList{QStringLiteral("InsertRow 1,2-4,3")});
    ExpectSoundBlocks();
}

TEST_F(GridStructureTest, ColumnsPastTheLimitMustBeEmpty)
{
    grid.SetColCount(256);
    grid.SetForeText(254, 3, QStringLiteral("keep"));
    EXPECT_FALSE(grid.InsertCols({2, 1, 3, 1})); // the last two columns would go
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("为了防止数据丢失,表格中最右侧的非空白单元格不能被移去。\r\n\r\n"
                                                     "请清除该非空白单元格的内容,或将数据移到新的位置后再尝试。")});
    EXPECT_EQ(prompt.messages.first().icon, PromptIcon::Error);
    EXPECT_EQ(grid.ForeText(2, 1), QStringLiteral("2,1"));
    EXPECT_TRUE(grid.InsertCols({2, 1, 2, 1})); // only column 255 goes
    EXPECT_EQ(grid.ColCount(), 256);
    EXPECT_EQ(grid.ForeText(255, 3), QStringLiteral("keep"));
    EXPECT_EQ(grid.ForeText(3, 1), QStringLiteral("2,1"));
    // A fixed row keeps no protection, and its block is cut back at the grid's end.
    grid.SetFixedRows(1);
    ASSERT_TRUE(grid.MergeCells({250, 1, 255, 1}, false));
    grid.SetForeText(255, 3, QString());
    EXPECT_TRUE(grid.InsertCols({5, 2, 5, 2}));
    EXPECT_EQ(grid.MergeRect(251, 1), GridRect(251, 1, 255, 1));
    ExpectSoundBlocks();
}

TEST_F(GridStructureTest, DeletedColumnsShortenOrShiftTheBlocksTheyCut)
{
    RecordEvents();
    ASSERT_TRUE(grid.MergeCells({1, 1, 3, 1}, false)); // ends inside the range
    ASSERT_TRUE(grid.MergeCells({1, 2, 5, 2}, false)); // reaches beyond it
    ASSERT_TRUE(grid.MergeCells({3, 3, 5, 3}, false)); // begins inside it
    ASSERT_TRUE(grid.MergeCells({2, 4, 3, 4}, false)); // wholly inside it
    grid.DeleteCols({2, 1, 3, 6});
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.MergeRect(1, 1), GridRect::Cell(1, 1));
    EXPECT_EQ(grid.MergeRect(1, 2), GridRect(1, 2, 3, 2));
    EXPECT_EQ(grid.MergeRect(2, 3), GridRect(2, 3, 3, 3));
    EXPECT_EQ(grid.MergeRect(2, 4), GridRect::Cell(2, 4));
    EXPECT_EQ(Texts({1, 5, 4, 5}), QStringLiteral("1,5|4,5|5,5|6,5"));
    EXPECT_EQ(fired, QStringList{QStringLiteral("DeleteCol 2,1-3,6")});
    ExpectSoundBlocks();
    grid.DeleteRows({1, 2, 1, 5});
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(Texts({1, 1, 1, 2}), QStringLiteral("1,1/1,6"));
    EXPECT_THROW(grid.DeleteRows({1, 1, 1, 2}), EInvalidGridOperation);
    EXPECT_THROW(grid.DeleteCols({0, 1, 1, 1}), EInvalidGridOperation);
    EXPECT_THROW(grid.InsertRows({1, 0, 1, 0}), EInvalidGridOperation);
    EXPECT_EQ(grid.RowCount(), 3);
}

TEST_F(GridStructureTest, ShiftingCellsKeepsDataAndAsksBeforeTearingBlocks)
{
    RecordEvents();
    // Right: the last column of rows 2-3 is not empty.
    EXPECT_FALSE(grid.InsertCellsRight({2, 2, 2, 3}));
    EXPECT_EQ(Messages().size(), 1);
    grid.ClearCells({6, 2, 6, 3});
    EXPECT_TRUE(grid.InsertCellsRight({2, 2, 2, 3}));
    EXPECT_EQ(Texts({1, 2, 6, 3}), QStringLiteral("1,2||2,2|3,2|4,2|5,2/1,3||2,3|3,3|4,3|5,3"));
    EXPECT_EQ(Texts({1, 4, 6, 4}), QStringLiteral("1,4|2,4|3,4|4,4|5,4|6,4"));
    // Down, with a block in the moving cells that reaches out of them to the right.
    grid.ClearCells({1, 6, 6, 6});
    ASSERT_TRUE(grid.MergeCells({4, 4, 5, 5}, false));
    prompt.answers.enqueue(PromptButton::Cancel);
    EXPECT_FALSE(grid.InsertCellsDown({3, 2, 4, 2}));
    EXPECT_EQ(grid.MergeRect(5, 5), GridRect(4, 4, 5, 5));
    prompt.answers.enqueue(PromptButton::Ok);
    EXPECT_TRUE(grid.InsertCellsDown({3, 2, 4, 2}));
    EXPECT_EQ(Questions(), QStringList(2, QStringLiteral("此操作将会导致一些合并单元格被拆散,是否继续?")));
    EXPECT_FALSE(grid.IsMerged(4, 5));
    EXPECT_FALSE(grid.IsMerged(5, 5));
    EXPECT_EQ(Texts({3, 1, 3, 6}), QStringLiteral("3,1//2,2/2,3/3,4/3,5"));
    EXPECT_EQ(grid.ForeText(4, 5), QStringLiteral("4,4"));
    // Left and up pull the rest over the rectangle and leave new cells at the far end.
    EXPECT_TRUE(grid.DeleteCellsLeft({1, 1, 2, 1}));
    EXPECT_EQ(Texts({1, 1, 6, 1}), QStringLiteral("3,1|4,1|5,1|6,1||"));
    EXPECT_TRUE(grid.DeleteCellsUp({1, 1, 1, 1}));
    EXPECT_EQ(Texts({1, 1, 1, 6}), QStringLiteral("1,2/1,3/1,4/1,5//"));
    EXPECT_EQ(fired,
              (QStringList{QStringLiteral("InsertCellRight 2,2-2,3"), QStringLiteral("InsertCellDown 3,2-4,2"),
                           QStringLiteral("DeleteCellRight 1,1-2,1"), QStringLiteral("DeleteCellDown 1,1-1,1")}));
    ExpectSoundBlocks();
}

TEST_F(GridStructureTest, ShiftedBlocksMoveWhole)
{
    grid.ClearCells({5, 1, 6, 6});
    ASSERT_TRUE(grid.MergeCells({3, 2, 4, 3}, false));
    EXPECT_TRUE(grid.InsertCellsRight({2, 2, 3, 3}));
    EXPECT_EQ(grid.MergeRect(5, 2), GridRect(5, 2, 6, 3));
    EXPECT_EQ(grid.ForeText(5, 2), QStringLiteral("3,2"));
    EXPECT_TRUE(grid.DeleteCellsLeft({2, 2, 3, 3}));
    EXPECT_EQ(grid.MergeRect(3, 3), GridRect(3, 2, 4, 3));
    EXPECT_TRUE(prompt.questions.isEmpty());
    ExpectSoundBlocks();
}

} // namespace
} // namespace pelvoro::test
