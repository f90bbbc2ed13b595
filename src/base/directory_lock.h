#pragma once

// Around every write into the application's directory: DirectoryLock lock; if (!lock.Locked()) report lock.Error().

#include <QString>

namespace pelvoro {

// How long a second writer waits for the first before it gives up.
inline constexpr int kDirectoryLockWaitMs = 3000;
// Name of the lock file in the locked directory.
inline constexpr char kDirectoryLockName[] = ".pelvoro.lock";

// One writer at a time in a directory: the station, the command-line tool and any second copy of
// either take a QLockFile beside SysConfig.ini for as long as a writing operation reads and
// replaces its files, so that no writer replaces files with a copy made before another one wrote.
// The lock is re-entrant within a process (an operation that calls other locking operations keeps
// the one it holds) and is released when the last holder goes. A lock whose owner died is taken
// over at once, and so is one no live writer could hold (see TakenOver()); a live owner is waited
// for up to `waitMs`, then Locked() is false. Taking the lock first completes what a killed writer
// left unfinished (RecoverDirectory).
class DirectoryLock {
public:
    // `dir` empty: the application's directory. The default wait can be changed through the
    // environment's PELVORO_LOCK_WAIT_MS (tests lengthen or shorten it).
    explicit DirectoryLock(const QString &dir = {}, int waitMs = kDirectoryLockWaitMs);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock &) = delete;
    DirectoryLock &operator=(const DirectoryLock &) = delete;

    bool Locked() const { return locked_; }
    // For the operator when not locked: who holds the directory, or why no lock could be made.
    const QString &Error() const { return error_; }
    // Not empty when a lock file no live writer could hold (empty or damaged, or another host's and
    // older than any write) was removed to take the lock: what was taken over and why.
    const QString &TakenOver() const { return takenOver_; }

private:
    QString key_;
    bool locked_ = false;
    QString error_;
    QString takenOver_;
};

} // namespace pelvoro
