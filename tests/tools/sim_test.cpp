#include "comm/exchange.h"
#include "comm/frames.h"
#include "config/screen_info.h"
#include "pages/raster.h"
#include "support/sim_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

// pelvoro-sim, run as the built binary and talked to over TCP and its pseudo-terminal.
namespace pelvoro {
namespace {

constexpr int kStartMs = test::SimProcess::kStartMs;
constexpr int kAnswerMs = test::SimProcess::kAnswerMs;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Sim = test::SimProcess;

// Waits for `count` bytes (or anything when count is 0) from the socket for up to `ms`.
QByteArray Receive(QTcpSocket &socket, int ms, qsizetype count = 1)
{
    QByteArray got;
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && got.size() < std::max<qsizetype>(count, 1)) {
        if (socket.bytesAvailable() == 0)
            socket.waitForReadyRead(int(std::min<qint64>(100, std::max<qint64>(1, deadline.remainingTime()))));
        got += socket.readAll();
        if (socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0)
            break;
    }
    return got;
}

class Pty {
public:
    explicit Pty(const QString &device) : fd_(::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY)) {}
    ~Pty()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    void Write(const QByteArray &bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
            ASSERT_GT(n, 0);
            done += n;
        }
    }
    QByteArray Read(int ms) const
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return {};
        char buffer[256];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }

private:
    int fd_;
};

QImage Colourful(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    const QRgb colours[] = {0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF000000};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, colours[(x / 3 + y) % 4]);
    return image;
}

// A page file for screen 1 with one 16 x 8 page at row `top`.
QByteArray PageFile(const QImage &page, int top, int colourMode)
{
    QByteArray f = Hex("01d10400");
    for (int v : {0, top, page.width() - 1, top + page.height() - 1}) {
        f.append(char(v & 0xFF));
        f.append(char(v >> 8));
    }
    f.append(char(1));
    f.append(Hex("00000101"));
    f.append(PackRaster(page, {colourMode, 0}));
    f.append(char(0xAA));
    return f;
}

ScreenInfo Screen(int w, int h, int colourMode)
{
    ScreenInfo s = DefaultScreenInfo();
    s.Width = w;
    s.Height = h;
    s.ColorMode = colourMode;
    return s;
}

TEST(PelvoroSim, AnswersOverTcpKeepsTheFramesAndDrawsTheScreen)
{
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    Sim sim({"--tcp", "0", "--state", state.path(), "--snapshot"});
    const int port = sim.Port();
    ASSERT_GT(port, 0) << sim.Output().toStdString();

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    ASSERT_TRUE(socket.waitForConnected(kAnswerMs));

    const QByteArray params = BuildParamFrame(0, Screen(16, 16, 1));
    socket.write(NetworkPreamble(1));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
    socket.write(params);
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));

    // The page file in two blocks; the answer comes only after the last byte.
    const QImage page = Colourful(16, 8);
    const QByteArray pages = PageFile(page, 8, 1);
    socket.write(NetworkPreamble(1));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
    socket.write(pages.first(20));
    EXPECT_TRUE(Receive(socket, 300).isEmpty());
    socket.write(pages.sliced(20));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));

    EXPECT_TRUE(sim.WaitForLine(QStringLiteral("tcp#1: screen 1: screen parameters \\(0xc1\\), 12 bytes, acknowledged"))
                    .hasMatch())
        << sim.Output().toStdString();
    EXPECT_TRUE(
        sim.WaitForLine(
               QStringLiteral("tcp#1: screen 1: main-area pages \\(0xd1\\), %1 bytes, acknowledged").arg(pages.size()))
            .hasMatch())
        << sim.Output().toStdString();

    const QDir folder(QDir(state.path()).filePath(QStringLiteral("screen1")));
    EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("params.bin"))), params);
    EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("pages.dat"))), pages);
    const QJsonObject json = QJsonDocument::fromJson(ReadAll(folder.filePath(QStringLiteral("state.json")))).object();
    EXPECT_EQ(json[QStringLiteral("pages")][QStringLiteral("rect")].toVariant().toList().size(), 4);

    const QImage shown(folder.filePath(QStringLiteral("screen.png")));
    ASSERT_EQ(shown.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb expected = y < 8 ? 0xFF000000 : page.pixel(x, y - 8);
            ASSERT_EQ(shown.pixel(x, y) | 0xFF000000, expected) << x << "," << y;
        }
    }
}

// A ZP-KQ/TQ card: six preamble bytes on the serial link, two over TCP.
TEST(PelvoroSim, SerialAndTcpAtOnceShareTheCard)
{
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    Sim sim({"--tcp", "0", "--serial", "--state", state.path(), "--card", "ZP-KQ/TQ"});
    const int port = sim.Port();
    const QString device = sim.Device();
    ASSERT_GT(port, 0) << sim.Output().toStdString();
    ASSERT_FALSE(device.isEmpty()) << sim.Output().toStdString();

    Pty pty(device);
    ASSERT_TRUE(pty.Ok()) << device.toStdString();
    pty.Write(SerialPreamble(CardFamily::ZpKq, 2, BuildTestFrame(1, 4), 0, false));
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("02"));
    pty.Write(BuildTestFrame(1, 4));
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("02"));
    EXPECT_TRUE(
        sim.WaitForLine(QStringLiteral("serial: screen 2: test pattern \\(0xed\\), 5 bytes, acknowledged")).hasMatch())
        << sim.Output().toStdString();

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    ASSERT_TRUE(socket.waitForConnected(kAnswerMs));
    socket.write(Hex("0202"));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("02"));
    socket.write(BuildPowerFrame(1, false));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("02"));
    ASSERT_TRUE(sim.WaitForLine(QStringLiteral("tcp#1: screen 2: power off .*")).hasMatch());

    const QJsonObject json = QJsonDocument::fromJson(ReadAll(QDir(state.path()).filePath("screen2/state.json")))
                                 .object();
    EXPECT_EQ(json[QStringLiteral("test")][QStringLiteral("pattern")].toInt(), 4);
    EXPECT_EQ(json[QStringLiteral("power")][QStringLiteral("on")].toBool(true), false);
}

TEST(PelvoroSim, TheCardRemembersItsParametersAcrossRuns)
{
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    const QByteArray single = PageFile(Colourful(16, 8), 0, 0);
    {
        Sim sim({"--tcp", "0", "--state", state.path()});
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(sim.Port()));
        ASSERT_TRUE(socket.waitForConnected(kAnswerMs));
        socket.write(Hex("0101"));
        EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
        socket.write(BuildParamFrame(0, Screen(16, 8, 0)));
        EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
    }
    // Dual colour is the default; only a card that kept the single-colour parameters takes the
    // single-colour page file as complete.
    Sim sim({"--tcp", "0", "--state", state.path()});
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(sim.Port()));
    ASSERT_TRUE(socket.waitForConnected(kAnswerMs));
    socket.write(Hex("0101"));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
    socket.write(single);
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
}

TEST(PelvoroSim, FaultOptions)
{
    const QByteArray frame = BuildPowerFrame(0, true);
    struct Case {
        const char *name;
        QStringList options;
        // What the preamble and the frame get: an exact answer, or none within the wait.
        bool preambleAnswered;
        bool frameAnswered;
        bool garbage;
        bool closes;
    };
    const Case cases[] = {
        {"silent", {"--silent"}, false, false, false, false},
        {"no final answer", {"--no-final"}, true, false, false, false},
        {"garbage", {"--garbage"}, true, true, true, false},
        {"drop after 3 bytes", {"--drop-after", "3"}, true, false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList args = {"--tcp", "0"};
        args += c.options;
        Sim sim(args);
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(sim.Port()));
        ASSERT_TRUE(socket.waitForConnected(kAnswerMs));
        socket.write(Hex("0101"));
        QByteArray answer = Receive(socket, c.preambleAnswered ? kAnswerMs : 500);
        if (!c.preambleAnswered) {
            EXPECT_TRUE(answer.isEmpty());
            continue;
        }
        if (c.garbage) {
            answer += Receive(socket, 300, 8); // the whole noise
            EXPECT_FALSE(IsNetworkAcknowledgement(answer, 1)) << answer.toHex().toStdString();
            EXPECT_FALSE(answer.isEmpty());
        } else {
            EXPECT_EQ(answer, Hex("01"));
        }
        socket.write(frame);
        if (c.closes) {
            EXPECT_TRUE(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(kAnswerMs));
            EXPECT_TRUE(sim.WaitForLine(QStringLiteral("tcp#1: closing the connection mid-frame")).hasMatch());
            continue;
        }
        answer = Receive(socket, c.frameAnswered ? kAnswerMs : 500);
        EXPECT_EQ(!answer.isEmpty(), c.frameAnswered);
    }
}

// Over the pseudo-terminal only silence marks the end of an exchange the station gave up on: after
// a cut-off frame and a preamble nobody followed, the next exchange is still answered, and each
// abandoned one has its line.
TEST(PelvoroSim, SerialExchangesEndAfterAGap)
{
    Sim sim({"--serial"});
    const QString device = sim.Device();
    ASSERT_FALSE(device.isEmpty()) << sim.Output().toStdString();
    Pty pty(device);
    ASSERT_TRUE(pty.Ok()) << device.toStdString();
    const QByteArray frame = BuildTestFrame(0, 4);
    pty.Write(Hex("0101") + frame.first(3));
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("01"));
    EXPECT_TRUE(sim.WaitForLine(QStringLiteral("serial: screen 1: .*3 of 5 bytes, rejected \\(incomplete, nothing came "
                                               "for 2000 ms\\)"),
                                4000)
                    .hasMatch())
        << sim.Output().toStdString();
    pty.Write(Hex("0101"));
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("01"));
    EXPECT_TRUE(
        sim.WaitForLine(QStringLiteral("serial: screen 1: preamble answered, no frame followed"), 4000).hasMatch())
        << sim.Output().toStdString();
    pty.Write(Hex("0101"));
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("01"));
    pty.Write(frame);
    EXPECT_EQ(pty.Read(kAnswerMs), Hex("01"));
    EXPECT_TRUE(
        sim.WaitForLine(QStringLiteral("serial: screen 1: test pattern \\(0xed\\), 5 bytes, acknowledged")).hasMatch())
        << sim.Output().toStdString();
}

TEST(PelvoroSim, DelayHoldsEveryAnswerBack)
{
    Sim sim({"--tcp", "0", "--delay", "400"});
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(sim.Port()));
    ASSERT_TRUE(socket.waitForConnected(kAnswerMs));
    QElapsedTimer timer;
    timer.start();
    socket.write(Hex("0101"));
    EXPECT_EQ(Receive(socket, kAnswerMs), Hex("01"));
    EXPECT_GE(timer.elapsed(), 350);
}

TEST(PelvoroSim, BadUsage)
{
    const QStringList cases[] = {
        {},
        {"--snapshot", "--tcp", "0"},
        {"--tcp", "70000"},
        {"--tcp", "0", "--card", "Other"},
        {"--tcp", "0", "--bogus"},
    };
    for (const QStringList &args : cases) {
        Sim sim(args);
        ASSERT_TRUE(sim.Process().waitForFinished(kStartMs)) << args.join(' ').toStdString();
        EXPECT_EQ(sim.Process().exitCode(), 64) << args.join(' ').toStdString();
    }
}

} // namespace
} // namespace pelvoro
