#include "frame_options.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"
#include "comm/glyphs.h"
#include "comm/schedule_record.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/font_substitution.h"

#include <QFile>

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

FrameResult Refusal(const QString &message)
{
    FrameResult result;
    result.error = message;
    return result;
}

FrameResult Built(CommandFrame frame)
{
    FrameResult result;
    result.frame = std::move(frame);
    return result;
}

FrameResult Prefixed(FrameResult result, const QString &prefix)
{
    if (!result)
        result.error.prepend(prefix);
    return result;
}

// A data file of the screen read whole, or the message for a missing or unreadable one.
QString ReadDataFile(const QString &name, QByteArray *bytes)
{
    EnterAppDir();
    const QString path = AppFile(name);
    if (!QFile::exists(path))
        return name + QStringLiteral("不存在");
    if (!ReadWholeFile(path, bytes))
        return QStringLiteral("读写文件出错：") + name;
    return QString();
}

} // namespace

FrameResult BuildCliFrame(const QString &kind, CliArgs &options, ConfigStore &store, ScreenInfo &screen, int index)
{
    const auto noMoreOptions = [&] {
        if (!options.Positional().isEmpty())
            throw UsageError{QStringLiteral("unexpected argument ") + options.Positional().first()};
    };

    if (kind == QLatin1String("param")) {
        screen.DataMirror = options.TakeIntOption(QStringLiteral("--data-mirror")).value_or(0);
        screen.DataPolarity = options.TakeIntOption(QStringLiteral("--data-polarity")).value_or(0);
        screen.OePolarity = options.TakeIntOption(QStringLiteral("--oe-polarity")).value_or(0);
        noMoreOptions();
        return Built(BuildParamFrame(index, screen));
    }
    if (kind == QLatin1String("clock")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Built(BuildClockFrame(index, screen, SamplePositions(screen, now).clock, now));
    }
    if (kind == QLatin1String("temp")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Built(BuildTempFrame(index, screen, SamplePositions(screen, now).temperature));
    }
    if (kind == QLatin1String("timesync")) {
        const QDateTime now = TakeNow(options);
        noMoreOptions();
        return Built(BuildTimeSyncFrame(index, now));
    }
    if (kind == QLatin1String("power-on") || kind == QLatin1String("power-off")) {
        noMoreOptions();
        return Built(BuildPowerFrame(index, kind == QLatin1String("power-on")));
    }
    if (kind == QLatin1String("test")) {
        const int pattern = TakeRequiredInt(options, QStringLiteral("--pattern"), 0, 8);
        noMoreOptions();
        return Built(BuildTestFrame(index, quint8(pattern)));
    }
    if (kind == QLatin1String("cancel-schedule")) {
        noMoreOptions();
        return Built(BuildCancelScheduleFrame(index));
    }
    if (kind == QLatin1String("schedule")) {
        noMoreOptions();
        const int pages = StoredPageCount(index);
        if (pages <= 0 || pages >= 256)
            return Refusal(QStringLiteral("文件列表中的页码有错！"));
        const std::vector<ScheduleRecord> records = LoadScheduleRecords(store.Read(), index, pages);
        return BuildScheduleFrame(index, records);
    }
    if (kind == QLatin1String("main") || kind == QLatin1String("subtitle")) {
        noMoreOptions();
        const bool main = kind == QLatin1String("main");
        const QString name = main ? PageFileName(index) : SubtitleFileName(index);
        QByteArray file;
        const QString error = ReadDataFile(name, &file);
        if (!error.isEmpty())
            return Refusal(error);
        return Prefixed(main ? LoadMainFrame(file, screen.ColorMode) : LoadSubtitleFrame(file, screen.ColorMode),
                        name + QStringLiteral("已损坏："));
    }
    if (kind == QLatin1String("image")) {
        auto path = options.TakeOption(QStringLiteral("--file"));
        if (path)
            path = CallerFile(*path);
        if (!path)
            throw UsageError{QStringLiteral("--file F is required")};
        const int subKind = TakeRequiredInt(options, QStringLiteral("--sub-kind"), 0, 1);
        noMoreOptions();
        QByteArray file;
        if (!ReadWholeFile(*path, &file))
            return Refusal(subKind == 0 ? QStringLiteral("没有找到rbf文件") : QStringLiteral("没有找到加载文件"));
        return Prefixed(BuildImageFrame(index, subKind, file), *path + QStringLiteral("："));
    }
    if (kind == QLatin1String("glyphs")) {
        const QString font = options.TakeOption(QStringLiteral("--font")).value_or(QStringLiteral("宋体"));
        const int size = TakeRequiredInt(options, QStringLiteral("--size"), 1, 50);
        noMoreOptions();
        InstallFontSubstitutions();
        const GlyphCell cell = *GlyphCellFor(size);
        return BuildGlyphFrame(index, cell.width, cell.height, RenderGlyphSet(font, size, cell));
    }
    throw UsageError{QStringLiteral("unknown KIND \"%1\"").arg(kind)};
}

QString FrameKindsHelp()
{
    return QStringLiteral(
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
        "                           0xD3, the clock glyphs rendered in NAME (default 宋体) at P points\n");
}

} // namespace pelvoro::cli
