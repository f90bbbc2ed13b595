// pelvoro-cli convert: documents become pages exactly as the main-area panel's add command makes them.
#include "base/gbk.h"
#include "pages/page_store.h"
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>

namespace pelvoro::test {
namespace {

class CliConvertTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        WriteFile("SysConfig.ini",
                  GbkLines({"[0号屏参数]", "横向点数=64", "纵向点数=16", "第一区域=主区", "主区域高=16"}));
        table[0] = DefaultScreenInfo();
        table[0].Width = 64;
        table[0].Height = 16;
        table[0].MainHeight = 16;
        table[0].Areas = {"主区", "", "", ""};
        WriteFile("three.rtf", "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 " + Gbk("宋体")
                                   + ";}}\\f0\\fs24 \\'d6\\'f7\\par B\\par C\\par}");
        WriteFile("empty.rtf", "{\\rtf1\\ansi }");
    }
    int Pages() { return ReadPage(table, 0, 1).pageCount; }

    ScreenTable table;
};

TEST_F(CliConvertTest, ConvertsInOrderAndStopsWithTheSystemsMessage)
{
    const CliResult ok = RunCli({"convert", "--screen", "1", Path("three.rtf")}, dir_.path());
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out, R"({"added": 3, "files": 1})");
    EXPECT_EQ(Pages(), 3);

    const CliResult stopped = RunCli({"convert", "--screen", "1", Path("three.rtf"), Path("empty.rtf"),
                                      Path("three.rtf")},
                                     dir_.path());
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.err.contains("选择的第2个文件内容为空,结束转换!")) << stopped.err.toStdString();
    EXPECT_EQ(Pages(), 6);

    const CliResult usage = RunCli({"convert", "--screen", "1"}, dir_.path());
    EXPECT_EQ(usage.exitCode, 64);
}

// Each file is what its content is, whatever its name says; one of no known kind stops the command.
TEST_F(CliConvertTest, KindsAreToldByContent)
{
    QImage bitmap(4, 4, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    bitmap.save(Path("green.bmp"));
    QFile::rename(Path("green.bmp"), Path("green.rtf"));
    WriteFile("notes.bmp", "AB\r\n");
    WriteFile("image.rtf", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const CliResult converted = RunCli({"convert", "--screen", "1", Path("green.rtf"), Path("notes.bmp"),
                                        Path("image.rtf"), Path("three.rtf")},
                                       dir_.path());
    EXPECT_EQ(converted.exitCode, 1);
    EXPECT_EQ(converted.out, R"({"added": 2, "files": 2})");
    EXPECT_TRUE(converted.err.contains("无法识别文件的内容：" + Path("image.rtf"))) << converted.err.toStdString();
    ASSERT_EQ(Pages(), 2);
    EXPECT_EQ(ReadPage(table, 0, 1).image.pixel(63, 15), 0xFF00FF00u);

    // --kind, which scripts may still give, makes every file that kind: a PNG taken as a bitmap.
    bitmap.save(Path("green.png"));
    const CliResult asBitmap = RunCli({"convert", "--screen", "1", "--kind", "bmp", Path("green.png")}, dir_.path());
    EXPECT_EQ(asBitmap.exitCode, 0) << asBitmap.err.toStdString();
    EXPECT_EQ(Pages(), 3);
    EXPECT_EQ(RunCli({"convert", "--screen", "1", "--kind", "png", Path("green.png")}, dir_.path()).exitCode, 64);
}

TEST_F(CliConvertTest, DevicesFifosAndOversizedFilesAreRefusedUnread)
{
    // A FIFO nobody writes to would block the reader forever, /dev/zero would fill the memory.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.rtf")).constData(), 0600), 0);
    QFile big(Path("big.rtf"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(65LL * 1024 * 1024));
    big.close();
    for (const QString &file : {Path("pipe.rtf"), QStringLiteral("/dev/zero"), Path("big.rtf")}) {
        const CliResult refused = RunCli({"convert", "--screen", "1", Path("three.rtf"), file}, dir_.path(), {}, 20000);
        EXPECT_EQ(refused.exitCode, 1) << file.toStdString();
        const QString why = file.endsWith(QStringLiteral("big.rtf")) ? QStringLiteral("太大") : QStringLiteral("不是普通文件");
        EXPECT_TRUE(refused.err.contains(file + why))
            << refused.err.toStdString();
        EXPECT_EQ(refused.out, R"({"added": 3, "files": 1})") << "the files before it are converted";
    }
}

TEST_F(CliConvertTest, TablesBecomeOnePagePerTablePage)
{
    // A new table's two 40-dot client columns on a 64-dot area: a page each, and no empty page
    // after them although the 20-dot row is taller than the 16-dot area.
    ASSERT_EQ(RunCli({"table", "new", "--cols", "3", "--rows", "2", "t.bls"}, dir_.path()).exitCode, 0);
    const CliResult converted = RunCli({"convert", "--screen", "1", Path("t.bls")}, dir_.path());
    EXPECT_EQ(converted.exitCode, 0) << converted.err.toStdString();
    EXPECT_EQ(converted.out, R"({"added": 2, "files": 1})");
    ASSERT_EQ(Pages(), 2);
    const QImage first = ReadPage(table, 0, 1).image;
    EXPECT_EQ(first.pixel(10, 10), 0xFF000000u); // the table editor's black cell
    int red = 0;
    for (int x = 0; x < first.width(); ++x)
        red += first.pixel(x, 10) == 0xFFFF0000u;
    EXPECT_GT(red, 0); // its red lines

    WriteFile("bad.bls", ReadFile("t.bls").left(100)); // the signature, then cut off
    const CliResult damaged = RunCli({"convert", "--screen", "1", Path("bad.bls")}, dir_.path());
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_FALSE(damaged.err.isEmpty());
    EXPECT_EQ(Pages(), 2);
}

// Where the office suite is installed, it writes the documents the station reads.
TEST_F(CliConvertTest, WordDocumentsWrittenByTheOfficeSuite)
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        GTEST_SKIP() << "soffice is not installed, so no Word document can be written for this test";
    WriteFile("note.html", "<html><body><p>AB</p><p>CD</p></body></html>");
    QProcess writer;
    writer.start(office, {"-env:UserInstallation=file://" + Path("profile"), "--headless", "--convert-to",
                          "doc:MS Word 97", "--outdir", dir_.path(), Path("note.html")});
    ASSERT_TRUE(writer.waitForFinished(180000)) << "soffice did not finish";
    ASSERT_TRUE(Exists("note.doc")) << writer.readAllStandardError().toStdString();

    // A file of the operator's that the converted document would be named after stays as it is.
    WriteFile("note.rtf", "mine\r\n");
    const CliResult converted = RunCli({"convert", "--screen", "1", Path("note.doc")}, dir_.path(), {}, 240000);
    EXPECT_EQ(converted.exitCode, 0) << converted.err.toStdString();
    EXPECT_EQ(ReadFile("note.rtf"), "mine\r\n");
    EXPECT_GE(Pages(), 2);
}

} // namespace
} // namespace pelvoro::test
