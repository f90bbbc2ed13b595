#include "app/startup_checks.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "config/config_store.h"

#include <QDir>
#include <QFileInfo>

namespace pelvoro {
namespace {

QString DirectoryText()
{
    const QFileInfo info(AppDir());
    const QString canonical = info.canonicalFilePath();
    return QDir::toNativeSeparators(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

// "PID 4711，主机 desk-2", or without the host when the lock file does not say it.
QString HolderText(const QLockFile &lock)
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app))
        return QStringLiteral("PID 未知");
    QString text = QStringLiteral("PID %1").arg(pid);
    if (!host.isEmpty())
        text += QStringLiteral("，主机 %1").arg(host);
    return text;
}

} // namespace

bool ConfigReadableForStart(Prompt &prompt)
{
    const QString unreadable = ConfigStore().ReadError();
    if (unreadable.isEmpty())
        return true;
    prompt.Message(unreadable + QStringLiteral("\n程序没有启动，也没有改动任何文件。请恢复该文件后重新启动。"),
                   QStringLiteral("错误"), PromptIcon::Error);
    return false;
}

bool HoldStationDirectory(Prompt &prompt, std::unique_ptr<QLockFile> &held)
{
    auto lock = std::make_unique<QLockFile>(AppFile(QLatin1String(kStationLockName)));
    // A live station is never stale, however long it runs; a dead one is known by its process id.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held = std::move(lock);
        return true;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return true;
    prompt.Message(QStringLiteral("目录 %1 正由另一个工作站进程（%2）使用，不能再打开。")
                       .arg(DirectoryText(), HolderText(*lock)),
                   QStringLiteral("提示"), PromptIcon::Warning);
    return false;
}

} // namespace pelvoro
