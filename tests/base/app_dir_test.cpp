// Where the application's directory is: the executable's folder when the program may write there
// and it is not the installed programs' folder, else the user's data folder, seeded with the
// shipped data files; --dir wins over both.
#include "base/app_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace pelvoro::test {
namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class AppDirChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp_.isValid());
        savedDataHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", temp_.filePath(QStringLiteral("home-data")).toLocal8Bit());
    }
    void TearDown() override
    {
        if (savedDataHome_.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedDataHome_);
    }
    QString UserFolder() const { return temp_.filePath(QStringLiteral("home-data/pelvoro")); }

    QTemporaryDir temp_;
    QByteArray savedDataHome_;
};

TEST_F(AppDirChoiceTest, ProgramFolderOrUserDataFolder)
{
    const QString portable = temp_.filePath(QStringLiteral("portable"));
    ASSERT_TRUE(QDir().mkpath(portable));
    // A folder this process cannot write: read-only for an ordinary user; root writes everywhere,
    // so for root the folder is simply gone (an executable deleted under a running program).
    const QString readOnly = temp_.filePath(QStringLiteral("root/usr/bin"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    if (::getuid() == 0)
        ASSERT_TRUE(QDir(readOnly).removeRecursively());
    else
        ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));

    struct Case {
        const char *name;
        QString exeDir;
        AppDirSource source;
    };
    const Case cases[] = {
        {"writable program folder", portable, AppDirSource::Executable},
        {"program folder not writable", readOnly, AppDirSource::UserData},
        {"installed programs' folder", InstalledProgramsDirs().value(0), AppDirSource::UserData},
    };
    ASSERT_TRUE(InstalledProgramsDirs().contains(QStringLiteral("/usr/bin")));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const AppDirChoice choice = ChooseAppDir(c.exeDir);
        EXPECT_EQ(choice.source, c.source);
        if (c.source == AppDirSource::Executable) {
            EXPECT_EQ(choice.dir, c.exeDir);
        } else {
            EXPECT_EQ(choice.dir, UserFolder());
            EXPECT_TRUE(QFileInfo(UserFolder()).isDir()) << "created on first use";
        }
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The shipped files reach the user's folder; a file the operator already has there is kept.
TEST_F(AppDirChoiceTest, UserFolderTakesTheShippedFilesItLacks)
{
    const QString prefix = temp_.filePath(QStringLiteral("prefix"));
    const QString bin = prefix + QStringLiteral("/bin");
    EXPECT_EQ(SharedDataDir(bin), prefix + QStringLiteral("/share/pelvoro"));
    Write(SharedDataDir(bin) + QStringLiteral("/TavrelPic11.jpg"), "picture");
    Write(SharedDataDir(bin) + QStringLiteral("/TavrelPic11.config"), "shipped");
    Write(UserFolder() + QStringLiteral("/TavrelPic11.config"), "the operator's");
    // No bin folder: it cannot be written, so the user's folder is chosen.
    const AppDirChoice choice = ChooseAppDir(bin);
    ASSERT_EQ(choice.source, AppDirSource::UserData);
    EXPECT_EQ(Read(UserFolder() + QStringLiteral("/TavrelPic11.jpg")), "picture");
    EXPECT_EQ(Read(UserFolder() + QStringLiteral("/TavrelPic11.config")), "the operator's");
}

TEST(AppDirTest, OverrideWinsAndIsDescribed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetAppDir(dir.path());
    EXPECT_EQ(AppDirOrigin(), AppDirSource::Override);
    EXPECT_EQ(AppDir(), dir.path());
    EXPECT_EQ(DescribeAppDir(), dir.path() + QStringLiteral(" (given with --dir)"));
    SetAppDir(QString());
    // The test binary's own folder, the build tree, is writable.
    EXPECT_EQ(AppDirOrigin(), AppDirSource::Executable);
    EXPECT_EQ(AppDir(), QCoreApplication::applicationDirPath());
}

} // namespace
} // namespace pelvoro::test
