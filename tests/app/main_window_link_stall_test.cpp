// The window stays responsive while a send runs into a peer that does not answer: a 1 ms timer on
// the user-interface thread records the longest gap between its ticks from the click on "发送主区"
// to the end of the transfer. The serial link waits on its own thread and the network link only on
// timers and socket events, so no wait of the links may show up as a stall; the waits are made
// longer than the bound so that one would. A gap counts the time the thread ran or slept, not the
// time it stood ready while a busy machine ran others: a wait on the thread is sleep, so it still
// shows in full.
#include "app/main_area_panel.h"
#include "config/config_store.h"
#include "main_window_fixture.h"
#include "pages/page_store.h"
#include "support/fake_cards.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <iostream>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;
// Every wait of the links in this test is longer than this.
constexpr int kLinkWaitMs = 1000;
// The longest gap allowed: generous for a loaded machine, short of any of the links' waits.
constexpr int kStallBoundMs = kLinkWaitMs / 2;

// How long the calling thread has stood ready to run while others had the processors, in ms; 0
// where the system does not say (the gaps are then the wall clock's).
qint64 ReadyWaitMs()
{
    QFile stats(QStringLiteral("/proc/thread-self/schedstat")); // ns running, ns waiting to run, slices
    if (!stats.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stats.readAll().simplified().split(' ');
    return fields.size() >= 2 ? fields[1].toLongLong() / 1000000 : 0;
}

// Runs the event loop until `done` holds (checked every tick) or `ms` pass; the longest gap between
// two ticks of a 1 ms timer meanwhile, less the time the thread stood ready without running.
qint64 LongestStall(const std::function<void()> &start, const std::function<bool()> &done, int ms)
{
    QEventLoop loop;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 lastReady = ReadyWaitMs();
    qint64 longest = 0;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        const qint64 ready = ReadyWaitMs();
        longest = std::max(longest, (now - last) - (ready - lastReady));
        last = now;
        lastReady = ready;
        if (done() || now >= ms)
            loop.quit();
    });
    clock.start();
    sampler.start(1);
    start();
    loop.exec();
    return longest;
}

enum class Link { Serial, Network };

struct StallCase {
    const char *name;
    Link link;
    CardOptions card;
    int pages;       // 512 x 232 dual-colour main-area pages: ten make a frame of 297 KB
    int watchMs = 0; // how long to watch when nothing ends (the network link never gives up)
};

class LinkStallTest : public MainWindowTest {
protected:
    void TearDown() override
    {
        qunsetenv("PELVORO_COM7");
        MainWindowTest::TearDown();
    }

    // Screen 1 with a 512 x 232 main area of `pages` pages; on COM 7 or at 127.0.0.1:`port`.
    void StartStation(int pages, std::optional<quint16> port)
    {
        ScreenTable setup;
        ScreenInfo &s = setup[0];
        s = DefaultScreenInfo();
        s.Width = 512;
        s.Height = 232;
        s.MainHeight = 232;
        s.ColorMode = 1;
        s.ComPort = kComPort;
        s.BaudIndex = 3;
        s.Areas[0] = QStringLiteral("主区");
        if (port) {
            s.CommMode = kCommModeNetwork;
            s.IpAddress = QStringLiteral("127.0.0.1");
            s.IpPort = *port;
        }
        setup.LastIndex = 0;
        PageAppender appender(setup, 0);
        for (int k = 0; k < pages; ++k) {
            QImage page(s.Width, s.MainHeight, QImage::Format_RGB32);
            page.fill(k % 2 ? Qt::red : Qt::green);
            appender.Append(page, 0, 0, 1, 1);
        }
        ASSERT_TRUE(appender.Finish().Ok());
        ConfigStore store;
        int last = 0;
        ASSERT_TRUE(store.SaveLastIndex(last));
        ASSERT_TRUE(store.SaveScreens(setup, 0));
        Start();
    }
};

TEST_F(LinkStallTest, WindowStaysResponsiveWhileASendWaitsOnThePeer)
{
    timings = ShortLinkTimings();
    timings.serial.normalAnswerMs = kLinkWaitMs;
    timings.serial.finalAnswerMs = kLinkWaitMs;
    timings.serial.phasePauseMs = kLinkWaitMs;
    timings.net.blockPauseMs = kLinkWaitMs;
    // The card reads the pseudo-terminal at once; a 297 KB frame would otherwise take its half
    // minute on a 115200-baud line.
    timings.serial.waitForLine = false;

    const StallCase cases[] = {
        {"serial: the card never answers the preamble", Link::Serial, {.silent = true}, 2},
        {"serial: a large frame the card never answers", Link::Serial, {.noFinal = true}, 10},
        {"network: the card never echoes", Link::Network, {.silent = true}, 2, 3 * kLinkWaitMs},
        {"network: a large frame in blocks the card never answers", Link::Network, {.noFinal = true}, 10},
    };
    for (const StallCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Path(QStringLiteral("Tavrel1.dat")));
        std::unique_ptr<PtyCard> ptyCard;
        std::unique_ptr<TcpCard> tcpCard;
        if (c.link == Link::Serial) {
            ptyCard = std::make_unique<PtyCard>(c.card);
            ASSERT_TRUE(ptyCard->Ok());
            qputenv("PELVORO_COM7", ptyCard->Device().toLocal8Bit());
            StartStation(c.pages, std::nullopt);
        } else {
            tcpCard = std::make_unique<TcpCard>(c.card);
            StartStation(c.pages, tcpCard->Port());
            table.CurrentScreen = 0;
            window->ConnectIp();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return window->Net()->ClientSocket()->state() == QAbstractSocket::ConnectedState; }, 5000));
        }
        const qint64 frameBytes = ReadFile(QStringLiteral("Tavrel1.dat")).size();
        qint64 blocksSent = 0;
        QObject::connect(window->Net(), &NetLink::BlockSent, window.get(),
                         [&](qint64 sent, qint64) { blocksSent = sent; });

        QElapsedTimer clock;
        clock.start();
        std::function<bool()> done;
        if (c.link == Link::Serial) {
            done = [&] { return clock.elapsed() > 50 && !window->Serial()->HasTransfer(); };
        } else if (c.watchMs > 0) {
            done = [&] { return clock.elapsed() >= c.watchMs; };
        } else {
            // The last block is out and the link waits for an answer that does not come.
            done = [&] { return blocksSent == frameBytes && !window->Net()->Busy(); };
        }
        const qint64 stall = LongestStall([&] { window->Panelmain()->SendButton()->click(); }, done, 20000);
        const qint64 tookMs = clock.elapsed();
        std::cout << "[ stall    ] " << c.name << ": longest " << stall << " ms over " << tookMs << " ms\n";
        RecordProperty(c.name, int(stall));
        EXPECT_TRUE(done()) << "the send did not reach its end in " << tookMs << " ms";
        // The waits ran on the clock, not on the user-interface thread.
        EXPECT_GE(tookMs, kLinkWaitMs);
        EXPECT_LT(stall, kStallBoundMs);
        if (c.link == Link::Serial) {
            EXPECT_EQ(window->CommStatus(),
                      c.card.silent ? QStringLiteral("状态：1号显示屏没有应答，请检查通讯线！")
                                    : QStringLiteral("状态：发送1号显示屏数据过程中错误，请检查上下位机设置！"));
        }
        window.reset();
        QTest::qWait(20);
    }
}

} // namespace
} // namespace pelvoro::test
