// The block buffer and what uses it: the clipboard, filling and moving.
#include "grid_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtEndian>

namespace pelvoro::test {
namespace {

class GridTransferTest : public GridTest {
protected:
    void SetUp() override
    {
        grid.SetColCount(8);
        grid.SetRowCount(8);
        Label({1, 1, 7, 7});
    }
};

TEST_F(GridTransferTest, BlockBufferHoldsTheRectangleColumnByColumn)
{
    ASSERT_TRUE(grid.MergeCells({2, 2, 3, 2}, false));
    const QByteArray block = grid.SerializeBlock({2, 2, 3, 3});
    // Left, Top, width, height, then the records of (2,2), (2,3), (3,2), (3,3).
    EXPECT_EQ(block.left(16), QByteArray::fromHex("02000000020000000200000002000000"));
    const int firstSize = qFromLittleEndian<qint32>(block.constData() + 16);
    EXPECT_EQ(firstSize, 88 + 4 + 3); // "宋体" and "2,2"
    EXPECT_EQ(block.mid(16 + 4 + 2, 16), QByteArray::fromHex("02000000020000000300000002000000"));
    EXPECT_TRUE(grid.WriteBlock(block, 5, 5));
    EXPECT_EQ(grid.MergeRect(6, 5), GridRect(5, 5, 6, 5)); // shifted with the cells
    EXPECT_EQ(Texts({5, 5, 6, 6}), QStringLiteral("2,2|/2,3|3,3"));
    EXPECT_FALSE(grid.WriteBlock(block, 7, 7));                        // does not fit
    EXPECT_FALSE(grid.WriteBlock(block.left(block.size() - 1), 1, 1)); // damaged
    ExpectSoundBlocks();
}

TEST_F(GridTransferTest, CopyCutAndPasteGoThroughTheClipboard)
{
    QStringList fired;
    grid.events.OnCutCells = [&](TCustomEasyGrid &, const GridRect &r) {
        fired << QStringLiteral("cut %1").arg(r.Left);
    };
    grid.events.OnPasteCells = [&](TCustomEasyGrid &, QPoint from, QSize size, const GridRect &dest) {
        fired << QStringLiteral("paste %1,%2 %3x%4 at %5,%6")
                     .arg(from.x())
                     .arg(from.y())
                     .arg(size.width())
                     .arg(size.height())
                     .arg(dest.Left)
                     .arg(dest.Top);
    };
    EXPECT_FALSE(grid.CanPaste());
    EXPECT_FALSE(grid.PasteCells(1, 1)); // nothing there: nothing happens, nothing said
    grid.CopyCells({1, 1, 2, 2});
    EXPECT_TRUE(grid.CanPaste());
    EXPECT_TRUE(grid.PasteCells(4, 4));
    EXPECT_EQ(Texts({4, 4, 5, 5}), QStringLiteral("1,1|2,1/1,2|2,2"));
    EXPECT_EQ(grid.Selection(), GridRect(4, 4, 5, 5));

    grid.SetCellProp({3, 3, 3, 3}, CellProp::ReadOnly, true);
    EXPECT_FALSE(grid.CutCells({2, 2, 3, 3}));
    EXPECT_TRUE(grid.CutCells({1, 6, 2, 7}));
    EXPECT_EQ(Texts({1, 6, 2, 7}), QStringLiteral("|/|"));
    EXPECT_TRUE(grid.PasteCells(6, 1));
    EXPECT_EQ(Texts({6, 1, 7, 2}), QStringLiteral("1,6|2,6/1,7|2,7"));

    const QString refused = QStringLiteral("无法粘贴信息,可能是由于以下原因,请更正后再次尝试。\r\n\r\n"
                                           "* 目标区域和现有的合并单元格冲突。\r\n* 目标区域含有只读的单元格。\r\n"
                                           "* 目标区域超过了表格的最大边界。");
    ASSERT_TRUE(grid.MergeCells({4, 1, 5, 2}, false));
    grid.CopyCells({1, 1, 3, 3});
    EXPECT_FALSE(grid.PasteCells(6, 5)); // a 3 x 3 block would pass the last column
    EXPECT_FALSE(grid.PasteCells(5, 1)); // cuts the merged block
    EXPECT_FALSE(grid.PasteCells(2, 2)); // holds the read-only cell
    grid.SetFixedCols(1);
    EXPECT_FALSE(grid.PasteCells(1, 4)); // in the fixed column
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("不能对含有只读单元格的区域进行剪切操作。"), refused, refused,
                                       refused, refused}));
    EXPECT_EQ(fired, (QStringList{QStringLiteral("paste 1,1 2x2 at 4,4"), QStringLiteral("cut 1"),
                                  QStringLiteral("paste 1,6 2x2 at 6,1")}));
    ExpectSoundBlocks();
}

TEST_F(GridTransferTest, ThePlatformClipboardCarriesTheGridFormat)
{
    SystemGridClipboard system;
    grid.SetClipboard(&system);
    grid.CopyCells({1, 1, 2, 1});
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("Vantorlex EasyGrid")));
    EXPECT_EQ(data->data(QStringLiteral("Vantorlex EasyGrid")), grid.SerializeBlock({1, 1, 2, 1}));
    EXPECT_TRUE(grid.PasteCells(3, 7));
    EXPECT_EQ(Texts({3, 7, 4, 7}), QStringLiteral("1,1|2,1"));
    QGuiApplication::clipboard()->setText(QStringLiteral("plain"));
    EXPECT_FALSE(grid.CanPaste());
}

TEST_F(GridTransferTest, FillRepeatsTheSourceAndItsRemainder)
{
    QList<std::pair<GridRect, GridRect>> fills;
    grid.events.OnFillCells = [&](TCustomEasyGrid &, const GridRect &s, const GridRect &d) { fills.append({s, d}); };
    EXPECT_TRUE(grid.FillCells({2, 1, 3, 1}, 3, FillDirection::Horizontal));
    EXPECT_EQ(Texts({1, 1, 7, 1}), QStringLiteral("1,1|2,1|3,1|2,1|3,1|2,1|7,1")); // the first column last
    EXPECT_TRUE(grid.FillCells({4, 2, 5, 2}, -3, FillDirection::Horizontal));
    EXPECT_EQ(Texts({1, 2, 5, 2}), QStringLiteral("5,2|4,2|5,2|4,2|5,2")); // the last column first
    EXPECT_TRUE(grid.FillCells({1, 3, 1, 3}, 2, FillDirection::Vertical));
    EXPECT_EQ(Texts({1, 3, 1, 6}), QStringLiteral("1,3/1,3/1,3/1,6"));
    EXPECT_EQ(grid.Selection(), GridRect(1, 3, 1, 5));
    EXPECT_EQ(fills.size(), 3);
    EXPECT_EQ(fills[1].second, GridRect(1, 2, 3, 2));

    ASSERT_TRUE(grid.MergeCells({1, 7, 2, 7}, false));
    EXPECT_FALSE(grid.FillCells({1, 7, 2, 7}, 3, FillDirection::Horizontal)); // 3 is no multiple of 2
    EXPECT_TRUE(grid.FillCells({1, 7, 2, 7}, 4, FillDirection::Horizontal));
    EXPECT_EQ(grid.MergeRect(6, 7), GridRect(5, 7, 6, 7));
    EXPECT_TRUE(Messages().isEmpty());

    ASSERT_TRUE(grid.MergeCells({6, 4, 7, 4}, false));
    EXPECT_FALSE(grid.FillCells({5, 4, 5, 4}, 1, FillDirection::Horizontal)); // the strip cuts a block
    grid.SetCellProp({3, 5, 3, 5}, CellProp::ReadOnly, true);
    EXPECT_FALSE(grid.FillCells({2, 5, 2, 5}, 2, FillDirection::Horizontal));
    EXPECT_FALSE(grid.FillCells({2, 5, 2, 5}, 7, FillDirection::Horizontal)); // leaves the grid
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("此操作要求合并单元格都具有相同大小。"),
                                       QStringLiteral("不能覆盖目标区域内的只读单元格。")}));
    ExpectSoundBlocks();
}

TEST_F(GridTransferTest, MoveAsksBeforeOverwritingAndRefusesPartialBlocks)
{
    ASSERT_TRUE(grid.MergeCells({2, 2, 3, 3}, false));
    // Moving a block over part of itself needs no question: its own cells are no target.
    grid.ClearCells({4, 2, 4, 3});
    EXPECT_TRUE(grid.MoveCells({2, 2, 3, 3}, 1, 0, false));
    EXPECT_TRUE(prompt.questions.isEmpty());
    EXPECT_EQ(grid.MergeRect(4, 3), GridRect(3, 2, 4, 3));
    EXPECT_EQ(Texts({2, 2, 3, 2}), QStringLiteral("|2,2"));
    EXPECT_EQ(grid.Selection(), GridRect(3, 2, 4, 3));

    // Copying over texts asks once.
    prompt.answers.enqueue(PromptButton::Cancel);
    EXPECT_FALSE(grid.MoveCells({1, 5, 2, 6}, 2, 0, true));
    prompt.answers.enqueue(PromptButton::Ok);
    EXPECT_TRUE(grid.MoveCells({1, 5, 2, 6}, 2, 0, true));
    EXPECT_EQ(Questions(), QStringList(2, QStringLiteral("是否替换目标区域的单元格内容?")));
    EXPECT_EQ(Texts({1, 5, 4, 5}), QStringLiteral("1,5|2,5|1,5|2,5"));

    EXPECT_FALSE(grid.MoveCells({1, 1, 1, 2}, 2, 1, false)); // half of the block
    EXPECT_FALSE(grid.MoveCells({3, 2, 4, 3}, 0, 1, true));  // a copy over its own block
    grid.SetCellProp({7, 7, 7, 7}, CellProp::ReadOnly, true);
    EXPECT_FALSE(grid.MoveCells({6, 6, 6, 6}, 1, 1, false));
    EXPECT_FALSE(grid.MoveCells({6, 6, 6, 6}, 2, 0, false)); // leaves the grid
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("不能对合并单元格作部分改动。"),
                                       QStringLiteral("不能对合并单元格作部分改动。"),
                                       QStringLiteral("不能覆盖目标区域内的只读单元格。")}));
    ExpectSoundBlocks();
}

} // namespace
} // namespace pelvoro::test
