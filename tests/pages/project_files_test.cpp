// Project files: saving and opening the working set as a ".save" file with its companions.
#include "pages/project_files.h"

#include "support/app_dir_fixture.h"
#include "support/area_files.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QMap>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

using Files = QMap<QString, QByteArray>; // file name → bytes

class ProjectFilesTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        ASSERT_TRUE(projects_.isValid());
    }

    // The station's configuration with n screens (显示屏数目 = n - 1).
    static QByteArray Config(int screens)
    {
        return GbkLines({"[全局参数]"}) + Gbk("显示屏数目=") + QByteArray::number(screens - 1) + "\r\n";
    }
    // Distinct bytes per file, with line ends and bytes that no text conversion would keep.
    static QByteArray Bytes(const QString &name) { return name.toUtf8() + QByteArray("\r\n\n\0\xff\x80", 6); }
    // Whole page and subtitle files of screen index i of a configuration without screen sections
    // (every screen takes the defaults), marked by `fill`.
    static QByteArray Main(int i, char fill, int pages = 1) { return PageFileOf(DefaultScreenInfo(), i, pages, fill); }
    static QByteArray Title(int i, char fill) { return SubtitleFileOf(DefaultScreenInfo(), i, 1, fill); }

    void WriteWorking(const Files &files) const
    {
        for (auto it = files.begin(); it != files.end(); ++it)
            WriteFile(it.key(), it.value());
    }
    Files Working() const { return Read(dir_.path()); }
    Files Project() const { return Read(projects_.path()); }
    static Files Read(const QString &dir)
    {
        Files files;
        for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile file(QDir(dir).filePath(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            files.insert(name, file.readAll());
        }
        return files;
    }
    QString ProjectPath(const QString &name = QStringLiteral("demo.save")) const
    {
        return QDir(projects_.path()).filePath(name);
    }
    // Files of the project directory written directly.
    void WriteProject(const Files &files) const
    {
        for (auto it = files.begin(); it != files.end(); ++it) {
            QFile file(ProjectPath(it.key()));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(it.value());
        }
    }

    QTemporaryDir projects_;
};

// Which working files of a screen become which companions: the subtitle text goes only with the
// subtitle data, and screens after the last configured one are not saved.
TEST_F(ProjectFilesTest, SaveCopiesEachScreensFilesByTheCompanionRules)
{
    const Files working = {
        {"SysConfig.ini", Config(4)},
        {"Tavrel1.dat", Bytes("p1")},                                                      // pages only
        {"TavrelTitle2.dat", Bytes("t2")},                                                 // subtitle, no text
        {"TavrelTitle3.txt", Bytes("x3")},                                                 // text without data
        {"Tavrel4.dat", ""}, {"TavrelTitle4.dat", Bytes("t4")}, {"TavrelTitle4.txt", Bytes("x4")}, // all, one empty
        {"Tavrel5.dat", Bytes("p5")},                                                      // not a screen
    };
    WriteWorking(working);
    const ProjectResult result = SaveProjectFiles(ProjectPath(), 3);
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    const Files expected = {
        {"demo.save", working["SysConfig.ini"]},       {"demo.savemain1.dat", working["Tavrel1.dat"]},
        {"demo.savetitle2.dat", working["TavrelTitle2.dat"]}, {"demo.savemain4.dat", ""},
        {"demo.savetitle4.dat", working["TavrelTitle4.dat"]}, {"demo.savetitle4.txt", working["TavrelTitle4.txt"]},
    };
    EXPECT_EQ(Project(), expected);
    EXPECT_EQ(Working(), working); // saving changes nothing in the working set
    EXPECT_EQ(result.copied.size(), expected.size());
    EXPECT_EQ(result.copied.last().to, ProjectPath()); // the project file is put in place last
}

// "打开" lists *.save files: a name typed without the extension gets it, so the project can be
// opened again.
TEST_F(ProjectFilesTest, SavedNameAlwaysEndsInTheProjectExtension)
{
    const struct {
        const char *chosen;
        const char *saved;
    } cases[] = {{"site", "site.save"}, {"site.save", "site.save"}, {"SITE.SAVE", "SITE.SAVE"},
                 {"site.bak", "site.bak.save"}, {"2024.05", "2024.05.save"}};
    for (const auto &c : cases)
        EXPECT_EQ(ProjectSavePath(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.saved)) << c.chosen;

    WriteWorking({{"SysConfig.ini", Config(1)}, {"Tavrel1.dat", Main(0, '1')}});
    const ProjectResult result = SaveProjectFiles(ProjectPath(QStringLiteral("site")), 0);
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    EXPECT_EQ(result.project, ProjectPath(QStringLiteral("site.save")));
    EXPECT_EQ(Project(), Files({{"site.save", Config(1)}, {"site.savemain1.dat", Main(0, '1')}}));
    EXPECT_TRUE(OpenProjectFiles(result.project).Ok());
}

TEST_F(ProjectFilesTest, ProjectWithoutDataFilesIsTheSaveFileAlone)
{
    WriteWorking({{"SysConfig.ini", Config(2)}});
    ASSERT_TRUE(SaveProjectFiles(ProjectPath(), 1).Ok());
    EXPECT_EQ(Project(), Files({{"demo.save", Config(2)}}));
}

TEST_F(ProjectFilesTest, SavingAgainWithFewerScreensRemovesTheStaleCompanions)
{
    WriteWorking({{"SysConfig.ini", Config(3)}, {"Tavrel1.dat", Bytes("p1")}, {"Tavrel2.dat", Bytes("p2")},
                  {"TavrelTitle3.dat", Bytes("t3")}, {"TavrelTitle3.txt", Bytes("x3")}});
    ASSERT_TRUE(SaveProjectFiles(ProjectPath(), 2).Ok());
    ASSERT_EQ(Project().size(), 5);
    // A main-area text companion of an older layout is stale as well; other projects are not touched.
    WriteProject({{"demo.savemain7.txt", "old"}, {"other.savemain2.dat", "other"}});

    WriteWorking({{"SysConfig.ini", Config(1)}, {"Tavrel1.dat", Bytes("p1 again")}});
    const ProjectResult result = SaveProjectFiles(ProjectPath(), 0);
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    EXPECT_EQ(Project(), Files({{"demo.save", Config(1)},
                                {"demo.savemain1.dat", Bytes("p1 again")},
                                {"other.savemain2.dat", "other"}}));
    EXPECT_EQ(result.removed.size(), 4);
}

// Opening puts exactly the project's set in place: the other screens' page and subtitle files go,
// files that are not data files stay.
TEST_F(ProjectFilesTest, OpeningReplacesTheWorkingSetAndRemovesOtherScreensFiles)
{
    WriteProject({{"demo.save", Config(3)},
                  {"demo.savemain1.dat", Main(0, '1')},
                  {"demo.savetitle1.dat", Title(0, 't')},
                  {"demo.savetitle2.txt", Bytes("x2 without data")},
                  {"demo.savemain3.dat", Main(2, '3')},
                  {"demo.savemain4.dat", Bytes("p4 beyond the screens")}});
    WriteWorking({{"SysConfig.ini", Config(5)}, {"Tavrel1.dat", Bytes("old p1")}, {"TavrelTitle1.txt", Bytes("old")},
                  {"TavrelTitle2.dat", Bytes("old t2")}, {"Tavrel5.dat", Bytes("old p5")},
                  {"Tavrel64.dat", Bytes("old p64")}, {"notes.txt", Bytes("mine")}});
    const ProjectResult result = OpenProjectFiles(ProjectPath());
    ASSERT_TRUE(result.Ok()) << result.error.toStdString();
    EXPECT_EQ(result.screens, 3);
    EXPECT_EQ(Working(), Files({{"SysConfig.ini", Config(3)},
                                {"Tavrel1.dat", Main(0, '1')},
                                {"TavrelTitle1.dat", Title(0, 't')},
                                {"Tavrel3.dat", Main(2, '3')},
                                {"notes.txt", Bytes("mine")}}));
    EXPECT_EQ(result.removed.size(), 4);
}

TEST_F(ProjectFilesTest, OpeningTakesTheScreenCountFromTheProjectClamped)
{
    const struct {
        QByteArray global;
        int screens;
    } cases[] = {
        {"", 1}, {Gbk("显示屏数目=abc"), 1}, {Gbk("显示屏数目=-2"), 1}, {Gbk("显示屏数目=1"), 2},
        {Gbk("显示屏数目=99"), 64},
    };
    for (const auto &c : cases) {
        WriteProject({{"demo.save", GbkLines({"[全局参数]"}) + c.global + "\r\n"},
                      {"demo.savemain2.dat", Main(1, '2')},
                      {"demo.savemain64.dat", Main(63, '6')}});
        const ProjectResult result = OpenProjectFiles(ProjectPath());
        ASSERT_TRUE(result.Ok()) << result.error.toStdString();
        EXPECT_EQ(result.screens, c.screens) << c.global.constData();
        EXPECT_EQ(Exists("Tavrel2.dat"), c.screens >= 2) << c.global.constData();
        EXPECT_EQ(Exists("Tavrel64.dat"), c.screens == 64) << c.global.constData();
    }
}

// What an open will take away is known before it is done, and said again after it: every page of
// the working set, and the station's freedom when the project turns login on.
TEST_F(ProjectFilesTest, OpeningSaysWhichPagesGoAndWhetherLoginComesOn)
{
    const auto pages = [](int count) {
        QByteArray bytes(13, '\0');
        bytes[12] = char(count);
        return bytes;
    };
    const struct {
        const char *global;
        bool login;
    } cases[] = {{"", false}, {"参数三=1", false}, {"参数三=0", true}};
    for (const auto &c : cases) {
        WriteProject(
            {{"demo.save", GbkLines({"[全局参数]", "显示屏数目=1", c.global})}, {"demo.savemain1.dat", Main(0, 0, 9)}});
        WriteWorking({{"SysConfig.ini", Config(4)}, {"Tavrel1.dat", pages(3)}, {"TavrelTitle1.dat", pages(2)},
                      {"Tavrel4.dat", pages(5)}, {"TavrelTitle3.dat", "t3"}});
        const ProjectOpenEffect effect = PreviewOpenProject(ProjectPath());
        EXPECT_EQ(effect.loginRequired, c.login) << c.global;
        ASSERT_EQ(effect.replaced.size(), 2) << c.global;
        EXPECT_EQ(effect.replaced[0].screen, 0);
        EXPECT_EQ(effect.replaced[0].pages.main, 3);
        EXPECT_EQ(effect.replaced[0].pages.subtitle, 2);
        EXPECT_EQ(effect.replaced[1].screen, 3);
        EXPECT_EQ(effect.replaced[1].pages.main, 5);

        const ProjectResult result = OpenProjectFiles(ProjectPath());
        ASSERT_TRUE(result.Ok()) << result.error.toStdString();
        EXPECT_EQ(result.deleted.main, 8) << c.global;
        EXPECT_EQ(result.deleted.subtitle, 2) << c.global;
        EXPECT_EQ(result.loginRequired, c.login) << c.global;
        EXPECT_EQ(PreviewOpenProject(ProjectPath()).replaced.size(), 1) << "now the project's own pages";
    }
}

TEST_F(ProjectFilesTest, OpeningAMissingProjectChangesNothing)
{
    WriteWorking({{"SysConfig.ini", Config(2)}, {"Tavrel2.dat", Bytes("p2")}});
    const ProjectResult result = OpenProjectFiles(ProjectPath(QStringLiteral("none.save")));
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(result.changed);
    EXPECT_EQ(Working(), Files({{"SysConfig.ini", Config(2)}, {"Tavrel2.dat", Bytes("p2")}}));
}

// A project that would leave the station without a configuration, or give a screen a file it reads as
// damaged, is refused as a whole before anything is staged, naming the file and what is wrong.
TEST_F(ProjectFilesTest, OpeningADamagedProjectChangesNothing)
{
    const Files old = {{"SysConfig.ini", Config(3)},
                       {"Tavrel2.dat", Main(1, 'o')},
                       {"TavrelTitle1.dat", Title(0, 'o')}};
    const QByteArray main = Main(0, '1', 2);
    QByteArray wrongCode = main;
    wrongCode[1] = 0;
    QByteArray narrow = main; // an area 8 dots narrower than the screen's
    narrow[8] = char(quint8(narrow[8]) - 8);
    const struct {
        const char *name;
        QByteArray save;
        QByteArray main1;
        QByteArray title1;
        const char *named; // the file the message names
        const char *why;
    } cases[] = {
        {"empty project file", {}, main, Title(0, 't'), "demo.save", "文件长度为0"},
        {"no configuration",
         QByteArray("\x7f"
                    "ELF\0\0",
                    6),
         main, Title(0, 't'), "demo.save", "全局参数"},
        {"truncated pages", Config(2), main.left(main.size() - 5), Title(0, 't'), "demo.savemain1.dat", "应有"},
        {"trailing junk", Config(2), main + "junk", Title(0, 't'), "demo.savemain1.dat", "应有"},
        {"empty pages", Config(2), QByteArray(), Title(0, 't'), "demo.savemain1.dat", "文件长度为0"},
        {"wrong command code", Config(2), wrongCode, Title(0, 't'), "demo.savemain1.dat", "第2字节"},
        {"area of another screen", Config(2), narrow, Title(0, 't'), "demo.savemain1.dat", "区域"},
        {"subtitle without trailer", Config(2), main, Title(0, 't').chopped(1) + 'x', "demo.savetitle1.dat", "0xAA"},
        {"pages file as subtitles", Config(2), main, main, "demo.savetitle1.dat", "第2字节"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(projects_.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(projects_.path()));
        WriteWorking(old);
        WriteProject({{"demo.save", c.save}, {"demo.savemain1.dat", c.main1}, {"demo.savetitle1.dat", c.title1}});
        const ProjectResult result = OpenProjectFiles(ProjectPath());
        EXPECT_FALSE(result.Ok());
        EXPECT_FALSE(result.changed);
        EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(ProjectPath(QString::fromUtf8(c.named)))))
            << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.why))) << result.error.toStdString();
        EXPECT_EQ(Working(), old);
    }
}

// A copy that fails part-way, reading the project or writing a staged file, leaves every working
// file as it was, no staged file behind, and names the file that failed.
TEST_F(ProjectFilesTest, AFailingCopyMidOpenLeavesTheOldSet)
{
    const Files old = {{"SysConfig.ini", Config(4)}, {"Tavrel1.dat", Bytes("old p1")},
                       {"TavrelTitle2.dat", Bytes("old t2")}, {"Tavrel4.dat", Bytes("old p4")}};
    WriteProject({{"demo.save", Config(2)},
                  {"demo.savemain1.dat", Main(0, '1')},
                  {"demo.savetitle1.dat", Title(0, 't')},
                  {"demo.savetitle1.txt", Bytes("x1")},
                  {"demo.savemain2.dat", Main(1, '2')}});
    const struct {
        const char *failing; // the target (writing) or source (reading) whose copy fails
        bool reading;
        const char *named; // what the message names
    } cases[] = {
        {"Tavrel1.dat.pelvoro-new", false, "Tavrel1.dat"},           // the first copy
        {"TavrelTitle1.txt.pelvoro-new", false, "TavrelTitle1.txt"}, // one in the middle
        {"SysConfig.ini.pelvoro-new", false, "SysConfig.ini"},       // the last
        {"demo.savemain2.dat", true, "demo.savemain2.dat"},
    };
    for (const auto &c : cases) {
        WriteWorking(old);
        ProjectIo io;
        const QString failing = QString::fromUtf8(c.failing);
        if (c.reading) {
            io.read = [&](const QString &path, QByteArray *bytes) {
                return !path.endsWith(QLatin1Char('/') + failing) && ReadWholeFile(path, bytes);
            };
        } else {
            io.write = [&](const QString &path, const QByteArray &bytes, QString *error) {
                if (path.endsWith(QLatin1Char('/') + failing)) {
                    *error = QStringLiteral("disk full");
                    return false;
                }
                return WriteFileAtomically(path, bytes, error);
            };
        }
        const ProjectResult result = OpenProjectFiles(ProjectPath(), io);
        EXPECT_FALSE(result.Ok()) << c.failing;
        EXPECT_FALSE(result.changed) << c.failing;
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.named))) << result.error.toStdString();
        EXPECT_EQ(Working(), old) << c.failing;
    }
}

TEST_F(ProjectFilesTest, AFailingCopyWhileSavingLeavesTheEarlierProject)
{
    WriteWorking({{"SysConfig.ini", Config(2)}, {"Tavrel1.dat", Bytes("p1")}});
    ASSERT_TRUE(SaveProjectFiles(ProjectPath(), 1).Ok());
    const Files earlier = Project();
    WriteWorking({{"SysConfig.ini", Config(2)}, {"Tavrel1.dat", Bytes("new p1")}, {"Tavrel2.dat", Bytes("p2")}});
    ProjectIo io;
    io.write = [](const QString &path, const QByteArray &bytes, QString *error) {
        return !path.endsWith(QStringLiteral("main2.dat.pelvoro-new")) && WriteFileAtomically(path, bytes, error);
    };
    const ProjectResult result = SaveProjectFiles(ProjectPath(), 1, io);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("demo.savemain2.dat"))) << result.error.toStdString();
    EXPECT_EQ(Project(), earlier);
}

// Hidden copies an earlier save of the project left when it was killed go with its next save; those
// of other projects in the folder stay.
TEST_F(ProjectFilesTest, SavingRemovesTheStagedCopiesAKilledSaveOfTheProjectLeft)
{
    WriteWorking({{"SysConfig.ini", Config(1)}, {"Tavrel1.dat", Bytes("p1")}});
    WriteProject({{".demo.save.staged", Bytes("cut short")},
                  {".demo.savemain1.dat.staged", Bytes("cut short")},
                  {".other.savemain1.dat.staged", Bytes("another project's")}});
    ASSERT_TRUE(SaveProjectFiles(ProjectPath(), 0).Ok());
    EXPECT_EQ(Project(), Files({{".other.savemain1.dat.staged", Bytes("another project's")},
                                {"demo.save", Config(1)},
                                {"demo.savemain1.dat", Bytes("p1")}}));
}

} // namespace
} // namespace pelvoro::test
