#include "main_window_fixture.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "pages/page_store.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QToolBar>

namespace pelvoro::test {

void MainWindowTest::WriteMainAreaScreen(const std::vector<std::pair<QImage, int>> &pagesWithEffects)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "横向点数=64", "纵向点数=16", "第一区域=主区", "主区域高=16"}));
    ScreenTable pagesTable;
    pagesTable[0] = DefaultScreenInfo();
    pagesTable[0].Width = 64;
    pagesTable[0].Height = 16;
    pagesTable[0].MainHeight = 16;
    pagesTable[0].Areas = {"主区", "", "", ""};
    PageAppender appender(pagesTable, 0);
    for (const auto &[page, effect] : pagesWithEffects)
        appender.Append(page, effect, 0, 1, 1);
    ASSERT_TRUE(appender.Finish().Ok());
}

namespace {

QStringList VisibleMenus(const Tfrmmain &window)
{
    QStringList visible;
    for (const char *caption : {"文件", "控制", "设置", "用户", "测试", "帮助"}) {
        if (window.Menu(caption)->menuAction()->isVisible())
            visible << caption;
    }
    return visible;
}

const QStringList kToolButtons = {"打开", "保存", "预览", "修饰", "表格",   "文本",
                                  "画图", "开屏", "关屏", "群发", "连接IP", "广播"};

TEST_F(MainWindowTest, StartsWithOneDefaultScreenWhenThereIsNoConfiguration)
{
    Start();
    ASSERT_EQ(Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(ScreenNode(0)->text(0), "1号显示屏");
    EXPECT_EQ(ScreenNode(0)->childCount(), 0);
    EXPECT_EQ(Tree()->currentItem(), ScreenNode(0));
    EXPECT_EQ(window->windowTitle(), "Pelvoro");
    EXPECT_EQ(VisibleMenus(*window), QStringList({"文件", "控制", "设置", "测试", "帮助"}));
    for (const QString &caption : kToolButtons)
        EXPECT_EQ(window->Command(caption)->isEnabled(), caption != "预览") << caption.toStdString();
    EXPECT_TRUE(window->Panelface()->isVisible());
    EXPECT_FALSE(window->Panelmain()->isVisible());
    EXPECT_FALSE(window->Panelface()->ProgressBar()->isVisible());
    EXPECT_EQ(window->SummaryLabel()->text(), "1号屏 256x128 双色");
    EXPECT_EQ(window->CommStatus(), "状态：");
    EXPECT_TRUE(window->TitleTimerActive());
    // Starting writes nothing.
    EXPECT_FALSE(Exists("SysConfig.ini"));
}

TEST_F(MainWindowTest, ReadsScreensNamesAndIdentityFromTheFile)
{
    WriteFile("SysConfig.ini",
              GbkLines({"[全局参数]", "显示屏数目=2", "[版本信息]", "软件名称=车站信息屏", "[0号屏参数]",
                        "显示屏名称=大厅", "第一区域=主区", "第二区域=小字幕", "[1号屏参数]", "控制卡类型=ZP-KQ/TQ",
                        "单双色=0", "横向点数=64", "纵向点数=32", "显示屏名称="}));
    Start();
    ASSERT_EQ(Tree()->topLevelItemCount(), 3);
    EXPECT_EQ(ScreenNode(0)->text(0), "1号大厅");
    EXPECT_EQ(ScreenNode(1)->text(0), "2号");
    EXPECT_EQ(ScreenNode(2)->text(0), "3号显示屏");
    ASSERT_EQ(ScreenNode(0)->childCount(), 2);
    EXPECT_EQ(AreaNode(0, 0)->text(0), "主区");
    EXPECT_EQ(AreaNode(0, 1)->text(0), "小字幕");
    EXPECT_EQ(window->windowTitle(), "车站信息屏");
    Click(ScreenNode(1));
    EXPECT_EQ(table.CurrentScreen, 1);
    EXPECT_EQ(window->SummaryLabel()->text(), "2号屏 ZP-KQ卡 64x32 单色");
}

TEST_F(MainWindowTest, LoginGateLocksTheWindowWhenLoginIsOn)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "参数三=0"}));
    Start();
    EXPECT_EQ(VisibleMenus(*window), QStringList({"用户", "测试", "帮助"}));
    EXPECT_FALSE(window->Toolbar()->isEnabled());
    for (const QString &caption : kToolButtons)
        EXPECT_FALSE(window->Command(caption)->isEnabled()) << caption.toStdString();
    EXPECT_FALSE(window->TreePanel()->isEnabled());
    EXPECT_FALSE(window->Panelface()->isEnabled());
    EXPECT_FALSE(window->Panelmain()->isEnabled());
    EXPECT_FALSE(window->Panelother()->isEnabled());
    EXPECT_FALSE(window->Title()->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Pelvoro(未登录)");
}

TEST_F(MainWindowTest, TitleAnimationSpellsTheSloganOverTenTicks)
{
    Start();
    const QString slogan = TitleAnimation::kSlogan;
    ASSERT_EQ(slogan.size(), 8);
    // Ticks after start-up (one every half second) and what the two labels then show.
    const struct {
        int tick;
        QString first;
        QString second;
    } cases[] = {
        {1, "", ""},                           // 0.5 s: phase 0 does nothing
        {2, slogan.left(1), ""},               // 1.0 s
        {5, slogan.left(4), ""},               // 2.5 s
        {6, slogan.left(4), slogan.mid(4, 1)}, // 3.0 s
        {9, slogan.left(4), slogan.mid(4, 4)}, // 4.5 s
        {10, "", ""},                          // 5.0 s
        {11, "", ""},                          // 5.5 s: phase 10 starts over
        {12, slogan.left(1), ""},              // 6.0 s
    };
    int ticks = 0;
    for (const auto &c : cases) {
        while (ticks < c.tick) {
            window->OnTitleTimer();
            ++ticks;
        }
        EXPECT_EQ(window->Panelface()->SloganFirst()->text(), c.first) << "tick " << c.tick;
        EXPECT_EQ(window->Panelface()->SloganSecond()->text(), c.second) << "tick " << c.tick;
    }
}

TEST_F(MainWindowTest, ClickingNodesSwitchesPanelsCaptionsAndTimer)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[1号屏参数]", "通讯方式=2", "第一区域=主区",
                                         "第二区域=固定温度", "第三区域=大字幕", "字幕区域高=32", "单双色=0"}));
    Start();
    Click(AreaNode(1, 0)); // 主区 of screen 2
    EXPECT_EQ(table.CurrentScreen, 1);
    EXPECT_TRUE(window->Panelmain()->isVisible());
    EXPECT_TRUE(window->Panelface()->isVisible());
    EXPECT_EQ(window->Panelmain()->ListBox()->title(), "2号屏主区文件列表");
    EXPECT_TRUE(window->Command("预览")->isEnabled());
    EXPECT_FALSE(window->TitleTimerActive());
    EXPECT_TRUE(window->Command("连接IP")->isEnabled());
    EXPECT_TRUE(window->Command("群发")->isEnabled());

    Click(AreaNode(1, 1)); // 固定温度
    EXPECT_TRUE(window->Panelother()->isVisible());
    EXPECT_FALSE(window->Panelmain()->isVisible());
    EXPECT_FALSE(window->Command("预览")->isEnabled());
    EXPECT_EQ(window->Panelother()->ClockBox()->title(), "2号屏时钟设置");
    EXPECT_EQ(window->Panelother()->TemperatureBox()->title(), "2号屏温度设置");
    EXPECT_TRUE(window->Panelother()->TemperatureControls()->isEnabled());
    EXPECT_FALSE(window->Panelother()->ClockControls()->isEnabled());
    EXPECT_TRUE(window->Panelother()->Alignment()->isEnabled());

    Click(AreaNode(1, 2)); // 大字幕
    EXPECT_TRUE(window->Title()->isVisible());
    EXPECT_FALSE(window->Panelother()->isVisible());
    EXPECT_EQ(window->Title()->EditBox()->title(), "2号屏大字幕编辑");
    EXPECT_EQ(window->Title()->ListBox()->title(), "2号屏大字幕列表");
    // 256 wide, single colour, 32 rows: 131072 / 1024 = 128 pages, less one.
    EXPECT_EQ(window->Title()->CapacityLabel()->text(), "最大存储页数：127页");

    const int phase = window->Animation().Phase();
    Click(ScreenNode(0));
    EXPECT_EQ(table.CurrentScreen, 0);
    EXPECT_TRUE(window->Panelface()->isVisible());
    EXPECT_FALSE(window->Title()->isVisible());
    EXPECT_TRUE(window->TitleTimerActive());
    EXPECT_EQ(window->Animation().Phase(), phase); // resumes where it stopped
    EXPECT_FALSE(window->Command("连接IP")->isEnabled());
    EXPECT_TRUE(window->Command("群发")->isEnabled());
    EXPECT_EQ(window->SummaryLabel()->text(), "1号屏 256x128 双色");
}

TEST_F(MainWindowTest, AddingAreasFollowsTheHeightRulesAndSavesAtOnce)
{
    WriteFile("SysConfig.ini",
              GbkLines({"; station file", "[0号屏参数]", "纵向点数=32", "", "[0号屏1页定时参数]", "开始年=6"}));
    WriteFile("Tavrel1.dat", QByteArray(20, '\0'));
    WriteFile("TavrelTitle1.dat", "x");
    WriteFile("TavrelTitle1.txt", "x");
    Start();
    const QByteArray before = ReadFile("SysConfig.ini");

    window->AddArea(AreaKind::Main);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.dat"));
    EXPECT_FALSE(Exists("TavrelTitle1.txt"));
    ASSERT_EQ(ScreenNode(0)->childCount(), 1);
    EXPECT_EQ(Tree()->currentItem(), AreaNode(0, 0));
    EXPECT_EQ(table[0].MainHeight, 32);
    EXPECT_EQ(ReadFile("SysConfig.ini"), before.left(before.indexOf("\r\n\r\n") + 2)
                                             + GbkLines({"主区域高=32", "第一区域=主区"})
                                             + before.mid(before.indexOf("\r\n\r\n") + 2));

    window->AddArea(AreaKind::SmallTitle); // 32 rows with a main area: accepted
    EXPECT_EQ(table[0].MainHeight, 16);
    window->AddArea(AreaKind::FixedClock); // 32 − 16 < 32 with a main area: refused
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, "显示屏高度不够添加固定时钟,请删除其他区域或加大显示屏高度设置后重新添加!");
    EXPECT_EQ(prompt.messages[0].caption, "提示");
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::None);
    window->AddArea(AreaKind::Main); // 32 − 16 = 16 rows left: already present, ignored
    EXPECT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(table[0].Areas, (std::array<QString, 4>{"主区", "小字幕", "", ""}));
    EXPECT_TRUE(ConfigLines().contains("第二区域=小字幕"));
}

TEST_F(MainWindowTest, MainAreaRefusalIsAWarningBox)
{
    WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "纵向点数=16", "第一区域=固定时钟"}));
    Start();
    const QByteArray before = ReadFile("SysConfig.ini");
    window->AddArea(AreaKind::Main);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, "显示屏高度不够添加主区,请删除其他区域或加大显示屏高度设置后重新添加!");
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);
}

TEST_F(MainWindowTest, AddAreaMenuEnablesFixedOrPictureItemsAndSubtitleSize)
{
    Start();
    auto states = [&](QMenu *menu) {
        Q_EMIT menu->aboutToShow();
        return std::pair{menu->actions()[0]->isEnabled(), menu->actions()[1]->isEnabled()};
    };
    EXPECT_EQ(states(window->ClockMenu()), std::pair(true, true));
    window->TemperatureMenu()->actions()[1]->trigger(); // 贴图温度
    EXPECT_EQ(states(window->ClockMenu()), std::pair(false, true));
    EXPECT_EQ(states(window->TitleMenu()), std::pair(true, true));
    window->TitleMenu()->actions()[1]->trigger(); // 大字幕
    EXPECT_EQ(states(window->TitleMenu()), std::pair(false, true));
    EXPECT_EQ(table[0].Areas, (std::array<QString, 4>{"贴图温度", "大字幕", "", ""}));

    // Removing the last clock or temperature area enables all four items again.
    Click(AreaNode(0, 0));
    window->RemoveSelectedArea();
    EXPECT_EQ(states(window->ClockMenu()), std::pair(true, true));
}

TEST_F(MainWindowTest, RemovingAreasGivesRowsBackAndErasesSchedules)
{
    WriteFile("SysConfig.ini",
              GbkLines({"[0号屏参数]", "第一区域=主区", "第二区域=固定时钟", "第三区域=固定温度", "第四区域=大字幕",
                        "主区域高=80", "时钟区域高=16", "字幕区域高=32", "[0号屏1页定时参数]", "开始年=6",
                        "[0号屏2页定时参数]", "开始年=7", "[1号屏1页定时参数]", "开始年=8"}));
    QByteArray pageFile(14, '\0');
    pageFile[12] = 2; // two pages listed
    WriteFile("Tavrel1.dat", pageFile);
    Start();

    Click(AreaNode(0, 1)); // 固定时钟: the temperature keeps the band
    prompt.answers.enqueue(PromptButton::Yes); // the two pages go with it
    window->RemoveSelectedArea();
    EXPECT_EQ(table[0].MainHeight, 80);
    EXPECT_TRUE(window->Panelother()->isVisible()); // a temperature remains
    EXPECT_FALSE(window->Panelother()->ClockControls()->isEnabled());
    ASSERT_EQ(ScreenNode(0)->childCount(), 3);

    Click(AreaNode(0, 1)); // 固定温度: the band goes back to the main area
    window->RemoveSelectedArea();
    EXPECT_EQ(table[0].MainHeight, 96);
    EXPECT_TRUE(window->Panelface()->isVisible());
    EXPECT_EQ(table[0].Areas, (std::array<QString, 4>{"主区", "大字幕", "", ""}));

    // Every area change resets the screen's files; list two pages again before the main area goes.
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    WriteFile("Tavrel1.dat", pageFile);
    Click(AreaNode(0, 0)); // 主区
    window->RemoveSelectedArea();
    EXPECT_FALSE(window->Panelmain()->isVisible());
    EXPECT_TRUE(window->Panelface()->isVisible());
    const QStringList config = ConfigLines();
    EXPECT_FALSE(config.contains("[0号屏1页定时参数]"));
    EXPECT_FALSE(config.contains("[0号屏2页定时参数]"));
    EXPECT_TRUE(config.contains("[1号屏1页定时参数]"));
    EXPECT_TRUE(config.contains("第一区域=大字幕"));
    EXPECT_TRUE(config.contains("第二区域="));

    // On a screen node the button does nothing.
    const QByteArray before = ReadFile("SysConfig.ini");
    Click(ScreenNode(0));
    window->RemoveSelectedArea();
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);
    EXPECT_EQ(ScreenNode(0)->childCount(), 1);
}

// An area change resets the screen's files: the pages it takes along that the operator did not
// name are asked about first. 否 changes nothing; 是 goes on as it would without the question.
TEST_F(MainWindowTest, AreaChangesThatDeletePagesAskFirst)
{
    const auto pages = [](int count) {
        QByteArray bytes(13, '\0');
        bytes[12] = char(count);
        return bytes;
    };
    const struct {
        const char *what;
        int node; // the area node removed; -1 adds a fixed clock
        QString question;
    } cases[] = {
        {"add a clock", -1, "添加区域后，主区的 3 个数据页和字幕区的 2 个字幕页将被删除。继续吗？"},
        {"remove the subtitle", 1, "删除区域后，主区的 3 个数据页将被删除。继续吗？"},
        {"remove the main area", 0, "删除区域后，字幕区的 2 个字幕页将被删除。继续吗？"},
    };
    const QStringList files = {"SysConfig.ini", "Tavrel1.dat", "TavrelTitle1.dat"};
    for (const auto &c : cases) {
        for (const PromptButton answer : {PromptButton::No, PromptButton::Yes}) {
            const std::string what = std::string(c.what) + (answer == PromptButton::Yes ? ", 是" : ", 否");
            WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "第一区域=主区", "第二区域=小字幕", "主区域高=112",
                                                 "字幕区域高=16", "[0号屏1页定时参数]", "开始年=6"}));
            WriteFile("Tavrel1.dat", pages(3));
            WriteFile("TavrelTitle1.dat", pages(2));
            QList<QByteArray> before;
            for (const QString &name : files)
                before << ReadFile(name);
            Start();
            if (c.node >= 0)
                Click(AreaNode(0, c.node));
            prompt.questions.clear();
            prompt.answers.enqueue(answer);
            if (c.node >= 0)
                window->RemoveSelectedArea();
            else
                window->AddArea(AreaKind::FixedClock);
            ASSERT_EQ(prompt.questions.size(), 1) << what;
            EXPECT_EQ(prompt.questions[0].text, c.question) << what;
            EXPECT_EQ(prompt.questions[0].caption, "提示");
            if (answer == PromptButton::No) {
                for (qsizetype i = 0; i < files.size(); ++i)
                    EXPECT_EQ(ReadFile(files[i]), before[i]) << what << ": " << files[i].toStdString();
                EXPECT_EQ(ScreenNode(0)->childCount(), 2) << what;
                EXPECT_EQ(table[0].MainHeight, 112) << what;
            } else {
                EXPECT_FALSE(Exists("Tavrel1.dat")) << what;
                EXPECT_FALSE(Exists("TavrelTitle1.dat")) << what;
                EXPECT_NE(ScreenNode(0)->childCount(), 2) << what;
            }
            window.reset();
        }
    }
}

TEST_F(MainWindowTest, ExitAsksAndOnlyOkCloses)
{
    Start();
    prompt.answers.enqueue(PromptButton::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0].text, "你确定要退出系统吗? ");
    EXPECT_EQ(prompt.questions[0].caption, "提示");
    EXPECT_EQ(prompt.questions[0].icon, PromptIcon::Question);

    prompt.answers.enqueue(PromptButton::Ok);
    window->Command("文件/退出")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, CommandsNotBuiltYetSayTheyAreNotAvailable)
{
    Start();
    window->Command("修饰/空心")->trigger();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, "“空心”功能尚未提供。");
    EXPECT_FALSE(window->Command("控制/播放")->isEnabled());
    EXPECT_FALSE(window->Command("帮助/加载FPGA")->isVisible());
}

// Without a paint program the button says which programs it looked for instead of doing nothing.
TEST_F(MainWindowTest, PaintWithoutAPaintProgramSaysWhatItLookedFor)
{
    Start();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QDir::currentPath().toLocal8Bit()); // a fresh folder: no program in it
    window->Command("画图")->trigger();
    qputenv("PATH", path);
    EXPECT_EQ(prompt.MessageTexts("提示"),
              QStringList({"没有找到画图程序（已查找：pbrush.exe、mspaint.exe、kolourpaint、pinta）"}));
}

TEST_F(MainWindowTest, BroadcastFollowsTheToggleAndReinitialisationClearsIt)
{
    Start();
    window->Command("广播")->trigger();
    EXPECT_TRUE(window->BroadcastFlag());
    Click(ScreenNode(0));
    window->AddArea(AreaKind::PictureClock);
    table.CurrentScreen = 0;
    window->Command("用户/用户退出")->trigger(); // re-initialisation reads the file again
    EXPECT_FALSE(window->BroadcastFlag());
    ASSERT_EQ(ScreenNode(0)->childCount(), 1);
    EXPECT_EQ(AreaNode(0, 0)->text(0), "贴图时钟");
    EXPECT_EQ(Tree()->currentItem(), ScreenNode(0));
}

} // namespace
} // namespace pelvoro::test
