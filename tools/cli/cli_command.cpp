#include "cli_command.h"

#include "base/app_dir.h"
#include "base/directory_lock.h"
#include "config/config_store.h"

#include <cstdio>
#include <cstdlib>

namespace pelvoro::cli {

std::optional<QString> CliArgs::TakeOption(const QString &name)
{
    const QString prefix = name + QLatin1Char('=');
    for (int i = 0; i < args_.size(); ++i) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size())
                throw UsageError{name + QStringLiteral(" needs a value")};
            const QString value = args_[i + 1];
            args_.remove(i, 2);
            return value;
        }
        if (args_[i].startsWith(prefix)) {
            const QString value = args_[i].mid(prefix.size());
            args_.removeAt(i);
            return value;
        }
    }
    return std::nullopt;
}

bool CliArgs::TakeFlag(const QString &name)
{
    return args_.removeOne(name);
}

std::optional<int> CliArgs::TakeIntOption(const QString &name)
{
    const auto text = TakeOption(name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok)
        throw UsageError{name + QStringLiteral(" takes a whole number, not \"") + *text + QLatin1Char('"')};
    return value;
}

int CliArgs::TakeScreen()
{
    const auto screen = TakeIntOption(QStringLiteral("--screen"));
    if (!screen)
        throw UsageError{QStringLiteral("--screen K is required")};
    if (*screen < 1 || *screen > 64)
        throw UsageError{QStringLiteral("--screen takes a screen number from 1 to 64")};
    return *screen - 1;
}

QStringList CliArgs::Positional() const
{
    for (const QString &arg : args_) {
        if (arg.startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("unknown option ") + arg};
    }
    return args_;
}

void CliArgs::NoMoreArguments() const
{
    if (!Positional().isEmpty())
        throw UsageError{QStringLiteral("unexpected argument %1").arg(args_.first())};
}

void RequireReadableConfig(const ConfigStore &store)
{
    if (const QString error = store.ReadError(); !error.isEmpty()) {
        Err(error);
        std::exit(kRefused);
    }
}

void LoadStation(ConfigStore &store, ScreenTable &table, int screen)
{
    EnterAppDir();
    RequireReadableConfig(store);
    LoadScreenTable(store, table);
    if (screen > table.LastIndex)
        throw UsageError{QStringLiteral("there is no screen %1: the station has %2 screen(s)")
                             .arg(screen + 1)
                             .arg(table.LastIndex + 1)};
    table.CurrentScreen = screen;
}

bool LockForWriting()
{
    // Released at exit; a kill leaves the file to the next writer, which sees its owner gone.
    static const DirectoryLock lock;
    if (!lock.Locked())
        Err(lock.Error());
    else if (!lock.TakenOver().isEmpty())
        Err(lock.TakenOver());
    return lock.Locked();
}

int RunSubCommand(CliArgs &args, std::initializer_list<SubCommand> subCommands)
{
    QStringList names;
    for (const SubCommand &sub : subCommands)
        names << QLatin1String(sub.name);
    const QStringList all = args.Rest();
    if (all.isEmpty())
        throw UsageError{QStringLiteral("give a sub-command: ") + names.join(QStringLiteral(", "))};
    CliArgs rest(all.mid(1));
    for (const SubCommand &sub : subCommands) {
        if (all.first() == QLatin1String(sub.name))
            return sub.run(rest);
    }
    throw UsageError{QStringLiteral("unknown sub-command %1").arg(all.first())};
}

namespace {
QList<CliCommand> &Registry()
{
    static QList<CliCommand> commands;
    return commands;
}
} // namespace

bool RegisterCliCommand(CliCommand command)
{
    Registry().append(std::move(command));
    return true;
}

const QList<CliCommand> &CliCommands()
{
    return Registry();
}

void Out(const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Err(const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void OutBytes(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace pelvoro::cli
