#include "cli_command.h"

#include "base/app_dir.h"
#include "config/config_store.h"
#include "config/identity.h"

#include <QJsonDocument>
#include <QJsonObject>

// identity: the software identity of "版本信息", as the identity editor shows and writes it.
namespace pelvoro::cli {

namespace {

void PrintIdentity(const ConfigStore &store)
{
    const IdentityFields fields = ReadIdentityFields(store);
    const QJsonObject root{{QStringLiteral("name"), fields.name},
                           {QStringLiteral("version"), fields.version},
                           {QStringLiteral("date"), fields.date},
                           {QStringLiteral("title"), ReadIdentity(store).softwareName}};
    OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

int RunShow(CliArgs &args)
{
    args.NoMoreArguments();
    EnterAppDir();
    PrintIdentity(ConfigStore());
    return kOk;
}

int RunSet(CliArgs &args)
{
    const auto name = args.TakeOption(QStringLiteral("--name"));
    const auto version = args.TakeOption(QStringLiteral("--version"));
    const auto date = args.TakeOption(QStringLiteral("--date"));
    args.NoMoreArguments();
    if (!name && !version && !date)
        throw UsageError{QStringLiteral("give --name, --version or --date")};
    EnterAppDir();
    ConfigStore store;
    IdentityFields fields = ReadIdentityFields(store);
    fields.name = name.value_or(fields.name);
    fields.version = version.value_or(fields.version);
    fields.date = date.value_or(fields.date);
    if (const QString refusal = IdentityRefusal(fields); !refusal.isEmpty()) {
        Err(refusal);
        return kRefused;
    }
    if (!WriteIdentityFields(store, fields)) {
        Err(store.SaveFailureMessage());
        return kRefused;
    }
    PrintIdentity(store);
    return kOk;
}

int RunIdentity(CliArgs &args)
{
    return RunSubCommand(args, {{"show", RunShow}, {"set", RunSet}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("identity"),
    QStringLiteral("show or set the software identity (name, version, date)"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] identity show | set [--name TEXT] [--version TEXT] [--date TEXT]\n\n"
        "  identity show\n"
        "      {\"name\": N, \"version\": V, \"date\": D, \"title\": T}: the three texts of \"版本信息\" as the\n"
        "      identity editor shows them (a missing name is the default owner text), and the main\n"
        "      window's title as the station builds it (a missing name is \"Pelvoro\").\n"
        "  identity set [--name TEXT] [--version TEXT] [--date TEXT]\n"
        "      writes the three keys as the identity editor's \"确定\" → Yes does, the ones not given\n"
        "      keeping what show prints; any text, an empty one included, is stored, except one with\n"
        "      a character GBK cannot hold or a line break: that is refused, naming them, and nothing\n"
        "      is written (exit 1). Prints as show.\n"
        "      The station shows the new values from its next start, login or re-initialisation.\n"),
    RunIdentity,
});

} // namespace pelvoro::cli
