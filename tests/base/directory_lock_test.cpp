#include "base/directory_lock.h"

#include "support/app_dir_fixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class DirectoryLockTest : public AppDirTest {
protected:
    QString LockPath() const { return Path(QLatin1String(kDirectoryLockName)); }
};

TEST_F(DirectoryLockTest, HeldWhileAliveNestedInOneProcessAndGoneAfterwards)
{
    {
        const DirectoryLock outer;
        ASSERT_TRUE(outer.Locked()) << outer.Error().toStdString();
        EXPECT_TRUE(Exists(QLatin1String(kDirectoryLockName)));
        {
            // An operation that calls other locking operations keeps the lock it holds.
            const DirectoryLock inner(dir_.path(), 0);
            EXPECT_TRUE(inner.Locked());
        }
        EXPECT_TRUE(Exists(QLatin1String(kDirectoryLockName))) << "the inner lock released the outer one";
    }
    EXPECT_EQ(DirEntries(), QStringList());
}

TEST_F(DirectoryLockTest, AnotherOwnerIsWaitedForThenRefusedWithItsName)
{
    // Another owner: a lock file of its own, as a second process holds it.
    QLockFile other(LockPath());
    ASSERT_TRUE(other.tryLock(0));
    QElapsedTimer timer;
    timer.start();
    {
        const DirectoryLock lock(dir_.path(), 300);
        EXPECT_FALSE(lock.Locked());
        EXPECT_GE(timer.elapsed(), 250);
        EXPECT_TRUE(lock.Error().contains(QStringLiteral("进程%1").arg(QCoreApplication::applicationPid())))
            << lock.Error().toStdString();
        EXPECT_TRUE(lock.Error().contains(QStringLiteral("没有修改任何文件")));
    }
    EXPECT_TRUE(QFile::exists(LockPath())) << "a refused lock must leave the owner's file";
    other.unlock();
    const DirectoryLock lock(dir_.path(), 0);
    EXPECT_TRUE(lock.Locked()) << lock.Error().toStdString();
}

TEST_F(DirectoryLockTest, LockFileThatCannotBeMadeRefusesTheWriter)
{
    // Whoever runs the test: a directory where the lock file belongs cannot become one.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QLatin1String(kDirectoryLockName)));
    const DirectoryLock lock(dir_.path(), 200);
    EXPECT_FALSE(lock.Locked());
    EXPECT_TRUE(lock.Error().contains(QStringLiteral("没有修改任何文件"))) << lock.Error().toStdString();
}

// Lock files no live writer could hold are taken over and said so; one that may still have a writer
// behind it is not.
TEST_F(DirectoryLockTest, LockFilesNoLiveWriterCouldHoldAreTakenOver)
{
    struct Case {
        const char *name;
        QByteArray content;
        int ageSeconds;
        bool takenOver;
    };
    const Case cases[] = {
        {"empty", "", 60, true},
        {"damaged", "not a lock\n", 60, true},
        {"empty, just made", "", 0, false},
        {"another host's, old", "999999\nother\nsomewhere-else\n", 11 * 60, true},
        {"another host's, recent", "999999\nother\nsomewhere-else\n", 60, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(LockPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.flush(); // the time is set after the last write
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-c.ageSeconds),
                                     QFileDevice::FileModificationTime));
        file.close();
        {
            const DirectoryLock lock(dir_.path(), 0);
            EXPECT_EQ(lock.Locked(), c.takenOver) << lock.Error().toStdString();
            EXPECT_EQ(lock.TakenOver().contains(QStringLiteral("失效的锁文件")), c.takenOver);
        }
        EXPECT_EQ(Exists(QLatin1String(kDirectoryLockName)), !c.takenOver);
        QFile::remove(LockPath());
    }
}

} // namespace
} // namespace pelvoro::test
