#include "cli_command.h"
#include "frame_options.h"

#include "config/config_store.h"

// frame: the bytes of one command frame for a screen, as the station would send them.
namespace pelvoro::cli {

namespace {

int RunFrame(CliArgs &args)
{
    const QStringList positional = [&] {
        // The kind comes first; options may follow it.
        QStringList rest = args.Rest();
        return rest.isEmpty() || rest.first().startsWith(QLatin1String("--")) ? QStringList()
                                                                              : QStringList{rest.first()};
    }();
    if (positional.isEmpty())
        throw UsageError{QStringLiteral("give the KIND of frame")};
    const QString kind = positional.first();
    CliArgs options(args.Rest().mid(1));
    const int index = options.TakeScreen();

    ConfigStore store;
    ScreenTable table;
    table.LastIndex = store.LoadLastIndex();
    if (index > table.LastIndex) {
        throw UsageError{QStringLiteral("there is no screen %1: the station has %2 screen(s)")
                             .arg(index + 1)
                             .arg(table.LastIndex + 1)};
    }
    store.LoadScreens(table, table.LastIndex);

    const FrameResult result = BuildCliFrame(kind, options, store, table[index], index);
    if (!result) {
        Err(result.error);
        return kRefused;
    }
    Out(QString::fromLatin1(result.frame.toHex()));
    return kOk;
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("frame"),
    QStringLiteral("print a command frame as hex"),
    QStringLiteral("usage: pelvoro-cli [--dir DIR] frame KIND --screen K [options]\n\n"
                   "Prints the frame the station would send to screen K (1..number of screens) as lowercase hex,\n"
                   "no spaces. Positions of the clock and temperature are where the preview puts their samples.\n\n"
                   "KIND:\n")
        + FrameKindsHelp()
        + QStringLiteral("\n--now YYYY-MM-DDTHH:MM:SS replaces the PC clock.\n"
                         "A missing, empty or damaged file is a message and exit 1."),
    RunFrame,
});

} // namespace pelvoro::cli
