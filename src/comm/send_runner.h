#pragma once

#include "comm/command_registry.h"
#include "comm/send_dispatch.h"
#include "comm/send_sequence.h"
#include "config/screen_info.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// The send operations behind the buttons, shared by the station's window and the command-line
// tool: each part's request, the full send ("全部发送") chained over either link, and the serial
// walk over several screens ("群发", "选择发送" on a serial screen). The window and the tool keep
// only what is their own (buttons, progress bar, event loop, exit codes).
namespace pelvoro {

class NetLink;
class SerialLink;

// How a full send of one screen ended.
struct FullSendReport {
    int screen = 0;
    // A part could not start (its file missing, empty or damaged, its list emptied): the parts
    // after it were still sent.
    bool refused = false;
    // A transfer ended without the controller's acknowledgement (no answer, a port that failed or
    // could not be opened) or was dropped because the serial link was busy.
    bool failed = false;
    // The parts still pending were dropped because another screen was selected during the wait.
    bool abandoned = false;

    bool AllAcknowledged() const { return !refused && !failed && !abandoned; }
};

// What the runner asks of its owner. Left empty, the page counts stored in the screen's files
// decide and a walk only makes its screen current.
struct SendRunnerHooks {
    // Whether the screen's main-area or subtitle list holds pages: a full send leaves out an area
    // without, and a part whose list was emptied meanwhile cannot start.
    std::function<bool(int screen)> hasMainPages;
    std::function<bool(int screen)> hasSubtitlePages;
    // A serial walk reached `screen`: make it current (the station shows it, lists and all,
    // before its full send reads the lists).
    std::function<void(int screen)> showScreen;
    // The main window's "广播" toggle, read for every serial transfer.
    std::function<bool()> broadcast;
};

class SendRunner : public QObject {
    Q_OBJECT
public:
    // The links stay the owner's (other operations use them too); the runner wires what the sends
    // need, closes each serial transfer after its completion notice and runs the continuation.
    SendRunner(ScreenTable &table, SerialLink &serial, NetLink &net, CompletionTimings timings = {},
               SendRunnerHooks hooks = {}, QObject *parent = nullptr);
    ~SendRunner() override;

    // Every send operation's last step, for the request's screen. A main-area request to a network
    // screen first shows "状态:正在向n号显示屏发送数据...".
    DispatchRoute Send(const SendRequest &request);

    // The operations below act on the current screen, as their buttons do.
    // "发送时钟", "发送温度", "发送字幕", "发送主区" (after the window found pages in the list): false when
    // the part cannot start; its reason is then the status text, and PartRefused says so.
    bool Send(SendPart part);
    // "校准时钟": the PC's local time.
    void SyncClock();
    // "发送" of the clock and temperature panel: the clock, then the temperature; only what the
    // screen has.
    void SendClockAndTemperature();
    // "全部发送": the time synchronisation, then the clock, temperature, subtitle and main area the
    // screen has, each after the previous transfer (over the network in the acknowledged reply
    // kind's order). A part that cannot start gives way to the next pending part.
    void SendAll();
    // "群发" or "选择发送" (`selectedOnly`: the screens whose SendSelected is set) over the serial
    // link: each screen's full send in turn, moving on once a screen has no part left to send.
    void StartSerialWalk(bool selectedOnly);
    // The window was shown again: nothing pending, no walk, no full send under way.
    void Reset();

    const SendSequence &Sequence() const { return sequence_; }
    // The screen the last StatusText is about: the serial transfer's, or over the network (and for
    // the runner's own texts) the current screen.
    int StatusScreen() const { return statusScreen_; }

    // From now on, Stalled comes once the links have waited `ms` on the controller without a step
    // forward (an answer, a chunk or block taken, a transfer starting). The links' own pauses and
    // the wait between a serial transfer and the next part do not count.
    void WatchForStall(int ms);

Q_SIGNALS:
    // Status bar panel 1: the links' texts and the runner's own.
    void StatusText(const QString &text);
    // The progress bar: shown at 0 of `maximum` for a file part, moved by the links, hidden when a
    // transfer ends.
    void ProgressStarted(qint64 maximum);
    void Progress(qint64 value);
    void ProgressHidden();
    // A part or the time synchronisation went to the serial link, whose transfer now holds the send
    // buttons until it closes (SerialLink::TransferClosed).
    void SerialPartStarted();
    // A part could not start; `reason` is empty for an empty file (nothing is shown then).
    void PartRefused(pelvoro::SendPart part, const QString &reason);
    // A full send (or the clock panel's "发送") has nothing left to send.
    void FullSendEnded(const pelvoro::FullSendReport &report);
    // See WatchForStall.
    void Stalled();

private:
    // The request of a part, or why it cannot start.
    struct PartRequest {
        std::optional<SendRequest> request;
        QString refusal;
        qint64 fileSize = 0; // for a file part
    };
    PartRequest BuildPart(SendPart part, int screen) const;
    // Dispatches a part or the time synchronisation of the current screen.
    void DispatchPart(const SendRequest &request);
    bool HasMainPages(int screen) const;
    bool HasSubtitlePages(int screen) const;

    void EmitStatus(int screen, const QString &text);
    // The network connection went away: the bar goes, and a full send over it ends as failed.
    void OnConnectionLost();
    void OnSerialContinuation();
    // Starts pending parts until one goes out; false when none did.
    bool ContinueSerial();
    void OnAcknowledged(ReplyKind kind);
    void OnFollowUpDue(SendPart part);
    int NextWalkScreen(int after) const;
    void ShowScreen(int screen);
    void BeginRun();
    void EndRun();
    // The stall watch: a step forward restarts it; a pause of the links' own moves it past the pause.
    void Stepped();
    void Paused(int ms);

    ScreenTable &table_;
    SerialLink &serial_;
    NetLink &net_;
    QPointer<NetLink> netAlive_; // the window deletes its links before the runner
    SerialCompletion completion_;
    SendRunnerHooks hooks_;
    SendSequence sequence_;
    bool selectionWalk_ = false; // the serial walk goes over the screens selected for sending only
    // The screen whose acknowledgement the network follow-up continues, and the reply kind whose
    // order a part that cannot start gives way in.
    int followUpScreen_ = -1;
    ReplyKind followUpKind_ = ReplyKind::Params;
    std::optional<FullSendReport> run_; // the full send under way
    CompletionTimings completionTimings_;
    int serialScreen_ = 0; // the screen of the serial transfer last started
    int statusScreen_ = 0;
    int stallMs_ = 0; // 0: not watched
    QTimer stallTimer_;
    QElapsedTimer stallClock_;
    qint64 pauseEndMs_ = 0; // on stallClock_
};

} // namespace pelvoro

Q_DECLARE_METATYPE(pelvoro::FullSendReport)
