#include "cli_command.h"

#include "config/config_store.h"
#include "pages/font_substitution.h"
#include "pages/rich_layout.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"


// text: a notice typed as in the rich-text editor and closed onto the main area.
namespace pelvoro::cli {
namespace {

// The station's messages go to stderr as they stand.
struct CliObserver : ConversionObserver {
    void Message(const QString &text, bool) override { Err(text); }
};

Alignment AlignmentFromName(const QString &name)
{
    if (name == u"left")
        return Alignment::Left;
    if (name == u"centre" || name == u"center")
        return Alignment::Center;
    if (name == u"right")
        return Alignment::Right;
    throw UsageError{QStringLiteral("--align takes left, centre or right")};
}

int RunText(CliArgs &args)
{
    const int index = args.TakeScreen();
    EditorStyle style;
    if (const auto font = args.TakeOption(QStringLiteral("--font")))
        style.face = *font;
    if (const auto size = args.TakeIntOption(QStringLiteral("--size"))) {
        if (*size < 1 || *size > 1638)
            throw UsageError{QStringLiteral("--size takes whole points from 1 to 1638")};
        style.points = *size;
    }
    const auto colour = args.TakeOption(QStringLiteral("--colour"));
    if (const auto align = args.TakeOption(QStringLiteral("--align")))
        style.alignment = AlignmentFromName(*align);
    if (const auto spacing = args.TakeOption(QStringLiteral("--spacing"))) {
        bool number = false;
        style.lines = spacing->toDouble(&number);
        if (!number || style.lines < kEditorMinLineSpacing || style.lines > 100)
            throw UsageError{QStringLiteral("--spacing takes lines from 0.75 (the editor's smallest) to 100")};
    }
    const auto save = args.TakeOption(QStringLiteral("--save"));
    const QStringList paragraphs = args.Positional();
    if (paragraphs.isEmpty())
        throw UsageError{QStringLiteral("give at least one TEXT")};
    // A relative --save names a file where the tool was started, not in the station's directory.
    const QString savePath = save ? CallerFile(*save) : QString();

    // The screen's settings are read under the lock: the pages are laid out for the screen as it is.
    if (!LockForWriting())
        return kRefused;
    ConfigStore store;
    ScreenTable table;
    LoadStation(store, table, index);
    InstallFontSubstitutions();

    const QList<EditorColour> colours = EditorColours(table[index].ColorMode);
    if (colour) {
        const auto found = std::find_if(colours.begin(), colours.end(),
                                        [&](const EditorColour &c) { return c.name == *colour; });
        if (found == colours.end())
            throw UsageError{colours.size() == 1 ? QStringLiteral("screen %1 is single-colour: --colour takes 红 only")
                                                       .arg(index + 1)
                                                 : QStringLiteral("--colour takes 红, 黄 or 绿")};
        style.rgb = found->rgb;
    }

    const RichDocument document = EditorDocument(paragraphs, style);
    if (save) {
        QString error;
        if (!WriteRtfFile(savePath, document, &error)) {
            const QString reason = error.isEmpty() ? QString() : QStringLiteral("\n") + error;
            Err(QStringLiteral("读写文件出错：") + savePath + reason);
            return kRefused;
        }
    }
    RichLayout layout;
    CliObserver observer;
    const AddDocumentsResult added = ConvertEditorDocument(table, index, document, layout, observer);
    Out(QStringLiteral(R"({"added": %1, "paragraphs": %2})").arg(added.pagesAdded).arg(paragraphs.size()));
    return added.stopped || added.limitReached || added.filesConverted < 1 ? kRefused : kOk;
}

PELVORO_CLI_COMMAND(
    {QStringLiteral("text"), QStringLiteral("put typed text on the main area as the text editor does"),
     QStringLiteral("usage: pelvoro-cli [--dir DIR] text --screen K [--font F] [--size P] [--colour 红|黄|绿]\n"
                    "           [--align left|centre|right] [--spacing V] [--save FILE.rtf] TEXT...\n\n"
                    "Each TEXT is a paragraph in the editor's style (default 宋体, 12 points, 红, left,\n"
                    "0.75 lines; 黄 and 绿 only on a dual-colour screen). The text is written as\n"
                    "temp.rtf in the station's directory, as the editor saves it, and converted as\n"
                    "closing the editor with 主区 selected does (effect 0, speed 4, dwell 1); the pages\n"
                    "are appended to the screen's page file. --save also keeps the RTF in FILE.\n"
                    "Prints {\"added\": n, \"paragraphs\": p}. A stop (text taller than the area,\n"
                    "full page store, file error) prints the station's message on stderr and exits 1;\n"
                    "pages written so far stay."),
     RunText});

} // namespace
} // namespace pelvoro::cli
