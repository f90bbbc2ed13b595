// The commands that look after the controller: power, test patterns, the FPGA image, the outdoor
// configuration and the glyph download. Each builds one request for the current screen and hands
// it to the send runner, as the content sends do.
#include "app/main_window.h"
#include "users/access_codes.h"

#include "app/main_area_panel.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "comm/frame_layout.h"
#include "comm/glyphs.h"
#include "comm/maintenance.h"
#include "comm/outdoor_config.h"
#include "comm/ui/glyph_download_tab.h"
#include "comm/ui/outdoor_dialog.h"

namespace pelvoro {

void Tfrmmain::ConnectMaintenance()
{
    if (auto *glyphs = mainPanel_->findChild<GlyphDownloadTab *>()) {
        connect(glyphs, &GlyphDownloadTab::DownloadRequested, this, [this](const QString &family, int points) {
            const int screen = table_.CurrentScreen;
            if (const std::optional<SendRequest> request = GlyphDownloadRequest(screen, family, points))
                runner_->Send(*request);
        });
    }
}

void Tfrmmain::PowerOn()
{
    runner_->Send(PowerRequest(table_.CurrentScreen, true));
}

void Tfrmmain::PowerOff()
{
    runner_->Send(PowerRequest(table_.CurrentScreen, false));
}

void Tfrmmain::SendTestPattern(const QString &caption)
{
    if (const std::optional<quint8> pattern = TestPatternOf(caption))
        runner_->Send(TestPatternRequest(table_.CurrentScreen, *pattern));
}

void Tfrmmain::LoadFpga()
{
    FileDialogRequest dialog;
    dialog.filters = {QStringLiteral("rbf文件(*.rbf)")};
    const QString path = prompt_.OpenFile(dialog);
    if (path.isEmpty()) {
        prompt_.Message(FpgaCancelledWarning(), QStringLiteral("提示"), PromptIcon::Warning);
        return;
    }
    const DownloadSend send = PrepareFileDownload(table_.CurrentScreen, kFileKindFpga, path);
    if (send.readable)
        ShowProgress(send.fileSize);
    if (send.request)
        runner_->Send(*send.request);
    else if (!send.status.isEmpty())
        ShowCommStatus(send.status);
    // The open dialog may have moved the working directory.
    EnterAppDir();
}

void Tfrmmain::OpenOutdoorConfig()
{
    // With login off the access-code dialog shows the outdoor warning and calls back; with login on
    // the administrator gets the same warning here.
    if (!RequestAccess(AccessPurpose::Config))
        return;
    if (!users_.NoLogin)
        prompt_.Message(kOutdoorWarningText, QStringLiteral("提示"), PromptIcon::Question);
    auto *dialog = new Tfrmconfig(
        [this](int scanMode, int route) {
            const OutdoorSend send = PrepareOutdoorSend(table_.CurrentScreen, scanMode, route);
            if (!send.missing.isEmpty()) {
                prompt_.Message(send.missing);
                return;
            }
            if (send.download.readable)
                ShowProgress(send.download.fileSize);
            if (send.download.request)
                runner_->Send(*send.download.request);
            else if (!send.download.status.isEmpty())
                ShowCommStatus(send.download.status);
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace pelvoro
