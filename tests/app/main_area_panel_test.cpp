#include "app/main_area_panel.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "pages/page_store.h"
#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/led_colours.h"
#include "support/scripted_prompt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace pelvoro::test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 16;

// A page whose pixels tell it apart from the others.
QImage PageImage(int seed)
{
    return StripedPicture(kWidth, kHeight, seed);
}

class MainAreaPanelTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        table.LastIndex = 1;
        for (int i = 0; i <= 1; ++i) {
            ScreenInfo &s = table[i];
            s = DefaultScreenInfo();
            s.CardType = kCardNormal;
            s.Width = kWidth;
            s.Height = s.MainHeight = kHeight;
            s.ColorMode = 1;
            s.Areas[0] = QStringLiteral("主区");
        }
    }
    void TearDown() override
    {
        panel.reset();
        AppDirTest::TearDown();
    }

    // Page k gets the entry (k, 0, k, 10 + k) and the image PageImage(k).
    void AddPages(int n, int screen = 0)
    {
        PageAppender appender(table, screen);
        for (int k = 1; k <= n; ++k)
            appender.Append(PageImage(k), PageEntry{k, 0, k, 10 + k});
        ASSERT_TRUE(appender.Finish().Ok());
    }
    void Start(int screen = 0)
    {
        panel = std::make_unique<MainAreaPanel>(table, prompt);
        panel->RefreshPageList(screen);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }

    template <typename T>
    T *Find(const char *name) const
    {
        T *widget = panel->findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeWidget *List() const { return panel->PageList(); }
    QComboBox *Effect() const { return Find<QComboBox>("Comb_InMode"); }
    QSpinBox *Speed() const { return Find<QSpinBox>("SpEdt_RunSpeed"); }
    QSpinBox *Dwell() const { return Find<QSpinBox>("SpEdt_ShowTime"); }
    QCheckBox *Following() const { return Find<QCheckBox>("CheckBox1"); }
    QToolButton *Up() const { return Find<QToolButton>("SButtonfileup"); }
    QToolButton *Down() const { return Find<QToolButton>("SButtonfiledown"); }
    QAction *DeleteOne() const { return Find<QAction>("deldan"); }
    QAction *DeleteAll() const { return Find<QAction>("delall"); }

    // Clicks page k's node as the operator does.
    void ClickPage(int k)
    {
        QTreeWidgetItem *item = List()->topLevelItem(k - 1);
        ASSERT_NE(item, nullptr);
        const QRect rect = List()->visualItemRect(item);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Gives a spin edit the input focus, as tabbing or clicking into it does.
    void Enter(QWidget *widget)
    {
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(widget->hasFocus());
    }
    PageEntry StoredEntry(int page) const
    {
        const PageEntries entries = ReadPageEntries(table, 0);
        EXPECT_TRUE(entries.Ok()) << entries.message.toStdString();
        return page <= entries.entries.size() ? entries.entries[page - 1] : PageEntry{-1, -1, -1, -1};
    }
    QStringList NodeTexts() const
    {
        QStringList texts;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            texts.append(List()->topLevelItem(i)->text(0));
        return texts;
    }
    QStringList Messages() const { return prompt.MessageTexts(QStringLiteral("提示")); }

    ScreenTable table;
    ScriptedPrompt prompt;
    std::unique_ptr<MainAreaPanel> panel;
};

TEST_F(MainAreaPanelTest, SelectingAPageShowsItsEntryAndImageWithoutWritingIt)
{
    AddPages(3);
    Start();
    const QByteArray before = ReadFile("Tavrel1.dat");
    EXPECT_EQ(NodeTexts(), (QStringList{"数据页1", "数据页2", "数据页3"}));
    EXPECT_FALSE(Up()->isEnabled());
    EXPECT_FALSE(Down()->isEnabled());
    EXPECT_FALSE(DeleteOne()->isEnabled());

    QSignalSpy shown(panel.get(), &MainAreaPanel::PageShown);
    QSignalSpy changed(panel.get(), &MainAreaPanel::PagesChanged);
    ClickPage(2);
    EXPECT_EQ(panel->CurrentPage(), 2);
    ASSERT_EQ(shown.count(), 1) << "one read per click";
    EXPECT_EQ(shown[0][0].toInt(), 0);
    EXPECT_EQ(shown[0][1].toInt(), 2);
    EXPECT_EQ(shown[0][2].value<QImage>().convertToFormat(QImage::Format_RGB32), PageImage(2));
    EXPECT_EQ(Effect()->count(), 42);
    EXPECT_EQ(Effect()->currentIndex(), 2);
    EXPECT_EQ(Speed()->value(), 2);
    EXPECT_EQ(Dwell()->value(), 12);
    for (QAction *action : {DeleteOne(), DeleteAll()})
        EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(Up()->isEnabled());
    EXPECT_TRUE(Down()->isEnabled());

    ClickPage(2); // a click on the selected node reads it again
    EXPECT_EQ(shown.count(), 2);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), before);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(MainAreaPanelTest, EffectListFollowsTheCardType)
{
    AddPages(1);
    ASSERT_TRUE(WritePageEntry(table, 0, 1, PageEntry{30, 0, 1, 1}).Ok());
    table[0].CardType = kCardZpKq;
    Start();
    ClickPage(1);
    EXPECT_EQ(Effect()->count(), 22);
    EXPECT_EQ(Effect()->itemText(21), QStringLiteral("22.连续右移"));
    EXPECT_EQ(Effect()->currentIndex(), -1) << "index 30 is no effect of this card";
    EXPECT_EQ(StoredEntry(1).effect, 30);
}

TEST_F(MainAreaPanelTest, EffectEditsAreWrittenAtOnce)
{
    AddPages(2);
    Start();
    QSignalSpy changed(panel.get(), &MainAreaPanel::PagesChanged);
    ClickPage(2);
    Effect()->setCurrentIndex(17);
    EXPECT_EQ(StoredEntry(2), (PageEntry{17, 0, 2, 12}));
    EXPECT_EQ(StoredEntry(1), (PageEntry{1, 0, 1, 11}));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(MainAreaPanelTest, SpeedAndDwellAreWrittenOnlyAfterTheyWereEntered)
{
    AddPages(2);
    Start();
    ClickPage(1);
    Speed()->setValue(20);
    Dwell()->setValue(99);
    EXPECT_EQ(StoredEntry(1), (PageEntry{1, 0, 1, 11})) << "not entered: not written";

    Enter(Speed());
    Speed()->setValue(21);
    EXPECT_EQ(StoredEntry(1), (PageEntry{1, 0, 21, 11}));
    const QByteArray file = ReadFile("Tavrel1.dat");
    EXPECT_EQ(file[13 + 2], char(42)) << "speed 21 is stored as 42";

    Enter(Dwell());
    Dwell()->setValue(7);
    EXPECT_EQ(StoredEntry(1), (PageEntry{1, 0, 21, 7}));

    // Selecting another page sets the controls without writing, even with the flags set.
    QSignalSpy changed(panel.get(), &MainAreaPanel::PagesChanged);
    ClickPage(2);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(StoredEntry(2), (PageEntry{2, 0, 2, 12}));
    EXPECT_EQ(StoredEntry(1), (PageEntry{1, 0, 21, 7}));

    panel->ClearEnteredFlags(); // a click in the programme tree
    Speed()->setValue(3);
    Dwell()->setValue(4);
    EXPECT_EQ(StoredEntry(2), (PageEntry{2, 0, 2, 12}));
}

TEST_F(MainAreaPanelTest, FollowingPagesTakeTheSameAttributes)
{
    AddPages(5);
    Start();
    ClickPage(3);
    Following()->setChecked(true);
    for (int k = 3; k <= 5; ++k)
        EXPECT_EQ(StoredEntry(k), (PageEntry{3, 0, 3, 13})) << "ticking copies page 3's values to page " << k;
    Effect()->setCurrentIndex(8);
    for (int k = 1; k <= 5; ++k) {
        const PageEntry expected = k < 3 ? PageEntry{k, 0, k, 10 + k} : PageEntry{8, 0, 3, 13};
        EXPECT_EQ(StoredEntry(k), expected) << "page " << k;
    }
    const QByteArray before = ReadFile("Tavrel1.dat");
    Following()->setChecked(false);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), before) << "unticking writes nothing";
    Effect()->setCurrentIndex(9);
    EXPECT_EQ(StoredEntry(3).effect, 9);
    EXPECT_EQ(StoredEntry(4).effect, 8);
}

TEST_F(MainAreaPanelTest, DeletingThePageSelectsTheOneInItsPlace)
{
    AddPages(3);
    Start();
    QSignalSpy changed(panel.get(), &MainAreaPanel::PagesChanged);
    QSignalSpy shown(panel.get(), &MainAreaPanel::PageShown);
    ClickPage(2);
    DeleteOne()->trigger();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(NodeTexts(), (QStringList{"数据页1", "数据页2"}));
    EXPECT_EQ(panel->CurrentPage(), 2);
    EXPECT_EQ(Effect()->currentIndex(), 3) << "former page 3 is shown";
    EXPECT_EQ(shown.last()[2].value<QImage>().convertToFormat(QImage::Format_RGB32), PageImage(3));
    EXPECT_EQ(ReadFile("Tavrel1.dat").size(), PageFileSize(PageBytes(table[0]), 2));

    DeleteOne()->trigger(); // the last page: the new last node is selected
    EXPECT_EQ(NodeTexts(), QStringList{"数据页1"});
    EXPECT_EQ(panel->CurrentPage(), 1);
    EXPECT_EQ(Effect()->currentIndex(), 1);

    DeleteOne()->trigger(); // the only page: the file goes
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(panel->PageCount(), 0);
    EXPECT_EQ(panel->CurrentPage(), 0);
    EXPECT_FALSE(DeleteOne()->isEnabled());
    EXPECT_FALSE(DeleteAll()->isEnabled());
    EXPECT_TRUE(panel->AddButton()->isEnabled());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(MainAreaPanelTest, DeletingAllPagesRemovesFileAndSchedules)
{
    AddPages(2);
    WriteFile("SysConfig.ini", GbkLines({"[0号屏1页定时参数]", "开始周1=1", "[0号屏2页定时参数]", "无日期限制=1"}));
    Start();
    EXPECT_EQ(NodeTexts(), (QStringList{"数据页1 （周一）", "数据页2 （从06-01-01  到 06-01-01 ）"}));
    EXPECT_EQ(List()->topLevelItem(0)->data(0, MainAreaPanel::kNodeImageRole).toInt(), 1);
    panel->AddButton()->setEnabled(false);
    ClickPage(1);
    DeleteAll()->trigger();
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(panel->PageCount(), 0);
    EXPECT_FALSE(ConfigStore(ConfigPath()).Read().HasSection(Gbk("0号屏1页定时参数")));
    EXPECT_FALSE(ConfigStore(ConfigPath()).Read().HasSection(Gbk("0号屏2页定时参数")));
    EXPECT_FALSE(DeleteOne()->isEnabled());
    EXPECT_FALSE(DeleteAll()->isEnabled());
    EXPECT_TRUE(panel->AddButton()->isEnabled());
}

TEST_F(MainAreaPanelTest, MovingFollowsThePageAndSetsTheButtons)
{
    AddPages(3);
    Start();
    const QByteArray original = ReadFile("Tavrel1.dat");
    ClickPage(2);
    QTest::mouseClick(Up(), Qt::LeftButton);
    EXPECT_EQ(panel->CurrentPage(), 1);
    EXPECT_EQ(StoredEntry(1).effect, 2);
    EXPECT_EQ(StoredEntry(2).effect, 1);
    EXPECT_TRUE(Up()->isEnabled()) << "it was not at the top before the move";

    QTest::mouseClick(Up(), Qt::LeftButton);
    EXPECT_EQ(panel->CurrentPage(), 1);
    EXPECT_FALSE(Up()->isEnabled()) << "already at the top";

    QTest::mouseClick(Down(), Qt::LeftButton);
    EXPECT_EQ(panel->CurrentPage(), 2);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), original);

    ClickPage(3);
    QTest::mouseClick(Down(), Qt::LeftButton);
    EXPECT_FALSE(Down()->isEnabled()) << "already the last";
    EXPECT_EQ(ReadFile("Tavrel1.dat"), original);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(MainAreaPanelTest, MovingTheOnlyPageIsRefused)
{
    AddPages(1);
    Start();
    ClickPage(1);
    QTest::mouseClick(Down(), Qt::LeftButton);
    EXPECT_EQ(Messages(), QStringList{"只有一页数据,不能移动该数据页!"});
}

TEST_F(MainAreaPanelTest, SendSaysWhatIsMissingAndAddAsksTheMainWindow)
{
    Start();
    QSignalSpy add(panel.get(), &MainAreaPanel::AddPagesRequested);
    QSignalSpy send(panel.get(), &MainAreaPanel::SendRequested);
    auto *sendButton = Find<QPushButton>("Button1");
    QTest::mouseClick(sendButton, Qt::LeftButton);
    EXPECT_EQ(send.count(), 0);
    QTest::mouseClick(panel->AddButton(), Qt::LeftButton);
    EXPECT_EQ(add.count(), 1);
    AddPages(1);
    panel->RefreshPageList(0);
    QTest::mouseClick(sendButton, Qt::LeftButton);
    EXPECT_EQ(send.count(), 1);
    EXPECT_EQ(Messages(), (QStringList{"没有添加文件页,请添加文件页!"}));
}

TEST_F(MainAreaPanelTest, DamagedFileIsReportedWhenAPageIsSelected)
{
    AddPages(2);
    QByteArray bytes = ReadFile("Tavrel1.dat");
    WriteFile("Tavrel1.dat", bytes.left(bytes.size() - 100));
    Start();
    QSignalSpy shown(panel.get(), &MainAreaPanel::PageShown);
    ClickPage(1);
    EXPECT_EQ(shown.count(), 0);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].text.contains(QStringLiteral("已损坏"))) << prompt.messages[0].text.toStdString();
    EXPECT_TRUE(DeleteAll()->isEnabled()) << "a damaged file can still be cleared";
    DeleteAll()->trigger();
    EXPECT_FALSE(Exists("Tavrel1.dat"));
}

TEST_F(MainAreaPanelTest, ListingAnotherScreenForgetsTheSelection)
{
    AddPages(2);
    AddPages(1, 1);
    Start();
    ClickPage(2);
    panel->RefreshPageList(0); // same screen: still selected
    EXPECT_EQ(panel->CurrentPage(), 2);
    EXPECT_EQ(List()->currentItem(), List()->topLevelItem(1));
    panel->RefreshPageList(1);
    EXPECT_EQ(panel->CurrentPage(), 0);
    EXPECT_FALSE(Up()->isEnabled());
    Effect()->setCurrentIndex(5);
    EXPECT_EQ(StoredEntry(2).effect, 2);
}

} // namespace
} // namespace pelvoro::test
