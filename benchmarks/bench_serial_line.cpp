// A main-area frame of 460 KB to a "Normal" card at 115200 baud through `pelvoro-sim --serial
// --baud 115200`, which carries the bytes at the pace of the wire (11 bits a byte). The link keeps
// every wait of its own. Reports the wall time from the send to the success text against what the
// line and the protocol alone need: the bytes' time on the wire, the 3 s pause after every 128 KB
// of the frame's second phase, the 20 ms before the frame and the 500 ms after its answer. The
// link hands each chunk over only once the line has carried the one before, so nothing runs
// ahead into a pause and the wall time should sit just above that sum (one run: 53.36 s against
// 53.35 s, 43.83 s of it on the line).
#include "silent_prompt.h"

#include "comm/frames.h"
#include "comm/serial_link.h"
#include "config/screen_info.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBaud = 115200;

// 56 pages of 256 x 128 dual colour: 458752 raster bytes behind the page file's head and entries.
QByteArray MainAreaFrame()
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
    for (qint64 i = 0; i < raster; ++i)
        f.append(char((i * 7) & 0xFF));
    f.append(char(pelvoro::kFrameEnd));
    return f;
}

// pelvoro-sim on a pseudo-terminal at the line's pace; empty device when it did not start.
class PacedSim {
public:
    PacedSim()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-sim"),
                       {QStringLiteral("--serial"), QStringLiteral("--baud"), QString::number(kBaud)});
        const QRegularExpression line(QStringLiteral("serial device (\\S+)"));
        QElapsedTimer clock;
        clock.start();
        while (device_.isEmpty() && clock.elapsed() < 20000 && process_.waitForReadyRead(1000)) {
            output_ += QString::fromUtf8(process_.readAllStandardOutput());
            device_ = line.match(output_).captured(1);
        }
    }
    ~PacedSim()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    const QString &Device() const { return device_; }

private:
    QProcess process_;
    QString output_;
    QString device_;
};

void BM_SerialLine(benchmark::State &state)
{
    PacedSim sim;
    if (sim.Device().isEmpty()) {
        state.SkipWithError("pelvoro-sim did not open a pseudo-terminal");
        return;
    }
    qputenv("PELVORO_COM9", sim.Device().toLocal8Bit());
    pelvoro::ScreenInfo screen = pelvoro::DefaultScreenInfo();
    screen.CardType = pelvoro::kCardNormal;
    screen.ComPort = 9;
    screen.BaudIndex = 3; // 115200
    const QByteArray frame = MainAreaFrame();
    const std::optional<pelvoro::SendRequest> request = pelvoro::MakeSendRequest(0, frame);
    SilentPrompt prompt;
    pelvoro::SerialLink link(prompt);
    const pelvoro::SerialTimings &timings = link.Timings();

    int pauses = 0;
    for (const pelvoro::SerialChunk &chunk :
         pelvoro::PlanSerialChunks(pelvoro::CardFamily::Normal, frame.size(), request->pageCount))
        pauses += chunk.pauseAfter ? 1 : 0;
    // The preamble (2 bytes) and the two one-byte answers cross the line too.
    const double lineS = double(frame.size() + 2 + 2) * 11 / kBaud;
    const double protocolS = (pauses * timings.phasePauseMs + timings.settleMs + timings.successWaitMs) / 1000.0;

    double wall = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QElapsedTimer clock;
        double succeededAt = -1;
        QObject::connect(&link, &pelvoro::SerialLink::StatusText, &loop, [&](const QString &text) {
            if (text.endsWith(QStringLiteral("成功！")))
                succeededAt = double(clock.nsecsElapsed()) / 1e9;
        });
        QObject::connect(&link, &pelvoro::SerialLink::TransferEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(180000, &loop, &QEventLoop::quit);
        clock.start();
        link.Send(*request, pelvoro::SerialTarget::Of(screen, false));
        loop.exec();
        link.CloseTransfer();
        if (succeededAt < 0) {
            state.SkipWithError("the transfer did not succeed");
            break;
        }
        state.SetIterationTime(succeededAt);
        wall = succeededAt;
    }
    qunsetenv("PELVORO_COM9");
    state.counters["frame_bytes"] = double(frame.size());
    state.counters["line_s"] = lineS;
    state.counters["protocol_waits_s"] = protocolS;
    state.counters["wall_s"] = wall;
    state.counters["over_pct"] = (wall / (lineS + protocolS) - 1) * 100;
}
// One transfer takes about 53 s.
BENCHMARK(BM_SerialLine)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
