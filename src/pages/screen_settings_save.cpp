#include "pages/screen_settings_save.h"

#include "base/atomic_file.h"
#include "base/directory_lock.h"
#include "config/config_store.h"
#include "pages/settings_reset.h"

#include <QFileInfo>

namespace pelvoro {

ScreenSettingsSaved SaveScreenSettings(ScreenTable &table, ConfigStore &store, const std::vector<int> &reset,
                                       int erasedUpTo)
{
    const DirectoryLock lock(QFileInfo(store.Path()).absolutePath());
    if (!lock.Locked())
        return {lock.Error()};
    table.LastIndex = ClampLastIndex(table.LastIndex);
    ScreenTable saved = table;
    FileSetUpdate update;
    ResetScreens(saved, reset, update);
    if (!store.StageScreens(saved, saved.LastIndex, update, saved.LastIndex, erasedUpTo))
        return {store.SaveFailureMessage()};
    if (QString error; !update.Commit(&error))
        return {QStringLiteral("无法保存配置文件或删除已改变显示屏的数据文件：") + error};
    table = saved;
    store.ScreensSaved(table, table.LastIndex);
    return {};
}

} // namespace pelvoro
