// "发送定时" and "取消定时" from the main window against controller cards behind a pseudo-terminal
// and a local TCP server: the frame built from the stored schedules, the refusal of an empty page
// list, and the schedules erased after a cancel over the serial link only.
#include "app/main_area_panel.h"
#include "app/schedule_tab.h"
#include "base/gbk.h"
#include "comm/schedule_record.h"
#include "config/config_store.h"
#include "main_window_fixture.h"
#include "pages/page_store.h"
#include "support/fake_cards.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;

class ScheduleSendTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        timings = ShortLinkTimings();
    }
    void TearDown() override
    {
        qunsetenv("PELVORO_COM7");
        MainWindowTest::TearDown();
    }

    // One 64 x 32 main-area screen with `pages` pages, on COM 7 or on the network at `port`; page 2
    // limited to the dates 2024-03-05 .. 2024-12-31 and to Mondays, page 3 to 08:00:00 .. 18:30:00.
    void StartStation(int pages, std::optional<quint16> port = std::nullopt)
    {
        ScreenInfo &s = setup[0];
        s = DefaultScreenInfo();
        s.Width = 64;
        s.Height = s.MainHeight = 32;
        s.ColorMode = 1;
        s.ComPort = kComPort;
        s.BaudIndex = 3;
        s.Areas[0] = QStringLiteral("主区");
        if (port) {
            s.CommMode = kCommModeNetwork;
            s.IpAddress = QStringLiteral("127.0.0.1");
            s.IpPort = *port;
        }
        if (pages > 0) {
            PageAppender appender(setup, 0);
            for (int k = 0; k < pages; ++k)
                appender.Append(QImage(64, 32, QImage::Format_RGB32), 0, 0, 1, 1);
            ASSERT_TRUE(appender.Finish().Ok());
        }
        WriteFile("SysConfig.ini",
                  GbkLines({"[0号屏2页定时参数]", "无日期限制=1", "开始年=24", "开始月=3", "开始日=5", "结束年=24",
                            "结束月=12", "结束日=31", "开始周1=1", "[0号屏3页定时参数]", "无时间限制=1", "开始时=8",
                            "结束时=18", "结束分=30"}));
        ConfigStore store;
        int last = 0;
        ASSERT_TRUE(store.SaveLastIndex(last));
        ASSERT_TRUE(store.SaveScreens(setup, 0));
        Start();
        if (port) {
            window->ConnectIp();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return window->Net()->ClientSocket()->state() == QAbstractSocket::ConnectedState; }, 5000));
        }
    }
    ScheduleTab *Tab() const { return window->Panelmain()->findChild<ScheduleTab *>(); }
    bool HasSchedules() const
    {
        const IniDocument doc = ConfigStore().Read();
        for (int page = 1; page <= 3; ++page) {
            if (doc.HasSection(ToGbk(QStringLiteral("0号屏%1页定时参数").arg(page))))
                return true;
        }
        return false;
    }
    // Waits until the card kept `frames` frames and the link has nothing left to do.
    template <typename Card>
    void WaitFor(Card &card, size_t frames)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Kept(card.exchanges).size() >= frames; }, 20000));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return !window->Serial()->HasTransfer() && !window->Net()->AwaitingEcho() && !window->Net()->Busy();
            },
            5000));
        QTest::qWait(100);
    }
    // The 0xC6 frame the card received, as the station builds it from the stored schedules.
    static void ExpectScheduleFrame(const QByteArray &received)
    {
        const FrameResult expected = BuildScheduleFrame(0, LoadScheduleRecords(ConfigStore().Read(), 0, 3));
        ASSERT_TRUE(expected);
        ASSERT_TRUE(received.contains(expected.frame));
        const QByteArray page2 = expected.frame.mid(3 + 23, 23);
        EXPECT_EQ(page2.mid(5, 4).toHex(), "0503ff24");
        EXPECT_EQ(page2.mid(16, 7).toHex(), "01000000000000");
        EXPECT_EQ(expected.frame.mid(3, 23).toHex(), "01" + QByteArray(44, 'f'));
    }

    ScreenTable setup;
};

TEST_F(ScheduleSendTest, AnEmptyPageListIsRefusedAndNothingIsSent)
{
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    qputenv("PELVORO_COM7", card.Device().toLocal8Bit());
    StartStation(0);
    ASSERT_EQ(window->Panelmain()->PageCount(), 0);
    Tab()->SendButton()->click();
    window->Command("控制/发送定时")->trigger();
    ASSERT_EQ(prompt.messages.size(), 2);
    for (const ScriptedPrompt::Shown &shown : prompt.messages) {
        EXPECT_EQ(shown.text, "文件列表中的页码有错！");
        EXPECT_EQ(shown.caption, "提示");
        EXPECT_EQ(shown.icon, PromptIcon::Question);
    }
    QTest::qWait(200);
    EXPECT_FALSE(window->Serial()->HasTransfer());
    EXPECT_TRUE(card.received.isEmpty());
}

TEST_F(ScheduleSendTest, SerialSendThenCancelErasesTheStoredSchedules)
{
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    qputenv("PELVORO_COM7", card.Device().toLocal8Bit());
    StartStation(3);
    window->Panelmain()->SelectPage(2);
    ASSERT_FALSE(Tab()->NoDateLimit()->isChecked());

    Tab()->SendButton()->click();
    WaitFor(card, 1);
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xC6}}));
    ExpectScheduleFrame(card.received);
    EXPECT_TRUE(HasSchedules()) << "sending keeps them";

    window->Command("控制/取消定时")->trigger();
    WaitFor(card, 2);
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xC6}, {1, 0xC7}}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !HasSchedules(); }, 2000));
    QTreeWidget *list = window->Panelmain()->PageList();
    EXPECT_EQ(list->topLevelItem(1)->text(0), "数据页2");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "数据页3");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1)) << "the selected page stays selected";
    EXPECT_TRUE(Tab()->NoDateLimit()->isChecked()) << "the tab shows the erased schedule";
    EXPECT_FALSE(Tab()->Record().HasSchedule());
}

TEST_F(ScheduleSendTest, NetworkSendThenCancelKeepsTheStoredSchedules)
{
    TcpCard card;
    StartStation(3, card.Port());
    window->Command("控制/发送定时")->trigger();
    WaitFor(card, 1);
    ExpectScheduleFrame(card.received);

    window->Command("控制/取消定时")->trigger();
    WaitFor(card, 2);
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xC6}, {1, 0xC7}}));
    EXPECT_TRUE(HasSchedules());
    EXPECT_EQ(window->Panelmain()->PageList()->topLevelItem(2)->text(0), "数据页3 （从08:00:00 到 18:30:00）");
}

} // namespace
} // namespace pelvoro::test
