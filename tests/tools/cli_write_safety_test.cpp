// pelvoro-cli's writing commands against other writers and unreadable files.
#include "base/directory_lock.h"
#include "config/config_store.h"
#include "pages/page_schedules.h"
#include "pages/page_store.h"

#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <functional>
#include <memory>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliWriteSafetyTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "单双色=1", "横向点数=64", "纵向点数=16",
                            "主区域高=16", "第一区域=主区", "[1号屏参数]", "单双色=1", "横向点数=64", "纵向点数=16",
                            "主区域高=16", "第一区域=主区"}));
    }
    CliResult Run(const QStringList &args, const QProcessEnvironment &env = {}) const
    {
        return RunCli(args, dir_.path(), env);
    }
    static QProcessEnvironment LockWait(int ms)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PELVORO_LOCK_WAIT_MS"), QString::number(ms));
        return env;
    }
    // A red page.png, and `copies` of it as screen 1's pages.
    void AddRedPages(int copies = 1) const
    {
        QImage page(64, 16, QImage::Format_RGB32);
        page.fill(Qt::red);
        ASSERT_TRUE(page.save(Path("page.png")));
        QStringList args{"pages", "add", "--screen", "1"};
        for (int i = 0; i < copies; ++i)
            args << Path("page.png");
        ASSERT_EQ(Run(args).exitCode, 0);
    }
    QString Name(int screen) const
    {
        const CliResult result = Run({"screens"});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QJsonArray screens = QJsonDocument::fromJson(result.outBytes).object().value("screens").toArray();
        return screens.at(screen).toObject().value("ScreenName").toString();
    }
};

TEST_F(CliWriteSafetyTest, WritingCommandsWaitForAnotherWriterThenChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages());
    ASSERT_EQ(Run({"project", "save", Path("p.save")}).exitCode, 0);
    const QStringList before = DirEntries();
    QMap<QString, QByteArray> bytes;
    for (const QString &name : before)
        bytes[name] = ReadFile(name);

    const DirectoryLock other;
    ASSERT_TRUE(other.Locked());
    // Every writing command; each gives up after a short wait, as the other writer never ends.
    const QList<QStringList> writes{{"set", "--screen", "1", "ScreenName=x"},
                                    {"set", "--screens", "1"},
                                    {"pages", "add", "--screen", "1", Path("page.png")},
                                    {"pages", "set", "--screen", "1", "--page", "1", "--speed", "3"},
                                    {"pages", "move", "--screen", "1", "--page", "1", "up"},
                                    {"pages", "delete", "--screen", "1", "--page", "1"},
                                    {"schedule", "set", "--screen", "1", "--page", "1", "--weekdays", "1"},
                                    {"text", "--screen", "1", "hello"},
                                    {"convert", "--screen", "1", "--kind", "bmp", Path("page.png")},
                                    {"subtitle", "set", "--screen", "1", "abc"},
                                    {"subtitle", "delete", "--screen", "1"},
                                    {"area", "remove", "--screen", "1", "主区"},
                                    {"area", "add", "--screen", "1", "小字幕"},
                                    {"project", "open", Path("p.save")},
                                    {"project", "save", Path("q.save")},
                                    {"users", "set", "--login", "on"},
                                    {"identity", "set", "--name", "x"}};
    for (const QStringList &args : writes) {
        const CliResult result = Run(args, LockWait(200));
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("正在写入目录"))) << result.err.toStdString();
    }
    QStringList after = DirEntries();
    after.removeAll(QLatin1String(kDirectoryLockName)); // the other writer's
    EXPECT_EQ(after, before);
    // Reading needs no lock.
    EXPECT_EQ(Run({"pages", "list", "--screen", "1"}).exitCode, 0);
    for (const QString &name : before)
        EXPECT_EQ(ReadFile(name), bytes[name]) << name.toStdString();
}

// A writer reads what it changes only once it holds the directory: a change another writer makes
// while it waits is kept, and what it writes fits what that change left.
TEST_F(CliWriteSafetyTest, WritersReadWhatTheyChangeOnlyOnceTheyHoldTheDirectory)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages(2));
    const struct {
        const char *name;
        QStringList args;
        int exitCode;
        std::function<void()> meanwhile; // another writer's change, made while the command waits
        std::function<void()> check;
    } cases[] = {
        {"schedule set keeps the other field",
         {"schedule", "set", "--screen", "1", "--page", "1", "--weekdays", "1"},
         0,
         [] {
             ConfigStore store;
             ASSERT_TRUE(EditPageSchedule(store, 0, 1, [](StoredSchedule &s) { s.startHour = 8; }).Ok());
         },
         [this] {
             const CliResult shown = Run({"schedule", "show", "--screen", "1", "--page", "1"});
             EXPECT_TRUE(shown.out.contains(R"("weekdays": [1])")) << shown.out.toStdString();
             EXPECT_TRUE(shown.out.contains(R"("startTime": "08:00:00")")) << shown.out.toStdString();
         }},
        {"schedule set of a page deleted meanwhile",
         {"schedule", "set", "--screen", "1", "--page", "2", "--weekdays", "2"},
         1,
         [] {
             ConfigStore store;
             ScreenTable table;
             LoadScreenTable(store, table);
             ASSERT_TRUE(DeletePage(table, 0, 2, store).Ok());
         },
         [this] { EXPECT_FALSE(FromGbk(ReadFile("SysConfig.ini")).contains(QStringLiteral("0号屏2页"))); }},
        {"text on a screen made wider",
         {"text", "--screen", "2", "hello"},
         0,
         [] { ASSERT_TRUE(ConfigStore().WriteInt(ScreenSectionName(1), QStringLiteral("横向点数"), 128)); },
         [this] {
             const CliResult listed = Run({"pages", "list", "--screen", "2"});
             EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
             EXPECT_TRUE(listed.out.startsWith(R"([{"page": 1)")) << listed.out.toStdString();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PELVORO_LOCK_WAIT_MS"), QStringLiteral("120000"));
        process.setProcessEnvironment(env);
        {
            const DirectoryLock other;
            ASSERT_TRUE(other.Locked());
            process.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-cli"), QStringList{"--dir", dir_.path()} + c.args);
            ASSERT_TRUE(process.waitForStarted(30000));
            // Time for the command to reach the lock; a slower start only makes the case weaker.
            QThread::msleep(1500);
            c.meanwhile();
        }
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), c.exitCode) << process.readAllStandardError().toStdString();
        c.check();
    }
}

// A file the operator made read-only refuses every command that would replace or remove it, before
// anything is changed, whoever runs the tool.
TEST_F(CliWriteSafetyTest, ReadOnlyFilesRefuseEveryWriterBeforeAnythingChanges)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages());
    ASSERT_EQ(Run({"project", "save", Path("p.save")}).exitCode, 0);
    const struct {
        const char *readOnly;
        QStringList args;
    } cases[] = {
        {"Tavrel1.dat", {"pages", "add", "--screen", "1", Path("page.png")}},
        {"Tavrel1.dat", {"pages", "delete", "--screen", "1", "--page", "1"}},
        {"SysConfig.ini", {"schedule", "set", "--screen", "1", "--page", "1", "--weekdays", "1"}},
        {"Tavrel1.dat", {"area", "remove", "--screen", "1", "主区"}},
        {"Tavrel1.dat", {"project", "open", Path("p.save")}},
        {"SysConfig.ini", {"project", "open", Path("p.save")}},
    };
    for (const auto &c : cases) {
        const QString file = Path(c.readOnly);
        SCOPED_TRACE(c.readOnly + (": " + c.args.join(' ').toStdString()));
        QMap<QString, QByteArray> before;
        for (const QString &name : DirEntries())
            before[name] = ReadFile(name);
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(QStringLiteral("not writable"))) << result.err.toStdString();
        EXPECT_FALSE(QFile::permissions(file)
                     & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther))
            << "left read-only";
        ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QMap<QString, QByteArray> after;
        for (const QString &name : DirEntries())
            after[name] = ReadFile(name);
        EXPECT_EQ(after, before);
    }
}

// A writer stopped in the middle of an update: a reader never shows the state between two of its
// steps. While the writer lives it says a write is in progress; once it is gone it completes it.
TEST_F(CliWriteSafetyTest, ReaderNeverShowsAnUpdateHalfDone)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages());
    const QByteArray pages = ReadFile("Tavrel1.dat");
    // What a writer leaves between staging and its journal: the new file beside the old one.
    WriteFile("Tavrel1.dat.pelvoro-new", "new");
    {
        const DirectoryLock writer;
        ASSERT_TRUE(writer.Locked());
        WriteFile("Tavrel1.dat.pelvoro-new", "new"); // the lock's recovery removed the first one
        const CliResult read = Run({"pages", "list", "--screen", "1"});
        EXPECT_EQ(read.exitCode, 1);
        EXPECT_TRUE(read.err.contains(QStringLiteral("正在写入目录"))) << read.err.toStdString();
        EXPECT_TRUE(read.out.isEmpty()) << read.out.toStdString();
    }
    const CliResult read = Run({"pages", "list", "--screen", "1"});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_FALSE(Exists("Tavrel1.dat.pelvoro-new"));
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pages);
}

TEST_F(CliWriteSafetyTest, TwoToolRunsSettingDifferentScreensKeepBothChanges)
{
    ASSERT_EQ(Run({"set", "--screens", "2"}).exitCode, 0);
    const auto start = [&](int screen, const QString &name) {
        auto *process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro-cli"),
                       {"--dir", dir_.path(), "set", "--screen", QString::number(screen), "ScreenName=" + name});
        return process;
    };
    for (int round = 0; round < 5; ++round) {
        const QString a = QStringLiteral("a%1").arg(round);
        const QString b = QStringLiteral("b%1").arg(round);
        std::unique_ptr<QProcess> first(start(1, a));
        std::unique_ptr<QProcess> second(start(2, b));
        ASSERT_TRUE(first->waitForFinished(30000) && second->waitForFinished(30000));
        EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
        EXPECT_EQ(Name(0), a);
        EXPECT_EQ(Name(1), b);
    }
}

// A SysConfig.ini that is no file (a directory, a pipe that would block every reader) or larger than
// any the station writes is refused by name, unread, and nothing changes.
TEST_F(CliWriteSafetyTest, UnreadableConfigurationIsRefusedWithItsNameBeforeAnythingChanges)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages());
    const QByteArray pages = ReadFile("Tavrel1.dat");
    const QByteArray config = ReadFile("SysConfig.ini");
    ASSERT_TRUE(QFile::rename(ConfigPath(), Path("saved.ini")));
    const struct {
        const char *name;
        std::function<void()> make;
        const char *says;
    } kinds[] = {
        {"directory", [this] { ASSERT_TRUE(QDir(dir_.path()).mkdir("SysConfig.ini")); }, "不是普通文件"},
        {"pipe", [this] { ASSERT_EQ(::mkfifo(QFile::encodeName(ConfigPath()).constData(), 0600), 0); }, "不是普通文件"},
        {"sparse 17 MB",
         [this] {
             QFile big(ConfigPath());
             ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(17LL * 1024 * 1024));
         },
         "超过"},
    };
    const QList<QStringList> commands{{"screens"},
                                      {"pages", "list", "--screen", "1"},
                                      {"set", "--screen", "1", "ScreenName=x"},
                                      {"area", "add", "--screen", "1", "小字幕"},
                                      {"pages", "delete", "--screen", "1", "--page", "1"}};
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        kind.make();
        const QFileInfo made(ConfigPath());
        for (const QStringList &args : commands) {
            const CliResult result = Run(args);
            EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString() << ": " << result.out.toStdString();
            EXPECT_TRUE(result.err.contains(QStringLiteral("SysConfig.ini")) && result.err.contains(kind.says))
                << result.err.toStdString();
        }
        const QFileInfo after(ConfigPath());
        EXPECT_EQ(after.isDir(), made.isDir());
        EXPECT_EQ(after.size(), made.size());
        EXPECT_EQ(ReadFile("saved.ini"), config);
        EXPECT_EQ(ReadFile("Tavrel1.dat"), pages);
        if (made.isDir())
            ASSERT_TRUE(QDir(ConfigPath()).removeRecursively());
        else
            ASSERT_TRUE(QFile::remove(ConfigPath()));
    }
}

// Page files and project files that are no files, or larger than the largest of their kind, are
// refused unread: nothing blocks on a pipe or reads gigabytes to find a file damaged.
TEST_F(CliWriteSafetyTest, DataFilesThatAreNotFilesOrTooLargeAreRefusedUnread)
{
    ASSERT_NO_FATAL_FAILURE(AddRedPages());
    ASSERT_EQ(Run({"project", "save", Path("p.save")}).exitCode, 0);
    const QByteArray config = ReadFile("SysConfig.ini");
    const auto sparse = [this](const QString &name, qint64 size) {
        QFile::remove(Path(name));
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    };
    const auto pipe = [this](const QString &name) {
        QFile::remove(Path(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0);
    };
    const struct {
        const char *name;
        std::function<void()> make;
        QStringList args;
    } cases[] = {
        {"page file of 2 GB", [&] { sparse("Tavrel1.dat", 2LL << 30); }, {"pages", "list", "--screen", "1"}},
        {"page file that is a pipe", [&] { pipe("Tavrel1.dat"); }, {"pages", "list", "--screen", "1"}},
        {"page file that is a pipe, adding",
         [&] { pipe("Tavrel1.dat"); },
         {"pages", "add", "--screen", "1", Path("page.png")}},
        {"project companion that is a pipe", [&] { pipe("p.savemain1.dat"); }, {"project", "open", Path("p.save")}},
        {"project file of 17 MB", [&] { sparse("p.save", 17LL * 1024 * 1024); }, {"project", "open", Path("p.save")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
        EXPECT_FALSE(result.err.isEmpty());
        EXPECT_EQ(ReadFile("SysConfig.ini"), config);
    }
}

} // namespace
} // namespace pelvoro::test
