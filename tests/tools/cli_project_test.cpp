// pelvoro-cli project, identity and users, run as the built binary on a temporary application directory.
#include "support/area_files.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliProjectTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        ASSERT_TRUE(projects_.isValid());
    }
    CliResult Run(const QStringList &args) const { return RunCli(args, dir_.path()); }
    QJsonObject Ok(const QStringList &args) const
    {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
        return QJsonDocument::fromJson(result.outBytes).object();
    }
    QString ProjectPath() const { return QDir(projects_.path()).filePath("demo.save"); }

    QTemporaryDir projects_;
};

TEST_F(CliProjectTest, SaveAndOpenRoundTripTheWorkingSet)
{
    const QByteArray config = GbkLines({"[全局参数]", "显示屏数目=1"});
    WriteFile("SysConfig.ini", config);
    // Files with line ends and bytes that no text conversion would keep.
    const QByteArray pages = PageFileOf(DefaultScreenInfo(), 0, 1, '\n');
    const QByteArray subtitles = SubtitleFileOf(DefaultScreenInfo(), 1, 1, '\xff');
    WriteFile("Tavrel1.dat", pages);
    WriteFile("TavrelTitle2.dat", subtitles);
    WriteFile("TavrelTitle2.txt", "x2");
    // Saved as the station saves it: a name without the extension gets ".save".
    QJsonObject saved = Ok({"project", "save", QDir(projects_.path()).filePath("demo")});
    EXPECT_EQ(saved.value("project").toString(), ProjectPath());
    EXPECT_EQ(saved.value("copied").toArray().size(), 4);
    EXPECT_EQ(saved.value("copied").toArray().last().toObject().value("to").toString(), ProjectPath());

    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=5"}));
    WriteFile("Tavrel1.dat", "changed");
    QByteArray sixPages(13, '\0');
    sixPages[12] = 6;
    WriteFile("Tavrel6.dat", sixPages);
    const QJsonObject opened = Ok({"project", "open", ProjectPath()});
    EXPECT_EQ(opened.value("screens").toInt(), 2);
    // The tool asks nothing and says what went.
    EXPECT_EQ(opened.value("deletedPages"), QJsonValue(6));
    EXPECT_EQ(opened.value("deletedSubtitlePages"), QJsonValue(1));
    EXPECT_EQ(opened.value("loginRequired"), QJsonValue(false));
    EXPECT_EQ(opened.value("removed").toArray(), QJsonArray({Path("Tavrel6.dat")}));
    EXPECT_EQ(ReadFile("SysConfig.ini"), config);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pages);
    EXPECT_EQ(ReadFile("TavrelTitle2.dat"), subtitles);
    EXPECT_EQ(ReadFile("TavrelTitle2.txt"), "x2");

    // A damaged project is refused with its file named and leaves the working set as it is.
    const QByteArray opened1 = ReadFile("Tavrel1.dat");
    QFile::resize(ProjectPath() + "main1.dat", pages.size() - 1);
    const CliResult truncated = Run({"project", "open", ProjectPath()});
    EXPECT_EQ(truncated.exitCode, 1);
    EXPECT_TRUE(truncated.err.contains(ProjectPath() + "main1.dat")) << truncated.err.toStdString();
    QFile::resize(ProjectPath(), 0);
    const CliResult empty = Run({"project", "open", ProjectPath()});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains("文件长度为0")) << empty.err.toStdString();
    EXPECT_EQ(ReadFile("SysConfig.ini"), config);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), opened1);
}

TEST_F(CliProjectTest, RefusalsAndUsage)
{
    const struct {
        QStringList args;
        int exitCode;
        QString says; // in the error text
    } cases[] = {
        {{"project", "open", "missing.save"}, 1},
        {{"project", "open"}, 64},
        {{"project", "copy", "a.save"}, 64},
        {{"users", "set"}, 64},
        {{"users", "set", "--login", "maybe"}, 64},
        {{"identity", "set"}, 64},
        // Texts the file would store changed: a character GBK cannot hold, a line break.
        {{"users", "set", "--admin-password", "ab😀"}, 1, "管理员密码中有不能保存的字符：😀"},
        {{"users", "set", "--operator-password", "a\nb"}, 1, "操作员密码中有不能保存的字符：换行"},
        {{"identity", "set", "--name", "车站😀"}, 1, "公司名称中有不能保存的字符：😀"},
        {{"identity", "set", "--version", "V1\r\nV2"}, 1, "软件版本中有不能保存的字符：换行"},
    };
    for (const auto &c : cases) {
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(c.says)) << result.err.toStdString();
    }
    EXPECT_FALSE(Exists("SysConfig.ini"));
}

TEST_F(CliProjectTest, UsersNeverPrintPasswords)
{
    EXPECT_EQ(Ok({"users", "show"}),
              QJsonObject({{"login", false}, {"adminPasswordSet", false}, {"operatorPasswordSet", false}}));
    const CliResult set = Run({"users", "set", "--login", "on", "--admin-password", "secret9"});
    EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_FALSE(set.out.contains("secret9"));
    EXPECT_EQ(ReadGbkLines(ReadFile("SysConfig.ini")),
              QStringList({"[全局参数]", "参数一=", "参数二=secret9", "参数三=0"}));
    const CliResult show = Run({"users", "show"});
    EXPECT_FALSE(show.out.contains("secret9"));
    EXPECT_EQ(QJsonDocument::fromJson(show.outBytes).object(),
              QJsonObject({{"login", true}, {"adminPasswordSet", true}, {"operatorPasswordSet", false}}));
}

TEST_F(CliProjectTest, IdentityShowsBothDefaultsAndSetsTheThreeKeys)
{
    EXPECT_EQ(Ok({"identity", "show"}), QJsonObject({{"name", "Pelvoro 显示系统"},
                                                     {"version", "V1.0"},
                                                     {"date", "2005/11/18"},
                                                     {"title", "Pelvoro"}}));
    Ok({"identity", "set", "--date", "2026/12/10"});
    EXPECT_EQ(ReadGbkLines(ReadFile("SysConfig.ini")),
              QStringList({"[版本信息]", "软件名称=Pelvoro 显示系统", "软件版本号=V1.0", "软件日期=2026/12/10"}));
    EXPECT_EQ(Ok({"identity", "show"}).value("title").toString(), "Pelvoro 显示系统");
}

} // namespace
} // namespace pelvoro::test
