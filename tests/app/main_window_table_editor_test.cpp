// "表格" in the main window: the table editor for the current screen, and a table made in it
// becoming the same main-area pages its preview shows.
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "editors/table/ui/table_colour_box.h"
#include "editors/table/ui/table_editor_window.h"
#include "editors/table/ui/table_grid_view.h"
#include "editors/table/ui/table_inplace_edit.h"
#include "pages/font_substitution.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/raster.h"
#include "pages/ui/preview_window.h"

#include <QApplication>
#include <QToolButton>

#include <string_view>

namespace pelvoro::test {
namespace {

class TableEditorOpenTest : public MainWindowTest {
protected:
    TFrm_CellEdit *OpenEditor()
    {
        window->Command(QStringLiteral("表格"))->trigger();
        auto *editor = window->findChild<TFrm_CellEdit *>();
        EXPECT_NE(editor, nullptr);
        if (editor) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
        }
        return editor;
    }
};

TEST_F(TableEditorOpenTest, TableButtonOpensAnEditorOnTheCurrentScreensMainArea)
{
    struct Case {
        const char *screen; // the second screen's section, which is made current
        int width;
        int height;
        int colours;
    };
    const Case cases[] = {
        {"横向点数=128|纵向点数=32|主区域高=32|单双色=0", 128, 64, 2},  // low: laid out 64 high
        {"横向点数=192|纵向点数=96|主区域高=80|单双色=1", 192, 80, 4},
        {"横向点数=192|纵向点数=48|主区域高=96|单双色=1", 192, 64, 4}, // a low screen decides too
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.screen);
        window.reset();
        QByteArray config = GbkLines({"[全局参数]", "显示屏数目=2", "[0号屏参数]", "横向点数=64", "纵向点数=16",
                                      "第一区域=主区", "主区域高=16", "[1号屏参数]", "第一区域=主区"});
        for (const QByteArray &line : QByteArray(c.screen).split('|'))
            config += Gbk(line.constData()) + "\r\n";
        WriteFile("SysConfig.ini", config);
        Start();
        Click(ScreenNode(1));
        ASSERT_EQ(table.CurrentScreen, 1);

        TFrm_CellEdit *editor = OpenEditor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(editor->GetPageArea().width, c.width);
        EXPECT_EQ(editor->GetPageArea().height, c.height);
        EXPECT_EQ(editor->GetPageArea().colourModel, c.colours / 2);
        EXPECT_EQ(editor->BackColourBox()->count(), c.colours);
        EXPECT_EQ(editor->Grid().ColWidth(1), (c.width - 5) / 4);
        EXPECT_EQ(editor->Grid().RowHeight(1), (c.height - 5) / 4);
        prompt.files.enqueue({});
        editor->SaveTableFile();
        ASSERT_FALSE(prompt.fileDialogs.isEmpty());
        EXPECT_EQ(prompt.fileDialogs.last().directory, Path("Tavrel2-1.bls")) << "named after the current screen";

        // Closing discards it.
        QPointer<TFrm_CellEdit> closed(editor);
        editor->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(closed.isNull());
    }
}

QImage AsLeds(QImage image, const ScreenInfo &screen)
{
    ReduceToPalette(image);
    const RasterFormat format = RasterFormatOf(screen);
    return UnpackRaster(PackRaster(image, screen.Width, screen.MainHeight, format), screen.Width, screen.MainHeight,
                        format);
}

TEST_F(TableEditorOpenTest, TableMadeInTheEditorImportsAsThePagesItsPreviewShows)
{
    InstallFontSubstitutions();
    WriteFile("SysConfig.ini",
              GbkLines({"[0号屏参数]", "横向点数=128", "纵向点数=64", "第一区域=主区", "主区域高=64", "单双色=1"}));
    Start();
    TFrmdisplay preview{table};
    window->SetPreview(&preview);
    Click(AreaNode(0, 0));

    TFrm_CellEdit *editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    TableGridView *view = editor->EasyGrid1();
    TEasyGrid &grid = editor->Grid();
    const auto click = [&](int col, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->CellRect(col, row).center());
    };
    // Twice the rows: more than one page.
    click(1, 1);
    click(1, 4, Qt::ShiftModifier);
    editor->Command("插入行")->trigger();
    ASSERT_EQ(grid.RowCount(), 9);
    // Text typed into cells, one block merged and coloured green.
    for (const auto &[cell, text] : {std::pair{QPoint(1, 1), "12"}, {QPoint(3, 2), "AB"}, {QPoint(2, 7), "9"}}) {
        ASSERT_TRUE(view->MoveCurrentCell(cell.x(), cell.y())); // scrolls the low view
        for (const char ch : std::string_view(text)) // the first key opens the cell's editor
            QTest::keyClick(view->EditorShown() ? static_cast<QWidget *>(view->InplaceEditor()) : view, ch);
        QTest::keyClick(view->InplaceEditor(), Qt::Key_Return);
    }
    view->MoveCurrentCell(4, 8); // moving on commits the last one
    ASSERT_EQ(grid.ForeText(3, 2), "AB");
    ASSERT_EQ(grid.ForeText(2, 7), "9");
    view->MoveCurrentCell(1, 5);
    view->ExtendSelectionTo(2, 6);
    editor->Command("合并单元格")->trigger();
    editor->BackColourBox()->setCurrentIndex(2);
    Q_EMIT editor->BackColourBox()->activated(2);
    ASSERT_TRUE(grid.IsMerged(2, 6));

    prompt.files.enqueue({Path("timetable")});
    editor->Command("保存当前编辑的文件")->trigger();
    ASSERT_TRUE(Exists("timetable.bls"));

    editor->Command("预览")->trigger();
    const int pages = editor->PreviewPageCount();
    ASSERT_GE(pages, 2);
    std::vector<QImage> shown{editor->PreviewPageImage()};
    for (int p = 2; p <= pages; ++p) {
        editor->Command("下一页")->trigger();
        shown.push_back(editor->PreviewPageImage());
    }
    editor->close();

    prompt.files.enqueue({Path("timetable.bls")});
    prompt.filterIndexes.enqueue(3);
    window->Panelmain()->AddButton()->click();
    EXPECT_TRUE(prompt.messages.isEmpty());
    ASSERT_EQ(window->Panelmain()->PageCount(), pages);
    for (int p = 1; p <= pages; ++p) {
        const QImage page = ReadPage(table, 0, p).image;
        EXPECT_EQ(page, AsLeds(shown[p - 1], table[0])) << "page " << p;
    }
    EXPECT_NE(shown[0], shown[1]);
}

} // namespace
} // namespace pelvoro::test
