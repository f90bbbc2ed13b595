// Another writer (a tool run, a second station) changed SysConfig.ini: the screens this window has
// not changed itself follow the file, so that the window's next save does not undo that change.
#include "app/main_window.h"

#include "config/config_watcher.h"

namespace pelvoro {

void Tfrmmain::WatchConfig()
{
    configWatcher_ = new ConfigWatcher(store_.Path(), this);
    connect(configWatcher_, &ConfigWatcher::Changed, this, &Tfrmmain::TakeOutsideConfigChanges);
}

void Tfrmmain::TakeOutsideConfigChanges()
{
    // The settings dialog's model is the table itself; a reload under it would change the screen
    // count and the records it is editing. The change is taken when it closes.
    if (screenEditorOpen_) {
        outsideChangeWaiting_ = true;
        return;
    }
    outsideChangeWaiting_ = false;
    // A save of ours that carried another writer's change leaves nothing to take but that change.
    const int shown = table_.CurrentScreen;
    const QList<int> changed = store_.TakeOutsideChanges(table_);
    if (changed.isEmpty())
        return;
    for (int screen : changed)
        Q_EMIT PreviewRedrawRequested(screen);
    const int current = std::min(shown, table_.LastIndex);
    table_.CurrentScreen = current;
    BuildTree(table_.LastIndex, current);
    RefreshLists(current);
    ShowScreenSummary(current);
    ShowCommStatus(QStringLiteral("状态：SysConfig.ini已被其他程序修改，已重新载入"));
}

} // namespace pelvoro
