#include "base/shipped_files.h"

#include "base/app_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pelvoro {

QStringList ShippedFileDirs()
{
    QStringList dirs{AppDir()};
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        dirs << exeDir << SharedDataDir(exeDir);
    }
    dirs.removeDuplicates();
    return dirs;
}

QString FindShippedFile(const QString &name, const QStringList &dirs)
{
    for (const QString &dir : dirs) {
        const QFileInfo file(QDir(dir).filePath(name));
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

} // namespace pelvoro
