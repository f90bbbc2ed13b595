// Every file argument of pelvoro-cli names a file relative to where the tool was started, not to
// the application's directory that the station's code enters.
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliFileArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("station")));
        ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("caller")));
        // 64 x 32 dual colour: main area above a subtitle strip.
        Write(Station("SysConfig.ini"),
              GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "控制卡类型=Normal", "单双色=1", "横向点数=64",
                        "纵向点数=32", "主区域高=16", "字幕区域高=16", "第一区域=主区", "第二区域=小字幕"}));
        QImage image(8, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(Caller("in.png")));
        Write(Caller("note.rtf"), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hi\\par}");
        Write(Caller("image.rbf"), QByteArray(32, '\x5a'));
    }

    QString Station(const QString &name) const { return root_.path() + QStringLiteral("/station/") + name; }
    QString Caller(const QString &name) const { return root_.path() + QStringLiteral("/caller/") + name; }
    static void Write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    CliResult RunInCaller(const QStringList &args) const
    {
        return RunCli(args, Station({}), {}, 60000, root_.path() + QStringLiteral("/caller"));
    }

    QTemporaryDir root_;
};

TEST_F(CliFileArgumentsTest, RelativeNamesAreTakenFromTheCallersDirectory)
{
    // In order: later rows read what earlier ones wrote. Inputs exist only in the caller's
    // directory, so success shows they were found there; outputs must land there.
    const struct {
        QStringList args;
        const char *output; // expected in the caller's directory, or nullptr
    } cases[] = {
        {{"pages", "add", "--screen", "1", "in.png"}, nullptr},
        {{"convert", "--screen", "1", "note.rtf"}, nullptr},
        {{"pages", "export", "--screen", "1", "--page", "1", "page.png"}, "page.png"},
        {{"subtitle", "set", "--screen", "1", "ABC"}, nullptr},
        {{"subtitle", "export", "--screen", "1", "--page", "1", "subtitle.png"}, "subtitle.png"},
        {{"text", "--screen", "1", "--save", "saved.rtf", "Hi"}, "saved.rtf"},
        {{"table", "new", "board.bls"}, "board.bls"},
        {{"table", "export", "board.bls", "--width", "64", "--height", "16", "table.png"}, "table.png"},
        {{"project", "save", "show.save"}, "show.save"},
        {{"project", "open", "show.save"}, nullptr},
        {{"frame", "image", "--screen", "1", "--file", "image.rbf", "--sub-kind", "0"}, nullptr},
        {{"pack", "--colour", "dual", "in.png"}, nullptr},
    };
    for (const auto &c : cases) {
        const CliResult result = RunInCaller(c.args);
        const std::string what = c.args.join(' ').toStdString();
        ASSERT_EQ(result.exitCode, 0) << what << ": " << result.err.toStdString();
        if (c.output) {
            EXPECT_TRUE(QFile::exists(Caller(QString::fromLatin1(c.output)))) << what;
            EXPECT_FALSE(QFile::exists(Station(QString::fromLatin1(c.output)))) << what;
        }
    }
}

} // namespace
} // namespace pelvoro::test
