// "添加数据页" in the main window: the open dialog, the conversion and the page list afterwards.
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "editors/table/grid_model.h"
#include "pages/font_substitution.h"
#include "pages/page_store.h"
#include "pages/ui/preview_window.h"

#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidget>

namespace pelvoro::test {
namespace {

class AddPagesTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        InstallFontSubstitutions();
        WriteFile("SysConfig.ini",
                  GbkLines({"[0号屏参数]", "横向点数=64", "纵向点数=32", "第一区域=主区", "主区域高=32"}));
        WriteFile("a.rtf", "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 " + Gbk("宋体") + ";}}\\f0\\fs24 "
                               + Gbk("\\'d6\\'f7") + " one\\par two\\par three\\par}");
        Start();
        window->SetPreview(&preview);
        Click(AreaNode(0, 0));
    }
    void Choose(const QStringList &names, int filter)
    {
        QStringList paths;
        for (const QString &name : names)
            paths << Path(name);
        prompt.files.enqueue(paths);
        prompt.filterIndexes.enqueue(filter);
    }

    TFrmdisplay preview{table};
};

TEST_F(AddPagesTest, RichTextBecomesPagesAndTheLastOneIsShown)
{
    Choose({"a.rtf"}, 0);
    window->Panelmain()->AddButton()->click();
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters,
              QStringList({"Rich Text Format(*.rtf)", "Word文档(*.doc)", "Bitmap(*.bmp)", "Tavrel Cell(*.bls)"}));
    EXPECT_EQ(window->Panelmain()->PageCount(), 2); // two 16-dot lines a page on 32 rows
    EXPECT_EQ(window->Panelmain()->PageList()->topLevelItem(1)->text(0), "数据页2");
    EXPECT_EQ(window->Panelmain()->CurrentPage(), 2);
    EXPECT_EQ(preview.Edit().Page(), ReadPage(table, 0, 2).image);
    EXPECT_FALSE(window->Panelface()->ProgressBar()->isVisible());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(AddPagesTest, BitmapsOfTheBitmapFilterBecomeOnePageEach)
{
    QImage bitmap(8, 8, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    bitmap.save(Path("a.bmp"));
    bitmap.fill(Qt::green);
    bitmap.save(Path("b.bmp"));
    Choose({"b.bmp", "a.bmp"}, 2);
    window->Panelmain()->AddButton()->click();
    ASSERT_EQ(window->Panelmain()->PageCount(), 2);
    EXPECT_EQ(ReadPage(table, 0, 1).image.pixel(63, 31), 0xFF00FF00u); // in the dialog's order
    EXPECT_EQ(ReadPage(table, 0, 2).image.pixel(0, 0), 0xFFFF0000u);
}

TEST_F(AddPagesTest, TablesOfTheTableFilterBecomeTheirPages)
{
    // Two 30-dot client columns of a 64 x 32 area side by side on one page, two 14-dot rows (with
    // their lines, below the first page's origin two dots down).
    {
        ScriptedPrompt gridPrompt;
        TEasyGrid grid(gridPrompt, ScreenResolution{96, 96});
        grid.SetColCount(3);
        grid.SetRowCount(3);
        for (int i = 1; i <= 2; ++i) {
            grid.SetColWidth(i, 30);
            grid.SetRowHeight(i, 14);
        }
        grid.SetCellColor(0x00FF00);
        ASSERT_TRUE(grid.SaveToFile(Path("t.bls")).Ok());
    }
    Choose({"t.bls"}, 3);
    window->Panelmain()->AddButton()->click();
    EXPECT_TRUE(prompt.messages.isEmpty());
    ASSERT_EQ(window->Panelmain()->PageCount(), 1);
    const QImage page = ReadPage(table, 0, 1).image;
    EXPECT_EQ(page.pixel(10, 10), 0xFF00FF00u);
    EXPECT_EQ(preview.Edit().Page(), page);
}

TEST_F(AddPagesTest, CancelledDialogChangesNothing)
{
    prompt.files.enqueue({});
    window->Panelmain()->AddButton()->click();
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(window->Panelmain()->PageCount(), 0);
}

} // namespace
} // namespace pelvoro::test
