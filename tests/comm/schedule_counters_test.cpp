// The schedule record's load and save through SysConfig.ini, a page's 0xC6 entry from what is
// stored, and the timing-counter groups, which are read and never written.
#include "comm/counter_settings.h"
#include "comm/frames.h"
#include "comm/schedule_record.h"
#include "config/config_store.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"

#include <QFile>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class ScheduleStoreTest : public AppDirTest {
protected:
    ConfigStore store{ConfigPath()};
};

TEST_F(ScheduleStoreTest, APageWithoutASectionSendsOnlyItsNumber)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏1页定时参数]", "无时间限制=1", "开始时=8"}));
    const std::vector<ScheduleRecord> pages = LoadScheduleRecords(store.Read(), 0, 2);
    EXPECT_FALSE(pages[1].HasSchedule());
    const FrameResult frame = BuildScheduleFrame(0, pages);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame.frame.mid(3 + 23, 23).toHex(), "02" + QByteArray(44, 'f'));
    EXPECT_EQ(quint8(frame.frame[3 + 4]), 0x08) << "page 1 keeps its start hour";
}

TEST_F(ScheduleStoreTest, LoadOutsideThePagesLeavesTheRecord)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏1页定时参数]", "开始周3=1"}));
    ScheduleRecord record;
    record.startHour = 9;
    for (int page : {0, 256})
        LoadSchedule(store.Read(), 0, page, record);
    EXPECT_EQ(record.startHour, 9);
    LoadSchedule(store.Read(), 0, 1, record);
    EXPECT_EQ(record.startHour, 0);
    EXPECT_TRUE(record.weekdays[2]);
}

TEST_F(ScheduleStoreTest, SavingWritesOnlyWhatDiffersAndLeavesAnUnchangedFileAlone)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64", "[0号屏2页定时参数]", "无日期限制=1", "开始年=24",
                                         "开始月=3", "开始日=5"}));
    ScheduleRecord record;
    LoadSchedule(store.Read(), 0, 2, record);
    // The missing end month and day load as 1 but count as 0 when comparing: the first save
    // writes them.
    ASSERT_TRUE(SaveSchedule(store, 0, 2, record));
    const QStringList saved = {"[0号屏参数]", "横向点数=64", "[0号屏2页定时参数]", "无日期限制=1", "开始年=24",
                               "开始月=3",     "开始日=5",    "结束月=1",           "结束日=1"};
    EXPECT_EQ(ReadGbkLines(ReadFile("SysConfig.ini")), saved);

    const FileIdentity before = IdentityOf(ConfigPath());
    ASSERT_TRUE(SaveSchedule(store, 0, 2, record));
    ASSERT_TRUE(SaveSchedule(store, 0, 256, record));
    EXPECT_TRUE(IdentityOf(ConfigPath()) == before) << "the file was replaced although nothing changed";

    record.endYear = 25;
    record.weekdays[0] = true;
    ASSERT_TRUE(SaveSchedule(store, 0, 2, record));
    EXPECT_EQ(ReadGbkLines(ReadFile("SysConfig.ini")), saved + QStringList({"开始周1=1", "结束年=25"}));
}

// ---- timing counters ------------------------------------------------------------------------

const QDateTime kNow(QDate(2006, 1, 2), QTime(8, 5, 9)); // a Monday

TEST(Counters, MissingKeysTakeTheDefaultsAndTheClock)
{
    const CounterTable table = ReadCounters(IniDocument::Parse({}), 0, kNow);
    EXPECT_EQ(table.count, 0);
    CounterGroup expected;
    expected.second = 9;
    expected.minute = 5;
    expected.hour = 8;
    expected.day = 2;
    expected.month = 1;
    expected.weekday = 2; // Sunday is 1
    expected.year = 2006;
    for (const CounterGroup &group : table.groups)
        EXPECT_EQ(group, expected);
    EXPECT_EQ(ReadCounters(IniDocument::Parse({}), 0, QDateTime(QDate(2006, 1, 1), QTime())).groups[0].weekday, 1);
}

TEST(Counters, EveryGroupIsReadWhateverTheCountSays)
{
    QByteArray text = GbkLines({"[全局参数]", "1号屏计时组数=2", "0号屏计时组数=5"});
    for (int k = 0; k < kCounterGroups; ++k) {
        text += GbkLines({QStringLiteral("[1号屏%1组计时参数]").arg(k).toUtf8().constData(), "计时使能=1", "颜色=2",
                          "星期=7", "年=2030"})
                + Gbk("页号=") + QByteArray::number(k + 1) + "\r\n";
    }
    text += GbkLines({"[0号屏0组计时参数]", "页号=99"});
    const CounterTable table = ReadCounters(IniDocument::Parse(text), 1, kNow);
    EXPECT_EQ(table.count, 2);
    for (int k = 0; k < kCounterGroups; ++k) {
        const CounterGroup &g = table.groups[size_t(k)];
        EXPECT_TRUE(g.enabled) << k;
        EXPECT_EQ(g.page, k + 1);
        EXPECT_EQ(g.colour, 2);
        EXPECT_EQ(g.weekday, 7);
        EXPECT_EQ(g.year, 2030);
        EXPECT_EQ(g.hour, 8) << "a missing key still takes the clock";
    }
}

TEST_F(ScheduleStoreTest, SavingTheScreensLeavesTheCounterSectionsAlone)
{
    // Values the station would write differently: any rewrite would show.
    const QByteArray counters = GbkLines({"[0号屏0组计时参数]", "计时使能=01", "年=2006", "[0号屏7组计时参数]", "颜色=x"});
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=0", "0号屏计时组数=2"}) + counters
                                   + GbkLines({"[0号屏参数]", "横向点数=64"}));
    ScreenTable table;
    LoadScreenTable(store, table);
    table[0].Width = 128;
    table[0].ScreenName = QStringLiteral("大厅");
    ASSERT_TRUE(store.SaveScreens(table, 0));
    int last = 0;
    ASSERT_TRUE(store.SaveLastIndex(last));
    const QByteArray after = ReadFile("SysConfig.ini");
    EXPECT_TRUE(after.contains(counters)) << FromGbk(after).toStdString();
    EXPECT_TRUE(after.contains(GbkLines({"0号屏计时组数=2"})));
    EXPECT_TRUE(after.contains(Gbk("横向点数=128")));

    // Reading them (as every selection in the tree does) writes nothing either.
    const FileIdentity before = IdentityOf(ConfigPath());
    CounterTable read;
    LoadCounters(store, 0, read);
    EXPECT_TRUE(read.groups[0].enabled);
    EXPECT_EQ(read.groups[7].colour, 1) << "an unreadable number takes the default";
    EXPECT_TRUE(IdentityOf(ConfigPath()) == before);
}

} // namespace
} // namespace pelvoro::test
