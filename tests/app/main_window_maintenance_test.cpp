// The main window's controller-care commands against controller cards behind a pseudo-terminal
// and a local TCP server: power, the test menu, the FPGA image with its file dialog, the outdoor
// dialog and the glyph download of the hidden timing tab.
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "comm/ui/glyph_download_tab.h"
#include "comm/ui/outdoor_dialog.h"
#include "users/access_codes.h"
#include "users/ui/login_dialogs.h"
#include "config/config_store.h"
#include "main_window_fixture.h"
#include "support/fake_cards.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace pelvoro::test {
namespace {

constexpr int kComPort = 7;

class MaintenanceTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        timings = ShortLinkTimings();
    }
    void TearDown() override
    {
        qunsetenv("PELVORO_COM7");
        MainWindowTest::TearDown();
    }
    // One 64 x 32 screen with a main area, over the serial port or to the TCP card at `port`.
    void StartStation(quint16 port = 0)
    {
        ScreenTable setup;
        ScreenInfo &s = setup[0];
        s = DefaultScreenInfo();
        s.Width = 64;
        s.Height = 32;
        s.ColorMode = 1;
        s.ComPort = kComPort;
        s.BaudIndex = 3;
        s.MainHeight = 32;
        s.Areas[0] = QStringLiteral("主区");
        if (port != 0) {
            s.CommMode = kCommModeNetwork;
            s.IpAddress = QStringLiteral("127.0.0.1");
            s.IpPort = port;
        }
        ConfigStore store;
        int last = 0;
        ASSERT_TRUE(store.SaveLastIndex(last));
        ASSERT_TRUE(store.SaveScreens(setup, 0));
        Start();
        if (port != 0) {
            window->ConnectIp();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return window->Net()->ClientSocket()->state() == QAbstractSocket::ConnectedState; }, 5000));
        }
    }
    void UseCard(const PtyCard &card)
    {
        ASSERT_TRUE(card.Ok());
        qputenv("PELVORO_COM7", card.Device().toLocal8Bit());
    }
    // Runs a command and waits until the card kept one more frame and the link is idle again.
    template <typename Card>
    void Run(Card &card, const std::function<void()> &command)
    {
        const size_t before = Kept(card.exchanges).size();
        command();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Kept(card.exchanges).size() > before; }, 20000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Serial()->HasTransfer() && !window->Net()->Busy(); }, 5000));
        QTest::qWait(3 * timings.completion.continueDelayMs);
    }
    void Trigger(const QString &command)
    {
        QAction *action = window->Command(command);
        ASSERT_NE(action, nullptr) << command.toStdString();
        action->trigger();
    }
    Tfrmconfig *OutdoorDialog() const { return window->findChild<Tfrmconfig *>(); }
    static void WritePicture(const QString &path)
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(path, "JPG"));
    }
};

TEST_F(MaintenanceTest, PowerAndTestPatternsOverTheSerialLink)
{
    PtyCard card;
    UseCard(card);
    StartStation();
    const CardScreenMemory &memory = card.Card().Memory().Screen(1);

    Run(card, [&] { Trigger(QStringLiteral("关屏")); });
    EXPECT_TRUE(memory.PoweredOff());
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：向1号显示屏发送关机命令成功！"));
    Run(card, [&] { Trigger(QStringLiteral("控制/打开屏幕")); });
    EXPECT_FALSE(memory.PoweredOff());
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：向1号显示屏发送开机命令成功！"));
    Run(card, [&] { Trigger(QStringLiteral("测试/交叉线")); });
    EXPECT_EQ(memory.TestPattern(), 8);
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：向1号显示屏测试显示屏成功！"));
    Run(card, [&] { Trigger(QStringLiteral("测试/退出测试")); });
    EXPECT_EQ(memory.TestPattern(), 0);
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xC4}, {1, 0xC4}, {1, 0xED}, {1, 0xED}}));
}

TEST_F(MaintenanceTest, PowerAndTestPatternsOverTheNetwork)
{
    TcpCard card;
    StartStation(card.Port());
    const CardScreenMemory &memory = card.Card().Memory().Screen(1);

    Run(card, [&] { Trigger(QStringLiteral("测试/全屏黄")); });
    EXPECT_EQ(memory.TestPattern(), 2);
    Run(card, [&] { Trigger(QStringLiteral("关屏")); });
    EXPECT_TRUE(memory.PoweredOff());
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态:向1号显示屏强制关机成功！"));
}

TEST_F(MaintenanceTest, FpgaImageFromTheFileDialog)
{
    TcpCard card;
    StartStation(card.Port());
    WriteFile("image.rbf", QByteArray(1000, char(0x3C)));
    WriteFile("empty.rbf", QByteArray());

    // Cancelled: a warning, nothing sent.
    prompt.files.enqueue({});
    window->LoadFpga();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("未加载FPGA文件,可能导致控制器不能正常显示!"));
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Warning);
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList{QStringLiteral("rbf文件(*.rbf)")});

    // Unreadable and empty files send nothing; the empty one only sets up the progress bar.
    prompt.files.enqueue({Path("missing.rbf")});
    window->LoadFpga();
    EXPECT_EQ(window->CommStatus(), QStringLiteral("没有找到rbf文件"));
    prompt.files.enqueue({Path("empty.rbf")});
    window->LoadFpga();
    QTest::qWait(200);
    EXPECT_TRUE(card.received.isEmpty());

    // The image as it stands, with the progress bar over its size; the working directory is the
    // application's again afterwards.
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    prompt.files.enqueue({Path("image.rbf")});
    Run(card, [&] { window->LoadFpga(); });
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(dir_.path()).canonicalPath());
    EXPECT_EQ(window->Panelface()->ProgressBar()->maximum(), 1000);
    const QByteArray &kept = card.Card().Memory().Screen(1)[CardSlot::Fpga];
    EXPECT_EQ(kept.size(), 1013);
    EXPECT_EQ(kept.mid(5, 1000), ReadFile("image.rbf"));
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态:向1号显示屏下载FPGA程序成功！"));
    EXPECT_EQ(prompt.messages.size(), 1);
}

TEST_F(MaintenanceTest, OutdoorDialogFollowsTheFilesOfTheChoiceAndSendsItsConfiguration)
{
    PtyCard card;
    UseCard(card);
    StartStation();
    WritePicture(Path("no.jpg"));
    // The picture shipped for "1/4", third route, drawn at build time.
    const QString shipped = QDir(QStringLiteral(PELVORO_BIN_DIR)).filePath(QStringLiteral("TavrelPic12.jpg"));
    ASSERT_FALSE(QImage(shipped).isNull()) << shipped.toStdString();
    ASSERT_TRUE(QFile::copy(shipped, Path("TavrelPic12.jpg")));
    WriteFile("TavrelPic12.config", QByteArray(300, char(0x11)));

    Trigger(QStringLiteral("设置/户外配置"));
    // Without login the dialog is behind the outdoor code, which first warns about the card.
    window->findChild<AccessCodeDialog *>()->Enter(kOutdoorCode);
    ASSERT_FALSE(prompt.messages.isEmpty());
    EXPECT_EQ(prompt.messages.back().text, kOutdoorWarningText);
    prompt.messages.clear();
    Tfrmconfig *dialog = OutdoorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("配置户外参数"));
    // "1/8", first route: no files of its own.
    EXPECT_EQ(dialog->ScanMode(), 0);
    EXPECT_EQ(dialog->Route(), 0);
    EXPECT_EQ(dialog->PictureFile(), QStringLiteral("no.jpg"));
    EXPECT_FALSE(dialog->ConfigureButton()->isEnabled());

    dialog->ChooseScanMode(1);
    EXPECT_TRUE(dialog->RouteList(1)->isVisible());
    EXPECT_FALSE(dialog->RouteList(0)->isVisible());
    EXPECT_EQ(dialog->RouteList(1)->count(), 8);
    dialog->ChooseRoute(2);
    EXPECT_EQ(dialog->PictureFile(), QStringLiteral("TavrelPic12.jpg"));
    EXPECT_EQ(dialog->Picture()->pixmap().size(), QSize(400, 300));
    ASSERT_TRUE(dialog->ConfigureButton()->isEnabled());

    Run(card, [&] { dialog->ConfigureButton()->click(); });
    EXPECT_EQ(card.Card().Memory().Screen(1)[CardSlot::Outdoor].mid(5, 300), ReadFile("TavrelPic12.config"));
    EXPECT_EQ(window->Panelface()->ProgressBar()->maximum(), 300);
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：向控制器加载户外配置程序成功！"));
    EXPECT_EQ(OutdoorDialog(), dialog) << "the dialog stays open";

    // The configuration gone after the choice was made: the message, nothing sent.
    ASSERT_TRUE(QFile::remove(Path("TavrelPic12.config")));
    dialog->ConfigureButton()->click();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("配置文件已被损坏，请卸载已有软件后重新安装最新软件!"));

    // "1/2" has no routes: TavrelPic2-1, absent, so "no.jpg" and no "配置参数".
    dialog->ChooseScanMode(2);
    EXPECT_EQ(dialog->Route(), -1);
    EXPECT_EQ(dialog->PictureFile(), QStringLiteral("no.jpg"));
    EXPECT_FALSE(dialog->ConfigureButton()->isEnabled());

    dialog->ExitButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return OutdoorDialog() == nullptr; }, 2000));
    EXPECT_EQ(Kept(card.exchanges), (KeptFrames{{1, 0xCC}}));
}

TEST_F(MaintenanceTest, GlyphDownloadFromTheHiddenTimingTab)
{
    PtyCard card;
    UseCard(card);
    StartStation();

    QTabWidget *tabs = nullptr;
    int timing = -1;
    for (QTabWidget *candidate : window->Panelmain()->findChildren<QTabWidget *>()) {
        for (int i = 0; i < candidate->count(); ++i) {
            if (candidate->tabText(i) == QStringLiteral("计时设置")) {
                tabs = candidate;
                timing = i;
            }
        }
    }
    ASSERT_NE(tabs, nullptr);
    EXPECT_FALSE(tabs->isTabVisible(timing));
    auto *inner = qobject_cast<QTabWidget *>(tabs->widget(timing));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->tabText(0), QStringLiteral("下载字模"));
    auto *glyphs = qobject_cast<GlyphDownloadTab *>(inner->widget(0));
    ASSERT_NE(glyphs, nullptr);
    EXPECT_EQ(glyphs->FontList()->currentText(), QStringLiteral("宋体"));
    EXPECT_EQ(glyphs->SizeList()->currentText(), QStringLiteral("12"));
    EXPECT_EQ(glyphs->SizeList()->count(), 16);

    Run(card, [&] { glyphs->DownloadButton()->click(); });
    const QByteArray &kept = card.Card().Memory().Screen(1)[CardSlot::Glyphs];
    EXPECT_EQ(kept.size(), 1302);
    EXPECT_EQ(kept.left(5).toHex(), "01d3510810");
    EXPECT_EQ(window->CommStatus(), QStringLiteral("状态：向1号显示屏下载字模数据成功！"));
    // "加载设置" does nothing.
    glyphs->LoadSettingsButton()->click();
    QTest::qWait(100);
    EXPECT_EQ(Kept(card.exchanges).size(), 1u);
}

} // namespace
} // namespace pelvoro::test
