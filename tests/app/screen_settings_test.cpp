#include "main_window_fixture.h"

#include "app/screen_panel.h"
#include "comm/com_ports.h"
#include "config/ui/dip_switch_picture.h"
#include "config/config_watcher.h"
#include "config/ui/settings_dialog.h"
#include "pages/page_store.h"
#include "users/ui/login_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>

namespace pelvoro::test {
namespace {

// The station with the settings dialog opened from "设置屏参", driven through its widgets.
class ScreenSettingsTest : public MainWindowTest {
protected:
    void OpenSettings()
    {
        window->Command("设置/设置屏参")->trigger();
        // Without login the dialog is behind the access code.
        window->findChild<AccessCodeDialog *>()->Enter(kSettingsCode);
        dialog = window->findChild<TFrmset *>();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    }
    const TFrmset::Controls &Ui() const { return dialog->Ui(); }
    void Select(int row) { Ui().screens->setCurrentRow(row); }
    // Picks an item of a list as the operator does with the arrow keys.
    static void Choose(QComboBox *box, int index)
    {
        ASSERT_TRUE(box->isEnabled());
        ASSERT_LT(index, box->count());
        while (box->currentIndex() != index)
            QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }
    static void TypePort(QComboBox *port, const QString &text)
    {
        port->lineEdit()->setText(text);
        QTest::keyClick(port->lineEdit(), Qt::Key_Return);
    }
    void CloseWithBack()
    {
        QTest::mouseClick(Ui().back, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(dialog) << "the dialog is released on closing";
    }
    QStringList ScreenLines() const
    {
        QStringList lines;
        for (int i = 0; i < Ui().screens->count(); ++i)
            lines << Ui().screens->item(i)->text();
        return lines;
    }
    // A screen with a main area and a subtitle, its page file and subtitle files on disk.
    static std::vector<const char *> ScreenWithPages(const char *section)
    {
        return {section, "第一区域=主区", "第二区域=小字幕", "主区域高=112", "字幕区域高=16"};
    }
    void WriteScreens(int count, const std::vector<const char *> &extra = {})
    {
        QByteArray ini = GbkLines({"[全局参数]"}) + Gbk("显示屏数目=") + QByteArray::number(count - 1) + "\r\n";
        for (const char *line : extra)
            ini += Gbk(line) + "\r\n";
        WriteFile("SysConfig.ini", ini);
    }
    void WriteDataFiles(int screenNumber)
    {
        for (const QString &name : {QStringLiteral("Tavrel%1.dat"), QStringLiteral("TavrelTitle%1.dat"),
                                    QStringLiteral("TavrelTitle%1.txt")})
            WriteFile(name.arg(screenNumber), "data");
    }
    // Screen 1 as a 64 x 16 main area with `pages` stored pages.
    void WriteScreenOneWithPages(int pages)
    {
        WriteScreens(1, {"[0号屏参数]", "横向点数=64", "纵向点数=16", "第一区域=主区", "主区域高=16"});
        ScreenTable pagesTable;
        pagesTable[0] = DefaultScreenInfo();
        pagesTable[0].Width = 64;
        pagesTable[0].Height = 16;
        pagesTable[0].MainHeight = 16;
        pagesTable[0].Areas = {"主区", "", "", ""};
        PageAppender appender(pagesTable, 0);
        QImage page(64, 16, QImage::Format_RGB32);
        page.fill(Qt::red);
        for (int i = 0; i < pages; ++i)
            appender.Append(page, 0, 0, 1, 1);
        ASSERT_TRUE(appender.Finish().Ok());
    }
    // Waits until the window's watch looked at the file after a write; true when it did.
    bool WatchLooked(QSignalSpy &spy)
    {
        return !spy.isEmpty() || spy.wait(10000);
    }
    // Another program replaces SysConfig.ini (its own atomic write, unknown to this process).
    void ReplaceFromOutside(const QByteArray &bytes)
    {
        QSaveFile file(ConfigPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        ASSERT_TRUE(file.commit());
    }

    QPointer<TFrmset> dialog;
};

TEST_F(ScreenSettingsTest, OpensOnScreenOneWithItsValuesAndChangesNothingWhenClosedUntouched)
{
    std::vector<const char *> lines = ScreenWithPages("[0号屏参数]");
    // A "ZP-KQ/TQ" screen whose file keeps 115200, a network screen, and a flag left from before.
    for (const char *line : {"[1号屏参数]", "控制卡类型=ZP-KQ/TQ", "波特率=3", "横向点数=128", "纵向点数=64", "[2号屏参数]",
                             "通讯方式=2", "IP地址=192.168.100.200", "IP端口=40000", "单双色=0", "COM口=4"})
        lines.push_back(line);
    WriteScreens(3, lines);
    WriteDataFiles(1);
    Start();
    const QByteArray before = ReadFile("SysConfig.ini");
    OpenSettings();
    EXPECT_EQ(dialog->windowTitle(), "设置");
    EXPECT_EQ(ScreenLines(), QStringList({"1号显示屏", "2号显示屏", "3号显示屏"}));
    EXPECT_EQ(Ui().hardware->title(), "1号屏硬件设置");
    EXPECT_EQ(Ui().software->title(), "1号屏软件设置");
    EXPECT_EQ(Ui().baud->count(), 4);
    EXPECT_EQ(Ui().baud->currentText(), "115200");
    EXPECT_EQ(Ui().port->currentText(), "COM1");
    EXPECT_EQ(Ui().width->value(), 256);
    EXPECT_EQ(Ui().height->value(), 128);
    EXPECT_EQ(Ui().card->currentText(), "正常");
    EXPECT_EQ(Ui().pixelLimit->text(), "最大控制点数：512K象素点");
    EXPECT_EQ(Ui().currentPixels->text(), "当前显示象素：32K");
    EXPECT_EQ(Ui().maxPages->text(), "最大存储页数：176页");
    EXPECT_FALSE(Ui().mirror->isEnabled());
    EXPECT_TRUE(Ui().result->text().isEmpty());
    EXPECT_FALSE(Ui().network->isVisibleTo(dialog));
    EXPECT_FALSE(Ui().connectIp->isVisibleTo(dialog));

    Select(1);
    EXPECT_EQ(Ui().software->title(), "2号屏软件设置");
    EXPECT_EQ(Ui().baud->count(), 3);
    EXPECT_EQ(Ui().baud->currentText(), "57600");
    EXPECT_EQ(Ui().pixelLimit->text(), "最大控制点数：128K象素点");
    EXPECT_TRUE(Ui().mirror->isEnabled());
    EXPECT_EQ(window->SummaryLabel()->text(), "2号屏 ZP-KQ卡 128x64 双色");
    EXPECT_EQ(window->CommStatus(), "");
    Select(2);
    EXPECT_TRUE(Ui().network->isVisibleTo(dialog));
    EXPECT_TRUE(Ui().connectIp->isVisibleTo(dialog));
    EXPECT_FALSE(Ui().baud->isVisibleTo(dialog));
    EXPECT_EQ(Ui().ipPort->value(), 40000); // any port the file holds
    EXPECT_EQ(Ui().ipAddress->text(), "192.168.100.200");
    // The widest address shows whole.
    const int widest = Ui().ipAddress->fontMetrics().horizontalAdvance("255.255.255.255");
    EXPECT_GE(Ui().ipAddress->width(), widest + 8);
    EXPECT_EQ(table.CurrentScreen, 2) << "a network screen becomes the current one";
    Select(0);
    EXPECT_FALSE(Ui().network->isVisibleTo(dialog));
    CloseWithBack();

    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);
    for (const char *name : {"Tavrel1.dat", "TavrelTitle1.dat", "TavrelTitle1.txt"})
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(ScreenNode(0)->childCount(), 2);
}

TEST_F(ScreenSettingsTest, WidthChangeClearsOnlyThatScreenOnClosing)
{
    std::vector<const char *> lines;
    for (const char *section : {"[0号屏参数]", "[1号屏参数]", "[2号屏参数]"})
        for (const char *line : ScreenWithPages(section))
            lines.push_back(line);
    WriteScreens(3, lines);
    for (int n = 1; n <= 3; ++n)
        WriteDataFiles(n);
    Start();
    Click(ScreenNode(2));
    OpenSettings();
    Select(1);
    Ui().width->stepUp();
    EXPECT_EQ(table[1].Width, 272);
    EXPECT_EQ(Ui().currentPixels->text(), "当前显示象素：34K");
    EXPECT_EQ(Ui().maxPages->text(), "最大存储页数：165页");
    CloseWithBack();

    EXPECT_EQ(table[1].Areas, (std::array<QString, 4>{}));
    EXPECT_EQ(table[1].MainHeight, 16);
    EXPECT_EQ(table[1].TitleHeight, 16);
    EXPECT_FALSE(Exists("Tavrel2.dat"));
    EXPECT_FALSE(Exists("TavrelTitle2.dat"));
    for (int i : {0, 2}) {
        EXPECT_EQ(table[i].Areas[0], "主区") << i;
        EXPECT_EQ(table[i].MainHeight, 112) << i;
        EXPECT_TRUE(Exists(QStringLiteral("Tavrel%1.dat").arg(i + 1))) << i;
        EXPECT_TRUE(Exists(QStringLiteral("TavrelTitle%1.dat").arg(i + 1))) << i;
    }
    // The file follows, and the window shows screen 1 again with screen 2's node emptied.
    const QStringList config = ConfigLines();
    EXPECT_TRUE(config.contains("横向点数=272"));
    EXPECT_TRUE(config.contains("屏设置改变标志=1"));
    EXPECT_EQ(ScreenNode(1)->childCount(), 0);
    EXPECT_EQ(ScreenNode(0)->childCount(), 2);
    EXPECT_EQ(table.CurrentScreen, 0);
    EXPECT_EQ(Tree()->currentItem(), ScreenNode(0));
    EXPECT_EQ(window->SummaryLabel()->text(), "1号屏 256x128 双色");
    EXPECT_TRUE(window->Panelface()->isVisible());
}

TEST_F(ScreenSettingsTest, MarkingFollowsOnlyTheOperatorsOwnChanges)
{
    WriteScreens(2, {"[1号屏参数]", "通讯方式=2"});
    Start();
    OpenSettings();
    struct Case {
        const char *name;
        int screen;
        std::function<void(const TFrmset::Controls &)> change;
        bool marks;
    };
    const Case cases[] = {
        {"colour", 0, [](const TFrmset::Controls &ui) { Choose(ui.colour, 0); }, true},
        {"height", 0, [](const TFrmset::Controls &ui) { ui.height->stepDown(); }, true},
        {"line order", 0, [](const TFrmset::Controls &ui) { Choose(ui.lineOrder, 2); }, false},
        {"name", 0, [](const TFrmset::Controls &ui) { QTest::keyClicks(ui.name, "A"); }, false},
        {"port", 0, [](const TFrmset::Controls &ui) { TypePort(ui.port, "COM5"); }, false},
        {"polarity", 0, [](const TFrmset::Controls &ui) { Choose(ui.dataPolarity, 3); }, false},
        {"ip port", 1, [](const TFrmset::Controls &ui) { ui.ipPort->stepUp(); }, true},
        {"ip address", 1, [](const TFrmset::Controls &ui) { QTest::keyClicks(ui.ipAddress, "1"); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Select(c.screen);
        table[c.screen].SettingsChanged = false;
        c.change(Ui());
        EXPECT_EQ(table[c.screen].SettingsChanged, c.marks);
    }
    EXPECT_EQ(table[0].ColorMode, 0);
    EXPECT_EQ(table[0].Height, 112);
    EXPECT_EQ(table[0].LineOrder, 2);
    EXPECT_EQ(table[0].ScreenName, "显示屏A");
    EXPECT_EQ(table[0].ComPort, 5);
    EXPECT_EQ(table[0].DataPolarity, 3);
    EXPECT_EQ(table[1].IpPort, 1025);
    EXPECT_EQ(table[1].IpAddress, "192.168.0.71");
    CloseWithBack();
    EXPECT_EQ(table[0].DataPolarity, 3) << "the run-only wiring outlasts the dialog";
}

TEST_F(ScreenSettingsTest, SixtyFourScreensCannotGrowAndStayWhenClosed)
{
    WriteScreens(64);
    Start();
    OpenSettings();
    EXPECT_EQ(Ui().screens->count(), 64);
    EXPECT_EQ(Ui().screens->item(63)->text(), "64号显示屏");
    EXPECT_FALSE(Ui().add->isEnabled());
    EXPECT_TRUE(Ui().remove->isEnabled());
    CloseWithBack();
    EXPECT_EQ(table.LastIndex, 63);
    EXPECT_TRUE(ConfigLines().contains("显示屏数目=63"));
    EXPECT_EQ(Tree()->topLevelItemCount(), 64);
}

TEST_F(ScreenSettingsTest, RemovingTakesTheLastScreenNotTheSelectedOne)
{
    WriteScreens(4, {"[2号屏参数]", "显示屏名称=三号", "[3号屏参数]", "显示屏名称=四号", "横向点数=512"});
    WriteDataFiles(4);
    Start();
    OpenSettings();
    Select(2);
    QTest::mouseClick(Ui().remove, Qt::LeftButton);
    EXPECT_EQ(ScreenLines(), QStringList({"1号显示屏", "2号显示屏", "3号显示屏"}));
    EXPECT_EQ(table.LastIndex, 2);
    EXPECT_EQ(Ui().screens->currentRow(), 2);
    EXPECT_EQ(Ui().name->text(), "三号");
    EXPECT_EQ(window->SummaryLabel()->text(), "3号屏 256x128 双色");
    QStringList config = ConfigLines();
    EXPECT_TRUE(config.contains("显示屏名称=三号"));
    EXPECT_FALSE(config.contains("[3号屏参数]")) << "the removed screen's section is erased at once";
    EXPECT_TRUE(Exists("Tavrel4.dat")) << "the removed screen's files stay";

    // Down to one screen, "删除显示屏" goes off; adding brings a screen with the defaults back.
    QTest::mouseClick(Ui().remove, Qt::LeftButton);
    QTest::mouseClick(Ui().remove, Qt::LeftButton);
    EXPECT_EQ(ScreenLines(), QStringList({"1号显示屏"}));
    EXPECT_FALSE(Ui().remove->isEnabled());
    EXPECT_TRUE(Ui().add->isEnabled());
    QTest::mouseClick(Ui().add, Qt::LeftButton);
    EXPECT_EQ(ScreenLines(), QStringList({"1号显示屏", "2号显示屏"}));
    EXPECT_EQ(Ui().screens->currentRow(), 1);
    EXPECT_EQ(table[1], DefaultScreenInfo());
    EXPECT_TRUE(Ui().remove->isEnabled());
    CloseWithBack();
    EXPECT_EQ(Tree()->topLevelItemCount(), 2);
    EXPECT_TRUE(ConfigLines().contains("显示屏数目=1"));
}

TEST_F(ScreenSettingsTest, SwitchingToZpKqOnA115200ScreenSelects57600AndSavesAtOnce)
{
    Start();
    OpenSettings();
    ASSERT_EQ(table[0].BaudIndex, 3);
    Choose(Ui().card, 1);
    EXPECT_EQ(table[0].CardType, kCardZpKq);
    EXPECT_EQ(Ui().baud->count(), 3);
    EXPECT_EQ(Ui().baud->currentText(), "57600");
    EXPECT_EQ(table[0].BaudIndex, 2);
    EXPECT_EQ(Ui().width->maximum(), 1024);
    EXPECT_EQ(Ui().height->maximum(), 192);
    EXPECT_EQ(Ui().pixelLimit->text(), "最大控制点数：128K象素点");
    EXPECT_TRUE(Ui().mirror->isEnabled());
    EXPECT_EQ(Ui().maxPages->text(), "最大存储页数：56页");
    EXPECT_TRUE(table[0].SettingsChanged);
    EXPECT_TRUE(ConfigLines().contains("控制卡类型=ZP-KQ/TQ")) << "the controller type is saved before closing";

    // A baud rate chosen is saved at once too.
    Choose(Ui().baud, 1);
    EXPECT_EQ(table[0].BaudIndex, 1);
    EXPECT_TRUE(ConfigLines().contains("波特率=1"));
    Choose(Ui().card, 0);
    EXPECT_EQ(Ui().baud->count(), 4);
    EXPECT_FALSE(Ui().mirror->isEnabled());
}

TEST_F(ScreenSettingsTest, DipSwitchesShowTheScreenIndexAndTheBaudRate)
{
    WriteScreens(6, {"[0号屏参数]", "波特率=0", "[2号屏参数]", "波特率=2", "[5号屏参数]", "波特率=3"});
    Start();
    OpenSettings();
    struct Case {
        int screen;
        DipSwitches on; // P0..P5, B0, B1
    };
    const Case cases[] = {
        {0, {false, false, false, false, false, false, false, false}},
        {2, {false, true, false, false, false, false, false, true}},
        {5, {true, false, true, false, false, false, true, true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.screen);
        Select(c.screen);
        const QImage picture = Ui().dipPicture->pixmap().toImage();
        EXPECT_EQ(DipSwitchesOf(c.screen, table[c.screen].BaudIndex), c.on);
        for (int i = 0; i < kDipSwitchCount; ++i) {
            const bool on = c.on[size_t(i)];
            EXPECT_EQ(picture.pixel(DipLeverCentre(i, on)), kDipLeverColour) << DipSwitchName(i).toStdString();
            EXPECT_EQ(picture.pixel(DipLeverCentre(i, !on)), kDipSlotColour) << DipSwitchName(i).toStdString();
        }
    }
    // Choosing the baud rate redraws the picture: 28800 is B0 alone.
    Choose(Ui().baud, 1);
    const QImage picture = Ui().dipPicture->pixmap().toImage();
    EXPECT_EQ(picture.pixel(DipLeverCentre(6, true)), kDipLeverColour);
    EXPECT_EQ(picture.pixel(DipLeverCentre(7, false)), kDipLeverColour);
}

TEST_F(ScreenSettingsTest, WidthAndHeightKeepTheJointLimit)
{
    WriteScreens(1, {"[0号屏参数]", "横向点数=1024", "纵向点数=272"});
    Start();
    OpenSettings();
    EXPECT_TRUE(Ui().width->findChild<QLineEdit *>()->isReadOnly()) << "only the arrows change the size";
    EXPECT_EQ(Ui().width->singleStep(), 16);
    Ui().width->stepUp();
    EXPECT_EQ(table[0].Width, 1040);
    EXPECT_EQ(table[0].Height, 256);
    EXPECT_EQ(Ui().height->value(), 256);
    Ui().height->stepUp();
    EXPECT_EQ(table[0].Height, 272);
    EXPECT_EQ(table[0].Width, 1024);
    EXPECT_EQ(Ui().width->value(), 1024);
    // Within the limit on one side, the other goes up to the card's own maximum.
    Ui().width->setValue(32);
    Ui().height->setValue(600);
    EXPECT_EQ(table[0].Height, 512);
}

TEST_F(ScreenSettingsTest, UnknownControllerTypeIsReportedAndTheDialogStaysUsable)
{
    WriteScreens(1, {"[0号屏参数]", "控制卡类型=Special", "波特率=1"});
    Start();
    OpenSettings();
    EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({"INI文件损坏"}));
    EXPECT_EQ(Ui().baud->count(), 3);
    EXPECT_EQ(Ui().baud->currentText(), "28800");
    EXPECT_EQ(Ui().width->maximum(), 4096);
    Ui().width->stepDown();
    EXPECT_EQ(table[0].Width, 240);
    Choose(Ui().card, 1);
    EXPECT_EQ(table[0].CardType, kCardZpKq);
    CloseWithBack();
    EXPECT_TRUE(ConfigLines().contains("控制卡类型=ZP-KQ/TQ"));
}

TEST_F(ScreenSettingsTest, PortTextsWithoutANumberAreRefusedAndThePortKept)
{
    Start();
    OpenSettings();
    struct Case {
        const char *text;
        int port; // ComPort afterwards: a refused text keeps 3
    };
    const Case cases[] = {{"COM12", 12}, {" com 7 ", 7}, {"串口", 3}, {"COM1.5", 3}, {"3.", 3}, {"COM0", 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TypePort(Ui().port, "COM3");
        ASSERT_EQ(table[0].ComPort, 3);
        prompt.messages.clear();
        TypePort(Ui().port, QString::fromUtf8(c.text));
        EXPECT_EQ(table[0].ComPort, c.port);
        EXPECT_EQ(prompt.messages.size(), c.port == 3 ? 1 : 0);
    }
    prompt.messages.clear();
    TypePort(Ui().port, "COM9");
    EXPECT_EQ(table[0].ComPort, 9);
    TypePort(Ui().port, "port");
    EXPECT_EQ(table[0].ComPort, 9);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, "“port”不是有效的串口！");
    EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_EQ(Ui().port->currentText(), "COM9") << "the field shows the port kept";
}

TEST_F(ScreenSettingsTest, NameKeepsItsBlanksAndRefusesWhatGbkCannotHoldByName)
{
    Start();
    OpenSettings();
    // Key presses carrying text, as an input method delivers Chinese (QTest types only ASCII).
    auto type = [&](const QString &text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(Ui().name, &press);
    };
    Ui().name->clear();
    for (const QString &piece : {QStringLiteral(" "), QStringLiteral("大厅"), QStringLiteral(" ")})
        type(piece);
    EXPECT_EQ(table[0].ScreenName, QStringLiteral(" 大厅 "));
    type(QStringLiteral("😀"));
    EXPECT_EQ(table[0].ScreenName, QStringLiteral(" 大厅 "));
    EXPECT_EQ(Ui().name->text(), QStringLiteral(" 大厅 ")) << "the field shows the name kept";
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("显示屏名称中有不能保存的字符：😀"));
}

TEST_F(ScreenSettingsTest, LoadResultAndNetworkButtonsReachTheLinks)
{
    WriteScreens(2, {"[1号屏参数]", "通讯方式=2", "IP地址=127.0.0.1", "IP端口=1024"});
    Start();
    OpenSettings();
    Q_EMIT window->Serial()->SettingsLabel(QStringLiteral("加载参数成功!"), QColor(0, 128, 0));
    EXPECT_EQ(Ui().result->text(), "加载参数成功!");
    EXPECT_EQ(Ui().result->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    Select(1);
    QTest::mouseClick(Ui().connectIp, Qt::LeftButton);
    EXPECT_TRUE(window->Net()->Timerlink()->isActive());
    // Switching a screen to the network shows its address; back to RS485 hides it.
    Select(0);
    Choose(Ui().commMode, 2);
    EXPECT_EQ(table[0].CommMode, 2);
    EXPECT_TRUE(Ui().network->isVisibleTo(dialog));
    EXPECT_EQ(Ui().ipAddress->text(), "192.168.0.7");
    Choose(Ui().commMode, 1);
    EXPECT_FALSE(Ui().network->isVisibleTo(dialog));
    EXPECT_TRUE(Ui().baud->isVisibleTo(dialog));
}

const QString kReloaded = QStringLiteral("状态：SysConfig.ini已被其他程序修改，已重新载入");

// The dialog's own saves before closing (a baud rate, a controller type, a screen added or removed)
// are no other program's change: the window reloads nothing under the dialog, later edits land on
// the screen selected, and closing saves the count the list shows.
TEST_F(ScreenSettingsTest, OwnSavesWhileOpenChangeNothingTheOperatorDidNotAskFor)
{
    struct Case {
        const char *name;
        std::function<void()> saves; // ends with the screen to edit selected
        int screens;                 // what the list shows afterwards
        int edited;                  // the screen whose height goes down
    };
    auto add = [this] { QTest::mouseClick(Ui().add, Qt::LeftButton); };
    const Case cases[] = {
        {"baud", [&] { add(); Select(1); Choose(Ui().baud, 2); }, 2, 1},
        {"controller type", [&] { add(); Choose(Ui().card, 1); }, 2, 1},
        {"second add after an edit", [&] { add(); Choose(Ui().lineOrder, 1); add(); }, 3, 2},
        {"remove", [&] {
             add();
             add();
             Choose(Ui().lineOrder, 1);
             add(); // saves screen 3's section, which the second removal erases
             QTest::mouseClick(Ui().remove, Qt::LeftButton);
             QTest::mouseClick(Ui().remove, Qt::LeftButton);
         }, 2, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteScreenOneWithPages(2);
        Start();
        const QByteArray pageFile = ReadFile("Tavrel1.dat");
        const ScreenInfo screenOne = table[0];
        OpenSettings();
        QSignalSpy looked(window->ConfigWatch(), &ConfigWatcher::Checked);
        c.saves();
        EXPECT_TRUE(WatchLooked(looked)) << "the dialog saved before closing";
        ASSERT_EQ(Ui().screens->currentRow(), c.edited);
        Ui().height->stepDown();
        EXPECT_EQ(table[c.edited].Height, 112);
        CloseWithBack();
        QTest::qWait(400); // the watch looks at the closing save too

        EXPECT_NE(window->CommStatus(), kReloaded);
        ScreenTable saved;
        LoadScreenTable(ConfigStore(ConfigPath()), saved);
        EXPECT_EQ(saved.LastIndex, c.screens - 1);
        EXPECT_EQ(table.LastIndex, c.screens - 1);
        EXPECT_EQ(saved[c.edited].Height, 112);
        EXPECT_EQ(saved[0], screenOne) << "screen 1 was not touched";
        EXPECT_EQ(ReadFile("Tavrel1.dat"), pageFile);
        EXPECT_TRUE(prompt.questions.isEmpty());
        window.reset();
    }
}

// Another program's change while the dialog is open waits for it to close, then is taken in one step
// over what the dialog saved, and said.
TEST_F(ScreenSettingsTest, OutsideChangeWhileOpenIsTakenWhenTheDialogCloses)
{
    WriteScreens(2, {"[1号屏参数]", "显示屏名称=旧"});
    Start();
    OpenSettings();
    QSignalSpy looked(window->ConfigWatch(), &ConfigWatcher::Checked);
    ReplaceFromOutside(GbkLines({"[全局参数]", "显示屏数目=0", "[1号屏参数]", "显示屏名称=新"}));
    ASSERT_TRUE(WatchLooked(looked));
    EXPECT_TRUE(looked.first().at(0).toBool()) << "another program's write is reported";
    EXPECT_EQ(table.LastIndex, 1) << "nothing is reloaded under the dialog";
    EXPECT_EQ(table[1].ScreenName, "旧");
    Select(1);
    Ui().width->stepDown();
    CloseWithBack();

    EXPECT_EQ(window->CommStatus(), kReloaded);
    EXPECT_EQ(table.LastIndex, 1) << "the dialog saved the count it showed";
    EXPECT_EQ(table[1].ScreenName, "新");
    EXPECT_EQ(table[1].Width, 240);
    EXPECT_TRUE(ConfigLines().contains("显示屏名称=新"));
    EXPECT_TRUE(ConfigLines().contains("横向点数=240"));
}

// Closing deletes stored pages only when the operator says so; "否" keeps the dialog open, and a size
// put back (or a change of the link alone) keeps the pages.
TEST_F(ScreenSettingsTest, ClosingAsksBeforeDeletingPagesAndNoKeepsThemAll)
{
    WriteScreenOneWithPages(3);
    Start();
    const QByteArray pageFile = ReadFile("Tavrel1.dat");
    const QByteArray config = ReadFile("SysConfig.ini");
    OpenSettings();
    Ui().width->stepUp();
    prompt.answers.enqueue(PromptButton::No);
    QTest::mouseClick(Ui().back, Qt::LeftButton);
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0].text,
              "显示屏的尺寸、颜色或控制卡已改变，关闭后以下数据页将被删除：\n1号显示屏：主区 3 页，字幕 0 页\n继续吗？");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pageFile);
    EXPECT_EQ(ReadFile("SysConfig.ini"), config);

    // Put back, with the link changed as well: nothing to delete, nothing asked.
    Ui().width->stepDown();
    TypePort(Ui().port, "COM4");
    CloseWithBack();
    EXPECT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pageFile);
    EXPECT_EQ(table[0].Areas[0], "主区");
    EXPECT_EQ(table[0].ComPort, 4);

    // Changed again and confirmed: the pages go as before.
    OpenSettings();
    Ui().width->stepUp();
    prompt.answers.enqueue(PromptButton::Yes);
    CloseWithBack();
    EXPECT_EQ(prompt.questions.size(), 2);
    EXPECT_FALSE(Exists("Tavrel1.dat"));
    EXPECT_EQ(table[0].Areas[0], "");
}

// Whatever makes the closing save fail, the operator is told and the dialog stays open with the edits.
TEST_F(ScreenSettingsTest, FailedSaveKeepsTheDialogOpen)
{
    WriteScreens(1);
    Start();
    OpenSettings();
    QTest::mouseClick(Ui().add, Qt::LeftButton);
    Ui().width->stepDown();
    const QByteArray config = ReadFile("SysConfig.ini");
    // A configuration that cannot be read cannot be written key by key either.
    ASSERT_TRUE(QFile::remove(ConfigPath()));
    ASSERT_TRUE(QDir(Path(".")).mkdir("SysConfig.ini"));
    QTest::mouseClick(Ui().back, Qt::LeftButton);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].text.startsWith("无法保存配置文件")) << prompt.messages[0].text.toStdString();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(table.LastIndex, 1);
    EXPECT_EQ(table[1].Width, 240);

    ASSERT_TRUE(QDir(Path(".")).rmdir("SysConfig.ini"));
    WriteFile("SysConfig.ini", config);
    CloseWithBack();
    EXPECT_TRUE(ConfigLines().contains("显示屏数目=1"));
    EXPECT_TRUE(ConfigLines().contains("横向点数=240"));
}

TEST(SerialPortNames, DevicesWithACommNumberAreShownAsCom)
{
    qputenv("PELVORO_COM7", "/dev/pts/9");
    EXPECT_EQ(SerialPortName("/dev/pts/9"), "COM7");
    EXPECT_EQ(SerialPortName("/dev/ttyS0"), "COM1");
    EXPECT_EQ(SerialPortName("/dev/ttyS6"), "/dev/ttyS6") << "COM7 names another device";
    EXPECT_EQ(SerialPortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    qunsetenv("PELVORO_COM7");
    EXPECT_EQ(SerialPortName("/dev/ttyS6"), "COM7");
}

} // namespace
} // namespace pelvoro::test
