// The main window's send operations against controller cards behind a pseudo-terminal and local
// TCP servers, with shortened waits: the full send's order on both links, the clock panel's
// "发送", group and selection walks, the buttons' preconditions and the five send buttons.
#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "comm/ui/send_selection_dialog.h"
#include "comm/frames.h"
#include "config/config_store.h"
#include "main_window_fixture.h"
#include "pages/page_store.h"
#include "pages/subtitle_conversion.h"
#include "support/fake_cards.h"

#include <QDateTime>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;

using Sent = KeptFrames;

class SendTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        timings = ShortLinkTimings();
        timings.networkWalkMs = 150;
    }
    void TearDown() override
    {
        qunsetenv("PELVORO_COM7");
        MainWindowTest::TearDown();
    }

    // A 64 x 64 dual-colour screen; `areas` in slot order.
    static ScreenInfo Screen(const QStringList &areas)
    {
        ScreenInfo s = DefaultScreenInfo();
        s.Width = 64;
        s.Height = 64;
        s.ColorMode = 1;
        s.ComPort = kComPort;
        s.BaudIndex = 3;
        s.MainHeight = 32;
        s.TitleHeight = 16;
        for (int k = 0; k < areas.size(); ++k)
            s.Areas[size_t(k)] = areas[k];
        return s;
    }
    static ScreenInfo NetScreen(const QStringList &areas, quint16 port)
    {
        ScreenInfo s = Screen(areas);
        s.CommMode = kCommModeNetwork;
        s.IpAddress = QStringLiteral("127.0.0.1");
        s.IpPort = port;
        return s;
    }
    void AddScreen(const ScreenInfo &screen)
    {
        setup[count_++] = screen;
        setup.LastIndex = count_ - 1;
    }
    void ResetScreens()
    {
        setup = ScreenTable{};
        count_ = 0;
    }
    void AddMainPages(int screen, int pages)
    {
        PageAppender appender(setup, screen);
        for (int k = 0; k < pages; ++k) {
            QImage page(setup[screen].Width, setup[screen].MainHeight, QImage::Format_RGB32);
            page.fill(k % 2 ? Qt::red : Qt::green);
            appender.Append(page, 0, 0, 1, 1);
        }
        ASSERT_TRUE(appender.Finish().Ok());
    }
    void AddSubtitle(int screen)
    {
        ASSERT_TRUE(
            ConvertSubtitleText(setup, screen, QStringLiteral("欢迎光临"), SubtitleDrawing{}, SubtitleEntry{}).Ok());
    }
    // Saves the screens and opens the window on them.
    void StartStation()
    {
        ConfigStore store;
        int last = setup.LastIndex;
        ASSERT_TRUE(store.SaveLastIndex(last));
        ASSERT_TRUE(store.SaveScreens(setup, setup.LastIndex));
        Start();
    }
    void UseCard(const PtyCard &card)
    {
        ASSERT_TRUE(card.Ok());
        qputenv("PELVORO_COM7", card.Device().toLocal8Bit());
    }
    bool ButtonsEnabled(bool enabled) const
    {
        for (QPushButton *button : window->SendButtons()) {
            if (button->isEnabled() != enabled)
                return false;
        }
        return true;
    }
    // Waits until `frames` frames were kept and the serial link is idle again with its buttons back.
    void WaitSerial(const PtyCard &card, size_t frames)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Kept(card.exchanges).size() >= frames; }, 20000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Serial()->HasTransfer() && ButtonsEnabled(true); }, 5000));
        QTest::qWait(3 * timings.completion.continueDelayMs); // a continuation that might still send
    }
    void ConnectTo(int screen)
    {
        table.CurrentScreen = screen;
        window->ConnectIp();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window->Net()->ClientSocket()->state() == QAbstractSocket::ConnectedState; },
                            5000));
    }

    ScreenTable setup;

private:
    int count_ = 0;
};

const QStringList kAllAreas = {"主区", "固定时钟", "固定温度", "小字幕"};

TEST_F(SendTest, FullSendOverSerialGoesTimeClockTemperatureSubtitleMain)
{
    PtyCard card;
    UseCard(card);
    AddScreen(Screen(kAllAreas));
    AddMainPages(0, 3);
    AddSubtitle(0);
    StartStation();
    ASSERT_EQ(window->Panelmain()->PageCount(), 3);
    ASSERT_EQ(window->Title()->PageCount(), 1);

    window->Panelface()->SendAllButton()->click();
    EXPECT_TRUE(ButtonsEnabled(false)); // until the transfer closes
    WaitSerial(card, 5);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD2}, {1, 0xD1}}));
    EXPECT_FALSE(window->Sequence().Pending().Any());
    EXPECT_EQ(window->CommStatus(), "状态：向1号显示屏发送主区域数据成功！");
    // The main area's frame is the page file as it stands.
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Pages], ReadFile("Tavrel1.dat"));
}

TEST_F(SendTest, FullSendOverTheNetworkGoesTimeClockTemperatureMainSubtitle)
{
    TcpCard card;
    AddScreen(NetScreen(kAllAreas, card.Port()));
    AddMainPages(0, 3);
    AddSubtitle(0);
    StartStation();
    ConnectTo(0);

    window->Panelface()->SendAllButton()->click();
    EXPECT_TRUE(ButtonsEnabled(true)); // only serial transfers take the buttons
    EXPECT_TRUE(QTest::qWaitFor([&] { return Kept(card.exchanges).size() >= 5; }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Net()->AwaitingEcho() && !window->Net()->Busy(); }, 5000));
    QTest::qWait(3 * timings.net.followUpMs);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD1}, {1, 0xD2}}));
    EXPECT_EQ(window->CommStatus(), "状态:向1号显示屏发送字幕区域数据成功！");
}

TEST_F(SendTest, NetworkFollowUpIsDroppedWhenAnotherScreenIsSelectedDuringTheWait)
{
    PtyCard serialCard;
    UseCard(serialCard);
    TcpCard card;
    AddScreen(NetScreen({"固定时钟", "固定温度"}, card.Port()));
    AddScreen(Screen({"固定时钟", "固定温度"}));
    timings.net.followUpMs = 300;
    StartStation();
    ConnectTo(0);

    window->Panelface()->SendAllButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Net()->FollowUpScheduled(); }, 5000));
    Click(ScreenNode(1));
    QTest::qWait(3 * timings.net.followUpMs);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}}));
    EXPECT_TRUE(serialCard.received.isEmpty()); // screen 2's serial port was not sent screen 1's clock
    EXPECT_FALSE(window->Sequence().Pending().Any());
}

TEST_F(SendTest, FullSendLeavesOutAMainAreaWithoutPagesAndMissingAreas)
{
    PtyCard card;
    UseCard(card);
    AddScreen(Screen({"主区", "固定温度"}));
    StartStation();
    window->Panelface()->SendAllButton()->click();
    WaitSerial(card, 2);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xC3}}));
}

TEST_F(SendTest, ClockPanelSendSendsTheClockThenTheTemperature)
{
    struct Case {
        QStringList areas;
        Sent expected;
    };
    const Case cases[] = {
        {{"固定温度"}, {{1, 0xC3}}},
        {{"固定时钟", "固定温度"}, {{1, 0xC2}, {1, 0xC3}}},
        {{"固定时钟"}, {{1, 0xC2}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.areas.join(QLatin1Char(',')).toStdString());
        PtyCard card;
        UseCard(card);
        ResetScreens();
        AddScreen(Screen(c.areas));
        StartStation();
        window->Panelother()->SendButton()->click();
        WaitSerial(card, c.expected.size());
        EXPECT_EQ(Kept(card.exchanges), c.expected);
        window.reset();
    }
}

// The buttons come back when the time synchronisation's transfer closes; "发送时钟" pressed then
// goes out, and the full send's own clock and temperature still follow it.
TEST_F(SendTest, ButtonPressedDuringAFullSendsWaitCostsTheChainNothing)
{
    timings.completion.continueDelayMs = 1; // the wait ends before the operator's transfer does
    PtyCard card;
    UseCard(card);
    AddScreen(Screen({"固定时钟", "固定温度"}));
    StartStation();
    bool pressed = false;
    QObject::connect(window->Serial(), &SerialLink::TransferClosed, [&] {
        if (!pressed && ButtonsEnabled(true)) {
            pressed = true;
            window->Panelother()->SendClockButton()->click();
        }
    });
    window->Panelface()->SendAllButton()->click();
    WaitSerial(card, 4);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xC2}, {1, 0xC2}, {1, 0xC3}}));
}

TEST_F(SendTest, SendButtonsSayWhatIsMissingAndSendNothing)
{
    PtyCard card;
    UseCard(card);
    AddScreen(Screen({"主区", "小字幕"}));
    AddMainPages(0, 1);
    StartStation();

    window->Title()->SendButton()->click();
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages.value(0).text, "没有添加字幕页,请添加字幕页!");

    // The list still shows the page, but the file has gone.
    ASSERT_TRUE(QFile::remove(Path("Tavrel1.dat")));
    window->Panelmain()->SendButton()->click();
    EXPECT_EQ(window->CommStatus(), "没有找到Tavrel1.dat文件！");
    EXPECT_FALSE(window->Serial()->HasTransfer());
    EXPECT_TRUE(ButtonsEnabled(true)); // nothing was sent, so nothing would give them back
    QTest::qWait(100);
    EXPECT_TRUE(card.received.isEmpty());
}

TEST_F(SendTest, MainAreaSendShowsItsProgressAndResetSendsTheParameters)
{
    PtyCard card;
    UseCard(card);
    AddScreen(Screen({"主区"}));
    AddMainPages(0, 2);
    StartStation();
    QProgressBar *bar = window->Panelface()->ProgressBar();

    window->Panelmain()->SendButton()->click();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), ReadFile("Tavrel1.dat").size());
    // A second request while the transfer exists is dropped.
    window->ResetScreenParams();
    WaitSerial(card, 1);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xD1}}));

    window->Command("设置/重置屏参")->trigger();
    EXPECT_TRUE(ButtonsEnabled(true)); // the parameters do not take the buttons
    WaitSerial(card, 2);
    EXPECT_EQ(Kept(card.exchanges).back(), std::make_pair(1, 0xC1));
}

// A controller that goes away in the middle of a full send: its boxes, then no bar left over the
// buttons, a status that says what happened and what to do, and a next send that says so too.
TEST_F(SendTest, LostConnectionIsReportedAndTheNextSendSaysSo)
{
    TcpCard card;
    // Gone while the main area's frame comes, after the time synchronisation went through.
    card.closeAfter = 2 + BuildTimeSyncFrame(0, QDateTime::currentDateTime()).size() + 2 + 1;
    AddScreen(NetScreen({"主区"}, card.Port()));
    AddMainPages(0, 2);
    StartStation();
    ConnectTo(0);
    QProgressBar *bar = window->Panelface()->ProgressBar();
    const QString lost = "状态:与1号显示屏的网络连接已断开，请点击连接IP";

    window->Panelface()->SendAllButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt.messages.size() >= 2; }, 10000));
    EXPECT_EQ(prompt.MessageTexts("系统提示"), QStringList({"服务器已关闭，请稍后再拨.......", "连接被重置！"}));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(window->CommStatus(), lost);
    QTest::qWait(3 * timings.net.watchMs); // the watch does not paint over it
    EXPECT_EQ(window->CommStatus(), lost);

    window->ShowCommStatus(QString());
    window->Panelface()->SendAllButton()->click();
    EXPECT_EQ(window->CommStatus(), lost);
    window->Panelmain()->SendButton()->click();
    EXPECT_EQ(window->CommStatus(), lost);
    EXPECT_FALSE(bar->isVisible());

    // "连接IP" brings the link back.
    card.closeAfter = -1;
    ConnectTo(0);
    window->Panelface()->SendAllButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->CommStatus() == "状态:向1号显示屏发送主区域数据成功！"; }, 10000));
}

// Each command says what it did, and the status panel shows the selected screen's own last
// exchange.
TEST_F(SendTest, StatusShowsEachCommandsOwnTextForTheSelectedScreen)
{
    TcpCard card;
    AddScreen(NetScreen({"主区"}, card.Port()));
    AddScreen(Screen({"主区"}));
    StartStation();
    ConnectTo(0);
    const struct {
        const char *command;
        QString success;
    } cases[] = {
        {"测试/全屏红", "状态:向1号显示屏测试显示屏成功！"},
        {"控制/取消定时", "状态:向1号显示屏取消所有定时播放列表成功！"},
        {"设置/重置屏参", "状态:向1号显示屏加载屏参数成功！"},
        {"测试/退出测试", "状态:向1号显示屏测试显示屏成功！"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        window->Command(c.command)->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->CommStatus() == c.success; }, 10000))
            << window->CommStatus().toStdString();
    }

    Click(ScreenNode(1));
    EXPECT_EQ(window->CommStatus(), "状态："); // no exchange with screen 2 yet
    Click(ScreenNode(0));
    EXPECT_EQ(window->CommStatus(), "状态:向1号显示屏测试显示屏成功！");
}

TEST_F(SendTest, SerialGroupSendWalksEveryScreenAndEndsOnTheLast)
{
    PtyCard card;
    UseCard(card);
    for (int k = 0; k < 3; ++k)
        AddScreen(Screen({"主区"}));
    AddMainPages(0, 1);
    AddMainPages(2, 2); // screen 2 has no pages and gets only the time
    StartStation();

    window->Command("群发")->trigger();
    WaitSerial(card, 5);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xD1}, {2, 0xCE}, {3, 0xCE}, {3, 0xD1}}));
    EXPECT_FALSE(window->Sequence().MultiScreenWalk());
    EXPECT_EQ(table.CurrentScreen, 2);
    // What is shown follows the walk.
    EXPECT_EQ(Tree()->currentItem(), ScreenNode(2));
    EXPECT_EQ(window->Panelmain()->PageCount(), 2);
}

TEST_F(SendTest, SerialWalkSendsANetworkScreenOverTheNetworkAndStopsThere)
{
    PtyCard serialCard;
    UseCard(serialCard);
    TcpCard netCard;
    AddScreen(Screen({"固定时钟"}));
    AddScreen(NetScreen({"固定时钟"}, netCard.Port()));
    AddScreen(Screen({"固定时钟"}));
    StartStation();

    window->Command("群发")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Kept(netCard.exchanges).size() >= 2; }, 20000));
    QTest::qWait(300);
    EXPECT_EQ(Kept(serialCard.exchanges), (Sent{{1, 0xCE}, {1, 0xC2}}));
    EXPECT_EQ(Kept(netCard.exchanges), (Sent{{2, 0xCE}, {2, 0xC2}}));
    // No completion notice comes from the network link: the walk waits on screen 2.
    EXPECT_TRUE(window->Sequence().MultiScreenWalk());
    EXPECT_EQ(table.CurrentScreen, 1);
}

TEST_F(SendTest, SelectionDialogKeepsTheListSavedAndSendsToItsScreensOnly)
{
    PtyCard card;
    UseCard(card);
    for (int k = 0; k < 3; ++k)
        AddScreen(Screen({"固定时钟"}));
    StartStation();

    window->Command("控制/选择发送")->trigger();
    auto *dialog = window->findChild<SendSelectionDialog *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "选择发送列表");
    ASSERT_EQ(dialog->ScreenList()->count(), 3);
    dialog->AddButton()->click();
    dialog->AddButton()->click();
    dialog->ScreenList()->setCurrentRow(2);
    dialog->AddButton()->click();
    ASSERT_EQ(dialog->SendList()->count(), 2);
    EXPECT_EQ(dialog->SendList()->item(0)->text(), "1号显示屏发送");
    EXPECT_EQ(dialog->SendList()->item(1)->text(), "3号显示屏发送");
    ConfigStore saved;
    ScreenTable reloaded;
    LoadScreenTable(saved, reloaded);
    EXPECT_TRUE(reloaded[0].SendSelected);
    EXPECT_FALSE(reloaded[1].SendSelected);
    EXPECT_TRUE(reloaded[2].SendSelected);

    dialog->SendButton()->click();
    WaitSerial(card, 4);
    EXPECT_EQ(Kept(card.exchanges), (Sent{{1, 0xCE}, {1, 0xC2}, {3, 0xCE}, {3, 0xC2}}));
    EXPECT_FALSE(window->Sequence().MultiScreenWalk());
}

TEST_F(SendTest, NetworkGroupSendGivesEachScreenItsMainArea)
{
    TcpCard first;
    TcpCard second;
    // Screen 1's frame goes in two blocks with a pause longer than the walk's tick: the walk waits.
    ScreenInfo big = NetScreen({"主区"}, first.Port());
    big.Width = 1024;
    big.Height = big.MainHeight = 290;
    AddScreen(big);
    AddScreen(NetScreen({"主区", "固定时钟"}, second.Port()));
    AddMainPages(0, 2);
    AddMainPages(1, 2);
    timings.net.blockPauseMs = 400;
    StartStation();
    ASSERT_GT(ReadFile("Tavrel1.dat").size(), 131093 + 1);
    Click(ScreenNode(0));

    window->Command("群发")->trigger();
    EXPECT_TRUE(window->NetworkWalkRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->NetworkWalkRunning(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Kept(second.exchanges).empty(); }, 5000))
        << "status " << window->CommStatus().toStdString() << ", socket state "
        << int(window->Net()->ClientSocket()->state()) << ", connections " << second.connections;
    EXPECT_EQ(Kept(first.exchanges), (Sent{{1, 0xD1}}));
    EXPECT_EQ(first.Card().Memory().Screen(1)[CardSlot::Pages], ReadFile("Tavrel1.dat"));
    EXPECT_EQ(Kept(second.exchanges), (Sent{{2, 0xD1}}));
    EXPECT_EQ(table.CurrentScreen, 1);
}

TEST_F(SendTest, SelectingANetworkScreenConnectsToIt)
{
    TcpCard card;
    AddScreen(Screen({"主区"}));
    AddScreen(NetScreen({"主区"}, card.Port()));
    StartStation();
    Click(ScreenNode(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return card.connections == 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->CommStatus() == "状态:已与2号显示屏建立一个网络连接！"; }, 5000));
    EXPECT_TRUE(window->Command("连接IP")->isEnabled());
}

} // namespace
} // namespace pelvoro::test
