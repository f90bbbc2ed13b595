// pelvoro-cli text: a notice written as the editor saves it and converted as closing the editor does.
#include "pages/page_conversion.h"
#include "pages/page_store.h"
#include "pages/rich_layout.h"
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

namespace pelvoro::test {
namespace {

class CliTextTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        // Screen 1 single colour, screen 2 dual colour; both 64 × 32 of main area.
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "横向点数=64", "纵向点数=32",
                                             "第一区域=主区", "主区域高=32", "单双色=0", "[1号屏参数]", "横向点数=64",
                                             "纵向点数=32", "第一区域=主区", "主区域高=32", "单双色=1"}));
        for (int i : {0, 1}) {
            table[i] = DefaultScreenInfo();
            table[i].Width = 64;
            table[i].Height = 32;
            table[i].MainHeight = 32;
            table[i].ColorMode = i;
            table[i].Areas = {"主区", "", "", ""};
        }
        table.LastIndex = 1;
    }

    ScreenTable table;
};

TEST_F(CliTextTest, WritesTheEditorsFileAndItsPages)
{
    const CliResult done = RunCli({"text", "--screen", "2", "--colour", "黄", "--align", "centre", "--size", "9",
                                   "--spacing", "1", "--save", Path("notice.rtf"), "停水通知", "明天 8:00"},
                                  dir_.path());
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_EQ(done.out, R"({"added": 1, "paragraphs": 2})");

    // The file is the editor's: the writer's bytes of the same document, kept and used for the pages.
    const RichDocument document = EditorDocument({u"停水通知"_qs, u"明天 8:00"_qs},
                                                 {u"宋体"_qs, 9, qRgb(255, 255, 0), Alignment::Center, 1.0});
    EXPECT_EQ(ReadFile("notice.rtf"), WriteRtf(document));
    EXPECT_EQ(ReadFile("temp.rtf"), WriteRtf(document));

    PageRead page = ReadPage(table, 1, 1);
    ASSERT_EQ(page.pageCount, 1);
    EXPECT_EQ(page.entry, (PageEntry{0, 0, 4, 1}));
    // The same pages as the file converted with the editor's attributes on the other screen's geometry.
    struct Quiet : ConversionObserver {
        void Message(const QString &text, bool) override { ADD_FAILURE() << text.toStdString(); }
    } observer;
    RichLayout layout;
    table[0].ColorMode = 1;
    ASSERT_EQ(AddDocuments(table, 0, DocumentKind::RichText, {Path("notice.rtf")}, layout, observer,
                           kEditorPageAttributes)
                  .pagesAdded,
              1);
    EXPECT_EQ(ReadPage(table, 0, 1).image, page.image);
}

TEST_F(CliTextTest, RefusesWhatTheEditorWouldNotOffer)
{
    const CliResult single = RunCli({"text", "--screen", "1", "--colour", "绿", "x"}, dir_.path());
    EXPECT_EQ(single.exitCode, 64);
    EXPECT_TRUE(single.err.contains("红 only")) << single.err.toStdString();
    EXPECT_EQ(RunCli({"text", "--screen", "2", "--spacing", "0.5", "x"}, dir_.path()).exitCode, 64);
    EXPECT_EQ(RunCli({"text", "--screen", "2", "--align", "top", "x"}, dir_.path()).exitCode, 64);
    EXPECT_EQ(RunCli({"text", "--screen", "2"}, dir_.path()).exitCode, 64);
    EXPECT_FALSE(Exists("Tavrel2.dat"));

    // Text taller than the area: the station's message, and no page.
    const CliResult tall = RunCli({"text", "--screen", "2", "--size", "36", "大"}, dir_.path());
    EXPECT_EQ(tall.exitCode, 1);
    EXPECT_TRUE(tall.err.contains("字体高度大于显示主区域高度")) << tall.err.toStdString();
    EXPECT_EQ(ReadPage(table, 1, 1).pageCount, 0);
}

} // namespace
} // namespace pelvoro::test
