// pelvoro-cli schedule show|set, run as the built binary on a temporary application directory.
#include "config/config_store.h"
#include "pages/page_store.h"

#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliScheduleTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=0", "[0号屏参数]", "控制卡类型=Normal", "单双色=1",
                                             "横向点数=64", "纵向点数=16", "主区域高=16", "第一区域=主区",
                                             "[0号屏1页定时参数]", "无时间限制=1", "开始时=7"}));
        ScreenTable table;
        LoadScreenTable(ConfigStore(), table);
        PageAppender appender(table, 0);
        for (int k = 0; k < 3; ++k)
            appender.Append(QImage(64, 16, QImage::Format_RGB32), PageEntry{0, 0, 1, 1});
        ASSERT_TRUE(appender.Finish().Ok());
    }
    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
    QJsonObject Json(const QStringList &args) const
    {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
        return QJsonDocument::fromJson(result.out.toUtf8()).object();
    }
};

TEST_F(CliScheduleTest, SetWritesWhatTheTabWouldAndShowReadsItBack)
{
    const QJsonObject first = Json({"schedule", "show", "--screen", "1", "--page", "1"});
    EXPECT_EQ(first["noTimeLimit"], false);
    EXPECT_EQ(first["noDateLimit"], true);
    EXPECT_EQ(first["startTime"], "07:00:00");
    EXPECT_EQ(first["summary"], "从07:00:00 到 00:00:00");

    const QJsonObject set = Json({"schedule", "set", "--screen", "1", "--page", "2", "--no-date-limit", "false",
                                  "--start-date", "2024-03-05", "--end-date", "2024-12-31", "--weekdays", "1,5"});
    EXPECT_EQ(set, Json({"schedule", "show", "--screen", "1", "--page", "2"}));
    EXPECT_EQ(set["scheduled"], true);
    EXPECT_EQ(set["weekdays"], QJsonArray({1, 5}));
    EXPECT_EQ(set["startDate"], "2024-03-05");
    EXPECT_EQ(set["summary"].toString().toStdString(), "从24-03-05  到 24-12-31  周一周五");
    const QStringList lines = ReadGbkLines(ReadFile("SysConfig.ini"));
    EXPECT_EQ(lines.mid(lines.indexOf("[0号屏2页定时参数]")),
              QStringList({"[0号屏2页定时参数]", "开始周1=1", "开始周5=1", "无日期限制=1", "开始年=24", "开始月=3",
                           "开始日=5", "结束年=24", "结束月=12", "结束日=31"}));
    // The frame sends what was set: page 2's start date.
    const CliResult frame = Run({"frame", "schedule", "--screen", "1"});
    ASSERT_EQ(frame.exitCode, 0) << frame.err.toStdString();
    EXPECT_EQ(frame.out.mid(2 * (3 + 23 + 5), 8), "0503ff24");

    // Setting the same values again leaves the file as it is.
    const FileIdentity before = IdentityOf(ConfigPath());
    Json({"schedule", "set", "--screen", "1", "--page", "2", "--weekdays", "5,1", "--start-date", "2024-03-05"});
    EXPECT_EQ(IdentityOf(ConfigPath()), before);
}

TEST_F(CliScheduleTest, RefusesPagesOutsideTheListAndBadValues)
{
    struct Case {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{"show", "--screen", "1", "--page", "4"}, 1},
        {{"set", "--screen", "1", "--page", "4", "--weekdays", "1"}, 1},
        {{"show", "--screen", "1", "--page", "256"}, 64},
        {{"show", "--screen", "1"}, 64},
        {{"show", "--screen", "2", "--page", "1"}, 64},
        {{"set", "--screen", "1", "--page", "1", "--start-date", "1999-12-31"}, 64},
        {{"set", "--screen", "1", "--page", "1", "--start-date", "2024-02-30"}, 64},
        {{"set", "--screen", "1", "--page", "1", "--end-time", "24:00:00"}, 64},
        {{"set", "--screen", "1", "--page", "1", "--weekdays", "0"}, 64},
        {{"set", "--screen", "1", "--page", "1", "--no-date-limit", "maybe"}, 64},
    };
    const QByteArray before = ReadFile("SysConfig.ini");
    for (const Case &c : cases) {
        const CliResult result = Run(QStringList{"schedule"} + c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.join(' ').toStdString() << ": " << result.err.toStdString();
        EXPECT_FALSE(result.err.isEmpty());
    }
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);
}

} // namespace
} // namespace pelvoro::test
