#include "base/atomic_file.h"
#include "base/own_writes.h"

#include "support/app_dir_fixture.h"
#include "support/file_size_limit.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

// The permission bits of a file.
mode_t Mode(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 0777;
}

class AtomicFileTest : public AppDirTest {
protected:
    QString path = Path(QStringLiteral("data.bin")); // the fixture's directory exists before SetUp
    QString error;
};

TEST_F(AtomicFileTest, ReplacesTheFileKeepingItsPermissions)
{
    WriteFile("data.bin", "old bytes");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const FileIdentity before = IdentityOf(path);

    ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(ReadFile("data.bin"), QByteArray("new"));
    EXPECT_NE(IdentityOf(path).inode, before.inode) << "written beside and renamed over the old file";
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(DirEntries(), QStringList{"data.bin"});
}

TEST_F(AtomicFileTest, CreatesAMissingFileWithTheUsualPermissions)
{
    const mode_t mask = ::umask(022);
    const bool written = WriteFileAtomically(path, QByteArray(), nullptr); // no error wanted, an empty file
    ::umask(mask);
    ASSERT_TRUE(written);
    EXPECT_TRUE(Exists("data.bin"));
    EXPECT_TRUE(ReadFile("data.bin").isEmpty());
    EXPECT_EQ(Mode(path), 0644u) << "not the private mode of a temporary file";
}

TEST_F(AtomicFileTest, ThroughASymbolicLinkTheFileItNamesIsReplaced)
{
    WriteFile("target.bin", "old");
    ASSERT_TRUE(QFile::link(Path("target.bin"), path));
    ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(ReadFile("target.bin"), QByteArray("new"));
    EXPECT_EQ(DirEntries(), (QStringList{"data.bin", "target.bin"}));
}

TEST_F(AtomicFileTest, FileSetWritesThroughSymbolicLinksAndKeepsThem)
{
    // The station's files may live elsewhere, linked into the application's directory.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("shared")));
    WriteFile("shared/SysConfig.ini", "old settings");
    WriteFile("shared/Tavrel1.dat", "old pages");
    for (const char *name : {"SysConfig.ini", "Tavrel1.dat"})
        ASSERT_TRUE(QFile::link(Path(QStringLiteral("shared/%1").arg(name)), Path(QString::fromLatin1(name))));
    FileSetUpdate update;
    update.Write(Path("SysConfig.ini"), "new settings");
    update.Write(Path("Tavrel1.dat"), "new pages");
    ASSERT_TRUE(update.Commit(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(Path("SysConfig.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(Path("Tavrel1.dat")).isSymLink());
    EXPECT_EQ(ReadFile("shared/SysConfig.ini"), QByteArray("new settings"));
    EXPECT_EQ(ReadFile("shared/Tavrel1.dat"), QByteArray("new pages"));
    EXPECT_EQ(DirEntries(), (QStringList{"SysConfig.ini", "Tavrel1.dat", "shared"}));
    EXPECT_EQ(QDir(Path("shared")).entryList(QDir::Files | QDir::Hidden), (QStringList{"SysConfig.ini", "Tavrel1.dat"}));
}

TEST_F(AtomicFileTest, RecoveryCarriesOutOnlyEntriesForTheDirectorysOwnFiles)
{
    // A damaged or planted journal may name files anywhere; only the directory's own files and the
    // files its links name may be replaced, and only its own files removed.
    QTemporaryDir elsewhere;
    auto put = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const QString foreign = QDir(elsewhere.path()).filePath(QStringLiteral("notes.txt"));
    const QString linked = QDir(elsewhere.path()).filePath(QStringLiteral("SysConfig.ini"));
    put(foreign, "the operator's notes");
    put(foreign + ".pelvoro-new", "planted");
    put(linked, "old settings");
    put(linked + ".pelvoro-new", "new settings");
    ASSERT_TRUE(QFile::link(linked, Path("SysConfig.ini")));
    WriteFile("Tavrel1.dat.pelvoro-new", "new pages");
    WriteFile("Tavrel2.dat", "removed pages");
    WriteFile(".pelvoro-journal", ("W " + Path("Tavrel1.dat") + "\nW " + linked + "\nR " + Path("Tavrel2.dat") + "\nW "
                                   + foreign + "\nR " + foreign + "\n")
                                      .toUtf8());

    ASSERT_TRUE(RecoverDirectory(dir_.path(), &error)) << error.toStdString();
    EXPECT_EQ(ReadFile("Tavrel1.dat"), QByteArray("new pages"));
    EXPECT_EQ(ReadFile("SysConfig.ini"), QByteArray("new settings"));
    EXPECT_TRUE(QFileInfo(Path("SysConfig.ini")).isSymLink());
    EXPECT_EQ(DirEntries(), (QStringList{"SysConfig.ini", "Tavrel1.dat"}));
    QFile kept(foreign);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << "a file outside the directory was removed";
    EXPECT_EQ(kept.readAll(), QByteArray("the operator's notes"));
    EXPECT_TRUE(QFile::exists(foreign + ".pelvoro-new"));
}

// Whatever fails, the old file stays whole, no temporary file is left and the message names the
// step and the file. A file-size limit makes the write fail for any user, root included.
TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFile)
{
    WriteFile("data.bin", "old bytes");
    {
        const FileSizeLimit limit(64);
        EXPECT_FALSE(WriteFileAtomically(path, QByteArray(100, 'x'), &error));
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral("cannot write ") + path + QStringLiteral(": "))) << error.toStdString();
    EXPECT_EQ(ReadFile("data.bin"), QByteArray("old bytes"));
    EXPECT_EQ(DirEntries(), QStringList{"data.bin"});
}

TEST_F(AtomicFileTest, ReadOnlyFileOrDirectoryIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only directory and over a read-only file";
    WriteFile("data.bin", "old bytes");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    EXPECT_FALSE(WriteFileAtomically(path, "new", &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    const auto writable = QFile::permissions(dir_.path());
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool written = WriteFileAtomically(path, "new", &error);
    QFile::setPermissions(dir_.path(), writable);
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith(QStringLiteral("cannot create a temporary file beside ") + path))
        << error.toStdString();
    EXPECT_EQ(ReadFile("data.bin"), QByteArray("old bytes"));
    EXPECT_EQ(DirEntries(), QStringList{"data.bin"});
}

// A file its owner made read-only (chmod a-w) stays as it is, whoever runs the writer: a single
// write refuses it, and an update of several files refuses as a whole before it stages anything,
// whether the file is to be replaced or removed.
TEST_F(AtomicFileTest, FileMadeReadOnlyIsRefusedBeforeAnythingIsStaged)
{
    for (const bool removal : {false, true}) {
        SCOPED_TRACE(removal ? "removal" : "write");
        WriteFile("a.bin", "a");
        WriteFile("data.bin", "old bytes");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        EXPECT_FALSE(WriteFileAtomically(path, "new", &error));
        EXPECT_TRUE(error.contains(QStringLiteral("is not writable"))) << error.toStdString();

        FileSetUpdate update;
        update.Write(Path("a.bin"), "new a");
        if (removal)
            update.Remove(path);
        else
            update.Write(path, "new");
        error.clear();
        EXPECT_FALSE(update.Commit(&error));
        EXPECT_TRUE(error.contains(path + QStringLiteral(" is not writable"))) << error.toStdString();
        EXPECT_EQ(ReadFile("a.bin"), QByteArray("a"));
        EXPECT_EQ(ReadFile("data.bin"), QByteArray("old bytes"));
        EXPECT_EQ(Mode(path), 0444u);
        EXPECT_EQ(DirEntries(), QStringList({"a.bin", "data.bin"}));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    }
}

// A watcher asks whether a file holds what this process last wrote: both writers count, through a
// link too, and a write made over another program's change is not this process's own.
TEST_F(AtomicFileTest, OwnWritesAreKnownByContent)
{
    ASSERT_TRUE(WriteFileAtomically(path, "ours"));
    EXPECT_TRUE(IsOwnLastWrite(path, "ours"));
    EXPECT_FALSE(IsOwnLastWrite(path, "theirs"));
    ASSERT_TRUE(QFile::link(path, Path(QStringLiteral("link.bin"))));
    EXPECT_TRUE(IsOwnLastWrite(Path(QStringLiteral("link.bin")), "ours"));

    FileSetUpdate update;
    update.Write(path, "ours again");
    ASSERT_TRUE(update.Commit());
    EXPECT_TRUE(IsOwnLastWrite(path, "ours again"));

    // Another program wrote "theirs"; our next write carries it.
    NoteContentBeforeWrite(path, "theirs");
    ASSERT_TRUE(WriteFileAtomically(path, "theirs and ours"));
    EXPECT_FALSE(IsOwnLastWrite(path, "theirs and ours"));
    // Once taken in, a write over our own last one is ours again.
    NoteContentBeforeWrite(path, "theirs and ours");
    ASSERT_TRUE(WriteFileAtomically(path, "ours at last"));
    EXPECT_TRUE(IsOwnLastWrite(path, "ours at last"));
}

TEST(ReadWholeFileTest, MissingFileGivesNothing)
{
    QByteArray bytes = "stale";
    EXPECT_FALSE(ReadWholeFile(QStringLiteral("/nonexistent/file"), &bytes));
    EXPECT_TRUE(bytes.isEmpty());
}

} // namespace
} // namespace pelvoro::test
