#include "caller_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace pelvoro::cli {

namespace {

struct Caller {
    QString dir;
    QByteArray rawDir;
    QHash<QString, QByteArray> rawArguments; // decoded (lossy) text -> the bytes as given
    std::unique_ptr<QTemporaryDir> links;    // links to files with undecodable names, for this run
    int linkCount = 0;
};

Caller &TheCaller()
{
    static Caller caller;
    return caller;
}

// A link, under a name Qt can hold, to the file whose path bytes are `raw`; empty when it cannot
// be made (the reader then reports the file as missing).
QString LinkTo(const QByteArray &raw, const QString &shownName)
{
    Caller &caller = TheCaller();
    if (!caller.links) {
        caller.links = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/pelvoro-cli-XXXXXX"));
        if (!caller.links->isValid())
            return {};
    }
    // In a folder of its own, so that the link keeps the name the operator sees, extension included.
    const QString folder = caller.links->filePath(QString::number(++caller.linkCount));
    if (!QDir().mkpath(folder))
        return {};
    const QString link = folder + QLatin1Char('/') + shownName;
    if (::symlink(raw.constData(), QFile::encodeName(link).constData()) != 0)
        return {};
    return link;
}

} // namespace

void RememberCaller(int argc, char **argv)
{
    Caller &caller = TheCaller();
    caller.dir = QDir::currentPath();
    if (char *cwd = ::getcwd(nullptr, 0)) {
        caller.rawDir = cwd;
        ::free(cwd);
    }
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString decoded = QFile::decodeName(raw);
        if (QFile::encodeName(decoded) != raw)
            caller.rawArguments.insert(decoded, raw);
    }
}

QString CallerFile(const QString &argument)
{
    if (argument.isEmpty())
        return argument;
    const Caller &caller = TheCaller();
    if (const auto raw = caller.rawArguments.constFind(argument); raw != caller.rawArguments.constEnd()) {
        const QByteArray absolute = raw->startsWith('/') ? *raw : caller.rawDir + '/' + *raw;
        const QString link = LinkTo(absolute, QFileInfo(argument).fileName());
        if (!link.isEmpty())
            return link;
    }
    const QString base = caller.dir.isEmpty() ? QDir::currentPath() : caller.dir;
    return QDir(base).absoluteFilePath(argument);
}

QStringList CallerFiles(const QStringList &arguments)
{
    QStringList files;
    files.reserve(arguments.size());
    for (const QString &argument : arguments)
        files.append(CallerFile(argument));
    return files;
}

} // namespace pelvoro::cli
