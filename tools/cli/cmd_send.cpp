#include "cli_command.h"
#include "frame_options.h"
#include "progress.h"

#include "base/prompt.h"
#include "comm/frame_layout.h"
#include "comm/maintenance.h"
#include "comm/net_link.h"
#include "comm/send_dispatch.h"
#include "comm/send_runner.h"
#include "comm/serial_link.h"
#include "config/config_store.h"
#include "config/schedule_sections.h"
#include "pages/data_files.h"

#include <QEventLoop>
#include <QTcpSocket>

// send: a frame, or the full send of a screen, over the screen's configured link with the
// station's own link code.
namespace pelvoro::cli {

namespace {

// One run of the command: the links, the send runner and the outcome.
class SendRun {
public:
    SendRun(ScreenTable &table, int index, int timeoutS, ProgressStyle progress = ProgressStyle::None)
        : index_(index), screen_(table[index]), serial_(prompt_), net_(table, prompt_), runner_(table, serial_, net_),
          progress_(progress, runner_)
    {
        QObject::connect(&runner_, &SendRunner::StatusText, &loop_,
                         [this](const QString &text) { progress_.Line(text); });
        QObject::connect(&serial_, &SerialLink::TransferEnded, &loop_, [this](SerialOutcome outcome) {
            if (outcome != SerialOutcome::Succeeded)
                failed_ = true;
        });
        // As in the station: an acknowledged cancel over the serial link drops the stored schedules.
        QObject::connect(&serial_, &SerialLink::SchedulesCancelled, &loop_, [](int screen) {
            ConfigStore store;
            if (!EraseSchedules(store, screen, StoredPageCount(screen)))
                Err(store.SaveFailureMessage());
        });
        // Bounds each wait on the controller, not the run: a large frame's pauses can take minutes.
        QObject::connect(&runner_, &SendRunner::Stalled, &loop_, [this, timeoutS] {
            if (finished_)
                return;
            Err(QStringLiteral("pelvoro-cli send: the controller did not answer within %1 s").arg(timeoutS));
            Finish(kLinkFailure);
        });
        runner_.WatchForStall(timeoutS * 1000);
    }

    // A single request.
    int RunOne(const SendRequest &request)
    {
        progress_.Expect(request.frame.size());
        if (IsNetworkScreen(screen_)) {
            QObject::connect(&net_, &NetLink::Acknowledged, &loop_, [this] { Finish(kOk); });
            Connect([this, request] { runner_.Send(request); });
        } else {
            QObject::connect(&serial_, &SerialLink::TransferClosed, &loop_,
                             [this] { Finish(failed_ ? kLinkFailure : kOk); });
            runner_.Send(request);
        }
        return Exec();
    }

    // The full send, chained by the runner as the station chains it.
    int RunAll()
    {
        QObject::connect(&runner_, &SendRunner::PartRefused, &loop_, [this](SendPart part, const QString &reason) {
            if (!reason.isEmpty())
                Err(reason);
            else
                Err((part == SendPart::Main ? PageFileName(index_) : SubtitleFileName(index_))
                    + QStringLiteral("是空文件"));
        });
        QObject::connect(&runner_, &SendRunner::FullSendEnded, &loop_, [this](const FullSendReport &report) {
            if (report.failed || report.abandoned)
                Finish(kLinkFailure);
            else
                Finish(report.refused ? kRefused : kOk);
        });
        if (IsNetworkScreen(screen_))
            Connect([this] { runner_.SendAll(); });
        else
            runner_.SendAll();
        return Exec();
    }

private:
    int Exec()
    {
        if (!finished_)
            loop_.exec();
        return exitCode_;
    }

    // Leaves the loop after what is already queued (the links' message boxes) has been shown.
    void Finish(int code)
    {
        if (finished_)
            return;
        finished_ = true;
        exitCode_ = code;
        QMetaObject::invokeMethod(
            &loop_, [this] { loop_.exit(exitCode_); }, Qt::QueuedConnection);
    }

    // "连接IP" for the screen; `then` runs once the connection stands. A connection that cannot be
    // made is a link failure.
    void Connect(std::function<void()> then)
    {
        QTcpSocket *socket = net_.ClientSocket();
        QObject::connect(
            socket, &QTcpSocket::connected, &loop_, [then = std::move(then)] { then(); }, Qt::SingleShotConnection);
        QObject::connect(socket, &QAbstractSocket::errorOccurred, &loop_, [this, socket] {
            Err(QStringLiteral("pelvoro-cli send: %1:%2: %3")
                    .arg(net_.Host().trimmed())
                    .arg(net_.Port())
                    .arg(socket->errorString()));
            Finish(kLinkFailure);
        });
        net_.ConnectScreen(index_);
    }

    int index_;
    const ScreenInfo &screen_;
    CliPrompt prompt_;
    QEventLoop loop_;
    SerialLink serial_;
    NetLink net_;
    SendRunner runner_;
    SendProgress progress_;
    bool failed_ = false;
    bool finished_ = false;
    int exitCode_ = kLinkFailure;
};

// PATTERN of "send test": 0..8, or an item of the station's "测试" menu.
quint8 ParsePattern(const QString &text)
{
    bool number = false;
    const int value = text.toInt(&number);
    if (number && value >= 0 && value <= kTestCrossedLines)
        return quint8(value);
    if (const std::optional<quint8> pattern = TestPatternOf(text))
        return *pattern;
    QStringList captions;
    for (const TestPatternItem &item : TestPatterns())
        captions.append(item.Caption());
    throw UsageError{QStringLiteral("PATTERN is 0..8 or one of %1, not \"%2\"").arg(captions.join(u' '), text)};
}

// The one positional argument of a kind ("test PATTERN", "fpga FILE"); nullopt when there is none.
std::optional<QString> TakeOnePositional(const CliArgs &options, const QString &what)
{
    const QStringList positional = options.Positional();
    if (positional.isEmpty())
        return std::nullopt;
    if (positional.size() > 1)
        throw UsageError{QStringLiteral("give one %1, not %2").arg(what, positional.join(u' '))};
    return positional.first();
}

int RunSend(CliArgs &args)
{
    const QStringList rest = args.Rest();
    if (rest.isEmpty() || rest.first().startsWith(QLatin1String("--")))
        throw UsageError{QStringLiteral("give the KIND to send")};
    const QString kind = rest.first();
    CliArgs options(rest.mid(1));
    const int timeoutS = options.TakeIntOption(QStringLiteral("--timeout")).value_or(30);
    const ProgressStyle progress = TakeProgressOption(options);
    if (timeoutS < 1 || timeoutS > 86400)
        throw UsageError{QStringLiteral("--timeout takes 1..86400 seconds")};
    const int index = options.TakeScreen();
    const bool download = kind == QLatin1String("fpga") || kind == QLatin1String("outdoor");
    std::optional<QString> downloadFile;
    if (download) {
        downloadFile = TakeOnePositional(options, QStringLiteral("FILE"));
        if (!downloadFile)
            throw UsageError{QStringLiteral("give the FILE to send")};
        downloadFile = CallerFile(*downloadFile);
    }
    ConfigStore store;
    ScreenTable table;
    LoadStation(store, table, index);
    ScreenInfo &screen = table[index];

    const auto noMoreOptions = [&] {
        if (!options.Positional().isEmpty())
            throw UsageError{QStringLiteral("unexpected argument ") + options.Positional().first()};
    };
    if (kind == QLatin1String("all")) {
        noMoreOptions();
        SendRun run(table, index, timeoutS, progress);
        return run.RunAll();
    }
    std::optional<SendRequest> request;
    if (download) {
        const DownloadSend send =
            PrepareFileDownload(index, kind == QLatin1String("fpga") ? kFileKindFpga : kFileKindOutdoor, *downloadFile);
        if (!send.request) {
            // An empty file is not sent; the station says nothing then, the tool says why.
            Err(send.status.isEmpty() ? *downloadFile + QStringLiteral("是空文件") : send.status);
            return kRefused;
        }
        SendRun run(table, index, timeoutS, progress);
        return run.RunOne(*send.request);
    }
    if (kind == QLatin1String("test")) {
        // "--pattern N" is the earlier spelling; scripts written for it keep working.
        std::optional<QString> pattern = options.TakeOption(QStringLiteral("--pattern"));
        if (!pattern)
            pattern = TakeOnePositional(options, QStringLiteral("PATTERN"));
        if (pattern) {
            SendRun run(table, index, timeoutS, progress);
            return run.RunOne(TestPatternRequest(index, ParsePattern(*pattern)));
        }
    }
    const bool mainArea = kind == QLatin1String("main");
    if (mainArea || kind == QLatin1String("subtitle")) {
        noMoreOptions();
        const FileSend file = mainArea ? PrepareMainAreaSend(index, screen) : PrepareSubtitleSend(index, screen);
        if (!file.request) {
            Err(file.status.isEmpty()
                    ? (mainArea ? PageFileName(index) : SubtitleFileName(index)) + QStringLiteral("是空文件")
                    : file.status);
            return kRefused;
        }
        request = file.request;
    } else {
        const FrameResult frame = BuildCliFrame(kind, options, store, screen, index);
        if (!frame) {
            Err(frame.error);
            return kRefused;
        }
        request = MakeSendRequest(index, frame.frame);
    }
    SendRun run(table, index, timeoutS, progress);
    return run.RunOne(*request);
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("send"),
    QStringLiteral("send a frame, or everything, to a screen's controller"),
    QStringLiteral("usage: pelvoro-cli [--dir DIR] send KIND --screen K [frame options] [--timeout S] "
                   "[--progress STYLE]\n\n"
                   "Sends to the controller of screen K over the screen's configured link, with the station's own\n"
                   "link code, and prints the status texts on stdout as they come; the links' message boxes go to\n"
                   "stderr.\n"
                   "  CommMode 0, 1  serial port COM<ComPort> at the screen's baud rate and card type. Outside\n"
                   "                 Windows COM n is the device named by the environment variable PELVORO_COM<n>\n"
                   "                 when it is set, else /dev/ttyS<n-1>.\n"
                   "  CommMode 2     TCP to the screen's IpAddress:IpPort.\n\n"
                   "KIND, with the options of the frame command:\n")
        + FrameKindsHelp()
        + QStringLiteral(
            "  all                      the full send (全部发送): time synchronisation, then the clock,\n"
            "                           temperature, subtitle and main area the screen has (serial order;\n"
            "                           on the network: clock, temperature, main area, subtitle), each after\n"
            "                           the previous transfer, as the station chains them; a part whose\n"
            "                           file is missing, empty or damaged is reported and the next one\n"
            "                           is sent\n"
            "  test PATTERN             0xED as the 测试 menu sends it: PATTERN 0..8 or the item's name\n"
            "                           (全屏黑 1 ... 交叉线 8, 退出测试 0)\n"
            "  fpga FILE                0xCC sub-kind 0, FILE as it stands (加载FPGA)\n"
            "  outdoor FILE             0xCC sub-kind 1, FILE as it stands (配置参数 of 户外配置; the\n"
            "                           station sends TavrelPic<s><v>.config from its directory)\n"
            "main and subtitle are read as 发送主区 and 发送字幕 read them (the area must exist); an\n"
            "unreadable fpga or outdoor FILE is refused with the station's message, an empty one is\n"
            "refused and not sent.\n\n"
            "  --timeout S              give up when the controller has kept the link waiting S seconds\n"
            "                           (default 30): for an answer, or for a write that does not\n"
            "                           complete. The wait restarts at every chunk, block and part; the\n"
            "                           pauses the protocol itself makes (15 s between network blocks,\n"
            "                           3 s per 128 KB on serial, 1.5 s between parts) do not count\n\n"
            "Exit codes: 0 the controller acknowledged (for all: every part); 1 refused (a missing,\n"
            "empty or damaged file; for all, once the other parts were sent); 2 no answer, a port that\n"
            "cannot be opened or fails, a connection that cannot be made, or --timeout ran out (for all,\n"
            "2 when any transfer failed, even if a part was also refused).\n\n")
        + ProgressOptionHelp(),
    RunSend,
});

} // namespace pelvoro::cli
