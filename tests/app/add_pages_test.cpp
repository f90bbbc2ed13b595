// "添加数据页" in the main window: the open dialog, the conversion and the page list afterwards.
#include "main_window_fixture.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "editors/table/grid_model.h"
#include "pages/font_substitution.h"
#include "pages/page_store.h"
#include "pages/ui/preview_window.h"

#include <QApplication>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopeGuard>
#include <QToolBar>
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

TEST_F(AddPagesTest, BitmapsBecomeOnePageEach)
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

TEST_F(AddPagesTest, TablesBecomeTheirPages)
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

// Word documents convert beside the window's event loop: the window says which document it converts,
// shows the busy cursor and keeps the controls that could change the page list disabled until the
// pages are in. A document that fails stops the command after the pages of the ones before it.
TEST_F(AddPagesTest, WordDocumentsConvertWhileTheWindowStaysLive)
{
    const auto restorePath = qScopeGuard([path = qgetenv("PATH"), cache = qgetenv("XDG_CACHE_HOME")] {
        qputenv("PATH", path);
        qputenv("XDG_CACHE_HOME", cache);
    });
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache"))); // the shared office profile's folder
    QDir().mkpath(Path("bin"));
    qputenv("PATH", QFile::encodeName(Path("bin")));
    // A converter that takes a moment and writes a.rtf's text as <name>.rtf into --outdir (the last
    // but one argument); "bad.doc" fails.
    WriteFile("bin/soffice", "#!/bin/sh\nfor a; do prev=$out; out=$a; done\n/bin/sleep 1\n"
                             "case \"$out\" in *bad.doc) exit 1;; esac\nname=${out##*/}\n"
                             "/bin/cp '" + QFile::encodeName(Path("a.rtf")) + "' \"$prev/${name%.doc}.rtf\"\n");
    QFile(Path("bin/soffice")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // Word's compound-file signature is what makes a document go to the converter.
    const QByteArray word = QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0');
    WriteFile("notice.doc", word);
    WriteFile("second.doc", word);
    WriteFile("bad.doc", word);
    const auto locked = [this] {
        return !window->Panelmain()->isEnabled() && !window->TreePanel()->isEnabled()
               && !window->Toolbar()->isEnabled() && !window->menuBar()->isEnabled();
    };

    Choose({"notice.doc", "second.doc"}, 1);
    window->Panelmain()->AddButton()->click();
    EXPECT_EQ(window->CommStatus(), "状态：正在转换 notice.doc…");
    EXPECT_TRUE(locked());
    EXPECT_TRUE(window->isEnabled()) << "the window itself stays live";
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window->CommStatus(), QStringLiteral("状态：正在转换 second.doc…"), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(window->Panelmain()->PageCount(), 4, 60000);
    EXPECT_TRUE(window->CommStatus().isEmpty());
    EXPECT_FALSE(locked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Under the rich-text filter, mixed with a bitmap: each file is converted as what it is.
    QImage bitmap(8, 8, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    bitmap.save(Path("b.bmp"));
    Choose({"notice.doc", "b.bmp", "bad.doc", "second.doc"}, 0);
    window->Panelmain()->AddButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(prompt.messages.size(), qsizetype(1), 60000);
    EXPECT_EQ(prompt.messages[0].text, "Word文档转换失败：" + Path("bad.doc"));
    ASSERT_EQ(window->Panelmain()->PageCount(), 7) << "the documents before it became pages";
    EXPECT_EQ(ReadPage(table, 0, 7).image.pixel(0, 0), 0xFF00FF00u);
    EXPECT_FALSE(locked());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AddPagesTest, FileOfNoKnownKindIsRefusedByName)
{
    WriteFile("image.rtf", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    Choose({"image.rtf", "a.rtf"}, 0);
    window->Panelmain()->AddButton()->click();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].text.startsWith("无法识别文件的内容：" + Path("image.rtf")));
    EXPECT_EQ(window->Panelmain()->PageCount(), 0);
    EXPECT_TRUE(window->isEnabled());
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
