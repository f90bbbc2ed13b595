// pelvoro-cli pages, run as the built binary on a temporary application directory.
#include "pages/raster.h"

#include "support/cli_runner.h"
#include "support/gbk_lines.h"
#include "support/led_colours.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliPagesTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        // Screen 1: 64 x 16 dual colour, all main area. Screen 2: 1024 x 128 on a ZP-KQ/TQ card
        // (14 pages at most).
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "控制卡类型=Normal", "单双色=1", "横向点数=64",
                            "纵向点数=16", "主区域高=16", "第一区域=主区", "[1号屏参数]", "控制卡类型=ZP-KQ/TQ",
                            "单双色=1", "横向点数=1024", "纵向点数=128", "主区域高=128", "第一区域=主区"}));
    }

    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
    // Runs a command that has to succeed and returns its output.
    QString Ok(const QStringList &args) const
    {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
        return result.out;
    }

    // A picture of `columns` vertical stripes, red and green in turn starting with `first`.
    QString WriteStripes(const QString &name, int columns, QRgb first) const
    {
        QImage image(columns, 3, QImage::Format_RGB32);
        for (int x = 0; x < columns; ++x) {
            for (int y = 0; y < 3; ++y)
                image.setPixel(x, y, (x % 2 == 0) == (first == kRed) ? kRed : kGreen);
        }
        const QString path = Path(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    // Adds pages made of 1, 2 and 4 stripes to screen 1.
    void AddThreePages()
    {
        EXPECT_EQ(Ok({"pages", "add", "--screen", "1", WriteStripes("a.png", 1, kRed), WriteStripes("b.png", 2, kRed),
                      WriteStripes("c.png", 4, kGreen)}),
                  QStringLiteral(R"({"added": 3, "pages": 3})"));
    }
};

TEST_F(CliPagesTest, AddedImagesFillTheMainAreaWithDefaultAttributes)
{
    AddThreePages();
    EXPECT_EQ(ReadFile("Tavrel1.dat").size(), 14 + 3 * (64 * 16 / 4 + 4));
    EXPECT_EQ(Ok({"pages", "list", "--screen", "1"}),
              QStringLiteral(R"([{"page": 1, "effect": 0, "reserved": 0, "speed": 1, "dwell": 1}, )"
                             R"({"page": 2, "effect": 0, "reserved": 0, "speed": 1, "dwell": 1}, )"
                             R"({"page": 3, "effect": 0, "reserved": 0, "speed": 1, "dwell": 1}])"));

    // Page 2 was two stripes, stretched to 32 dots each.
    Ok({"pages", "export", "--screen", "1", "--page", "2", Path("page2.png")});
    const QImage page(Path("page2.png"));
    ASSERT_EQ(page.size(), QSize(64, 16));
    for (int y : {0, 15}) {
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(page.pixel(x, y), x < 32 ? kRed : kGreen) << x << "," << y;
    }
    EXPECT_EQ(Ok({"pages", "add", "--screen", "1", "--effect", "41", "--speed", "30", "--dwell", "255", Path("a.png")}),
              QStringLiteral(R"({"added": 1, "pages": 4})"));
    EXPECT_TRUE(
        Ok({"pages", "list", "--screen", "1"})
            .endsWith(QStringLiteral(R"({"page": 4, "effect": 41, "reserved": 0, "speed": 30, "dwell": 255}])")));
}

TEST_F(CliPagesTest, SetRewritesOneOrTheFollowingEntries)
{
    AddThreePages();
    Ok({"pages", "set", "--screen", "1", "--page", "2", "--speed", "20", "--following"});
    Ok({"pages", "set", "--screen", "1", "--page", "3", "--effect", "5"});
    EXPECT_EQ(Ok({"pages", "list", "--screen", "1"}),
              QStringLiteral(R"([{"page": 1, "effect": 0, "reserved": 0, "speed": 1, "dwell": 1}, )"
                             R"({"page": 2, "effect": 0, "reserved": 0, "speed": 20, "dwell": 1}, )"
                             R"({"page": 3, "effect": 5, "reserved": 0, "speed": 20, "dwell": 1}])"));
    EXPECT_EQ(ReadFile("Tavrel1.dat")[13 + 4 + 2], char(40)) << "speed 20 is stored as 40";
}

TEST_F(CliPagesTest, MoveAndDeleteKeepPagesAndSchedulesTogether)
{
    AddThreePages();
    const QByteArray three = ReadFile("Tavrel1.dat");
    Ok({"pages", "move", "--screen", "1", "--page", "1", "up"});
    EXPECT_EQ(ReadFile("Tavrel1.dat"), three) << "the first page cannot go higher";
    Ok({"pages", "move", "--screen", "1", "--page", "3", "up"});
    Ok({"pages", "export", "--screen", "1", "--page", "2", Path("moved.png")});
    EXPECT_EQ(QImage(Path("moved.png")).pixel(0, 0), kGreen) << "the green-first page is now page 2";

    QByteArray config = ReadFile("SysConfig.ini");
    config += GbkLines({"[0号屏3页定时参数]", "开始周3=1"});
    WriteFile("SysConfig.ini", config);
    Ok({"pages", "delete", "--screen", "1", "--page", "1"});
    EXPECT_EQ(ReadFile("Tavrel1.dat").size(), 14 + 2 * (256 + 4));
    const QStringList ini = ReadGbkLines(ReadFile("SysConfig.ini"));
    EXPECT_TRUE(ini.contains(QStringLiteral("[0号屏2页定时参数]"))) << "page 3's schedule went with it";
    EXPECT_FALSE(ini.contains(QStringLiteral("[0号屏3页定时参数]")));

    Ok({"pages", "delete", "--screen", "1", "--all"});
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(Ok({"pages", "list", "--screen", "1"}), QStringLiteral("[]"));
    EXPECT_TRUE(ReadGbkLines(ReadFile("SysConfig.ini")).filter(QStringLiteral("页定时参数")).isEmpty());
}

TEST_F(CliPagesTest, StopsAtThePageLimitKeepingThePagesSoFar)
{
    const QString image = WriteStripes("a.png", 2, kRed);
    QStringList args{"pages", "add", "--screen", "2"};
    for (int i = 0; i < 16; ++i)
        args.append(image);
    const CliResult result = Run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, QStringLiteral("最多可编辑14页内容"));
    const QByteArray file = ReadFile("Tavrel2.dat");
    EXPECT_EQ(file.size(), 14 + 14 * (32768 + 4));
    EXPECT_EQ(file[12], 14);

    const CliResult again = Run({"pages", "add", "--screen", "2", image});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, QStringLiteral("最多可编辑14页内容"));
    EXPECT_EQ(ReadFile("Tavrel2.dat"), file);
}

TEST_F(CliPagesTest, RefusesDamagedFilesAndBadRequests)
{
    AddThreePages();
    const QByteArray good = ReadFile("Tavrel1.dat");
    struct Case {
        const char *name;
        QStringList args;
        int exitCode;
        const char *message; // part of what stderr must say
    };
    const Case refusals[] = {
        {"no --screen", {"pages", "list"}, 64, "--screen"},
        {"speed out of range", {"pages", "set", "--screen", "1", "--page", "1", "--speed", "31"}, 64, "--speed"},
        {"delete without a page", {"pages", "delete", "--screen", "1"}, 64, "--page P or --all"},
        {"move without a direction", {"pages", "move", "--screen", "1", "--page", "1"}, 64, "up or down"},
        {"unknown sub-command", {"pages", "shuffle", "--screen", "1"}, 64, "shuffle"},
        {"screen not configured", {"pages", "list", "--screen", "5"}, 64, "screen 5"},
        {"page past the last", {"pages", "export", "--screen", "1", "--page", "4", Path("x.png")}, 1, "第4页"},
        {"image that cannot be read", {"pages", "add", "--screen", "1", Path("missing.png")}, 1, "missing.png"},
    };
    for (const Case &c : refusals) {
        SCOPED_TRACE(c.name);
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << result.err.toStdString();
    }
    EXPECT_EQ(ReadFile("Tavrel1.dat"), good);

    // Every reader refuses a file that is not what its header declares, and no writer touches it.
    QByteArray wrongCode = good;
    wrongCode[1] = char(0xD2);
    QByteArray otherArea = good; // 8 dots narrower than the screen
    otherArea[8] = char(quint8(otherArea[8]) - 8);
    const struct {
        const char *name;
        QByteArray bytes;
        const char *why;
    } damaged[] = {
        {"truncated", good.left(good.size() - 10), "应有"}, {"trailing junk", good + "junk", "应有"},
        {"wrong command code", wrongCode, "第2字节"},       {"area of another screen", otherArea, "区域"},
        {"no trailer", good.chopped(1) + 'x', "0xAA"},
    };
    for (const auto &d : damaged) {
        WriteFile("Tavrel1.dat", d.bytes);
        for (const QStringList &args : {QStringList{"pages", "list", "--screen", "1"},
                                        QStringList{"pages", "export", "--screen", "1", "--page", "1", Path("x.png")},
                                        QStringList{"pages", "add", "--screen", "1", Path("a.png")},
                                        QStringList{"pages", "set", "--screen", "1", "--page", "1", "--speed", "3"},
                                        QStringList{"pages", "delete", "--screen", "1", "--page", "1"},
                                        QStringList{"pages", "move", "--screen", "1", "--page", "1", "down"}}) {
            SCOPED_TRACE(d.name + (": " + args.join(' ').toStdString()));
            const CliResult result = Run(args);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_TRUE(result.err.contains(QStringLiteral("已损坏"))) << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(QString::fromUtf8(d.why))) << result.err.toStdString();
            EXPECT_EQ(ReadFile("Tavrel1.dat"), d.bytes);
        }
    }
    WriteFile("Tavrel1.dat", good);

    // A single page cannot be moved.
    Ok({"pages", "delete", "--screen", "1", "--all"});
    Ok({"pages", "add", "--screen", "1", Path("a.png")});
    const CliResult single = Run({"pages", "move", "--screen", "1", "--page", "1", "down"});
    EXPECT_EQ(single.exitCode, 1);
    EXPECT_EQ(single.err, QStringLiteral("只有一页数据,不能移动该数据页!"));

    // A file without even a header lists no pages: adding reports it and removes it.
    WriteFile("Tavrel1.dat", QByteArray());
    const CliResult empty = Run({"pages", "add", "--screen", "1", Path("a.png")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("文件长度为0"))) << empty.err.toStdString();
    EXPECT_FALSE(Exists("Tavrel1.dat"));
}

} // namespace
} // namespace pelvoro::test
