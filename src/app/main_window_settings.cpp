// "设置屏参": the screen settings dialog and bringing the window in line when it closes.
#include "app/main_window.h"

#include "app/screen_panel.h"
#include "comm/frames.h"
#include "config/ui/settings_dialog.h"
#include "pages/ui/preview_window.h"

namespace pelvoro {

void Tfrmmain::OpenScreenSettings()
{
    if (!RequestAccess(AccessPurpose::Setting))
        return;
    ShowScreenSettingsDialog();
}

TFrmset *Tfrmmain::ShowScreenSettingsDialog()
{
    ScreenSettingsHooks hooks;
    hooks.screenSelected = [this](int screen) { ShowScreenSummary(screen); };
    hooks.networkScreenSelected = [this](int screen) { table_.CurrentScreen = screen; };
    hooks.serialScreenSelected = [this] { ShowCommStatus(QString()); };
    hooks.connectIp = [this](int screen) { net_->ConnectScreen(screen); };
    hooks.loadParams = [this](int screen) {
        if (const auto request = MakeSendRequest(screen, BuildParamFrame(screen, table_[screen])))
            runner_->Send(*request);
    };
    hooks.closed = [this](const std::vector<int> &reset) { AfterScreenSettings(reset); };
    screenEditorOpen_ = true;
    auto *dialog = new TFrmset(table_, store_, prompt_, std::move(hooks), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(serial_, &SerialLink::SettingsLabel, dialog, &TFrmset::ShowResult);
    dialog->open();
    return dialog;
}

void Tfrmmain::AfterScreenSettings(const std::vector<int> &reset)
{
    screenEditorOpen_ = false;
    for (int screen : reset)
        Q_EMIT PreviewRedrawRequested(screen);
    // The window starts again from screen 0, whatever the dialog selected or removed.
    table_.CurrentScreen = 0;
    RefreshLists(0);
    if (preview_)
        preview_->move(0, 0);
    BuildTree(table_.LastIndex, 0);
    Q_EMIT PreviewRedrawRequested(0);
    ShowScreenSummary(0);
    ShowPanels({screenPanel_});
    // What another writer changed meanwhile, over what the dialog saved, in one step.
    if (outsideChangeWaiting_)
        TakeOutsideConfigChanges();
}

} // namespace pelvoro
