#include "cli_command.h"
#include "screen_command.h"

#include "base/app_dir.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/led_sheet.h"
#include "pages/page_conversion.h"
#include "pages/page_store.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

// pages: the main-area page store of a screen (add, list, set, delete, move, export), through the
// same code as the station's page list.
namespace pelvoro::cli {

namespace {

std::optional<int> TakeRanged(CliArgs &args, const QString &name, int low, int high)
{
    const auto value = args.TakeIntOption(name);
    if (value && (*value < low || *value > high))
        throw UsageError{QStringLiteral("%1 takes a value from %2 to %3").arg(name).arg(low).arg(high)};
    return value;
}

int TakePage(CliArgs &args)
{
    const auto page = TakeRanged(args, QStringLiteral("--page"), 1, 255);
    if (!page)
        throw UsageError{QStringLiteral("--page P is required")};
    return *page;
}

QString EntryJson(int page, const PageEntry &entry)
{
    return QStringLiteral(R"({"page": %1, "effect": %2, "reserved": %3, "speed": %4, "dwell": %5})")
        .arg(page)
        .arg(entry.effect)
        .arg(entry.reserved)
        .arg(entry.speed)
        .arg(entry.dwell);
}

int RunAdd(CliArgs &args)
{
    const int index = args.TakeScreen();
    PageEntry entry;
    entry.effect = TakeRanged(args, QStringLiteral("--effect"), 0, 255).value_or(0);
    entry.speed = TakeRanged(args, QStringLiteral("--speed"), 0, kMaxSpeed).value_or(1);
    entry.dwell = TakeRanged(args, QStringLiteral("--dwell"), 0, 255).value_or(1);
    const QStringList files = CallerFiles(args.Positional());
    if (files.isEmpty())
        throw UsageError{QStringLiteral("give at least one IMAGE")};
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);

    // Every image is read before the first page is added, so that a bad name adds nothing.
    QList<QImage> images;
    for (const QString &file : files) {
        QImageReader reader(file);
        const QImage image = reader.read();
        if (image.isNull()) {
            Err(QStringLiteral("cannot read image %1: %2").arg(file, reader.errorString()));
            return kRefused;
        }
        images.append(image);
    }

    PageAppender appender(screen.table, index);
    if (!appender.OpenResult().Ok()) {
        Err(appender.OpenResult().message);
        RemoveEmptyDamagedPageFile(appender.OpenResult(), index);
        return kRefused;
    }
    const ScreenInfo &info = screen.table[index];
    bool stopped = false;
    for (const QImage &image : images) {
        if (appender.Append(BitmapPage(image, info.Width, info.MainHeight), entry)) {
            stopped = true;
            break;
        }
    }
    if (const PageResult written = appender.Finish(); !written.Ok())
        return Fail(written);
    if (stopped) {
        Err(appender.LimitMessage());
        return kRefused;
    }
    Out(QStringLiteral(R"({"added": %1, "pages": %2})").arg(appender.Appended()).arg(appender.PageCount()));
    return kOk;
}

int RunList(CliArgs &args)
{
    const int index = args.TakeScreen();
    if (!args.Positional().isEmpty())
        throw UsageError{QStringLiteral("list takes no arguments besides --screen")};
    const StationScreen screen = LoadScreen(index);
    const PageEntries result = ReadPageEntries(screen.table, index);
    if (result.status == PageStatus::NoFile) {
        Out(QStringLiteral("[]"));
        return kOk;
    }
    if (!result.Ok())
        return Fail(result);
    QStringList items;
    for (int k = 1; k <= result.entries.size(); ++k)
        items.append(EntryJson(k, result.entries[k - 1]));
    Out(QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']'));
    return kOk;
}

int RunSet(CliArgs &args)
{
    const int index = args.TakeScreen();
    const int page = TakePage(args);
    const auto effect = TakeRanged(args, QStringLiteral("--effect"), 0, 255);
    const auto speed = TakeRanged(args, QStringLiteral("--speed"), 0, kMaxSpeed);
    const auto dwell = TakeRanged(args, QStringLiteral("--dwell"), 0, 255);
    const bool following = args.TakeFlag(QStringLiteral("--following"));
    args.NoMoreArguments();
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);
    const PageEntries current = ReadPageEntries(screen.table, index);
    if (!current.Ok())
        return Fail(current);
    if (page > current.entries.size()) {
        Err(QStringLiteral("没有第%1页数据（共%2页）").arg(page).arg(current.entries.size()));
        return kRefused;
    }
    PageEntry entry = current.entries[page - 1];
    entry.effect = effect.value_or(entry.effect);
    entry.speed = speed.value_or(entry.speed);
    entry.dwell = dwell.value_or(entry.dwell);
    const PageResult written = following
                                   ? WritePageEntries(screen.table, index, page, int(current.entries.size()), entry)
                                   : WritePageEntry(screen.table, index, page, entry);
    return written.Ok() ? kOk : Fail(written);
}

int RunDelete(CliArgs &args)
{
    const int index = args.TakeScreen();
    const bool all = args.TakeFlag(QStringLiteral("--all"));
    const auto page = TakeRanged(args, QStringLiteral("--page"), 1, 255);
    if (all == page.has_value())
        throw UsageError{QStringLiteral("give either --page P or --all")};
    args.NoMoreArguments();
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);
    ConfigStore config;
    if (all) {
        const PageResult result = DeleteAllPages(screen.table, index, config);
        // No file: there was nothing to delete.
        return result.Ok() || result.status == PageStatus::NoFile ? kOk : Fail(result);
    }
    const PageResult result = DeletePage(screen.table, index, *page, config);
    return result.Ok() ? kOk : Fail(result);
}

int RunMove(CliArgs &args)
{
    const int index = args.TakeScreen();
    const int page = TakePage(args);
    const QStringList rest = args.Positional();
    if (rest.size() != 1 || (rest[0] != QLatin1String("up") && rest[0] != QLatin1String("down")))
        throw UsageError{QStringLiteral("give the direction: up or down")};
    if (!LockForWriting())
        return kRefused;
    const StationScreen screen = LoadScreen(index);
    const MoveDirection direction = rest[0] == QLatin1String("up") ? MoveDirection::Up : MoveDirection::Down;
    const PageResult result = MovePage(screen.table, index, page, direction);
    return result.Ok() ? kOk : Fail(result);
}

int RunExport(CliArgs &args)
{
    const int index = args.TakeScreen();
    const int page = TakePage(args);
    const QStringList rest = args.Positional();
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give OUT.png")};
    const QString out = CallerFile(rest[0]);
    const StationScreen screen = LoadScreen(index);
    const PageRead read = ReadPage(screen.table, index, page);
    if (!read.Ok())
        return Fail(read);
    return ExportPng(read.image, out);
}

int RunSheet(CliArgs &args)
{
    const int index = args.TakeScreen();
    const QStringList rest = args.Positional();
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give OUT.png")};
    const QString out = CallerFile(rest[0]);
    const StationScreen screen = LoadScreen(index);
    QList<QImage> pages;
    for (int page = 1;; ++page) {
        const PageRead read = ReadPage(screen.table, index, page);
        if (!read.Ok())
            return Fail(read);
        pages.append(read.image);
        if (page >= read.pageCount)
            break;
    }
    const QImage sheet = DrawLedSheet(pages);
    if (const int written = ExportPng(sheet, out); written != kOk)
        return written;
    Out(QStringLiteral(R"({"pages": %1, "width": %2, "height": %3})")
            .arg(pages.size())
            .arg(sheet.width())
            .arg(sheet.height()));
    return kOk;
}

int RunPages(CliArgs &args)
{
    return RunSubCommand(args, {{"add", RunAdd},
                                {"list", RunList},
                                {"set", RunSet},
                                {"delete", RunDelete},
                                {"move", RunMove},
                                {"export", RunExport},
                                {"sheet", RunSheet}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("pages"),
    QStringLiteral("add, list, change, delete, move, export and view main-area pages"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] pages SUB-COMMAND --screen K [options]\n\n"
        "  pages add --screen K [--effect E] [--speed S] [--dwell T] IMAGE...\n"
        "      one page per image, drawn over the whole main area (stretched, aspect ratio not kept);\n"
        "      defaults: effect 0, speed 1, dwell 1. Prints {\"added\": n, \"pages\": P}. When the page\n"
        "      limit is reached the pages so far are kept, the system's message goes to stderr, exit 1.\n"
        "  pages list --screen K\n"
        "      [{\"page\": 1, \"effect\": E, \"reserved\": R, \"speed\": S, \"dwell\": T}, ...], speed decoded.\n"
        "  pages set --screen K --page P [--effect E] [--speed S] [--dwell T] [--following]\n"
        "      rewrites page P's entry; --following gives this page and all after it the same values.\n"
        "  pages delete --screen K --page P | --all\n"
        "      schedules of the following pages move down with them; --all erases them all.\n"
        "  pages move --screen K --page P up|down\n"
        "  pages export --screen K --page P OUT.png\n"
        "  pages sheet --screen K OUT.png\n"
        "      every page as the sign shows it, enlarged: lit dots in their colour, unlit dots dim,\n"
        "      the pages numbered in rows. Prints {\"pages\": n, \"width\": w, \"height\": h}.\n\n"
        "K is the screen number (1..64); E 0..255 (index into the card type's effect list), S 0..30,\n"
        "T 0..255. A damaged page file is reported and exits 1.\n"),
    RunPages,
});

} // namespace pelvoro::cli
