// The table editor window: the grid as it is created on a screen's main area, the tool bars and
// their commands on the selection, text paste, the page preview and table files through the prompt.
#include "editors/table/ui/table_editor_window.h"

#include "editors/table/table_engine.h"
#include "editors/table/table_pages.h"
#include "editors/table/ui/cell_properties_dialog.h"
#include "editors/table/ui/table_colour_box.h"
#include "editors/table/ui/table_grid_view.h"
#include "editors/table/ui/table_inplace_edit.h"
#include "support/app_dir_fixture.h"
#include "support/scripted_prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace pelvoro::test {
namespace {

ScreenInfo Screen(int width, int height, int mainHeight, int colorMode)
{
    ScreenInfo screen;
    screen.Width = width;
    screen.Height = height;
    screen.MainHeight = mainHeight;
    screen.ColorMode = colorMode;
    return screen;
}

QStringList Entries(const QComboBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

// A shown editor on a single-colour 256 × 128 screen whose main area is the whole face: 5 × 5 cells
// of 62 × 30 dots.
class TableEditorTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        editor = std::make_unique<TFrm_CellEdit>(prompt, Screen(256, 128, 128, 0), 0);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        View()->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        editor.reset();
        AppDirTest::TearDown();
    }

    TableGridView *View() const { return editor->EasyGrid1(); }
    TEasyGrid &Grid() const { return editor->Grid(); }
    void Click(int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, mods, View()->CellRect(col, row).center());
    }
    void Select(const GridRect &rect)
    {
        Click(rect.Left, rect.Top);
        Click(rect.Right, rect.Bottom, Qt::ShiftModifier);
        ASSERT_EQ(Grid().Selection(), rect);
    }
    void Type(const QString &text)
    {
        for (const QChar ch : text) {
            QWidget *target = View()->EditorShown() ? static_cast<QWidget *>(View()->InplaceEditor()) : View();
            QTest::keyClick(target, ch.toLatin1());
        }
    }
    void Trigger(const char *caption)
    {
        QAction *action = editor->Command(QString::fromUtf8(caption));
        ASSERT_NE(action, nullptr) << caption;
        ASSERT_TRUE(action->isEnabled()) << caption;
        action->trigger();
    }
    void ClickSpin(bool column, bool up) { QTest::mouseClick(editor->SpinButton(column, up), Qt::LeftButton); }
    std::vector<int> ColWidths() const
    {
        std::vector<int> widths;
        for (int col = 0; col < Grid().ColCount(); ++col)
            widths.push_back(Grid().ColWidth(col));
        return widths;
    }
    std::vector<int> RowHeights() const
    {
        std::vector<int> heights;
        for (int row = 0; row < Grid().RowCount(); ++row)
            heights.push_back(Grid().RowHeight(row));
        return heights;
    }
    // Moves with the left button held, which QTest::mouseMove does not carry.
    void DragTo(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, View()->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(View()->viewport(), &move);
    }

    ScriptedPrompt prompt;
    std::unique_ptr<TFrm_CellEdit> editor;
};

TEST_F(TableEditorTest, CreationFitsTheGridToTheMainArea)
{
    EXPECT_EQ(editor->windowTitle(), "自动表格");
    EXPECT_EQ(Grid().ColCount(), 5);
    EXPECT_EQ(Grid().RowCount(), 5);
    EXPECT_EQ(ColWidths(), (std::vector<int>{20, 62, 62, 62, 62})); // (256 - 5) div 4
    EXPECT_EQ(RowHeights(), (std::vector<int>{20, 30, 30, 30, 30})); // (128 - 5) div 4
    EXPECT_EQ(View()->size(), QSize(256 + 42, 128 + 23));
    EXPECT_EQ(editor->ColWidthBox()->text(), "62");
    EXPECT_EQ(editor->RowHeightBox()->text(), "30");
    EXPECT_EQ(editor->GetPageArea().width, 256);
    EXPECT_EQ(editor->GetPageArea().height, 128);
    EXPECT_EQ(editor->GetPageArea().colourModel, 1);
    EXPECT_FALSE(Grid().Props().ShowPopup);
    EXPECT_TRUE(Grid().HasOption(goEditing));
    EXPECT_EQ(Grid().Props().ClientLineColor, kColorRed);
    const TCellInfo &cell = Grid().Cell(2, 3);
    EXPECT_EQ(cell.FontColor, kColorRed);
    EXPECT_EQ(cell.FontSize, 10);
    EXPECT_EQ(cell.AlignMode, taCenter);
    EXPECT_FALSE(cell.ReadOnly);
    EXPECT_EQ(View()->font().pointSize(), 10);
    // The grid stands at the top of its scroll box, centred across it.
    const int client = editor->ScrollBox()->viewport()->width();
    EXPECT_EQ(View()->pos(), QPoint(std::max(0, (client - View()->width()) / 2), 0));
    EXPECT_FALSE(editor->Previewing());
}

TEST_F(TableEditorTest, LowScreensAndScreensWithoutHeightGetTheirStartingTables)
{
    // Below 64 dots the table is still laid out 64 high.
    TFrm_CellEdit low(prompt, Screen(128, 32, 32, 1), 0);
    EXPECT_EQ(low.GetPageArea().height, 64);
    EXPECT_EQ(low.Grid().RowHeight(1), (64 - 5) / 4);
    // A screen without a height starts from a column per 61 dots and four rows.
    TFrm_CellEdit flat(prompt, Screen(256, 0, 0, 0), 0);
    EXPECT_EQ(flat.Grid().ColCount(), 5);
    EXPECT_EQ(flat.Grid().RowCount(), 4);
    EXPECT_EQ(flat.Grid().RowHeight(1), (64 - 4) / 3);
}

// The command-line tool starts its tables from the engine alone: the window must start the same.
TEST_F(TableEditorTest, EngineStartsTheTableTheWindowStartsWith)
{
    for (const ScreenInfo &screen : {Screen(256, 128, 128, 1), Screen(128, 32, 32, 0), Screen(256, 0, 0, 0)}) {
        SCOPED_TRACE(screen.Width * 1000 + screen.Height);
        TFrm_CellEdit window(prompt, screen, 0);
        TableEngine engine(prompt);
        engine.StartForScreen(screen.Width, screen.Height, screen.MainHeight);
        const TEasyGrid &expected = window.Grid();
        const TEasyGrid &started = engine.Grid();
        ASSERT_EQ(started.ColCount(), expected.ColCount());
        ASSERT_EQ(started.RowCount(), expected.RowCount());
        for (int col = 0; col < expected.ColCount(); ++col)
            EXPECT_EQ(started.ColWidth(col), expected.ColWidth(col)) << "column " << col;
        for (int row = 0; row < expected.RowCount(); ++row) {
            EXPECT_EQ(started.RowHeight(row), expected.RowHeight(row)) << "row " << row;
            for (int col = 0; col < expected.ColCount(); ++col)
                EXPECT_TRUE(started.Cell(col, row) == expected.Cell(col, row)) << col << "," << row;
        }
        EXPECT_EQ(started.Props().ClientLineColor, expected.Props().ClientLineColor);
    }
}

TEST_F(TableEditorTest, ToolBarsCarryTheirCaptionsAndLists)
{
    const std::vector<QStringList> captions = {
        {"打开Ulvan Cell文件", "保存当前编辑的文件"},
        {},
        {"插入列", "插入行", "删除列", "删除行", "合并单元格", "拆分单元格"},
        {"居左对齐", "居中对齐", "居右对齐", "黑体", "斜体"},
        {"表格属性", "上一页", "下一页", "预览"},
    };
    for (int bar = 1; bar <= 5; ++bar) {
        QStringList texts;
        for (const QAction *action : editor->ToolBar(bar)->actions()) {
            if (!action->text().isEmpty())
                texts << action->text();
        }
        EXPECT_EQ(texts, captions[bar - 1]) << "tool bar " << bar;
    }
    QStringList labels;
    for (const QLabel *label : editor->ToolBar(2)->findChildren<QLabel *>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({" 背景", " 文字"}));
    EXPECT_EQ(Entries(*editor->FontSizeBox()), QStringList({"6", "8", "9", "10", "11", "12", "14", "16", "18", "20",
                                                             "22", "24", "26", "28", "36", "48", "72"}));
    EXPECT_EQ(editor->FontSizeBox()->currentText(), "10");
    EXPECT_TRUE(Entries(*editor->FontNameBox()).contains("宋体"));
    EXPECT_EQ(editor->RowHeightBox()->toolTip(), "行高");
    EXPECT_EQ(editor->ColWidthBox()->toolTip(), "列宽");
    for (const char *toggle : {"居左对齐", "黑体", "斜体", "预览"})
        EXPECT_TRUE(editor->Command(QString::fromUtf8(toggle))->isCheckable()) << toggle;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(editor->StatusPanel(i)->width(), (std::array<int, 3>{100, 100, 50})[i]);
}

TEST_F(TableEditorTest, ColourListsFollowTheColourModel)
{
    const QStringList two = {"黑色", "红色"};
    const QStringList four = {"黑色", "红色", "绿色", "黄色"};
    EXPECT_EQ(Entries(*editor->BackColourBox()), two);
    EXPECT_EQ(Entries(*editor->TextColourBox()), two);

    editor->TextColourBox()->setCurrentIndex(0);
    editor->SetPageArea(256, 128, {}, 2);
    EXPECT_EQ(Entries(*editor->BackColourBox()), four);
    EXPECT_EQ(Entries(*editor->TextColourBox()), four);
    EXPECT_EQ(editor->BackColourBox()->currentText(), "黑色");
    EXPECT_EQ(editor->TextColourBox()->currentText(), "红色");
    EXPECT_FALSE(editor->BackColourBox()->itemIcon(2).isNull()) << "entries carry swatches";

    // The same model again leaves the operator's choice alone.
    editor->TextColourBox()->setCurrentIndex(3);
    editor->SetPageArea(256, 128, {}, 2);
    EXPECT_EQ(editor->TextColourBox()->currentText(), "黄色");
}

TEST_F(TableEditorTest, ColourFontAndAlignmentCommandsFormatTheSelectionAndFollowTheCurrentCell)
{
    editor->SetPageArea(256, 128, {}, 2);
    Select({1, 1, 2, 2});
    editor->BackColourBox()->setCurrentIndex(2);
    Q_EMIT editor->BackColourBox()->activated(2);
    editor->TextColourBox()->setCurrentIndex(3);
    Q_EMIT editor->TextColourBox()->activated(3);
    Trigger("居左对齐");
    Trigger("黑体");
    for (const QPoint cell : {QPoint(1, 1), QPoint(2, 2)}) {
        EXPECT_EQ(Grid().Cell(cell.x(), cell.y()).Color, 0x00FF00);
        EXPECT_EQ(Grid().Cell(cell.x(), cell.y()).FontColor, 0x00FFFF);
        EXPECT_EQ(Grid().Cell(cell.x(), cell.y()).AlignMode, taLeft);
        EXPECT_EQ(Grid().Cell(cell.x(), cell.y()).FontStyle, kFontBold);
    }
    EXPECT_EQ(Grid().Cell(3, 1).Color, kColorDefault);

    // Bold and italic toggle the current cell's style and write it to the whole selection.
    Grid().SetCellProp(GridRect::Cell(2, 2), CellProp::FontStyle, int(kFontItalic));
    Trigger("斜体");
    EXPECT_EQ(Grid().Cell(2, 2).FontStyle, kFontBold | kFontItalic) << "the current cell's style decides";
    Trigger("黑体");
    EXPECT_EQ(Grid().Cell(2, 2).FontStyle, kFontItalic);

    // A font size that is no whole number becomes 12.
    editor->FontSizeBox()->setCurrentText("1x");
    QTest::keyClick(editor->FontSizeBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(editor->FontSizeBox()->currentText(), "12");
    EXPECT_EQ(Grid().Cell(2, 2).FontSize, 12);

    // Moving onto a cell shows its formatting; colours the lists do not hold show as black.
    Grid().SetCellProp(GridRect::Cell(4, 4), CellProp::Color, 0x123456);
    Grid().SetCellProp(GridRect::Cell(4, 4), CellProp::FontSize, 16);
    Grid().SetCellProp(GridRect::Cell(4, 4), CellProp::AlignMode, int(taRight));
    Click(4, 4);
    EXPECT_EQ(editor->BackColourBox()->currentText(), "黑色");
    EXPECT_EQ(editor->TextColourBox()->currentText(), "红色");
    EXPECT_EQ(editor->FontSizeBox()->currentText(), "16");
    EXPECT_TRUE(editor->Command("居右对齐")->isChecked());
    EXPECT_FALSE(editor->Command("斜体")->isChecked());
    Click(1, 1);
    EXPECT_EQ(editor->BackColourBox()->currentText(), "绿色");
    EXPECT_TRUE(editor->Command("居左对齐")->isChecked());
    EXPECT_TRUE(editor->Command("斜体")->isChecked());
}

TEST_F(TableEditorTest, FontSizeBoxRefusesTypingPastThreeCharacters)
{
    QLineEdit *edit = editor->FontSizeBox()->lineEdit();
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, "1a.-2");
    EXPECT_EQ(edit->text(), "1.2");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, '5');
    EXPECT_EQ(edit->text(), "1.2") << "at three characters even Backspace is refused";
}

TEST_F(TableEditorTest, TypingIntoACellCommitsIt)
{
    Click(2, 3);
    Type("abc");
    QTest::keyClick(View()->InplaceEditor(), Qt::Key_Return);
    QTest::keyClick(View()->InplaceEditor(), Qt::Key_Down);
    EXPECT_EQ(Grid().ForeText(2, 3), "abc");
    EXPECT_EQ(Grid().CurrentCell(), QPoint(2, 4));
}

// An editor for a screen of many dots stays on the desktop (the offscreen one is 800 x 600).
TEST_F(TableEditorTest, WindowForALargeScreenStaysOnTheDesktop)
{
    TFrm_CellEdit large(prompt, Screen(768, 768, 768, 1), 0);
    large.move(300, 100);
    large.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&large));
    EXPECT_TRUE(large.screen()->availableGeometry().contains(large.frameGeometry()))
        << large.frameGeometry().x() << "," << large.frameGeometry().y() << " " << large.frameGeometry().width()
        << "x" << large.frameGeometry().height();
}

// Tab walks along the row inside the grid: what is typed next lands in the next cell, never in a
// tool bar's box.
TEST_F(TableEditorTest, TabMovesAlongTheRowAndKeepsTheFocusInTheGrid)
{
    const auto focusInGrid = [this] {
        QWidget *focus = QApplication::focusWidget();
        return focus == View() || focus == View()->InplaceEditor();
    };
    Click(1, 2);
    Type("a");
    QTest::keyClick(View()->InplaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(Grid().CurrentCell(), QPoint(2, 2));
    EXPECT_TRUE(focusInGrid());
    Type("b");
    QTest::keyClick(View()->InplaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(Grid().ForeText(1, 2), "a");
    EXPECT_EQ(Grid().ForeText(2, 2), "b");

    Click(4, 2);
    QTest::keyClick(View(), Qt::Key_Tab);
    EXPECT_EQ(Grid().CurrentCell(), QPoint(4, 2)) << "the last column stays";
    EXPECT_TRUE(focusInGrid());
    QTest::keyClick(View(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Grid().CurrentCell(), QPoint(3, 2));
    EXPECT_TRUE(focusInGrid());

    QTest::keyClick(View(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Grid().CurrentCell(), QPoint(3, 2));
    EXPECT_FALSE(focusInGrid()) << "Ctrl+Tab leaves the grid";
}

TEST_F(TableEditorTest, MergeAndSplitTheSelection)
{
    Grid().SetForeText(1, 1, "a");
    Grid().SetForeText(2, 2, "b");
    Select({1, 1, 2, 2});
    Trigger("合并单元格");
    EXPECT_EQ(Grid().MergeRect(2, 2), (GridRect{1, 1, 2, 2}));
    EXPECT_TRUE(prompt.questions.isEmpty()) << "merging asks nothing";
    Trigger("拆分单元格");
    EXPECT_FALSE(Grid().IsMerged(1, 1));
}

TEST_F(TableEditorTest, InsertingAndDeletingColumnsAndRowsRefitsTheColumns)
{
    struct Case {
        const char *command;
        std::optional<PromptButton> answer;
        int cols;
        int rows;
        int width; // every client column's
    };
    const Case cases[] = {
        {"插入列", {}, 7, 5, (256 - 7) / 6}, // two columns selected: two inserted
        {"插入行", {}, 5, 7, 62},
        {"删除列", PromptButton::Cancel, 5, 5, 62},
        {"删除列", PromptButton::Ok, 3, 5, (256 - 3) / 2},
        {"删除行", PromptButton::Cancel, 5, 5, 62},
        {"删除行", PromptButton::Ok, 5, 3, 62},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.command) + (c.answer == PromptButton::Cancel ? " cancelled" : ""));
        Grid().SetColCount(5);
        Grid().SetRowCount(5);
        editor->FitGrid(TFrm_CellEdit::kFitBoth);
        prompt.questions.clear();
        if (c.answer)
            prompt.answers.enqueue(*c.answer);
        Select({2, 2, 3, 3});
        Trigger(c.command);
        EXPECT_EQ(Grid().ColCount(), c.cols);
        EXPECT_EQ(Grid().RowCount(), c.rows);
        for (int col = 1; col < Grid().ColCount(); ++col)
            EXPECT_EQ(Grid().ColWidth(col), c.width) << col;
        if (c.answer) {
            ASSERT_EQ(prompt.questions.size(), 1);
            EXPECT_EQ(prompt.questions[0].text,
                      QString::fromUtf8(c.command) == "删除列" ? "你确定要删除一列数据" : "你确定要删除一行数据");
            EXPECT_EQ(prompt.questions[0].caption, "信息提示！");
        }
    }
}

TEST_F(TableEditorTest, DeletingEveryRowIsRefusedWithAMessage)
{
    Select({1, 1, 1, 4});
    Grid().SetSelection({1, 1, 4, 4});
    prompt.answers.enqueue(PromptButton::Ok);
    Trigger("删除行");
    EXPECT_EQ(Grid().RowCount(), 5);
    EXPECT_EQ(prompt.messages.size(), 1);
}

TEST_F(TableEditorTest, SpinButtonsSizeTheSelectedRowsAndColumns)
{
    Select({2, 2, 3, 3});
    ClickSpin(false, true);
    EXPECT_EQ(editor->RowHeightBox()->text(), "31");
    EXPECT_EQ(RowHeights(), (std::vector<int>{20, 30, 31, 31, 30}));
    ClickSpin(true, false);
    ClickSpin(true, false);
    EXPECT_EQ(editor->ColWidthBox()->text(), "60");
    EXPECT_EQ(ColWidths(), (std::vector<int>{20, 62, 60, 60, 62}));

    // Going down stops at 10.
    editor->RowHeightBox()->setText("10");
    ClickSpin(false, false);
    EXPECT_EQ(editor->RowHeightBox()->text(), "10");
    EXPECT_EQ(Grid().RowHeight(2), 10);
}

TEST_F(TableEditorTest, DraggingTheFillHandleFillsTheCellsBelow)
{
    Grid().SetForeText(2, 1, "7");
    Click(2, 1);
    const QRect cell = View()->CellRect(2, 1);
    QTest::mousePress(View()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.bottomRight());
    DragTo(View()->CellRect(2, 2).center());
    DragTo(View()->CellRect(2, 3).center());
    QTest::mouseRelease(View()->viewport(), Qt::LeftButton, Qt::NoModifier, View()->CellRect(2, 3).center());
    EXPECT_EQ(Grid().ForeText(2, 2), "7");
    EXPECT_EQ(Grid().ForeText(2, 3), "7");
    EXPECT_EQ(Grid().ForeText(2, 4), "");
}

TEST_F(TableEditorTest, CtrlVPastesTabSeparatedTextIntoTheCellsUnformatted)
{
    Grid().SetCellProp(GridRect::Cell(2, 2), CellProp::DataStyle, int(dsNumber));
    QGuiApplication::clipboard()->setText("a\tb\r\nc\tabc\r\nleft over");
    Click(1, 1);
    QTest::keyPress(View(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyRelease(View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Grid().ForeText(1, 1), "a");
    EXPECT_EQ(Grid().ForeText(2, 1), "b");
    EXPECT_EQ(Grid().ForeText(1, 2), "c");
    EXPECT_EQ(Grid().ForeText(2, 2), "abc") << "a number cell takes the field as it is";
    EXPECT_EQ(Grid().ForeText(1, 3), "");
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Without a line break nothing changes.
    QGuiApplication::clipboard()->setText("z");
    QTest::keyRelease(View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Grid().ForeText(1, 1), "a");
}

TEST_F(TableEditorTest, PreviewCountsAndTurnsPagesWithTheEditingControlsOff)
{
    // Twelve 30-dot rows need more than one 128-dot page.
    Grid().SetRowCount(13);
    for (int row = 1; row < 13; ++row) {
        Grid().SetRowHeight(row, 30);
        Grid().SetForeText(1, row, QString::number(row));
    }
    Grid().SetCellProp(Grid().ClientRect(), CellProp::Color, 0x0000FF);
    TablePager pager(Grid());
    pager.SetPageFrame(256, 128, {});
    const int pages = pager.GetPageCount();
    ASSERT_GE(pages, 2);

    Trigger("预览");
    ASSERT_TRUE(editor->Previewing());
    EXPECT_EQ(editor->PreviewPageCount(), pages);
    EXPECT_EQ(editor->PreviewPage(), 1);
    EXPECT_EQ(editor->StatusPanel(0)->text(), QString("共%1页").arg(pages));
    EXPECT_EQ(editor->StatusPanel(1)->text(), "第1页");
    EXPECT_EQ(editor->PreviewImage()->size(), QSize(256, 128));
    EXPECT_TRUE(editor->PreviewImage()->isVisible());
    EXPECT_FALSE(View()->isVisible());
    for (int bar = 1; bar <= 4; ++bar)
        EXPECT_FALSE(editor->ToolBar(bar)->isEnabled()) << bar;
    EXPECT_FALSE(editor->Command("表格属性")->isEnabled());
    EXPECT_FALSE(editor->RowHeightBox()->isEnabled());
    EXPECT_FALSE(editor->SpinButton(true, false)->isEnabled());
    EXPECT_FALSE(editor->Command("上一页")->isEnabled());
    EXPECT_TRUE(editor->Command("下一页")->isEnabled());
    EXPECT_EQ(editor->PreviewPageImage().pixel(100, 60), qRgb(255, 0, 0)) << "red cells on the first page";
    const QImage first = editor->PreviewPageImage();

    for (int p = 2; p <= pages; ++p)
        Trigger("下一页");
    EXPECT_EQ(editor->PreviewPage(), pages);
    EXPECT_EQ(editor->StatusPanel(1)->text(), QString("第%1页").arg(pages));
    EXPECT_FALSE(editor->Command("下一页")->isEnabled());
    EXPECT_TRUE(editor->Command("上一页")->isEnabled());
    EXPECT_NE(editor->PreviewPageImage(), first);
    for (int p = pages; p > 1; --p)
        Trigger("上一页");
    EXPECT_EQ(editor->PreviewPageImage(), first);

    Trigger("预览");
    EXPECT_FALSE(editor->Previewing());
    EXPECT_TRUE(View()->isVisible());
    EXPECT_TRUE(editor->ToolBar(3)->isEnabled());
    EXPECT_TRUE(editor->Command("表格属性")->isEnabled());
    EXPECT_TRUE(editor->SpinButton(true, false)->isEnabled());
    EXPECT_TRUE(editor->StatusPanel(0)->text().isEmpty());
    EXPECT_TRUE(editor->StatusPanel(1)->text().isEmpty());
}

TEST_F(TableEditorTest, PreviewKeepsTheMargins)
{
    Grid().SetCellProp(Grid().ClientRect(), CellProp::Color, 0x0000FF);
    editor->SetPageArea(256, 128, {10, 20, 0, 0}, 1);
    Trigger("预览");
    const QImage page = editor->PreviewPageImage();
    EXPECT_EQ(page.pixel(5, 60), qRgb(0, 0, 0)) << "left margin";
    EXPECT_EQ(page.pixel(100, 10), qRgb(0, 0, 0)) << "top margin";
    EXPECT_EQ(page.pixel(100, 60), qRgb(255, 0, 0));
}

TEST_F(TableEditorTest, PreviewWithoutRoomForTheTableSaysSoAndStaysOff)
{
    editor->SetPageArea(256, 128, {0, 64, 0, 64}, 1);
    Trigger("预览");
    EXPECT_FALSE(editor->Previewing());
    EXPECT_FALSE(editor->Command("预览")->isChecked());
    EXPECT_TRUE(View()->isVisible());
    EXPECT_TRUE(editor->ToolBar(3)->isEnabled());
    EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({kTitleTooLarge}));
}

TEST_F(TableEditorTest, CellFormatDialogOpensOverTheSelection)
{
    Select({2, 2, 3, 3});
    Q_EMIT View()->CellFormatRequested();
    auto *dialog = editor->findChild<TFormCellProp *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    QPointer<TFormCellProp> closed(dialog);
    dialog->reject();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull()) << "made for one showing";
}

TEST_F(TableEditorTest, SaveProposesTheScreensNameAndAppendsTheExtension)
{
    Grid().SetForeText(1, 1, "kept");
    prompt.files.enqueue({Path("plan")});
    Trigger("保存当前编辑的文件");
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList({"Tavrel Cell(*.bls)"}));
    EXPECT_EQ(prompt.fileDialogs[0].directory, Path("Tavrel1-1.bls"));
    EXPECT_TRUE(Exists("plan.bls"));

    prompt.files.enqueue({Path("other.BLS")});
    Trigger("保存当前编辑的文件");
    EXPECT_TRUE(Exists("other.BLS"));
    EXPECT_FALSE(Exists("other.BLS.bls"));

    prompt.files.enqueue({});
    EXPECT_FALSE(editor->SaveTableFile()) << "cancelled";
}

// An edited table is not dropped unasked: closing asks as the text editor does, and a save that
// writes nothing keeps the window open.
TEST_F(TableEditorTest, ClosingAnEditedTableAsksWhetherToSaveIt)
{
    const struct {
        PromptButton answer;
        bool saveChosen; // Yes: the save dialog's answer
        bool closes;
    } cases[] = {
        {PromptButton::No, false, true},
        {PromptButton::Cancel, false, false},
        {PromptButton::Yes, true, true},
        {PromptButton::Yes, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.answer) * 10 + c.saveChosen);
        editor = std::make_unique<TFrm_CellEdit>(prompt, Screen(256, 128, 128, 0), 0);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        prompt.questions.clear();
        QFile::remove(Path("kept.bls"));
        Click(2, 3);
        Type("abc"); // still in the cell's editor when the window closes
        prompt.answers.enqueue(c.answer);
        if (c.answer == PromptButton::Yes)
            prompt.files.enqueue(c.saveChosen ? QStringList{Path("kept")} : QStringList{});
        editor->close();
        ASSERT_EQ(prompt.questions.size(), 1);
        EXPECT_EQ(prompt.questions[0].text, "是否保存当前编辑文件？");
        EXPECT_EQ(prompt.questions[0].caption, "提示信息");
        EXPECT_EQ(editor->isVisible(), !c.closes);
        EXPECT_EQ(Grid().ForeText(2, 3), "abc");
        EXPECT_EQ(Exists("kept.bls"), c.saveChosen);
    }

    // Unedited, only previewed, or saved since the last edit: it closes without a question.
    prompt.questions.clear();
    const std::function<void()> beforeClosing[] = {
        [] {},
        [this] {
            Trigger("预览");
            Trigger("预览");
        },
        [this] {
            Grid().SetForeText(1, 1, "kept");
            prompt.files.enqueue({Path("plan")});
            Trigger("保存当前编辑的文件");
        },
    };
    for (const auto &step : beforeClosing) {
        editor = std::make_unique<TFrm_CellEdit>(prompt, Screen(256, 128, 128, 0), 0);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        step();
        editor->close();
        EXPECT_FALSE(editor->isVisible());
    }
    EXPECT_TRUE(prompt.questions.isEmpty());
}

TEST_F(TableEditorTest, OpenLoadsATableAndADamagedOneLeavesTheGrid)
{
    Grid().SetForeText(3, 2, "saved");
    Grid().SetColCount(4);
    ASSERT_TRUE(Grid().SaveToFile(Path("t.bls")).Ok());
    Grid().SetColCount(6);
    Grid().SetForeText(3, 2, "changed");

    prompt.files.enqueue({Path("t.bls")});
    Trigger("打开Ulvan Cell文件");
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList({"Tavrel Cell(*.bls)"}));
    EXPECT_EQ(prompt.fileDialogs[0].directory, AppDir());
    EXPECT_EQ(Grid().ColCount(), 4);
    EXPECT_EQ(Grid().ForeText(3, 2), "saved");

    WriteFile("bad.bls", "not a table");
    prompt.files.enqueue({Path("bad.bls")});
    Trigger("打开Ulvan Cell文件");
    EXPECT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(Grid().ForeText(3, 2), "saved");
}

TEST_F(TableEditorTest, WindowFollowsThePageArea)
{
    const int before = editor->height();
    editor->SetPageArea(400, 100, {}, 1);
    // The size follows the page of the call before (256 × 128 here) ...
    editor->SetPageArea(400, 100, {}, 1);
    // ... so the second call with the same page settles it.
    const int bars = editor->height() - 100 - 75;
    EXPECT_EQ(editor->width(), 400 + 64);
    EXPECT_GT(bars, 0);
    EXPECT_NE(editor->height(), before);
    EXPECT_EQ(ColWidths()[1], (400 - 5) / 4);
    EXPECT_EQ(RowHeights()[1], (100 - 5) / 4);
}

TEST_F(TableEditorTest, PropertiesDialogIsKeptAndLaysTheTableOutAgain)
{
    TFrmPara *dialog = editor->OpenProperties();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    dialog->findChild<QLineEdit *>("Rows")->setText("3");
    dialog->findChild<QLineEdit *>("Cols")->setText("2");
    QTest::mouseClick(dialog->findChild<QAbstractButton *>("BtnOk"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(Grid().ColCount(), 3);
    // Margins of 1 all round on the screen's main area.
    EXPECT_EQ(Grid().ColWidth(1), (256 - 2 - 3) / 2);
    EXPECT_EQ(editor->OpenProperties(), dialog);
    dialog->reject();
}

// On a main area of 16 rows the equal share is 2 dots a row: rows keep one line of the cells' font
// instead, and the table goes on over further pages.
TEST_F(TableEditorTest, PropertiesOnALowMainAreaKeepRowsOneTextLineHigh)
{
    const struct {
        int points;
        int rowHeight;
    } cases[] = {{10, 13}, {16, 21}};
    for (const auto &c : cases) {
        TFrm_CellEdit low(prompt, Screen(128, 16, 16, 0), 0);
        low.show();
        low.Grid().SetCellFontSize(c.points);
        TFrmPara *dialog = low.OpenProperties();
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->findChild<QAbstractButton *>("BtnOk"), Qt::LeftButton);
        ASSERT_EQ(low.Grid().RowCount(), 5);
        for (int row = 1; row < low.Grid().RowCount(); ++row)
            EXPECT_EQ(low.Grid().RowHeight(row), c.rowHeight) << c.points << " points, row " << row;
    }
}

} // namespace
} // namespace pelvoro::test
