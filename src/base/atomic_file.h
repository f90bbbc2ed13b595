#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace pelvoro {

// Replaces the file at `path` with `bytes` so that a crash or a power cut at any moment leaves either
// the old file or the new one: the bytes go to a temporary file in the same directory, are synced to
// disk and then renamed over the target, and the directory is synced after the rename. The new file
// keeps the permissions of the old one; through a symbolic link the file it points to is replaced.
// Returns false (and leaves the old file, and no temporary one) on any failure, an existing file
// without write permission included.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Reads a whole file. A missing file gives an empty array and false.
bool ReadWholeFile(const QString &path, QByteArray *bytes);

// Writes and removals of several files of one directory that take effect as a unit: a crash at any
// moment leaves either every old file or every new one. Commit() writes each new file completely
// under a staged name ("<name>.pelvoro-new") and syncs it, then records the whole list in a journal
// in the directory (written atomically: that write is the commit point), then renames and removes,
// and finally removes the journal. A writer killed before the journal leaves only staged files,
// which RecoverDirectory() removes; one killed after it leaves the journal, which
// RecoverDirectory() carries out to the end. A redo journal rather than an order of renames,
// because some changes have no consistent half-way state (a page deleted and the schedules of the
// following pages shifted). Use under the directory's lock (DirectoryLock), which recovers first.
class FileSetUpdate {
public:
    // Replaces (or creates) `path` with `bytes`; through a symbolic link, the file it points to.
    void Write(const QString &path, const QByteArray &bytes);
    // Removes `path` if it exists.
    void Remove(const QString &path);
    bool IsEmpty() const { return entries_.empty(); }
    // How Commit() writes a staged file ("<target>.pelvoro-new"); by default written and synced
    // here. Tests replace it to make a chosen write fail.
    std::function<bool(const QString &staged, const QByteArray &bytes, QString *error)> writeStaged;
    // False (with the reason) when nothing was changed or, after the commit point, when a rename
    // failed: then the journal stays and the next writer completes it.
    bool Commit(QString *error = nullptr);

private:
    struct Entry {
        QString path;
        bool remove = false;
        QByteArray bytes;
    };
    std::vector<Entry> entries_;
};

// Name of the journal an unfinished FileSetUpdate leaves in its directory.
inline constexpr char kJournalName[] = ".pelvoro-journal";
// Whether `dir` holds the journal or staged files of an update a killed writer did not finish (or a
// live one is making), or temporary files a killed writer left.
bool HasUnfinishedUpdate(const QString &dir);
// Completes an unfinished update in `dir` and removes the staged and temporary files the
// station's own writers left there. Call with the directory's lock held.
bool RecoverDirectory(const QString &dir, QString *error = nullptr);

// Test seam for crash tests: with PELVORO_KILL_AT_STEP=N in the environment, the process kills
// itself (SIGKILL) just before its Nth file-system step (a file written, renamed or removed).
void FileSystemStep();

} // namespace pelvoro
