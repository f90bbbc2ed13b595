#include "cli_command.h"

#include "pages/area_operations.h"
#include "pages/data_files.h"

#include <QJsonDocument>
#include <QJsonObject>

// area add|remove: the programme tree's add-area menu and "删除显示区域" for one screen.
namespace pelvoro::cli {

namespace {

QString KindTexts()
{
    QStringList texts;
    for (AreaKind kind : {AreaKind::Main, AreaKind::FixedClock, AreaKind::PictureClock, AreaKind::FixedTemperature,
                          AreaKind::PictureTemperature, AreaKind::SmallTitle, AreaKind::BigTitle})
        texts.append(AreaKindText(kind));
    return texts.join(QStringLiteral(", "));
}

QString CategoryText(AreaCategory category)
{
    switch (category) {
    case AreaCategory::Main:
        return QStringLiteral("main area");
    case AreaCategory::Clock:
        return QStringLiteral("clock");
    case AreaCategory::Temperature:
        return QStringLiteral("temperature");
    case AreaCategory::Title:
        return QStringLiteral("subtitle");
    }
    return {};
}

// What a change took with it: the tool asks nothing, so it says what went.
int PrintDeleted(const ScreenPageCounts &deleted)
{
    const QJsonObject root{{QStringLiteral("deletedPages"), deleted.main},
                           {QStringLiteral("deletedSubtitlePages"), deleted.subtitle}};
    OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return kOk;
}

// After the record changed: what could not be done outside it.
int Finish(const AreaOperationResult &result, const ConfigStore &store, int screen)
{
    // The record and the data files change as a unit: a failure left both as they were.
    if (!result.saved) {
        Err(QStringLiteral("cannot write %1 and reset the data files of screen %2: %3")
                .arg(store.Path())
                .arg(screen + 1)
                .arg(result.error.isEmpty() ? store.LastError() : result.error));
        return kRefused;
    }
    return PrintDeleted(result.deleted);
}

int Add(AreaOperations &operations, const ScreenTable &table, const ConfigStore &store, int screen, AreaKind kind)
{
    // The menu only offers fixed or picture kinds for clock and temperature together, and only the
    // subtitle kind the screen already has; an item it greys out cannot be chosen.
    AddAreaMenuState menu;
    menu.OnMenuOf(kind, table[screen]);
    if (!menu.Enabled(kind)) {
        Err(QStringLiteral("the add-area menu does not offer %1 on screen %2: it already has %3")
                .arg(AreaKindText(kind))
                .arg(screen + 1)
                .arg(CategoryOf(kind) == AreaCategory::Title
                         ? QStringLiteral("the other subtitle")
                         : QStringLiteral("a clock or temperature of the other kind")));
        return kRefused;
    }
    const AreaOperationResult result = operations.Add(screen, kind);
    switch (result.outcome) {
    case AddAreaOutcome::Refused:
        Err(result.refusal.message);
        return kRefused;
    case AddAreaOutcome::AlreadyPresent:
        Err(QStringLiteral("screen %1 already has a %2; nothing changed")
                .arg(screen + 1)
                .arg(CategoryText(CategoryOf(kind))));
        return PrintDeleted({});
    case AddAreaOutcome::Added:
        break;
    }
    return Finish(result, store, screen);
}

int Remove(AreaOperations &operations, const ConfigStore &store, int screen, AreaKind kind)
{
    // The station counts the pages in its page list, which shows the page file.
    const AreaOperationResult result = operations.Remove(screen, kind, StoredPageCount(screen));
    if (result.outcome == AddAreaOutcome::Refused) {
        Err(result.refusal.message);
        return kRefused;
    }
    if (!result.removed) {
        Err(QStringLiteral("screen %1 has no %2 area").arg(screen + 1).arg(AreaKindText(kind)));
        return kRefused;
    }
    return Finish(result, store, screen);
}

int RunArea(CliArgs &args)
{
    const int screen = args.TakeScreen();
    const QStringList positional = args.Positional();
    if (positional.size() != 2)
        throw UsageError{QStringLiteral("give add or remove and one KIND")};
    const QString &action = positional[0];
    if (action != QLatin1String("add") && action != QLatin1String("remove"))
        throw UsageError{QStringLiteral("\"%1\" is neither add nor remove").arg(action)};
    const auto kind = AreaKindFromText(positional[1]);
    if (!kind)
        throw UsageError{QStringLiteral("\"%1\" is not an area kind (%2)").arg(positional[1], KindTexts())};

    ConfigStore store;
    ScreenTable table;
    if (!LockForWriting())
        return kRefused;
    LoadStation(store, table, screen);
    AreaOperations operations(table, store);
    if (action == QLatin1String("add"))
        return Add(operations, table, store, screen, *kind);
    return Remove(operations, store, screen, *kind);
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("area"),
    QStringLiteral("add or remove a display area of a screen"),
    QStringLiteral("usage: pelvoro-cli [--dir DIR] area add|remove --screen K KIND\n\n"
                   "KIND is one of 主区, 固定时钟, 贴图时钟, 固定温度, 贴图温度, 小字幕, 大字幕.\n\n"
                   "add     adds KIND as the programme tree's add-area menu does: the height check, the\n"
                   "        first free slot, the heights, and the screen-level reset (the screen's page\n"
                   "        file and subtitle files are deleted). A kind the menu does not offer (a\n"
                   "        picture clock beside a fixed temperature, a big subtitle beside a small one)\n"
                   "        and a failed height check are refused: the message goes to stderr, exit 1.\n"
                   "        A second area of a category the screen has is ignored, exit 0.\n"
                   "remove  removes KIND as \"删除显示区域\" does: slots close up, rows go back to the main\n"
                   "        area, the screen-level reset; removing 主区 also erases the schedules of the\n"
                   "        pages in the page file. A KIND the screen does not have: exit 1.\n"
                   "The configuration is saved as the station saves it. Nothing is asked: stdout says what\n"
                   "went, {\"deletedPages\": N, \"deletedSubtitlePages\": M} (the main-area and subtitle\n"
                   "pages the screen-level reset deleted; both 0 when nothing changed)."),
    RunArea,
});

} // namespace pelvoro::cli
