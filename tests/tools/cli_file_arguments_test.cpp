// Every file argument of pelvoro-cli names a file relative to where the tool was started, not to
// the application's directory that the station's code enters.
#include "support/cli_runner.h"
#include "support/gbk_lines.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

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

TEST_F(CliFileArgumentsTest, DocumentWhoseNameIsNotUtf8IsConverted)
{
    // "note中.rtf" in GBK, as files copied from an older system are named.
    const QByteArray name("note\xd6\xd0.rtf");
    const QByteArray callerDir = QFile::encodeName(root_.path() + QStringLiteral("/caller"));
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hi\\par}";
    const QByteArray absolute = callerDir + '/' + name;
    const int fd = ::open(absolute.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, rtf.constData(), size_t(rtf.size())), rtf.size());
    ::close(fd);

    // The name goes through a shell, the only way to hand the tool bytes a QString cannot hold;
    // relative and absolute, in a UTF-8 and in the C locale.
    for (const char *locale : {"C.UTF-8", "C"}) {
        for (const QByteArray &path : {name, absolute}) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
            QString octal; // printf's escapes for the bytes above ASCII
            for (const char byte : path) {
                const auto u = static_cast<unsigned char>(byte);
                octal += u < 0x80 ? QString(QLatin1Char(byte)) : QStringLiteral("\\%1").arg(u, 3, 8, QLatin1Char('0'));
            }
            env.insert(QStringLiteral("DOCUMENT"), octal);
            process.setProcessEnvironment(env);
            process.setWorkingDirectory(root_.path() + QStringLiteral("/caller"));
            // The shell's printf turns the escapes back into the name's bytes.
            process.start(QStringLiteral("/bin/sh"),
                          {QStringLiteral("-c"),
                           QStringLiteral("exec \"$0\" --dir \"$1\" convert --screen 1 \"$(printf \"$DOCUMENT\")\""),
                           QStringLiteral(PELVORO_BIN_DIR "/pelvoro-cli"), Station({})});
            ASSERT_TRUE(process.waitForFinished(60000));
            EXPECT_EQ(process.exitCode(), 0) << locale << " " << path.toStdString() << ": "
                                             << process.readAllStandardError().toStdString();
            EXPECT_EQ(process.readAllStandardOutput().trimmed(), QByteArray(R"({"added": 1, "files": 1})"));
        }
    }
    ::unlink(absolute.constData()); // Qt cannot name it to remove it with the temporary directory
}

} // namespace
} // namespace pelvoro::test
