#include "cli_command.h"

#include "config/config_store.h"
#include "config/screen_fields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// screens: the screen table as the station loads it, as JSON.
namespace pelvoro::cli {

namespace {

QJsonValue ToJson(const ScreenFieldValue &value)
{
    return std::visit([](const auto &v) { return QJsonValue(v); }, value);
}

QJsonObject ScreenJson(const ScreenInfo &screen)
{
    QJsonObject object;
    for (const ScreenField &field : ScreenFields()) {
        const QJsonValue value = ToJson(GetField(screen, field));
        if (field.IsScalar()) {
            object.insert(field.Name(), value);
            continue;
        }
        QJsonArray array = object.value(field.Name()).toArray();
        while (array.size() <= field.element)
            array.append(QJsonValue());
        array[field.element] = value;
        object.insert(field.Name(), array);
    }
    object.insert(QStringLiteral("MaxPages"), MaxPages(screen));
    object.insert(QStringLiteral("MaxTitlePages"), MaxTitlePages(screen));
    return object;
}

int RunScreens(CliArgs &args)
{
    if (!args.Positional().isEmpty())
        throw UsageError{QStringLiteral("screens takes no arguments")};
    ConfigStore store;
    RequireReadableConfig(store);
    ScreenTable table;
    table.LastIndex = store.LoadLastIndex();
    store.LoadScreens(table, table.LastIndex);

    QJsonArray screens;
    for (int i = 0; i <= table.LastIndex; ++i)
        screens.append(ScreenJson(table[i]));
    QJsonObject root;
    root.insert(QStringLiteral("LastIndex"), table.LastIndex);
    root.insert(QStringLiteral("screens"), screens);
    OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return kOk;
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("screens"),
    QStringLiteral("print the screens' parameters as JSON"),
    QStringLiteral("usage: pelvoro-cli [--dir DIR] screens\n\n"
                   "Prints {\"LastIndex\": n, \"screens\": [...]} for screens 0..LastIndex as the station loads\n"
                   "them from SysConfig.ini (missing keys give their defaults). Each screen has every\n"
                   "ScreenInfo field under its own name (Areas and ClockParts as arrays, booleans as\n"
                   "true/false) and the controller's capacity, MaxPages and MaxTitlePages. DataMirror,\n"
                   "DataPolarity and OePolarity last only for one run of the station and are always 0 here."),
    RunScreens,
});

} // namespace pelvoro::cli
