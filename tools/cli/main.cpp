#include "cli_command.h"

#include "base/app_dir.h"

#include <QGuiApplication>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace pelvoro;
using namespace pelvoro::cli;

namespace {

QString ToolHelp()
{
    QString text = QStringLiteral("usage: pelvoro-cli [--dir DIR] COMMAND [options]\n\n"
                                  "  --dir DIR   the application's directory (default: the executable's when\n"
                                  "              writable, else the user's data folder, ~/.local/share/pelvoro)\n"
                                  "  --version   the version and the application's directory in use\n\n"
                                  "File names are relative to the directory the tool is started in.\n\n"
                                  "commands:\n");
    QList<CliCommand> commands = CliCommands();
    std::sort(commands.begin(), commands.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    for (const CliCommand &command : commands)
        text += QStringLiteral("  %1%2\n").arg(command.name, -10).arg(command.summary);
    text += QStringLiteral("\n'pelvoro-cli COMMAND --help' describes a command.\n"
                           "Exit codes: 0 success, 1 refused or stopped, 2 link failure, 64 bad usage.");
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    // Pages are drawn with fonts, so the tool needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep Qt's complaint about a missing runtime directory out of the tool's stderr.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = "/tmp/runtime-" + QByteArray::number(uint(::getuid()));
        ::mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    // Qt takes options it knows (-style, -platform...) out of argv: keep the tool's own first.
    RememberCaller(argc, argv);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QGuiApplication app(argc, argv);
    QString error;
    if (!TakeDirArgument(args, &error)) {
        Err(error);
        return kUsage;
    }
    args.removeFirst();
    if (args.size() == 1 && args.first() == QLatin1String("--version")) {
        Out(QStringLiteral("pelvoro-cli %1\napplication directory: %2")
                .arg(QStringLiteral(PELVORO_VERSION_TEXT), DescribeAppDir()));
        return kOk;
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? Err(ToolHelp()) : Out(ToolHelp()));
        return args.isEmpty() ? kUsage : kOk;
    }
    const QString name = args.takeFirst();
    const auto &commands = CliCommands();
    const auto command = std::find_if(commands.begin(), commands.end(), [&](const auto &c) { return c.name == name; });
    if (command == commands.end()) {
        Err(QStringLiteral("unknown command: %1\n\n").arg(name) + ToolHelp());
        return kUsage;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        Out(command->help);
        return kOk;
    }
    try {
        CliArgs cliArgs(args);
        return command->run(cliArgs);
    } catch (const UsageError &usage) {
        Err(QStringLiteral("pelvoro-cli %1: %2\n\n%3").arg(name, usage.message, command->help));
        return kUsage;
    }
}
