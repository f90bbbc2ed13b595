#include "editors/table/ui/table_grid_view.h"
#include "editors/table/ui/table_inplace_edit.h"

#include "editors/table/grid_fixture.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

namespace pelvoro::test {
namespace {

// A grid of 8 columns and 60 rows as the table editor sets it up, shown in a 700 × 300 view.
class GridViewTest : public GridTest {
protected:
    GridViewTest()
    {
        grid.SetColCount(8);
        grid.SetRowCount(60);
        grid.SetOptions(kDefaultGridOptions | GridOptionBit(goRowSizing) | GridOptionBit(goColSizing)
                        | GridOptionBit(goEditing));
        view.resize(700, 300);
        view.show();
        view.activateWindow();
        view.setFocus();
        QApplication::processEvents();
    }

    QPoint Center(int col, int row) const { return view.CellRect(col, row).center(); }
    void Click(int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, mods, Center(col, row));
    }
    // Moves with the left button held, which QTest::mouseMove does not carry.
    void DragTo(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, view.viewport()->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }
    void Drag(const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, from);
        DragTo((from + to) / 2);
        DragTo(to);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    }
    // Keys go to whichever of the view and its editor has the focus, as the keyboard's would.
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *target = view.EditorShown() ? static_cast<QWidget *>(view.InplaceEditor()) : &view;
        QTest::keyClick(target, key, mods);
    }
    void Type(const QString &text)
    {
        for (const QChar ch : text) {
            QWidget *target = view.EditorShown() ? static_cast<QWidget *>(view.InplaceEditor()) : &view;
            QTest::keyClick(target, ch.toLatin1());
        }
    }

    TableGridView view{grid};
};

TEST_F(GridViewTest, TypingIntoACellCommitsThroughTheGridAndFiresTheEditEvents)
{
    QStringList fired;
    grid.events.OnSetEditText = [&](TCustomEasyGrid &, int col, int row, const QString &value) {
        fired << QStringLiteral("set %1,%2 %3").arg(col).arg(row).arg(value);
    };
    grid.events.OnHideEdit = [&](TCustomEasyGrid &, int col, int row, const QString &value) {
        fired << QStringLiteral("hide %1,%2 %3").arg(col).arg(row).arg(value);
    };
    Click(2, 3);
    Type(QStringLiteral("abc"));
    ASSERT_TRUE(view.EditorShown());
    EXPECT_TRUE(grid.ForeText(2, 3).isEmpty()) << "nothing is stored before the commit";
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.ForeText(2, 3), QStringLiteral("abc"));
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 4));
    EXPECT_EQ(fired, QStringList({QStringLiteral("set 2,3 abc"), QStringLiteral("hide 2,3 abc")}));

    // Esc gives the cell back its text.
    Click(2, 3);
    Type(QStringLiteral("x"));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(view.EditorShown());
    EXPECT_EQ(grid.ForeText(2, 3), QStringLiteral("abc"));
}

TEST_F(GridViewTest, NumberCellTakesOnlyWhatItCanHold)
{
    grid.SetCellProp({1, 1, 7, 59}, CellProp::DataStyle, int(dsNumber));
    grid.SetCellProp({1, 1, 7, 59}, CellProp::IntLength, 3);
    grid.SetCellProp({1, 1, 7, 59}, CellProp::DecLength, 2);
    grid.SetCellProp({1, 1, 7, 59}, CellProp::AllowNegative, true);
    grid.SetCellProp({1, 1, 7, 59}, CellProp::ThousandSep, false);
    Click(1, 1);
    Type(QStringLiteral("-12.345"));
    EXPECT_EQ(view.InplaceEditor()->text(), QStringLiteral("-12.34"));
    Key(Qt::Key_Escape);

    Click(1, 2);
    Type(QStringLiteral(".5"));
    EXPECT_EQ(view.InplaceEditor()->text(), QStringLiteral("0.5"));
    Type(QStringLiteral("7"));
    EXPECT_EQ(view.InplaceEditor()->text(), QStringLiteral("0.57")) << "the caret stays after the typed digit";
}

TEST_F(GridViewTest, PaintsSelectionColoursAndEachBlockOnceWithoutInnerLines)
{
    grid.SetForeText(5, 5, QStringLiteral("text"));
    ASSERT_TRUE(grid.MergeCells({2, 4, 3, 4}, false));
    Click(2, 2);
    Click(3, 2, Qt::ShiftModifier);
    QList<QPoint> drawn;
    grid.events.OnDrawCell = [&](TCustomEasyGrid &, int col, int row, const QRect &, TEasyGridDrawState state) {
        drawn << QPoint(col, row);
        if (col == 3 && row == 2) {
            EXPECT_EQ(state & (gdSelected | gdTitled | gdFixed), gdSelected);
        }
    };
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    view.PaintGrid(painter, image.rect());
    painter.end();

    auto pixel = [&](int col, int row) {
        return QColor(image.pixel(view.CellRect(col, row).topLeft() + QPoint(6, 6)));
    };
    EXPECT_EQ(pixel(3, 2), QColor(Qt::black)) << "selected cells take the highlight colour";
    EXPECT_EQ(pixel(2, 2), QColor(Qt::white)) << "the current cell keeps its own colour";
    EXPECT_EQ(pixel(5, 5), QColor(Qt::white));

    const int boundary = view.CellRect(2, 5).right() + 1;
    EXPECT_EQ(QColor(image.pixel(boundary, view.CellRect(2, 5).center().y())), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(QColor(image.pixel(boundary, view.CellRect(2, 4).center().y())), QColor(Qt::white))
        << "no line crosses a merged block";
    EXPECT_EQ(drawn.count(QPoint(2, 4)), 1);
    EXPECT_FALSE(drawn.contains(QPoint(3, 4)));
}

TEST_F(GridViewTest, KeysMoveOverBlocksAndStopAtTheEdges)
{
    ASSERT_TRUE(grid.MergeCells({2, 2, 4, 2}, false));
    Click(2, 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(view.CurrentCell(), QPoint(5, 2)) << "Right leaves the block";
    Key(Qt::Key_Left);
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 2)) << "Left lands on the block's owner";

    Click(7, 5);
    Key(Qt::Key_Tab);
    EXPECT_EQ(view.CurrentCell(), QPoint(7, 5)) << "Tab at the last column stays";
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(view.CurrentCell(), QPoint(6, 5));

    Click(3, 5);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.CurrentCell(), QPoint(3, 5));
    EXPECT_EQ(view.Selection(), (GridRect{3, 5, 4, 6}));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.CurrentCell(), QPoint(7, 59));
}

TEST_F(GridViewTest, ReadOnlyCellsNeitherEditNorClear)
{
    grid.SetForeText(2, 2, QStringLiteral("kept"));
    grid.SetForeText(3, 2, QStringLiteral("gone"));
    grid.SetCellProp(GridRect::Cell(2, 2), CellProp::ReadOnly, true);
    Click(2, 2);
    Key(Qt::Key_F2);
    EXPECT_FALSE(view.EditorShown());
    Type(QStringLiteral("z"));
    EXPECT_FALSE(view.EditorShown());

    Click(3, 2, Qt::ShiftModifier);
    ASSERT_EQ(view.Selection(), (GridRect{2, 2, 3, 2}));
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid.ForeText(2, 2), QStringLiteral("kept"));
    EXPECT_TRUE(grid.ForeText(3, 2).isEmpty());
}

TEST_F(GridViewTest, RightPressWithoutPopupOnlySelects)
{
    grid.SetShowPopup(false);
    Click(2, 2);
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, Center(4, 6));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, Center(4, 6), view.viewport()->mapToGlobal(Center(4, 6)));
    QApplication::sendEvent(view.viewport(), &menuEvent);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(view.CurrentCell(), QPoint(4, 6));
    EXPECT_EQ(view.Selection(), GridRect::Cell(4, 6));
}

TEST_F(GridViewTest, MouseSelectionStretchesFromTheCurrentCell)
{
    Click(2, 2);
    Click(4, 5, Qt::ShiftModifier);
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 2));
    EXPECT_EQ(view.AnchorCell(), QPoint(4, 5));
    EXPECT_EQ(view.Selection(), (GridRect{2, 2, 4, 5}));

    // Dragging with the button held does the same, expanded over a block it touches.
    ASSERT_TRUE(grid.MergeCells({5, 3, 6, 4}, false));
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, Center(3, 2));
    DragTo(Center(5, 3));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, Center(5, 3));
    EXPECT_EQ(view.Selection(), (GridRect{3, 2, 6, 4}));

    // The column title selects the column's client cells.
    Click(3, 0);
    EXPECT_EQ(view.Selection(), (GridRect{3, 1, 3, 59}));
}

TEST_F(GridViewTest, DraggingAColumnBoundaryInTheTitleRowSizesIt)
{
    const QRect title = view.CellRect(2, 0);
    const QPoint edge(title.right() + 1, title.center().y());
    Drag(edge, edge + QPoint(30, 0));
    EXPECT_EQ(grid.ColWidth(2), 110);
    EXPECT_EQ(grid.ColWidth(3), 80);

    grid.SetColSizable(3, false);
    const QPoint fixedEdge(view.CellRect(3, 0).right() + 1, title.center().y());
    Drag(fixedEdge, fixedEdge + QPoint(30, 0));
    EXPECT_EQ(grid.ColWidth(3), 80) << "a column that may not be sized keeps its width";
}

TEST_F(GridViewTest, DraggingTheFillHandleFillsDown)
{
    grid.SetForeText(2, 2, QStringLiteral("7"));
    Click(2, 2);
    const QRect cell = view.CellRect(2, 2);
    Drag(cell.bottomRight(), Center(2, 5));
    EXPECT_EQ(Texts({2, 2, 2, 6}), QStringLiteral("7/7/7/7/"));
}

TEST_F(GridViewTest, DraggingTheSelectionFrameMovesOrWithCtrlCopies)
{
    grid.SetForeText(2, 2, QStringLiteral("m"));
    Click(2, 2);
    const QPoint frame(view.CellRect(2, 2).left() + 1, Center(2, 2).y());
    Drag(frame, Center(4, 5));
    EXPECT_TRUE(grid.ForeText(2, 2).isEmpty());
    EXPECT_EQ(grid.ForeText(4, 5), QStringLiteral("m"));
    EXPECT_EQ(view.Selection(), GridRect::Cell(4, 5));

    const QPoint from(view.CellRect(4, 5).left() + 1, Center(4, 5).y());
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::ControlModifier, from);
    DragTo(Center(5, 6));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::ControlModifier, Center(5, 6));
    EXPECT_EQ(grid.ForeText(4, 5), QStringLiteral("m"));
    EXPECT_EQ(grid.ForeText(5, 6), QStringLiteral("m"));
}

TEST_F(GridViewTest, PageDownScrollsUnderTheFixedRows)
{
    grid.SetFixedRows(2);
    view.SetTopLeft(1, 3);
    Click(2, 4);
    const int page = view.VisibleRowCount();
    ASSERT_GT(page, 1);
    int topChanges = 0;
    grid.events.OnTopLeftChanged = [&](TCustomEasyGrid &) { ++topChanges; };
    Key(Qt::Key_PageDown);
    EXPECT_EQ(grid.TopLeft().y(), 3 + page);
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 4 + page));
    EXPECT_EQ(topChanges, 1);
    // The fixed rows stay where they were; the first scrolling row follows them.
    EXPECT_EQ(view.CellAt(view.CellRect(2, 1).center()), QPoint(2, 1));
    EXPECT_EQ(view.CellRect(2, 3 + page).top(), view.CellRect(2, 2).bottom() + 2);
    EXPECT_TRUE(view.CellRect(2, 3).isEmpty());

    Key(Qt::Key_PageUp);
    EXPECT_EQ(grid.TopLeft().y(), 3);
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 4));
}

} // namespace
} // namespace pelvoro::test
