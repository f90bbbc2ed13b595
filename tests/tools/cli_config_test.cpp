#include "support/app_dir_fixture.h"

#include "app/startup_checks.h"

#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

// The configuration commands of pelvoro-cli, run as an operator's script runs them.
namespace pelvoro::test {
namespace {

class CliConfigTest : public AppDirTest {
protected:
    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path(), {}, 30000); }

    // The screens command's answer.
    QJsonObject Screens()
    {
        const CliResult result = Run({QStringLiteral("screens")});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(result.outBytes, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
        return doc.object();
    }
    QJsonObject Screen(int index) { return Screens().value(QStringLiteral("screens")).toArray().at(index).toObject(); }
};

QJsonArray Strings(std::initializer_list<const char *> texts)
{
    QJsonArray array;
    for (const char *text : texts)
        array.append(QString::fromUtf8(text));
    return array;
}

TEST_F(CliConfigTest, ScreensWithoutFileGivesOneScreenOfDefaults)
{
    const QJsonObject root = Screens();
    EXPECT_EQ(root.value(QStringLiteral("LastIndex")), QJsonValue(0));
    const QJsonArray screens = root.value(QStringLiteral("screens")).toArray();
    ASSERT_EQ(screens.size(), 1);
    const QJsonObject s = screens.at(0).toObject();

    const QStringList names{"CardType",     "CommMode",    "ComPort",         "BaudIndex",   "IpAddress",
                            "IpPort",       "ColorMode",   "ModuleType",      "Width",       "Height",
                            "LineOrder",    "DataFlow",    "ScreenName",      "Areas",       "MainHeight",
                            "ClockFormat",  "ClockParts",  "ClockAlign",      "ClockColor",  "ClockX",
                            "ClockY",       "ClockHeight", "TempFormat",      "TempColor",   "TempX",
                            "TempY",        "TitleHeight", "SettingsChanged", "TimerSwitch", "MaxEditPages",
                            "SendSelected", "DataMirror",  "DataPolarity",    "OePolarity",  "MaxPages",
                            "MaxTitlePages"};
    const QStringList keys = s.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), QSet<QString>(names.begin(), names.end()));

    EXPECT_EQ(s.value("CardType"), QJsonValue("Normal"));
    EXPECT_EQ(s.value("CommMode"), QJsonValue(1));
    EXPECT_EQ(s.value("BaudIndex"), QJsonValue(3));
    EXPECT_EQ(s.value("IpAddress"), QJsonValue("192.168.0.7"));
    EXPECT_EQ(s.value("Width"), QJsonValue(256));
    EXPECT_EQ(s.value("Height"), QJsonValue(128));
    EXPECT_EQ(s.value("ScreenName"), QJsonValue(QStringLiteral("显示屏")));
    EXPECT_EQ(s.value("Areas"), QJsonValue(Strings({"", "", "", ""})));
    EXPECT_EQ(s.value("ClockParts"), QJsonValue(QJsonArray{true, true, true, true, true, true, true}));
    EXPECT_EQ(s.value("SendSelected"), QJsonValue(false)) << "booleans are JSON booleans";
    EXPECT_EQ(s.value("MaxPages"), QJsonValue(176));
    EXPECT_EQ(s.value("MaxTitlePages"), QJsonValue(127));
}

TEST_F(CliConfigTest, ScreensShowsTheFileAsTheStationLoadsIt)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[1号屏参数]", "控制卡类型=ZP-KQ/TQ", "单双色=0",
                                         "显示屏名称=大厅", "第一区域=主区", "第二区域=贴图时钟", "时钟月=0",
                                         "时钟秒=0", "屏选择标志=1", "横向点数=abc", "IP地址=192.168.100.1234"}));
    const QJsonObject root = Screens();
    EXPECT_EQ(root.value("LastIndex"), QJsonValue(1));
    const QJsonObject s = root.value("screens").toArray().at(1).toObject();
    EXPECT_EQ(s.value("CardType"), QJsonValue("ZP-KQ/TQ"));
    EXPECT_EQ(s.value("BaudIndex"), QJsonValue(2)) << "no 115200 baud on that controller";
    EXPECT_EQ(s.value("ScreenName"), QJsonValue(QStringLiteral("大厅")));
    EXPECT_EQ(s.value("Areas"), QJsonValue(Strings({"主区", "贴图时钟", "", ""})));
    EXPECT_EQ(s.value("ClockParts"), QJsonValue(QJsonArray{true, false, true, true, true, true, false}));
    EXPECT_EQ(s.value("SendSelected"), QJsonValue(true));
    EXPECT_EQ(s.value("Width"), QJsonValue(256)) << "not a number counts as missing";
    EXPECT_EQ(s.value("IpAddress"), QJsonValue("192.168.100.123"));
    EXPECT_EQ(s.value("MaxPages"), QJsonValue(112));
    EXPECT_EQ(s.value("MaxTitlePages"), QJsonValue(254));
}

TEST_F(CliConfigTest, SetWritesOnlyTheChangedKeys)
{
    const QByteArray before = GbkLines({"; 站点配置", "[全局参数]", "显示屏数目=0", "", "[0号屏参数]", "时钟X坐标=3",
                                        "时钟Y坐标=4", "自定义=保留", "", "[0号屏1页定时参数]", "a=1"});
    WriteFile("SysConfig.ini", before);

    CliResult result = Run({"set", "--screen", "1", "ClockY=-7", "ScreenName=大厅", "SendSelected=true"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile("SysConfig.ini"),
              GbkLines({"; 站点配置", "[全局参数]", "显示屏数目=0", "", "[0号屏参数]", "时钟X坐标=3", "时钟Y坐标=-7",
                        "自定义=保留", "显示屏名称=大厅", "屏选择标志=1", "", "[0号屏1页定时参数]", "a=1"}));

    // Setting what is already there writes nothing at all.
    const QByteArray now = ReadFile("SysConfig.ini");
    const ino_t inode = IdentityOf(ConfigPath()).inode;
    result = Run({"set", "--screen", "1", "ClockY=-7", "ClockX=3", "Width=256"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile("SysConfig.ini"), now);
    EXPECT_EQ(IdentityOf(ConfigPath()).inode, inode);

    EXPECT_EQ(Screen(0).value("ClockY"), QJsonValue(-7));
}

TEST_F(CliConfigTest, SetRefusesBadUsageAndWritesNothing)
{
    const QByteArray before = GbkLines({"[0号屏参数]", "控制卡类型=ZP-KQ/TQ", "时钟Y坐标=4"});
    WriteFile("SysConfig.ini", before);
    struct Case {
        QStringList args;
        const char *mentions;
    };
    const Case cases[] = {
        {{"set", "--screen", "1", "Colour=1"}, "unknown field Colour"},
        {{"set", "--screen", "1", "ClockY=5", "CommMode=9"}, "CommMode"}, // one bad value: nothing is written
        {{"set", "--screen", "1", "Width=abc"}, "Width"},
        {{"set", "--screen", "1", "CardType=Special"}, "CardType"},
        {{"set", "--screen", "1", "IpAddress=192.168.0"}, "IpAddress"},
        {{"set", "--screen", "1", "SendSelected=maybe"}, "SendSelected"},
        {{"set", "--screen", "1", "BaudIndex=3"}, "BaudIndex"}, // a ZP-KQ/TQ screen has no 115200 baud
        {{"set", "--screen", "1", "DataMirror=1"}, "DataMirror"},
        {{"set", "--screen", "1", "Areas=主区"}, "area add"},
        {{"set", "--screen", "1", "ClockY"}, "FIELD=VALUE"},
        {{"set", "--screen", "1"}, "FIELD=VALUE"},
        {{"set", "ClockY=5"}, "--screen"},
        {{"set"}, "--screens"},
        {{"set", "--screen", "2", "ClockY=5"}, "no screen 2"},
        {{"set", "--screen", "0", "ClockY=5"}, "--screen"},
        {{"set", "--screens", "many"}, "--screens"},
        {{"set", "--screen", "1", "--colour", "ClockY=5"}, "--colour"},
    };
    for (const Case &c : cases) {
        const CliResult result = Run(c.args);
        const std::string what = c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.exitCode, 64) << what;
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.mentions))) << what << "\n" << result.err.toStdString();
        EXPECT_TRUE(result.outBytes.isEmpty()) << what;
        EXPECT_EQ(ReadFile("SysConfig.ini"), before) << what;
    }
}

TEST_F(CliConfigTest, SetScreensIsClampedAndRemovesTheSectionsOfRemovedScreens)
{
    struct Case {
        const char *screens;
        int lastIndex;
    };
    for (const Case c : {Case{"5", 4}, Case{"99", 63}, Case{"-3", 0}, Case{"0", 0}, Case{"64", 63}}) {
        const CliResult result = Run({"set", "--screens", c.screens});
        EXPECT_EQ(result.exitCode, 0) << c.screens << ": " << result.err.toStdString();
        EXPECT_EQ(Screens().value("LastIndex"), QJsonValue(c.lastIndex)) << c.screens;
    }

    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=3", "[0号屏参数]", "时钟Y坐标=1", "[2号屏参数]",
                                         "时钟Y坐标=3", "[2号屏1页定时参数]", "a=1", "[3号屏参数]", "时钟Y坐标=4"}));
    CliResult result = Run({"set", "--screens", "2", "--screen", "2", "ClockY=2"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "时钟Y坐标=1",
                                                   "[2号屏1页定时参数]", "a=1", "[1号屏参数]", "时钟Y坐标=2"}));
}

class CliAreaTest : public CliConfigTest {
protected:
    // Three main-area pages and two subtitle pages, as their files' headers count them.
    void WriteDataFiles(int screenNumber)
    {
        const auto header = [](int pages) {
            QByteArray bytes(13, '\0');
            bytes[12] = char(pages);
            return bytes;
        };
        WriteFile(QStringLiteral("Tavrel%1.dat").arg(screenNumber), header(3));
        WriteFile(QStringLiteral("TavrelTitle%1.dat").arg(screenNumber), header(2));
        WriteFile(QStringLiteral("TavrelTitle%1.txt").arg(screenNumber), "data");
    }
    bool AnyDataFile(int screenNumber) const
    {
        for (const char *pattern : {"Tavrel%1.dat", "TavrelTitle%1.dat", "TavrelTitle%1.txt"}) {
            if (Exists(QString::fromLatin1(pattern).arg(screenNumber)))
                return true;
        }
        return false;
    }
};

TEST_F(CliAreaTest, AreasOfA128RowScreen)
{
    struct Step {
        const char *action;
        const char *kind;
        int mainHeight, clockHeight, titleHeight;
        QJsonArray areas;
    };
    const Step steps[] = {
        {"add", "主区", 128, 16, 16, Strings({"主区", "", "", ""})},
        {"add", "固定时钟", 112, 16, 16, Strings({"主区", "固定时钟", "", ""})},
        {"add", "固定温度", 112, 16, 16, Strings({"主区", "固定时钟", "固定温度", ""})},
        {"add", "大字幕", 80, 16, 32, Strings({"主区", "固定时钟", "固定温度", "大字幕"})},
        {"remove", "固定时钟", 80, 16, 32, Strings({"主区", "固定温度", "大字幕", ""})},
        {"remove", "固定温度", 96, 16, 32, Strings({"主区", "大字幕", "", ""})},
    };
    for (const Step &step : steps) {
        WriteDataFiles(1);
        const std::string what = std::string(step.action) + ' ' + step.kind;
        const CliResult result = Run({"area", step.action, "--screen", "1", QString::fromUtf8(step.kind)});
        ASSERT_EQ(result.exitCode, 0) << what << ": " << result.err.toStdString();
        EXPECT_FALSE(AnyDataFile(1)) << what << ": the screen-level reset deletes the page and subtitle files";
        // Nothing is asked: the answer says what went.
        EXPECT_EQ(QJsonDocument::fromJson(result.outBytes).object(),
                  (QJsonObject{{"deletedPages", 3}, {"deletedSubtitlePages", 2}}))
            << what << ": " << result.out.toStdString();
        const QJsonObject s = Screen(0);
        EXPECT_EQ(s.value("MainHeight"), QJsonValue(step.mainHeight)) << what;
        EXPECT_EQ(s.value("ClockHeight"), QJsonValue(step.clockHeight)) << what;
        EXPECT_EQ(s.value("TitleHeight"), QJsonValue(step.titleHeight)) << what;
        EXPECT_EQ(s.value("Areas"), QJsonValue(step.areas)) << what;
    }
    // Keys come in as they first differ from the file, each at the end of the section.
    EXPECT_EQ(ReadFile("SysConfig.ini"), GbkLines({"[0号屏参数]", "主区域高=96", "第一区域=主区", "第二区域=大字幕",
                                                   "第三区域=", "字幕区域高=32", "第四区域="}));
}

TEST_F(CliAreaTest, RefusalsPrintTheMessageAndChangeNothing)
{
    const QByteArray before = GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "纵向点数=16", "第一区域=固定时钟",
                                        "[1号屏参数]", "第一区域=固定温度", "第二区域=小字幕"});
    WriteFile("SysConfig.ini", before);
    WriteDataFiles(1);
    WriteDataFiles(2);
    struct Case {
        QStringList args;
        int exitCode;
        QString err;
    };
    const Case cases[] = {
        {{"area", "add", "--screen", "1", "主区"},
         1,
         QStringLiteral("显示屏高度不够添加主区,请删除其他区域或加大显示屏高度设置后重新添加!")},
        {{"area", "add", "--screen", "1", "大字幕"},
         1,
         QStringLiteral("显示屏高度不够添加大字幕,请删除其他区域或加大显示屏高度设置后重新添加!")},
        {{"area", "add", "--screen", "2", "贴图时钟"}, 1, QStringLiteral("the add-area menu does not offer 贴图时钟")},
        {{"area", "add", "--screen", "2", "大字幕"}, 1, QStringLiteral("the add-area menu does not offer 大字幕")},
        {{"area", "remove", "--screen", "1", "贴图时钟"}, 1, QStringLiteral("screen 1 has no 贴图时钟 area")},
        {{"area", "add", "--screen", "2", "固定温度"}, 0, QStringLiteral("screen 2 already has a temperature")},
        {{"area", "add", "--screen", "2", "小字幕"}, 0, QStringLiteral("screen 2 already has a subtitle")},
        {{"area", "add", "--screen", "2", "时钟"}, 64, QStringLiteral("\"时钟\" is not an area kind")},
        {{"area", "insert", "--screen", "2", "主区"}, 64, QStringLiteral("\"insert\" is neither add nor remove")},
        {{"area", "add", "--screen", "3", "主区"}, 64, QStringLiteral("there is no screen 3")},
        {{"area", "add", "主区"}, 64, QStringLiteral("--screen K is required")},
    };
    for (const Case &c : cases) {
        const std::string what = c.args.join(QLatin1Char(' ')).toStdString();
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << what;
        EXPECT_TRUE(result.err.contains(c.err)) << what << "\n" << result.err.toStdString();
        EXPECT_EQ(ReadFile("SysConfig.ini"), before) << what;
        EXPECT_TRUE(Exists("Tavrel1.dat") && Exists("TavrelTitle2.txt")) << what;
    }
}

TEST_F(CliAreaTest, RemovingTheMainAreaErasesTheSchedulesOfTheStoredPages)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "第一区域=主区", "主区域高=128", "[0号屏1页定时参数]", "a=1",
                                         "[0号屏2页定时参数]", "a=2", "[0号屏3页定时参数]", "a=3"}));
    QByteArray pageFile(13 + 2 * 4, '\0'); // a header that says two pages
    pageFile[12] = 2;
    WriteFile("Tavrel1.dat", pageFile);

    const CliResult result = Run({"area", "remove", "--screen", "1", "主区"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(result.outBytes).object().value("deletedPages"), QJsonValue(2));
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(ReadFile("SysConfig.ini"),
              GbkLines({"[0号屏参数]", "第一区域=", "主区域高=128", "[0号屏3页定时参数]", "a=3"}));
}

TEST_F(CliAreaTest, WritesBesideARunningStation)
{
    // The station holds its directory for as long as it runs; the tool's own lock is taken per
    // command, so a script changes the programme while the station is open.
    QProcess station;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    station.setProcessEnvironment(env);
    station.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro"), {QStringLiteral("--dir"), dir_.path()});
    ASSERT_TRUE(station.waitForStarted());
    QDeadlineTimer started(60000);
    while (!Exists(QLatin1String(kStationLockName)) && !started.hasExpired() && station.state() == QProcess::Running)
        QThread::msleep(50);
    ASSERT_TRUE(Exists(QLatin1String(kStationLockName))) << QString::fromUtf8(station.readAllStandardError()).toStdString();

    const CliResult result = Run({"area", "add", "--screen", "1", "主区"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(Screen(0).value("Areas"), QJsonValue(Strings({"主区", "", "", ""})));
    station.kill();
    station.waitForFinished();
}

TEST_F(CliConfigTest, EveryCommandHasHelp)
{
    for (const char *command : {"screens", "set", "area"}) {
        const CliResult result = Run({QString::fromLatin1(command), "--help"});
        EXPECT_EQ(result.exitCode, 0) << command;
        EXPECT_TRUE(result.out.startsWith(QStringLiteral("usage: pelvoro-cli [--dir DIR] ") + QLatin1String(command)))
            << command;
    }
    const CliResult tool = Run({"--help"});
    EXPECT_EQ(tool.exitCode, 0);
    for (const char *command : {"screens", "set", "area"})
        EXPECT_TRUE(tool.outBytes.contains(QByteArray("\n  ").append(command))) << command;
}

} // namespace
} // namespace pelvoro::test
