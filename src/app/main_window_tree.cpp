// The programme tree of screens and their areas, the add-area menu and what a click on a node does.
#include "app/main_window.h"

#include "app/clock_panel.h"
#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "app/title_panel.h"
#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/area_operations.h"
#include "pages/data_files.h"
#include "pages/ui/preview_window.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

constexpr int kScreenRole = Qt::UserRole;     // screen index of a node (its parent's for an area)
constexpr int kIsAreaRole = Qt::UserRole + 1; // true on area nodes

// Node pictures: 0 the screen, 1 main, 2 temperature, 3 clock, 4 subtitle.
QIcon TreeImage(int image)
{
    static const QColor colours[] = {QColor(40, 40, 40), QColor(220, 0, 0), QColor(0, 150, 0), QColor(230, 160, 0),
                                     QColor(0, 90, 200)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[image]);
    if (image == 0)
        painter.drawRect(1, 3, 14, 10);
    else
        painter.drawEllipse(3, 3, 10, 10);
    return QIcon(pixmap);
}

QToolButton *PanelButton(QWidget *parent, const QString &text, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

// Adding or removing an area resets the screen's files, and the pages go with them: one question
// when that takes pages the operator did not name. `change` is "添加区域" or "删除区域".
bool PagesMayGo(Prompt &prompt, const QString &change, const ScreenPageCounts &pages)
{
    if (!pages.Any())
        return true;
    QStringList lost;
    if (pages.main > 0)
        lost << QStringLiteral("主区的 %1 个数据页").arg(pages.main);
    if (pages.subtitle > 0)
        lost << QStringLiteral("字幕区的 %1 个字幕页").arg(pages.subtitle);
    const QString text = QStringLiteral("%1后，%2将被删除。继续吗？").arg(change, lost.join(QStringLiteral("和")));
    return prompt.Ask(text, QStringLiteral("提示"), int(PromptButton::Yes) | int(PromptButton::No)) ==
           PromptButton::Yes;
}

} // namespace

QWidget *Tfrmmain::BuildTreePanel()
{
    treePanel_ = new QWidget(this);
    treePanel_->setObjectName(QStringLiteral("Paneltree"));
    treePanel_->setFixedWidth(180);
    auto *layout = new QVBoxLayout(treePanel_);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("节目管理"), treePanel_), 1);
    QToolButton *add = PanelButton(treePanel_, QStringLiteral("+"), QStringLiteral("添加显示区域"));
    add->setObjectName(QStringLiteral("AddAreaButton"));
    QToolButton *remove = PanelButton(treePanel_, QStringLiteral("-"), QStringLiteral("删除显示区域"));
    remove->setObjectName(QStringLiteral("RemoveAreaButton"));
    header->addWidget(add);
    header->addWidget(remove);
    layout->addLayout(header);
    tree_ = new QTreeWidget(treePanel_);
    tree_->setObjectName(QStringLiteral("Treemain"));
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(tree_, 1);

    connect(add, &QToolButton::clicked, this, &Tfrmmain::PopupAddAreaMenu);
    connect(remove, &QToolButton::clicked, this, &Tfrmmain::RemoveSelectedArea);
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { TreemainClick(item); });
    // Arrow keys move the selection like a click does; selections made by code do not.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current && !selectingFromCode_ && tree_->hasFocus() && !(QApplication::mouseButtons() & Qt::LeftButton))
            TreemainClick(current);
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { ShowScreenSummary(table_.CurrentScreen); });
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this] { LoadCounters(store_, table_.CurrentScreen, counters_); });
    return treePanel_;
}

void Tfrmmain::BuildAddAreaMenu()
{
    addAreaMenu_ = new QMenu(this);
    auto add = [this](QMenu *menu, const QString &caption, AreaKind kind) {
        QAction *action = menu->addAction(caption);
        connect(action, &QAction::triggered, this, [this, kind] { AddArea(kind); });
        return action;
    };
    clockMenu_ = addAreaMenu_->addMenu(QStringLiteral("添加时钟"));
    add(clockMenu_, QStringLiteral("固定显示"), AreaKind::FixedClock);
    add(clockMenu_, QStringLiteral("贴图显示"), AreaKind::PictureClock);
    temperatureMenu_ = addAreaMenu_->addMenu(QStringLiteral("添加温度"));
    add(temperatureMenu_, QStringLiteral("固定显示"), AreaKind::FixedTemperature);
    add(temperatureMenu_, QStringLiteral("贴图显示"), AreaKind::PictureTemperature);
    add(addAreaMenu_, QStringLiteral("添加主区"), AreaKind::Main);
    titleMenu_ = addAreaMenu_->addMenu(QStringLiteral("添加字幕"));
    add(titleMenu_, QStringLiteral("小字幕"), AreaKind::SmallTitle);
    add(titleMenu_, QStringLiteral("大字幕"), AreaKind::BigTitle);

    for (QMenu *menu : {clockMenu_, temperatureMenu_}) {
        connect(menu, &QMenu::aboutToShow, this, [this] {
            menuState_.OnClockOrTemperatureMenu(table_[table_.CurrentScreen]);
            ApplyMenuState();
        });
    }
    connect(titleMenu_, &QMenu::aboutToShow, this, [this] {
        menuState_.OnTitleMenu(table_[table_.CurrentScreen]);
        ApplyMenuState();
    });
}

void Tfrmmain::ApplyMenuState()
{
    for (QMenu *menu : {clockMenu_, temperatureMenu_}) {
        menu->actions().at(0)->setEnabled(menuState_.fixedEnabled);
        menu->actions().at(1)->setEnabled(menuState_.pictureEnabled);
    }
    titleMenu_->actions().at(0)->setEnabled(menuState_.smallTitleEnabled);
    titleMenu_->actions().at(1)->setEnabled(menuState_.bigTitleEnabled);
}

void Tfrmmain::PopupAddAreaMenu()
{
    addAreaMenu_->popup(pos() + QPoint(125, 110));
}

void Tfrmmain::SelectFromCode(QTreeWidgetItem *item)
{
    selectingFromCode_ = true;
    tree_->setCurrentItem(item);
    selectingFromCode_ = false;
}

QTreeWidgetItem *Tfrmmain::ScreenItem(int screen) const
{
    return tree_->topLevelItem(screen);
}

void Tfrmmain::BuildTree(int n, int s)
{
    tree_->clear();
    areaNodes_.fill(nullptr);
    for (int i = 0; i <= n; ++i) {
        auto *screenNode = new QTreeWidgetItem(tree_,
                                               {QString::number(i + 1) + QStringLiteral("号") + table_[i].ScreenName});
        screenNode->setIcon(0, TreeImage(0));
        screenNode->setData(0, kScreenRole, i);
        screenNode->setData(0, kIsAreaRole, false);
        for (const QString &slot : table_[i].Areas) {
            const auto kind = AreaKindFromText(slot);
            if (slot.isEmpty())
                continue;
            auto *areaNode = new QTreeWidgetItem(screenNode, {slot});
            // A slot text the station does not know is shown as it is stored, without a picture.
            if (kind)
                areaNode->setIcon(0, TreeImage(AreaTreeImage(*kind)));
            areaNode->setData(0, kScreenRole, i);
            areaNode->setData(0, kIsAreaRole, true);
            if (kind && i == s)
                areaNodes_[size_t(CategoryOf(*kind))] = areaNode;
        }
    }
    tree_->expandAll();
    if (QTreeWidgetItem *first = ScreenItem(0))
        SelectFromCode(first);
}

void Tfrmmain::SwitchToScreen(int screen)
{
    if (screen == table_.CurrentScreen)
        return;
    table_.CurrentScreen = screen;
    RefreshLists(screen);
    ShowCommStatus(lastExchange_.value(screen, kNoExchangeStatus));
}

void Tfrmmain::ApplyLinkCommands(int screen, bool areaNode)
{
    QAction *connectIp = commands_.value(QStringLiteral("连接IP"));
    QAction *groupSend = commands_.value(QStringLiteral("群发"));
    if (IsNetworkScreen(table_[screen])) {
        // Selecting a network screen connects to it, as "连接IP" does.
        ConnectIp();
        connectIp->setEnabled(true);
        if (areaNode)
            groupSend->setEnabled(true);
    } else {
        connectIp->setEnabled(false);
        groupSend->setEnabled(true);
    }
}

void Tfrmmain::TreemainClick(QTreeWidgetItem *item)
{
    if (!item)
        return;
    commands_.value(QStringLiteral("预览"))->setEnabled(false);
    mainPanel_->ClearEnteredFlags();
    const int j = item->data(0, kScreenRole).toInt();
    if (!item->data(0, kIsAreaRole).toBool()) {
        SwitchToScreen(j);
        ApplyLinkCommands(j, false);
        Q_EMIT PreviewRedrawRequested(j);
        ShowScreenSummary(j);
        ShowPanels({screenPanel_});
        titleTimer_.start();
        return;
    }
    commands_.value(QStringLiteral("群发"))->setEnabled(false);
    SwitchToScreen(j);
    ApplyLinkCommands(j, true);
    Q_EMIT PreviewRedrawRequested(j);
    table_.CurrentScreen = j;
    ShowScreenSummary(j);
    titleTimer_.stop();
    ClickArea(j, item->text(0));
}

void Tfrmmain::ClickArea(int j, const QString &kindText)
{
    const auto kind = AreaKindFromText(kindText);
    if (!kind)
        return;
    switch (CategoryOf(*kind)) {
    case AreaCategory::Main:
        commands_.value(QStringLiteral("预览"))->setEnabled(true);
        // Each screen has its own capacity: a full screen does not keep the others from adding.
        mainPanel_->AddButton()->setEnabled(mainPanel_->PageCount() < MaxPages(table_[j]));
        ShowPanels({screenPanel_, mainPanel_});
        mainPanel_->SetScreenCaption(j);
        mainPanel_->PageList()->setFocus();
        break;
    case AreaCategory::Clock:
    case AreaCategory::Temperature:
        ShowPanels({clockPanel_});
        clockPanel_->SetScreenCaptions(j);
        clockPanel_->Load(table_[j]);
        clockPanel_->EnableFor(CategoryOf(*kind) == AreaCategory::Temperature);
        clockPanel_->setFocus();
        // Overlaid samples are easier to judge on an empty face.
        if (preview_ && !HasFixedBand(table_[j])) {
            preview_->ImgScreen()->hide();
            preview_->ImgTitle()->hide();
        }
        break;
    case AreaCategory::Title:
        titlePanel_->SetAddingEnabled(titlePanel_->PageCount() < MaxTitlePages(table_[j]));
        titlePanel_->SetCapacity(MaxTitlePages(table_[j]));
        titlePanel_->SetScreenCaptions(j, table_[j].TitleHeight);
        ShowPanels({titlePanel_});
        titlePanel_->setFocus();
        break;
    }
}

void Tfrmmain::AddArea(AreaKind kind)
{
    const int screen = table_.CurrentScreen;
    AreaOperations operations(table_, store_);
    const AreaChangeEffect effect = operations.PreviewAdd(screen, kind);
    if (effect.proceeds && !PagesMayGo(prompt_, QStringLiteral("添加区域"), effect.unasked))
        return;
    const AreaOperationResult result = operations.Add(screen, kind);
    if (result.outcome == AddAreaOutcome::Refused) {
        prompt_.Message(result.refusal.message, QStringLiteral("提示"),
                        result.refusal.warningBox ? PromptIcon::Warning : PromptIcon::None);
        return;
    }
    menuState_.OnChosen(kind);
    ApplyMenuState();
    if (result.outcome == AddAreaOutcome::AlreadyPresent)
        return;
    if (!result.saved)
        ReportSaveFailure();
    RefreshLists(screen);
    BuildTree(table_.LastIndex, screen);
    if (QTreeWidgetItem *node = areaNodes_[size_t(CategoryOf(kind))])
        SelectFromCode(node);
    Q_EMIT PreviewRedrawRequested(screen);
}

void Tfrmmain::RemoveSelectedArea()
{
    QTreeWidgetItem *item = tree_->currentItem();
    if (!item || !item->data(0, kIsAreaRole).toBool())
        return;
    const auto kind = AreaKindFromText(item->text(0));
    if (!kind)
        return;
    const int i = item->data(0, kScreenRole).toInt();
    const int pageCount = StoredPageCount(i);
    AreaOperations operations(table_, store_);
    const AreaChangeEffect effect = operations.PreviewRemove(i, *kind);
    if (effect.proceeds && !PagesMayGo(prompt_, QStringLiteral("删除区域"), effect.unasked))
        return;
    const AreaOperationResult result = operations.Remove(i, *kind, pageCount);
    if (!result.removed)
        return;
    switch (CategoryOf(*kind)) {
    case AreaCategory::Main:
        ShowPanels({screenPanel_});
        break;
    case AreaCategory::Temperature:
    case AreaCategory::Clock:
        if (CategoryOf(*kind) == AreaCategory::Temperature)
            clockPanel_->SetTemperatureControlsEnabled(false);
        else
            clockPanel_->SetClockControlsEnabled(false);
        if (!HasClock(table_[i]) && !HasTemperature(table_[i])) {
            ShowPanels({screenPanel_});
            menuState_.OnClockAndTemperatureGone();
            ApplyMenuState();
        }
        break;
    case AreaCategory::Title:
        if (QFile::exists(AppFile(SubtitleFileName(i)))) {
            QFile::remove(AppFile(SubtitleFileName(i)));
            titlePanel_->TextEdit()->clear();
        }
        ShowPanels({screenPanel_});
        break;
    }
    delete item;
    RefreshLists(i);
    if (!result.saved)
        ReportSaveFailure();
    Q_EMIT PreviewRedrawRequested(table_.CurrentScreen);
}

} // namespace pelvoro
