#include "pages/settings_reset.h"

#include "base/app_dir.h"
#include "config/screen_settings.h"
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

std::vector<int> ScreensToReset(const ScreenTable &table, const std::vector<ScreenInfo> &opened)
{
    std::vector<int> screens;
    for (int i = 0; i <= table.LastIndex; ++i) {
        if (!table[i].SettingsChanged)
            continue;
        if (size_t(i) < opened.size() && PagesStillFit(opened[size_t(i)], table[i]))
            continue;
        screens.push_back(i);
    }
    return screens;
}

void ResetScreens(ScreenTable &table, const std::vector<int> &screens, FileSetUpdate &update)
{
    for (int i : screens)
        ResetScreenForNewSettings(table[i], i, update);
}

QString ResetDeletesPagesQuestion(const std::vector<int> &screens)
{
    QStringList lines;
    for (int i : screens) {
        const int pages = StoredPageCount(i);
        const int subtitlePages = StoredSubtitlePageCount(i);
        if (pages == 0 && subtitlePages == 0)
            continue;
        lines << QStringLiteral("%1号显示屏：主区 %2 页，字幕 %3 页").arg(i + 1).arg(pages).arg(subtitlePages);
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral("显示屏的尺寸、颜色或控制卡已改变，关闭后以下数据页将被删除：\n") + lines.join(QLatin1Char('\n'))
           + QStringLiteral("\n继续吗？");
}

} // namespace pelvoro
