#include "cli_command.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "comm/frames.h"
#include "comm/glyphs.h"
#include "comm/schedule_record.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/font_substitution.h"

#include <QFile>

// frame: the bytes of one command frame for a screen, as the station would send them.
namespace pelvoro::cli {

namespace {

QDateTime TakeNow(CliArgs &args)
{
    const auto text = args.TakeOption(QStringLiteral("--now"));
    if (!text)
        return QDateTime::currentDateTime();
    const QDateTime now = QDateTime::fromString(*text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!now.isValid())
        throw UsageError{QStringLiteral("--now takes YYYY-MM-DDTHH:MM:SS, not \"%1\"").arg(*text)};
    return now;
}

int TakeRequiredInt(CliArgs &args, const QString &name, int min, int max)
{
    const auto value = args.TakeIntOption(name);
    if (!value)
        throw UsageError{name + QStringLiteral(" is required")};
    if (*value < min || *value > max)
        throw UsageError{QStringLiteral("%1 takes %2..%3").arg(name).arg(min).arg(max)};
    return *value;
}

// A data file of the screen read whole, or a message for a missing or unreadable one.
bool ReadDataFile(const QString &name, QByteArray *bytes)
{
    EnterAppDir();
    const QString path = AppFile(name);
    if (!QFile::exists(path)) {
        Err(name + QStringLiteral("不存在"));
        return false;
    }
    if (!ReadWholeFile(path, bytes)) {
        Err(QStringLiteral("读写文件出错：") + name);
        return false;
    }
    return true;
}

int Print(const FrameResult &result, const QString &damagedPrefix = QString())
{
    if (!result) {
        Err(damagedPrefix + result.error);
        return kRefused;
    }
    Out(QString::fromLatin1(result.frame.toHex()));
    return kOk;
}

int Print(const CommandFrame &frame)
{
    Out(QString::fromLatin1(frame.toHex()));
    return kOk;
}

int RunFrame(CliArgs &args)
{
    const QStringList positional = [&] {
        // The kind comes first; options may follow it.
        QStringList rest = args.Rest();
        return rest.isEmpty() || rest.first().startsWith(QLatin1String("--")) ? QStringList() : QStringList{rest.first()};
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
        throw UsageError{
            QStringLiteral("there is no screen %1: the station has %2 screen(s)").arg(index + 1).arg(table.LastIndex + 1)};
    }
    store.LoadScreens(table, table.LastIndex);
    ScreenInfo &screen = table[index];

    const auto noMoreOptions = [&] {
        if (!options.Positional().isEmpty())
            throw UsageError{QStringLiteral("unexpected argument ") + options.Positional().first()};
    };

    if (kind == QLatin1String("param")) {
        screen.DataMirror = options.TakeIntOption(QStringLiteral("--data-mirror")).value_or(0);
        screen.DataPolarity = options.TakeIntOption(QStringLiteral("--data-polarity")).value_or(0);
        screen.OePolarity = options.TakeIntOption(QStringLiteral("--oe-polarity")).value_or(0);
        noMoreOptions();
        return Print(BuildParamFrame(index, screen));
    }
    if (kind == QLatin1String("clock")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Print(BuildClockFrame(index, screen, SamplePositions(screen, now).clock, now));
    }
    if (kind == QLatin1String("temp")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Print(BuildTempFrame(index, screen, SamplePositions(screen, now).temperature));
    }
    if (kind == QLatin1String("timesync")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Print(BuildTimeSyncFrame(index, now));
    }
    if (kind == QLatin1String("power-on") || kind == QLatin1String("power-off")) {
        noMoreOptions();
        return Print(BuildPowerFrame(index, kind == QLatin1String("power-on")));
    }
    if (kind == QLatin1String("test")) {
        const int pattern = TakeRequiredInt(options, QStringLiteral("--pattern"), 0, 8);
        noMoreOptions();
        return Print(BuildTestFrame(index, quint8(pattern)));
    }
    if (kind == QLatin1String("cancel-schedule")) {
        noMoreOptions();
        return Print(BuildCancelScheduleFrame(index));
    }
    if (kind == QLatin1String("schedule")) {
        noMoreOptions();
        const int pages = StoredPageCount(index);
        if (pages <= 0 || pages >= 256) {
            Err(QStringLiteral("文件列表中的页码有错！"));
            return kRefused;
        }
        const std::vector<ScheduleRecord> records = LoadScheduleRecords(store.Read(), index, pages);
        return Print(BuildScheduleFrame(index, records));
    }
    if (kind == QLatin1String("main") || kind == QLatin1String("subtitle")) {
        noMoreOptions();
        const bool main = kind == QLatin1String("main");
        const QString name = main ? PageFileName(index) : SubtitleFileName(index);
        QByteArray file;
        if (!ReadDataFile(name, &file))
            return kRefused;
        const FrameResult result = main ? LoadMainFrame(file, screen.ColorMode) : LoadSubtitleFrame(file, screen.ColorMode);
        return Print(result, name + QStringLiteral("已损坏："));
    }
    if (kind == QLatin1String("image")) {
        const auto path = options.TakeOption(QStringLiteral("--file"));
        if (!path)
            throw UsageError{QStringLiteral("--file F is required")};
        const int subKind = TakeRequiredInt(options, QStringLiteral("--sub-kind"), 0, 1);
        noMoreOptions();
        QByteArray file;
        if (!ReadWholeFile(*path, &file)) {
            Err(subKind == 0 ? QStringLiteral("没有找到rbf文件") : QStringLiteral("没有找到加载文件"));
            return kRefused;
        }
        return Print(BuildImageFrame(index, subKind, file), *path + QStringLiteral("："));
    }
    if (kind == QLatin1String("glyphs")) {
        const QString font = options.TakeOption(QStringLiteral("--font")).value_or(QStringLiteral("宋体"));
        const int size = TakeRequiredInt(options, QStringLiteral("--size"), 1, 50);
        noMoreOptions();
        InstallFontSubstitutions();
        const GlyphCell cell = *GlyphCellFor(size);
        return Print(BuildGlyphFrame(index, cell.width, cell.height, RenderGlyphSet(font, size, cell)));
    }
    throw UsageError{QStringLiteral("unknown KIND \"%1\"").arg(kind)};
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("frame"),
    QStringLiteral("print a command frame as hex"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] frame KIND --screen K [options]\n\n"
        "Prints the frame the station would send to screen K (1..number of screens) as lowercase hex,\n"
        "no spaces. Positions of the clock and temperature are where the preview puts their samples.\n\n"
        "KIND:\n"
        "  param [--data-mirror N] [--data-polarity N] [--oe-polarity N]\n"
        "                           0xC1 screen parameters (the three settings-dialog values default to 0)\n"
        "  clock [--now T]          0xC2 clock settings and time\n"
        "  temp [--now T]           0xC3 temperature settings (T only moves the position with the clock)\n"
        "  timesync [--now T]       0xCE time synchronisation\n"
        "  power-on, power-off      0xC4\n"
        "  test --pattern N         0xED, N 1..8 a pattern, 0 ends the test\n"
        "  cancel-schedule          0xC7\n"
        "  schedule                 0xC6 for pages 1..P of the page list, schedules from SysConfig.ini\n"
        "  main                     0xD1, the page file Tavrel<K>.dat as it stands\n"
        "  subtitle                 0xD2, the subtitle file TavrelTitle<K>.dat, move style as sent\n"
        "  image --file F --sub-kind 0|1\n"
        "                           0xCC, F as an FPGA image (0) or outdoor configuration (1)\n"
        "  glyphs [--font NAME] --size P\n"
        "                           0xD3, the clock glyphs rendered in NAME (default 宋体) at P points\n\n"
        "--now YYYY-MM-DDTHH:MM:SS replaces the PC clock.\n"
        "A missing, empty or damaged file is a message and exit 1."),
    RunFrame,
});

} // namespace pelvoro::cli
