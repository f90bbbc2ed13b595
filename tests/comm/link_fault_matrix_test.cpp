// Both links against peers that misbehave: the controller simulator run as a process, and scripted
// peers behind a bare pseudo-terminal and a bare TCP server. Silent peers, missing final answers,
// garbage, answers just before and just after each wait runs out, connections closed in the middle
// of a frame, peers that vanish during a transfer and a second station holding the port. Each case
// must end in the link's own texts within the wait that applies, and the next send on the same link
// object must go through.
#include "comm/frames.h"
#include "comm/net_link.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"
#include "support/cli_runner.h"
#include "support/fake_cards.h"
#include "support/scripted_peer.h"
#include "support/scripted_prompt.h"
#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;
// The serial waits of the matrix, cut short; a row may lengthen one to show that a fault ends the
// transfer before it.
constexpr int kAnswerMs = 500;   // the preamble's answer, both card families
constexpr int kPerBlockMs = 250; // "ZP-KQ/TQ" main-area frames: per 4096 raster bytes
constexpr int kFinalMs = 800;    // the frame's answer
constexpr int kChunkMs = 400;    // a chunk the line does not take
// A main-area frame's time on a 115200-baud line, 11 bits a byte: longer than the final wait.
constexpr int kMainLineMs = (8192 + 100) * 11 * 1000 / 115200;
// How far before or after a wait runs out a late answer comes: wide enough that a busy machine,
// which wakes the peer and the link's worker late, does not move the answer across the wait.
constexpr int kNearMs = 250;
// How late an end may come after it was due, on a busy machine: twice the preamble's wait, yet short
// of the waits a row must not sit out (a restarted wait, the 4 s and 5 s waits a fault cuts short).
constexpr int kLateMs = 2 * kAnswerMs;
// How long a row waits for an end that does not come before it gives up.
constexpr int kGiveUpMs = 10000;

const QString kNoReplyBox = QStringLiteral("服务器已关闭，请稍后再拨.......");
const QString kResetBox = QStringLiteral("连接被重置！");

ScreenInfo SerialScreen(CardFamily family)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CardType = family == CardFamily::ZpKq ? kCardZpKq : kCardNormal;
    s.ComPort = kComPort;
    s.BaudIndex = 3;
    // 256 x 64 dual colour: two main-area pages are 8192 raster bytes, two blocks of the
    // "ZP-KQ/TQ" preamble wait.
    s.Width = 256;
    s.Height = 64;
    s.MainHeight = 64;
    s.ColorMode = 1;
    return s;
}

ScreenInfo NetScreen(quint16 port)
{
    ScreenInfo s = DefaultScreenInfo();
    s.CommMode = kCommModeNetwork;
    s.IpAddress = QStringLiteral("127.0.0.1");
    s.IpPort = port;
    s.Width = 64;
    s.Height = 32;
    s.MainHeight = 16;
    s.ColorMode = 1;
    return s;
}

enum class Frame {
    Params, // 12 bytes, one chunk or block
    Main,   // two 256 x 64 dual-colour pages, 8 KB
    Large,  // ten 512 x 232 pages, 297 KB: more than a pseudo-terminal holds, three network blocks
};

SendRequest RequestOf(Frame frame)
{
    const QByteArray pattern = QByteArray::fromHex("0102aabbbbc1d10202");
    switch (frame) {
    case Frame::Params:
        return Request(0, BuildParamFrame(0, SerialScreen(CardFamily::Normal)));
    case Frame::Main:
        return Request(0, MainAreaFile(1, 256, 64, 2, pattern));
    case Frame::Large:
        return Request(0, MainAreaFile(1, 512, 232, 10, pattern));
    }
    return {};
}

// Who holds the port while the row's send runs.
enum class Holder {
    None,
    SecondLink,    // another link object of this process, in the middle of its own transfer
    SecondProcess, // pelvoro-cli sending to the same port
    KilledProcess, // ... killed while it held the port, leaving its lock behind
};

// ---- Serial link ----

struct SerialRow {
    const char *name;
    QStringList sim = {}; // with useSim: pelvoro-sim --serial and these options
    bool useSim = false;
    PeerScript script = {}; // else: the scripted peer's behaviour
    CardFamily family = CardFamily::Normal;
    Frame frame = Frame::Params;
    int vanishAfterMs = -1;         // the peer goes away this long after the send
    qint64 vanishAfterWritten = -1; // ... once the link wrote this many frame bytes
    Holder holder = Holder::None;
    int answerMs = kAnswerMs;
    int finalMs = kFinalMs;
    int chunkMs = kChunkMs;
    bool lineTime = true; // the link counts the line's time at 115200 baud

    SerialOutcome outcome = SerialOutcome::Succeeded;
    std::optional<SerialPhase> last = {}; // the last status text; none when the port could not be opened
    int minMs = 0;                        // a wait that must have run out first
    int maxMs = 0;                        // the end is due by then (and comes by kLateMs later)
};

struct SerialSeen {
    QStringList status;
    QStringList labels;
    std::optional<SerialOutcome> outcome;
    qint64 endedAtMs = -1;
};

class LinkFaultMatrix : public ::testing::Test {
protected:
    void TearDown() override { qunsetenv("PELVORO_COM7"); }

    static void UseDevice(const QString &device) { qputenv("PELVORO_COM7", device.toLocal8Bit()); }

    static SerialTimings Timings(const SerialRow &row)
    {
        return SerialTimings{.normalAnswerMs = row.answerMs,
                             .zpKqAnswerMs = row.answerMs,
                             .zpKqPerBlockMs = kPerBlockMs,
                             .finalAnswerMs = row.finalMs,
                             .phasePauseMs = 50,
                             .settleMs = 1,
                             .successWaitMs = 1,
                             .chunkWriteMs = row.chunkMs,
                             .waitForLine = row.lineTime};
    }

    // Sends and waits for the completion notice; the owner's close follows as the window's does.
    SerialSeen Transfer(SerialLink &link, const SendRequest &request, const SerialTarget &target, int waitMs,
                        const std::function<void(qint64 written)> &onProgress = {})
    {
        SerialSeen seen;
        QElapsedTimer clock;
        QObject context;
        QObject::connect(&link, &SerialLink::StatusText, &context, [&](const QString &text) { seen.status << text; });
        QObject::connect(&link, &SerialLink::SettingsLabel, &context,
                         [&](const QString &text, const QColor &) { seen.labels << text; });
        QObject::connect(&link, &SerialLink::TransferEnded, &context, [&](SerialOutcome outcome) {
            EXPECT_FALSE(seen.outcome.has_value()) << "a second completion notice";
            seen.outcome = outcome;
            seen.endedAtMs = clock.elapsed();
        });
        if (onProgress) {
            QObject::connect(&link, &SerialLink::Progress, &context, [&](qint64 written) { onProgress(written); });
        }
        clock.start();
        EXPECT_TRUE(link.Send(request, target));
        EXPECT_TRUE(QTest::qWaitFor([&] { return seen.outcome.has_value(); }, waitMs)) << "no completion notice";
        link.CloseTransfer();
        return seen;
    }

    ScriptedPrompt prompt_;
};

QString LabelOf(SerialPhase phase)
{
    switch (phase) {
    case SerialPhase::Succeeded:
        return QStringLiteral("加载参数成功!");
    case SerialPhase::NoAnswer:
        return QStringLiteral("下位机无应答,请检查连接!");
    case SerialPhase::NoFinalAnswer:
        return QStringLiteral("加载参数失败,请重试!");
    default:
        return QString();
    }
}

// The second station: the command-line tool sending to screen 1 of its own directory, on COM 7
// (`device`) or at 127.0.0.1:`port`, where it waits `timeoutS` for an answer that does not come.
class CliStation {
public:
    explicit CliStation(const QString &device) : CliStation({"CommMode=0", "ComPort=7", "BaudIndex=3"}, device, {}) {}
    CliStation(quint16 port, int timeoutS)
        : CliStation({"CommMode=2", "IpAddress=127.0.0.1", QStringLiteral("IpPort=%1").arg(port)}, QString(),
                     {"--timeout", QString::number(timeoutS)})
    {
    }
    CliStation(const QStringList &link, const QString &device, const QStringList &sendOptions)
    {
        const CliResult set = RunCli(QStringList{"set", "--screen", "1"} + link, dir_.path());
        EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PELVORO_COM7"), device);
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-cli"),
                       QStringList{"--dir", dir_.path(), "send", "power-on", "--screen", "1"} + sendOptions);
    }
    ~CliStation()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool Kill()
    {
        process_.kill();
        return process_.waitForFinished(5000);
    }
    // Waits for the tool's end; its exit code, -1 when it did not end.
    int Finish(int ms = 10000)
    {
        if (!QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, ms))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
};

TEST_F(LinkFaultMatrix, SerialLink)
{
    PeerScript silent;
    silent.preamble = PeerAnswer::None();
    PeerScript noFinal;
    noFinal.frame = PeerAnswer::None();
    const auto preambleAt = [](int ms) {
        PeerScript s;
        s.preamble = PeerAnswer::Card(ms);
        return s;
    };
    const auto finalAt = [](int ms) {
        PeerScript s;
        s.frame = PeerAnswer::Card(ms);
        return s;
    };
    const auto answers = [](const char *hex) {
        PeerScript s;
        s.preamble = PeerAnswer::Bytes(QByteArray::fromHex(hex));
        return s;
    };
    PeerScript flood;
    flood.floodMs = 3 * kAnswerMs;
    PeerScript hangUpAfterPreamble = silent;
    hangUpAfterPreamble.hangUpAfter = 2;
    PeerScript hangUpMidFrame;
    hangUpMidFrame.hangUpAfter = 2048;
    PeerScript stopsReading;
    stopsReading.stopReadingAfter = 2 + 1000;
    const int zpMainWait = kAnswerMs + 2 * kPerBlockMs;
    const QString nearBefore = QString::number(kAnswerMs - kNearMs);
    const QString nearAfter = QString::number(kAnswerMs + kNearMs);

    using enum SerialOutcome;
    const SerialRow rows[] = {
        {.name = "sim: silent card",
         .sim = {"--silent"},
         .useSim = true,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "sim: no final answer",
         .sim = {"--no-final"},
         .useSim = true,
         .outcome = NoFinalAnswer,
         .last = SerialPhase::NoFinalAnswer,
         .minMs = kFinalMs,
         .maxMs = kFinalMs},
        {.name = "sim: garbage answers",
         .sim = {"--garbage"},
         .useSim = true,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "sim: answers just before the waits run out",
         .sim = {"--delay", nearBefore},
         .useSim = true,
         .last = SerialPhase::Succeeded,
         .maxMs = 2 * (kAnswerMs - kNearMs)},
        {.name = "sim: answers just after the preamble wait",
         .sim = {"--delay", nearAfter},
         .useSim = true,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "sim: stops in the middle of the frame",
         .sim = {"--drop-after", "100"},
         .useSim = true,
         .frame = Frame::Main,
         .outcome = NoFinalAnswer,
         .last = SerialPhase::NoFinalAnswer,
         .minMs = kFinalMs,
         .maxMs = kMainLineMs + kFinalMs},
        {.name = "sim: a line at 115200 baud takes longer to carry the frame than the final wait",
         .sim = {"--baud", "115200"},
         .useSim = true,
         .frame = Frame::Main,
         .last = SerialPhase::Succeeded,
         .maxMs = kMainLineMs + kFinalMs},
        {.name = "sim: killed while the preamble waits",
         .sim = {"--silent"},
         .useSim = true,
         .vanishAfterMs = 100,
         .answerMs = 4000,
         .outcome = PortFailed,
         .last = SerialPhase::NoAnswer,
         .maxMs = 100},
        {.name = "sim: killed in the middle of the frame",
         .sim = {"--baud", "115200"},
         .useSim = true,
         .frame = Frame::Large,
         .vanishAfterWritten = 8192,
         .finalMs = 5000,
         .chunkMs = 5000,
         .outcome = PortFailed,
         .last = SerialPhase::NoFinalAnswer,
         .maxMs = 1500},
        {.name = "pty: silent",
         .script = silent,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: no final answer",
         .script = noFinal,
         .outcome = NoFinalAnswer,
         .last = SerialPhase::NoFinalAnswer,
         .minMs = kFinalMs,
         .maxMs = kFinalMs},
        {.name = "pty: the address twice",
         .script = answers("0101"),
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: the address with a line end",
         .script = answers("010d0a"),
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: another screen's address",
         .script = answers("02"),
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: noise on the line for longer than the wait",
         .script = flood,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: preamble answered just before its wait runs out",
         .script = preambleAt(kAnswerMs - kNearMs),
         .last = SerialPhase::Succeeded,
         .maxMs = kAnswerMs},
        {.name = "pty: preamble answered just after its wait",
         .script = preambleAt(kAnswerMs + kNearMs),
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = kAnswerMs,
         .maxMs = kAnswerMs},
        {.name = "pty: ZP-KQ/TQ main area answered after the base wait, before its own",
         .script = preambleAt(zpMainWait - kNearMs),
         .family = CardFamily::ZpKq,
         .frame = Frame::Main,
         .last = SerialPhase::Succeeded,
         .maxMs = zpMainWait + kMainLineMs},
        {.name = "pty: ZP-KQ/TQ main area answered just after its wait",
         .script = preambleAt(zpMainWait + kNearMs),
         .family = CardFamily::ZpKq,
         .frame = Frame::Main,
         .outcome = NoAnswer,
         .last = SerialPhase::NoAnswer,
         .minMs = zpMainWait,
         .maxMs = zpMainWait},
        {.name = "pty: frame answered just before the final wait runs out",
         .script = finalAt(kFinalMs - kNearMs),
         .last = SerialPhase::Succeeded,
         .maxMs = kFinalMs},
        {.name = "pty: frame answered just after the final wait",
         .script = finalAt(kFinalMs + kNearMs),
         .outcome = NoFinalAnswer,
         .last = SerialPhase::NoFinalAnswer,
         .minMs = kFinalMs,
         .maxMs = kFinalMs},
        {.name = "pty: card end closed while the preamble waits",
         .script = hangUpAfterPreamble,
         .answerMs = 4000,
         .outcome = PortFailed,
         .last = SerialPhase::NoAnswer,
         .maxMs = 0},
        {.name = "pty: card end closed in the middle of the frame",
         .script = hangUpMidFrame,
         .frame = Frame::Large,
         .finalMs = 5000,
         .chunkMs = 5000,
         .outcome = PortFailed,
         .last = SerialPhase::NoFinalAnswer,
         .maxMs = 500},
        {.name = "pty: card end vanishes in the middle of the frame",
         .frame = Frame::Large,
         .vanishAfterWritten = 2048,
         .finalMs = 5000,
         .chunkMs = 5000,
         .outcome = PortFailed,
         .last = SerialPhase::NoFinalAnswer,
         .maxMs = 500},
        {.name = "pty: card stops reading, the line fills",
         .script = stopsReading,
         .frame = Frame::Large,
         .finalMs = 5000,
         .lineTime = false, // the pseudo-terminal fills at once, not over seconds of line time
         .outcome = PortFailed,
         .last = SerialPhase::NoFinalAnswer,
         .minMs = kChunkMs,
         .maxMs = kChunkMs},
        {.name = "pty: a second link object holds the port",
         .script = silent,
         .holder = Holder::SecondLink,
         .outcome = OpenFailed,
         .maxMs = 0},
        {.name = "pty: a second station run holds the port",
         .script = silent,
         .holder = Holder::SecondProcess,
         .outcome = OpenFailed,
         .maxMs = 0},
        {.name = "pty: a second station run was killed holding the port",
         .script = silent,
         .holder = Holder::KilledProcess,
         .last = SerialPhase::Succeeded,
         .maxMs = 0},
    };

    // Where the next send goes after a row against the simulator: a card that behaves.
    SimProcess healthySim({"--serial"});
    const QString healthyDevice = healthySim.Device();
    ASSERT_FALSE(healthyDevice.isEmpty()) << healthySim.Output().toStdString();

    for (const SerialRow &row : rows) {
        SCOPED_TRACE(row.name);
        prompt_.messages.clear();
        const SendRequest request = RequestOf(row.frame);
        const SerialTarget target = SerialTarget::Of(SerialScreen(row.family), false);
        const int preambleBytes = int(SerialPreambleLength(row.family));

        std::unique_ptr<SimProcess> sim;
        auto peer = std::make_unique<PtyPeer>();
        QString device;
        if (row.useSim) {
            sim = std::make_unique<SimProcess>(QStringList{"--serial"} + row.sim);
            device = sim->Device();
        } else {
            ASSERT_TRUE(peer->Ok());
            peer->Expect(preambleBytes, request.frame.size(), row.script);
            device = peer->Device();
        }
        ASSERT_FALSE(device.isEmpty());
        UseDevice(device);
        const auto vanish = [&] {
            if (sim)
                sim->Process().kill();
            else
                peer->Vanish();
        };

        // The other station takes the port first, sending to the silent peer.
        std::unique_ptr<SerialLink> holderLink;
        std::optional<SerialOutcome> holderEnded;
        std::unique_ptr<CliStation> holderProcess;
        if (row.holder == Holder::SecondLink) {
            SerialRow holderRow = row;
            holderRow.answerMs = 1000;
            holderLink = std::make_unique<SerialLink>(prompt_, Timings(holderRow));
            QObject::connect(holderLink.get(), &SerialLink::TransferEnded,
                             [&](SerialOutcome outcome) { holderEnded = outcome; });
            ASSERT_TRUE(holderLink->Send(RequestOf(Frame::Params), target));
        } else if (row.holder != Holder::None) {
            holderProcess = std::make_unique<CliStation>(device);
        }
        if (row.holder != Holder::None) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return peer->received.size() >= 2; }, 10000))
                << "the other station did not take the port";
        }
        if (row.holder == Holder::KilledProcess) {
            ASSERT_TRUE(holderProcess->Kill());
            holderProcess.reset();
            peer->Expect(preambleBytes, request.frame.size());
        }

        SerialLink link(prompt_, Timings(row));
        if (row.vanishAfterMs >= 0)
            QTimer::singleShot(row.vanishAfterMs, &link, vanish);
        bool vanished = false;
        const SerialSeen seen = Transfer(link, request, target, row.maxMs + kGiveUpMs, [&](qint64 written) {
            if (row.vanishAfterWritten >= 0 && written >= row.vanishAfterWritten && !vanished) {
                vanished = true;
                vanish();
            }
        });

        ASSERT_TRUE(seen.outcome.has_value());
        EXPECT_EQ(*seen.outcome, row.outcome);
        EXPECT_GE(seen.endedAtMs, row.minMs - 20);
        EXPECT_LE(seen.endedAtMs, row.maxMs + kLateMs);
        if (row.last) {
            ASSERT_FALSE(seen.status.isEmpty());
            EXPECT_EQ(seen.status.back(), SerialStatusText(*row.last, request));
            EXPECT_EQ(seen.labels, QStringList{LabelOf(*row.last)});
            EXPECT_TRUE(prompt_.messages.isEmpty());
        } else {
            ASSERT_EQ(prompt_.messages.size(), 1);
            EXPECT_EQ(prompt_.messages[0].text,
                      QStringLiteral("当前串口7可能不存在或被占用,打开串口失败！请选择正确的串口号"));
            ASSERT_EQ(seen.status.size(), 1);
            EXPECT_TRUE(seen.status[0].startsWith(QStringLiteral("状态：COM7（%1）打开失败：").arg(device)))
                << seen.status[0].toStdString();
            EXPECT_TRUE(seen.labels.isEmpty());
        }

        // The other station ends its own transfer undisturbed and lets go of the port.
        if (holderLink) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return holderEnded.has_value(); }, 5000));
            EXPECT_EQ(holderEnded, SerialOutcome::NoAnswer);
            holderLink->CloseTransfer();
            holderLink.reset();
        }
        if (holderProcess) {
            EXPECT_EQ(holderProcess->Finish(), 2);
        }

        // The next send on the same link object reaches a card that answers.
        if (row.useSim) {
            UseDevice(healthyDevice);
        } else {
            if (peer->Gone()) {
                peer = std::make_unique<PtyPeer>();
                ASSERT_TRUE(peer->Ok());
                UseDevice(peer->Device());
            }
            // A late answer goes out before the next send, as the window's own wait lets it.
            EXPECT_TRUE(QTest::qWaitFor([&] { return peer->answersDue == 0; }, 5000));
            QTest::qWait(20);
        }
        const SendRequest next = RequestOf(Frame::Params);
        const qint64 before = peer->received.size();
        peer->Expect(preambleBytes, next.frame.size());
        const SerialSeen again = Transfer(link, next, target, kAnswerMs + kFinalMs + kGiveUpMs);
        EXPECT_EQ(again.outcome, SerialOutcome::Succeeded) << again.status.join(QLatin1Char('|')).toStdString();
        ASSERT_FALSE(again.status.isEmpty());
        EXPECT_EQ(again.status.back(), SerialStatusText(SerialPhase::Succeeded, next));
        if (!row.useSim) {
            EXPECT_EQ(peer->received.mid(before), SerialPreamble(row.family, next, false) + next.frame)
                << "the line carried more than the next exchange";
        }
    }
}

// ---- Network link ----

// The network link has no wait of its own for an answer: a request that is never echoed stays
// pending until the next one replaces it, and a late echo is still taken. Its texts for a peer that
// goes away are the socket's boxes.
constexpr int kWatchMs = 50;
constexpr int kBlockPauseMs = 150;
// How long a row that ends in silence is watched for a text or box that should not come.
constexpr int kQuietMs = 300;
// How late an end may come after it was due, on a busy machine: several of the link's own pauses.
constexpr int kNetLateMs = 1000;

const QString kSending = QStringLiteral("状态:正在向1号显示屏发送数据...");
const QString kParamsDone = QStringLiteral("状态:向1号显示屏加载屏参数成功！");
const QString kMainDone = QStringLiteral("状态:向1号显示屏发送主区域数据成功！");
const QString kLost = QStringLiteral("状态:与1号显示屏的网络连接已断开，请点击连接IP");

struct NetRow {
    const char *name;
    QStringList sim = {}; // with useSim: pelvoro-sim --tcp 0 and these options
    bool useSim = false;
    PeerScript script = {}; // else: the scripted peer's behaviour
    bool oneClient = false; // the scripted peer serves one connection at a time
    Frame frame = Frame::Params;
    bool vanishInPause = false;    // the peer goes away once the first block of a large frame is out
    bool vanishBeforeSend = false; // ... while the connection stands idle, before the send
    Holder holder = Holder::None;

    QStringList status = {}; // the texts after the send (the connection watch's left out)
    QStringList boxes = {};
    bool pending = false; // the request still waits for its first echo
    int maxMs = 0;        // the end is due by then (and comes by kNetLateMs later)
};

TEST_F(LinkFaultMatrix, NetworkLink)
{
    PeerScript silent;
    silent.preamble = PeerAnswer::None();
    PeerScript noFinal;
    noFinal.frame = PeerAnswer::None();
    const auto answers = [](const char *hex) {
        PeerScript s;
        s.preamble = PeerAnswer::Bytes(QByteArray::fromHex(hex));
        return s;
    };
    PeerScript lateEcho;
    lateEcho.preamble = PeerAnswer::Card(6 * kWatchMs);
    lateEcho.frame = PeerAnswer::Card(6 * kWatchMs);
    PeerScript noiseInPause;
    noiseInPause.noiseAfter = 2 + 1000;
    PeerScript resetMidFrame;
    resetMidFrame.hangUpAfter = 2 + 1000;
    PeerScript closedMidFrame = resetMidFrame;
    closedMidFrame.orderlyClose = true;
    const QStringList gone = {kNoReplyBox, kResetBox};

    const NetRow rows[] = {
        {.name = "sim: silent card", .sim = {"--silent"}, .useSim = true, .pending = true},
        {.name = "sim: no final answer", .sim = {"--no-final"}, .useSim = true, .status = {kSending}},
        {.name = "sim: garbage answers", .sim = {"--garbage"}, .useSim = true, .pending = true},
        {.name = "sim: late answers are still taken",
         .sim = {"--delay", "300"},
         .useSim = true,
         .status = {kSending, kParamsDone},
         .maxMs = 600},
        {.name = "sim: drops the connection in the middle of the frame",
         .sim = {"--drop-after", "100"},
         .useSim = true,
         .frame = Frame::Large,
         .status = {kLost},
         .boxes = gone},
        {.name = "sim: killed in the pause between blocks",
         .sim = {},
         .useSim = true,
         .frame = Frame::Large,
         .vanishInPause = true,
         .status = {kLost},
         .boxes = gone},
        {.name = "sim: a second station connected to the same card",
         .sim = {},
         .useSim = true,
         .holder = Holder::SecondLink,
         .status = {kSending, kParamsDone}},
        {.name = "tcp: silent", .script = silent, .pending = true},
        {.name = "tcp: no final answer", .script = noFinal, .status = {kSending}},
        {.name = "tcp: the address twice", .script = answers("0101"), .pending = true},
        {.name = "tcp: the address with a line end", .script = answers("010d0a"), .pending = true},
        {.name = "tcp: another screen's address", .script = answers("02"), .pending = true},
        {.name = "tcp: late echoes are still taken",
         .script = lateEcho,
         .status = {kSending, kParamsDone},
         .maxMs = 600},
        {.name = "tcp: noise in the pause between blocks",
         .script = noiseInPause,
         .frame = Frame::Large,
         .status = {kMainDone},
         .maxMs = 2 * kBlockPauseMs},
        {.name = "tcp: reset in the middle of the frame",
         .script = resetMidFrame,
         .frame = Frame::Large,
         .status = {kLost},
         .boxes = gone},
        {.name = "tcp: closed in the middle of the frame",
         .script = closedMidFrame,
         .frame = Frame::Large,
         .status = {kLost},
         .boxes = gone},
        {.name = "tcp: the server goes away in the pause between blocks",
         .frame = Frame::Large,
         .vanishInPause = true,
         .status = {kLost},
         .boxes = gone},
        {.name = "tcp: the server goes away while the connection stands idle",
         .vanishBeforeSend = true,
         .status = {kLost, kLost},
         .boxes = gone},
        {.name = "tcp: a second station holds the controller's one connection",
         .oneClient = true,
         .holder = Holder::SecondLink,
         .status = {kLost, kLost},
         .boxes = gone},
        {.name = "tcp: a second station run holds the controller's one connection",
         .script = silent,
         .oneClient = true,
         .holder = Holder::SecondProcess,
         .status = {kLost, kLost},
         .boxes = gone},
    };

    const NetTimings timings{.watchMs = kWatchMs, .blockPauseMs = kBlockPauseMs, .followUpMs = 40};
    SimProcess healthySim({"--tcp", "0"});
    const int healthyPort = healthySim.Port();
    ASSERT_GT(healthyPort, 0) << healthySim.Output().toStdString();

    for (const NetRow &row : rows) {
        SCOPED_TRACE(row.name);
        prompt_.messages.clear();
        const SendRequest request = RequestOf(row.frame);

        std::unique_ptr<SimProcess> sim;
        auto peer = std::make_unique<TcpPeer>(row.oneClient);
        quint16 port = peer->Port();
        if (row.useSim) {
            sim = std::make_unique<SimProcess>(QStringList{"--tcp", "0"} + row.sim);
            port = quint16(sim->Port());
        } else {
            peer->Expect(2, request.frame.size(), row.script);
        }
        ASSERT_GT(port, 0);
        ScreenTable table;
        table[0] = NetScreen(port);
        table.CurrentScreen = 0;
        const auto vanish = [&] {
            if (sim)
                sim->Process().kill();
            else
                peer->Vanish();
        };
        const auto connected = [](NetLink &link) {
            return link.ClientSocket()->state() == QAbstractSocket::ConnectedState;
        };

        // The other station connects first.
        ScriptedPrompt holderPrompt;
        std::unique_ptr<NetLink> holder;
        QStringList holderStatus;
        std::unique_ptr<CliStation> holderProcess;
        if (row.holder == Holder::SecondLink) {
            holder = std::make_unique<NetLink>(table, holderPrompt, timings);
            QObject::connect(holder.get(), &NetLink::StatusText, [&](const QString &text) { holderStatus << text; });
            holder->ConnectScreen(0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return connected(*holder); }, 5000));
        } else if (row.holder == Holder::SecondProcess) {
            holderProcess = std::make_unique<CliStation>(port, 1);
            ASSERT_TRUE(QTest::qWaitFor([&] { return peer->received.size() >= 2; }, 10000))
                << "the other station did not connect";
        }

        NetLink link(table, prompt_, timings);
        QStringList status;
        QObject::connect(&link, &NetLink::StatusText, [&](const QString &text) {
            if (!text.startsWith(QStringLiteral("状态:请先点击连接IP"))
                && !text.startsWith(QStringLiteral("状态:已与")))
                status << text;
        });
        link.ConnectScreen(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return connected(link); }, 5000));
        if (row.oneClient && row.holder != Holder::None) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return peer->turnedAway == 1 && !connected(link); }, 5000));
        }
        if (row.vanishBeforeSend) {
            vanish();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !connected(link); }, 5000));
        }

        QObject context;
        QObject::connect(&link, &NetLink::BlockSent, &context, [&](qint64 sent, qint64 total) {
            if (row.vanishInPause && sent < total)
                vanish();
        });
        QElapsedTimer clock;
        clock.start();
        if (holder)
            holder->NetSend(RequestOf(Frame::Params));
        link.NetSend(request);
        const bool ended = QTest::qWaitFor(
            [&] { return status == row.status && prompt_.MessageTexts(QStringLiteral("系统提示")) == row.boxes; },
            row.maxMs + kGiveUpMs);
        const qint64 endedAtMs = clock.elapsed();
        QTest::qWait(kQuietMs); // nothing more comes
        EXPECT_TRUE(ended);
        EXPECT_LE(endedAtMs, row.maxMs + kNetLateMs);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(prompt_.MessageTexts(QStringLiteral("系统提示")), row.boxes);
        for (const ScriptedPrompt::Shown &shown : prompt_.messages)
            EXPECT_EQ(shown.icon, PromptIcon::Error);
        EXPECT_EQ(link.AwaitingEcho(), row.pending);
        EXPECT_FALSE(link.Busy());
        if (holder && connected(*holder)) {
            EXPECT_EQ(holderStatus.filter(QStringLiteral("成功")), QStringList{kParamsDone})
                << "the other station was disturbed";
            EXPECT_TRUE(holderPrompt.messages.isEmpty());
        }
        holder.reset();
        if (holderProcess) {
            EXPECT_EQ(holderProcess->Finish(), 2); // the tool gave up on the silent peer
            holderProcess.reset();
        }

        // The next send on the same link object: to the scripted peer over the same connection when it
        // stands, else after "连接IP" to a card that answers.
        prompt_.messages.clear();
        if (!connected(link) || row.useSim) {
            if (row.useSim) {
                table[0].IpPort = quint16(healthyPort);
            } else if (peer->Gone() && !row.oneClient) {
                peer = std::make_unique<TcpPeer>();
                table[0].IpPort = peer->Port();
            }
            if (row.oneClient) // the other station let go of the one connection
                QTest::qWait(100);
            link.ConnectScreen(0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return connected(link); }, 5000));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return peer->answersDue == 0; }, 5000));
        const SendRequest next = RequestOf(Frame::Params);
        peer->Expect(2, next.frame.size());
        status.clear();
        link.NetSend(next);
        EXPECT_TRUE(QTest::qWaitFor([&] { return status.size() >= 2; }, 3000));
        EXPECT_EQ(status, (QStringList{kSending, kParamsDone}));
        EXPECT_TRUE(prompt_.messages.isEmpty());
    }
}

} // namespace
} // namespace pelvoro::test
