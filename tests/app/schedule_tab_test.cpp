// The "定时播放" tab beside the page list: what it shows for the selected page, what each control
// writes to that page's schedule section, and the page list rebuilt around the same selection.
#include "app/main_area_panel.h"
#include "app/schedule_tab.h"

#include "config/config_store.h"
#include "pages/page_store.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace pelvoro::test {
namespace {

class ScheduleTabTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        ScreenInfo &s = table[0];
        s = DefaultScreenInfo();
        s.Width = 64;
        s.Height = s.MainHeight = 16;
        s.ColorMode = 1;
        s.Areas[0] = QStringLiteral("主区");
        PageAppender appender(table, 0);
        for (int k = 0; k < 3; ++k)
            appender.Append(QImage(64, 16, QImage::Format_RGB32), PageEntry{0, 0, 1, 1});
        ASSERT_TRUE(appender.Finish().Ok());
    }
    void TearDown() override
    {
        panel.reset();
        AppDirTest::TearDown();
    }
    void Start()
    {
        panel = std::make_unique<MainAreaPanel>(table, prompt);
        panel->RefreshPageList(0);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        tab = panel->findChild<ScheduleTab *>();
        ASSERT_NE(tab, nullptr);
        panel->findChild<QTabWidget *>()->setCurrentWidget(tab);
    }
    QString NodeText(int page) const { return panel->PageList()->topLevelItem(page - 1)->text(0); }
    QStringList Section(int page) const
    {
        const QStringList lines = ReadGbkLines(ReadFile(QStringLiteral("SysConfig.ini")));
        const qsizetype start = lines.indexOf(QStringLiteral("[0号屏%1页定时参数]").arg(page));
        if (start < 0)
            return {};
        QStringList keys;
        for (qsizetype i = start + 1; i < lines.size() && !lines[i].startsWith(QLatin1Char('[')); ++i)
            keys << lines[i];
        return keys;
    }

    ScreenTable table;
    ScriptedPrompt prompt;
    std::unique_ptr<MainAreaPanel> panel;
    ScheduleTab *tab = nullptr;
};

TEST_F(ScheduleTabTest, StartsOnTheDatePanelWithEveryWeekdayTicked)
{
    Start();
    EXPECT_TRUE(tab->DateMode()->isChecked());
    EXPECT_TRUE(tab->DatePanel()->isVisible());
    EXPECT_FALSE(tab->WeekPanel()->isVisible());
    for (int day = 0; day < 7; ++day)
        EXPECT_TRUE(tab->Weekday(day)->isChecked()) << day;
    EXPECT_EQ(tab->StartDate()->date(), QDate(2006, 1, 1));
    EXPECT_EQ(tab->StartTime()->time(), QTime(12, 0, 0));
    tab->WeekMode()->click();
    EXPECT_FALSE(tab->DatePanel()->isVisible());
    EXPECT_TRUE(tab->WeekPanel()->isVisible());
}

TEST_F(ScheduleTabTest, SelectingAPageShowsItsScheduleWithTheBoxesInverted)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏2页定时参数]", "无日期限制=1", "开始年=24", "开始月=3", "开始日=5",
                                         "结束年=99", "结束月=12", "结束日=31", "开始时=8", "开始分=30", "开始周6=1"}));
    Start();
    panel->SelectPage(2);
    EXPECT_FALSE(tab->NoDateLimit()->isChecked()) << "the page is limited by dates";
    EXPECT_TRUE(tab->NoTimeLimit()->isChecked());
    EXPECT_TRUE(tab->StartDate()->isEnabled());
    EXPECT_TRUE(tab->EndDate()->isEnabled());
    EXPECT_FALSE(tab->StartTime()->isEnabled());
    EXPECT_FALSE(tab->EndTime()->isEnabled());
    EXPECT_EQ(tab->StartDate()->date(), QDate(2024, 3, 5));
    EXPECT_EQ(tab->EndDate()->date(), QDate(2099, 12, 31));
    EXPECT_EQ(tab->StartTime()->time(), QTime(8, 30, 0));
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(tab->Weekday(day)->isChecked(), day == 5) << day;

    // A page without a section: no windows, no weekday.
    panel->SelectPage(3);
    EXPECT_TRUE(tab->NoDateLimit()->isChecked());
    EXPECT_TRUE(tab->NoTimeLimit()->isChecked());
    EXPECT_FALSE(tab->StartDate()->isEnabled());
    EXPECT_EQ(tab->StartDate()->date(), QDate(2006, 1, 1));
    EXPECT_FALSE(tab->Weekday(5)->isChecked());
    EXPECT_TRUE(Section(3).isEmpty()) << "showing writes nothing";
}

TEST_F(ScheduleTabTest, EachChangeIsWrittenAndTheListShowsItAroundTheSameSelection)
{
    struct Step {
        const char *what;
        std::function<void(ScheduleTab &)> act;
        QStringList section; // page 2's section afterwards
        const char *node;    // page 2's node afterwards
    };
    const Step steps[] = {
        {"untick the box before 无日期限制", [](ScheduleTab &t) { t.NoDateLimit()->click(); },
         {"无日期限制=1", "开始月=1", "开始日=1", "结束月=1", "结束日=1"}, "数据页2 （从06-01-01  到 06-01-01 ）"},
        {"pick the start date 2024-03-05", [](ScheduleTab &t) { t.StartDate()->setDate(QDate(2024, 3, 5)); },
         {"无日期限制=1", "开始月=3", "开始日=5", "结束月=1", "结束日=1", "开始年=24"},
         "数据页2 （从24-03-05  到 06-01-01 ）"},
        {"untick the box before 无时间限制 and pick 18:30:05 as the end",
         [](ScheduleTab &t) {
             t.NoTimeLimit()->click();
             t.EndTime()->setTime(QTime(18, 30, 5));
         },
         {"无日期限制=1", "开始月=3", "开始日=5", "结束月=1", "结束日=1", "开始年=24", "无时间限制=1", "结束时=18",
          "结束分=30", "结束秒=5"},
         "数据页2 （从24-03-05 00:00:00 到 06-01-01 18:30:05）"},
        {"tick the box before 无日期限制 again and tick 星期二",
         [](ScheduleTab &t) {
             t.NoDateLimit()->click();
             t.WeekMode()->click();
             t.Weekday(1)->click();
         },
         {"无日期限制=0", "开始月=3", "开始日=5", "结束月=1", "结束日=1", "开始年=24", "无时间限制=1", "结束时=18",
          "结束分=30", "结束秒=5", "开始周2=1"},
         "数据页2 （从00:00:00 到 18:30:05 周二）"},
    };
    Start();
    panel->SelectPage(3);
    panel->SelectPage(2);
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*tab);
        EXPECT_EQ(Section(2).join(' ').toStdString(), step.section.join(' ').toStdString()); // keys in file order
        EXPECT_EQ(NodeText(2), QString::fromUtf8(step.node));
        EXPECT_EQ(panel->CurrentPage(), 2);
        EXPECT_EQ(panel->PageList()->currentItem(), panel->PageList()->topLevelItem(1));
        EXPECT_EQ(NodeText(1), QStringLiteral("数据页1"));
    }
    EXPECT_TRUE(tab->StartTime()->isEnabled());
    EXPECT_FALSE(tab->StartDate()->isEnabled());
    EXPECT_TRUE(Section(3).isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

// The tab writes only what the operator changed, onto the schedule as stored then: another
// program's change of the page's other fields stays, and the tab shows it.
TEST_F(ScheduleTabTest, AChangeKeepsWhatAnotherProgramWroteMeanwhile)
{
    Start();
    panel->SelectPage(2);
    ConfigStore store;
    ASSERT_TRUE(EditPageSchedule(store, 0, 2, [](StoredSchedule &s) {
                    s.timeLimited = true;
                    s.endHour = 18;
                }).Ok());
    tab->WeekMode()->click();
    tab->Weekday(1)->click();
    const StoredSchedule stored = ReadStoredSchedule(ConfigStore().Read(), 0, 2);
    EXPECT_TRUE(stored.weekdays[1]);
    EXPECT_TRUE(stored.timeLimited);
    EXPECT_EQ(stored.endHour, 18);
    EXPECT_EQ(tab->EndTime()->time().hour(), 18);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

} // namespace
} // namespace pelvoro::test
