#include "cli_command.h"
#include "progress.h"

#include "config/config_store.h"
#include "pages/font_substitution.h"
#include "pages/page_conversion.h"
#include "pages/rich_layout.h"

// convert: the main-area panel's "添加数据页" on files given in order.
namespace pelvoro::cli {
namespace {

// The station's messages go to stderr as they stand.
struct CliObserver : ConversionObserver {
    void Message(const QString &text, bool) override { Err(text); }
    void Status(const QString &text) override
    {
        if (!text.isEmpty())
            Err(text);
    }
};

std::optional<DocumentKind> KindFromName(const QString &name)
{
    static const std::pair<const char *, DocumentKind> kinds[] = {{"rtf", DocumentKind::RichText},
                                                                  {"doc", DocumentKind::Word},
                                                                  {"bmp", DocumentKind::Bitmap},
                                                                  {"bls", DocumentKind::Table}};
    for (const auto &[text, kind] : kinds) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

int RunConvert(CliArgs &args)
{
    const int index = args.TakeScreen();
    // Scripts written before the kind came from the content name it; it still wins when given.
    const auto kindName = args.TakeOption(QStringLiteral("--kind"));
    std::optional<DocumentKind> kind;
    if (kindName) {
        kind = KindFromName(*kindName);
        if (!kind)
            throw UsageError{QStringLiteral("--kind takes rtf, doc, bmp or bls, not \"%1\"").arg(*kindName)};
    }
    const ProgressStyle progressStyle = TakeProgressOption(args);
    const QStringList files = CallerFiles(args.Positional());
    if (files.isEmpty())
        throw UsageError{QStringLiteral("give at least one FILE")};

    ConfigStore store;
    ScreenTable table;
    if (!LockForWriting())
        return kRefused;
    LoadStation(store, table, index);
    InstallFontSubstitutions();

    RichLayout layout;
    CliObserver messages;
    ConversionProgress observer(progressStyle, messages, int(files.size()));
    const AddDocumentsResult added = kind ? AddDocuments(table, index, *kind, files, layout, observer)
                                          : AddDocuments(table, index, files, layout, observer);
    Out(QStringLiteral(R"({"added": %1, "files": %2})").arg(added.pagesAdded).arg(added.filesConverted));
    return added.stopped || added.limitReached || added.filesConverted < files.size() ? kRefused : kOk;
}

PELVORO_CLI_COMMAND(
    {QStringLiteral("convert"), QStringLiteral("turn documents into main-area pages"),
     QStringLiteral("usage: pelvoro-cli [--dir DIR] convert --screen K [--kind rtf|doc|bmp|bls] [--progress STYLE] "
                    "FILE...\n\n"
                    "Converts the files in the given order as the main-area panel's 添加数据页 does\n"
                    "(effect 0, speed 1, dwell 1) and appends the pages to the screen's page file;\n"
                    "a table file (.bls) gives one page per table page of the main area.\n"
                    "Each file's kind (RTF, Word, bitmap, table file, plain text) is told by its\n"
                    "content, not by its name; --kind makes every file that kind instead.\n"
                    "Prints {\"added\": n, \"files\": f}.\n"
                    "A stop (a file of no known kind, empty file, text taller than the area, a table\n"
                    "title that fills the area, full page store, file error)\n"
                    "prints the station's message on stderr and exits 1; pages written so far stay.\n\n")
         + ProgressOptionHelp(),
     RunConvert});

} // namespace
} // namespace pelvoro::cli
