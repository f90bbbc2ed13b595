#include "comm/send_runner.h"

#include "comm/frames.h"
#include "comm/net_link.h"
#include "comm/serial_link.h"
#include "config/area_layout.h"
#include "pages/data_files.h"

#include <QDateTime>
#include <QTcpSocket>

#include <algorithm>
#include <climits>

namespace pelvoro {

SendRunner::SendRunner(ScreenTable &table, SerialLink &serial, NetLink &net, CompletionTimings timings,
                       SendRunnerHooks hooks, QObject *parent)
    : QObject(parent), table_(table), serial_(serial), net_(net), netAlive_(&net), completion_(serial, timings),
      hooks_(std::move(hooks)), completionTimings_(timings)
{
    qRegisterMetaType<FullSendReport>();
    connect(&serial_, &SerialLink::StatusText, this, [this](const QString &text) { EmitStatus(serialScreen_, text); });
    // The network link works for the current screen: selecting another one moves the connection.
    connect(&net_, &NetLink::StatusText, this,
            [this](const QString &text) { EmitStatus(table_.CurrentScreen, text); });
    connect(&net_, &NetLink::ConnectionLost, this, &SendRunner::OnConnectionLost);
    connect(&serial_, &SerialLink::Progress, this, &SendRunner::Progress);
    connect(&serial_, &SerialLink::ProgressHidden, this, &SendRunner::ProgressHidden);
    connect(&net_, &NetLink::BlockSent, this, [this](qint64 sent, qint64) { Q_EMIT Progress(sent); });
    connect(&serial_, &SerialLink::TransferEnded, this, [this](SerialOutcome outcome) {
        if (run_ && outcome != SerialOutcome::Succeeded)
            run_->failed = true;
    });
    connect(&completion_, &SerialCompletion::ContinuationDue, this, &SendRunner::OnSerialContinuation);
    net_.SetSequence(&sequence_);
    connect(&net_, &NetLink::Acknowledged, this, &SendRunner::OnAcknowledged);
    connect(&net_, &NetLink::FollowUpDue, this, &SendRunner::OnFollowUpDue);

    stallTimer_.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; over a long line wait that would call a controller
    // stalled before its time was up.
    stallTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stallTimer_, &QTimer::timeout, this, &SendRunner::Stalled);
    connect(&serial_, &SerialLink::StatusText, this, &SendRunner::Stepped);
    connect(&serial_, &SerialLink::Progress, this, &SendRunner::Stepped);
    connect(&serial_, &SerialLink::Pausing, this, &SendRunner::Paused);
    connect(&serial_, &SerialLink::TransferEnded, this,
            [this] { Paused(completionTimings_.closeDelayMs + completionTimings_.continueDelayMs); });
    connect(net_.ClientSocket(), &QAbstractSocket::connected, this, &SendRunner::Stepped);
    connect(&net_, &NetLink::BlockSent, this, &SendRunner::Stepped);
    connect(&net_, &NetLink::Acknowledged, this, &SendRunner::Stepped);
    connect(&net_, &NetLink::Pausing, this, &SendRunner::Paused);
}

void SendRunner::WatchForStall(int ms)
{
    stallMs_ = ms;
    stallClock_.start();
    pauseEndMs_ = 0;
    Stepped();
}

void SendRunner::Stepped()
{
    if (stallMs_ <= 0)
        return;
    // A step inside a pause (the success text of a transfer whose closing wait runs) must not cut
    // the pause short.
    const qint64 pauseLeft = std::max<qint64>(0, pauseEndMs_ - stallClock_.elapsed());
    stallTimer_.start(int(std::min<qint64>(pauseLeft + stallMs_, INT_MAX)));
}

void SendRunner::Paused(int ms)
{
    if (stallMs_ <= 0)
        return;
    pauseEndMs_ = std::max(pauseEndMs_, stallClock_.elapsed() + ms);
    Stepped();
}

SendRunner::~SendRunner()
{
    if (netAlive_)
        net_.SetSequence(nullptr);
}

void SendRunner::EmitStatus(int screen, const QString &text)
{
    statusScreen_ = screen;
    Q_EMIT StatusText(text);
}

void SendRunner::OnConnectionLost()
{
    Q_EMIT ProgressHidden();
    if (!run_ || !IsNetworkScreen(table_[run_->screen]))
        return;
    // Only an acknowledgement moves a network send on; none will come.
    sequence_.ClearPending();
    run_->failed = true;
    EndRun();
}

bool SendRunner::HasMainPages(int screen) const
{
    return hooks_.hasMainPages ? hooks_.hasMainPages(screen) : StoredPageCount(screen) > 0;
}

bool SendRunner::HasSubtitlePages(int screen) const
{
    return hooks_.hasSubtitlePages ? hooks_.hasSubtitlePages(screen) : StoredSubtitlePageCount(screen) > 0;
}

void SendRunner::ShowScreen(int screen)
{
    if (hooks_.showScreen)
        hooks_.showScreen(screen);
    else
        table_.CurrentScreen = screen;
}

DispatchRoute SendRunner::Send(const SendRequest &request)
{
    const ScreenInfo &screen = table_[request.screenIndex];
    if (request.replyKind == ReplyKind::MainArea && IsNetworkScreen(screen))
        EmitStatus(request.screenIndex, NetSendingText(request.screenIndex));
    if (!IsNetworkScreen(screen) && !serial_.HasTransfer())
        serialScreen_ = request.screenIndex;
    return Dispatch(screen, request, serial_, net_, hooks_.broadcast && hooks_.broadcast());
}

SendRunner::PartRequest SendRunner::BuildPart(SendPart part, int screen) const
{
    const ScreenInfo &info = table_[screen];
    const QDateTime now = QDateTime::currentDateTime();
    PartRequest built;
    switch (part) {
    case SendPart::Clock:
        built.request = MakeSendRequest(screen, BuildClockFrame(screen, info, SamplePositions(info, now).clock, now));
        break;
    case SendPart::Temperature:
        built.request = MakeSendRequest(screen, BuildTempFrame(screen, info, SamplePositions(info, now).temperature));
        break;
    case SendPart::Main:
    case SendPart::Subtitle: {
        const bool main = part == SendPart::Main;
        if (!(main ? HasMainPages(screen) : HasSubtitlePages(screen))) {
            built.refusal = main ? QStringLiteral("没有添加文件页,请添加文件页!")
                                 : QStringLiteral("没有添加字幕页,请添加字幕页!");
            break;
        }
        const FileSend file = main ? PrepareMainAreaSend(screen, info) : PrepareSubtitleSend(screen, info);
        built.request = file.request;
        built.refusal = file.status;
        built.fileSize = file.fileSize;
        break;
    }
    }
    return built;
}

bool SendRunner::Send(SendPart part)
{
    const PartRequest built = BuildPart(part, table_.CurrentScreen);
    if (!built.request) {
        if (!built.refusal.isEmpty())
            EmitStatus(table_.CurrentScreen, built.refusal);
        if (run_)
            run_->refused = true;
        Q_EMIT PartRefused(part, built.refusal);
        return false;
    }
    if (built.fileSize > 0)
        Q_EMIT ProgressStarted(built.fileSize);
    DispatchPart(*built.request);
    return true;
}

void SendRunner::DispatchPart(const SendRequest &request)
{
    const DispatchRoute route = Send(request);
    if (route == DispatchRoute::Dropped && run_)
        run_->failed = true;
    // Only a transfer that exists gives the buttons back when it closes.
    if (!IsNetworkScreen(table_[request.screenIndex]) && serial_.HasTransfer())
        Q_EMIT SerialPartStarted();
}

void SendRunner::SyncClock()
{
    const int screen = table_.CurrentScreen;
    const QDateTime now = QDateTime::currentDateTime();
    if (const std::optional<SendRequest> request = MakeSendRequest(screen, BuildTimeSyncFrame(screen, now)))
        DispatchPart(*request);
}

void SendRunner::SendClockAndTemperature()
{
    const ScreenInfo &screen = table_[table_.CurrentScreen];
    if (!HasClock(screen)) {
        Send(SendPart::Temperature);
        return;
    }
    if (HasTemperature(screen)) {
        sequence_.PendOnly(SendPart::Temperature);
        BeginRun();
    }
    Send(SendPart::Clock);
}

void SendRunner::SendAll()
{
    const int screen = table_.CurrentScreen;
    sequence_.BeginFullSend(table_[screen], HasMainPages(screen), HasSubtitlePages(screen));
    BeginRun();
    SyncClock();
}

void SendRunner::BeginRun()
{
    run_ = FullSendReport{};
    run_->screen = table_.CurrentScreen;
}

void SendRunner::EndRun()
{
    if (!run_)
        return;
    const FullSendReport report = *run_;
    run_.reset();
    Q_EMIT FullSendEnded(report);
}

void SendRunner::Reset()
{
    sequence_.Reset();
    run_.reset();
}

bool SendRunner::ContinueSerial()
{
    // A part that cannot start (its file gone, say) gives way to the next one, so that one bad part
    // does not end the chain.
    while (const std::optional<SendPart> part = sequence_.ContinueSequence(table_[table_.CurrentScreen].SendSelected)) {
        if (Send(*part))
            return true;
    }
    return false;
}

void SendRunner::OnSerialContinuation()
{
    // The buttons come back when a transfer closes, so the operator may have started one during
    // the wait. The chain's next part (or the walk's next screen) then waits for that transfer's
    // own completion notice instead of being dropped by the busy link.
    if (serial_.HasTransfer())
        return;
    const bool walking = sequence_.MultiScreenWalk();
    if (walking)
        sequence_.WalkTo(table_.CurrentScreen);
    // The walk moves on only once the screen's last part has gone: moving on while it is still
    // being sent would drop the next screen's time synchronisation.
    if (ContinueSerial())
        return;
    // A network screen's full send ends on its acknowledgements, not here.
    if (run_ && !IsNetworkScreen(table_[run_->screen]))
        EndRun();
    if (!walking)
        return;
    const int next = NextWalkScreen(sequence_.WalkCursor());
    if (next < 0) {
        sequence_.EndWalk();
        return;
    }
    sequence_.WalkTo(next);
    ShowScreen(next);
    SendAll();
}

int SendRunner::NextWalkScreen(int after) const
{
    for (int k = after + 1; k <= table_.LastIndex; ++k) {
        if (!selectionWalk_ || table_[k].SendSelected)
            return k;
    }
    return -1;
}

void SendRunner::StartSerialWalk(bool selectedOnly)
{
    if (selectedOnly)
        sequence_.DropSendAllMark();
    selectionWalk_ = selectedOnly;
    const int first = NextWalkScreen(-1);
    if (first < 0)
        return;
    sequence_.WalkTo(first);
    ShowScreen(first);
    SendAll();
}

void SendRunner::OnAcknowledged(ReplyKind kind)
{
    Q_EMIT ProgressHidden();
    followUpScreen_ = table_.CurrentScreen;
    followUpKind_ = kind;
    if (run_ && run_->screen == table_.CurrentScreen && IsNetworkScreen(table_[run_->screen])
        && !net_.FollowUpScheduled())
        EndRun();
}

void SendRunner::OnFollowUpDue(SendPart part)
{
    // The next part belongs to the screen that acknowledged; another screen selected during the
    // wait must not receive it.
    if (table_.CurrentScreen != followUpScreen_) {
        sequence_.ClearPending();
        if (run_) {
            run_->abandoned = true;
            EndRun();
        }
        return;
    }
    // A part that cannot start gives way to the next one in the acknowledged kind's order, at once:
    // nothing was sent that the controller must acknowledge first.
    for (std::optional<SendPart> next = part; next; next = sequence_.FollowUp(followUpKind_)) {
        if (Send(*next))
            return;
    }
    EndRun();
}

} // namespace pelvoro
