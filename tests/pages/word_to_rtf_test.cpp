// The Word converter as the station drives it: missing, hanging, failing and working converters.
#include "pages/word_to_rtf.h"
#include "support/app_dir_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSignalSpy>

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
        oldCache_ = qgetenv("XDG_CACHE_HOME");
        QDir().mkpath(Path("bin"));
        qputenv("PATH", QFile::encodeName(Path("bin")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache")));
        WriteFile("report.doc", "not really a document");
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath_);
        if (oldCache_.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", oldCache_);
        AppDirTest::TearDown();
    }
    void FakeOffice(const QByteArray &script)
    {
        WriteFile("bin/soffice", "#!/bin/sh\n" + script);
        QFile(Path("bin/soffice")).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    // A converter that notes its profile argument in profiles.log and writes <name>.rtf into
    // --outdir (the last but one argument), after `delay` seconds.
    void WorkingOffice(const QByteArray &delay = "0")
    {
        FakeOffice("echo \"$1\" >> '" + QFile::encodeName(Path("profiles.log"))
                   + "'\n/bin/sleep " + delay
                   + "\nfor a; do prev=$out; out=$a; done\nprintf '{\\\\rtf1 ok}' > \"$prev/report.rtf\"\n");
    }
    QStringList Profiles() const { return QString::fromUtf8(ReadFile("profiles.log")).split('\n', Qt::SkipEmptyParts); }

    QByteArray oldPath_;
    QByteArray oldCache_;
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

// One office profile in the user's cache folder serves conversion after conversion; a conversion that
// finds it in use gets a profile of its own.
TEST_F(WordToRtfTest, ConversionsShareOneProfileInTheCacheFolder)
{
    WorkingOffice();
    const QString shared = "-env:UserInstallation=file://" + Path("cache/pelvoro/office-profile");
    ASSERT_EQ(SharedOfficeProfileDir(), Path("cache/pelvoro/office-profile"));
    EXPECT_EQ(WordToRtf(Path("report.doc")).outcome, WordConversion::Outcome::Converted);
    EXPECT_EQ(WordToRtf(Path("report.doc")).outcome, WordConversion::Outcome::Converted);
    {
        QLockFile inUse(SharedOfficeProfileDir() + ".lock");
        ASSERT_TRUE(inUse.tryLock(0));
        EXPECT_EQ(WordToRtf(Path("report.doc")).outcome, WordConversion::Outcome::Converted);
    }
    EXPECT_EQ(WordToRtf(Path("report.doc")).outcome, WordConversion::Outcome::Converted);
    const QStringList profiles = Profiles();
    ASSERT_EQ(profiles.size(), 4);
    EXPECT_EQ(profiles[0], shared);
    EXPECT_EQ(profiles[1], shared);
    EXPECT_NE(profiles[2], shared) << "the profile in use is left alone";
    EXPECT_FALSE(profiles[2].contains(Path("cache")));
    EXPECT_EQ(profiles[3], shared) << "the lock went with the conversion that held it";
}

// The converter runs beside the caller's event loop: Start returns at once, Finished follows.
TEST_F(WordToRtfTest, ConverterRunsWithoutBlockingTheCaller)
{
    WorkingOffice("1");
    WordConverter converter;
    QSignalSpy finished(&converter, &WordConverter::Finished);
    converter.Start(Path("report.doc"));
    EXPECT_TRUE(converter.IsRunning());
    EXPECT_TRUE(converter.UsesSharedProfile());
    EXPECT_EQ(finished.count(), 0);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(converter.IsRunning());
    const auto result = finished.at(0).at(0).value<WordConversion>();
    EXPECT_EQ(result.outcome, WordConversion::Outcome::Converted) << result.message.toStdString();
    EXPECT_TRUE(QFile::exists(result.rtfPath));

    // Dropping a converter stops its conversion; the next one gets the shared profile again.
    auto dropped = std::make_unique<WordConverter>();
    dropped->Start(Path("report.doc"));
    dropped.reset();
    converter.Start(Path("report.doc"));
    EXPECT_TRUE(converter.UsesSharedProfile());
    ASSERT_TRUE(finished.wait(60000));
}

} // namespace
} // namespace pelvoro::test
