// Progress of pelvoro-cli send and convert, and the simulator's paced serial line: the tool and
// the simulator run as the built binaries.
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliProgressTest : public AppDirTest {
protected:
    // Screen 1, 64 x 32 dual colour, all main area, on COM3 at 115200 baud, with `pages` pages.
    void SetUpScreen(int pages)
    {
        ASSERT_EQ(RunCli({"set", "--screen", "1", "Width=64", "Height=32", "CommMode=0", "ComPort=3", "BaudIndex=3"},
                         dir_.path())
                      .exitCode,
                  0);
        ASSERT_EQ(RunCli({"area", "add", "--screen", "1", QStringLiteral("主区")}, dir_.path()).exitCode, 0);
        WritePicture("page.png");
        if (pages == 0)
            return;
        QStringList add{"pages", "add", "--screen", "1"};
        for (int i = 0; i < pages; ++i)
            add << Path("page.png");
        ASSERT_EQ(RunCli(add, dir_.path()).exitCode, 0);
    }
    void WritePicture(const QString &name)
    {
        QImage page(64, 32, QImage::Format_RGB32);
        page.fill(Qt::red);
        ASSERT_TRUE(page.save(Path(name)));
    }
    CliResult Run(const QStringList &args, const QString &device = {})
    {
        QProcessEnvironment env;
        if (!device.isEmpty())
            env.insert(QStringLiteral("PELVORO_COM3"), device);
        return RunCli(args, dir_.path(), env, 120000);
    }
};

// The JSON lines of stderr (the station's messages are the others), each one object.
QList<QJsonObject> JsonLines(const QString &err)
{
    QList<QJsonObject> lines;
    for (const QString &line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1Char('{')))
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        lines.append(doc.object());
    }
    return lines;
}

// The bytes come from the link's own chunks: rising to the frame's size, never past it.
TEST_F(CliProgressTest, SendReportsTheBytesTheLinkWrote)
{
    SimProcess sim({"--serial"});
    const QString device = sim.Device();
    ASSERT_FALSE(device.isEmpty());
    SetUpScreen(40); // 40 pages of 512 bytes: a frame of 20 KB, 160 chunks
    const qint64 frameBytes = QFileInfo(Path("Tavrel1.dat")).size();

    CliResult result = Run({"send", "main", "--screen", "1", "--progress", "json"}, device);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> lines = JsonLines(result.err);
    ASSERT_GE(lines.size(), 1);
    qint64 previous = 0;
    for (const QJsonObject &line : lines) {
        EXPECT_EQ(line[QStringLiteral("step")].toString(), QStringLiteral("send"));
        EXPECT_EQ(line[QStringLiteral("total")].toInteger(), frameBytes);
        const qint64 done = line[QStringLiteral("done")].toInteger();
        EXPECT_GE(done, previous);
        EXPECT_LE(done, frameBytes);
        EXPECT_TRUE(done % 128 == 0 || done == frameBytes) << done << ": a whole number of chunks";
        previous = done;
    }
    EXPECT_EQ(lines.last()[QStringLiteral("done")].toInteger(), frameBytes);
    EXPECT_EQ(lines.last()[QStringLiteral("fraction")].toDouble(), 1.0);
    EXPECT_EQ(lines.last()[QStringLiteral("left_s")].toDouble(), 0.0);
    // The status texts stay on stdout as they were.
    EXPECT_TRUE(result.out.endsWith(QStringLiteral("成功！"))) << result.out.toStdString();

    // A bar when asked for; nothing on a stderr that is not a terminal.
    result = Run({"send", "main", "--screen", "1", "--progress", "bar"}, device);
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains(QStringLiteral("send 100% [########################]"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QLatin1Char('\r')));
    result = Run({"send", "main", "--screen", "1"}, device);
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, QString());

    result = Run({"send", "main", "--screen", "1", "--progress", "pie"}, device);
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_TRUE(result.err.contains(QStringLiteral("--progress takes bar, json or none")));
}

// Files and pages as the conversion makes them; the last line is the whole work done.
TEST_F(CliProgressTest, ConvertReportsFilesAndPages)
{
    SetUpScreen(0);
    WritePicture("a.bmp");
    WritePicture("b.bmp");
    const CliResult result =
        Run({"convert", "--screen", "1", "--progress", "json", Path("a.bmp"), Path("b.bmp"), Path("a.bmp")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral(R"({"added": 3, "files": 3})"));
    const QList<QJsonObject> lines = JsonLines(result.err);
    ASSERT_GE(lines.size(), 3);
    double previous = 0;
    for (const QJsonObject &line : lines) {
        EXPECT_EQ(line[QStringLiteral("files")].toInt(), 3);
        EXPECT_GE(line[QStringLiteral("fraction")].toDouble(), previous);
        previous = line[QStringLiteral("fraction")].toDouble();
    }
    // Each file's end is drawn, whatever the pace.
    EXPECT_EQ(lines.last()[QStringLiteral("file")].toInt(), 3);
    EXPECT_EQ(lines.last()[QStringLiteral("pages")].toInt(), 3);
    EXPECT_EQ(lines.last()[QStringLiteral("fraction")].toDouble(), 1.0);
}

// At a slow baud rate the same send takes its line time longer: bytes x 11 bits / baud.
TEST_F(CliProgressTest, PacedLineTakesTheLineTime)
{
    SetUpScreen(2);
    const qint64 frameBytes = QFileInfo(Path("Tavrel1.dat")).size();
    // Slow enough to measure, fast enough that the frame crosses within the 4 s wait for the final answer
    // (the pseudo-terminal takes the whole frame at once, as a serial driver's buffer takes a chunk).
    const int baud = 4800;
    const double lineS = double(frameBytes + 2 + 2) * 11 / baud; // the frame, the preamble, two answers

    const auto timedSend = [&](const QStringList &simArgs) {
        SimProcess sim(QStringList{"--serial"} + simArgs);
        const QString device = sim.Device();
        EXPECT_FALSE(device.isEmpty());
        QElapsedTimer clock;
        clock.start();
        const CliResult result = Run({"send", "main", "--screen", "1"}, device);
        EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
        return double(clock.elapsed()) / 1000;
    };
    const double fast = timedSend({});
    const double paced = timedSend({"--baud", QString::number(baud)});
    // The line time on top of the waits around the success report that every send has (2 x 0.5 s):
    // a lower bound of the paced send alone, since a busy machine may slow the unpaced one more.
    constexpr double kSuccessWaitsS = 1.0;
    EXPECT_GE(paced, lineS * 0.95 + kSuccessWaitsS) << "line time " << lineS << " s";
    // Not the line time twice: the allowance grows with what a whole unpaced send (two processes
    // starting) takes on this machine now, so a busy machine does not read as a slow line.
    EXPECT_LE(paced - fast, lineS + std::max(2.0, fast)) << "line time " << lineS << " s, unpaced " << fast << " s";
}

} // namespace
} // namespace pelvoro::test
