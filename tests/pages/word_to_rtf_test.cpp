// The Word converter as the station drives it: missing, hanging, failing and working converters.
#include "pages/word_to_rtf.h"
#include "support/app_dir_fixture.h"

#include <QFile>

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
    EXPECT_EQ(RtfPathFor("/a/b/report.doc"), "/a/b/report.rtf");
    EXPECT_EQ(RtfPathFor("/a/b/x.docx"), "/a/b/x..rtf"); // the name's last four characters go

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
    WriteFile("report.rtf", "old");
    WordConversion done = WordToRtf(Path("report.doc"));
    EXPECT_EQ(done.outcome, WordConversion::Outcome::Converted) << done.message.toStdString();
    EXPECT_EQ(done.rtfPath, Path("report.rtf"));
    EXPECT_EQ(ReadFile("report.rtf"), "{\\rtf1 ok}"); // an existing file is replaced
}

} // namespace
} // namespace pelvoro::test
