#include "app/main_area_panel.h"

#include "app/schedule_tab.h"
#include "base/prompt.h"
#include "comm/ui/glyph_download_tab.h"
#include "config/config_store.h"
#include "pages/data_files.h"
#include "pages/effect_lists.h"
#include "pages/page_schedules.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

QToolButton *ListButton(QWidget *parent, const char *name, const QString &text, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

// Busy cursor for the duration of a page read.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

MainAreaPanel::MainAreaPanel(ScreenTable &table, Prompt &prompt, QWidget *parent)
    : QWidget(parent), table_(table), prompt_(prompt)
{
    setObjectName(QStringLiteral("Panelmain"));
    auto *layout = new QHBoxLayout(this);

    listBox_ = new QGroupBox(this);
    auto *listLayout = new QVBoxLayout(listBox_);
    pageList_ = new QTreeWidget(listBox_);
    pageList_->setObjectName(QStringLiteral("TreeViewfile"));
    pageList_->setHeaderHidden(true);
    pageList_->setRootIsDecorated(false);
    listLayout->addWidget(pageList_);
    auto *buttons = new QHBoxLayout;
    add_ = ListButton(listBox_, "SButtonfileadd", QStringLiteral("+"), QStringLiteral("添加数据页"));
    remove_ = ListButton(listBox_, "SButtondec", QStringLiteral("-"), QStringLiteral("删除数据页"));
    up_ = ListButton(listBox_, "SButtonfileup", QStringLiteral("↑"), QStringLiteral("数据页上移"));
    down_ = ListButton(listBox_, "SButtonfiledown", QStringLiteral("↓"), QStringLiteral("数据页下移"));
    for (QToolButton *button : {add_, remove_, up_, down_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    listLayout->addLayout(buttons);
    layout->addWidget(listBox_, 1);

    deleteMenu_ = new QMenu(remove_);
    deleteMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    deleteOne_ = deleteMenu_->addAction(QStringLiteral("删除当前页"));
    deleteOne_->setObjectName(QStringLiteral("deldan"));
    deleteAll_ = deleteMenu_->addAction(QStringLiteral("删除所有页"));
    deleteAll_->setObjectName(QStringLiteral("delall"));
    remove_->setMenu(deleteMenu_);
    remove_->setPopupMode(QToolButton::InstantPopup);
    SetPageButtonsEnabled(false);

    tabs_ = new QTabWidget(this);
    auto *effects = new QWidget(tabs_);
    auto *form = new QFormLayout(effects);
    effect_ = new QComboBox(effects);
    effect_->setObjectName(QStringLiteral("Comb_InMode"));
    speed_ = new QSpinBox(effects);
    speed_->setObjectName(QStringLiteral("SpEdt_RunSpeed"));
    speed_->setRange(0, kMaxSpeed);
    dwell_ = new QSpinBox(effects);
    dwell_->setObjectName(QStringLiteral("SpEdt_ShowTime"));
    dwell_->setRange(0, 255);
    following_ = new QCheckBox(QStringLiteral("设置以下页相同"), effects);
    following_->setObjectName(QStringLiteral("CheckBox1"));
    send_ = new QPushButton(QStringLiteral("发送主区"), effects);
    send_->setObjectName(QStringLiteral("Button1"));
    form->addRow(QStringLiteral("显示方式"), effect_);
    form->addRow(QStringLiteral("运行速度"), speed_);
    form->addRow(QStringLiteral("停留时间"), dwell_);
    form->addRow(following_);
    form->addRow(send_);
    tabs_->addTab(effects, QStringLiteral("显示特效"));
    tabs_->addTab(new ScheduleTab(*this, prompt_, tabs_), QStringLiteral("定时播放"));
    // "计时设置" stays hidden; its "下载字模" tab is the only way to the glyph download.
    auto *timing = new QTabWidget(tabs_);
    timing->addTab(new GlyphDownloadTab(timing), QStringLiteral("下载字模"));
    tabs_->setTabVisible(tabs_->addTab(timing, QStringLiteral("计时设置")), false);
    layout->addWidget(tabs_, 1);

    pageList_->viewport()->installEventFilter(this);
    connect(pageList_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { OnCurrentItemChanged(current); });
    connect(pageList_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem *item) { OnItemPressed(item); });
    connect(effect_, &QComboBox::currentIndexChanged, this, &MainAreaPanel::OnEffectChanged);
    connect(speed_, &QSpinBox::valueChanged, this, &MainAreaPanel::OnSpeedChanged);
    connect(dwell_, &QSpinBox::valueChanged, this, &MainAreaPanel::OnDwellChanged);
    connect(following_, &QCheckBox::toggled, this, &MainAreaPanel::OnFollowingToggled);
    connect(deleteOne_, &QAction::triggered, this, &MainAreaPanel::DeleteCurrentPage);
    connect(deleteAll_, &QAction::triggered, this, &MainAreaPanel::DeleteAllPagesOfScreen);
    connect(up_, &QToolButton::clicked, this, [this] { Move(MoveDirection::Up); });
    connect(down_, &QToolButton::clicked, this, [this] { Move(MoveDirection::Down); });
    connect(send_, &QPushButton::clicked, this, &MainAreaPanel::Send);
    connect(add_, &QToolButton::clicked, this, &MainAreaPanel::AddPagesRequested);
    // An edit counts only once the operator has entered it since the last click in the programme
    // tree; values set while a page is selected do not.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (!now)
            return;
        if (now == speed_ || speed_->isAncestorOf(now))
            speedEntered_ = true;
        if (now == dwell_ || dwell_->isAncestorOf(now))
            dwellEntered_ = true;
    });
}

void MainAreaPanel::SetScreenCaption(int screenIndex)
{
    listBox_->setTitle(QString::number(screenIndex + 1) + QStringLiteral("号屏主区文件列表"));
}

void MainAreaPanel::RefreshPageList(int screenIndex)
{
    const bool sameScreen = screenIndex == screen_;
    screen_ = screenIndex;
    const int count = StoredPageCount(screenIndex);
    const QList<PageListNode> nodes = PageListNodes(ConfigStore().Read(), screenIndex, count);
    {
        const QSignalBlocker blocker(pageList_);
        pageList_->clear();
        for (const PageListNode &node : nodes) {
            auto *item = new QTreeWidgetItem(pageList_, {node.text});
            item->setData(0, kNodeImageRole, node.scheduled ? 1 : 0);
            item->setIcon(0,
                          style()->standardIcon(node.scheduled ? QStyle::SP_FileDialogInfoView : QStyle::SP_FileIcon));
        }
    }
    if (!sameScreen || currentPage_ > count) {
        currentPage_ = 0;
        SetPageButtonsEnabled(false);
    }
    if (count == 0) {
        // No page to show: the controls show what a new page gets, not another screen's page.
        FillEffects();
        loading_ = true;
        effect_->setCurrentIndex(0);
        speed_->setValue(1);
        dwell_->setValue(1);
        loading_ = false;
    }
    MarkNode(currentPage_);
}

int MainAreaPanel::PageCount() const
{
    return pageList_->topLevelItemCount();
}

void MainAreaPanel::ClearEnteredFlags()
{
    speedEntered_ = false;
    dwellEntered_ = false;
}

void MainAreaPanel::MarkNode(int page)
{
    const QSignalBlocker blocker(pageList_);
    QTreeWidgetItem *item = page >= 1 ? pageList_->topLevelItem(page - 1) : nullptr;
    pageList_->setCurrentItem(item);
}

bool MainAreaPanel::eventFilter(QObject *watched, QEvent *event)
{
    // A press on another node changes the current node (and is handled there); a press on the
    // current node changes nothing but still selects the page again.
    if (watched == pageList_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        QTreeWidgetItem *item = pageList_->itemAt(press->position().toPoint());
        pressOnCurrent_ = item && item == pageList_->currentItem();
    }
    return QWidget::eventFilter(watched, event);
}

void MainAreaPanel::OnCurrentItemChanged(QTreeWidgetItem *current)
{
    if (current)
        SelectPage(pageList_->indexOfTopLevelItem(current) + 1);
}

void MainAreaPanel::OnItemPressed(QTreeWidgetItem *item)
{
    const bool again = pressOnCurrent_;
    pressOnCurrent_ = false;
    if (again && item)
        SelectPage(pageList_->indexOfTopLevelItem(item) + 1);
}

void MainAreaPanel::FillEffects()
{
    if (screen_ < 0 || screen_ >= kMaxScreens)
        return; // no screen listed: nothing to take the card type from
    const auto effects = EffectList(table_[screen_].CardType);
    if (!effects)
        return; // an unknown card type keeps whatever the selector shows
    QStringList shown;
    for (int i = 0; i < effect_->count(); ++i)
        shown.append(effect_->itemText(i));
    if (shown == *effects)
        return;
    const QSignalBlocker blocker(effect_);
    effect_->clear();
    effect_->addItems(*effects);
}

void MainAreaPanel::SelectPage(int page)
{
    if (screen_ < 0 || page < 1 || page > PageCount())
        return;
    MarkNode(page);
    FillEffects();
    currentPage_ = page;
    PageRead read;
    {
        const BusyCursor busy;
        read = ReadPage(table_, screen_, page);
    }
    if (!read.Ok()) {
        Report(read);
        // A damaged file can still be cleared out.
        if (read.status == PageStatus::Damaged)
            deleteAll_->setEnabled(true);
        return;
    }
    entry_ = read.entry;
    loading_ = true;
    effect_->setCurrentIndex(entry_.effect < effect_->count() ? entry_.effect : -1);
    speed_->setValue(entry_.speed);
    dwell_->setValue(entry_.dwell);
    loading_ = false;
    Q_EMIT PageShown(screen_, page, read.image);
    SetPageButtonsEnabled(true);
}

void MainAreaPanel::OnEffectChanged(int index)
{
    if (loading_ || index < 0 || currentPage_ < 1)
        return;
    entry_.effect = index;
    WriteEntry();
}

void MainAreaPanel::OnSpeedChanged(int value)
{
    if (loading_ || !speedEntered_ || currentPage_ < 1)
        return;
    entry_.speed = value;
    WriteEntry();
}

void MainAreaPanel::OnDwellChanged(int value)
{
    if (loading_ || !dwellEntered_ || currentPage_ < 1)
        return;
    entry_.dwell = value;
    WriteEntry();
}

void MainAreaPanel::OnFollowingToggled(bool checked)
{
    // Ticking copies the current values to this and every following page; unticking writes nothing.
    if (checked && currentPage_ >= 1)
        WriteEntry();
}

void MainAreaPanel::WriteEntry()
{
    const PageResult result = following_->isChecked()
                                  ? WritePageEntries(table_, screen_, currentPage_, PageCount(), entry_)
                                  : WritePageEntry(table_, screen_, currentPage_, entry_);
    if (Report(result))
        Q_EMIT PagesChanged(screen_);
}

void MainAreaPanel::DeleteCurrentPage()
{
    if (screen_ < 0 || currentPage_ < 1)
        return;
    const int page = currentPage_;
    const int count = PageCount();
    ConfigStore config;
    const PageResult result = DeletePage(table_, screen_, page, config);
    Report(result);
    if (result.Ok() && count == 1)
        deleteAll_->setEnabled(false);
    currentPage_ = 0;
    RefreshPageList(screen_);
    Q_EMIT PagesChanged(screen_);
    deleteOne_->setEnabled(false);
    add_->setEnabled(true);
    if (PageCount() > 0)
        SelectPage(std::min(page, PageCount()));
    else
        SetPageButtonsEnabled(false);
}

void MainAreaPanel::DeleteAllPagesOfScreen()
{
    if (screen_ < 0)
        return;
    ConfigStore config;
    Report(DeleteAllPages(table_, screen_, config));
    currentPage_ = 0;
    RefreshPageList(screen_);
    Q_EMIT PagesChanged(screen_);
    SetPageButtonsEnabled(false);
    add_->setEnabled(true);
}

void MainAreaPanel::Move(MoveDirection direction)
{
    if (screen_ < 0 || currentPage_ < 1)
        return;
    const int page = currentPage_;
    const int count = PageCount();
    const PageResult result = MovePage(table_, screen_, page, direction);
    if (!Report(result))
        return;
    RefreshPageList(screen_);
    Q_EMIT PagesChanged(screen_);
    const int target = direction == MoveDirection::Up ? page - 1 : page + 1;
    if (target >= 1 && target <= PageCount())
        SelectPage(target);
    if (direction == MoveDirection::Up)
        up_->setEnabled(page != 1);
    else
        down_->setEnabled(page != count);
}

void MainAreaPanel::Send()
{
    if (PageCount() == 0) {
        prompt_.Message(QStringLiteral("没有添加文件页,请添加文件页!"), QStringLiteral("提示"),
                        PromptIcon::Information);
        return;
    }
    Q_EMIT SendRequested();
}

bool MainAreaPanel::Report(const PageResult &result)
{
    if (result.IsError())
        prompt_.Message(result.message, QStringLiteral("提示"),
                        result.status == PageStatus::Refused ? PromptIcon::Information : PromptIcon::Error);
    return result.Ok();
}

void MainAreaPanel::SetPageButtonsEnabled(bool enabled)
{
    deleteOne_->setEnabled(enabled);
    deleteAll_->setEnabled(enabled);
    up_->setEnabled(enabled);
    down_->setEnabled(enabled);
}

} // namespace pelvoro
