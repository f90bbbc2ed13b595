#include "base/own_writes.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace pelvoro {
namespace {

struct OwnWrite {
    QByteArray digest;           // of what this process last wrote
    bool own = true;             // false when that write carried another program's change
    bool carriesOutside = false; // the next write is made over another program's change
};

struct Registry {
    QMutex mutex;
    QHash<QString, OwnWrite> files;
};

Registry &TheRegistry()
{
    static Registry registry;
    return registry;
}

// One key per file, however it was named: through a symbolic link the file it points to.
QString Key(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QByteArray Digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

} // namespace

void RememberOwnWrite(const QString &path, const QByteArray &bytes)
{
    Registry &registry = TheRegistry();
    const QMutexLocker lock(&registry.mutex);
    OwnWrite &entry = registry.files[Key(path)];
    entry.digest = Digest(bytes);
    entry.own = !entry.carriesOutside;
    entry.carriesOutside = false;
}

bool IsOwnLastWrite(const QString &path, const QByteArray &bytes)
{
    Registry &registry = TheRegistry();
    const QMutexLocker lock(&registry.mutex);
    const auto found = registry.files.constFind(Key(path));
    return found != registry.files.constEnd() && found->own && found->digest == Digest(bytes);
}

void NoteContentBeforeWrite(const QString &path, const QByteArray &current)
{
    Registry &registry = TheRegistry();
    const QMutexLocker lock(&registry.mutex);
    auto found = registry.files.find(Key(path));
    // Before our first write the content is the one this run started from.
    if (found != registry.files.end() && found->digest != Digest(current))
        found->carriesOutside = true;
}

} // namespace pelvoro
