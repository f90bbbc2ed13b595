// "发送定时" and "取消定时": the current screen's timed play lists, sent through the send runner
// like every other command, and the "定时播放" tab's button.
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/schedule_tab.h"
#include "base/prompt.h"
#include "comm/frames.h"
#include "comm/schedule_record.h"

namespace pelvoro {

void Tfrmmain::ConnectSchedules()
{
    ScheduleTab *tab = mainPanel_->findChild<ScheduleTab *>();
    connect(tab, &ScheduleTab::SendRequested, this, &Tfrmmain::SendSchedule);
    // After the serial link erased the cancelled schedules (connected before this) the tab shows
    // the selected page's schedule as it now stands.
    connect(serial_, &SerialLink::SchedulesCancelled, tab, [this, tab](int screen) {
        if (screen == table_.CurrentScreen)
            tab->ShowSchedule(mainPanel_->ListedScreen(), mainPanel_->CurrentPage());
    });
}

void Tfrmmain::SendSchedule()
{
    const int screen = table_.CurrentScreen;
    const int pages = mainPanel_->PageCount();
    if (pages <= 0 || pages >= 256) {
        prompt_.Message(QStringLiteral("文件列表中的页码有错！"), QStringLiteral("提示"),
                        PromptIcon::Question);
        return;
    }
    const FrameResult built = BuildScheduleFrame(screen, LoadScheduleRecords(store_.Read(), screen, pages));
    if (!built) {
        prompt_.Message(built.error, QStringLiteral("提示"), PromptIcon::Question);
        return;
    }
    if (const std::optional<SendRequest> request = MakeSendRequest(screen, built.frame))
        runner_->Send(*request);
}

void Tfrmmain::CancelSchedule()
{
    // The serial link erases the stored schedules once the controller acknowledged (see
    // ConnectLinks); the network link leaves them.
    const int screen = table_.CurrentScreen;
    if (const std::optional<SendRequest> request = MakeSendRequest(screen, BuildCancelScheduleFrame(screen)))
        runner_->Send(*request);
}

} // namespace pelvoro
