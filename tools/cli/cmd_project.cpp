#include "cli_command.h"

#include "base/app_dir.h"
#include "config/config_store.h"
#include "pages/project_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// project: saves the station's programme as a ".save" file with its companions, and opens one
// back over the working files, through the same code as the station's "保存" and "打开".
namespace pelvoro::cli {

namespace {

QString ProjectArgument(CliArgs &args)
{
    const QStringList rest = args.Positional();
    if (rest.size() != 1)
        throw UsageError{QStringLiteral("give one project FILE")};
    return CallerFile(rest.first());
}

int Report(const ProjectResult &result, QJsonObject root)
{
    QJsonArray copied;
    for (const ProjectCopy &copy : result.copied)
        copied.append(QJsonObject{{QStringLiteral("from"), copy.from}, {QStringLiteral("to"), copy.to}});
    root.insert(QStringLiteral("copied"), copied);
    root.insert(QStringLiteral("removed"), QJsonArray::fromStringList(result.removed));
    root.insert(QStringLiteral("project"), result.project);
    if (!result.Ok()) {
        Err(result.error);
        // What was already put in place when a later step failed is still worth knowing.
        if (result.changed)
            OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return kRefused;
    }
    OutBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
    return kOk;
}

int RunSave(CliArgs &args)
{
    const QString path = ProjectArgument(args);
    EnterAppDir();
    const int lastIndex = ConfigStore().LoadLastIndex();
    return Report(SaveProjectFiles(path, lastIndex), {});
}

int RunOpen(CliArgs &args)
{
    const QString path = ProjectArgument(args);
    EnterAppDir();
    const ProjectResult result = OpenProjectFiles(path);
    // The tool asks nothing: it says what the open took away and whether the station will lock.
    return Report(result, {{QStringLiteral("screens"), result.screens},
                           {QStringLiteral("deletedPages"), result.deleted.main},
                           {QStringLiteral("deletedSubtitlePages"), result.deleted.subtitle},
                           {QStringLiteral("loginRequired"), result.loginRequired}});
}

int RunProject(CliArgs &args)
{
    return RunSubCommand(args, {{"save", RunSave}, {"open", RunOpen}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("project"),
    QStringLiteral("save the programme as a .save project file, or open one"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] project save|open FILE.save\n\n"
        "  project save FILE.save\n"
        "      \"保存\": FILE.save becomes a byte-for-byte copy of SysConfig.ini and, for each screen,\n"
        "      FILE.savemainK.dat, FILE.savetitleK.dat and FILE.savetitleK.txt copy its page file and\n"
        "      subtitle files where they exist (the text only with the subtitle data). Companions an\n"
        "      earlier save under the same name left are removed. A FILE not ending in .save gets\n"
        "      .save appended, as the station's \"保存\" does.\n"
        "  project open FILE.save\n"
        "      \"打开\": copies FILE.save to SysConfig.ini and the companions of the screens it names back\n"
        "      to the page and subtitle files; the page and subtitle files of every other screen are\n"
        "      removed.\n\n"
        "Both print {\"copied\": [{\"from\": F, \"to\": T}, ...], \"removed\": [...], \"project\": P}; open adds\n"
        "\"screens\": N, \"deletedPages\" and \"deletedSubtitlePages\" (the working set's main-area and\n"
        "subtitle pages it replaced or removed) and \"loginRequired\" (the project turns login on: a\n"
        "station started on it is locked until someone logs in with the project's passwords).\n"
        "All files are first copied beside their targets under staging names and put in place only\n"
        "when every copy succeeded: a failing file is named on stderr, exit 1, and the files it would\n"
        "have replaced stay as they were. FILE is relative to the current directory, not to --dir.\n"
        "The project carries the whole SysConfig.ini, passwords and login setting included.\n"),
    RunProject,
});

} // namespace pelvoro::cli
