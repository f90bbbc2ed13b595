// The send operations of the main window: the buttons, the full send and its continuation, the
// walks over several screens, and what the links report back.
#include "app/main_window.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "comm/frames.h"
#include "config/schedule_sections.h"
#include "comm/ui/send_selection_dialog.h"

#include <QDateTime>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace pelvoro {

void Tfrmmain::ConnectLinks()
{
    connect(serial_, &SerialLink::StatusText, this, &Tfrmmain::ShowCommStatus);
    connect(net_, &NetLink::StatusText, this, &Tfrmmain::ShowCommStatus);
    connect(serial_, &SerialLink::Progress, this,
            [this](qint64 written) { screenPanel_->ProgressBar()->setValue(int(written)); });
    connect(serial_, &SerialLink::ProgressHidden, this, [this] { screenPanel_->ProgressBar()->hide(); });
    connect(net_, &NetLink::BlockSent, this,
            [this](qint64 sent, qint64) { screenPanel_->ProgressBar()->setValue(int(sent)); });
    connect(net_, &NetLink::Acknowledged, this, [this] { screenPanel_->ProgressBar()->hide(); });
    connect(serial_, &SerialLink::TransferClosed, this, [this] { SetSendButtonsEnabled(true); });
    connect(completion_, &SerialCompletion::ContinuationDue, this, &Tfrmmain::OnSerialContinuation);
    connect(serial_, &SerialLink::SchedulesCancelled, this, [this](int screen) {
        if (screen != table_.CurrentScreen)
            return;
        if (!EraseSchedules(store_, screen, mainPanel_->PageCount()))
            ReportSaveFailure();
        // Listing the same screen again keeps its selected page.
        mainPanel_->RefreshPageList(screen);
    });
    net_->SetSequence(&sequence_);
    connect(net_, &NetLink::Acknowledged, this, [this] { followUpScreen_ = table_.CurrentScreen; });
    connect(net_, &NetLink::FollowUpDue, this, [this](SendPart part) {
        // The next part belongs to the screen that acknowledged; another screen selected during
        // the wait must not receive it.
        if (table_.CurrentScreen != followUpScreen_) {
            sequence_.ClearPending();
            return;
        }
        PressPart(part);
    });

    connect(mainPanel_, &MainAreaPanel::SendRequested, this, [this] { SendMainArea(table_.CurrentScreen); });
    connect(titlePanel_, &TitlePanel::SendRequested, this, [this] { SendSubtitle(table_.CurrentScreen); });
    connect(clockPanel_, &ClockPanel::SendClockRequested, this, &Tfrmmain::SendClock);
    connect(clockPanel_, &ClockPanel::SendTemperatureRequested, this, &Tfrmmain::SendTemperature);
    connect(clockPanel_, &ClockPanel::SendRequested, this, &Tfrmmain::SendClockAndTemperature);
    connect(screenPanel_->SendAllButton(), &QPushButton::clicked, this, &Tfrmmain::SendAll);
    connect(screenPanel_->SyncClockButton(), &QPushButton::clicked, this, &Tfrmmain::SyncClock);

    networkWalkTimer_.setInterval(timings_.networkWalkMs);
    connect(&networkWalkTimer_, &QTimer::timeout, this, &Tfrmmain::OnNetworkWalkTick);
}

std::array<QPushButton *, 5> Tfrmmain::SendButtons() const
{
    return {screenPanel_->SyncClockButton(), screenPanel_->SendAllButton(), titlePanel_->SendButton(),
            mainPanel_->SendButton(), clockPanel_->SendButton()};
}

void Tfrmmain::SetSendButtonsEnabled(bool enabled)
{
    for (QPushButton *button : SendButtons())
        button->setEnabled(enabled);
}

void Tfrmmain::ShowProgress(qint64 maximum)
{
    QProgressBar *bar = screenPanel_->ProgressBar();
    bar->setMaximum(int(std::min<qint64>(maximum, std::numeric_limits<int>::max())));
    bar->setValue(0);
    bar->show();
    bar->raise();
}

void Tfrmmain::DispatchRequest(const SendRequest &request, bool disableButtons)
{
    const ScreenInfo &screen = table_[request.screenIndex];
    Dispatch(screen, request, *serial_, *net_, broadcastFlag_);
    // Only a transfer that exists gives the buttons back when it closes; disabling them without
    // one would leave them dead.
    if (disableButtons && !IsNetworkScreen(screen) && serial_->HasTransfer())
        SetSendButtonsEnabled(false);
}

void Tfrmmain::SendFrame(const CommandFrame &frame, bool disableButtons)
{
    if (const std::optional<SendRequest> request = MakeSendRequest(table_.CurrentScreen, frame))
        DispatchRequest(*request, disableButtons);
}

void Tfrmmain::SendFile(int screen, const FileSend &send, bool announceNetworkSend)
{
    if (!send.request) {
        if (!send.status.isEmpty())
            ShowCommStatus(send.status);
        return;
    }
    ShowProgress(send.fileSize);
    if (announceNetworkSend && IsNetworkScreen(table_[screen]))
        ShowCommStatus(NetSendingText(screen));
    DispatchRequest(*send.request, true);
}

void Tfrmmain::SendMainArea(int screen)
{
    SendFile(screen, PrepareMainAreaSend(screen, table_[screen]), true);
}

void Tfrmmain::SendSubtitle(int screen)
{
    // Only the main area announces its network send.
    SendFile(screen, PrepareSubtitleSend(screen, table_[screen]), false);
}

void Tfrmmain::SendClock()
{
    const int i = table_.CurrentScreen;
    const QDateTime now = QDateTime::currentDateTime();
    SendFrame(BuildClockFrame(i, table_[i], SamplePositions(table_[i], now).clock, now), true);
}

void Tfrmmain::SendTemperature()
{
    const int i = table_.CurrentScreen;
    const QDateTime now = QDateTime::currentDateTime();
    SendFrame(BuildTempFrame(i, table_[i], SamplePositions(table_[i], now).temperature), true);
}

void Tfrmmain::SendClockAndTemperature()
{
    const ScreenInfo &screen = table_[table_.CurrentScreen];
    if (!HasClock(screen)) {
        SendTemperature();
        return;
    }
    if (HasTemperature(screen)) {
        sequence_.PendOnly(SendPart::Temperature);
    }
    SendClock();
}

void Tfrmmain::SyncClock()
{
    SendFrame(BuildTimeSyncFrame(table_.CurrentScreen, QDateTime::currentDateTime()), true);
}

void Tfrmmain::ResetScreenParams()
{
    SendFrame(BuildParamFrame(table_.CurrentScreen, table_[table_.CurrentScreen]), false);
}

void Tfrmmain::ConnectIp()
{
    net_->ConnectScreen(table_.CurrentScreen);
}

void Tfrmmain::SendAll()
{
    sequence_.BeginFullSend(table_[table_.CurrentScreen], mainPanel_->PageCount() > 0, titlePanel_->PageCount() > 0);
    SyncClock();
}

void Tfrmmain::PressPart(SendPart part)
{
    switch (part) {
    case SendPart::Clock: SendClock(); break;
    case SendPart::Temperature: SendTemperature(); break;
    case SendPart::Subtitle: titlePanel_->Send(); break;
    case SendPart::Main: mainPanel_->Send(); break;
    }
}

bool Tfrmmain::ContinueSequence()
{
    // A part that could not start on a serial screen (its file gone, say) gives way to the next
    // one, so that one bad part does not end the chain. Over the network the acknowledgement of
    // each part brings the next.
    while (const std::optional<SendPart> part = sequence_.ContinueSequence(table_[table_.CurrentScreen].SendSelected)) {
        PressPart(*part);
        if (IsNetworkScreen(table_[table_.CurrentScreen]) || serial_->HasTransfer())
            return true;
    }
    return false;
}

void Tfrmmain::OnSerialContinuation()
{
    if (!sequence_.MultiScreenWalk()) {
        ContinueSequence();
        return;
    }
    sequence_.WalkTo(table_.CurrentScreen);
    // The walk moves on only once the screen's last part has gone: moving on while it is still
    // being sent would drop the next screen's time synchronisation.
    if (ContinueSequence())
        return;
    const int next = NextWalkScreen(sequence_.WalkCursor());
    if (next < 0) {
        sequence_.EndWalk();
        return;
    }
    sequence_.WalkTo(next);
    ShowWalkedScreen(next);
    SendAll();
}

int Tfrmmain::NextWalkScreen(int after) const
{
    for (int k = after + 1; k <= table_.LastIndex; ++k) {
        if (!selectionWalk_ || table_[k].SendSelected)
            return k;
    }
    return -1;
}

void Tfrmmain::ShowWalkedScreen(int screen)
{
    // The lists and the tree follow the walk, so that the pages tested and sent are the walked
    // screen's own and no later edit lands on a screen other than the one shown.
    QTreeWidgetItem *node = ScreenItem(screen);
    if (!node) {
        table_.CurrentScreen = screen;
        return;
    }
    SelectFromCode(node);
    TreemainClick(node);
}

void Tfrmmain::StartSerialWalk(bool selectedOnly)
{
    selectionWalk_ = selectedOnly;
    const int first = NextWalkScreen(-1);
    if (first < 0)
        return;
    sequence_.WalkTo(first);
    ShowWalkedScreen(first);
    SendAll();
}

void Tfrmmain::GroupSend()
{
    if (IsNetworkScreen(table_[table_.CurrentScreen]))
        StartNetworkWalk(false);
    else
        StartSerialWalk(false);
}

void Tfrmmain::SendSelection()
{
    if (IsNetworkScreen(table_[table_.CurrentScreen])) {
        StartNetworkWalk(true);
        return;
    }
    sequence_.DropSendAllMark();
    StartSerialWalk(true);
}

SendSelectionDialog *Tfrmmain::OpenSendSelection()
{
    auto *dialog = new SendSelectionDialog(table_, store_, prompt_, [this] { SendSelection(); }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void Tfrmmain::SelectLastAreaNode(QTreeWidgetItem *node)
{
    QTreeWidgetItem *screenNode = node->parent() ? node->parent() : node;
    if (screenNode->childCount() > 0)
        SelectFromCode(screenNode->child(screenNode->childCount() - 1));
}

void Tfrmmain::StartNetworkWalk(bool selectedOnly)
{
    QTreeWidgetItem *first = tree_->topLevelItem(0);
    if (!first)
        return;
    selectionWalk_ = selectedOnly;
    SelectFromCode(first);
    TreemainClick(first);
    if (HasMain(table_[table_.CurrentScreen]))
        SelectLastAreaNode(first);
    tcpWalkPhase_ = true;
    networkWalkTimer_.start();
}

void Tfrmmain::OnNetworkWalkTick()
{
    // While the link sends a frame in blocks or waits, the walk waits too: moving on would close
    // the connection under the frame.
    if (net_->Busy())
        return;
    if (tcpWalkPhase_) {
        const int current = table_.CurrentScreen;
        const ScreenInfo &screen = table_[current];
        const bool last = current == table_.LastIndex;
        if (last)
            networkWalkTimer_.stop();
        if (HasMain(screen) && (!selectionWalk_ || screen.SendSelected)) {
            // A message about an empty page list must not be stacked on by the next ticks.
            const bool running = networkWalkTimer_.isActive();
            networkWalkTimer_.stop();
            mainPanel_->Send();
            if (running)
                networkWalkTimer_.start();
        }
    } else if (QTreeWidgetItem *selected = tree_->currentItem()) {
        if (QTreeWidgetItem *next = tree_->itemBelow(selected)) {
            SelectFromCode(next);
            TreemainClick(next);
            if (HasMain(table_[table_.CurrentScreen]))
                SelectLastAreaNode(next);
        }
    }
    tcpWalkPhase_ = !tcpWalkPhase_;
}

} // namespace pelvoro
