#include "editors/table/ui/table_grid_view.h"
#include "editors/table/ui/table_inplace_edit.h"

#include "editors/table/grid_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

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

    // The visible grid as the view paints it.
    QImage Paint()
    {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view.PaintGrid(painter, image.rect());
        return image;
    }

    TableGridView view{grid};
};

// Hands the first popup menu that opens to `inspect`, then closes every popup, so that a menu's
// event loop returns to the test.
class PopupWatcher {
public:
    explicit PopupWatcher(std::function<void(QMenu &)> inspect) : inspect_(std::move(inspect))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            if (!seen_) {
                seen_ = true;
                inspect_(*menu);
            }
            menu->close();
        });
        timer_.start();
    }
    bool Seen() const { return seen_; }

private:
    std::function<void(QMenu &)> inspect_;
    QTimer timer_;
    bool seen_ = false;
};

// The captions of a menu's items, "-" for a separator, a submenu's items in brackets; each
// disabled item marked with "~".
QStringList Captions(const QMenu &menu)
{
    QStringList captions;
    for (QAction *action : menu.actions()) {
        QString caption = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (!action->isSeparator() && !action->isEnabled())
            caption.prepend(u'~');
        if (action->menu())
            caption += QStringLiteral("[%1]").arg(Captions(*action->menu()).join(u','));
        captions << caption;
    }
    return captions;
}

QAction *FindAction(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == text)
            return action;
        if (action->menu())
            if (QAction *inner = FindAction(*action->menu(), text))
                return inner;
    }
    return nullptr;
}

TEST_F(GridViewTest, RowNumbersStayWholeInRowsFittedToALowScreen)
{
    grid.SetRowHeight(1, 14); // a 64-dot screen's rows in the table editor
    const QImage image = Paint();
    const QRect inside = view.CellRect(0, 1).adjusted(2, 2, -3, -3);
    int inkedRows = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        bool inked = false;
        for (int x = inside.left(); x <= inside.right(); ++x)
            inked = inked || qGray(image.pixel(x, y)) < 64;
        inkedRows += inked;
    }
    EXPECT_GE(inkedRows, 8) << "the number is cut to a band of the cell";
}

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

// Text from an input method (ibus, fcitx) opens the editor over the current cell as a typed key
// does, and obeys the cell's rules.
struct InputMethodCase {
    const char *name;
    TDataStyle style;
    bool readOnly;
    QString preedit; // sent first, to the grid, when not empty
    QString commit;
    bool editorShown;
    QString stored; // the cell's text after Enter
};

class GridInputMethodTest : public GridViewTest, public ::testing::WithParamInterface<InputMethodCase> {
protected:
    void Send(QInputMethodEvent &event)
    {
        QWidget *target = view.EditorShown() ? static_cast<QWidget *>(view.InplaceEditor()) : &view;
        QApplication::sendEvent(target, &event);
    }
};

TEST_P(GridInputMethodTest, CompositionEditsTheCurrentCell)
{
    const InputMethodCase &c = GetParam();
    grid.SetForeText(2, 3, QStringLiteral("12"));
    grid.SetCellProp(GridRect::Cell(2, 3), CellProp::DataStyle, int(c.style));
    grid.SetCellProp(GridRect::Cell(2, 3), CellProp::ReadOnly, c.readOnly);
    Click(2, 3);
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorRectangle);
    QApplication::sendEvent(&view, &query);
    EXPECT_TRUE(query.value(Qt::ImEnabled).toBool());
    EXPECT_TRUE(query.value(Qt::ImCursorRectangle).toRect().intersects(view.CellRect(2, 3).translated(
        view.viewport()->pos())))
        << "the candidate window opens by the cell";

    if (!c.preedit.isEmpty()) {
        QInputMethodEvent composing(c.preedit, {});
        Send(composing);
    }
    QInputMethodEvent committed;
    committed.setCommitString(c.commit);
    Send(committed);
    EXPECT_EQ(view.EditorShown(), c.editorShown);
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.ForeText(2, 3), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, GridInputMethodTest,
    ::testing::Values(InputMethodCase{"CommitReplacesTheText", dsText, false, {}, "公交", true, "公交"},
                      InputMethodCase{"PreeditThenCommit", dsText, false, "gong", "公交", true, "公交"},
                      InputMethodCase{"NumberCellTakesDigits", dsNumber, false, {}, "34", true, "34"},
                      InputMethodCase{"NumberCellRefusesWords", dsNumber, false, "gong", "公交", true, "12"},
                      InputMethodCase{"ReadOnlyCellStaysClosed", dsText, true, {}, "公交", false, "12"}),
    [](const auto &info) { return std::string(info.param.name); });

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

// The selection's frame and fill handle stay inside the selection: the neighbours keep their
// grid lines and colour, and nothing is drawn past the grid's last column.
TEST_F(GridViewTest, SelectionFrameLeavesItsSurroundingsAlone)
{
    ASSERT_TRUE(grid.MergeCells({6, 2, 7, 3}, false));
    Click(6, 2);
    Click(7, 4, Qt::ShiftModifier);
    ASSERT_EQ(grid.Selection(), (GridRect{6, 2, 7, 4}));
    const QImage image = view.grab().toImage();
    const QRect sel = view.CellRect(6, 2).united(view.CellRect(7, 4));
    const QColor line(0xC0, 0xC0, 0xC0);
    const QColor white(Qt::white);
    const QColor base = view.viewport()->palette().color(QPalette::Base);
    const QPoint origin = view.viewport()->mapTo(&view, QPoint(0, 0));
    const auto at = [&](int x, int y) { return QColor(image.pixel(origin + QPoint(x, y))); };
    // Inside the first column and row of the selection, clear of the lines between the neighbours.
    const int midX = sel.left() + 10;
    const int midY = sel.top() + 10;
    const struct {
        const char *where;
        QPoint point;
        QColor colour;
    } cases[] = {
        {"grid line above", {midX, sel.top() - 1}, line},
        {"cell above", {midX, sel.top() - 2}, white},
        {"grid line left", {sel.left() - 1, midY}, line},
        {"cell left", {sel.left() - 2, midY}, white},
        {"grid line below", {midX, sel.bottom() + 1}, line},
        {"cell below", {midX, sel.bottom() + 3}, white},
        {"past the last column", {sel.right() + 3, midY}, base},
        {"past the fill handle", {sel.right() + 3, sel.bottom() + 3}, base},
        {"the frame", {midX, sel.top()}, QColor(Qt::black)},
        {"the fill handle", {sel.right(), sel.bottom()}, QColor(Qt::black)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(at(c.point.x(), c.point.y()), c.colour) << c.where;
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

struct KeyCase {
    const char *name;
    QPoint start;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QPoint current;     // row plus `pages` pages of visible rows
    int pages;
    GridRect selection; // all 0: the current cell's
    int top;            // the first scrolling row in view afterwards; 0: not checked
    int noTabCol;       // a column whose tab stop is off; 0: none
};

class GridKeyTest : public GridViewTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(GridKeyTest, MovesTheCurrentCellOrTheView)
{
    const KeyCase &c = GetParam();
    if (c.noTabCol) {
        grid.SetColTabStop(c.noTabCol, false);
    }
    ASSERT_TRUE(view.MoveCurrentCell(c.start.x(), c.start.y()));
    const int page = view.VisibleRowCount();
    ASSERT_GT(page, 2);
    Key(c.key, c.mods);
    const QPoint current = c.current + QPoint(0, c.pages * page);
    EXPECT_EQ(view.CurrentCell(), current);
    const GridRect selection = c.selection.Left ? c.selection : GridRect::Cell(current.x(), current.y());
    EXPECT_EQ(view.Selection(), selection);
    if (c.top) {
        EXPECT_EQ(grid.TopLeft().y(), c.top);
    }
    EXPECT_FALSE(view.CellRect(current.x(), current.y()).isEmpty()) << "the current cell stays in view";
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, GridKeyTest,
    ::testing::Values(KeyCase{"Home", {4, 5}, Qt::Key_Home, kNone, {1, 5}, 0, {}, 0, 0},
                      KeyCase{"End", {4, 5}, Qt::Key_End, kNone, {7, 5}, 0, {}, 0, 0},
                      KeyCase{"ShiftHome", {4, 5}, Qt::Key_Home, kShift, {4, 5}, 0, {1, 5, 4, 5}, 0, 0},
                      KeyCase{"ShiftEnd", {4, 5}, Qt::Key_End, kShift, {4, 5}, 0, {4, 5, 7, 5}, 0, 0},
                      KeyCase{"CtrlHome", {4, 40}, Qt::Key_Home, kCtrl, {1, 1}, 0, {}, 1, 0},
                      KeyCase{"CtrlEnd", {4, 5}, Qt::Key_End, kCtrl, {7, 59}, 0, {}, 0, 0},
                      KeyCase{"CtrlPgDnLastVisibleRow", {4, 1}, Qt::Key_PageDown, kCtrl, {4, 0}, 1, {}, 1, 0},
                      KeyCase{"CtrlPgUpFirstVisibleRow", {4, 6}, Qt::Key_PageUp, kCtrl, {4, 1}, 0, {}, 1, 0},
                      KeyCase{"CtrlDownScrollsOnly", {4, 3}, Qt::Key_Down, kCtrl, {4, 3}, 0, {}, 2, 0},
                      KeyCase{"UpAtTheFirstRow", {4, 1}, Qt::Key_Up, kNone, {4, 1}, 0, {}, 1, 0},
                      KeyCase{"LeftAtTheFirstColumn", {1, 4}, Qt::Key_Left, kNone, {1, 4}, 0, {}, 0, 0},
                      KeyCase{"DownAtTheLastRow", {4, 59}, Qt::Key_Down, kNone, {4, 59}, 0, {}, 0, 0},
                      KeyCase{"TabSkipsAColumnWithoutStop", {2, 5}, Qt::Key_Tab, kNone, {4, 5}, 0, {}, 0, 3},
                      KeyCase{"ShiftTabSkipsItBackwards", {4, 5}, Qt::Key_Tab, kShift, {2, 5}, 0, {}, 0, 3}),
    [](const auto &info) { return std::string(info.param.name); });

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

TEST_F(GridViewTest, MovingPastTheRightEdgeScrollsOnce)
{
    grid.SetColCount(20);
    int topChanges = 0;
    grid.events.OnTopLeftChanged = [&](TCustomEasyGrid &) { ++topChanges; };
    Click(2, 2);
    Key(Qt::Key_End);
    EXPECT_EQ(view.CurrentCell(), QPoint(19, 2));
    EXPECT_EQ(topChanges, 1);
    EXPECT_FALSE(view.CellRect(19, 2).isEmpty());
    EXPECT_LE(view.CellRect(19, 2).right(), view.viewport()->width());
    EXPECT_EQ(view.horizontalScrollBar()->value(), grid.TopLeft().x());
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


// --- In-place editor: Enter, masks, paste ----------------------------------------------------

TEST_F(GridViewTest, EnterCommitsAndHidesTheEditorUnlessItIsAlwaysShown)
{
    Click(2, 3);
    Type(QStringLiteral("abc"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(view.EditorShown());
    EXPECT_EQ(grid.ForeText(2, 3), QStringLiteral("abc"));
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 3)) << "Enter does not move the current cell";
    EXPECT_TRUE(view.hasFocus());
    Key(Qt::Key_Return);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(view.InplaceEditor()->text(), QStringLiteral("abc"));

    // An editor that is always shown stays: Enter selects the whole text, then puts the caret at
    // its end, and only moving away commits.
    grid.SetOptions(grid.Props().Options | GridOptionBit(goAlwaysShowEditor));
    Click(2, 4);
    ASSERT_TRUE(view.EditorShown()) << "shown without typing";
    Type(QStringLiteral("xy"));
    TInplaceEdit *editor = view.InplaceEditor();
    Key(Qt::Key_Enter);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(editor->selectedText(), QStringLiteral("xy"));
    Key(Qt::Key_Enter);
    EXPECT_FALSE(editor->hasSelectedText());
    EXPECT_EQ(editor->cursorPosition(), 2);
    EXPECT_TRUE(grid.ForeText(2, 4).isEmpty());
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.ForeText(2, 4), QStringLiteral("xy"));
    EXPECT_TRUE(view.EditorShown()) << "it follows the current cell";
    EXPECT_EQ(view.InplaceEditor()->EditedCell(), QPoint(2, 5));
}

struct MaskCase {
    const char *mask;
    const char *inputMask; // as the line edit takes it
    bool saveLiterals;
};

class EditMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(EditMaskTest, BecomesTheLineEditsInputMask)
{
    const MaskCase &c = GetParam();
    const EditMask mask = ParseEditMask(QString::fromUtf8(c.mask));
    EXPECT_EQ(mask.InputMask, QString::fromUtf8(c.inputMask)) << c.mask;
    EXPECT_EQ(mask.SaveLiterals, c.saveLiterals) << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, EditMaskTest,
    ::testing::Values(
        // The date and time masks of date and time cells: optional and required digits, a blank
        // of one space (not a '1', which the line edit would read from ";1; ").
        MaskCase{"9999/99/99;1; ", "0000\\-00\\-00; ", true}, MaskCase{"00:00:00;1; ", "99\\:99\\:99; ", true},
        // Letters upper-cased, leading-blank switch dropped, literals left out of the text.
        MaskCase{"!>LL-000;0;_", ">AA\\-999;_", false},
        // Escaped characters are literals, also the mask characters and ';'.
        MaskCase{"\\(000\\) 0\\;c;1;*", "\\(999\\)\\ 9\\;x;*", true},
        // Letters or digits, any character, case switched off, '_' for a space; default blank.
        MaskCase{"Aa<>Cc_#", "Nn!Xx\\ #;_", true}, MaskCase{"", "", true}));

struct MaskedTypingCase {
    const char *name;
    TDataStyle style;
    bool showForeText;
    const char *textMask; // what OnGetEditMask gives a text cell
    const char *typed;
    bool masked;
    const char *stored; // ForeText, or BackText when ShowForeText is false
};

class MaskedTypingTest : public GridViewTest, public ::testing::WithParamInterface<MaskedTypingCase> {};

TEST_P(MaskedTypingTest, StoresWhatTheMaskLetsThrough)
{
    const MaskedTypingCase &c = GetParam();
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::DataStyle, int(c.style));
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::ShowForeText, c.showForeText);
    grid.events.OnGetEditMask = [&](TCustomEasyGrid &, int, int, QString &mask) {
        mask = QString::fromUtf8(c.textMask);
    };
    Click(3, 3);
    if (*c.typed)
        Type(QString::fromUtf8(c.typed));
    else
        Key(Qt::Key_F2);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(!view.InplaceEditor()->inputMask().isEmpty(), c.masked);
    Key(Qt::Key_Return);
    const QString stored = c.showForeText ? grid.ForeText(3, 3) : grid.BackText(3, 3);
    EXPECT_EQ(stored, QString::fromUtf8(c.stored));
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cells, MaskedTypingTest,
    ::testing::Values(MaskedTypingCase{"Date", dsDate, true, "", "20240516", true, "2024-05-16"},
                      MaskedTypingCase{"DateWithOnes", dsDate, true, "", "20111101", true, "2011-11-01"},
                      MaskedTypingCase{"DateUntouched", dsDate, true, "", "", true, ""},
                      MaskedTypingCase{"Time", dsTime, true, "", "083015", true, "08:30:15"},
                      MaskedTypingCase{"TextMaskSavingLiterals", dsText, true, "000-0000;1;_", "5551234", true,
                                       "555-1234"},
                      MaskedTypingCase{"TextMaskWithoutLiterals", dsText, true, "000-0000;0;_", "5551234", true,
                                       "5551234"},
                      MaskedTypingCase{"TextWithoutMask", dsText, true, "", "a/b", false, "a/b"},
                      MaskedTypingCase{"NumberIgnoresTheEvent", dsNumber, true, "000", "12", false, "12"},
                      MaskedTypingCase{"BackTextOfADateCell", dsDate, false, "", "soon", false, "soon"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(GridViewTest, DateCellEditsItsStoredDateInTheMask)
{
    grid.SetCellProp({3, 2, 3, 3}, CellProp::DataStyle, int(dsDate));
    // An empty mask shown by F2 takes typing from its first position.
    Click(3, 2);
    Key(Qt::Key_F2);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(view.InplaceEditor()->cursorPosition(), 0);
    Type(QStringLiteral("20240516"));
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.ForeText(3, 2), QStringLiteral("2024-05-16"));

    ASSERT_TRUE(grid.SetForeText(3, 3, QStringLiteral("2024-05-16")));
    Click(3, 3);
    Key(Qt::Key_F2);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(view.InplaceEditor()->displayText(), QStringLiteral("2024-05-16"));
    EXPECT_FALSE(view.InplaceEditor()->TextChanged());
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Type(QStringLiteral("28"));
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.ForeText(3, 3), QStringLiteral("2024-05-28"));

    // The mask's end is the end for End and Right: a blank before it keeps them in the editor.
    Key(Qt::Key_F2);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_End);
    ASSERT_TRUE(view.EditorShown());
    EXPECT_EQ(view.InplaceEditor()->cursorPosition(), 10);
    Key(Qt::Key_Right);
    EXPECT_EQ(view.CurrentCell(), QPoint(4, 3));
    EXPECT_EQ(grid.ForeText(3, 3), QStringLiteral("2024-05-02"));
}

TEST_F(GridViewTest, EditorCoversTheBlockInTheCellsLook)
{
    ASSERT_TRUE(grid.MergeCells({3, 3, 4, 4}, false));
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::Color, int(0x00FFFF));     // yellow
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::FontColor, int(0x0000FF)); // red
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::FontStyle, int(kFontBold));
    grid.SetCellProp(GridRect::Cell(3, 3), CellProp::FontSize, 14);
    Click(4, 4);
    Key(Qt::Key_F2);
    ASSERT_TRUE(view.EditorShown());
    TInplaceEdit *editor = view.InplaceEditor();
    EXPECT_EQ(editor->EditedCell(), QPoint(3, 3));
    EXPECT_EQ(editor->geometry(), view.CellRect(3, 3).adjusted(2, 2, -2, -2));
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(Qt::yellow));
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(editor->font().bold());
    EXPECT_EQ(editor->font().pointSize(), 14);

    // It moves with the view.
    grid.SetRowCount(60);
    view.SetTopLeft(1, 2);
    EXPECT_EQ(editor->geometry(), view.CellRect(3, 3).adjusted(2, 2, -2, -2));
}

TEST_F(GridViewTest, EditorStartsFromTheTextTheGridGivesIt)
{
    grid.SetCellProp(GridRect::Cell(2, 2), CellProp::DataStyle, int(dsNumber));
    grid.SetCellProp(GridRect::Cell(2, 2), CellProp::ThousandSep, true);
    ASSERT_TRUE(grid.SetForeText(2, 2, QStringLiteral("1234.5")));
    ASSERT_EQ(grid.ForeText(2, 2), QStringLiteral("1,234.5"));
    grid.SetForeText(3, 2, QStringLiteral("fore"));
    grid.SetBackText(3, 2, QStringLiteral("back"));
    grid.SetCellProp(GridRect::Cell(3, 2), CellProp::ShowForeText, false);
    grid.SetForeText(4, 2, QStringLiteral("stored"));
    grid.events.OnGetEditText = [](TCustomEasyGrid &, int col, int, QString &value) {
        if (col == 4)
            value = QStringLiteral("given");
    };
    QStringList committed;
    grid.events.OnSetEditText = [&](TCustomEasyGrid &, int col, int, const QString &value) {
        committed << QStringLiteral("%1:%2").arg(col).arg(value);
    };
    const struct {
        int col;
        const char *shown;
    } cases[] = {{2, "1234.5"}, {3, "back"}, {4, "given"}};
    for (const auto &c : cases) {
        Click(c.col, 2);
        Key(Qt::Key_F2);
        ASSERT_TRUE(view.EditorShown()) << c.col;
        EXPECT_EQ(view.InplaceEditor()->text(), QString::fromUtf8(c.shown)) << c.col;
        Key(Qt::Key_Return);
    }
    EXPECT_EQ(committed, QStringList({QStringLiteral("2:1234.5"), QStringLiteral("3:back"), QStringLiteral("4:given")}));
    EXPECT_EQ(grid.ForeText(2, 2), QStringLiteral("1,234.5")) << "an untouched editor changes nothing";
    EXPECT_EQ(grid.BackText(3, 2), QStringLiteral("back"));
    EXPECT_EQ(grid.ForeText(3, 2), QStringLiteral("fore"));
}

struct PasteCase {
    const char *name;
    bool numberCell;
    bool selectAll; // else the caret is at the end
    const char *pasted;
    const char *result;
};

class EditorPasteTest : public GridViewTest, public ::testing::WithParamInterface<PasteCase> {
protected:
    void StartEditing()
    {
        const PasteCase &c = GetParam();
        if (c.numberCell) {
            grid.SetCellProp(GridRect::Cell(2, 2), CellProp::DataStyle, int(dsNumber));
            grid.SetCellProp(GridRect::Cell(2, 2), CellProp::IntLength, 3);
            grid.SetCellProp(GridRect::Cell(2, 2), CellProp::DecLength, 2);
            grid.SetCellProp(GridRect::Cell(2, 2), CellProp::ThousandSep, false);
        }
        ASSERT_TRUE(grid.SetForeText(2, 2, QStringLiteral("12")));
        Click(2, 2);
        Key(Qt::Key_F2);
        ASSERT_TRUE(view.EditorShown());
        if (c.selectAll)
            view.InplaceEditor()->selectAll();
        QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
    }
};

TEST_P(EditorPasteTest, ByKeyboard)
{
    StartEditing();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view.InplaceEditor()->text(), QString::fromUtf8(GetParam().result));
}

TEST_P(EditorPasteTest, ByTheEditorsMenu)
{
    StartEditing();
    TInplaceEdit *editor = view.InplaceEditor();
    PopupWatcher watcher([](QMenu &menu) {
        for (QAction *action : menu.actions()) {
            if (action->text().startsWith(QLineEdit::tr("&Paste")))
                action->trigger();
        }
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), editor->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(editor, &menuEvent);
    QTRY_VERIFY(watcher.Seen());
    EXPECT_EQ(editor->text(), QString::fromUtf8(GetParam().result));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, EditorPasteTest,
    ::testing::Values(PasteCase{"NumberAtTheCaret", true, false, "3.4", "123.4"},
                      PasteCase{"NumberTooManyDigits", true, false, "45", "12"},
                      PasteCase{"NumberNotANumber", true, false, "x", "12"},
                      PasteCase{"NumberOverTheSelection", true, true, "-1.5", "-1.5"},
                      PasteCase{"NumberLeadingPoint", true, true, ".25", "0.25"},
                      PasteCase{"TextIsPlain", false, false, "c d", "12c d"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Cell borders ------------------------------------------------------------------------------

struct BorderCase {
    const char *name;
    TPenStyle style;
    int width;
    double minBlack; // share of black pixels along the bottom border
    double maxBlack;
};

class BorderTest : public GridViewTest, public ::testing::WithParamInterface<BorderCase> {};

TEST_P(BorderTest, PenStylesAsOnAPage)
{
    const BorderCase &c = GetParam();
    for (const GridRect &cell : {GridRect::Cell(3, 3), GridRect::Cell(2, 1)}) {
        grid.SetCellProp(cell, CellProp::PenStyle, int(c.style));
        grid.SetCellProp(cell, CellProp::LineWidth, c.width);
        grid.SetCellProp(cell, CellProp::DrawBottom, true);
        grid.SetCellProp(cell, CellProp::DrawRight, true);
    }
    // Fixed lines in red: the borders of the fixed cell (2, 1) must lie over them.
    grid.SetFixedRows(1);
    grid.SetFixedLineColor(kColorRed);
    Click(5, 6);
    const QImage image = Paint();
    for (const QPoint at : {QPoint(3, 3), QPoint(2, 1)}) {
        const QRect rect = view.CellRect(at.x(), at.y());
        const int h = c.width / 2;
        const int y = rect.top() + rect.height() - h;
        int black = 0;
        QString line;
        for (int x = rect.left() + 2; x < rect.right() - 2; ++x) {
            const bool dot = QColor(image.pixel(x, y)) == QColor(Qt::black);
            black += dot;
            line += dot ? u'#' : u'.';
        }
        const double share = double(black) / line.size();
        EXPECT_GE(share, c.minBlack) << at.x() << "," << at.y() << " " << line.toStdString();
        EXPECT_LE(share, c.maxBlack) << at.x() << "," << at.y() << " " << line.toStdString();
        // The right border lies over the grid line after the cell.
        const int x = rect.left() + rect.width() - h;
        const bool onLine = QColor(image.pixel(x, rect.center().y())) == QColor(Qt::black)
                            || QColor(image.pixel(x, rect.center().y() + 1)) == QColor(Qt::black);
        EXPECT_EQ(onLine, c.maxBlack > 0) << at.x() << "," << at.y();
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, BorderTest,
                         ::testing::Values(BorderCase{"Solid", psSolid, 1, 1.0, 1.0},
                                           BorderCase{"Dash", psDash, 1, 0.65, 0.85},
                                           BorderCase{"Dot", psDot, 1, 0.4, 0.6},
                                           BorderCase{"DashDot", psDashDot, 1, 0.4, 0.6},
                                           BorderCase{"DashDotDot", psDashDotDot, 1, 0.5, 0.75},
                                           BorderCase{"Clear", psClear, 1, 0.0, 0.0},
                                           BorderCase{"InsideFrame", psInsideFrame, 1, 1.0, 1.0},
                                           BorderCase{"WideDashIsSolid", psDash, 3, 1.0, 1.0}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Context menu --------------------------------------------------------------------------------

TEST_F(GridViewTest, RightPressOpensTheMenuOverTheNewSelection)
{
    grid.SetForeText(4, 6, QStringLiteral("a"));
    Click(2, 2);
    QStringList captions;
    {
        PopupWatcher watcher([&](QMenu &menu) { captions = Captions(menu); });
        QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier, Center(4, 6));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, Center(4, 6),
                                    view.viewport()->mapToGlobal(Center(4, 6)));
        QApplication::sendEvent(view.viewport(), &menuEvent);
        QTRY_VERIFY(watcher.Seen());
    }
    EXPECT_EQ(view.Selection(), GridRect::Cell(4, 6));
    EXPECT_EQ(captions, QStringList({QStringLiteral("剪切(&T)"), QStringLiteral("复制(&C)"), QStringLiteral("~粘贴(&P)"),
                                     QStringLiteral("-"),
                                     QStringLiteral("插入(&I)...[横向插入单元格,纵向插入单元格,插入整行,插入整列]"),
                                     QStringLiteral("删除(&D)...[横向删除单元格,纵向删除单元格,删除整行,删除整列]"),
                                     QStringLiteral("清除单元格内容(&N)"), QStringLiteral("-"),
                                     QStringLiteral("设置单元格格式(&F)...")}))
        << "粘贴 waits for a block on the clipboard";
}

struct MenuCase {
    const char *name;
    bool editing;
    bool blockCopied;
    const char *item;
    bool enabled;
    const char *texts; // rows 5 … 7 of column 3 after the item, when enabled
};

class ContextMenuTest : public GridViewTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ContextMenuTest, ItemsActOnTheSelection)
{
    const MenuCase &c = GetParam();
    if (!c.editing)
        grid.SetOptions(grid.Props().Options & ~GridOptionBit(goEditing));
    grid.SetForeText(3, 5, QStringLiteral("a"));
    grid.SetForeText(3, 6, QStringLiteral("b"));
    if (c.blockCopied) {
        grid.CopyCells(GridRect::Cell(3, 5));
        ASSERT_TRUE(grid.CanPaste());
    }
    QSignalSpy formatRequests(&view, &TableGridView::CellFormatRequested);
    Click(3, 6);
    bool enabled = false;
    PopupWatcher watcher([&](QMenu &menu) {
        QAction *action = FindAction(menu, QString::fromUtf8(c.item));
        ASSERT_NE(action, nullptr) << c.item;
        enabled = action->isEnabled();
        if (enabled)
            action->trigger();
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, Center(3, 6), view.viewport()->mapToGlobal(Center(3, 6)));
    QApplication::sendEvent(view.viewport(), &menuEvent);
    QTRY_VERIFY(watcher.Seen());
    EXPECT_EQ(enabled, c.enabled);
    if (QString::fromUtf8(c.item).startsWith(QStringLiteral("设置")))
        EXPECT_EQ(formatRequests.count(), c.enabled ? 1 : 0);
    else
        EXPECT_EQ(Texts({3, 5, 3, 7}), QString::fromUtf8(c.texts));
}

INSTANTIATE_TEST_SUITE_P(
    Items, ContextMenuTest,
    ::testing::Values(MenuCase{"Cut", true, false, "剪切(&T)", true, "a//"},
                      MenuCase{"Paste", true, true, "粘贴(&P)", true, "a/a/"},
                      MenuCase{"InsertRow", true, false, "插入整行", true, "a//b"},
                      MenuCase{"InsertCellsDown", true, false, "纵向插入单元格", true, "a//b"},
                      MenuCase{"DeleteRow", true, false, "删除整行", true, "a//"},
                      MenuCase{"Clear", true, false, "清除单元格内容(&N)", true, "a//"},
                      MenuCase{"Format", true, false, "设置单元格格式(&F)...", true, ""},
                      MenuCase{"CopyWithoutEditing", false, false, "复制(&C)", true, "a/b/"},
                      MenuCase{"CutWithoutEditing", false, false, "剪切(&T)", false, "a/b/"},
                      MenuCase{"PasteWithoutEditing", false, true, "粘贴(&P)", false, "a/b/"},
                      MenuCase{"InsertWithoutEditing", false, false, "插入整行", false, "a/b/"},
                      MenuCase{"FormatWithoutEditing", false, false, "设置单元格格式(&F)...", false, ""}),
    [](const auto &info) { return std::string(info.param.name); });

// --- Sizing and autoscroll ---------------------------------------------------------------------

struct RowSizingCase {
    const char *name;
    bool clientSizeable;
    int pressCol; // column at whose boundary with the row below the press happens
    bool sizable;
    bool merged; // rows 3 and 4 of column 3 merged
    int height;  // of row 3 after dragging 20 pixels down
};

class RowSizingTest : public GridViewTest, public ::testing::WithParamInterface<RowSizingCase> {};

TEST_P(RowSizingTest, DraggingTheBoundaryBelowARow)
{
    const RowSizingCase &c = GetParam();
    grid.SetClientSizeable(c.clientSizeable);
    grid.SetRowSizable(3, c.sizable);
    if (c.merged) {
        ASSERT_TRUE(grid.MergeCells({3, 3, 3, 4}, false));
    }
    const QRect cell = view.CellRect(c.pressCol, 3);
    const QPoint edge(cell.center().x(), view.CellRect(0, 3).bottom() + 1);
    Drag(edge, edge + QPoint(0, 20));
    EXPECT_EQ(grid.RowHeight(3), c.height);
    EXPECT_EQ(grid.RowHeight(4), 30);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, RowSizingTest,
                         ::testing::Values(RowSizingCase{"InTheTitleColumn", false, 0, true, false, 50},
                                           RowSizingCase{"InAClientCell", false, 2, true, false, 30},
                                           RowSizingCase{"InAClientCellWhenClientSizeable", true, 2, true, false, 50},
                                           RowSizingCase{"NotSizable", false, 0, false, false, 30},
                                           RowSizingCase{"InsideAMergedBlock", true, 3, true, true, 30},
                                           RowSizingCase{"BesideAMergedBlock", true, 2, true, true, 50}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(GridViewTest, DraggedBoundaryShowsWhereItWillGo)
{
    const QPoint edge(view.CellRect(2, 0).right() + 1, view.CellRect(2, 0).center().y());
    const int row = Center(2, 6).y();
    const int target = edge.x() + 31; // inside column 3, away from its text and lines
    auto dotted = [&](const QImage &image) {
        int black = 0;
        for (int y = row - 10; y < row + 10; ++y)
            black += QColor(image.pixel(target, y)) == QColor(Qt::black);
        return black;
    };
    EXPECT_EQ(dotted(Paint()), 0);
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    DragTo(QPoint(target, edge.y()));
    EXPECT_EQ(view.CurrentDrag(), TableGridView::DragState::SizingCol);
    const int shown = dotted(Paint());
    EXPECT_GE(shown, 5);
    EXPECT_LT(shown, 20) << "a dotted line";
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(target, edge.y()));
    EXPECT_EQ(grid.ColWidth(2), 111);
    EXPECT_EQ(dotted(Paint()), 0) << "the line goes with the drag";
}

TEST_F(GridViewTest, ClientSizeableColumnsSizeFromAnyRow)
{
    grid.SetClientSizeable(true);
    const QPoint edge(view.CellRect(2, 4).right() + 1, Center(2, 4).y());
    Drag(edge, edge + QPoint(-20, 0));
    EXPECT_EQ(grid.ColWidth(2), 60);
}

TEST_F(GridViewTest, DraggingASelectionPastTheEdgeScrollsUntilReleased)
{
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, Center(2, 3));
    const QPoint below(Center(2, 3).x(), view.viewport()->height() + 10);
    DragTo(below);
    QTRY_VERIFY(grid.TopLeft().y() >= 4);
    EXPECT_GT(view.Selection().Bottom, grid.TopLeft().y()) << "the selection follows the scrolled rows";
    EXPECT_EQ(view.CurrentCell(), QPoint(2, 3));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, below);
    const QPoint stopped = grid.TopLeft();
    QTest::qWait(200);
    EXPECT_EQ(grid.TopLeft(), stopped) << "releasing the button stops the scrolling";

    // Back above the scrolling rows scrolls up again.
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, Center(2, grid.TopLeft().y() + 1));
    DragTo(QPoint(Center(2, 0).x(), 2));
    QTRY_VERIFY(grid.TopLeft().y() < stopped.y());
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Center(2, 0).x(), 2));
}

// --- Options and cursors -------------------------------------------------------------------------

TEST_F(GridViewTest, RowSelectHighlightsWholeRowsAndNeverEdits)
{
    grid.SetOptions(grid.Props().Options | GridOptionBit(goRowSelect));
    Click(3, 4);
    EXPECT_EQ(view.Selection(), (GridRect{1, 4, 7, 4}));
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.Selection(), (GridRect{1, 4, 7, 5}));
    Key(Qt::Key_F2);
    Type(QStringLiteral("x"));
    EXPECT_FALSE(view.EditorShown());
    Key(Qt::Key_End);
    EXPECT_EQ(view.CurrentCell(), QPoint(3, 59)) << "End goes to the last row";
    Key(Qt::Key_Home);
    EXPECT_EQ(view.CurrentCell(), QPoint(3, 1));

    const QImage image = Paint();
    const QRect current = view.CellRect(3, 1);
    EXPECT_EQ(QColor(image.pixel(current.topLeft() + QPoint(6, 6))), QColor(Qt::black))
        << "the current cell is highlighted too";
    EXPECT_EQ(QColor(image.pixel(view.CellRect(7, 1).topLeft() + QPoint(6, 6))), QColor(Qt::black));
}

TEST_F(GridViewTest, AlwaysShownEditorReturnsWithTheFocus)
{
    Click(2, 2);
    auto framed = [this] {
        const QRect cell = view.CellRect(2, 2);
        return QColor(Paint().pixel(cell.left() + 1, cell.center().y())) == QColor(Qt::black);
    };
    EXPECT_TRUE(framed()) << "the selection frame of a focused grid";
    grid.SetOptions(grid.Props().Options | GridOptionBit(goAlwaysShowEditor));
    Click(2, 3);
    ASSERT_TRUE(view.EditorShown());
    Click(2, 2);
    EXPECT_FALSE(framed()) << "an editor always shown stands for the frame";
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    elsewhere.setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(view.EditorShown()) << "leaving the grid keeps it";
    Key(Qt::Key_Escape);
    EXPECT_FALSE(view.EditorShown());
    view.activateWindow();
    view.setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(view.EditorShown()) << "the grid's focus brings it back";
}

TEST_F(GridViewTest, DragCursorsOfTheGridsOwn)
{
    Click(3, 3);
    const QRect cell = view.CellRect(3, 3);
    struct Place {
        QPoint at;
        TableGridView::DragState drag;
    };
    const Place places[] = {{cell.bottomRight(), TableGridView::DragState::Filling},
                            {QPoint(cell.left() + 1, cell.center().y()), TableGridView::DragState::Moving},
                            {QPoint(cell.right() + 1, view.CellRect(3, 0).center().y()),
                             TableGridView::DragState::SizingCol}};
    for (const Place &place : places) {
        QTest::mouseMove(view.viewport(), place.at);
        const QCursor shown = view.viewport()->cursor();
        const QCursor expected = view.DragCursor(place.drag);
        EXPECT_EQ(shown.shape(), expected.shape()) << int(place.drag);
        if (expected.shape() == Qt::BitmapCursor) {
            EXPECT_EQ(shown.pixmap().cacheKey(), expected.pixmap().cacheKey()) << int(place.drag);
        }
    }
    const QSet<qint64> keys{view.DragCursor(TableGridView::DragState::Moving).pixmap().cacheKey(),
                            view.DragCursor(TableGridView::DragState::Copying).pixmap().cacheKey(),
                            view.DragCursor(TableGridView::DragState::Filling).pixmap().cacheKey()};
    EXPECT_EQ(keys.size(), 3) << "moving, copying and filling look different";

    // Ctrl at the press copies, and the pointer says so for the whole drag.
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::ControlModifier, places[1].at);
    DragTo(Center(5, 5));
    EXPECT_EQ(view.CurrentDrag(), TableGridView::DragState::Copying);
    EXPECT_EQ(view.viewport()->cursor().pixmap().cacheKey(),
              view.DragCursor(TableGridView::DragState::Copying).pixmap().cacheKey());
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::ControlModifier, Center(5, 5));
}

} // namespace
} // namespace pelvoro::test
