#include "support/app_dir_fixture.h"

#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <gtest/gtest.h>

// pelvoro-cli set keeps the settings dialog's rules: the card's limits, and a screen whose pages no
// longer fit is cleared.
namespace pelvoro::test {
namespace {

class CliSetRulesTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "第一区域=主区", "主区域高=112",
                                             "[1号屏参数]", "控制卡类型=ZP-KQ/TQ", "第一区域=主区", "主区域高=128"}));
        for (const char *name : {"Tavrel1.dat", "TavrelTitle1.dat", "Tavrel2.dat", "TavrelTitle2.dat"})
            WriteFile(QString::fromLatin1(name), "data");
    }
    CliResult Set(const QStringList &assignments, const char *screen = "1") const
    {
        return RunCli(QStringList{"set", "--screen", QString::fromLatin1(screen)} + assignments, dir_.path(), {},
                      30000);
    }
};

TEST_F(CliSetRulesTest, ValuesBeyondTheCardsLimitsAreRefusedAndNothingIsWritten)
{
    const QByteArray before = ReadFile("SysConfig.ini");
    struct Case {
        QStringList assignments;
        const char *screen;
        const char *reason;
    };
    const Case cases[] = {
        {{"Width=4112"}, "1", "Width: 4112 is outside 32..4096"},
        {{"Height=8"}, "1", "Height: 8 is outside 16..512"},
        {{"Width=1040", "Height=272"}, "1", "beyond 1024 x 256"},
        {{"Width=1040"}, "2", "Width: 1040 is outside 64..1024 for ZP-KQ/TQ"},
        {{"CardType=ZP-KQ/TQ", "Height=256"}, "1", "Height: 256 is outside 16..192"},
        {{"BaudIndex=3"}, "2", "BaudIndex: ZP-KQ/TQ controllers offer 0..2"},
        {{"ScreenName=大厅😀한"}, "1", "GBK cannot hold: 😀 한"},
        // The main area gets only the rows the other areas leave.
        {{"MainHeight=99999"}, "1", "MainHeight: 99999 is outside 16..128"},
        {{"MainHeight=0"}, "1", "MainHeight: 0 is outside 16..128"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.assignments.join(' ').toStdString());
        const CliResult result = Set(c.assignments, c.screen);
        EXPECT_EQ(result.exitCode, 64);
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.reason))) << result.err.toStdString();
    }
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);
    EXPECT_TRUE(Exists("Tavrel1.dat"));
}

TEST_F(CliSetRulesTest, ANewSizeColourOrCardClearsOnlyThatScreen)
{
    // Values that leave the pages fitting clear nothing, even a width given as it already is.
    ASSERT_EQ(Set({"Width=256", "ClockY=3", "CommMode=0"}).exitCode, 0);
    EXPECT_TRUE(Exists("Tavrel1.dat"));
    EXPECT_TRUE(ReadGbkLines(ReadFile("SysConfig.ini")).contains("第一区域=主区"));

    ASSERT_EQ(Set({"ColorMode=0"}).exitCode, 0);
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_TRUE(Exists("Tavrel2.dat"));
    const QStringList lines = ReadGbkLines(ReadFile("SysConfig.ini"));
    EXPECT_TRUE(lines.contains("主区域高=16"));
    EXPECT_TRUE(lines.contains("主区域高=128")) << "screen 2 keeps its areas";
    EXPECT_EQ(lines.count("第一区域=主区"), 1);
}

} // namespace
} // namespace pelvoro::test
