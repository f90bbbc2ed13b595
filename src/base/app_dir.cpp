#include "base/app_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pelvoro {
namespace {
QString &OverrideDir()
{
    static QString dir;
    return dir;
}
} // namespace

void SetAppDir(const QString &dir)
{
    OverrideDir() = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString AppDir()
{
    if (!OverrideDir().isEmpty())
        return OverrideDir();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
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
