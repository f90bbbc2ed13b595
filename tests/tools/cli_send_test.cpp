// pelvoro-cli send, run as the built binary against pelvoro-sim over TCP and its pseudo-terminal.
#include "config/config_store.h"
#include "config/ini_document.h"
#include "pages/page_schedules.h"
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/scripted_peer.h"
#include "support/sim_process.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

// A simulator on TCP and a pseudo-terminal at once.
class Sim : public SimProcess {
public:
    explicit Sim(const QStringList &args) : SimProcess(QStringList{"--tcp", "0", "--serial"} + args) {}
};

class CliSendTest : public AppDirTest {
protected:
    // Screen 1, 64 x 64 dual colour, with a clock and a temperature band, a main area of two pages
    // and a one-page subtitle; reached over `link` ("tcp" or "serial" on COM3).
    void SetUpScreen(const QString &link, int port = 0)
    {
        const QStringList set = link == QLatin1String("tcp") ? QStringList{"CommMode=2", "IpAddress=127.0.0.1",
                                                                           QStringLiteral("IpPort=%1").arg(port)}
                                                             : QStringList{"CommMode=0", "ComPort=3", "BaudIndex=3"};
        ASSERT_EQ(RunCli(QStringList{"set", "--screen", "1", "Width=64", "Height=64"} + set, dir_.path()).exitCode, 0);
        for (const char *area : {"固定时钟", "固定温度", "主区", "小字幕"})
            ASSERT_EQ(RunCli({"area", "add", "--screen", "1", QString::fromUtf8(area)}, dir_.path()).exitCode, 0)
                << area;
        QImage page(64, 32, QImage::Format_RGB32);
        page.fill(Qt::red);
        ASSERT_TRUE(page.save(Path("page.png")));
        ASSERT_EQ(RunCli({"pages", "add", "--screen", "1", Path("page.png"), Path("page.png")}, dir_.path()).exitCode,
                  0);
        // The subtitle strip at rows 48..63: one page of 64 x 16 dual colour.
        QByteArray subtitle = QByteArray::fromHex("01d20f00"
                                                  "0000"
                                                  "3000"
                                                  "3f00"
                                                  "3f00"
                                                  "01"
                                                  "00000101");
        subtitle.append(QByteArray(64 * 16 / 4, char(0x0F)));
        subtitle.append(char(0xAA));
        WriteFile("TavrelTitle1.dat", subtitle);
    }

    CliResult Send(const QStringList &args, const QString &device = QString())
    {
        QProcessEnvironment env;
        if (!device.isEmpty())
            env.insert(QStringLiteral("PELVORO_COM3"), device);
        return RunCli(QStringList{"send"} + args, dir_.path(), env, 120000);
    }
};

TEST_F(CliSendTest, SendsOverTcpAndSerial)
{
    Sim sim({});
    const int port = sim.Port();
    const QString device = sim.Device();
    ASSERT_GT(port, 0);
    ASSERT_FALSE(device.isEmpty());

    SetUpScreen(QStringLiteral("tcp"), port);
    CliResult result = Send({"param", "--screen", "1"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.split(QLatin1Char('\n')).last(), QStringLiteral("状态:向1号显示屏加载屏参数成功！"));

    ASSERT_EQ(RunCli({"set", "--screen", "1", "CommMode=1", "ComPort=3"}, dir_.path()).exitCode, 0);
    result = Send({"test", "--screen", "1", "--pattern", "3"}, device);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("状态：正在连接1号显示屏...\n"
                                         "状态：正在向1号显示屏测试显示屏...\n"
                                         "状态：向1号显示屏测试显示屏成功！"));
    result = Send({"main", "--screen", "1"}, device);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();

    // An acknowledged cancel over the serial link erases the pages' stored schedules.
    StoredSchedule schedule;
    schedule.weekdays[0] = true;
    ConfigStore store;
    ASSERT_TRUE(store.Edit([&](IniDocument &doc) { return WriteStoredSchedule(doc, 0, 2, schedule); }));
    ASSERT_TRUE(ReadStoredSchedule(store.Read(), 0, 2).HasSchedule());
    result = Send({"cancel-schedule", "--screen", "1"}, device);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_FALSE(ReadStoredSchedule(store.Read(), 0, 2).HasSchedule());

    EXPECT_EQ(sim.Exchanges(), (QStringList{"screen 1: screen parameters (0xc1), 12 bytes, acknowledged",
                                            "screen 1: test pattern (0xed), 5 bytes, acknowledged",
                                            "screen 1: main-area pages (0xd1), 1046 bytes, acknowledged",
                                            "screen 1: cancel timed play lists (0xc7), 4 bytes, acknowledged"}));
}

// Refusals exit 1, link failures 2.
TEST_F(CliSendTest, ExitCodes)
{
    Sim silent({"--silent"});
    const int port = silent.Port();
    const QString device = silent.Device();
    ASSERT_GT(port, 0);
    SetUpScreen(QStringLiteral("serial"));

    struct Case {
        const char *name;
        QStringList args;
        QString device;
        int exitCode;
        QString text; // in stdout or stderr
    };
    const ClosedPort dead;
    ASSERT_NE(dead.Port(), 0);
    const quint16 deadPort = dead.Port();
    ASSERT_TRUE(QFile::remove(Path("Tavrel1.dat")));
    const Case serial[] = {
        {"no page file", {"main", "--screen", "1"}, device, 1, QStringLiteral("没有找到Tavrel1.dat文件！")},
        {"missing port",
         {"param", "--screen", "1"},
         QStringLiteral("/nonexistent/tty"),
         2,
         QStringLiteral("当前串口3可能不存在或被占用,打开串口失败！请选择正确的串口号")},
        {"no answer", {"param", "--screen", "1"}, device, 2, QStringLiteral("状态：1号显示屏没有应答，请检查通讯线！")},
        {"bad usage", {"param"}, device, 64, QStringLiteral("--screen K is required")},
    };
    for (const Case &c : serial) {
        SCOPED_TRACE(c.name);
        const CliResult result = Send(c.args, c.device);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.out.toStdString() << result.err.toStdString();
        EXPECT_TRUE(result.out.contains(c.text) || result.err.contains(c.text))
            << result.out.toStdString() << " / " << result.err.toStdString();
    }

    // Over the network nothing times out by itself: --timeout does.
    ASSERT_EQ(RunCli({"set", "--screen", "1", "CommMode=2", "IpAddress=127.0.0.1",
                      QStringLiteral("IpPort=%1").arg(port)},
                     dir_.path())
                  .exitCode,
              0);
    CliResult result = Send({"param", "--screen", "1", "--timeout", "2"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("the controller did not answer within 2 s")))
        << result.err.toStdString();

    ASSERT_EQ(RunCli({"set", "--screen", "1", QStringLiteral("IpPort=%1").arg(deadPort)}, dir_.path()).exitCode, 0);
    result = Send({"param", "--screen", "1", "--timeout", "20"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_FALSE(result.err.isEmpty());
}

// "全部发送": the time first, then every part the screen has, in the link's order.
TEST_F(CliSendTest, SendAllInTheLinksOrder)
{
    Sim sim({});
    const int port = sim.Port();
    const QString device = sim.Device();
    ASSERT_GT(port, 0);
    SetUpScreen(QStringLiteral("tcp"), port);

    CliResult result = Send({"all", "--screen", "1", "--timeout", "60"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList network = sim.Exchanges();

    ASSERT_EQ(RunCli({"set", "--screen", "1", "CommMode=0", "ComPort=3"}, dir_.path()).exitCode, 0);
    result = Send({"all", "--screen", "1", "--timeout", "60"}, device);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList both = sim.Exchanges();
    const QStringList serial = both.mid(network.size());

    const auto commands = [](const QStringList &lines) {
        QStringList names;
        for (const QString &line : lines)
            names << line.section(QStringLiteral(": "), 1).section(QStringLiteral(" ("), 0, 0);
        return names;
    };
    EXPECT_EQ(commands(network),
              (QStringList{"time synchronisation", "clock", "temperature", "main-area pages", "subtitle pages"}));
    EXPECT_EQ(commands(serial),
              (QStringList{"time synchronisation", "clock", "temperature", "subtitle pages", "main-area pages"}));
    for (const QString &line : both)
        EXPECT_TRUE(line.endsWith(QStringLiteral("acknowledged"))) << line.toStdString();
}

// A part that cannot be sent is reported and gives way to the next one; the exit code says a part
// was refused.
TEST_F(CliSendTest, SendAllGoesOnPastARefusedPart)
{
    Sim sim({});
    const QString device = sim.Device();
    ASSERT_FALSE(device.isEmpty());
    SetUpScreen(QStringLiteral("serial"));
    // The page count stays, so the subtitle is pending; its rasters are cut short.
    WriteFile("TavrelTitle1.dat", ReadFile("TavrelTitle1.dat").left(40));

    const CliResult result = Send({"all", "--screen", "1", "--timeout", "60"}, device);
    EXPECT_EQ(result.exitCode, 1) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("TavrelTitle1.dat已损坏"))) << result.err.toStdString();
    const QStringList exchanges = sim.Exchanges();
    ASSERT_EQ(exchanges.size(), 4) << exchanges.join('\n').toStdString();
    EXPECT_TRUE(exchanges.last().contains(QStringLiteral("main-area pages"))) << exchanges.last().toStdString();
    for (const QString &line : exchanges)
        EXPECT_TRUE(line.endsWith(QStringLiteral("acknowledged"))) << line.toStdString();
}

} // namespace
} // namespace pelvoro::test
