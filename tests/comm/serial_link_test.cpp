// The serial link against a controller card behind a pseudo-terminal, with shortened waits: every
// command on both card families, the failure paths and their texts, broadcast, dropped requests,
// the chunk phases and pauses, and a port that goes away in the middle of a frame.
#include "comm/com_ports.h"
#include "comm/frames.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"
#include "sim/controller_card.h"
#include "support/fake_cards.h"
#include "support/scripted_prompt.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace pelvoro {
namespace {

using test::PtyCard;
using test::Request;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// Everything a transfer reported, in order.
struct Reports {
    QStringList status;
    std::vector<qint64> progress;
    std::vector<qint64> progressAtMs; // when each progress value came
    std::vector<std::pair<int, qint64>> pauses; // (ms, progress before it) of each pause the link announced
    QStringList labels;
    std::vector<QColor> labelColours;
    std::vector<int> cancelled;
    int hidden = 0;
    std::optional<SerialOutcome> outcome;
    qint64 endedAtMs = -1;
};

constexpr int kComPort = 7;

ScreenInfo Screen(const QString &card)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CardType = card;
    s.ComPort = kComPort;
    s.BaudIndex = 3;
    s.Width = 64;
    s.Height = 32;
    s.MainHeight = 16;
    s.ColorMode = 1;
    return s;
}

QByteArray PageFile(int address, int w, int h, int pages)
{
    return test::MainAreaFile(address, w, h, pages, Hex("0101aabbbbc1d10202"));
}

QByteArray SubtitleFile(int address, int pages)
{
    return test::SubtitleStripFile(address, pages);
}

class SerialLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timings_.normalAnswerMs = 300;
        timings_.zpKqAnswerMs = 300;
        timings_.zpKqPerBlockMs = 10;
        timings_.finalAnswerMs = 600;
        timings_.phasePauseMs = 300;
        timings_.settleMs = 1;
        timings_.successWaitMs = 1;
        timings_.waitForLine = false; // the card reads the pseudo-terminal at once
    }
    void TearDown() override { qunsetenv("PELVORO_COM7"); }

    void UseDevice(const QString &device) { qputenv("PELVORO_COM7", device.toLocal8Bit()); }

    // Wires the link's signals into `reports`.
    void Watch(SerialLink &link, Reports &reports)
    {
        clock_.start();
        QObject::connect(&link, &SerialLink::StatusText, [&](const QString &text) { reports.status << text; });
        QObject::connect(&link, &SerialLink::Progress, [&, this](qint64 written) {
            reports.progress.push_back(written);
            reports.progressAtMs.push_back(clock_.elapsed());
        });
        QObject::connect(&link, &SerialLink::ProgressHidden, [&] { ++reports.hidden; });
        QObject::connect(&link, &SerialLink::Pausing, [&](int ms) {
            reports.pauses.push_back({ms, reports.progress.empty() ? 0 : reports.progress.back()});
        });
        QObject::connect(&link, &SerialLink::SettingsLabel, [&](const QString &text, const QColor &colour) {
            reports.labels << text;
            reports.labelColours.push_back(colour);
        });
        QObject::connect(&link, &SerialLink::SchedulesCancelled,
                         [&](int screen) { reports.cancelled.push_back(screen); });
        QObject::connect(&link, &SerialLink::TransferEnded, [&, this](SerialOutcome outcome) {
            EXPECT_FALSE(reports.outcome.has_value()) << "a second completion notice";
            reports.outcome = outcome;
            reports.endedAtMs = clock_.elapsed();
        });
    }

    // Sends and waits for the completion notice, then closes the transfer as the owner does.
    Reports Transfer(const SendRequest &request, const SerialTarget &target, int waitMs = 10000)
    {
        SerialLink link(prompt_, timings_);
        Reports reports;
        Watch(link, reports);
        EXPECT_TRUE(link.Send(request, target));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reports.outcome.has_value(); }, waitMs)) << "no completion notice";
        link.CloseTransfer();
        return reports;
    }

    SerialTimings timings_;
    test::ScriptedPrompt prompt_;
    QElapsedTimer clock_;
};

TEST(SerialLinkRules, StatusTextsInBothWordings)
{
    SendRequest screen3 = Request(2, BuildParamFrame(2, DefaultScreenInfo()));
    SendRequest fpga = Request(2, BuildImageFrame(2, 0, Hex("0102")).frame);
    struct Case {
        SerialPhase phase;
        const char *screen;
        const char *controller;
    } const cases[] = {
        {SerialPhase::Connecting, "状态：正在连接3号显示屏...", "状态：正在连接控制器..."},
        {SerialPhase::Sending, "状态：正在向3号显示屏发送屏参数...", "状态：向控制器下载FPGA程序..."},
        {SerialPhase::NoAnswer, "状态：3号显示屏没有应答，请检查通讯线！",
         "状态：向控制器下载FPGA程序没有应答，请检查通讯线！"},
        {SerialPhase::Succeeded, "状态：向3号显示屏发送屏参数成功！", "状态：向控制器下载FPGA程序成功！"},
        {SerialPhase::NoFinalAnswer, "状态：发送3号显示屏数据过程中错误，请检查上下位机设置！",
         "状态：发送控制器下载FPGA程序数据过程中错误，请检查上下位机设置！"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SerialStatusText(c.phase, screen3), QString::fromUtf8(c.screen));
        EXPECT_EQ(SerialStatusText(c.phase, fpga), QString::fromUtf8(c.controller));
    }
}

TEST(SerialLinkRules, PreambleWaitByCardAndFrame)
{
    const SerialTimings timings;
    ScreenInfo screen = DefaultScreenInfo();
    screen.Width = 256;
    screen.MainHeight = 128;
    screen.ColorMode = 1;
    screen.CardType = kCardZpKq;
    SendRequest main = Request(0, PageFile(1, 16, 8, 3));
    main.pageCount = 3;
    // 256 * 128 * 2 * 3 / 8 = 24576 bytes of raster: six blocks of 4096.
    EXPECT_EQ(PreambleWaitMs(SerialTarget::Of(screen, false), main, timings), 3200);
    main.pageCount = 0; // no raster at all still waits for one block
    EXPECT_EQ(PreambleWaitMs(SerialTarget::Of(screen, false), main, timings), 2200);
    const SendRequest params = Request(0, BuildParamFrame(0, screen));
    EXPECT_EQ(PreambleWaitMs(SerialTarget::Of(screen, false), params, timings), 2000);
    screen.CardType = kCardNormal;
    EXPECT_EQ(PreambleWaitMs(SerialTarget::Of(screen, false), main, timings), 1000);
}

TEST(SerialLinkRules, ChunkPlans)
{
    const auto sizes = [](const std::vector<SerialChunk> &plan) {
        qint64 total = 0;
        std::vector<qint64> pausesAt; // bytes written when each pause starts
        for (const SerialChunk &chunk : plan) {
            total += chunk.bytes;
            if (chunk.pauseAfter)
                pausesAt.push_back(total);
        }
        return std::make_pair(total, pausesAt);
    };
    // A 12-byte parameter frame: one chunk.
    std::vector<SerialChunk> plan = PlanSerialChunks(CardFamily::Normal, 12, 0);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].bytes, 12);

    // 300000 bytes, 10 pages: a first phase of 53 bytes, then pauses after 131072 and 262144
    // bytes of the second phase.
    plan = PlanSerialChunks(CardFamily::Normal, 300000, 10);
    EXPECT_EQ(plan[0].bytes, 53);
    EXPECT_EQ(plan[1].bytes, 128);
    auto [total, pauses] = sizes(plan);
    EXPECT_EQ(total, 300000);
    EXPECT_EQ(pauses, (std::vector<qint64>{53 + 131072, 53 + 262144}));

    // A second phase of exactly 131073 bytes: one byte remains after the 1024th chunk, no pause.
    plan = PlanSerialChunks(CardFamily::Normal, 53 + 131073, 10);
    std::tie(total, pauses) = sizes(plan);
    EXPECT_EQ(total, 53 + 131073);
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(plan.back().bytes, 1);

    // Just below the two-phase size, and a "ZP-KQ/TQ" card of any size: one phase, no pauses.
    for (const auto &[family, length] :
         {std::pair{CardFamily::Normal, qint64(131071)}, std::pair{CardFamily::ZpKq, qint64(300000)}}) {
        plan = PlanSerialChunks(family, length, 10);
        std::tie(total, pauses) = sizes(plan);
        EXPECT_EQ(plan[0].bytes, 128);
        EXPECT_EQ(total, length);
        EXPECT_TRUE(pauses.empty());
    }
}

TEST(SerialLinkRules, ComPortsAndBaudRates)
{
    qunsetenv("PELVORO_COM12");
    EXPECT_EQ(ComPortDevice(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(ComPortDevice(12), QStringLiteral("/dev/ttyS11"));
    qputenv("PELVORO_COM12", "/dev/ttyUSB0");
    EXPECT_EQ(ComPortDevice(12), QStringLiteral("/dev/ttyUSB0"));
    qunsetenv("PELVORO_COM12");
    const std::pair<int, int> bauds[] = {{0, 9600}, {1, 28800}, {2, 57600}, {3, 115200}, {4, 9600}, {-1, 9600}};
    for (const auto &[index, baud] : bauds)
        EXPECT_EQ(BaudRateOf(index), baud) << index;
}

// Every command the station sends, to both card families: the preamble with mark parity, the
// frame with space parity, the card keeps the frame, the texts of a success.
TEST_F(SerialLinkTest, EveryCommandOnBothCardFamilies)
{
    const QDateTime now(QDate(2024, 3, 5), QTime(8, 0, 9));
    const int index = 2;
    ScheduleRecord schedule;
    const struct {
        const char *name;
        QByteArray frame;
    } frames[] = {
        {"param", BuildParamFrame(index, Screen(kCardNormal))},
        {"clock", BuildClockFrame(index, Screen(kCardNormal), {8, 16}, now)},
        {"temp", BuildTempFrame(index, Screen(kCardNormal), {40, 16})},
        {"timesync", BuildTimeSyncFrame(index, now)},
        {"power-on", BuildPowerFrame(index, true)},
        {"power-off", BuildPowerFrame(index, false)},
        {"test", BuildTestFrame(index, 8)},
        {"cancel", BuildCancelScheduleFrame(index)},
        {"schedule", BuildScheduleFrame(index, std::vector<ScheduleRecord>(2, schedule)).frame},
        {"fpga", BuildImageFrame(index, 0, QByteArray(1000, char(0x11))).frame},
        {"outdoor", BuildImageFrame(index, 1, QByteArray(300, char(0x22))).frame},
        {"main", PageFile(index + 1, 64, 16, 3)},
        {"subtitle", SubtitleFile(index + 1, 2)},
        {"glyphs", BuildGlyphFrame(index, 8, 16, QByteArray(GlyphBytes(8, 16), char(0x33))).frame},
    };
    for (const QString &cardType : {kCardNormal, kCardZpKq}) {
        for (const auto &f : frames) {
            SCOPED_TRACE(cardType.toStdString() + " " + f.name);
            CardOptions options;
            options.family = CardFamilyOf(cardType);
            PtyCard card(options);
            ASSERT_TRUE(card.Ok());
            UseDevice(card.Device());
            const SendRequest request = Request(index, f.frame);
            const Reports reports = Transfer(request, SerialTarget::Of(Screen(cardType), false));

            ASSERT_EQ(reports.outcome, SerialOutcome::Succeeded);
            EXPECT_EQ(reports.status, (QStringList{SerialStatusText(SerialPhase::Connecting, request),
                                                   SerialStatusText(SerialPhase::Sending, request),
                                                   SerialStatusText(SerialPhase::Succeeded, request)}));
            EXPECT_EQ(card.underMark, SerialPreamble(options.family, request, false));
            EXPECT_EQ(card.underSpace, f.frame);
            ASSERT_EQ(card.exchanges.size(), 1u);
            EXPECT_EQ(card.exchanges[0].outcome, CardExchange::Outcome::Acknowledged);
            const std::optional<CardSlot> slot = CardSlotOf(f.frame);
            if (slot) {
                EXPECT_EQ(card.Card().Memory().Screen(index + 1)[*slot], f.frame);
            }
            ASSERT_FALSE(reports.progress.empty());
            EXPECT_EQ(reports.progress.back(), f.frame.size());
            EXPECT_EQ(reports.hidden, 1);
            EXPECT_EQ(reports.labels, QStringList{QStringLiteral("加载参数成功!")});
            EXPECT_EQ(reports.labelColours, std::vector<QColor>{QColor(0, 128, 0)});
            EXPECT_EQ(reports.cancelled,
                      request.Code() == kCodeCancelSchedule ? std::vector<int>{index} : std::vector<int>{});
        }
    }
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

// The ways a transfer fails, with their texts; each still ends with one completion notice.
TEST_F(SerialLinkTest, FailuresShowTheirTexts)
{
    const SendRequest request = Request(0, BuildParamFrame(0, Screen(kCardNormal)));
    const QString noAnswer = SerialStatusText(SerialPhase::NoAnswer, request);
    const QString noFinal = SerialStatusText(SerialPhase::NoFinalAnswer, request);
    const QString connecting = SerialStatusText(SerialPhase::Connecting, request);
    const QString sending = SerialStatusText(SerialPhase::Sending, request);
    struct Case {
        const char *name;
        CardOptions options;
        SerialOutcome outcome;
        QStringList status;
        const char *label;
        int minMs; // the wait that must have run out
    };
    CardOptions silent, noFinalAnswer, garbage;
    silent.silent = true;
    noFinalAnswer.noFinal = true;
    garbage.garbage = true;
    const Case cases[] = {
        {"silent", silent, SerialOutcome::NoAnswer, {connecting, noAnswer}, "下位机无应答,请检查连接!", 300},
        {"no final",
         noFinalAnswer,
         SerialOutcome::NoFinalAnswer,
         {connecting, sending, noFinal},
         "加载参数失败,请重试!",
         600},
        {"garbage", garbage, SerialOutcome::NoAnswer, {connecting, noAnswer}, "下位机无应答,请检查连接!", 300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PtyCard card(c.options);
        ASSERT_TRUE(card.Ok());
        UseDevice(card.Device());
        const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), false));
        EXPECT_EQ(reports.outcome, c.outcome);
        EXPECT_EQ(reports.status, c.status);
        EXPECT_EQ(reports.labels, QStringList{QString::fromUtf8(c.label)});
        EXPECT_EQ(reports.labelColours, std::vector<QColor>{QColor(Qt::red)});
        EXPECT_EQ(reports.hidden, 1);
        EXPECT_GE(reports.endedAtMs, c.minMs - 50);
    }
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

TEST_F(SerialLinkTest, MissingPortShowsTheMessageAndEndsTheTransfer)
{
    UseDevice(QStringLiteral("/nonexistent/serial-port"));
    const SendRequest request = Request(0, BuildParamFrame(0, Screen(kCardNormal)));
    const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), false));
    EXPECT_EQ(reports.outcome, SerialOutcome::OpenFailed);
    ASSERT_EQ(prompt_.messages.size(), 1);
    EXPECT_EQ(prompt_.messages[0].text, QStringLiteral("当前串口7可能不存在或被占用,打开串口失败！请选择正确的串口号"));
    // The status panel names the device tried and why it failed.
    ASSERT_EQ(reports.status.size(), 1);
    EXPECT_TRUE(reports.status[0].startsWith(QStringLiteral("状态：COM7（/nonexistent/serial-port）打开失败：")))
        << reports.status[0].toStdString();
    EXPECT_GT(reports.status[0].size(), QStringLiteral("状态：COM7（/nonexistent/serial-port）打开失败：").size());
    EXPECT_TRUE(reports.labels.isEmpty());
}

// The card's end goes away in the middle of the frame: the chunk loop ends and the transfer
// reports at once, long before the final wait would have run out.
TEST_F(SerialLinkTest, PortLostMidFrameEndsAtOnce)
{
    timings_.finalAnswerMs = 30000;
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    card.closeAfter = 8192;
    UseDevice(card.Device());
    const QByteArray frame = PageFile(1, 512, 232, 10); // more than the pseudo-terminal buffers
    const SendRequest request = Request(0, frame);
    const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), false), 20000);
    EXPECT_EQ(reports.outcome, SerialOutcome::PortFailed);
    ASSERT_FALSE(reports.status.isEmpty());
    EXPECT_EQ(reports.status.back(), SerialStatusText(SerialPhase::NoFinalAnswer, request));
    EXPECT_EQ(reports.labels, QStringList{QStringLiteral("加载参数失败,请重试!")});
    EXPECT_LT(reports.endedAtMs, 10000);
    ASSERT_FALSE(reports.progress.empty());
    EXPECT_LT(reports.progress.back(), frame.size());
}

// With "广播" down the preamble addresses every card as 0xBB 0xBB, nobody answers, and the
// transfer counts as a success without waiting.
TEST_F(SerialLinkTest, BroadcastNeedsNoAnswer)
{
    // Waits a transfer that sat either out would clearly overrun, however busy the machine.
    constexpr int kUnsatWaitMs = 30000;
    timings_.normalAnswerMs = kUnsatWaitMs;
    timings_.finalAnswerMs = kUnsatWaitMs;
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    UseDevice(card.Device());
    const QByteArray frame = BuildTestFrame(4, 3);
    const SendRequest request = Request(4, frame);
    const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), true), kUnsatWaitMs);
    EXPECT_EQ(reports.outcome, SerialOutcome::Succeeded);
    EXPECT_EQ(reports.status.back(), QStringLiteral("状态：向5号显示屏测试显示屏成功！"));
    // Nothing waits between the preamble and the frame, so the card reads them together.
    EXPECT_EQ(card.received, Hex("bbbb") + frame);
    ASSERT_EQ(card.exchanges.size(), 1u);
    EXPECT_EQ(card.exchanges[0].outcome, CardExchange::Outcome::NotAnswered);
    EXPECT_LT(reports.endedAtMs, kUnsatWaitMs / 2) << "waited for an answer nobody gives";
}

TEST_F(SerialLinkTest, RequestsDuringATransferAreDropped)
{
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    UseDevice(card.Device());
    SerialLink link(prompt_, timings_);
    Reports reports;
    Watch(link, reports);
    const SendRequest first = Request(0, BuildPowerFrame(0, true));
    const SendRequest second = Request(0, BuildPowerFrame(0, false));
    ASSERT_TRUE(link.Send(first, SerialTarget::Of(Screen(kCardNormal), false)));
    EXPECT_FALSE(link.Send(second, SerialTarget::Of(Screen(kCardNormal), false)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.outcome.has_value(); }, 10000));
    EXPECT_EQ(reports.status.size(), 3) << "the dropped request showed something";
    // Still dropped after the notice, until the owner closes the transfer.
    EXPECT_FALSE(link.Send(second, SerialTarget::Of(Screen(kCardNormal), false)));
    QSignalSpy closed(&link, &SerialLink::TransferClosed);
    link.CloseTransfer();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(link.HasTransfer());
    ASSERT_EQ(card.exchanges.size(), 1u);
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Power], first.frame);

    // The next transfer reopens the port once the previous one let it go.
    reports = Reports{};
    ASSERT_TRUE(link.Send(second, SerialTarget::Of(Screen(kCardNormal), false)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.outcome.has_value(); }, 10000));
    EXPECT_EQ(reports.outcome, SerialOutcome::Succeeded);
    link.CloseTransfer();
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Power], second.frame);
    EXPECT_TRUE(prompt_.messages.isEmpty());
}

// An answer that arrived after its transfer gave up waits in the line: the next transfer's port
// drops it, so it cannot acknowledge that transfer's preamble for a card that says nothing.
TEST_F(SerialLinkTest, StaleAnswerDoesNotAcknowledgeTheNextPreamble)
{
    PtyCard card(CardOptions{.silent = true});
    ASSERT_TRUE(card.Ok());
    UseDevice(card.Device());
    const SendRequest request = Request(0, BuildPowerFrame(0, true));
    ControllerCard answering{CardOptions{}};
    const std::vector<QByteArray> late = answering.Feed(SerialPreamble(CardFamily::Normal, request, false)).answers;
    ASSERT_EQ(late.size(), 1u);
    card.WriteEarly(late[0]);
    const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), false));
    EXPECT_EQ(reports.outcome, SerialOutcome::NoAnswer);
    EXPECT_EQ(card.received, SerialPreamble(CardFamily::Normal, request, false)) << "the frame went out";
}

// A large frame to a "Normal" card: the page file's header and entries first, then the rest in
// 128-byte chunks with a pause after every 131072 bytes; the card gets it whole.
TEST_F(SerialLinkTest, LargeNormalFrameGoesInTwoPhasesWithPauses)
{
    timings_.phasePauseMs = 400;
    PtyCard card;
    ASSERT_TRUE(card.Ok());
    UseDevice(card.Device());
    const int pages = 10;
    const QByteArray frame = PageFile(1, 512, 232, pages); // 297014 bytes
    const qint64 head = 13 + 4 * pages;
    const SendRequest request = Request(0, frame);
    const Reports reports = Transfer(request, SerialTarget::Of(Screen(kCardNormal), false), 30000);
    ASSERT_EQ(reports.outcome, SerialOutcome::Succeeded);
    EXPECT_EQ(card.underSpace, frame);

    ASSERT_GE(reports.progress.size(), 3u);
    EXPECT_EQ(reports.progress[0], head);
    EXPECT_EQ(reports.progress[1], head + 128);
    for (size_t i = 2; i + 1 < reports.progress.size(); ++i)
        ASSERT_EQ(reports.progress[i] - reports.progress[i - 1], 128) << i;
    EXPECT_EQ(reports.progress.back(), frame.size());
    // The link pauses after the 1024th and the 2048th full chunk (and around its success report),
    // and the next chunk waits the pause out: at least half of it shows between the progress
    // reports, however late a busy machine hands the first of them over.
    std::vector<qint64> pausedAfter;
    for (const auto &[ms, written] : reports.pauses) {
        if (ms == timings_.phasePauseMs)
            pausedAfter.push_back(written);
    }
    EXPECT_EQ(pausedAfter, (std::vector<qint64>{head + 131072, head + 262144}));
    for (const qint64 written : pausedAfter) {
        const auto at = std::find(reports.progress.begin(), reports.progress.end(), written);
        ASSERT_TRUE(at != reports.progress.end() && at + 1 != reports.progress.end()) << written;
        const size_t i = size_t(at - reports.progress.begin());
        EXPECT_GE(reports.progressAtMs[i + 1] - reports.progressAtMs[i], timings_.phasePauseMs / 2) << written;
    }
}

} // namespace
} // namespace pelvoro
