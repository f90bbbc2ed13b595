// What an operator sees of the main window itself: the panel in use covers the others, every
// control stays readable at the smallest size, the status panels stay, the toolbar's icons, Qt's
// own dialogs in Chinese, the place beside the preview and the end of the program.
#include "main_window_fixture.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/qt_prompt.h"
#include "app/schedule_tab.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "app/window_placement.h"
#include "pages/ui/preview_window.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>

#include <functional>

namespace pelvoro::test {
namespace {

const QStringList kToolButtons = {"打开", "保存", "预览", "修饰", "表格",   "文本",
                                  "画图", "开屏", "关屏", "群发", "连接IP", "广播"};

class MainWindowLayoutTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteFile("SysConfig.ini", GbkLines({"[0号屏参数]", "第一区域=主区", "第二区域=固定时钟", "第三区域=小字幕",
                                             "时钟区域高=16", "主区域高=96"}));
        Start();
    }
    QWidget *WorkArea() const { return window->Panelface()->parentWidget(); }

    TFrmdisplay preview{table};
};

// Pixels of the screen panel's own pictures: the LED matrix and the green "Pelvoro" heading.
int ScreenPanelPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            count += p == 0xFF2828 || p == 0xFFC800 || p == 0x00A000;
        }
    }
    return count;
}

TEST_F(MainWindowLayoutTest, PanelInUseCoversTheOthersAndTheProgressBarComesToTheFront)
{
    ASSERT_GT(ScreenPanelPixels(WorkArea()->grab().toImage()), 100); // the screen panel itself
    const std::pair<int, QWidget *> areas[] = {
        {0, window->Panelmain()}, {1, window->Panelother()}, {2, window->Title()}};
    for (const auto &[slot, panel] : areas) {
        Click(AreaNode(0, slot));
        ASSERT_TRUE(panel->isVisible());
        EXPECT_EQ(ScreenPanelPixels(WorkArea()->grab().toImage()), 0) << panel->objectName().toStdString();
    }
    // A send started from the clock panel shows its progress over it.
    QProgressBar *bar = window->Panelface()->ProgressBar();
    bar->show();
    bar->raise();
    EXPECT_TRUE(bar->isVisible());
    const QPoint centre = bar->mapTo(WorkArea(), bar->rect().center());
    EXPECT_EQ(WorkArea()->childAt(centre), bar);
    bar->hide();
}

TEST_F(MainWindowLayoutTest, StatusPanelsStayWhileAHintShows)
{
    for (const QString &caption : kToolButtons) {
        EXPECT_TRUE(window->Command(caption)->statusTip().isEmpty()) << caption.toStdString();
        EXPECT_FALSE(window->Command(caption)->toolTip().isEmpty()) << caption.toStdString();
    }
    EXPECT_EQ(window->Command("打开")->toolTip(), "载入显示文件");
    window->ShowCommStatus(QStringLiteral("状态：向1号显示屏发送主区成功！"));
    QStatusTipEvent hint(QStringLiteral("hint"));
    QApplication::sendEvent(window.get(), &hint);
    EXPECT_TRUE(window->SummaryLabel()->isVisible());
    int shown = 0;
    for (QLabel *label : window->statusBar()->findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("状态：向1号显示屏发送主区成功！"))
            shown += label->isVisible();
    }
    EXPECT_EQ(shown, 1);
}

TEST_F(MainWindowLayoutTest, ToolbarShowsIconsWithCaptionsAndMenusTheSameIcons)
{
    if (QIcon::fromTheme(QStringLiteral("document-open")).isNull())
        GTEST_SKIP() << "no freedesktop icon theme installed (the set-up installs tango-icon-theme)";
    EXPECT_EQ(window->Toolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    for (const QString &caption : kToolButtons)
        EXPECT_FALSE(window->Command(caption)->icon().isNull()) << caption.toStdString();
    const std::pair<const char *, const char *> same[] = {
        {"文件/打开...", "打开"}, {"文件/保存", "保存"}, {"控制/打开屏幕", "开屏"}, {"控制/关闭屏幕", "关屏"}};
    for (const auto &[item, button] : same)
        EXPECT_EQ(window->Command(item)->icon().name(), window->Command(button)->icon().name()) << item;
}

TEST_F(MainWindowLayoutTest, ExitEndsTheApplicationAndThePreview)
{
    window->SetPreview(&preview);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    prompt.answers.enqueue(PromptButton::Ok);
    QTimer::singleShot(0, window.get(), [this] { window->Command("文件/退出")->trigger(); });
    QTimer guard; // a program that does not end fails here instead of hanging
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(preview.isVisible());
}

// Each screen's main area shows its own state: the add button by its own capacity, and the
// attributes of its own pages or, without pages, those a new page gets.
using MainAreaSelectionTest = MainWindowTest;

TEST_F(MainAreaSelectionTest, AddButtonAndAttributesFollowTheSelectedScreen)
{
    QImage page(64, 16, QImage::Format_RGB32);
    page.fill(Qt::black);
    WriteMainAreaScreen({{page, 3}});
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1", "[0号屏参数]", "横向点数=64", "纵向点数=16",
                                         "第一区域=主区", "主区域高=16", "[1号屏参数]", "横向点数=64", "纵向点数=16",
                                         "第一区域=主区", "主区域高=16"}));
    Start();
    auto *effect = window->Panelmain()->findChild<QComboBox *>(QStringLiteral("Comb_InMode"));
    ASSERT_NE(effect, nullptr);
    Click(AreaNode(0, 0));
    window->Panelmain()->SelectPage(1);
    EXPECT_EQ(effect->currentIndex(), 3);
    window->Panelmain()->AddButton()->setEnabled(false); // as when a conversion filled screen 1

    Click(AreaNode(1, 0));
    EXPECT_TRUE(window->Panelmain()->AddButton()->isEnabled());
    EXPECT_EQ(effect->currentIndex(), 0);
}

TEST(QtTranslationTest, DialogButtonsSpeakChinese)
{
    const QString file = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
    if (!QFile::exists(file))
        GTEST_SKIP() << file.toStdString() << " is not installed (Debian: qt6-translations-l10n)";
    ASSERT_TRUE(InstallQtTranslation());
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "取消");
    // The other tests read Qt's own texts in English.
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

TEST(StationLocaleTest, CalendarsSpeakChineseWhateverTheSystem)
{
    const QLocale before;
    UseStationLocale();
    QDateEdit picker;
    picker.setCalendarPopup(true);
    EXPECT_EQ(picker.calendarWidget()->locale().language(), QLocale::Chinese);
    EXPECT_EQ(picker.calendarWidget()->locale().dayName(1), "星期一");
    QLocale::setDefault(before); // the other tests read Qt's own texts in English
}

TEST(MainWindowPlacementTest, BesideThePreviewInsideTheDesktop)
{
    const QRect desktop(0, 0, 1600, 1000);
    const struct {
        QRect preview;
        QSize window;
        QPoint expected;
    } cases[] = {
        {{0, 0, 256, 64}, {800, 560}, {256, 0}},     // right of a small preview
        {{0, 0, 1024, 256}, {800, 560}, {0, 256}},   // below a wide one
        {{0, 0, 1024, 600}, {800, 560}, {800, 0}},   // neither fits: the side with more room, pulled in
        {{0, 0, 1400, 700}, {800, 560}, {0, 440}},   // more room below: below, pulled in
    };
    for (const auto &c : cases) {
        const QPoint at = MainWindowPosition(desktop, c.preview, c.window);
        EXPECT_EQ(at, c.expected) << c.preview.width() << "x" << c.preview.height();
    }
    // A desktop with a panel on top starts lower.
    EXPECT_EQ(MainWindowPosition(QRect(0, 30, 1600, 970), QRect(0, 30, 1024, 256), QSize(800, 560)), QPoint(0, 286));
}

// The window manager's frames count: the title bars and close boxes stay on the desktop and the
// main window's frame does not cover the preview's when there is room beside it.
TEST(MainWindowPlacementTest, FramesGoInsideTheDesktopBesideEachOther)
{
    const QMargins none;
    const QMargins decorated(1, 20, 1, 1); // a title bar and a thin border
    const struct {
        QRect desktop;
        QSize preview;
        QMargins frame;
        QRect previewAt, mainAt; // client areas
    } cases[] = {
        {{0, 0, 1920, 1080}, {256, 64}, none, {0, 0, 256, 64}, {256, 0, 800, 560}},
        {{0, 0, 1920, 1080}, {256, 64}, decorated, {1, 20, 256, 64}, {259, 20, 800, 560}},
        {{0, 0, 1024, 768}, {256, 64}, decorated, {1, 20, 256, 64}, {1, 105, 800, 560}}, // below: no room right
        {{0, 30, 1024, 738}, {256, 64}, decorated, {1, 50, 256, 64}, {1, 135, 800, 560}}, // a panel on top
        {{0, 0, 1024, 768}, {768, 192}, decorated, {1, 20, 768, 192}, {1, 207, 800, 560}}, // neither: pulled in
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.desktop.height() << " " << c.preview.width() << " " << c.frame.top());
        const StartupGeometry at = PlaceStartupWindows(c.desktop, c.preview, c.frame, QSize(800, 560), c.frame);
        EXPECT_EQ(at.preview, c.previewAt);
        EXPECT_EQ(at.main, c.mainAt);
        EXPECT_TRUE(c.desktop.contains(at.preview.marginsAdded(c.frame)));
        EXPECT_TRUE(c.desktop.contains(at.main.marginsAdded(c.frame)));
    }
}

// Controls of `root` that a squeezed layout spoils: a text (label, button, box) narrower than its
// text, a field smaller than its smallest size, or a control reaching outside `root`.
QStringList SpoiltControls(QWidget *root)
{
    QStringList spoilt;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
            continue;
        const bool text = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w);
        const bool field = qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                           || qobject_cast<QLineEdit *>(w);
        if (!text && !field)
            continue;
        const QSize needed = text ? w->sizeHint() : w->minimumSizeHint();
        const QRect inRoot(w->mapTo(root, QPoint(0, 0)), w->size());
        if (w->width() < needed.width() || w->height() < needed.height() || !root->rect().contains(inRoot)) {
            spoilt << QStringLiteral("%1 \"%2\" %3x%4 needs %5x%6")
                          .arg(w->metaObject()->className(), w->property("text").toString())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(needed.width())
                          .arg(needed.height());
        }
    }
    return spoilt;
}

TEST_F(MainWindowLayoutTest, SmallestWindowKeepsEveryControlWholeAndTheWholeToolbar)
{
    window->resize(200, 100);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(540, 478)) << "nothing smaller than the size after the effect preview";

    auto *toolbar = window->findChild<QToolBar *>(QStringLiteral("ToolBar"));
    ASSERT_NE(toolbar, nullptr);
    for (const QString &caption : kToolButtons) {
        QWidget *button = toolbar->widgetForAction(window->findChild<QAction *>(caption));
        ASSERT_NE(button, nullptr) << caption.toStdString();
        EXPECT_TRUE(button->isVisible() && toolbar->rect().contains(button->geometry())) << caption.toStdString();
    }
    for (auto *more : toolbar->findChildren<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        EXPECT_FALSE(more->isVisible()) << "the toolbar overflows";

    auto *tabs = window->Panelmain()->findChild<QTabWidget *>();
    ASSERT_NE(tabs, nullptr);
    const struct {
        const char *what;
        std::function<void()> show;
    } views[] = {
        {"screen", [] {}},
        {"main area, effects", [&] { Click(AreaNode(0, 0)); tabs->setCurrentIndex(0); }},
        {"main area, schedule", [&] { Click(AreaNode(0, 0)); tabs->setCurrentIndex(1); }},
        {"main area, schedule by weekday",
         [&] {
             Click(AreaNode(0, 0));
             tabs->setCurrentIndex(1);
             qobject_cast<ScheduleTab *>(tabs->currentWidget())->WeekMode()->click();
         }},
        {"clock", [&] { Click(AreaNode(0, 1)); }},
        {"subtitle", [&] { Click(AreaNode(0, 2)); }},
    };
    for (const auto &view : views) {
        view.show();
        QApplication::processEvents();
        EXPECT_EQ(SpoiltControls(window->centralWidget()), QStringList()) << view.what;
    }
}

TEST_F(MainWindowLayoutTest, ClockAlignmentStaysUnderTheClockControls)
{
    window->resize(900, 900);
    Click(AreaNode(0, 1));
    QApplication::processEvents();
    auto *send = window->Panelother()->findChild<QWidget *>(QStringLiteral("SendClock"));
    auto *alignment = window->Panelother()->findChild<QWidget *>(QStringLiteral("RadioGrouptimer1"));
    ASSERT_TRUE(send && alignment);
    const int sendBottom = send->mapTo(window->Panelother(), QPoint(0, send->height())).y();
    const int alignmentTop = alignment->mapTo(window->Panelother(), QPoint(0, 0)).y();
    EXPECT_GE(alignmentTop, sendBottom);
    EXPECT_LE(alignmentTop - sendBottom, 24) << "the group floats in the middle of a tall panel";
}

} // namespace
} // namespace pelvoro::test
