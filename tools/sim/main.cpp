#include "simulator.h"

#include "config/screen_info.h"
#include "pages/font_substitution.h"

#include <QGuiApplication>

#include <cstdio>

using namespace pelvoro;
using namespace pelvoro::sim;

namespace {

const char kHelp[] = R"(usage: pelvoro-sim [--tcp PORT] [--serial] [options]

A controller card on this machine. It answers each exchange as a card does: after the address
preamble it echoes the screen number (one byte), after the complete frame it echoes it again.
It finds the end of every frame from the frame's own layout. One line per exchange on stdout.

Links (at least one; both at once are allowed):
  --tcp PORT          listen on 127.0.0.1:PORT (0: any free port); prints "listening on 127.0.0.1:PORT"
  --serial            open a pseudo-terminal pair; prints "serial device /dev/pts/N", the device to
                      give the station as PELVORO_COM<n>. Parity does not travel over a
                      pseudo-terminal: the card tells the preamble (two equal screen-number bytes,
                      or 0xBB 0xBB) from a frame (screen number, then a command code >= 0xC1) by
                      the bytes themselves and by where they stand in the exchange. An exchange that
                      gets no byte for 2 s is over (5 s inside a frame of 128 KB or more to a Normal
                      card, which the station sends with pauses): a partial frame is reported as
                      rejected, and the next bytes are read as a new preamble.
  --baud N            with --serial: read and answer at the pace of an N-baud line, 11 bits a byte
                      (start, 8 data, parity, stop), so that a send takes as long as on the wire;
                      the station's writes are held back as the line would hold them back
                      (default: as fast as the pseudo-terminal goes). A pseudo-terminal takes
                      about 20 KB ahead of the line where a port's driver takes a few KB; the
                      station counts the line time at its own baud rate before it waits for an
                      answer, so give the screen's rate here.

The card:
  --card TYPE         Normal (2-byte preamble, default) or ZP-KQ/TQ (6-byte preamble on the
                      serial link; over TCP every card takes the 2-byte preamble)
  --address N         answer only screen number N (default: every screen number 1..64); frames
                      for other numbers are read to their end and skipped
  --colour single|dual  colour depth of screens whose parameters (0xC1) the card has not received
                      (default dual); it sizes the pages of main-area and subtitle frames
  --module N          module type of the LEDs for snapshots (1: red and green swapped)

What it keeps:
  --state DIR         keep what the card received in DIR, one folder per screen number:
                        screenN/params.bin       0xC1 screen parameters
                        screenN/clock.bin        0xC2 clock settings and time
                        screenN/temperature.bin  0xC3 temperature settings
                        screenN/timesync.bin     0xCE time synchronisation
                        screenN/power.bin        0xC4 power on/off
                        screenN/test.bin         0xED test pattern
                        screenN/schedule.bin     0xC6 timed play list (removed by 0xC7)
                        screenN/pages.dat        0xD1 main-area pages
                        screenN/subtitle.dat     0xD2 subtitle pages
                        screenN/glyphs.bin       0xD3 character glyphs
                        screenN/fpga.bin         0xCC FPGA image
                        screenN/outdoor.bin      0xCC outdoor configuration
                        screenN/time.bin         the card's clock: 7 BCD bytes s m h day month weekday year
                        screenN/state.json       all of it decoded
                      Every .bin/.dat file is the last frame of its kind, byte for byte as received.
                      The memory is read back at start, as a card keeps it across power cycles.
  --snapshot          with --state: after every frame write screenN/screen.png, one pixel per
                      LED: black when switched off, the test pattern while a test runs (colour
                      fills, or red lines every 8 dots), else page 1 of the main area and of the
                      subtitle at their rectangles, the clock text at the time last set (not
                      running) and the sample " 25℃"/" 25℉" at their positions and colours, drawn
                      with the downloaded glyphs when there are any, else with a plain font

Faults:
  --silent            never answer the preamble
  --no-final          never answer after the frame
  --garbage           answer with noise (2..6 non-zero bytes) instead of the screen number
  --delay MS          send every answer MS milliseconds late
  --drop-after N      stop after N bytes of every frame (N >= 2, counted from the screen number
                      that opens it): close the TCP connection; on the serial link read the rest
                      of the frame without answering

  --version           print the version and exit
)";

int Usage(const QString &message)
{
    std::fprintf(stderr, "pelvoro-sim: %s\n\n%s", message.toUtf8().constData(), kHelp);
    return 64;
}

bool TakeInt(QStringList &args, int &i, const QString &name, qint64 min, qint64 *value, QString *error)
{
    if (i + 1 >= args.size()) {
        *error = name + QStringLiteral(" needs a value");
        return false;
    }
    bool ok = false;
    *value = args[++i].toLongLong(&ok);
    if (!ok || *value < min) {
        *error = QStringLiteral("%1 takes a whole number of at least %2, not \"%3\"").arg(name).arg(min).arg(args[i]);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Snapshots draw text, so the simulator needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    QStringList args = app.arguments();
    args.removeFirst();

    SimOptions options;
    QString error;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        qint64 value = 0;
        const auto needValue = [&]() -> QString {
            if (i + 1 >= args.size())
                return QString();
            return args[++i];
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == QLatin1String("--version")) {
            std::printf("pelvoro-sim %s\n", PELVORO_VERSION_TEXT);
            return 0;
        } else if (arg == QLatin1String("--baud")) {
            if (!TakeInt(args, i, arg, 50, &value, &error) || value > 4000000)
                return Usage(error.isEmpty() ? QStringLiteral("--baud takes 50..4000000") : error);
            options.baud = int(value);
        } else if (arg == QLatin1String("--tcp")) {
            if (!TakeInt(args, i, arg, 0, &value, &error) || value > 65535)
                return Usage(error.isEmpty() ? QStringLiteral("--tcp takes a port of 0..65535") : error);
            options.tcpPort = int(value);
        } else if (arg == QLatin1String("--serial")) {
            options.serial = true;
        } else if (arg == QLatin1String("--state")) {
            options.stateDir = needValue();
            if (options.stateDir.isEmpty())
                return Usage(QStringLiteral("--state needs a directory"));
        } else if (arg == QLatin1String("--snapshot")) {
            options.snapshot = true;
        } else if (arg == QLatin1String("--card")) {
            const QString type = needValue();
            if (type == kCardNormal)
                options.card.family = CardFamily::Normal;
            else if (type == kCardZpKq)
                options.card.family = CardFamily::ZpKq;
            else
                return Usage(QStringLiteral("--card takes Normal or ZP-KQ/TQ"));
        } else if (arg == QLatin1String("--address")) {
            if (!TakeInt(args, i, arg, 1, &value, &error) || value > 64)
                return Usage(error.isEmpty() ? QStringLiteral("--address takes a screen number of 1..64") : error);
            options.card.address = int(value);
        } else if (arg == QLatin1String("--colour")) {
            const QString colour = needValue();
            if (colour == QLatin1String("single"))
                options.card.defaultColourMode = 0;
            else if (colour == QLatin1String("dual"))
                options.card.defaultColourMode = 1;
            else
                return Usage(QStringLiteral("--colour takes single or dual"));
        } else if (arg == QLatin1String("--module")) {
            if (!TakeInt(args, i, arg, 0, &value, &error))
                return Usage(error);
            options.moduleType = int(value);
        } else if (arg == QLatin1String("--silent")) {
            options.card.silent = true;
        } else if (arg == QLatin1String("--no-final")) {
            options.card.noFinal = true;
        } else if (arg == QLatin1String("--garbage")) {
            options.card.garbage = true;
        } else if (arg == QLatin1String("--delay")) {
            if (!TakeInt(args, i, arg, 0, &value, &error) || value > 3600000)
                return Usage(error.isEmpty() ? QStringLiteral("--delay takes 0..3600000 ms") : error);
            options.delayMs = int(value);
        } else if (arg == QLatin1String("--drop-after")) {
            if (!TakeInt(args, i, arg, 2, &value, &error))
                return Usage(error);
            options.card.dropAfter = value;
        } else {
            return Usage(QStringLiteral("unknown argument ") + arg);
        }
    }
    if (options.tcpPort < 0 && !options.serial)
        return Usage(QStringLiteral("give --tcp PORT, --serial or both"));
    if (options.baud > 0 && !options.serial)
        return Usage(QStringLiteral("--baud paces the serial link; give --serial"));
    if (options.snapshot && options.stateDir.isEmpty())
        return Usage(QStringLiteral("--snapshot writes into the --state directory; give --state DIR"));

    Simulator simulator(options);
    if (!simulator.Start(&error)) {
        std::fprintf(stderr, "pelvoro-sim: %s\n", error.toUtf8().constData());
        return 2;
    }
    return app.exec();
}
