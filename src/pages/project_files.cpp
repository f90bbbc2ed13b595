#include "pages/project_files.h"

#include "base/app_dir.h"
#include "base/directory_lock.h"
#include "base/gbk.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "users/user_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace pelvoro {
namespace {

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A hidden name beside the target, so that a staged copy never shows as a data file.
QString StagingName(const QString &target)
{
    const QFileInfo info(target);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".staged"));
}

bool RenameOver(const QString &from, const QString &to)
{
    // rename() replaces an existing target in one step; QFile::rename would refuse it.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Stages every copy, then renames them into place in the given order and removes `stale`.
ProjectResult ReplaceAsUnit(const QList<ProjectCopy> &copies, const QStringList &stale, const ProjectIo &io)
{
    ProjectResult result;
    QStringList staged;
    auto discardStaged = [&](qsizetype from) {
        for (qsizetype i = from; i < staged.size(); ++i)
            QFile::remove(staged[i]);
    };
    for (const ProjectCopy &copy : copies) {
        QByteArray bytes;
        if (!io.read(copy.from, &bytes)) {
            discardStaged(0);
            result.error = QStringLiteral("无法读取文件 %1").arg(Native(copy.from));
            return result;
        }
        QString why;
        const QString staging = StagingName(copy.to);
        if (!io.write(staging, bytes, &why)) {
            discardStaged(0);
            QFile::remove(staging);
            result.error = QStringLiteral("无法写入文件 %1：%2").arg(Native(copy.to), why);
            return result;
        }
        staged << staging;
    }
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (!RenameOver(staged[i], copies[i].to)) {
            discardStaged(i);
            result.error = QStringLiteral("无法替换文件 %1：%2").arg(Native(copies[i].to), qt_error_string(errno));
            return result;
        }
        result.changed = true;
        result.copied << copies[i];
    }
    for (const QString &path : stale) {
        if (!QFile::exists(path))
            continue;
        if (!QFile::remove(path)) {
            result.error = QStringLiteral("无法删除文件 %1").arg(Native(path));
            return result;
        }
        result.changed = true;
        result.removed << path;
    }
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
    // The project file itself last: until it is in place an earlier project under the name stays whole.
    if (QFile::exists(AppFile(kConfigFileName)))
        copies.append({AppFile(kConfigFileName), projectPath});

    QStringList companions;
    for (int i = 0; i < kMaxScreens; ++i) {
        for (const QString &kind : {main, title}) {
            companions << ProjectCompanion(projectPath, kind, i, dat) << ProjectCompanion(projectPath, kind, i, txt);
        }
    }
    ProjectResult result = ReplaceAsUnit(copies, Stale(companions, copies), io);
    result.project = projectPath;
    return result;
}

ProjectResult OpenProjectFiles(const QString &projectPath, const ProjectIo &io)
{
    ProjectResult result;
    result.project = projectPath;
    if (!QFileInfo(projectPath).isFile()) {
        result.error = QStringLiteral("项目文件 %1 不存在").arg(Native(projectPath));
        return result;
    }
    const DirectoryLock lock;
    if (!lock.Locked()) {
        result.error = lock.Error();
        return result;
    }
    QByteArray config;
    if (!io.read(projectPath, &config)) {
        result.error = QStringLiteral("无法读取文件 %1").arg(Native(projectPath));
        return result;
    }
    const auto count = IniDocument::Parse(config).Value(ToGbk(kGlobalSection), ToGbk(QStringLiteral("显示屏数目")));
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

    QStringList dataFiles;
    for (int i = 0; i < kMaxScreens; ++i)
        dataFiles << AppFile(PageFileName(i)) << AppFile(SubtitleFileName(i)) << AppFile(SubtitleTextFileName(i));
    // The configuration names the screens and their areas, so no order of renames has a consistent
    // half-way state: the whole working set goes through the directory's journal.
    FileSetUpdate update;
    update.writeStaged = [&](const QString &staged, const QByteArray &bytes, QString *error) {
        QString why;
        if (io.write(staged, bytes, &why))
            return true;
        *error = QStringLiteral("无法写入文件 %1：%2").arg(Native(staged.left(staged.lastIndexOf(QLatin1Char('.')))), why);
        return false;
    };
    for (const ProjectCopy &copy : copies) {
        QByteArray bytes;
        if (!io.read(copy.from, &bytes)) {
            result.error = QStringLiteral("无法读取文件 %1").arg(Native(copy.from));
            return result;
        }
        update.Write(copy.to, bytes);
    }
    ScreenPageCounts deleted;
    for (int i = 0; i < kMaxScreens; ++i) {
        const ScreenPageCounts pages = StoredPages(i);
        deleted.main += pages.main;
        deleted.subtitle += pages.subtitle;
    }
    QStringList removed;
    for (const QString &path : Stale(dataFiles, copies)) {
        if (QFileInfo::exists(path)) {
            update.Remove(path);
            removed << path;
        }
    }
    if (QString why; !update.Commit(&why)) {
        result.error = why;
        // Past the journal a failed rename is completed by the next writer: the new set stands.
        result.changed = QFileInfo::exists(QDir(AppDir()).filePath(QLatin1String(kJournalName)));
        return result;
    }
    result.copied = copies;
    result.removed = removed;
    result.changed = true;
    result.screens = lastIndex + 1;
    result.deleted = deleted;
    result.loginRequired = WantsLogin(AppFile(kConfigFileName));
    return result;
}

} // namespace pelvoro
