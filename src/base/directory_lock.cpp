#include "base/directory_lock.h"

#include "base/app_dir.h"
#include "base/atomic_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QSysInfo>

#include <map>
#include <memory>

namespace pelvoro {
namespace {

struct Held {
    std::unique_ptr<QLockFile> file;
    int depth = 0;
};

QMutex &RegistryMutex()
{
    static QMutex mutex;
    return mutex;
}

std::map<QString, Held> &Registry()
{
    static std::map<QString, Held> held;
    return held;
}

QString KeyOf(const QString &dir)
{
    const QFileInfo info(dir.isEmpty() ? AppDir() : dir);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString HolderText(const QLockFile &file)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!file.getLockInfo(&pid, &host, &app))
        return QStringLiteral("另一个程序");
    QString who = app.isEmpty() ? QStringLiteral("另一个程序") : app;
    return who + QStringLiteral("（进程%1）").arg(pid);
}

// QLockFile writes its owner into the file right after creating it: a file still empty or unreadable
// after this long has no writer behind it.
constexpr qint64 kUnreadableLockGraceMs = 2000;
// No writing operation holds the lock this long; a lock of another host's process that is older was
// left by a writer that died there (the process id says nothing on this host).
constexpr qint64 kForeignLockMaxAgeMs = 10 * 60 * 1000;

// Why a lock file present cannot have a live holder, or empty when it may have one. QLockFile knows
// only dead processes of this host; an empty file or another host's lock would block every writer
// for good.
QString WhyHolderCannotBeAlive(const QLockFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
    qint64 pid = 0;
    QString host;
    QString app;
    if (!file.getLockInfo(&pid, &host, &app))
        return age > kUnreadableLockGraceMs ? QStringLiteral("锁文件为空或已损坏") : QString();
    if (!host.isEmpty() && host != QSysInfo::machineHostName() && age > kForeignLockMaxAgeMs)
        return QStringLiteral("锁文件由主机%1的进程%2留下，已超过%3分钟").arg(host).arg(pid).arg(kForeignLockMaxAgeMs / 60000);
    return {};
}

} // namespace

DirectoryLock::DirectoryLock(const QString &dir, int waitMs) : key_(KeyOf(dir))
{
    if (waitMs == kDirectoryLockWaitMs) {
        bool set = false;
        const int fromEnvironment = qEnvironmentVariableIntValue("PELVORO_LOCK_WAIT_MS", &set);
        waitMs = set && fromEnvironment >= 0 ? fromEnvironment : kDirectoryLockWaitMs;
    }
    QMutexLocker guard(&RegistryMutex());
    Held &held = Registry()[key_];
    if (held.depth > 0) {
        ++held.depth;
        locked_ = true;
        return;
    }
    auto file = std::make_unique<QLockFile>(QDir(key_).filePath(QLatin1String(kDirectoryLockName)));
    // A live owner is never stale, however long it writes; a dead one is recognised by its process id.
    file->setStaleLockTime(0);
    const QString lockPath = QDir(key_).filePath(QLatin1String(kDirectoryLockName));
    // A lock no live writer can hold is taken over, and said so, before and after the wait.
    auto takeOverDead = [&] {
        const QString why = WhyHolderCannotBeAlive(*file, lockPath);
        if (why.isEmpty() || !file->removeStaleLockFile())
            return false;
        takenOver_ = QStringLiteral("已接管目录“%1”中失效的锁文件（%2）")
                         .arg(QDir::toNativeSeparators(key_), why);
        return true;
    };
    takeOverDead();
    if (file->tryLock(waitMs) || (takeOverDead() && file->tryLock(0))) {
        held.file = std::move(file);
        held.depth = 1;
        locked_ = true;
        // A writer killed before us may have left an update half done: finish it before anyone reads.
        QString recovery;
        if (!RecoverDirectory(key_, &recovery))
            qWarning("%s", qPrintable(recovery));
        return;
    }
    Registry().erase(key_);
    switch (file->error()) {
    case QLockFile::LockFailedError:
        error_ = QStringLiteral("%1正在写入目录“%2”，等待%3秒后仍未结束：本次没有修改任何文件，请稍后再试")
                     .arg(HolderText(*file), QDir::toNativeSeparators(key_))
                     .arg(waitMs / 1000.0);
        break;
    default:
        error_ = QStringLiteral("无法在目录“%1”中建立锁文件%2：本次没有修改任何文件")
                     .arg(QDir::toNativeSeparators(key_), QLatin1String(kDirectoryLockName));
        break;
    }
}

DirectoryLock::~DirectoryLock()
{
    if (!locked_)
        return;
    QMutexLocker guard(&RegistryMutex());
    auto it = Registry().find(key_);
    if (it == Registry().end() || --it->second.depth > 0)
        return;
    it->second.file->unlock();
    Registry().erase(it);
}

} // namespace pelvoro
