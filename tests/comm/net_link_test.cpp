// The network link against a controller card behind a local TCP server, with shortened waits:
// every command, the connection watch, blocks of large frames, replies that are not echoes, the
// follow-ups of a full send, and the socket's errors.
#include "comm/frames.h"
#include "comm/net_link.h"
#include "comm/send_sequence.h"
#include "config/screen_info.h"
#include "sim/controller_card.h"
#include "support/fake_cards.h"
#include "support/scripted_peer.h"
#include "support/scripted_prompt.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

using test::Request;
using test::TcpCard;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

ScreenInfo NetScreen(quint16 port)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CommMode = kCommModeNetwork;
    s.IpAddress = QStringLiteral(" 127.0.0.1 ");
    s.IpPort = port;
    s.Width = 64;
    s.Height = 32;
    s.MainHeight = 16;
    s.ColorMode = 1;
    return s;
}

QByteArray PageFile(int address, int w, int h, int pages)
{
    return test::MainAreaFile(address, w, h, pages, Hex("01"));
}

QByteArray SubtitleFile()
{
    return test::SubtitleStripFile(1, 1);
}

class NetLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timings_.watchMs = 50;
        timings_.blockPauseMs = 300;
        timings_.followUpMs = 200;
        table_.LastIndex = 1;
    }

    // A link connected to `card` for screen 1 (index 0), current.
    std::unique_ptr<NetLink> Connected(TcpCard &card)
    {
        table_[0] = NetScreen(card.Port());
        table_[1] = NetScreen(card.Port());
        table_.CurrentScreen = 0;
        auto link = std::make_unique<NetLink>(table_, prompt_, timings_);
        QObject::connect(link.get(), &NetLink::StatusText, [this](const QString &text) { status_ << text; });
        link->ConnectScreen(0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !link->Timerlink()->isActive() && card.connections == 1; }, 5000));
        EXPECT_EQ(status_.last(), QStringLiteral("状态:已与1号显示屏建立一个网络连接！"));
        status_.clear();
        return link;
    }

    NetTimings timings_;
    ScreenTable table_;
    test::ScriptedPrompt prompt_;
    QStringList status_;
};

TEST(NetLinkRules, BlocksOfLargeFrames)
{
    const qint64 h2 = 13 + 4 * 2 + 131072; // H for two pages
    const struct {
        qint64 length;
        int pages;
        std::vector<qint64> blocks;
    } cases[] = {
        {12, 0, {12}},        {300000, 2, {131093, 131072, 37835}}, {h2 + 1, 2, {h2 + 1}},
        {h2 + 2, 2, {h2, 2}}, {h2 + 131073, 2, {h2, 131073}},       {h2 + 131074, 2, {h2, 131072, 2}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlanNetBlocks(c.length, c.pages), c.blocks) << c.length;
}

TEST(NetLinkRules, SocketErrorTexts)
{
    EXPECT_EQ(SocketErrorTexts(SocketErrorCode(QAbstractSocket::RemoteHostClosedError)),
              (QStringList{QStringLiteral("服务器已关闭，请稍后再拨......."), QStringLiteral("连接被重置！")}));
    EXPECT_EQ(SocketErrorTexts(10053),
              (QStringList{QStringLiteral("服务器已关闭，请稍后再拨......."), QStringLiteral("软件导致连接退出！")}));
    EXPECT_EQ(SocketErrorTexts(SocketErrorCode(QAbstractSocket::NetworkError)),
              QStringList{QStringLiteral("网络不可达！")});
    EXPECT_EQ(SocketErrorTexts(SocketErrorCode(QAbstractSocket::AddressInUseError)),
              QStringList{QStringLiteral("地址已经被使用！")});
    EXPECT_EQ(SocketErrorTexts(SocketErrorCode(QAbstractSocket::SocketAccessError)),
              QStringList{QStringLiteral("访问被拒绝！")});
    EXPECT_EQ(SocketErrorTexts(10004), QStringList{QStringLiteral("操作被终止！")});
    EXPECT_EQ(SocketErrorTexts(10056), QStringList{QStringLiteral("Socket 已经连接！")});
    // Conditions the operator's table does not list show nothing.
    for (auto error : {QAbstractSocket::ConnectionRefusedError, QAbstractSocket::HostNotFoundError,
                       QAbstractSocket::SocketTimeoutError, QAbstractSocket::UnknownSocketError,
                       QAbstractSocket::ProxyConnectionRefusedError})
        EXPECT_TRUE(SocketErrorTexts(SocketErrorCode(error)).isEmpty()) << int(error);
}

// Every command: the address, the frame on the echo, the success text of its reply kind on the
// second echo; the card keeps the frame.
TEST_F(NetLinkTest, EveryCommandIsAcknowledgedWithItsText)
{
    TcpCard card;
    auto link = Connected(card);
    const QDateTime now(QDate(2024, 3, 5), QTime(8, 0, 9));
    const ScreenInfo &screen = table_[0];
    const struct {
        QByteArray frame;
        const char *success;
    } cases[] = {
        {BuildParamFrame(0, screen), "加载屏参数成功！"},
        {BuildClockFrame(0, screen, {8, 16}, now), "发送时钟区域数据成功！"},
        {BuildTempFrame(0, screen, {40, 16}), "发送温度区域数据成功！"},
        {BuildTimeSyncFrame(0, now), "发送校时数据成功！"},
        {BuildPowerFrame(0, true), "强制开机成功！"},
        {BuildPowerFrame(0, false), "强制关机成功！"},
        // The commands that share a reply kind say what they did.
        {BuildTestFrame(0, 0), "测试显示屏成功！"},
        {BuildCancelScheduleFrame(0), "取消所有定时播放列表成功！"},
        {BuildScheduleFrame(0, std::vector<ScheduleRecord>(3)).frame, "发送定时播放列表成功！"},
        {BuildImageFrame(0, 0, QByteArray(1000, char(0x11))).frame, "下载FPGA程序成功！"},
        {BuildImageFrame(0, 1, QByteArray(10, char(0x22))).frame, "加载户外配置程序成功！"},
        {PageFile(1, 64, 16, 2), "发送主区域数据成功！"},
        {SubtitleFile(), "发送字幕区域数据成功！"},
        {BuildGlyphFrame(0, 8, 16, QByteArray(GlyphBytes(8, 16), char(0x33))).frame, "下载字模数据成功！"},
    };
    QSignalSpy acknowledged(link.get(), &NetLink::Acknowledged);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.frame.left(2).toHex().toStdString());
        status_.clear();
        card.received.clear();
        acknowledged.clear();
        const SendRequest request = Request(0, c.frame);
        link->NetSend(request);
        ASSERT_TRUE(QTest::qWaitFor([&] { return acknowledged.count() == 1; }, 5000));
        EXPECT_EQ(acknowledged[0][0].value<ReplyKind>(), request.replyKind);
        EXPECT_EQ(card.received, Hex("0101") + c.frame);
        EXPECT_EQ(status_, (QStringList{QStringLiteral("状态:正在向1号显示屏发送数据..."),
                                        QStringLiteral("状态:向1号显示屏") + QString::fromUtf8(c.success)}));
        const std::optional<CardSlot> slot = CardSlotOf(c.frame);
        if (slot) {
            EXPECT_EQ(card.Card().Memory().Screen(1)[*slot], c.frame);
        }
    }
    EXPECT_EQ(link->NetworkPageCount(), 2);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(NetLinkTest, WatchReportsTheConnection)
{
    TcpCard card;
    table_[0] = NetScreen(card.Port());
    table_[0].IpAddress = QStringLiteral("127.0.0.1");
    NetLink link(table_, prompt_, timings_);
    QObject::connect(&link, &NetLink::StatusText, [this](const QString &text) { status_ << text; });
    // Before the first connect the socket's host is the default, not the screen's.
    EXPECT_EQ(link.Host(), QStringLiteral("192.168.0.7"));
    EXPECT_EQ(link.Port(), 1024);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status_.size() >= 2; }, 2000));
    EXPECT_EQ(status_.first(), QStringLiteral("状态:请先点击连接IP再发送数据！"));
    EXPECT_TRUE(link.Timerlink()->isActive());

    status_.clear();
    link.ConnectScreen(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link.Timerlink()->isActive(); }, 5000));
    ASSERT_FALSE(status_.isEmpty());
    EXPECT_EQ(status_.last(), QStringLiteral("状态:已与1号显示屏建立一个网络连接！"));

    // A screen on a serial line: the watch says nothing and connecting only closes the socket.
    table_[1] = DefaultScreenInfo();
    table_.LastIndex = 1;
    table_.CurrentScreen = 1;
    status_.clear();
    link.ConnectScreen(1);
    QTest::qWait(200);
    EXPECT_TRUE(status_.isEmpty());
    EXPECT_EQ(link.ClientSocket()->state(), QAbstractSocket::UnconnectedState);
}

TEST_F(NetLinkTest, WatchKeepsAskingUntilTheConnectionStands)
{
    // Nothing listens on this port: the host matches, the connection never stands.
    const test::ClosedPort dead;
    ASSERT_NE(dead.Port(), 0);
    table_[0] = NetScreen(dead.Port());
    NetLink link(table_, prompt_, timings_);
    QObject::connect(&link, &NetLink::StatusText, [this](const QString &text) { status_ << text; });
    link.ConnectScreen(0);
    EXPECT_EQ(link.Host().trimmed(), QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return status_.size() >= 4; }, 3000));
    for (const QString &text : status_)
        EXPECT_EQ(text, QStringLiteral("状态:请先点击连接IP再发送数据！"));
    EXPECT_TRUE(link.Timerlink()->isActive());
    // A refused connection is not in the operator's table: no message box.
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

// A large main-area frame goes out in blocks with pauses between them and no status text; what is
// asked meanwhile runs when the last block is out, as it did after the station's blocking wait.
TEST_F(NetLinkTest, LargeFrameGoesInBlocks)
{
    TcpCard card;
    auto link = Connected(card);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::pair<qint64, qint64>> blocks; // (bytes sent so far, ms)
    QStringList statusAfterBlocks;
    QObject::connect(link.get(), &NetLink::BlockSent, [&](qint64 sent, qint64) {
        blocks.push_back({sent, clock.elapsed()});
        statusAfterBlocks = status_;
    });

    const QByteArray big = PageFile(1, 1024, 290, 2); // 148502 bytes: H and the rest
    ASSERT_EQ(big.size(), 148502);
    link->NetSend(Request(0, big));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !blocks.empty(); }, 5000));
    EXPECT_TRUE(link->Busy());
    const qint64 h = 13 + 4 * 2 + 131072;
    EXPECT_EQ(blocks[0].first, h);
    // Asked during the pause: its address goes out after the last block, not inside the frame.
    link->NetSend(Request(0, BuildTestFrame(0, 2)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return card.received.size() >= 2 + big.size() + 2; }, 10000))
        << card.received.size() << " bytes, " << blocks.size() << " blocks";

    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].first, big.size());
    EXPECT_GE(blocks[1].second - blocks[0].second, 250);
    EXPECT_EQ(card.received.left(2 + big.size() + 2), Hex("0101") + big + Hex("0101"));
    ASSERT_FALSE(card.exchanges.empty());
    EXPECT_EQ(card.exchanges[0].outcome, CardExchange::Outcome::Acknowledged);
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Pages], big);
    // The frame in blocks shows no sending text.
    EXPECT_TRUE(statusAfterBlocks.isEmpty());
}

// A connect asked for while a frame goes out in blocks waits for the frame's last byte to leave.
TEST_F(NetLinkTest, ConnectDuringBlocksLetsTheFrameFinish)
{
    TcpCard card;
    auto link = Connected(card);
    const QByteArray big = PageFile(1, 1024, 290, 2);
    link->NetSend(Request(0, big));
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->Busy() && card.received.size() > 2; }, 5000));
    link->ConnectScreen(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return card.connections == 2; }, 10000));
    // Everything came over the first connection; the second one has sent nothing yet.
    EXPECT_EQ(card.received, Hex("0101") + big);
}

// Only the one character A is an echo; nothing else moves the exchange.
TEST_F(NetLinkTest, RepliesThatAreNotEchoesAreIgnored)
{
    TcpCard card;
    QByteArray reply;
    card.script = [&](const QByteArray &) { return reply; };
    auto link = Connected(card);
    const SendRequest request = Request(0, BuildParamFrame(0, table_[0]));

    for (const char *hex : {"0101", "010d0a", "0100", "02", ""}) {
        SCOPED_TRACE(hex);
        card.received.clear();
        reply = Hex(hex);
        link->NetSend(request);
        ASSERT_TRUE(QTest::qWaitFor([&] { return card.received.size() >= 2; }, 5000));
        QTest::qWait(150); // time for a frame that should not follow
        EXPECT_EQ(card.received, Hex("0101")) << "the frame went out without an echo";
        EXPECT_TRUE(link->AwaitingEcho());
    }
    // An echo for screen 1 while screen 2 is current is ignored too.
    table_.CurrentScreen = 1;
    card.received.clear();
    reply = Hex("01");
    link->NetSend(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return card.received.size() >= 2; }, 5000));
    QTest::qWait(150);
    EXPECT_EQ(card.received, Hex("0101"));
    EXPECT_TRUE(status_.filter(QStringLiteral("发送数据")).isEmpty());
}

// After the full send's first acknowledgement the pending parts follow one per acknowledgement,
// each followUpMs later, in the reply kind's order.
TEST_F(NetLinkTest, AcknowledgementsStartTheNextPart)
{
    TcpCard card;
    auto link = Connected(card);
    ScreenInfo clockAndSubtitle = table_[0];
    clockAndSubtitle.Areas = {QString(), QStringLiteral("固定时钟"), QString(), QStringLiteral("小字幕")};
    SendSequence sequence;
    sequence.BeginFullSend(clockAndSubtitle, false, true);
    link->SetSequence(&sequence);

    QElapsedTimer clock;
    std::vector<std::pair<SendPart, qint64>> due;
    QObject::connect(link.get(), &NetLink::FollowUpDue, [&](SendPart part) {
        due.push_back({part, clock.elapsed()});
        // The owner presses the part's button.
        if (part == SendPart::Clock)
            link->NetSend(Request(0, BuildClockFrame(0, table_[0], {0, 0}, QDateTime::currentDateTime())));
        else
            link->NetSend(Request(0, BuildTestFrame(0, 1)));
    });
    QSignalSpy acknowledged(link.get(), &NetLink::Acknowledged);
    clock.start();
    link->NetSend(Request(0, PageFile(1, 64, 16, 1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return acknowledged.count() == 3; }, 10000));
    QTest::qWait(400);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].first, SendPart::Clock);
    EXPECT_EQ(due[1].first, SendPart::Subtitle);
    EXPECT_GE(due[1].second - due[0].second, 150);
    EXPECT_FALSE(sequence.Pending().Any());
    EXPECT_FALSE(link->FollowUpScheduled());
    EXPECT_EQ(acknowledged[0][0].value<ReplyKind>(), ReplyKind::MainArea);
    EXPECT_EQ(acknowledged[1][0].value<ReplyKind>(), ReplyKind::Clock);
}

// The controller goes away in the middle of a frame: the operator is told in two boxes.
TEST_F(NetLinkTest, ConnectionClosedMidFrameShowsTheTexts)
{
    TcpCard card;
    card.closeAfter = 2 + 100;
    auto link = Connected(card);
    QSignalSpy acknowledged(link.get(), &NetLink::Acknowledged);
    link->NetSend(Request(0, PageFile(1, 1024, 290, 2)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt_.messages.size() >= 2; }, 5000));
    EXPECT_EQ(prompt_.messages[0].text, QStringLiteral("服务器已关闭，请稍后再拨......."));
    EXPECT_EQ(prompt_.messages[1].text, QStringLiteral("连接被重置！"));
    for (const auto &shown : prompt_.messages) {
        EXPECT_EQ(shown.caption, QStringLiteral("系统提示"));
        EXPECT_EQ(shown.icon, PromptIcon::Error);
    }
    EXPECT_EQ(link->ClientSocket()->state(), QAbstractSocket::UnconnectedState);
    EXPECT_EQ(acknowledged.count(), 0);
    EXPECT_EQ(status_.last(), NetConnectionLostText(0)); // what happened and what to do
    // The link is free again: a later send is not held back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link->Busy(); }, 5000));
}

// Without a connection nothing is sent or kept, and the status says why.
TEST_F(NetLinkTest, NotConnectedSendsNothingAndSaysSo)
{
    table_[0] = NetScreen(1);
    NetLink link(table_, prompt_, timings_);
    QObject::connect(&link, &NetLink::StatusText, [this](const QString &text) { status_ << text; });
    QSignalSpy lost(&link, &NetLink::ConnectionLost);
    link.NetSend(Request(0, BuildPowerFrame(0, true)));
    EXPECT_FALSE(link.AwaitingEcho());
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(status_, QStringList{QStringLiteral("状态:请先点击连接IP再发送数据！")});
    EXPECT_EQ(link.ClientSocket()->bytesToWrite(), 0);
    QTest::qWait(100);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(NetLinkTest, RequestMadeWhileConnectingGoesOutOnceConnected)
{
    TcpCard card;
    table_[0] = NetScreen(card.Port());
    NetLink link(table_, prompt_, timings_);
    // Pending from before the connect: forgotten by it.
    link.NetSend(Request(0, BuildPowerFrame(0, false)));
    link.ConnectScreen(0);
    EXPECT_FALSE(link.AwaitingEcho());
    link.NetSend(Request(0, BuildPowerFrame(0, true)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card.exchanges.empty(); }, 5000));
    ASSERT_EQ(card.exchanges.size(), 1u);
    EXPECT_EQ(card.exchanges[0].outcome, CardExchange::Outcome::Acknowledged);
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Power], BuildPowerFrame(0, true));
}

} // namespace
} // namespace pelvoro
