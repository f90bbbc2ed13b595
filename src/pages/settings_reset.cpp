#include "pages/settings_reset.h"

#include "base/app_dir.h"
#include "base/directory_lock.h"
#include "pages/data_files.h"

#include <QFile>

namespace pelvoro {

bool ResetScreenForNewSettings(ScreenInfo &screen, int index)
{
    screen.Areas.fill(QString());
    screen.MainHeight = 16;
    screen.ClockHeight = 16;
    screen.TitleHeight = 16;
    // The subtitle text stays: it holds no raster and is replaced with the next subtitle.
    const DirectoryLock lock;
    if (!lock.Locked())
        return false;
    bool ok = true;
    for (const QString &name : {PageFileName(index), SubtitleFileName(index)}) {
        const QString path = AppFile(name);
        if (QFile::exists(path) && !QFile::remove(path))
            ok = false;
    }
    return ok;
}

ChangedScreensReset ResetChangedScreens(ScreenTable &table)
{
    ChangedScreensReset result;
    for (int i = 0; i <= table.LastIndex; ++i) {
        if (!table[i].SettingsChanged)
            continue;
        result.screens.push_back(i);
        if (!ResetScreenForNewSettings(table[i], i))
            result.filesOk = false;
    }
    return result;
}

} // namespace pelvoro
