// The send operations of the main window: its buttons and what the send runner reports back, the
// serial walk's screens shown in the tree, and the network walk over the tree's nodes.
#include "app/main_window.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "comm/frames.h"
#include "comm/ui/send_selection_dialog.h"
#include "config/schedule_sections.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace pelvoro {

void Tfrmmain::ConnectLinks()
{
    SendRunnerHooks hooks;
    // The lists show the current screen, the only one the runner asks about.
    hooks.hasMainPages = [this](int) { return mainPanel_->PageCount() > 0; };
    hooks.hasSubtitlePages = [this](int) { return titlePanel_->PageCount() > 0; };
    hooks.showScreen = [this](int screen) { ShowWalkedScreen(screen); };
    hooks.broadcast = [this] { return broadcastFlag_; };
    runner_ = new SendRunner(table_, *serial_, *net_, timings_.completion, std::move(hooks), this);

    connect(runner_, &SendRunner::StatusText, this,
            [this](const QString &text) { ShowExchangeStatus(runner_->StatusScreen(), text); });
    connect(runner_, &SendRunner::ProgressStarted, this, &Tfrmmain::ShowProgress);
    connect(runner_, &SendRunner::Progress, this,
            [this](qint64 value) { screenPanel_->ProgressBar()->setValue(int(value)); });
    connect(runner_, &SendRunner::ProgressHidden, this, [this] { screenPanel_->ProgressBar()->hide(); });
    connect(runner_, &SendRunner::SerialPartStarted, this, [this] { SetSendButtonsEnabled(false); });
    connect(serial_, &SerialLink::TransferClosed, this, [this] { SetSendButtonsEnabled(true); });
    connect(serial_, &SerialLink::SchedulesCancelled, this, [this](int screen) {
        if (screen != table_.CurrentScreen)
            return;
        if (!EraseSchedules(store_, screen, mainPanel_->PageCount()))
            ReportSaveFailure();
        // Listing the same screen again keeps its selected page.
        mainPanel_->RefreshPageList(screen);
    });

    connect(mainPanel_, &MainAreaPanel::SendRequested, this, &Tfrmmain::SendMainArea);
    connect(titlePanel_, &TitlePanel::SendRequested, this, &Tfrmmain::SendSubtitle);
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

void Tfrmmain::SendMainArea()
{
    runner_->Send(SendPart::Main);
}

void Tfrmmain::SendSubtitle()
{
    runner_->Send(SendPart::Subtitle);
}

void Tfrmmain::SendClock()
{
    runner_->Send(SendPart::Clock);
}

void Tfrmmain::SendTemperature()
{
    runner_->Send(SendPart::Temperature);
}

void Tfrmmain::SendClockAndTemperature()
{
    runner_->SendClockAndTemperature();
}

void Tfrmmain::SyncClock()
{
    runner_->SyncClock();
}

void Tfrmmain::ResetScreenParams()
{
    const int screen = table_.CurrentScreen;
    if (const std::optional<SendRequest> request = MakeSendRequest(screen, BuildParamFrame(screen, table_[screen])))
        runner_->Send(*request);
}

void Tfrmmain::ConnectIp()
{
    net_->ConnectScreen(table_.CurrentScreen);
}

void Tfrmmain::SendAll()
{
    runner_->SendAll();
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

void Tfrmmain::GroupSend()
{
    if (IsNetworkScreen(table_[table_.CurrentScreen]))
        StartNetworkWalk(false);
    else
        runner_->StartSerialWalk(false);
}

void Tfrmmain::SendSelection()
{
    if (IsNetworkScreen(table_[table_.CurrentScreen]))
        StartNetworkWalk(true);
    else
        runner_->StartSerialWalk(true);
}

SendSelectionDialog *Tfrmmain::OpenSendSelection()
{
    auto *dialog = new SendSelectionDialog(
        table_, store_, prompt_, [this] { SendSelection(); }, this);
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
