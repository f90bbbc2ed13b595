// The command map: the menu bar and the toolbar, and what each item starts.
#include "app/main_window.h"

#include "app/screen_panel.h"
#include "base/prompt.h"

#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace pelvoro {

void Tfrmmain::NotAvailableYet(const QString &caption)
{
    prompt_.Message(QStringLiteral("“%1”功能尚未提供。").arg(caption), QStringLiteral("提示"), PromptIcon::Information);
}

namespace {

// Freedesktop icon names of the toolbar buttons; the desktop's theme draws them, else the Tango
// theme that the set-up installs.
const QHash<QString, QString> &ToolIconNames()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("打开"), QStringLiteral("document-open")},
        {QStringLiteral("保存"), QStringLiteral("document-save")},
        {QStringLiteral("预览"), QStringLiteral("media-playback-start")},
        {QStringLiteral("修饰"), QStringLiteral("preferences-desktop-theme")},
        {QStringLiteral("表格"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("文本"), QStringLiteral("accessories-text-editor")},
        {QStringLiteral("画图"), QStringLiteral("applications-graphics")},
        {QStringLiteral("开屏"), QStringLiteral("video-display")},
        {QStringLiteral("关屏"), QStringLiteral("system-shutdown")},
        {QStringLiteral("群发"), QStringLiteral("mail-send-receive")},
        {QStringLiteral("连接IP"), QStringLiteral("network-wired")},
        {QStringLiteral("广播"), QStringLiteral("network-wireless")},
    };
    return names;
}

constexpr int kToolIconSize = 22;

} // namespace

void Tfrmmain::BuildCommands()
{
    // Without a desktop (a bare X server) Qt knows neither a theme nor where themes lie.
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString &dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory)) {
        if (!searchPaths.contains(dir))
            searchPaths.append(dir);
    }
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setFallbackThemeName(QStringLiteral("Tango"));
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("Tango"));
    // Hints are tooltips only: a status tip would cover both status panels.
    auto toolButton = [this](const QString &caption, const QString &hint, std::function<void()> handler) {
        QAction *action = toolbar_->addAction(QIcon::fromTheme(ToolIconNames().value(caption)), caption);
        action->setObjectName(caption);
        action->setToolTip(hint.isEmpty() ? caption : hint);
        connect(action, &QAction::triggered, this, [handler] { handler(); });
        commands_.insert(caption, action);
        return action;
    };
    auto notYet = [this](const QString &caption) { return [this, caption] { NotAvailableYet(caption); }; };

    toolbar_ = addToolBar(QStringLiteral("工具栏"));
    toolbar_->setObjectName(QStringLiteral("ToolBar"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(kToolIconSize, kToolIconSize));
    // Packed tight: the whole bar has to fit the window at its smallest width.
    toolbar_->layout()->setSpacing(0);
    toolbar_->setContentsMargins(0, 0, 0, 0);
    toolButton(QStringLiteral("打开"), QStringLiteral("载入显示文件"), [this] { OpenProject(); });
    toolButton(QStringLiteral("保存"), QStringLiteral("保存显示文件"), [this] { SaveProject(); });
    toolbar_->addSeparator();
    toolButton(QStringLiteral("预览"), QStringLiteral("显示预览"), [this] {
        ToggleEffectPreview();
    })->setEnabled(false);
    toolbar_->addSeparator();
    QAction *decorate = toolButton(QStringLiteral("修饰"), QStringLiteral("修饰"), [] {});
    auto *decorations = new QMenu(this);
    for (const QString &item : {QStringLiteral("空心"), QStringLiteral("轮廓"), QStringLiteral("阴影")}) {
        QAction *action = decorations->addAction(item, this, notYet(item));
        commands_.insert(QStringLiteral("修饰/") + item, action);
    }
    decorate->setMenu(decorations);
    if (auto *button = qobject_cast<QToolButton *>(toolbar_->widgetForAction(decorate)))
        button->setPopupMode(QToolButton::InstantPopup);
    toolbar_->addSeparator();
    toolButton(QStringLiteral("表格"), QStringLiteral("表格编辑"), [this] { OpenTableEditor(); });
    toolButton(QStringLiteral("文本"), QStringLiteral("写字板编辑"), [this] { OpenTextEditor(); });
    toolButton(QStringLiteral("画图"), QString(), [this] {
        const QStringList programs = {QStringLiteral("pbrush.exe"), QStringLiteral("mspaint.exe"),
                                      QStringLiteral("kolourpaint"), QStringLiteral("pinta")};
        for (const QString &program : programs) {
            if (QProcess::startDetached(program, {}))
                return;
        }
        // Otherwise the button would seem broken: the operator learns what to install.
        prompt_.Message(QStringLiteral("没有找到画图程序（已查找：%1）").arg(programs.join(QStringLiteral("、"))),
                        QStringLiteral("提示"), PromptIcon::Warning);
    });
    toolbar_->addSeparator();
    toolButton(QStringLiteral("开屏"), QStringLiteral("打开显示"), [this] { PowerOn(); });
    toolButton(QStringLiteral("关屏"), QStringLiteral("关闭显示"), [this] { PowerOff(); });
    toolbar_->addSeparator();
    toolButton(QStringLiteral("群发"), QStringLiteral("群发所有屏"), [this] { GroupSend(); });
    toolButton(QStringLiteral("连接IP"), QString(), [this] { ConnectIp(); });
    QAction *broadcast = toolButton(QStringLiteral("广播"), QString(), [] {});
    broadcast->setCheckable(true);
    connect(broadcast, &QAction::triggered, this, [this](bool down) { broadcastFlag_ = down; });

    // The menu bar; several items do what a toolbar button or panel button does.
    auto menu = [this](const QString &caption) {
        QMenu *m = menuBar()->addMenu(caption);
        m->setObjectName(caption);
        menus_.insert(caption, m);
        return m;
    };
    auto item = [this](QMenu *m, const QString &caption, std::function<void()> handler) {
        QAction *action = m->addAction(caption);
        connect(action, &QAction::triggered, this, [handler] { handler(); });
        commands_.insert(m->title() + QLatin1Char('/') + caption, action);
        return action;
    };
    auto same = [this](const QString &toolCaption) {
        return [this, toolCaption] { commands_.value(toolCaption)->trigger(); };
    };
    // A menu item that does what a toolbar button does shows its icon.
    auto sameItem = [&](QMenu *m, const QString &caption, const QString &toolCaption) {
        QAction *action = item(m, caption, same(toolCaption));
        action->setIcon(commands_.value(toolCaption)->icon());
        return action;
    };

    QMenu *file = menu(QStringLiteral("文件"));
    sameItem(file, QStringLiteral("打开..."), QStringLiteral("打开"));
    sameItem(file, QStringLiteral("保存"), QStringLiteral("保存"));
    item(file, QStringLiteral("退出"), [this] { close(); });

    QMenu *control = menu(QStringLiteral("控制"));
    item(control, QStringLiteral("播放"), [] {})->setEnabled(false);
    item(control, QStringLiteral("停止"), [] {});
    // The menu items stay usable while the buttons wait for a serial transfer to close.
    item(control, QStringLiteral("发送数据"), [this] { SendAll(); });
    item(control, QStringLiteral("校准时间"), [this] { SyncClock(); });
    sameItem(control, QStringLiteral("打开屏幕"), QStringLiteral("开屏"));
    sameItem(control, QStringLiteral("关闭屏幕"), QStringLiteral("关屏"));
    item(control, QStringLiteral("发送定时"), [this] { SendSchedule(); });
    item(control, QStringLiteral("取消定时"), [this] { CancelSchedule(); });
    item(control, QStringLiteral("选择发送"), [this] { OpenSendSelection(); });

    QMenu *settings = menu(QStringLiteral("设置"));
    item(settings, QStringLiteral("设置屏参"), [this] { OpenScreenSettings(); });
    item(settings, QStringLiteral("重置屏参"), [this] { ResetScreenParams(); });
    item(settings, QStringLiteral("户外配置"), [this] { OpenOutdoorConfig(); });
    item(settings, QStringLiteral("用户管理"), [this] { ManageUsers(); });

    QMenu *user = menu(QStringLiteral("用户"));
    item(user, QStringLiteral("用户登录"), [this] { LoginUser(); });
    item(user, QStringLiteral("用户退出"), [this] { Initialise(); });

    QMenu *test = menu(QStringLiteral("测试"));
    for (const QString &caption : {QStringLiteral("全屏黑"), QStringLiteral("全屏黄"), QStringLiteral("全屏红"),
                                   QStringLiteral("全屏绿"), QStringLiteral("正斜线"), QStringLiteral("负斜线"),
                                   QStringLiteral("网格线"), QStringLiteral("交叉线"), QStringLiteral("退出测试")})
        item(test, caption, [this, caption] { SendTestPattern(caption); });

    QMenu *help = menu(QStringLiteral("帮助"));
    item(help, QStringLiteral("关于..."), [this] { ShowAbout(); });
    item(help, QStringLiteral("加载FPGA"), [this] { LoadFpga(); })->setVisible(false);
}

} // namespace pelvoro
