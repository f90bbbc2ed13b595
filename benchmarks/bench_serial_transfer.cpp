// The largest main-area frame a "ZP-KQ/TQ" card holds (256 x 128 dual colour, 56 pages: 458990
// bytes, one phase, no pauses) through a pseudo-terminal to a controller card answering on its own
// thread. Reports the wall time of the transfer, from the send to the completion notice, and the
// longest gap between the ticks of a 1 ms timer on the user-interface thread meanwhile; medians
// over the runs as counters. The two 500 ms waits the link keeps around its success report are
// set to 0: they are deliberate pauses, not transfer time. Every other wait is the real one.
#include "base/prompt.h"
#include "comm/frames.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"
#include "sim/controller_card.h"
#include "sim/pseudo_terminal.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class NullPrompt : public pelvoro::Prompt {
public:
    void Message(const QString &text, const QString &, pelvoro::PromptIcon) override { message = text; }
    pelvoro::PromptButton Ask(const QString &, const QString &, pelvoro::PromptButtons, pelvoro::PromptIcon) override
    {
        return pelvoro::PromptButton::Cancel;
    }
    QStringList OpenFiles(pelvoro::FileDialogRequest &) override { return {}; }
    QString OpenFile(pelvoro::FileDialogRequest &) override { return {}; }
    QString SaveFile(pelvoro::FileDialogRequest &) override { return {}; }
    QString message;
};

// A "ZP-KQ/TQ" card on the master side of a pseudo-terminal, on a thread of its own so that only
// the link's own work lands on the user-interface thread.
class CardThread : public QThread {
public:
    CardThread() { pty_.Open(); }
    ~CardThread() override
    {
        quit();
        wait();
    }
    bool Ok() const { return pty_.IsOpen(); }
    const QString &Device() const { return pty_.Device(); }
    qint64 Acknowledged() const { return acknowledged_; }

protected:
    void run() override
    {
        pelvoro::CardOptions options;
        options.family = pelvoro::CardFamily::ZpKq;
        pelvoro::ControllerCard card(options);
        QSocketNotifier notifier(pty_.CardEnd(), QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            const QByteArray bytes = pty_.ReadAvailable();
            if (bytes.isEmpty())
                return;
            const pelvoro::ControllerCard::Output out = card.Feed(bytes);
            for (const pelvoro::CardExchange &exchange : out.exchanges) {
                if (exchange.outcome == pelvoro::CardExchange::Outcome::Acknowledged)
                    ++acknowledged_;
            }
            for (const QByteArray &answer : out.answers)
                pty_.WriteAll(answer);
        });
        exec();
    }

private:
    pelvoro::PseudoTerminal pty_;
    std::atomic<qint64> acknowledged_{0};
};

// 56 pages of 256 x 128 dual colour: 458752 raster bytes, all a "ZP-KQ/TQ" card holds.
QByteArray LargestFrame()
{
    const int pages = 56;
    QByteArray f = QByteArray::fromHex("01d10400"
                                       "0000"
                                       "0000"
                                       "ff00"
                                       "7f00");
    f.append(char(pages));
    for (int k = 0; k < pages; ++k)
        f.append(QByteArray::fromHex("00000101"));
    const qint64 raster = pelvoro::AreaPageBytes(256, 128, 1) * pages;
    f.reserve(f.size() + raster + 1);
    for (qint64 i = 0; i < raster; ++i)
        f.append(char((i * 7) & 0xFF));
    f.append(char(pelvoro::kFrameEnd));
    return f;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_SerialTransfer(benchmark::State &state)
{
    CardThread card;
    if (!card.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    card.start();
    qputenv("PELVORO_COM9", card.Device().toLocal8Bit());

    pelvoro::ScreenInfo screen = pelvoro::DefaultScreenInfo();
    screen.CardType = pelvoro::kCardZpKq;
    screen.ComPort = 9;
    screen.BaudIndex = 3;
    screen.Width = 256;
    screen.Height = 128;
    screen.MainHeight = 128;
    screen.ColorMode = 1;
    const QByteArray frame = LargestFrame();
    const std::optional<pelvoro::SendRequest> request = pelvoro::MakeSendRequest(0, frame);

    pelvoro::SerialTimings timings;
    timings.successWaitMs = 0;
    NullPrompt prompt;
    pelvoro::SerialLink link(prompt, timings);

    std::vector<double> walls;
    std::vector<double> gaps;
    for (auto _ : state) {
        QEventLoop loop;
        std::optional<pelvoro::SerialOutcome> outcome;
        QObject::connect(&link, &pelvoro::SerialLink::TransferEnded, &loop, [&](pelvoro::SerialOutcome o) {
            outcome = o;
            loop.quit();
        });
        // The user-interface thread's pulse: the longest gap between ticks is the longest time it
        // could not react.
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        Clock::time_point lastTick = Clock::now();
        double longestGap = 0;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longestGap = std::max(longestGap, std::chrono::duration<double, std::milli>(now - lastTick).count());
            lastTick = now;
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &loop, &QEventLoop::quit);
        watchdog.start(60000);

        ticker.start();
        const Clock::time_point start = Clock::now();
        lastTick = start;
        link.Send(*request, pelvoro::SerialTarget::Of(screen, false));
        loop.exec();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        ticker.stop();
        link.CloseTransfer();
        if (outcome != pelvoro::SerialOutcome::Succeeded) {
            state.SkipWithError("the transfer did not succeed");
            break;
        }
        state.SetIterationTime(wall);
        walls.push_back(wall * 1000);
        gaps.push_back(longestGap);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * frame.size());
    state.counters["frame_bytes"] = double(frame.size());
    state.counters["wall_ms_median"] = Median(walls);
    state.counters["ui_gap_ms_median"] = Median(gaps);
    state.counters["ui_gap_ms_max"] = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
    qunsetenv("PELVORO_COM9");
}
BENCHMARK(BM_SerialTransfer)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
