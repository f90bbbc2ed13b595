#include "base/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pelvoro {

namespace {

#ifdef Q_OS_UNIX
// Makes the rename that just happened in `dir` survive a power cut. Only the durability of the
// rename is at stake here: the directory holds the old file or the new one, never a partial one,
// so a file system that cannot sync a directory costs no data and is not reported.
void SyncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
#endif

} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // QSaveFile writes to a temporary file beside the target, gives it the permissions of the file
    // it replaces and renames it over the target only in commit(); on a failure, or destroyed
    // before commit(), it removes the temporary file and the old file stays as it was.
    QSaveFile file(path);
    auto fail = [&](const QString &what, const QString &why) {
        if (error)
            *error = what.arg(path) + QStringLiteral(": ") + why;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot create a temporary file beside %1"), file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(QStringLiteral("cannot write %1"), file.errorString());
#ifdef Q_OS_UNIX
    // commit() syncs the file before the rename but ignores a failed sync, and bytes that may not
    // have reached the disk must not replace the old file: sync here, where failing keeps it.
    if (::fsync(file.handle()) != 0)
        return fail(QStringLiteral("cannot flush %1 to disk"), qt_error_string(errno));
#endif
    if (!file.commit())
        return fail(QStringLiteral("cannot replace %1"), file.errorString());
#ifdef Q_OS_UNIX
    // The rename lives in the directory, which has to reach the disk as well (QSaveFile renamed in
    // the directory of the file a symbolic link points to).
    SyncDirectory(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath());
#endif
    return true;
}

bool ReadWholeFile(const QString &path, QByteArray *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        bytes->clear();
        return false;
    }
    *bytes = file.readAll();
    return true;
}

} // namespace pelvoro
