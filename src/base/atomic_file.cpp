#include "base/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace pelvoro {

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo target(path);
    QTemporaryFile temp(target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX")));
    auto fail = [&](const QString &what) {
        if (error)
            *error = what + QStringLiteral(": ") + temp.errorString();
        return false;
    };
    if (!temp.open())
        return fail(QStringLiteral("cannot create a temporary file beside %1").arg(path));
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        return fail(QStringLiteral("cannot write %1").arg(path));
    if (::fsync(temp.handle()) != 0)
        return fail(QStringLiteral("cannot flush %1 to disk").arg(path));
    // Keep the permissions of the file being replaced.
    if (target.exists())
        temp.setPermissions(QFile(path).permissions());
    else
        temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                            | QFileDevice::ReadOther);
    temp.close();
    const QByteArray from = QFile::encodeName(temp.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0)
        return fail(QStringLiteral("cannot replace %1").arg(path));
    temp.setAutoRemove(false);
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
