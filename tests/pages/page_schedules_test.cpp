#include "pages/page_schedules.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "config/ini_document.h"
#include "pages/effect_lists.h"
#include "pages/page_store.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"

#include <QImage>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

StoredSchedule Dated()
{
    StoredSchedule s;
    s.dateLimited = true;
    s.startYear = 24;
    s.startMonth = 3;
    s.startDay = 5;
    s.endYear = 24;
    s.endMonth = 12;
    s.endDay = 31;
    return s;
}

StoredSchedule Timed(StoredSchedule s = {})
{
    s.timeLimited = true;
    s.startHour = 8;
    s.startMinute = 0;
    s.startSecond = 9;
    s.endHour = 18;
    s.endMinute = 30;
    s.endSecond = 0;
    return s;
}

StoredSchedule WithDays(StoredSchedule s, std::initializer_list<int> days)
{
    for (int d : days)
        s.weekdays[size_t(d)] = true;
    return s;
}

TEST(PageListNode, SummaryOfDatesTimesAndWeekdays)
{
    const struct {
        const char *name;
        StoredSchedule schedule;
        const char *text;
    } cases[] = {
        {"no schedule", StoredSchedule{}, "数据页7"},
        {"dates", Dated(), "数据页7 （从24-03-05  到 24-12-31 ）"},
        {"times", Timed(), "数据页7 （从08:00:09 到 18:30:00）"},
        {"dates and times", Timed(Dated()), "数据页7 （从24-03-05 08:00:09 到 24-12-31 18:30:00）"},
        {"weekdays", WithDays({}, {0, 4, 6}), "数据页7 （周一周五周日）"},
        {"dates and weekdays", WithDays(Dated(), {5}), "数据页7 （从24-03-05  到 24-12-31  周六）"},
        {"times and weekdays", WithDays(Timed(), {1, 2}), "数据页7 （从08:00:09 到 18:30:00 周二周三）"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PageListNode node = MakePageListNode(7, c.schedule);
        EXPECT_EQ(node.text, QString::fromUtf8(c.text));
        EXPECT_EQ(node.scheduled, c.schedule.HasSchedule());
    }
}

TEST(PageListNode, NodesReadTheSectionsOfTheirScreen)
{
    const IniDocument doc = IniDocument::Parse(GbkLines({
        "[0号屏2页定时参数]",
        "无时间限制=1",
        "开始时=7",
        "结束时=9",
        "结束分=5",
        "[1号屏1页定时参数]",
        "开始周1=1",
    }));
    const QList<PageListNode> nodes = PageListNodes(doc, 0, 3);
    ASSERT_EQ(nodes.size(), 3);
    EXPECT_EQ(nodes[0].text, QStringLiteral("数据页1"));
    EXPECT_EQ(nodes[1].text, QStringLiteral("数据页2 （从07:00:00 到 09:05:00）"));
    EXPECT_TRUE(nodes[1].scheduled);
    EXPECT_FALSE(nodes[2].scheduled);
}

TEST(StoredSchedules, WritingTouchesOnlyKeysThatDiffer)
{
    IniDocument doc = IniDocument::Parse(GbkLines({"[0号屏1页定时参数]", "开始年=24", "其他=x"}));
    const QByteArray before = doc.ToBytes();
    StoredSchedule s = ReadStoredSchedule(doc, 0, 1);
    EXPECT_EQ(s.startYear, 24);
    EXPECT_EQ(s.startMonth, 1) << "a missing month loads as 1";
    s.startMonth = 0;
    s.startDay = 0;
    s.endMonth = 0;
    s.endDay = 0;
    EXPECT_FALSE(WriteStoredSchedule(doc, 0, 1, s)) << "a missing key counts as 0 when comparing";
    EXPECT_EQ(doc.ToBytes(), before);
    s.weekdays[6] = true;
    s.startHour = 23;
    EXPECT_TRUE(WriteStoredSchedule(doc, 0, 1, s));
    EXPECT_EQ(doc.ToBytes(), GbkLines({"[0号屏1页定时参数]", "开始年=24", "其他=x", "开始周7=1", "开始时=23"}));
    EXPECT_FALSE(WriteStoredSchedule(doc, 0, 256, s)) << "only pages 1..255 have sections";
}

class PageScheduleStoreTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        ScreenInfo &s = table[0];
        s = DefaultScreenInfo();
        s.CardType = kCardNormal;
        s.Width = 64;
        s.Height = s.MainHeight = 16;
        s.ColorMode = 1;
        s.Areas[0] = QStringLiteral("主区");
    }
    void AddPages(int n)
    {
        PageAppender appender(table, 0);
        for (int i = 0; i < n; ++i)
            appender.Append(QImage(64, 16, QImage::Format_RGB32), PageEntry{i, 0, 1, 1});
        ASSERT_TRUE(appender.Finish().Ok());
    }
    // Each page k of screen 0 gets the start hour k (with the time window on); screen 1 keeps one.
    void WriteSchedules(int n)
    {
        QByteArray text;
        for (int k = 1; k <= n; ++k)
            text += GbkLines({QStringLiteral("[0号屏%1页定时参数]").arg(k).toUtf8().constData(), "无时间限制=1"})
                    + Gbk("开始时=") + QByteArray::number(k) + "\r\n";
        text += GbkLines({"[1号屏1页定时参数]", "开始周2=1"});
        WriteFile("SysConfig.ini", text);
    }
    StoredSchedule Schedule(int screen, int page) const { return ReadStoredSchedule(config.Read(), screen, page); }
    bool HasSection(int page) const
    {
        return config.Read().HasSection(ToGbk(QStringLiteral("0号屏%1页定时参数").arg(page)));
    }

    ScreenTable table;
    ConfigStore config{ConfigPath()};
};

TEST_F(PageScheduleStoreTest, DeletingAPageMovesTheFollowingSchedulesDown)
{
    AddPages(4);
    WriteSchedules(4);
    ASSERT_TRUE(DeletePage(table, 0, 2, config).Ok());
    EXPECT_EQ(Schedule(0, 1).startHour, 1);
    EXPECT_EQ(Schedule(0, 2).startHour, 3);
    EXPECT_EQ(Schedule(0, 3).startHour, 4);
    EXPECT_TRUE(Schedule(0, 3).timeLimited);
    EXPECT_FALSE(HasSection(4));
    EXPECT_TRUE(Schedule(1, 1).weekdays[1]) << "other screens keep theirs";
}

TEST_F(PageScheduleStoreTest, DeletingTheLastPageErasesOnlyItsSchedule)
{
    AddPages(3);
    WriteSchedules(3);
    ASSERT_TRUE(DeletePage(table, 0, 3, config).Ok());
    EXPECT_EQ(Schedule(0, 1).startHour, 1);
    EXPECT_EQ(Schedule(0, 2).startHour, 2);
    EXPECT_FALSE(HasSection(3));
}

TEST_F(PageScheduleStoreTest, DeletingAllPagesErasesTheScreensSchedules)
{
    AddPages(2);
    WriteSchedules(3); // a section past the last page is not the page store's
    ASSERT_TRUE(DeleteAllPages(table, 0, config).Ok());
    EXPECT_FALSE(HasSection(1));
    EXPECT_FALSE(HasSection(2));
    EXPECT_TRUE(HasSection(3));
    EXPECT_TRUE(Schedule(1, 1).weekdays[1]);
}

TEST(EffectLists, EachCardTypeHasItsOwnNumbering)
{
    const auto normal = EffectList(kCardNormal);
    const auto zp = EffectList(kCardZpKq);
    ASSERT_TRUE(normal && zp);
    ASSERT_EQ(normal->size(), 42);
    ASSERT_EQ(zp->size(), 22);
    EXPECT_EQ(normal->at(0), QStringLiteral("1.随机"));
    EXPECT_EQ(normal->at(6), QStringLiteral("7.左上角覆盖（斜线）"));
    EXPECT_EQ(normal->at(21), QStringLiteral("22.垂直百叶(下上)"));
    EXPECT_EQ(normal->at(41), QStringLiteral("42.向右飞入"));
    EXPECT_EQ(zp->at(9), QStringLiteral("10.垂直百叶(下上)"));
    EXPECT_EQ(zp->at(21), QStringLiteral("22.连续右移"));
    for (int i = 0; i < normal->size(); ++i)
        EXPECT_TRUE(normal->at(i).startsWith(QString::number(i + 1) + QLatin1Char('.'))) << i;
    for (int i = 0; i < zp->size(); ++i)
        EXPECT_TRUE(zp->at(i).startsWith(QString::number(i + 1) + QLatin1Char('.'))) << i;
    EXPECT_FALSE(EffectList(QStringLiteral("Other")));
}

} // namespace
} // namespace pelvoro::test
