// The Word converter as the station drives it: missing, hanging, failing and working converters.
#include "pages/word_to_rtf.h"
#include "support/app_dir_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace pelvoro::test {
namespace {

// Puts a fake "soffice" first on the PATH for one test.
class WordToRtfTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        oldPath_ = qgetenv("PATH");
        QDir().mkpath(Path("bin"));
        qputenv("PATH", QFile::encodeName(Path("bin")));
        WriteFile("report.doc", "not really a document");
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath_);
        AppDirTest::TearDown();
    }
    void FakeOffice(const QByteArray &script)
    {
        WriteFile("bin/soffice", "#!/bin/sh\n" + script);
        QFile(Path("bin/soffice")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    QByteArray oldPath_;
};

TEST_F(WordToRtfTest, OutcomesOfTheConverter)
{
    WordConversion missing = WordToRtf(Path("report.doc"));
    EXPECT_EQ(missing.outcome, WordConversion::Outcome::NotInstalled);
    EXPECT_EQ(missing.message, "没有安装Microsoft Office Word 2000,请先安装再使用！");

    FakeOffice("exec /bin/sleep 30\n");
    WordConversion hung = WordToRtf(Path("report.doc"), 300);
    EXPECT_EQ(hung.outcome, WordConversion::Outcome::TimedOut);
    EXPECT_TRUE(hung.message.contains("超时"));

    FakeOffice("exit 1\n");
    EXPECT_EQ(WordToRtf(Path("report.doc")).outcome, WordConversion::Outcome::Failed);

    // A converter that writes <name>.rtf into --outdir (the last but one argument).
    FakeOffice(
        "for a; do prev=$out; out=$a; done\n/bin/mkdir -p \"$prev\"\nprintf '{\\\\rtf1 ok}' > \"$prev/report.rtf\"\n");
    // The operator's own file of the same name beside the document stays as it is: the converted
    // text lies in the station's temporary folder while the result lives.
    WriteFile("report.rtf", "mine\r\n");
    auto done = std::make_unique<WordConversion>(WordToRtf(Path("report.doc")));
    EXPECT_EQ(done->outcome, WordConversion::Outcome::Converted) << done->message.toStdString();
    EXPECT_EQ(ReadFile("report.rtf"), "mine\r\n");
    EXPECT_EQ(QFileInfo(done->rtfPath).fileName(), "report.rtf");
    EXPECT_NE(QFileInfo(done->rtfPath).absolutePath(), QFileInfo(dir_.path()).absoluteFilePath());
    QFile converted(done->rtfPath);
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly));
    EXPECT_EQ(converted.readAll(), "{\\rtf1 ok}");
    converted.close();
    const QString temporary = done->rtfPath;
    done.reset();
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList({"report.doc", "report.rtf"}));
}

} // namespace
} // namespace pelvoro::test
