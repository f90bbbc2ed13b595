#include "base/atomic_file.h"

#include "base/own_writes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <csignal>
#include <functional>

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

// A file that this process may not write, or that no one may (its owner took every write permission
// away, which root would otherwise override): the operator meant it to stay as it is.
bool IsReadOnly(const QString &path)
{
    const QFileInfo info(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.exists() && (!info.isWritable() || !(info.permissions() & anyWrite));
}

QString NotWritable(const QString &path)
{
    return QStringLiteral("%1 is not writable").arg(path);
}

} // namespace

void FileSystemStep()
{
    static const int killAt = qEnvironmentVariableIntValue("PELVORO_KILL_AT_STEP");
    static int step = 0;
    if (killAt > 0 && ++step == killAt)
        std::raise(SIGKILL);
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    FileSystemStep();
    // QSaveFile writes to a temporary file beside the target, gives it the permissions of the file
    // it replaces and renames it over the target only in commit(); on a failure, or destroyed
    // before commit(), it removes the temporary file and the old file stays as it was.
    QSaveFile file(path);
    auto fail = [&](const QString &what, const QString &why) {
        if (error)
            *error = what.arg(path) + QStringLiteral(": ") + why;
        return false;
    };
    if (IsReadOnly(path))
        return fail(QStringLiteral("cannot replace %1"), NotWritable(path));
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
    FileSystemStep();
    if (!file.commit())
        return fail(QStringLiteral("cannot replace %1"), file.errorString());
#ifdef Q_OS_UNIX
    // The rename lives in the directory, which has to reach the disk as well (QSaveFile renamed in
    // the directory of the file a symbolic link points to).
    SyncDirectory(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath());
#endif
    RememberOwnWrite(path, bytes);
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

namespace {

const QString kStagedSuffix = QStringLiteral(".pelvoro-new");

void Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Where a write of `path` lands: the file a symbolic link points to, so that the link stays a link.
QString ResolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

bool WriteStaged(const QString &staged, const QString &target, const QByteArray &bytes, QString *error)
{
    FileSystemStep();
    QFile file(staged);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Fail(error, QStringLiteral("cannot create %1: %2").arg(staged, file.errorString()));
        return false;
    }
    if (QFileInfo::exists(target))
        file.setPermissions(QFile::permissions(target));
    bool ok = file.write(bytes) == bytes.size() && file.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    if (!ok) {
        Fail(error, QStringLiteral("cannot write %1: %2").arg(staged, file.errorString()));
        file.close();
        QFile::remove(staged);
    }
    return ok;
}

bool Rename(const QString &from, const QString &to, QString *error)
{
    FileSystemStep();
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        Fail(error, QStringLiteral("cannot replace %1: %2").arg(to, qt_error_string(errno)));
        return false;
    }
    return true;
}

bool RemoveIfThere(const QString &path, QString *error)
{
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return true;
    FileSystemStep();
    if (!QFile::remove(path)) {
        Fail(error, QStringLiteral("cannot remove %1").arg(path));
        return false;
    }
    return true;
}

// The journal: one line per entry, "W <path>" or "R <path>", paths in UTF-8. A file of the journal's
// own directory is named by its bare name, so that a folder moved or copied after a crash is still
// completed where it now is; a file elsewhere (the target of a symbolic link) by its absolute path.
QByteArray JournalText(const QString &dir, const QStringList &writes, const QStringList &removals)
{
    const QString home = QFileInfo(dir).canonicalFilePath();
    auto entry = [&](const QString &path) {
        const QFileInfo info(path);
        return QFileInfo(info.absolutePath()).canonicalFilePath() == home ? info.fileName() : path;
    };
    QByteArray text;
    for (const QString &path : writes)
        text += "W " + entry(path).toUtf8() + '\n';
    for (const QString &path : removals)
        text += "R " + entry(path).toUtf8() + '\n';
    return text;
}

// Carries out a journal of `dir`: every staged file still there is renamed over its target, every
// removal done; an entry `allowed` turns down is passed over, and so is a relative entry that is
// not a bare file name.
bool Replay(const QByteArray &journal, const QString &dir, QString *error,
            const std::function<bool(const QString &path, bool write)> &allowed = {})
{
    bool ok = true;
    QStringList dirs;
    for (const QByteArray &line : journal.split('\n')) {
        if (line.size() < 3)
            continue;
        QString path = QString::fromUtf8(line.mid(2));
        if (QDir::isRelativePath(path)) {
            if (path.contains(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) || path == QLatin1String(".")
                || path == QLatin1String(".."))
                continue;
            path = QDir(dir).absoluteFilePath(path);
        }
        if (allowed && !allowed(path, line.startsWith("W ")))
            continue;
        dirs << QFileInfo(path).absolutePath();
        if (line.startsWith("W ")) {
            if (QFileInfo::exists(path + kStagedSuffix))
                ok = Rename(path + kStagedSuffix, path, error) && ok;
        } else if (line.startsWith("R ")) {
            ok = RemoveIfThere(path, error) && ok;
        }
    }
#ifdef Q_OS_UNIX
    dirs.removeDuplicates();
    for (const QString &touched : dirs)
        SyncDirectory(touched);
#endif
    return ok;
}

} // namespace

void FileSetUpdate::Write(const QString &path, const QByteArray &bytes)
{
    entries_.push_back(Entry{path, false, bytes});
}

void FileSetUpdate::Remove(const QString &path)
{
    entries_.push_back(Entry{path, true, {}});
}

bool FileSetUpdate::Commit(QString *error)
{
    if (entries_.empty())
        return true;
    // A read-only file refuses the whole update before anything is staged.
    for (const Entry &entry : entries_) {
        const QString target = entry.remove ? entry.path : ResolvedTarget(entry.path);
        if (IsReadOnly(target)) {
            Fail(error, NotWritable(target));
            return false;
        }
    }
    QStringList writes;
    QStringList removals;
    QString dir;
    for (const Entry &entry : entries_) {
        if (dir.isEmpty())
            dir = QFileInfo(entry.path).absolutePath();
        if (entry.remove) {
            removals << QFileInfo(entry.path).absoluteFilePath();
            continue;
        }
        const QString target = ResolvedTarget(entry.path);
        const QString staged = target + kStagedSuffix;
        if (writeStaged ? !writeStaged(staged, entry.bytes, error) : !WriteStaged(staged, target, entry.bytes, error)) {
            QFile::remove(staged);
            for (const QString &written : writes)
                QFile::remove(written + kStagedSuffix);
            return false;
        }
        writes << target;
    }
#ifdef Q_OS_UNIX
    SyncDirectory(dir);
#endif
    const QString journal = QDir(dir).filePath(QLatin1String(kJournalName));
    const QByteArray journalText = JournalText(dir, writes, removals);
    if (!WriteFileAtomically(journal, journalText, error)) {
        for (const QString &written : writes)
            QFile::remove(written + kStagedSuffix);
        return false;
    }
    if (!Replay(journalText, dir, error))
        return false;
    for (const Entry &entry : entries_) {
        if (!entry.remove)
            RememberOwnWrite(entry.path, entry.bytes);
    }
    return RemoveIfThere(journal, error);
}

namespace {

// A writer killed inside WriteFileAtomically leaves QSaveFile's "<name>.XXXXXX" beside the file it
// was replacing (where the file system has no unnamed temporary files), and one killed while it
// took over a dead writer's lock leaves QLockFile's ".rmlock". Only names of the station's own
// files count: the directory may hold the operator's files too.
QStringList StaleTemporaries(const QString &dir)
{
    static const QRegularExpression own(QStringLiteral(
        R"(^((SysConfig\.ini|Tavrel\d+\.dat|TavrelTitle\d+\.(dat|txt)|temp\.rtf|\.pelvoro-journal)\.[A-Za-z0-9]{6})"
        R"(|\.pelvoro\.lock\.rmlock)$)"));
    QStringList stale;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        if (own.match(name).hasMatch())
            stale << name;
    }
    return stale;
}

} // namespace

bool HasUnfinishedUpdate(const QString &dir)
{
    return QFileInfo::exists(QDir(dir).filePath(QLatin1String(kJournalName)))
           || !QDir(dir).entryList({QLatin1Char('*') + kStagedSuffix}, QDir::Files | QDir::Hidden).isEmpty()
           || !StaleTemporaries(dir).isEmpty();
}

namespace {

// A journal found on disk may be damaged or planted: it may only touch the directory's own files
// and, for a write, the file a symbolic link in the directory names.
std::function<bool(const QString &, bool)> EntriesOf(const QString &dir)
{
    const QString home = QFileInfo(dir).canonicalFilePath();
    QStringList linkTargets;
    for (const QFileInfo &entry : QDir(dir).entryInfoList(QDir::Files | QDir::System | QDir::Hidden)) {
        if (entry.isSymLink())
            linkTargets << ResolvedTarget(entry.absoluteFilePath());
    }
    return [home, linkTargets](const QString &path, bool write) {
        const QFileInfo info(path);
        if (info.isAbsolute() && info.fileName() != QLatin1String("..")
            && QFileInfo(info.absolutePath()).canonicalFilePath() == home)
            return true;
        return write && linkTargets.contains(path);
    };
}

} // namespace

bool RecoverDirectory(const QString &dir, QString *error)
{
    const QString journal = QDir(dir).filePath(QLatin1String(kJournalName));
    QByteArray text;
    if (QFileInfo::exists(journal)) {
        if (!ReadWholeFile(journal, &text)) {
            Fail(error, QStringLiteral("cannot read %1").arg(journal));
            return false;
        }
        if (!Replay(text, dir, error, EntriesOf(dir)) || !RemoveIfThere(journal, error))
            return false;
    }
    // What is left staged belongs to an update that never reached its journal: the old files stand.
    for (const QString &name : QDir(dir).entryList({QLatin1Char('*') + kStagedSuffix}, QDir::Files | QDir::Hidden))
        QFile::remove(QDir(dir).filePath(name));
    // A writer killed inside WriteFileAtomically leaves QSaveFile's "<name>.XXXXXX" beside the file
    // it was replacing (where the file system has no unnamed temporary files). Only siblings of the
    // station's own files go: the directory may hold the operator's files too.
    for (const QString &name : StaleTemporaries(dir))
        QFile::remove(QDir(dir).filePath(name));
    return true;
}

} // namespace pelvoro
