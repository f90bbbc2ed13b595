// "预览": the main-area pages play in the preview window with their entry effects until "停止".
#include "app/main_window.h"

#include "app/main_area_panel.h"
#include "app/screen_panel.h"
#include "base/prompt.h"
#include "pages/effect_player.h"
#include "pages/ui/preview_window.h"

#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace pelvoro {
namespace {

constexpr int kMoveOutOfTheWay = 385;
// The window comes back from the preview at this size, whatever it had before.
constexpr QSize kSizeAfterPreview(540, 478);

const QStringList &CommandsLockedWhilePlaying()
{
    static const QStringList captions = {QStringLiteral("连接IP"), QStringLiteral("打开"), QStringLiteral("保存"),
                                         QStringLiteral("修饰"),   QStringLiteral("文本"), QStringLiteral("画图"),
                                         QStringLiteral("开屏"),   QStringLiteral("关屏"), QStringLiteral("群发"),
                                         QStringLiteral("表格")};
    return captions;
}

const QStringList &MenusLockedWhilePlaying()
{
    static const QStringList captions = {QStringLiteral("文件"), QStringLiteral("控制"), QStringLiteral("设置"),
                                         QStringLiteral("用户"), QStringLiteral("帮助")};
    return captions;
}

} // namespace

void Tfrmmain::ToggleEffectPreview()
{
    if (effectRunning_)
        StopEffectPreview();
    else
        StartEffectPreview();
}

void Tfrmmain::StartEffectPreview()
{
    if (!preview_ || mainPanel_->CurrentPage() == 0)
        return;
    const int screen = mainPanel_->ListedScreen();
    for (const QString &caption : CommandsLockedWhilePlaying())
        commands_.value(caption)->setEnabled(false);
    for (const QString &caption : MenusLockedWhilePlaying())
        menus_.value(caption)->setEnabled(false);
    treePanel_->hide();
    statusBar()->hide();
    for (QWidget *panel : WorkPanels())
        panel->hide();

    preview_->DropSelection(true);
    player_ = std::make_unique<EffectPlayer>(table_, screen);
    effectRunning_ = true;
    titleTimer_.stop();
    effectTimer_.start(player_->Timing().tickMs);
    move(pos() + QPoint(0, kMoveOutOfTheWay));
}

void Tfrmmain::OnEffectTimer()
{
    if (!effectRunning_)
        return;
    QAction *previewAction = commands_.value(QStringLiteral("预览"));
    previewAction->setText(QStringLiteral("停止"));
    const int page = mainPanel_->CurrentPage();
    const EffectPlayer::Tick tick = player_->Step(page, mainPanel_->CurrentEntry().effect, preview_->MainAreaImage());
    preview_->RefreshMainArea();
    if (!tick.read.Ok()) {
        // The file went away or is damaged: stop rather than play nothing forever.
        StopEffectPreview();
        if (tick.read.IsError())
            prompt_.Message(tick.read.message, QStringLiteral("提示"), PromptIcon::Error);
        return;
    }
    if (tick.finished)
        mainPanel_->SelectPage(page >= mainPanel_->PageCount() ? 1 : page + 1);
}

void Tfrmmain::StopEffectPreview()
{
    if (!effectRunning_)
        return;
    effectTimer_.stop();
    effectRunning_ = false;
    player_.reset();
    commands_.value(QStringLiteral("预览"))->setText(QStringLiteral("预览"));
    // The current page is shown whole again.
    if (mainPanel_->CurrentPage() > 0)
        mainPanel_->SelectPage(mainPanel_->CurrentPage());
    move(pos() - QPoint(0, kMoveOutOfTheWay));
    resize(kSizeAfterPreview);
    for (const QString &caption : CommandsLockedWhilePlaying())
        commands_.value(caption)->setEnabled(true);
    for (const QString &caption : MenusLockedWhilePlaying())
        menus_.value(caption)->setEnabled(true);
    treePanel_->show();
    statusBar()->show();
    ShowPanels({screenPanel_});
    if (QTreeWidgetItem *first = tree_->topLevelItem(0)) {
        SelectFromCode(first);
        TreemainClick(first);
    }
}

} // namespace pelvoro
