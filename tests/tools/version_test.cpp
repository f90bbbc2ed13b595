// --version of the three programs: the project's version and, in a checkout, its revision;
// pelvoro-cli adds the application's directory it would use.
#include "support/cli_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

QString FirstLineOf(const QString &program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PELVORO_BIN_DIR "/") + program, {QStringLiteral("--version")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
}

TEST(VersionTest, EveryProgramNamesItsVersion)
{
    for (const char *program : {"pelvoro", "pelvoro-cli", "pelvoro-sim"}) {
        const QRegularExpression form(QStringLiteral("^%1 \\d+\\.\\d+(\\.\\d+)?( \\(git [0-9a-f]{7,}\\))?$")
                                          .arg(QRegularExpression::escape(QString::fromUtf8(program))));
        const QString line = FirstLineOf(QString::fromUtf8(program));
        EXPECT_TRUE(form.match(line).hasMatch()) << line.toStdString();
        if (QDir(QStringLiteral(PELVORO_SOURCE_DIR "/.git")).exists()) {
            EXPECT_TRUE(line.contains(QStringLiteral("(git "))) << "built from a checkout: " << line.toStdString();
        }
    }
}

TEST(VersionTest, ToolNamesTheApplicationDirectory)
{
    // From the build tree, a writable folder: the program's own.
    CliResult result = RunCli({"--version"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.section(QLatin1Char('\n'), 1),
              QStringLiteral("application directory: %1 (the program's folder)")
                  .arg(QDir::toNativeSeparators(QDir(QStringLiteral(PELVORO_BIN_DIR)).absolutePath())));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    result = RunCli({"--version"}, dir.path());
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.section(QLatin1Char('\n'), 1),
              QStringLiteral("application directory: %1 (given with --dir)").arg(dir.path()));
}

TEST(VersionTest, StationHelpPrintsUsageWithoutStartingTheWindow)
{
    // No display at all: a station that started its window would refuse with exit 1.
    for (const char *option : {"--help", "-h"}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(PELVORO_BIN_DIR "/pelvoro"), {QString::fromLatin1(option)});
        ASSERT_TRUE(process.waitForFinished(30000)) << option;
        EXPECT_EQ(process.exitCode(), 0) << option << QString::fromUtf8(process.readAllStandardError()).toStdString();
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: pelvoro [--dir DIR]"))) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("--version"))) << out.toStdString();
    }
}

} // namespace
} // namespace pelvoro::test
