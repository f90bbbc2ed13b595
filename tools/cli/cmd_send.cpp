#include "cli_command.h"
#include "frame_options.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "comm/frames.h"
#include "comm/net_link.h"
#include "config/schedule_sections.h"
#include "comm/send_dispatch.h"
#include "comm/send_sequence.h"
#include "comm/serial_link.h"
#include "config/config_store.h"
#include "pages/data_files.h"

#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>

// send: a frame, or the full send of a screen, over the screen's configured link with the
// station's own link code.
namespace pelvoro::cli {

namespace {

// The links' message boxes become lines on stderr; nothing here asks questions.
class CliPrompt : public Prompt {
public:
    void Message(const QString &text, const QString &, PromptIcon) override { Err(text); }
    PromptButton Ask(const QString &text, const QString &, PromptButtons, PromptIcon) override
    {
        Err(text);
        return PromptButton::Cancel;
    }
    QStringList OpenFiles(FileDialogRequest &) override { return {}; }
    QString OpenFile(FileDialogRequest &) override { return {}; }
    QString SaveFile(FileDialogRequest &) override { return {}; }
};

// Pages in the screen's subtitle file, 0 when there is none.
int StoredSubtitlePages(int index)
{
    QFile file(AppFile(SubtitleFileName(index)));
    char count = 0;
    if (!file.open(QIODevice::ReadOnly) || !file.seek(12) || !file.getChar(&count))
        return 0;
    return static_cast<unsigned char>(count);
}

// One run of the command: the links, the sequence of a full send and the outcome.
class SendRun {
public:
    SendRun(ScreenTable &table, int index, int timeoutS)
        : table_(table), index_(index), screen_(table[index]), serial_(prompt_), net_(table, prompt_),
          completion_(serial_)
    {
        QObject::connect(&serial_, &SerialLink::StatusText, &loop_, [](const QString &text) { Out(text); });
        QObject::connect(&net_, &NetLink::StatusText, &loop_, [](const QString &text) { Out(text); });
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
        deadline_.setSingleShot(true);
        deadline_.setInterval(timeoutS * 1000);
        QObject::connect(&deadline_, &QTimer::timeout, &loop_, [this, timeoutS] {
            Err(QStringLiteral("pelvoro-cli send: no acknowledgement within %1 s").arg(timeoutS));
            Finish(kLinkFailure);
        });
    }

    // A single request.
    int RunOne(const SendRequest &request, bool mainArea)
    {
        if (IsNetworkScreen(screen_)) {
            QObject::connect(&net_, &NetLink::Acknowledged, &loop_, [this] { Finish(kOk); });
            Connect([this, request, mainArea] { SendOverNetwork(request, mainArea); });
        } else {
            QObject::connect(&serial_, &SerialLink::TransferClosed, &loop_,
                             [this] { Finish(failed_ ? kLinkFailure : kOk); });
            serial_.Send(request, SerialTarget::Of(screen_, false));
        }
        return Exec();
    }

    // The full send: time synchronisation, then each pending part as the link's sequence orders it.
    int RunAll()
    {
        sequence_.BeginFullSend(screen_, StoredPageCount(index_) > 0, StoredSubtitlePages(index_) > 0);
        const SendRequest timeSync = *MakeSendRequest(index_, BuildTimeSyncFrame(index_, QDateTime::currentDateTime()));
        if (IsNetworkScreen(screen_)) {
            net_.SetSequence(&sequence_);
            QObject::connect(&net_, &NetLink::Acknowledged, &loop_, [this] {
                if (!net_.FollowUpScheduled())
                    Finish(kOk);
            });
            QObject::connect(&net_, &NetLink::FollowUpDue, &loop_, [this](SendPart part) { SendPartNow(part); });
            Connect([this, timeSync] { SendOverNetwork(timeSync, false); });
        } else {
            QObject::connect(&completion_, &SerialCompletion::ContinuationDue, &loop_, [this] {
                const std::optional<SendPart> part = sequence_.ContinueSequence(screen_.SendSelected);
                if (part)
                    SendPartNow(*part);
                else
                    Finish(failed_ ? kLinkFailure : kOk);
            });
            serial_.Send(timeSync, SerialTarget::Of(screen_, false));
        }
        return Exec();
    }

private:
    int Exec()
    {
        if (!finished_) {
            deadline_.start();
            loop_.exec();
        }
        return exitCode_;
    }

    // Leaves the loop after what is already queued (the links' message boxes) has been shown.
    void Finish(int code)
    {
        if (finished_)
            return;
        finished_ = true;
        exitCode_ = code;
        deadline_.stop();
        QMetaObject::invokeMethod(&loop_, [this] { loop_.exit(exitCode_); }, Qt::QueuedConnection);
    }

    // "连接IP" for the screen; `then` runs once the connection stands. A connection that cannot be
    // made is a link failure.
    void Connect(std::function<void()> then)
    {
        QTcpSocket *socket = net_.ClientSocket();
        QObject::connect(socket, &QTcpSocket::connected, &loop_, [then = std::move(then)] { then(); },
                         Qt::SingleShotConnection);
        QObject::connect(socket, &QAbstractSocket::errorOccurred, &loop_, [this, socket] {
            Err(QStringLiteral("pelvoro-cli send: %1:%2: %3")
                    .arg(net_.Host().trimmed())
                    .arg(net_.Port())
                    .arg(socket->errorString()));
            Finish(kLinkFailure);
        });
        net_.ConnectScreen(index_);
    }

    void SendOverNetwork(const SendRequest &request, bool mainArea)
    {
        if (mainArea)
            Out(NetSendingText(index_));
        net_.NetSend(request);
    }

    // A part of the full send, as its button sends it.
    void SendPartNow(SendPart part)
    {
        const QDateTime now = QDateTime::currentDateTime();
        std::optional<SendRequest> request;
        switch (part) {
        case SendPart::Clock:
            request = MakeSendRequest(index_, BuildClockFrame(index_, screen_, SamplePositions(screen_, now).clock, now));
            break;
        case SendPart::Temperature:
            request = MakeSendRequest(index_,
                                      BuildTempFrame(index_, screen_, SamplePositions(screen_, now).temperature));
            break;
        case SendPart::Main:
        case SendPart::Subtitle: {
            const FileSend file =
                part == SendPart::Main ? PrepareMainAreaSend(index_, screen_) : PrepareSubtitleSend(index_, screen_);
            if (!file.request) {
                Err(file.status.isEmpty() ? QStringLiteral("pelvoro-cli send: the file is empty") : file.status);
                Finish(kRefused);
                return;
            }
            request = file.request;
            break;
        }
        }
        if (IsNetworkScreen(screen_))
            SendOverNetwork(*request, part == SendPart::Main);
        else
            serial_.Send(*request, SerialTarget::Of(screen_, false));
    }

    ScreenTable &table_;
    int index_;
    const ScreenInfo &screen_;
    CliPrompt prompt_;
    QEventLoop loop_;
    QTimer deadline_;
    SerialLink serial_;
    NetLink net_;
    SerialCompletion completion_;
    SendSequence sequence_;
    bool failed_ = false;
    bool finished_ = false;
    int exitCode_ = kLinkFailure;
};

int RunSend(CliArgs &args)
{
    const QStringList rest = args.Rest();
    if (rest.isEmpty() || rest.first().startsWith(QLatin1String("--")))
        throw UsageError{QStringLiteral("give the KIND to send")};
    const QString kind = rest.first();
    CliArgs options(rest.mid(1));
    const int timeoutS = options.TakeIntOption(QStringLiteral("--timeout")).value_or(30);
    if (timeoutS < 1 || timeoutS > 86400)
        throw UsageError{QStringLiteral("--timeout takes 1..86400 seconds")};
    const int index = options.TakeScreen();
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
        SendRun run(table, index, timeoutS);
        return run.RunAll();
    }
    std::optional<SendRequest> request;
    const bool mainArea = kind == QLatin1String("main");
    if (mainArea || kind == QLatin1String("subtitle")) {
        noMoreOptions();
        const FileSend file = mainArea ? PrepareMainAreaSend(index, screen) : PrepareSubtitleSend(index, screen);
        if (!file.request) {
            Err(file.status.isEmpty() ? (mainArea ? PageFileName(index) : SubtitleFileName(index)) +
                                            QStringLiteral("是空文件")
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
    SendRun run(table, index, timeoutS);
    return run.RunOne(*request, mainArea);
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("send"),
    QStringLiteral("send a frame, or everything, to a screen's controller"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] send KIND --screen K [frame options] [--timeout S]\n\n"
        "Sends to the controller of screen K over the screen's configured link, with the station's own\n"
        "link code, and prints the status texts on stdout as they come; the links' message boxes go to\n"
        "stderr.\n"
        "  CommMode 0, 1  serial port COM<ComPort> at the screen's baud rate and card type. Outside\n"
        "                 Windows COM n is the device named by the environment variable PELVORO_COM<n>\n"
        "                 when it is set, else /dev/ttyS<n-1>.\n"
        "  CommMode 2     TCP to the screen's IpAddress:IpPort.\n\n"
        "KIND, with the options of the frame command:\n") +
        FrameKindsHelp() +
        QStringLiteral(
            "  all                      the full send (全部发送): time synchronisation, then the clock,\n"
            "                           temperature, subtitle and main area the screen has (serial order;\n"
            "                           on the network: clock, temperature, main area, subtitle), each after\n"
            "                           the previous transfer, as the station chains them\n"
            "main and subtitle are read as 发送主区 and 发送字幕 read them (the area must exist).\n\n"
            "  --timeout S              give up after S seconds (default 30); the network link has no\n"
            "                           timeout of its own\n\n"
            "Exit codes: 0 the controller acknowledged (for all: every transfer); 1 refused (a missing,\n"
            "empty or damaged file); 2 no answer, a port that cannot be opened or fails, a connection\n"
            "that cannot be made, or --timeout ran out."),
    RunSend,
});

} // namespace pelvoro::cli
