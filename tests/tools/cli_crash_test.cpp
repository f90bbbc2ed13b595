// Every writing command killed at each of its file-system steps leaves the whole old state or the
// whole new one, once the next run of the tool has looked at the directory.
#include "base/atomic_file.h"
#include "base/directory_lock.h"

#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

using Snapshot = QMap<QString, QByteArray>;

class CliCrashTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        // Screen 1: 64 x 48 dual colour, main area over a small subtitle, with schedules for three pages;
        // screen 2 for the commands that remove a screen.
        WriteFile("SysConfig.ini",
                  GbkLines({"[全局参数]", "显示屏数目=1", "[1号屏参数]", "横向点数=128", "[0号屏参数]", "控制卡类型=Normal", "单双色=1", "横向点数=64",
                            "纵向点数=48", "主区域高=16", "字幕区域高=16", "第一区域=主区", "第二区域=小字幕",
                            "[0号屏1页定时参数]", "a=1", "[0号屏2页定时参数]", "a=2", "[0号屏3页定时参数]", "a=3"}));
        for (int i = 0; i < 3; ++i) {
            QImage image(64 * (i + 1), 16, QImage::Format_RGB32);
            image.fill(i == 1 ? Qt::green : Qt::red);
            ASSERT_TRUE(image.save(Path(QStringLiteral("p%1.png").arg(i))));
        }
        // A project of the screen without its pages and subtitle, to open over them.
        Must({"project", "save", Path("bare.save")});
        Must({"pages", "add", "--screen", "1", Path("p0.png"), Path("p1.png"), Path("p2.png")});
        Must({"subtitle", "set", "--screen", "1", "old subtitle"});
        WriteFile("doc.rtf", R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0\fs20 converted text\par})");
        original_ = Take();
    }

    void Must(const QStringList &args) const
    {
        const CliResult result = RunCli(args, dir_.path());
        ASSERT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
    }

    // The directory's files and their bytes, the lock file aside (a killed owner leaves it to the next).
    Snapshot Take() const
    {
        Snapshot files;
        for (const QString &name : DirEntries()) {
            if (name != QLatin1String(kDirectoryLockName))
                files[name] = ReadFile(name);
        }
        return files;
    }
    void Restore(const Snapshot &files) const
    {
        for (const QString &name : DirEntries())
            QFile::remove(Path(name));
        for (auto it = files.begin(); it != files.end(); ++it)
            WriteFile(it.key(), it.value());
    }

    Snapshot original_;
};

struct Operation {
    const char *name;
    QStringList args;
};

TEST_F(CliCrashTest, KilledAtEveryStepLeavesTheOldOrTheNewState)
{
    const QList<Operation> operations{
        {"delete a page with schedules", {"pages", "delete", "--screen", "1", "--page", "2"}},
        {"delete all pages", {"pages", "delete", "--screen", "1", "--all"}},
        {"move a page", {"pages", "move", "--screen", "1", "--page", "1", "down"}},
        {"set a subtitle", {"subtitle", "set", "--screen", "1", "new subtitle text"}},
        {"delete the subtitle", {"subtitle", "delete", "--screen", "1"}},
        {"remove the main area", {"area", "remove", "--screen", "1", "主区"}},
        {"remove the subtitle area", {"area", "remove", "--screen", "1", "小字幕"}},
        {"add a clock", {"area", "add", "--screen", "1", "固定时钟"}},
        {"convert a document", {"convert", "--screen", "1", Path("doc.rtf")}},
        {"set a screen field", {"set", "--screen", "1", "ScreenName=hall"}},
        {"a new width clears the screen", {"set", "--screen", "1", "Width=72"}},
        {"fewer screens", {"set", "--screens", "1"}},
        {"fewer screens and a new width", {"set", "--screens", "1", "--screen", "1", "Width=72"}},
        {"open a project", {"project", "open", Path("bare.save")}},
        {"save over a project", {"project", "save", Path("bare.save")}},
        {"type text", {"text", "--screen", "1", "typed"}},
        {"set a schedule", {"schedule", "set", "--screen", "1", "--page", "2", "--start-time", "08:30:00"}},
    };
    for (const Operation &operation : operations) {
        SCOPED_TRACE(operation.name);
        Restore(original_);
        Must(operation.args);
        const Snapshot done = Take();
        ASSERT_NE(done, original_) << "the operation changed nothing";
        int kills = 0;
        for (int step = 1; step < 100; ++step) {
            Restore(original_);
            QProcessEnvironment env;
            env.insert(QStringLiteral("PELVORO_KILL_AT_STEP"), QString::number(step));
            const CliResult killed = RunCli(operation.args, dir_.path(), env);
            if (killed.exitCode == 0) {
                EXPECT_EQ(Take(), done) << "finished without reaching step " << step;
                break;
            }
            ASSERT_EQ(killed.exitCode, -1) << "step " << step << ": " << killed.err.toStdString();
            ++kills;
            // The next run of the tool, a reading one, completes or drops what the killed one left.
            const CliResult list = RunCli({"pages", "list", "--screen", "1"}, dir_.path());
            const Snapshot after = Take();
            EXPECT_TRUE(after == original_ || after == done)
                << "killed at step " << step << ": files " << after.keys().join(' ').toStdString();
        }
        EXPECT_GT(kills, 1);
        // A killed owner's lock does not stop the next writer.
        Restore(original_);
        Must(operation.args);
        EXPECT_EQ(Take(), done);
    }
}

// A folder moved after a writer was killed in it is completed where it now is.
TEST_F(CliCrashTest, FolderMovedAfterACrashIsCompletedWhereItIsNow)
{
    const QStringList deletePage{"pages", "delete", "--screen", "1", "--page", "2"};
    Must(deletePage);
    const Snapshot done = Take();
    const QString moved = dir_.path() + QStringLiteral("-moved");
    int kills = 0;
    for (int step = 1; step < 100; ++step) {
        Restore(original_);
        QProcessEnvironment env;
        env.insert(QStringLiteral("PELVORO_KILL_AT_STEP"), QString::number(step));
        if (RunCli(deletePage, dir_.path(), env).exitCode == 0)
            break;
        ++kills;
        ASSERT_TRUE(QDir().rename(dir_.path(), moved));
        RunCli({"pages", "list", "--screen", "1"}, moved);
        ASSERT_TRUE(QDir().rename(moved, dir_.path()));
        const Snapshot after = Take();
        EXPECT_TRUE(after == original_ || after == done)
            << "killed at step " << step << ": files " << after.keys().join(' ').toStdString();
    }
    EXPECT_GT(kills, 1);
}

TEST_F(CliCrashTest, NextWriterRemovesOnlyTheStationsStaleTemporaries)
{
    // What writers killed half-way leave: QSaveFile siblings of our files and a staged file without
    // its journal. Beside them, files of the operator with names of the same shape.
    const QStringList stale{"SysConfig.ini.aB3xY9", "Tavrel1.dat.Q1w2E3", "TavrelTitle1.txt.zzzzzz",
                            "TavrelTitle12.dat.000000", ".pelvoro-journal.k9K9k9", "temp.rtf.AbCdEf",
                            ".pelvoro.lock.rmlock", "Tavrel1.dat.pelvoro-new"};
    const QStringList operators{"notes.txt.aB3xY9", "SysConfig.ini.bak", "SysConfig.ini.aB3xY", "Tavrel1.dat.aB3xY9z",
                                "MyTavrel1.dat.aB3xY9", "Tavrel1.dat.old.txt"};
    for (const QString &name : stale + operators)
        WriteFile(name, "left over");
    Must({"set", "--screen", "1", "ScreenName=hall"});
    for (const QString &name : stale)
        EXPECT_FALSE(Exists(name)) << name.toStdString();
    for (const QString &name : operators)
        EXPECT_EQ(ReadFile(name), "left over") << name.toStdString();
}

} // namespace
} // namespace pelvoro::test
