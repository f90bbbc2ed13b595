// pelvoro-cli's writing commands against other writers and unreadable files.
#include "base/directory_lock.h"

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

#include <memory>

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
    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
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
    QImage page(64, 16, QImage::Format_RGB32);
    page.fill(Qt::red);
    ASSERT_TRUE(page.save(Path("page.png")));
    ASSERT_EQ(Run({"pages", "add", "--screen", "1", Path("page.png")}).exitCode, 0);
    const QStringList before = DirEntries();
    QMap<QString, QByteArray> bytes;
    for (const QString &name : before)
        bytes[name] = ReadFile(name);

    const DirectoryLock other;
    ASSERT_TRUE(other.Locked());
    const QList<QStringList> writes{{"set", "--screen", "1", "ScreenName=x"},
                                    {"pages", "delete", "--screen", "1", "--page", "1"},
                                    {"area", "remove", "--screen", "1", "主区"}};
    for (const QStringList &args : writes) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("正在写入目录"))) << result.err.toStdString();
    }
    // Reading needs no lock.
    EXPECT_EQ(Run({"pages", "list", "--screen", "1"}).exitCode, 0);
    for (const QString &name : before)
        EXPECT_EQ(ReadFile(name), bytes[name]) << name.toStdString();
}

// A writer stopped in the middle of an update: a reader never shows the state between two of its
// steps. While the writer lives it says a write is in progress; once it is gone it completes it.
TEST_F(CliWriteSafetyTest, ReaderNeverShowsAnUpdateHalfDone)
{
    QImage page(64, 16, QImage::Format_RGB32);
    page.fill(Qt::red);
    ASSERT_TRUE(page.save(Path("page.png")));
    ASSERT_EQ(Run({"pages", "add", "--screen", "1", Path("page.png")}).exitCode, 0);
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

TEST_F(CliWriteSafetyTest, UnreadableConfigurationIsRefusedWithItsNameBeforeAnythingChanges)
{
    QImage page(64, 16, QImage::Format_RGB32);
    page.fill(Qt::red);
    ASSERT_TRUE(page.save(Path("page.png")));
    ASSERT_EQ(Run({"pages", "add", "--screen", "1", Path("page.png")}).exitCode, 0);
    const QByteArray pages = ReadFile("Tavrel1.dat");
    const QByteArray config = ReadFile("SysConfig.ini");
    // A SysConfig.ini that cannot be opened, whoever runs the test: a directory of that name.
    ASSERT_TRUE(QFile::rename(ConfigPath(), Path("saved.ini")));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("SysConfig.ini"));
    QFile probe(ConfigPath());
    ASSERT_FALSE(probe.open(QIODevice::ReadOnly));
    const QList<QStringList> commands{{"screens"},
                                      {"pages", "list", "--screen", "1"},
                                      {"set", "--screen", "1", "ScreenName=x"},
                                      {"area", "add", "--screen", "1", "小字幕"},
                                      {"pages", "delete", "--screen", "1", "--page", "1"}};
    for (const QStringList &args : commands) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString() << ": " << result.out.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("SysConfig.ini")) && result.err.contains(probe.errorString()))
            << result.err.toStdString();
    }
    EXPECT_TRUE(QFileInfo(ConfigPath()).isDir());
    EXPECT_EQ(ReadFile("saved.ini"), config);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pages);
}

} // namespace
} // namespace pelvoro::test
