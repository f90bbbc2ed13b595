#include "pages/project_files.h"

#include "base/app_dir.h"
#include "base/directory_lock.h"
#include "base/gbk.h"
#include "base/input_file_limits.h"
#include "config/config_limits.h"
#include "config/config_store.h"
#include "pages/area_file_check.h"
#include "pages/data_files.h"
#include "users/user_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <memory>

namespace pelvoro {
namespace {

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Earlier versions staged a save under hidden names beside the project (".P.savemain1.dat.staged");
// a save killed then left them, and the next save of that project removes them.
void RemoveOldStagedCopies(const QString &projectPath)
{
    const QFileInfo project(projectPath);
    const QString pattern = QLatin1Char('.') + project.fileName() + QStringLiteral("*.staged");
    for (const QString &name : project.dir().entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(project.dir().filePath(name));
}

// Reads every copy and replaces the targets as one unit through the journal of their directory,
// removing `stale` in the same step. Nothing is staged before every source was read.
ProjectResult CopyAsUnit(const QList<ProjectCopy> &copies, const QStringList &stale, const ProjectIo &io,
                         const std::function<QString(const ProjectCopy &, const QByteArray &)> &check = {})
{
    ProjectResult result;
    FileSetUpdate update;
    update.writeStaged = [&](const QString &staged, const QByteArray &bytes, QString *error) {
        QString why;
        if (io.write(staged, bytes, &why))
            return true;
        *error = QStringLiteral("无法写入文件 %1：%2")
                     .arg(Native(staged.left(staged.lastIndexOf(QLatin1Char('.')))), why);
        return false;
    };
    for (const ProjectCopy &copy : copies) {
        QByteArray bytes;
        if (!io.read(copy.from, &bytes)) {
            result.error = QStringLiteral("无法读取文件 %1").arg(Native(copy.from));
            return result;
        }
        if (check) {
            if (const QString problem = check(copy, bytes); !problem.isEmpty()) {
                result.error = problem;
                return result;
            }
        }
        update.Write(copy.to, bytes);
    }
    for (const QString &path : stale) {
        if (QFileInfo::exists(path)) {
            update.Remove(path);
            result.removed << path;
        }
    }
    const QString dir = copies.isEmpty() ? QString() : QFileInfo(copies.first().to).absolutePath();
    if (QString why; !update.Commit(&why)) {
        result.error = why;
        result.removed.clear();
        // Past the journal a failed rename is completed by the next writer: the new set stands.
        result.changed = !dir.isEmpty() && QFileInfo::exists(QDir(dir).filePath(QLatin1String(kJournalName)));
        return result;
    }
    result.copied = copies;
    result.changed = !copies.isEmpty() || !result.removed.isEmpty();
    return result;
}

// The names of the data files the new set does not write.
QStringList Stale(const QStringList &candidates, const QList<ProjectCopy> &copies)
{
    QSet<QString> written;
    for (const ProjectCopy &copy : copies)
        written.insert(copy.to);
    QStringList stale;
    for (const QString &path : candidates) {
        if (!written.contains(path))
            stale << path;
    }
    return stale;
}

// One screen's companions: the page file, and the subtitle text only together with its data.
void AddScreenCopies(QList<ProjectCopy> &copies, const QString &main, const QString &title, const QString &titleText,
                     const QString &mainTarget, const QString &titleTarget, const QString &titleTextTarget)
{
    if (QFile::exists(main))
        copies.append({main, mainTarget});
    if (QFile::exists(title)) {
        copies.append({title, titleTarget});
        if (QFile::exists(titleText))
            copies.append({titleText, titleTextTarget});
    }
}

const QString kProjectExtension = QStringLiteral(".save");

// Why the project's configuration cannot stand as the station's, or empty when it can: it replaces
// SysConfig.ini whole, so a file that is no configuration would take every screen and setting.
QString ConfigProblem(const QByteArray &bytes, const IniDocument &doc)
{
    if (bytes.isEmpty())
        return QStringLiteral("文件长度为0");
    if (!doc.HasSection(ToGbk(kGlobalSection)))
        return QStringLiteral("不是配置文件（没有[%1]段）").arg(kGlobalSection);
    return {};
}

// The largest valid file that can stand as `workingFile` (a file of the application's directory): a
// configuration, or a page, subtitle or subtitle text file of its screen in the configuration `doc`.
qint64 MaxBytesOf(const QString &workingFile, const IniDocument &doc, int lastIndex)
{
    for (int i = 0; i <= lastIndex; ++i) {
        if (workingFile == AppFile(PageFileName(i)))
            return MaxAreaFileBytes(AreaFileKind::Pages, ReadScreen(doc, i));
        if (workingFile == AppFile(SubtitleFileName(i)))
            return MaxAreaFileBytes(AreaFileKind::Subtitle, ReadScreen(doc, i));
        if (workingFile == AppFile(SubtitleTextFileName(i)))
            return kMaxSubtitleTextBytes;
    }
    return kMaxConfigFileBytes;
}

// Why one of the sources cannot be read: not a regular file, or larger than the largest valid file
// of its kind; checked for every source before any is read.
QString SourceRefusal(const QList<ProjectCopy> &copies, bool toWorkingSet, const IniDocument &doc, int lastIndex)
{
    for (const ProjectCopy &copy : copies) {
        const QString refusal = StoredFileRefusal(copy.from,
                                                  MaxBytesOf(toWorkingSet ? copy.to : copy.from, doc, lastIndex));
        if (!refusal.isEmpty())
            return Native(copy.from) + QStringLiteral("：") + refusal;
    }
    return {};
}

// Checks a companion about to replace a screen's page or subtitle file against that screen of the
// project's configuration: the working set is never given a file its screen would read as damaged.
PageResult CheckCompanion(const ProjectCopy &copy, const QByteArray &bytes, const IniDocument &doc, int lastIndex)
{
    for (int i = 0; i <= lastIndex; ++i) {
        const bool pages = copy.to == AppFile(PageFileName(i));
        if (pages || copy.to == AppFile(SubtitleFileName(i))) {
            return CheckAreaFileBytes(pages ? AreaFileKind::Pages : AreaFileKind::Subtitle, Native(copy.from),
                                      ReadScreen(doc, i), bytes);
        }
    }
    return {};
}

bool WantsLogin(const QString &projectPath)
{
    return !LoadUsers(ConfigStore(projectPath)).NoLogin;
}

} // namespace

QString ProjectSavePath(const QString &chosen)
{
    return chosen.endsWith(kProjectExtension, Qt::CaseInsensitive) ? chosen : chosen + kProjectExtension;
}

ProjectOpenEffect PreviewOpenProject(const QString &projectPath)
{
    ProjectOpenEffect effect;
    effect.loginRequired = WantsLogin(projectPath);
    for (int i = 0; i < kMaxScreens; ++i) {
        if (const ScreenPageCounts pages = StoredPages(i); pages.Any())
            effect.replaced.append({i, pages});
    }
    return effect;
}

QString ProjectCompanion(const QString &projectPath, const QString &kind, int screenIndex, const QString &extension)
{
    return projectPath + kind + QString::number(screenIndex + 1) + extension;
}

ProjectResult SaveProjectFiles(const QString &chosenPath, int lastIndex, const ProjectIo &io)
{
    const QString projectPath = ProjectSavePath(chosenPath);
    // No other writer changes the working set while it is copied.
    const DirectoryLock lock;
    if (!lock.Locked()) {
        ProjectResult result;
        result.error = lock.Error();
        return result;
    }
    const QString dat = QStringLiteral(".dat");
    const QString txt = QStringLiteral(".txt");
    const QString main = QStringLiteral("main");
    const QString title = QStringLiteral("title");
    QList<ProjectCopy> copies;
    for (int i = 0; i <= std::clamp(lastIndex, 0, kMaxScreens - 1); ++i) {
        AddScreenCopies(copies, AppFile(PageFileName(i)), AppFile(SubtitleFileName(i)),
                        AppFile(SubtitleTextFileName(i)), ProjectCompanion(projectPath, main, i, dat),
                        ProjectCompanion(projectPath, title, i, dat), ProjectCompanion(projectPath, title, i, txt));
    }
    if (QFile::exists(AppFile(kConfigFileName)))
        copies.append({AppFile(kConfigFileName), projectPath});

    QStringList companions;
    for (int i = 0; i < kMaxScreens; ++i) {
        for (const QString &kind : {main, title}) {
            companions << ProjectCompanion(projectPath, kind, i, dat) << ProjectCompanion(projectPath, kind, i, txt);
        }
    }
    if (const QString refusal = SourceRefusal(copies, false, ConfigStore().Read(),
                                              std::clamp(lastIndex, 0, kMaxScreens - 1));
        !refusal.isEmpty()) {
        ProjectResult result;
        result.error = QStringLiteral("无法保存项目：") + refusal;
        result.project = projectPath;
        return result;
    }
    // The project's folder has a journal of its own: a save killed half-way is completed or undone by
    // the next writer there (the next save or open of a project in it), never left half old, half new.
    const DirectoryLock projectLock(QFileInfo(projectPath).absolutePath());
    if (!projectLock.Locked()) {
        ProjectResult result;
        result.error = projectLock.Error();
        result.project = projectPath;
        return result;
    }
    RemoveOldStagedCopies(projectPath);
    ProjectResult result = CopyAsUnit(copies, Stale(companions, copies), io);
    result.project = projectPath;
    return result;
}

ProjectResult OpenProjectFiles(const QString &projectPath, const ProjectIo &io)
{
    ProjectResult result;
    result.project = projectPath;
    if (!QFileInfo::exists(projectPath)) {
        result.error = QStringLiteral("项目文件 %1 不存在").arg(Native(projectPath));
        return result;
    }
    if (const QString refusal = StoredFileRefusal(projectPath, kMaxConfigFileBytes); !refusal.isEmpty()) {
        result.error = QStringLiteral("无法打开项目：%1：%2").arg(Native(projectPath), refusal);
        return result;
    }
    const DirectoryLock lock;
    if (!lock.Locked()) {
        result.error = lock.Error();
        return result;
    }
    // A save into the project's folder that a killed writer left half done is completed or undone
    // before the project is read. A folder nobody can write to had no save cut short in it.
    std::unique_ptr<DirectoryLock> projectLock;
    if (const QString folder = QFileInfo(projectPath).absolutePath(); QFileInfo(folder).isWritable()) {
        projectLock = std::make_unique<DirectoryLock>(folder);
        if (!projectLock->Locked()) {
            result.error = projectLock->Error();
            return result;
        }
    }
    QByteArray config;
    if (!io.read(projectPath, &config)) {
        result.error = QStringLiteral("无法读取文件 %1").arg(Native(projectPath));
        return result;
    }
    const IniDocument doc = IniDocument::Parse(config);
    if (const QString problem = ConfigProblem(config, doc); !problem.isEmpty()) {
        result.error = QStringLiteral("无法打开项目文件 %1：%2").arg(Native(projectPath), problem);
        return result;
    }
    const auto count = doc.Value(ToGbk(kGlobalSection), ToGbk(QStringLiteral("显示屏数目")));
    const int lastIndex = std::clamp(count ? ParseIniInt(*count).value_or(0) : 0, 0, kMaxScreens - 1);

    const QString dat = QStringLiteral(".dat");
    const QString title = QStringLiteral("title");
    QList<ProjectCopy> copies;
    for (int i = 0; i <= lastIndex; ++i) {
        AddScreenCopies(copies, ProjectCompanion(projectPath, QStringLiteral("main"), i, dat),
                        ProjectCompanion(projectPath, title, i, dat),
                        ProjectCompanion(projectPath, title, i, QStringLiteral(".txt")), AppFile(PageFileName(i)),
                        AppFile(SubtitleFileName(i)), AppFile(SubtitleTextFileName(i)));
    }
    copies.append({projectPath, AppFile(kConfigFileName)});

    if (const QString refusal = SourceRefusal(copies, true, doc, lastIndex); !refusal.isEmpty()) {
        result.error = QStringLiteral("无法打开项目：") + refusal;
        return result;
    }
    QStringList dataFiles;
    for (int i = 0; i < kMaxScreens; ++i)
        dataFiles << AppFile(PageFileName(i)) << AppFile(SubtitleFileName(i)) << AppFile(SubtitleTextFileName(i));
    ScreenPageCounts deleted;
    for (int i = 0; i < kMaxScreens; ++i) {
        const ScreenPageCounts pages = StoredPages(i);
        deleted.main += pages.main;
        deleted.subtitle += pages.subtitle;
    }
    // The configuration names the screens and their areas, so no order of renames has a consistent
    // half-way state: the whole working set goes through the directory's journal, and only once every
    // companion is known to be what its screen reads.
    const ProjectResult copied = CopyAsUnit(copies, Stale(dataFiles, copies), io,
                                            [&](const ProjectCopy &copy, const QByteArray &bytes) {
                                                const PageResult checked = CheckCompanion(copy, bytes, doc, lastIndex);
                                                return checked.Ok()
                                                           ? QString()
                                                           : QStringLiteral("无法打开项目：") + checked.message;
                                            });
    result.error = copied.error;
    result.changed = copied.changed;
    if (!copied.Ok())
        return result;
    result.copied = copied.copied;
    result.removed = copied.removed;
    result.screens = lastIndex + 1;
    result.deleted = deleted;
    result.loginRequired = WantsLogin(AppFile(kConfigFileName));
    return result;
}

} // namespace pelvoro
