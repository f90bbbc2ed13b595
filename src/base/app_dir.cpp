#include "base/app_dir.h"

#include "base/atomic_file.h"
#include "base/directory_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#ifndef PELVORO_INSTALL_BINDIRS
#define PELVORO_INSTALL_BINDIRS "/usr/bin"
#endif

namespace pelvoro {
namespace {
QString &OverrideDir()
{
    static QString dir;
    return dir;
}

// The executable's choice is made once a run: the executable does not move.
std::optional<AppDirChoice> &CachedChoice()
{
    static std::optional<AppDirChoice> choice;
    return choice;
}

bool MayWriteInto(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
#ifdef Q_OS_UNIX
    // access() answers for this process, root included; QFileInfo reads only the permission bits.
    return ::access(QFile::encodeName(dir).constData(), W_OK) == 0;
#else
    return QFileInfo(dir).isWritable();
#endif
}

bool SameDir(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Copies the shipped files the folder lacks; what the operator changed there stays.
void CopySharedData(const QString &from, const QString &to)
{
    const QDir source(from);
    for (const QFileInfo &file : source.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        const QString target = QDir(to).filePath(file.fileName());
        QByteArray bytes;
        if (!QFileInfo::exists(target) && ReadWholeFile(file.filePath(), &bytes))
            WriteFileAtomically(target, bytes);
    }
}

QString ExecutableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}
} // namespace

void SetAppDir(const QString &dir)
{
    OverrideDir() = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QStringList InstalledProgramsDirs()
{
    return QStringLiteral(PELVORO_INSTALL_BINDIRS).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString UserDataDir()
{
    // AppDataLocation would follow the executable's name (pelvoro, pelvoro-cli): the station and
    // the tool must share one folder.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("pelvoro"));
}

QString SharedDataDir(const QString &exeDir)
{
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/pelvoro"));
}

AppDirChoice ChooseAppDir(const QString &exeDir)
{
    const QStringList installed = InstalledProgramsDirs();
    const bool isInstalled =
        std::any_of(installed.begin(), installed.end(), [&](const QString &dir) { return SameDir(exeDir, dir); });
    if (MayWriteInto(exeDir) && !isInstalled)
        return {QDir(exeDir).absolutePath(), AppDirSource::Executable};
    const QString user = UserDataDir();
    if (!QDir().mkpath(user))
        return {QDir(exeDir).absolutePath(), AppDirSource::Executable};
    // Another copy of the station or the tool may be starting on the same folder.
    const DirectoryLock lock(user);
    if (lock.Locked())
        CopySharedData(SharedDataDir(exeDir), user);
    return {user, AppDirSource::UserData};
}

AppDirSource AppDirOrigin()
{
    if (!OverrideDir().isEmpty())
        return AppDirSource::Override;
    AppDir();
    return CachedChoice() ? CachedChoice()->source : AppDirSource::Executable;
}

QString AppDir()
{
    if (!OverrideDir().isEmpty())
        return OverrideDir();
    if (!QCoreApplication::instance())
        return QDir::currentPath();
    if (!CachedChoice())
        CachedChoice() = ChooseAppDir(ExecutableDir());
    return CachedChoice()->dir;
}

QString DescribeAppDir(bool chinese)
{
    const QString dir = QDir::toNativeSeparators(AppDir());
    switch (AppDirOrigin()) {
    case AppDirSource::Override:
        return dir + (chinese ? QStringLiteral("（由 --dir 指定）") : QStringLiteral(" (given with --dir)"));
    case AppDirSource::Executable:
        return dir + (chinese ? QStringLiteral("（程序所在目录）") : QStringLiteral(" (the program's folder)"));
    case AppDirSource::UserData:
        return dir
               + (chinese ? QStringLiteral("（用户数据目录：程序所在目录不可写）")
                          : QStringLiteral(" (the user's data folder: the program's folder is not writable)"));
    }
    return dir;
}

QString AppFile(const QString &name)
{
    return QDir(AppDir()).filePath(name);
}

bool EnterAppDir()
{
    return QDir::setCurrent(AppDir());
}

bool TakeDirArgument(QStringList &args, QString *error)
{
    for (int i = 1; i < args.size(); ++i) {
        QString value;
        int taken = 0;
        if (args[i] == QLatin1String("--dir")) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("--dir needs a directory");
                return false;
            }
            value = args[i + 1];
            taken = 2;
        } else if (args[i].startsWith(QLatin1String("--dir="))) {
            value = args[i].mid(6);
            taken = 1;
        } else {
            continue;
        }
        if (!QFileInfo(value).isDir()) {
            *error = QStringLiteral("--dir: no such directory: %1").arg(value);
            return false;
        }
        SetAppDir(value);
        args.remove(i, taken);
        return true;
    }
    return true;
}

} // namespace pelvoro
