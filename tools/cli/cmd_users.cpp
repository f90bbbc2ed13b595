#include "cli_command.h"

#include "base/app_dir.h"
#include "config/config_store.h"
#include "users/user_settings.h"

#include <QJsonDocument>
#include <QJsonObject>

// users: the login switch and the two passwords of "全局参数". Passwords are never printed.
namespace pelvoro::cli {

namespace {

void PrintUsers(const UserSettings &users)
{
    const QJsonObject root{{QStringLiteral("login"), !users.NoLogin},
                           {QStringLiteral("adminPasswordSet"), !users.AdminPassword.isEmpty()},
                           {QStringLiteral("operatorPasswordSet"), !users.OperatorPassword.isEmpty()}};
    OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

int RunShow(CliArgs &args)
{
    args.NoMoreArguments();
    EnterAppDir();
    PrintUsers(LoadUsers(ConfigStore()));
    return kOk;
}

int RunSet(CliArgs &args)
{
    const auto login = args.TakeOption(QStringLiteral("--login"));
    const auto admin = args.TakeOption(QStringLiteral("--admin-password"));
    const auto user = args.TakeOption(QStringLiteral("--operator-password"));
    args.NoMoreArguments();
    if (login && *login != QLatin1String("on") && *login != QLatin1String("off"))
        throw UsageError{QStringLiteral("--login takes on or off")};
    if (!login && !admin && !user)
        throw UsageError{QStringLiteral("give --login, --admin-password or --operator-password")};
    EnterAppDir();
    ConfigStore store;
    UserSettings users = LoadUsers(store);
    if (login)
        users.NoLogin = *login == QLatin1String("off");
    users.AdminPassword = admin.value_or(users.AdminPassword);
    users.OperatorPassword = user.value_or(users.OperatorPassword);
    if (const QString refusal = UsersRefusal(users); !refusal.isEmpty()) {
        Err(refusal);
        return kRefused;
    }
    if (!SaveUsers(store, users)) {
        Err(store.SaveFailureMessage());
        return kRefused;
    }
    PrintUsers(users);
    return kOk;
}

int RunUsers(CliArgs &args)
{
    return RunSubCommand(args, {{"show", RunShow}, {"set", RunSet}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("users"),
    QStringLiteral("show or set the login switch and the passwords (never printed)"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] users show | set [--login on|off] [--admin-password TEXT]\n"
        "                                             [--operator-password TEXT]\n\n"
        "  users show\n"
        "      {\"login\": B, \"adminPasswordSet\": B, \"operatorPasswordSet\": B}: whether the station\n"
        "      starts locked and whether each password is non-empty. The passwords are never printed.\n"
        "  users set [--login on|off] [--admin-password TEXT] [--operator-password TEXT]\n"
        "      writes \"参数三\" (login off is 1), \"参数二\" and \"参数一\" together, as user management\n"
        "      does, the values not given keeping their stored ones. Unlike the dialog an empty\n"
        "      password can be given here: with it an empty field logs in. Prints as show.\n"
        "      A password with a character GBK cannot hold or a line break is refused, naming\n"
        "      them, and nothing is written (exit 1).\n\n"
        "The passwords are plain text in SysConfig.ini (and in every project saved from it), and a\n"
        "password given here shows in the process list while the tool runs: never use a password\n"
        "that protects anything else.\n"),
    RunUsers,
});

} // namespace pelvoro::cli
