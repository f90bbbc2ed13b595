#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <gtest/gtest.h>

// pelvoro-cli frame, run as the built binary against a station directory.
namespace pelvoro::test {
namespace {

class CliFrameTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        // Screen 1: 256 x 128 dual colour, a fixed clock band on top, the main area below, a fixed
        // temperature sharing the band; Western clock, centred. Screen 2 with the defaults.
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]",        "显示屏数目=1", "[0号屏参数]", "第一区域=固定时钟",  "第二区域=主区",
                            "第三区域=固定温度", "主区域高=112", "时钟格式=1",  "时钟对齐方式=1",     "时钟颜色=0",
                            "模块类型=1",        "温度颜色=1",   "温度格式=1",  "[0号屏2页定时参数]", "无日期限制=1",
                            "开始年=24",         "开始月=3",     "开始日=5",    "结束年=24",          "结束月=12",
                            "结束日=31",         "开始周6=1"}));
    }

    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }

    // A page file of screen 1's main area: 256 x 112 dual colour at row 16.
    QByteArray PageFile(int pages)
    {
        QByteArray f = QByteArray::fromHex("01d10700"
                                           "0000"
                                           "1000"
                                           "ff00"
                                           "7f00");
        f.append(char(pages));
        for (int k = 0; k < pages; ++k)
            f.append(QByteArray::fromHex("00000101"));
        for (int i = 0; i < pages * 256 * 112 / 4; ++i)
            f.append(char(i % 251));
        f.append(char(0xAA));
        return f;
    }
};

TEST_F(CliFrameTest, FixedLayoutFramesFromTheScreensSettings)
{
    const struct {
        QStringList args;
        const char *hex;
    } cases[] = {
        {{"param"}, "01c1080100008002000000aa"},
        {{"param", "--data-mirror", "1", "--data-polarity", "3", "--oe-polarity", "1"}, "01c1080100008002710000aa"},
        // Western form of 184 dots centred with a temperature: clock at 16, temperature at 200, both
        // at the top of the band; red on a swapped module is code 2, green code 1.
        {{"clock", "--now", "2006-12-31T23:59:07"},
         "01c2070017"
         "00"
         "01"
         "02"
         "01010101010101"
         "07592331120006"
         "1000"
         "0000"
         "0000"
         "aa"},
        {{"temp"},
         "01c30700090001"
         "01"
         "c800"
         "0000"
         "0000aa"},
        {{"timesync", "--now", "2006-01-02T08:05:09"}, "01ce0709050802010106aa"},
        {{"power-on"}, "01c40100aa"},
        {{"power-off"}, "01c40101aa"},
        {{"test", "--pattern", "8"}, "01ed0108aa"},
        {{"test", "--pattern", "0"}, "01ed0100aa"},
        {{"cancel-schedule"}, "01c700aa"},
    };
    for (const auto &c : cases) {
        QStringList args = {"frame", c.args.first(), "--screen", "1"};
        args += c.args.mid(1);
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << c.args.join(' ').toStdString() << ": " << result.err.toStdString();
        EXPECT_EQ(result.out, QString::fromLatin1(c.hex)) << c.args.join(' ').toStdString();
    }
    // Screen 2 takes its own number.
    EXPECT_EQ(Run({"frame", "power-on", "--screen", "2"}).out, QStringLiteral("02c40100aa"));
}

TEST_F(CliFrameTest, ScheduleCoversThePagesOfThePageList)
{
    WriteFile("Tavrel1.dat", PageFile(2));
    const CliResult result = Run({"frame", "schedule", "--screen", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(), std::string("01c602"
                                                    "01"
                                                    "ffffffffffffffffffffffffffffffffffffffffffff"
                                                    "02ffffffff0503ff24ffffff3112ff2400000000000100"
                                                    "aa"));
    // Without pages there is nothing to schedule.
    const CliResult none = Run({"frame", "schedule", "--screen", "2"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, QStringLiteral("文件列表中的页码有错！"));
}

TEST_F(CliFrameTest, MainAndSubtitleFramesComeFromTheScreensFiles)
{
    const QByteArray pages = PageFile(1);
    WriteFile("Tavrel1.dat", pages);
    CliResult result = Run({"frame", "main", "--screen", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QString::fromLatin1(pages.toHex()));

    QByteArray subtitle = QByteArray::fromHex("01d20700"
                                              "0000"
                                              "7000"
                                              "ff00"
                                              "7f00"
                                              "01"
                                              "00000501");
    subtitle += QByteArray(256 * 16 / 4, char(0xFF));
    subtitle += char(0xAA);
    WriteFile("TavrelTitle1.dat", subtitle);
    result = Run({"frame", "subtitle", "--screen", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QByteArray sent = subtitle;
    sent[13] = char(0x20);
    EXPECT_EQ(result.out, QString::fromLatin1(sent.toHex()));
    EXPECT_EQ(ReadFile("TavrelTitle1.dat"), subtitle) << "the file keeps its move style";
}

TEST_F(CliFrameTest, MissingEmptyAndDamagedFilesAreRefused)
{
    const struct {
        const char *name;
        QByteArray bytes; // empty name: no file at all
        QStringList args;
        const char *message;
    } cases[] = {
        {"", {}, {"main"}, "Tavrel1.dat不存在"},
        {"Tavrel1.dat", {}, {"main"}, "Tavrel1.dat已损坏：文件长度为0"},
        {"Tavrel1.dat", QByteArray::fromHex("01d107"), {"main"}, "Tavrel1.dat已损坏：文件只有3字节"},
        {"Tavrel1.dat", PageFile(2).chopped(100), {"main"}, "Tavrel1.dat已损坏：文件记录了2页"},
        {"", {}, {"subtitle"}, "TavrelTitle1.dat不存在"},
        {"", {}, {"image", "--file", "missing.rbf", "--sub-kind", "0"}, "没有找到rbf文件"},
        {"", {}, {"image", "--file", "missing.config", "--sub-kind", "1"}, "没有找到加载文件"},
        {"empty.rbf", {}, {"image", "--file", "empty.rbf", "--sub-kind", "0"}, "文件长度为0"},
    };
    for (const auto &c : cases) {
        QFile::remove(Path("Tavrel1.dat"));
        if (*c.name)
            WriteFile(QString::fromLatin1(c.name), c.bytes);
        QStringList args = {"frame", c.args.first(), "--screen", "1"};
        args += c.args.mid(1);
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << result.err.toStdString();
    }
}

TEST_F(CliFrameTest, FileDownloadAndGlyphs)
{
    WriteFile("image.rbf", QByteArray::fromHex("deadbeef"));
    CliResult result = Run({"frame", "image", "--screen", "2", "--file", Path("image.rbf"), "--sub-kind", "1"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("02cc010000deadbeef05001225120105aa"));

    result = Run({"frame", "glyphs", "--screen", "1", "--font", "宋体", "--size", "12"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QByteArray frame = QByteArray::fromHex(result.out.toLatin1());
    ASSERT_EQ(frame.size(), 1302);
    EXPECT_EQ(frame.first(5), QByteArray::fromHex("01d3510810"));
    EXPECT_EQ(quint8(frame.back()), 0xAA);
    // The glyph of "0" (9th cell, 16 bytes) has lit dots, and its top row is dark.
    const QByteArray zero = frame.mid(5 + 8 * 16, 16);
    EXPECT_NE(zero, QByteArray(16, char(0xFF)));
    EXPECT_EQ(quint8(zero[0]), 0xFF);

    result = Run({"frame", "glyphs", "--screen", "1", "--size", "26"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.size(), 2 * (6 + 20736));
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("01d3512040")));
}

TEST_F(CliFrameTest, BadUsage)
{
    const QStringList cases[] = {
        {"frame", "param"},                  // no screen
        {"frame", "param", "--screen", "3"}, // beyond the two screens
        {"frame", "nonsense", "--screen", "1"},
        {"frame", "test", "--screen", "1"}, // no pattern
        {"frame", "test", "--screen", "1", "--pattern", "9"},
        {"frame", "clock", "--screen", "1", "--now", "yesterday"},
        {"frame", "image", "--screen", "1", "--file", "x.rbf"}, // no sub-kind
        {"frame", "glyphs", "--screen", "1", "--size", "51"},
        {"frame", "power-on", "--screen", "1", "extra"},
    };
    for (const QStringList &args : cases)
        EXPECT_EQ(Run(args).exitCode, 64) << args.join(' ').toStdString();
}

} // namespace
} // namespace pelvoro::test
