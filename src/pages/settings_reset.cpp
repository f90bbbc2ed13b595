#include "pages/settings_reset.h"

#include "base/app_dir.h"
#include "pages/data_files.h"

namespace pelvoro {

void ResetScreenForNewSettings(ScreenInfo &screen, int index, FileSetUpdate &update)
{
    screen.Areas.fill(QString());
    screen.MainHeight = 16;
    screen.ClockHeight = 16;
    screen.TitleHeight = 16;
    // The subtitle text stays: it holds no raster and is replaced with the next subtitle.
    for (const QString &name : {PageFileName(index), SubtitleFileName(index)})
        update.Remove(AppFile(name));
}

std::vector<int> ResetChangedScreens(ScreenTable &table, FileSetUpdate &update)
{
    std::vector<int> screens;
    for (int i = 0; i <= table.LastIndex; ++i) {
        if (!table[i].SettingsChanged)
            continue;
        screens.push_back(i);
        ResetScreenForNewSettings(table[i], i, update);
    }
    return screens;
}

} // namespace pelvoro
