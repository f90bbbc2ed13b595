// Login, logout, user management, the access-code dialog and the software identity's windows.
#include "app/main_window.h"

#include "base/prompt.h"
#include "config/identity.h"
#include "users/ui/identity_dialogs.h"
#include "users/ui/login_dialogs.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

namespace pelvoro {
namespace {

// The toolbar buttons a login enables; "连接IP" and "群发" follow the next click in the tree.
const QStringList kLoginButtons = {QStringLiteral("打开"), QStringLiteral("保存"), QStringLiteral("预览"),
                                   QStringLiteral("表格"), QStringLiteral("修饰"), QStringLiteral("文本"),
                                   QStringLiteral("画图"), QStringLiteral("开屏"), QStringLiteral("关屏"),
                                   QStringLiteral("广播")};

template <typename Dialog>
Dialog *OpenDialog(Dialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

} // namespace

void Tfrmmain::LoginUser()
{
    loginDue_ = false;
    auto *dialog = OpenDialog(new LoginDialog(users_, prompt_, this));
    connect(dialog, &LoginDialog::LoggedIn, this, &Tfrmmain::UnlockFor);
}

void Tfrmmain::UnlockFor(LoginRole role)
{
    toolbar_->setEnabled(true);
    for (const QString &caption : kLoginButtons)
        commands_.value(caption)->setEnabled(true);
    treePanel_->setEnabled(true);
    for (QWidget *panel : WorkPanels())
        panel->setEnabled(true);
    menus_.value(QStringLiteral("文件"))->menuAction()->setVisible(true);
    menus_.value(QStringLiteral("控制"))->menuAction()->setVisible(true);
    menus_.value(QStringLiteral("设置"))->menuAction()->setVisible(role == LoginRole::Administrator);
    const QString name = ReadIdentity(store_).softwareName;
    setWindowTitle(name + (role == LoginRole::Administrator ? QStringLiteral("(管理员登录)")
                                                            : QStringLiteral("(操作员登录)")));
}

void Tfrmmain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        OpenLoginWhenDue();
}

void Tfrmmain::OpenLoginWhenDue()
{
    // Once per initialisation, and never over another modal window: the main window is activated
    // again when that one closes, and the login opens then.
    if (!loginDue_ || !isActiveWindow() || QApplication::activeModalWidget())
        return;
    LoginUser();
}

void Tfrmmain::ManageUsers()
{
    auto *dialog = OpenDialog(new UserManagementDialog(store_, prompt_, this));
    connect(dialog, &UserManagementDialog::Applied, this, &Tfrmmain::Initialise);
}

bool Tfrmmain::RequestAccess(AccessPurpose purpose)
{
    if (!users_.NoLogin || accessGranted_ == purpose)
        return true;
    auto *dialog = OpenDialog(new AccessCodeDialog(purpose, prompt_, this));
    connect(dialog, &AccessCodeDialog::Unlocked, this,
            [this, purpose](AccessOutcome outcome) { OnAccessCode(purpose, outcome); });
    return false;
}

void Tfrmmain::OnAccessCode(AccessPurpose purpose, AccessOutcome outcome)
{
    switch (outcome) {
    case AccessOutcome::Settings:
    case AccessOutcome::Outdoor:
        if (outcome == AccessOutcome::Outdoor)
            prompt_.Message(kOutdoorWarningText, QStringLiteral("提示"), PromptIcon::Question);
        // The command asks again and is let through this once.
        accessGranted_ = purpose;
        outcome == AccessOutcome::Settings ? OpenScreenSettings() : OpenOutdoorConfig();
        accessGranted_.reset();
        return;
    case AccessOutcome::Identity:
        prompt_.Message(kIdentityVersionText, QStringLiteral("提示"), PromptIcon::Question);
        OpenDialog(new TFrmadministrator(store_, prompt_, this));
        return;
    case AccessOutcome::ChangeLog:
        prompt_.Message(kChangeLogText, QStringLiteral("提示"), PromptIcon::Question);
        // Shown for the rest of the run: no initialisation hides it again.
        commands_.value(QStringLiteral("帮助/加载FPGA"))->setVisible(true);
        return;
    case AccessOutcome::Wrong:
        return;
    }
}

void Tfrmmain::ShowAbout()
{
    // The bare name, whoever is logged in, until the next title change.
    setWindowTitle(ReadIdentity(store_).softwareName);
    OpenDialog(new Tfrmabout(store_, prompt_, this));
}

} // namespace pelvoro
