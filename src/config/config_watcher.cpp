#include "config/config_watcher.h"

#include "base/atomic_file.h"
#include "base/input_file_limits.h"
#include "base/own_writes.h"
#include "config/config_limits.h"

#include <QFileInfo>

namespace pelvoro {

namespace {

// A replacement is a rename followed by the writer's directory sync; one report after it.
constexpr int kSettleMs = 150;

} // namespace

ConfigWatcher::ConfigWatcher(QString path, QObject *parent) : QObject(parent), path_(std::move(path))
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &ConfigWatcher::Settled);
    // The directory too: a file that is replaced or created again shows up there.
    watcher_.addPath(QFileInfo(path_).absolutePath());
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        Rewatch();
        settle_.start();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) {
            Rewatch();
            settle_.start();
        }
    });
    Rewatch();
}

void ConfigWatcher::Settled()
{
    // The station's own saves fire the watch too; only another writer's change is reported.
    QByteArray bytes;
    const bool own = StoredFileRefusal(path_, kMaxConfigFileBytes).isEmpty() && ReadWholeFile(path_, &bytes)
                     && IsOwnLastWrite(path_, bytes);
    if (!own)
        Q_EMIT Changed();
    Q_EMIT Checked(!own);
}

void ConfigWatcher::Rewatch()
{
    // A renamed-over file is a new inode: the old watch is gone with the old file.
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_))
        watcher_.addPath(path_);
}

} // namespace pelvoro
