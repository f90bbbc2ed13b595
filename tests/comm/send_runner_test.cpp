// The full send run by SendRunner against controller cards behind a pseudo-terminal and a local
// TCP server, with shortened waits: its order on both links, a part that cannot start, the
// network follow-up dropped after a screen change, the end report, and the serial walk's hook.
#include "comm/net_link.h"
#include "comm/send_runner.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"
#include "pages/data_files.h"
#include "support/app_dir_fixture.h"
#include "support/fake_cards.h"
#include "support/scripted_prompt.h"

#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;
const QStringList kAllAreas = {"主区", "固定时钟", "固定温度", "小字幕"};

enum class Link { Serial, Network };

class SendRunnerTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        serialTimings_ = SerialTimings{.normalAnswerMs = 300,
                                       .zpKqAnswerMs = 300,
                                       .zpKqPerBlockMs = 0,
                                       .finalAnswerMs = 600,
                                       .phasePauseMs = 10,
                                       .settleMs = 1,
                                       .successWaitMs = 1,
                                       .chunkWriteMs = 2000,
                                       .waitForLine = false}; // the card reads the pseudo-terminal at once
        netTimings_ = NetTimings{.watchMs = 50, .blockPauseMs = 10, .followUpMs = 40};
    }
    void TearDown() override
    {
        runner_.reset();
        net_.reset();
        serial_.reset();
        qunsetenv("PELVORO_COM7");
        AppDirTest::TearDown();
    }

    // Screen k + 1: 64 x 64 dual colour with `areas` in slot order, over `link`.
    void AddScreen(const QStringList &areas, Link link = Link::Serial, quint16 port = 0)
    {
        ScreenInfo &s = table_[++table_.LastIndex];
        s = DefaultScreenInfo();
        s.Width = 64;
        s.Height = 64;
        s.ColorMode = 1;
        s.MainHeight = 32;
        s.TitleHeight = 16;
        s.ComPort = kComPort;
        s.BaudIndex = 3;
        for (int k = 0; k < areas.size(); ++k)
            s.Areas[size_t(k)] = areas[k];
        if (link == Link::Network) {
            s.CommMode = kCommModeNetwork;
            s.IpAddress = QStringLiteral("127.0.0.1");
            s.IpPort = port;
        }
    }
    // Two main-area pages and one subtitle page for screen `index`.
    void WriteFiles(int index)
    {
        WriteFile(PageFileName(index), MainAreaFile(index + 1, 64, 32, 2, QByteArray::fromHex("a5")));
        WriteFile(SubtitleFileName(index), SubtitleStripFile(index + 1, 1));
    }
    void Start(SendRunnerHooks hooks = {})
    {
        serial_ = std::make_unique<SerialLink>(prompt_, serialTimings_);
        net_ = std::make_unique<NetLink>(table_, prompt_, netTimings_);
        runner_ = std::make_unique<SendRunner>(table_, *serial_, *net_, completionTimings_, std::move(hooks));
        QObject::connect(runner_.get(), &SendRunner::StatusText, [this](const QString &text) { status_ << text; });
        QObject::connect(runner_.get(), &SendRunner::FullSendEnded,
                         [this](const FullSendReport &report) { reports_.push_back(report); });
    }
    void UseCard(const PtyCard &card)
    {
        ASSERT_TRUE(card.Ok());
        qputenv("PELVORO_COM7", card.Device().toLocal8Bit());
    }
    void ConnectTo(int screen)
    {
        table_.CurrentScreen = screen;
        net_->ConnectScreen(screen);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return net_->ClientSocket()->state() == QAbstractSocket::ConnectedState; }, 5000));
    }
    bool WaitForReports(size_t count)
    {
        return QTest::qWaitFor([&] { return reports_.size() >= count; }, 20000);
    }

    SerialTimings serialTimings_;
    NetTimings netTimings_;
    CompletionTimings completionTimings_{.closeDelayMs = 1, .continueDelayMs = 40};
    ScreenTable table_{.LastIndex = -1};
    ScriptedPrompt prompt_;
    std::unique_ptr<SerialLink> serial_;
    std::unique_ptr<NetLink> net_;
    std::unique_ptr<SendRunner> runner_;
    QStringList status_;
    std::vector<FullSendReport> reports_;
};

// The time first, then each part the screen has in the link's order; a part whose file is damaged
// says why and gives way to the next pending part, and the end report tells it was refused.
TEST_F(SendRunnerTest, FullSendOrderOnBothLinksAndAPartThatCannotStart)
{
    struct Case {
        const char *name;
        Link link;
        const char *damaged; // a file that cannot be sent, or none
        KeptFrames expected;
        // The screen was switched to single colour after its dual-colour files were written: they
        // still agree with their own headers and go out as they are.
        bool singleColour = false;
    };
    const Case cases[] = {
        {"serial", Link::Serial, nullptr, {{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD2}, {1, 0xD1}}},
        {"network", Link::Network, nullptr, {{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD1}, {1, 0xD2}}},
        // Each drops a part that has another after it.
        {"serial, subtitle damaged", Link::Serial, "TavrelTitle1.dat", {{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD1}}},
        {"network, main area damaged", Link::Network, "Tavrel1.dat", {{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD2}}},
        {"serial, files of the other colour mode",
         Link::Serial,
         nullptr,
         {{1, 0xCE}, {1, 0xC2}, {1, 0xC3}, {1, 0xD2}, {1, 0xD1}},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PtyCard serialCard;
        UseCard(serialCard);
        TcpCard netCard;
        table_ = ScreenTable{.LastIndex = -1};
        AddScreen(kAllAreas, c.link, netCard.Port());
        WriteFiles(0);
        if (c.singleColour)
            table_[0].ColorMode = 0;
        if (c.damaged) // the page count stays, so the part is pending; the rasters are cut short
            WriteFile(QString::fromLatin1(c.damaged), ReadFile(QString::fromLatin1(c.damaged)).left(40));
        status_.clear();
        reports_.clear();
        Start();
        if (c.link == Link::Network)
            ConnectTo(0);

        runner_->SendAll();
        ASSERT_TRUE(WaitForReports(1));
        const auto &exchanges = c.link == Link::Serial ? serialCard.exchanges : netCard.exchanges;
        EXPECT_EQ(Kept(exchanges), c.expected);
        EXPECT_TRUE((c.link == Link::Serial ? netCard.exchanges : serialCard.exchanges).empty());
        EXPECT_FALSE(runner_->Sequence().Pending().Any());
        ASSERT_EQ(reports_.size(), 1u);
        EXPECT_EQ(reports_[0].screen, 0);
        EXPECT_EQ(reports_[0].refused, c.damaged != nullptr);
        EXPECT_FALSE(reports_[0].failed);
        EXPECT_FALSE(reports_[0].abandoned);
        EXPECT_EQ(reports_[0].AllAcknowledged(), c.damaged == nullptr);
        if (c.damaged) {
            EXPECT_EQ(status_.filter(QStringLiteral("已损坏")).size(), 1) << status_.join('\n').toStdString();
            EXPECT_TRUE(status_.filter(QStringLiteral("已损坏")).value(0).startsWith(QString::fromLatin1(c.damaged)));
        }
        runner_.reset();
    }
}

// A main area whose list still shows pages but whose file has gone: the status says so, and a
// refused last part still ends the full send with its report.
TEST_F(SendRunnerTest, MissingFileShowsItsStatusAndEndsTheFullSend)
{
    PtyCard card;
    UseCard(card);
    AddScreen({"主区", "固定时钟"});
    SendRunnerHooks listShowsPages;
    listShowsPages.hasMainPages = [](int) { return true; };
    Start(listShowsPages);
    runner_->SendAll();
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xCE}, {1, 0xC2}}));
    EXPECT_EQ(status_.last(), QStringLiteral("没有找到Tavrel1.dat文件！"));
    EXPECT_TRUE(reports_[0].refused);
}

// Transfers that fail do not stop the chain: every part is tried and the report says it failed.
TEST_F(SendRunnerTest, FailedTransfersGoOnAndAreReported)
{
    PtyCard card(CardOptions{.silent = true});
    UseCard(card);
    AddScreen({"固定时钟", "固定温度"});
    Start();
    runner_->SendAll();
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(status_.filter(QStringLiteral("没有应答")).size(), 3) << status_.join('\n').toStdString();
    EXPECT_TRUE(reports_[0].failed);
    EXPECT_FALSE(reports_[0].refused);
    EXPECT_FALSE(reports_[0].AllAcknowledged());
}

// The buttons come back when a transfer closes: an operator's request started in the wait before
// the chain's next part holds the link, and the chain's part (or the walk's next screen) goes
// after it instead of being dropped.
TEST_F(SendRunnerTest, OperatorRequestDuringTheWaitDelaysTheChain)
{
    struct Case {
        const char *name;
        int screens;
        QStringList areas;
        int pressAtClose; // the operator presses "发送时钟" of screen 1 when this transfer closes
        KeptFrames expected;
    };
    const Case cases[] = {
        {"full send", 1, {"固定时钟", "固定温度"}, 1, {{1, 0xCE}, {1, 0xC2}, {1, 0xC2}, {1, 0xC3}}},
        {"serial walk", 2, {"固定时钟"}, 2, {{1, 0xCE}, {1, 0xC2}, {1, 0xC2}, {2, 0xCE}, {2, 0xC2}}},
    };
    // The wait ends long before the operator's transfer does.
    completionTimings_.continueDelayMs = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PtyCard card;
        UseCard(card);
        table_ = ScreenTable{.LastIndex = -1};
        for (int k = 0; k < c.screens; ++k)
            AddScreen(c.areas);
        reports_.clear();
        Start();
        int closed = 0;
        QObject::connect(serial_.get(), &SerialLink::TransferClosed, [&] {
            if (++closed == c.pressAtClose) {
                EXPECT_TRUE(runner_->Send(SendPart::Clock));
            }
        });
        if (c.screens > 1)
            runner_->StartSerialWalk(false);
        else
            runner_->SendAll();
        ASSERT_TRUE(WaitForReports(size_t(c.screens)));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !runner_->Sequence().MultiScreenWalk(); }, 5000));
        EXPECT_EQ(Kept(card.exchanges), c.expected);
        for (const FullSendReport &report : reports_)
            EXPECT_TRUE(report.AllAcknowledged());
        runner_.reset();
    }
}

// The stall watch (pelvoro-cli send --timeout) counts only the waits on the controller: a frame
// whose pauses are each longer than the watch goes through, a card that never answers stalls.
TEST_F(SendRunnerTest, StallWatchLeavesOutTheLinksOwnPauses)
{
    struct Case {
        const char *name;
        Link link;
        QByteArray frame;
        bool silent;
    };
    const Case cases[] = {
        {"network, two blocks", Link::Network, MainAreaFile(1, 1024, 290, 2, QByteArray::fromHex("01")), false},
        {"serial, two phases", Link::Serial, MainAreaFile(1, 512, 232, 10, QByteArray::fromHex("a5")), false},
        {"serial, no answer", Link::Serial, BuildPowerFrame(0, true), true},
    };
    constexpr int kStallMs = 300;
    netTimings_.blockPauseMs = 3 * kStallMs;
    serialTimings_.phasePauseMs = 3 * kStallMs;
    serialTimings_.normalAnswerMs = 10 * kStallMs; // the link's own limit must not end it first
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PtyCard serialCard(CardOptions{.silent = c.silent});
        UseCard(serialCard);
        TcpCard netCard;
        table_ = ScreenTable{.LastIndex = -1};
        AddScreen({"主区"}, c.link, netCard.Port());
        Start();
        if (c.link == Link::Network)
            ConnectTo(0);
        bool stalled = false;
        QObject::connect(runner_.get(), &SendRunner::Stalled, [&] { stalled = true; });
        runner_->WatchForStall(kStallMs);
        runner_->Send(Request(0, c.frame));
        const auto &exchanges = c.link == Link::Serial ? serialCard.exchanges : netCard.exchanges;
        if (c.silent) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return stalled; }, 5 * kStallMs));
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !Kept(exchanges).empty(); }, 30000));
            EXPECT_FALSE(stalled);
            EXPECT_EQ(Kept(exchanges), (KeptFrames{{1, 0xD1}}));
        }
        runner_.reset();
    }
}

// The follow-up belongs to the screen that acknowledged: selecting another screen during the
// wait drops it and the parts still pending, and the report says the send was abandoned.
TEST_F(SendRunnerTest, NetworkFollowUpIsDroppedAfterAScreenChange)
{
    TcpCard card;
    netTimings_.followUpMs = 300;
    AddScreen({"固定时钟", "固定温度"}, Link::Network, card.Port());
    AddScreen({"固定时钟", "固定温度"}, Link::Network, card.Port());
    Start();
    ConnectTo(0);
    runner_->SendAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return net_->FollowUpScheduled(); }, 5000));
    table_.CurrentScreen = 1;
    ASSERT_TRUE(WaitForReports(1));
    QTest::qWait(2 * netTimings_.followUpMs);
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xCE}}));
    EXPECT_FALSE(runner_->Sequence().Pending().Any());
    EXPECT_TRUE(reports_[0].abandoned);
    EXPECT_FALSE(reports_[0].AllAcknowledged());
}

// "选择发送" over serial: the hook shows each selected screen before its full send, and the walk
// ends after the last one.
TEST_F(SendRunnerTest, SerialWalkShowsEachSelectedScreen)
{
    PtyCard card;
    UseCard(card);
    for (int k = 0; k < 3; ++k)
        AddScreen({"固定时钟"});
    table_[0].SendSelected = true;
    table_[2].SendSelected = true;
    std::vector<int> shown;
    SendRunnerHooks hooks;
    hooks.showScreen = [&](int screen) {
        shown.push_back(screen);
        table_.CurrentScreen = screen;
    };
    Start(hooks);
    runner_->StartSerialWalk(true);
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !runner_->Sequence().MultiScreenWalk(); }, 5000));
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xCE}, {1, 0xC2}, {3, 0xCE}, {3, 0xC2}}));
    EXPECT_EQ(shown, (std::vector<int>{0, 2}));
    EXPECT_EQ(reports_[0].screen, 0);
    EXPECT_EQ(reports_[1].screen, 2);
    EXPECT_TRUE(reports_[0].AllAcknowledged() && reports_[1].AllAcknowledged());
}

} // namespace
} // namespace pelvoro::test
