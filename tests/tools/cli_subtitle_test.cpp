// pelvoro-cli subtitle, run as the built binary on a temporary application directory.
#include "base/gbk.h"

#include "support/cli_runner.h"
#include "support/gbk_lines.h"
#include "support/led_colours.h"
#include "support/subtitle_fixtures.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliSubtitleTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        // Screen 1: 256 x 16 single colour, small subtitle (32 bytes a piece, 512 a page).
        // Screen 2: 256 x 48 dual colour, main area over a small subtitle.
        // Screen 3: 2048 x 32 dual colour, big subtitle (7 pages at most).
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]",      "显示屏数目=2",    "[0号屏参数]",       "控制卡类型=Normal",
                            "单双色=0",        "横向点数=256",    "纵向点数=16",       "字幕区域高=16",
                            "第一区域=小字幕", "[1号屏参数]",     "控制卡类型=Normal", "单双色=1",
                            "横向点数=256",    "纵向点数=48",     "主区域高=32",       "字幕区域高=16",
                            "第一区域=主区",   "第二区域=小字幕", "[2号屏参数]",       "控制卡类型=Normal",
                            "单双色=1",        "横向点数=2048",   "纵向点数=32",       "字幕区域高=32",
                            "第一区域=大字幕"}));
    }

    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
    QString Ok(const QStringList &args) const
    {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
        return result.out;
    }
};

TEST_F(CliSubtitleTest, SetConvertsTheTextAndListShowsTheEntry)
{
    EXPECT_EQ(Ok({"subtitle", "list", "--screen", "1"}),
              QStringLiteral(R"({"style": 0, "reserved": 0, "speed": 0, "dwell": 0, "pages": 0})"));
    EXPECT_EQ(Ok({"subtitle", "set", "--screen", "1", Chinese(40)}), QStringLiteral(R"({"pages": 3})"));
    EXPECT_EQ(ReadFile("TavrelTitle1.dat").size(), 1554);
    EXPECT_EQ(ReadFile("TavrelTitle1.txt"), ToGbk(Chinese(40)));
    EXPECT_EQ(Ok({"subtitle", "list", "--screen", "1"}),
              QStringLiteral(R"({"style": 0, "reserved": 0, "speed": 1, "dwell": 1, "pages": 3})"));

    Ok({"subtitle", "delete", "--screen", "1"});
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.txt"));
    EXPECT_TRUE(Ok({"subtitle", "list", "--screen", "1"}).endsWith(QStringLiteral(R"("pages": 0})")));
}

// The style is kept by later conversions until it is given again, and the file's reserved byte
// with it.
TEST_F(CliSubtitleTest, StyleIsGivenOrKept)
{
    Ok({"subtitle", "set", "--screen", "1", "--style", "1", QStringLiteral("abc")});
    QByteArray file = ReadFile("TavrelTitle1.dat");
    ASSERT_EQ(file.size(), 18 + 512);
    file[14] = 6;
    WriteFile("TavrelTitle1.dat", file);
    Ok({"subtitle", "set", "--screen", "1", QStringLiteral("abcdef")});
    EXPECT_EQ(Ok({"subtitle", "list", "--screen", "1"}),
              QStringLiteral(R"({"style": 1, "reserved": 6, "speed": 1, "dwell": 1, "pages": 1})"));
    EXPECT_EQ(Run({"subtitle", "set", "--screen", "1", "--style", "2", "a"}).exitCode, 64);
}

TEST_F(CliSubtitleTest, ExportShowsThePageInItsColour)
{
    Ok({"subtitle", "set", "--screen", "2", "--colour", QStringLiteral("绿"), Chinese(20)});
    const QByteArray file = ReadFile("TavrelTitle2.dat");
    ASSERT_EQ(file.size(), 18 + 2 * 1024);
    EXPECT_EQ(file.mid(4, 8), QByteArray("\x00\x00\x20\x00\xFF\x00\x2F\x00", 8)) << "the strip below the main area";

    Ok({"subtitle", "export", "--screen", "2", "--page", "1", Path("page1.png")});
    const QImage page(Path("page1.png"));
    ASSERT_EQ(page.size(), QSize(256, 16));
    int green = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = page.pixel(x, y);
            ASSERT_TRUE(pixel == kGreen || pixel == kBlack) << x << "," << y;
            green += pixel == kGreen ? 1 : 0;
        }
    }
    EXPECT_GT(green, 0);

    const CliResult missing = Run({"subtitle", "export", "--screen", "2", "--page", "3", Path("p3.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("没有第3页字幕（共2页）"));
}

TEST_F(CliSubtitleTest, StopsWithTheSystemsMessages)
{
    const CliResult full = Run({"subtitle", "set", "--screen", "3", QString(10 * 128, QLatin1Char('x'))});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, QStringLiteral("最多可编辑7页内容"));
    EXPECT_EQ(full.out, QStringLiteral(R"({"pages": 7})"));

    // Characters GBK cannot hold are named, and the subtitle stays as it was.
    const QByteArray before = ReadFile("TavrelTitle3.dat");
    const CliResult lost = Run({"subtitle", "set", "--screen", "3", QStringLiteral("出口 😀 EXIT 한")});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_EQ(lost.err, QStringLiteral("字幕中有不能保存的字符：😀 한"));
    EXPECT_EQ(ReadFile("TavrelTitle3.dat"), before);

    const CliResult blank = Run({"subtitle", "set", "--screen", "3", QStringLiteral("  ")});
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_EQ(blank.err, QStringLiteral("编辑框没有信息,不能转换字幕页!"));
    EXPECT_FALSE(Exists("TavrelTitle3.dat"));
    EXPECT_FALSE(Exists("TavrelTitle3.txt"));

    // A damaged file is a message, never a crash.
    WriteFile("TavrelTitle1.dat", QByteArray("\x01\xD2\x08\x00\x00\x00\x00\x00\xFF\x00\x0F\x00\x09\x00", 14));
    for (const QStringList &args : {QStringList{"subtitle", "list", "--screen", "1"},
                                    QStringList{"subtitle", "export", "--screen", "1", "--page", "1", Path("x.png")}}) {
        const CliResult damaged = Run(args);
        EXPECT_EQ(damaged.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(damaged.err.startsWith(QStringLiteral("字幕文件TavrelTitle1.dat已损坏：")))
            << damaged.err.toStdString();
    }
}

TEST_F(CliSubtitleTest, BadUsage)
{
    const QList<QStringList> cases = {
        {"subtitle", "set", "--screen", "1"},
        {"subtitle", "set", "--screen", "1", "a", "b"},
        {"subtitle", "set", "--screen", "1", "--colour", QStringLiteral("蓝"), "a"},
        {"subtitle", "set", "--screen", "4", "a"},
        {"subtitle", "set", "--screen", "1", "two\nlines"},
        {"subtitle", "export", "--screen", "1", Path("x.png")},
        {"subtitle", "list"},
        {"subtitle", "rename", "--screen", "1"},
    };
    for (const QStringList &args : cases)
        EXPECT_EQ(Run(args).exitCode, 64) << args.join(' ').toStdString();
    for (const char *sub : {"set", "list", "export", "delete"}) {
        const CliResult help = Run({"subtitle", sub, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains(QStringLiteral("subtitle %1 --screen K").arg(QLatin1String(sub)))) << sub;
    }
}

} // namespace
} // namespace pelvoro::test
