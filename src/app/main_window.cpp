#include "app/main_window.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "config/identity.h"
#include "pages/effect_player.h"
#include "pages/rich_layout.h"
#include "pages/ui/preview_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace pelvoro {
namespace {

// The four work panels lie on top of each other and fill the work area; each one paints its own
// background, so the one on top hides those beneath. The send operations' progress bar lies over
// the bottom of whichever panel is in use. The area is never smaller than its largest panel needs.
class WorkArea : public QWidget {
public:
    using QWidget::QWidget;
    void SetOverlay(QWidget *overlay) { overlay_ = overlay; }

    QSize minimumSizeHint() const override
    {
        QSize size;
        for (const QWidget *panel : Panels())
            size = size.expandedTo(panel->minimumSizeHint()).expandedTo(panel->minimumSize());
        return size;
    }
    QSize sizeHint() const override { return minimumSizeHint(); }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        for (QWidget *panel : Panels())
            panel->setGeometry(rect());
        if (overlay_) {
            const int height = overlay_->sizeHint().height();
            overlay_->setGeometry(0, rect().bottom() + 1 - height, width(), height);
        }
    }

private:
    QList<QWidget *> Panels() const
    {
        QList<QWidget *> panels;
        for (QObject *child : children()) {
            auto *panel = qobject_cast<QWidget *>(child);
            if (panel && panel != overlay_ && !panel->isWindow())
                panels.append(panel);
        }
        return panels;
    }

    QWidget *overlay_ = nullptr;
};

constexpr int kTitleTickMs = 500;
constexpr int kSummaryPanelWidth = 174;
// The size the window returns to after the effect preview: every control stays readable down to it.
constexpr QSize kSmallestWindow(540, 478);

} // namespace

Tfrmmain::Tfrmmain(ScreenTable &table, Prompt &prompt, QWidget *parent, LinkTimings timings)
    : QMainWindow(parent), table_(table), prompt_(prompt), timings_(timings), layout_(std::make_unique<RichLayout>())
{
    setObjectName(QStringLiteral("Tfrmmain"));
    setMinimumSize(kSmallestWindow);
    resize(800, 560);

    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(BuildTreePanel());
    workArea_ = new WorkArea(central);
    screenPanel_ = new ScreenPanel(workArea_);
    mainPanel_ = new MainAreaPanel(table_, prompt_, workArea_);
    clockPanel_ = new ClockPanel(workArea_);
    titlePanel_ = new TitlePanel(table_, prompt_, workArea_);
    for (QWidget *panel : WorkPanels())
        panel->setAutoFillBackground(true);
    screenPanel_->ProgressBar()->setParent(workArea_);
    screenPanel_->ProgressBar()->hide();
    static_cast<WorkArea *>(workArea_)->SetOverlay(screenPanel_->ProgressBar());
    layout->addWidget(workArea_, 1);
    setCentralWidget(central);

    // Both panels stay: hints are tooltips, never status messages over them.
    summary_ = new QLabel(this);
    summary_->setFixedWidth(kSummaryPanelWidth);
    commStatus_ = new QLabel(kNoExchangeStatus, this);
    commStatus_->setMinimumWidth(1); // a long message is cut, it does not widen the window
    statusBar()->addPermanentWidget(summary_);
    statusBar()->addPermanentWidget(commStatus_, 1);

    serial_ = new SerialLink(prompt_, timings_.serial, this);
    net_ = new NetLink(table_, prompt_, timings_.net, this);

    BuildCommands();
    BuildAddAreaMenu();
    ConnectLinks();
    ConnectSchedules();
    ConnectMaintenance();
    WatchConfig();
    connect(mainPanel_, &MainAreaPanel::AddPagesRequested, this, &Tfrmmain::AddDataPages);
    connect(clockPanel_, &ClockPanel::ClockChanged, this, [this] {
        clockPanel_->StoreClock(table_[table_.CurrentScreen]);
        SaveAndShowClock();
    });
    connect(clockPanel_, &ClockPanel::TemperatureChanged, this, [this] {
        clockPanel_->StoreTemperature(table_[table_.CurrentScreen]);
        SaveAndShowClock();
    });

    titleTimer_.setInterval(kTitleTickMs);
    connect(&titleTimer_, &QTimer::timeout, this, &Tfrmmain::OnTitleTimer);
    effectTimer_.setTimerType(Qt::PreciseTimer);
    connect(&effectTimer_, &QTimer::timeout, this, &Tfrmmain::OnEffectTimer);

    Initialise();
    titleTimer_.start();
}

Tfrmmain::~Tfrmmain()
{
    // The links outlive the window's members; nothing they report may reach a window half gone.
    serial_->disconnect(this);
    net_->disconnect(this);
    runner_->disconnect(this);
}

void Tfrmmain::Initialise()
{
    broadcastFlag_ = false;
    commands_.value(QStringLiteral("广播"))->setChecked(false);
    EnterAppDir();
    store_ = ConfigStore();
    LoadScreenTable(store_, table_);
    lastExchange_.clear(); // the screens may be others now (an opened project)
    BuildTree(table_.LastIndex, table_.CurrentScreen);
    RefreshLists(table_.CurrentScreen);
    ShowPanels({screenPanel_});
    users_ = LoadUsers(store_);
    ApplyLoginGate();
    UpdateTitle();
}

void Tfrmmain::ApplyLoginGate()
{
    // Both states are set in full: a re-initialisation may follow a login, a lock or the other
    // setting. Without login everything is usable as at start-up; with it only "用户", "测试" and
    // "帮助" until someone logs in.
    const bool locked = !users_.NoLogin;
    menus_.value(QStringLiteral("用户"))->menuAction()->setVisible(locked);
    for (const QString &caption : {QStringLiteral("文件"), QStringLiteral("控制"), QStringLiteral("设置")})
        menus_.value(caption)->menuAction()->setVisible(!locked);
    toolbar_->setEnabled(!locked);
    // "预览" waits for a click on a main area, as at start-up.
    for (QAction *action : toolbar_->actions())
        action->setEnabled(!locked && action != commands_.value(QStringLiteral("预览")));
    treePanel_->setEnabled(!locked);
    for (QWidget *panel : WorkPanels())
        panel->setEnabled(!locked);
    // The login dialog opens once on the next activation; after a logout or an opened project the
    // window is active already, so it is looked at once more when this event is done.
    loginDue_ = locked;
    if (locked)
        QTimer::singleShot(0, this, &Tfrmmain::OpenLoginWhenDue);
}

void Tfrmmain::UpdateTitle()
{
    const QString name = ReadIdentity(store_).softwareName;
    setWindowTitle(users_.NoLogin ? name : name + QStringLiteral("(未登录)"));
}

void Tfrmmain::ShowScreenSummary(int index)
{
    const ScreenInfo &s = table_[index];
    QString text = QString::number(index + 1) + QStringLiteral("号屏 ");
    if (s.CardType == kCardZpKq)
        text += QStringLiteral("ZP-KQ卡 ");
    text += QString::number(s.Width) + QLatin1Char('x') + QString::number(s.Height);
    text += s.ColorMode == 0 ? QStringLiteral(" 单色") : QStringLiteral(" 双色");
    summary_->setText(text);
}

void Tfrmmain::ShowCommStatus(const QString &text)
{
    commStatus_->setText(text);
}

void Tfrmmain::ShowExchangeStatus(int screen, const QString &text)
{
    lastExchange_.insert(screen, text);
    if (screen == table_.CurrentScreen)
        ShowCommStatus(text);
}

QString Tfrmmain::CommStatus() const
{
    return commStatus_->text();
}

void Tfrmmain::OnTitleTimer()
{
    animation_.Tick();
    screenPanel_->SloganFirst()->setText(animation_.First());
    screenPanel_->SloganSecond()->setText(animation_.Second());
    Q_EMIT ClockTick();
}

std::array<QWidget *, 4> Tfrmmain::WorkPanels() const
{
    return {screenPanel_, mainPanel_, clockPanel_, titlePanel_};
}

void Tfrmmain::ShowPanels(std::initializer_list<QWidget *> panels)
{
    for (QWidget *panel : WorkPanels()) {
        if (std::find(panels.begin(), panels.end(), panel) == panels.end())
            panel->hide();
    }
    // The last one named lies on top and is the one in use.
    for (QWidget *panel : panels) {
        panel->show();
        panel->raise();
    }
}

void Tfrmmain::ReportSaveFailure()
{
    prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
}

void Tfrmmain::SaveAndShowClock()
{
    if (!store_.SaveScreens(table_, table_.LastIndex))
        ReportSaveFailure();
    ShowClockText();
}

void Tfrmmain::RefreshLists(int screen)
{
    mainPanel_->RefreshPageList(screen);
    titlePanel_->RefreshSubtitleList(screen);
}

void Tfrmmain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    runner_->Reset();
}

void Tfrmmain::closeEvent(QCloseEvent *event)
{
    const PromptButton answer = prompt_.Ask(QStringLiteral("你确定要退出系统吗? "), QStringLiteral("提示"),
                                            int(PromptButton::Ok) | int(PromptButton::Cancel), PromptIcon::Question);
    if (answer != PromptButton::Ok) {
        event->ignore();
        return;
    }
    event->accept();
    // The application ends here: the preview and any other window go with it.
    if (preview_)
        preview_->close();
    QCoreApplication::quit();
}

QPoint MainWindowPosition(const QRect &desktop, const QRect &preview, const QSize &window)
{
    // Right of the preview when the window fits there, else below it; always inside the desktop.
    const QPoint right(preview.right() + 1, desktop.top());
    const QPoint below(desktop.left(), preview.bottom() + 1);
    const bool fitsRight = right.x() + window.width() <= desktop.right() + 1;
    const bool fitsBelow = below.y() + window.height() <= desktop.bottom() + 1;
    bool useRight = fitsRight;
    if (!fitsRight && !fitsBelow) // the side with more room
        useRight = desktop.right() - preview.right() > desktop.bottom() - preview.bottom();
    QPoint chosen = useRight ? right : below;
    const int lastX = std::max(desktop.left(), desktop.right() + 1 - window.width());
    const int lastY = std::max(desktop.top(), desktop.bottom() + 1 - window.height());
    chosen.setX(std::clamp(chosen.x(), desktop.left(), lastX));
    chosen.setY(std::clamp(chosen.y(), desktop.top(), lastY));
    return chosen;
}

} // namespace pelvoro
