// The station starts only on a SysConfig.ini it can read, and only on a directory no other
// station runs on, and says why otherwise.
#include "app/startup_checks.h"

#include "base/directory_lock.h"

#include "support/app_dir_fixture.h"
#include "support/gbk_lines.h"
#include "support/scripted_prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class StartupChecksTest : public AppDirTest {
protected:
    ScriptedPrompt prompt;
};

TEST_F(StartupChecksTest, UnreadableConfigurationStopsTheStartWithItsNameAndReason)
{
    // A directory where the file should be: it exists, and no one (not even root) can read it.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("SysConfig.ini")));
    EXPECT_FALSE(ConfigReadableForStart(prompt));
    ASSERT_EQ(prompt.messages.size(), 1);
    const QString text = prompt.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("无法读取配置文件“%1”：").arg(QDir::toNativeSeparators(ConfigPath()))))
        << text.toStdString();
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_EQ(DirEntries(), QStringList{QStringLiteral("SysConfig.ini")}) << "nothing written beside it";
}

TEST_F(StartupChecksTest, ReadableOrMissingConfigurationStartsSilently)
{
    EXPECT_TRUE(ConfigReadableForStart(prompt)); // missing: the defaults
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1"}));
    EXPECT_TRUE(ConfigReadableForStart(prompt));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(StartupChecksTest, SecondStationOnTheDirectoryIsRefusedNamingTheFolderAndTheProcess)
{
    std::unique_ptr<QLockFile> first;
    ASSERT_TRUE(HoldStationDirectory(prompt, first));
    ASSERT_TRUE(first);
    EXPECT_TRUE(prompt.messages.isEmpty());

    // The lock file names this process: a second station sees a live owner.
    std::unique_ptr<QLockFile> second;
    EXPECT_FALSE(HoldStationDirectory(prompt, second));
    EXPECT_FALSE(second);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("目录 %1 正由另一个工作站进程（PID %2，主机 %3）使用，不能再打开。")
                                           .arg(QDir::toNativeSeparators(QDir(dir_.path()).canonicalPath()))
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(QSysInfo::machineHostName()));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);

    // Each write takes the directory's own lock, which the station's does not hold: the tool's
    // commands go on beside a running station.
    EXPECT_TRUE(DirectoryLock(dir_.path(), 0).Locked());

    first.reset();
    EXPECT_TRUE(HoldStationDirectory(prompt, second)) << "free again once the first station has ended";
    EXPECT_EQ(prompt.messages.size(), 1);
}

TEST_F(StartupChecksTest, LockOfAStationThatDiedIsTakenOver)
{
    // The process id of a process that has ended.
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    WriteFile(QLatin1String(kStationLockName), QStringLiteral("%1\npelvoro\n%2\n")
                                                   .arg(pid)
                                                   .arg(QSysInfo::machineHostName())
                                                   .toUtf8());

    std::unique_ptr<QLockFile> held;
    EXPECT_TRUE(HoldStationDirectory(prompt, held));
    ASSERT_TRUE(held);
    qint64 owner = 0;
    QString host, app;
    ASSERT_TRUE(held->getLockInfo(&owner, &host, &app));
    EXPECT_EQ(owner, QCoreApplication::applicationPid());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

} // namespace
} // namespace pelvoro::test
