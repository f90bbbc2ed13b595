// pelvoro-cli send of the controller-care commands (power, test patterns, FPGA image, outdoor
// configuration, glyphs, schedules, time), run as the built binary against pelvoro-sim over TCP
// and its pseudo-terminal; what the simulated card kept and shows is read from its state folder.
#include "support/app_dir_fixture.h"
#include "support/cli_runner.h"
#include "support/sim_process.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

class CliMaintenanceTest : public AppDirTest {
protected:
    void SetUp() override
    {
        AppDirTest::SetUp();
        ASSERT_TRUE(state_.isValid());
    }
    // Screen 1, 64 x 32 dual colour, a main area of two pages.
    void SetUpScreen()
    {
        ASSERT_EQ(RunCli({"set", "--screen", "1", "Width=64", "Height=32"}, dir_.path()).exitCode, 0);
        ASSERT_EQ(RunCli({"area", "add", "--screen", "1", "主区"}, dir_.path()).exitCode, 0);
        QImage page(64, 32, QImage::Format_RGB32);
        page.fill(Qt::green);
        ASSERT_TRUE(page.save(Path("page.png")));
        ASSERT_EQ(RunCli({"pages", "add", "--screen", "1", Path("page.png"), Path("page.png")}, dir_.path()).exitCode,
                  0);
    }
    void UseTcp(int port)
    {
        const QStringList set = {"set", "--screen", "1", "CommMode=2", "IpAddress=127.0.0.1",
                                 QStringLiteral("IpPort=%1").arg(port)};
        ASSERT_EQ(RunCli(set, dir_.path()).exitCode, 0);
    }
    void UseSerial()
    {
        ASSERT_EQ(RunCli({"set", "--screen", "1", "CommMode=0", "ComPort=3", "BaudIndex=3"}, dir_.path()).exitCode, 0);
    }
    CliResult Send(const QStringList &args)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PELVORO_COM3"), device_);
        return RunCli(QStringList{"send"} + args + QStringList{"--screen", "1"}, dir_.path(), env, 120000);
    }
    QJsonObject State() const
    {
        QFile file(QDir(state_.path()).filePath(QStringLiteral("screen1/state.json")));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }
    QImage Shown() const { return QImage(QDir(state_.path()).filePath(QStringLiteral("screen1/screen.png"))); }
    qint64 KeptBytes(const char *file) const
    {
        return QFileInfo(QDir(state_.path()).filePath(QStringLiteral("screen1/") + file)).size();
    }

    QTemporaryDir state_;
    QString device_;
};

int LitDots(const QImage &image)
{
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            lit += image.pixel(x, y) != qRgb(0, 0, 0);
    }
    return lit;
}

TEST_F(CliMaintenanceTest, EveryCommandReachesTheCardOverBothLinks)
{
    SimProcess sim({"--tcp", "0", "--serial", "--state", state_.path(), "--snapshot"});
    const int port = sim.Port();
    device_ = sim.Device();
    ASSERT_GT(port, 0);
    ASSERT_FALSE(device_.isEmpty());
    SetUpScreen();
    WriteFile("image.rbf", QByteArray(1000, char(0x3C)));
    WriteFile("TavrelPic12.config", QByteArray(300, char(0x11)));

    const auto ok = [&](const QStringList &args) {
        const CliResult result = Send(args);
        EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.out.toStdString() << " / "
                                      << result.err.toStdString();
        return result;
    };

    UseTcp(port);
    ok({"param"});
    // "交叉线": red lines crossing every 8 dots.
    ok({"test", "交叉线"});
    EXPECT_EQ(State()["test"].toObject()["pattern"].toInt(), 8);
    QImage shown = Shown();
    ASSERT_EQ(shown.size(), QSize(64, 32));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(7, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(3, 0), qRgb(0, 0, 0));
    // "关屏": a dark screen, whatever the test pattern.
    CliResult result = ok({"power-off"});
    EXPECT_EQ(result.out.split('\n').last(), QStringLiteral("状态:向1号显示屏强制关机成功！"));
    EXPECT_FALSE(State()["power"].toObject()["on"].toBool(true));
    EXPECT_EQ(LitDots(Shown()), 0);
    ok({"fpga", Path("image.rbf")});
    EXPECT_EQ(State()["fpga"].toObject()["bytes"].toInt(), 1000);
    ok({"glyphs", "--size", "12"});
    EXPECT_EQ(KeptBytes("glyphs.bin"), 1302);
    // "校准时钟" at 08:05:09 on Monday 2 January 2006.
    ok({"timesync", "--now", "2006-01-02T08:05:09"});
    EXPECT_EQ(State()["timeSync"].toObject()["time"].toString(), QStringLiteral("2006-01-02 08:05:09"));
    EXPECT_EQ(State()["timeSync"].toObject()["weekday"].toInt(), 1);

    UseSerial();
    ok({"power-on"});
    EXPECT_TRUE(State()["power"].toObject()["on"].toBool());
    EXPECT_GT(LitDots(Shown()), 0) << "the crossed lines again";
    ok({"test", "0"});
    EXPECT_EQ(State()["test"].toObject()["pattern"].toInt(), 0);
    result = ok({"outdoor", Path("TavrelPic12.config")});
    EXPECT_EQ(result.out.split('\n').last(), QStringLiteral("状态：向控制器加载户外配置程序成功！"));
    EXPECT_EQ(State()["outdoor"].toObject()["bytes"].toInt(), 300);
    ok({"glyphs", "--size", "24"});
    EXPECT_EQ(KeptBytes("glyphs.bin"), 6 + 81 * 16 * 32 / 8);
    ok({"schedule"});
    EXPECT_EQ(State()["schedule"].toObject()["entries"].toArray().size(), 2);
    ok({"cancel-schedule"});
    EXPECT_FALSE(State().contains("schedule"));

    EXPECT_EQ(sim.Exchanges().size(), 12) << sim.Exchanges().join('\n').toStdString();
    for (const QString &line : sim.Exchanges())
        EXPECT_TRUE(line.endsWith(QStringLiteral("acknowledged"))) << line.toStdString();
}

TEST_F(CliMaintenanceTest, RefusalsSendNothing)
{
    SimProcess sim({"--serial"});
    device_ = sim.Device();
    ASSERT_FALSE(device_.isEmpty());
    SetUpScreen();
    UseSerial();
    WriteFile("empty.rbf", QByteArray());
    const struct {
        const char *name;
        QStringList args;
        int exitCode;
        QString text; // on stderr
    } cases[] = {
        {"empty image", {"fpga", Path("empty.rbf")}, 1, "是空文件"},
        {"unreadable image", {"fpga", Path("none.rbf")}, 1, "没有找到rbf文件"},
        {"unreadable configuration", {"outdoor", Path("none.config")}, 1, "没有找到加载文件"},
        {"no file", {"fpga"}, 64, "give the FILE"},
        {"two patterns", {"test", "1", "2"}, 64, "give one PATTERN"},
        {"unknown pattern", {"test", "全屏蓝"}, 64, "退出测试"},
        {"pattern out of range", {"test", "9"}, 64, "PATTERN is 0..8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult result = Send(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.out.toStdString();
        EXPECT_TRUE(result.err.contains(c.text)) << result.err.toStdString();
    }
    EXPECT_TRUE(sim.Exchanges().isEmpty()) << sim.Exchanges().join('\n').toStdString();
}

} // namespace
} // namespace pelvoro::test
