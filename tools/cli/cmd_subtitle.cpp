#include "cli_command.h"
#include "screen_command.h"

#include "pages/subtitle_conversion.h"
#include "pages/subtitle_store.h"

#include <QImage>

// subtitle: a screen's subtitle strip (convert a text, list, export a page, delete), through the
// same code as the station's subtitle panel.
namespace pelvoro::cli {

namespace {

int RunSet(CliArgs &args)
{
    const int index = args.TakeScreen();
    const QString face = args.TakeOption(QStringLiteral("--font")).value_or(QStringLiteral("宋体"));
    const QString colour = args.TakeOption(QStringLiteral("--colour")).value_or(QStringLiteral("红"));
    if (colour != QStringLiteral("红") && colour != QStringLiteral("黄") && colour != QStringLiteral("绿"))
        throw UsageError{QStringLiteral("--colour takes 红, 黄 or 绿")};
    const auto style = args.TakeIntOption(QStringLiteral("--style"));
    if (style && *style != kScrollLeft && *style != kPrintAtRest)
        throw UsageError{QStringLiteral("--style takes 0 (向左连移) or 1 (静止打出)")};
    const QStringList rest = args.Positional();
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give the subtitle TEXT as one argument")};
    // The strip is one line, as the panel's edit is.
    if (rest.first().contains(QLatin1Char('\n')) || rest.first().contains(QLatin1Char('\r')))
        throw UsageError{QStringLiteral("the subtitle TEXT cannot hold a line break")};
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);

    // As in the panel, the style and reserved byte are those of the screen's file until changed.
    SubtitleEntry current;
    if (const SubtitleState state = ReadSubtitleState(screen.table, index); state.Ok())
        current = state.entry;
    if (style)
        current.style = *style;
    SubtitleDrawing drawing;
    drawing.face = face;
    drawing.colour = SubtitleColour(colour);
    const SubtitleConversion result = ConvertSubtitleText(screen.table, index, rest.first(), drawing, current);
    if (result.limitReached)
        Err(result.limitMessage);
    if (!result.Ok())
        return Fail(result);
    Out(QStringLiteral(R"({"pages": %1})").arg(result.pageCount));
    return result.limitReached ? kRefused : kOk;
}

int RunList(CliArgs &args)
{
    const int index = args.TakeScreen();
    args.NoMoreArguments();
    const StationScreen screen = LoadScreen(index);
    const SubtitleState state = ReadSubtitleState(screen.table, index);
    if (!state.Ok() && state.status != PageStatus::NoFile)
        return Fail(state);
    Out(QStringLiteral(R"({"style": %1, "reserved": %2, "speed": %3, "dwell": %4, "pages": %5})")
            .arg(state.entry.style)
            .arg(state.entry.reserved)
            .arg(state.entry.speed)
            .arg(state.entry.dwell)
            .arg(state.pageCount));
    return kOk;
}

int RunExport(CliArgs &args)
{
    const int index = args.TakeScreen();
    const auto page = args.TakeIntOption(QStringLiteral("--page"));
    if (!page || *page < 1 || *page > 255)
        throw UsageError{QStringLiteral("--page P (1..255) is required")};
    const QStringList rest = args.Positional();
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give OUT.png")};
    const QString out = CallerFile(rest[0]);
    const StationScreen screen = LoadScreen(index);
    const SubtitleRead read = ReadSubtitlePage(screen.table, index, *page);
    if (!read.Ok())
        return Fail(read);
    return ExportPng(read.image, out);
}

int RunDelete(CliArgs &args)
{
    const int index = args.TakeScreen();
    args.NoMoreArguments();
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);
    const PageResult result = DeleteSubtitleFiles(index);
    return result.Ok() ? kOk : Fail(result);
}

int RunSubtitle(CliArgs &args)
{
    return RunSubCommand(args, {{"set", RunSet}, {"list", RunList}, {"export", RunExport}, {"delete", RunDelete}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("subtitle"),
    QStringLiteral("convert, list, export and delete a screen's subtitle pages"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] subtitle SUB-COMMAND --screen K [options]\n\n"
        "  subtitle set --screen K TEXT [--font NAME] [--colour 红|黄|绿] [--style 0|1]\n"
        "      \"转换字幕\" on TEXT: saves it as the subtitle text (GBK, no line end) and rebuilds the\n"
        "      subtitle pages from it, with speed and dwell 1. Defaults: font 宋体, colour 红, the style\n"
        "      of the existing subtitle file (0 without one; 0 向左连移, 1 静止打出). Prints\n"
        "      {\"pages\": P}. A blank TEXT removes the subtitle files and exits 1 with the system's\n"
        "      message; when the capacity is reached the pages so far are kept, the message goes to\n"
        "      stderr, exit 1.\n"
        "  subtitle list --screen K\n"
        "      {\"style\": S, \"reserved\": R, \"speed\": V, \"dwell\": T, \"pages\": P} (all 0 without a file).\n"
        "  subtitle export --screen K --page P OUT.png\n"
        "      page P of the strip as a W x TitleHeight picture.\n"
        "  subtitle delete --screen K\n"
        "      removes the subtitle pages and the subtitle text.\n\n"
        "K is the screen number (1..64). A damaged subtitle file is reported and exits 1.\n"),
    RunSubtitle,
});

} // namespace pelvoro::cli
