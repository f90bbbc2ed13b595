#include "users/ui/login_dialogs.h"

#include "base/prompt.h"
#include "config/config_store.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace pelvoro {
namespace {

QLineEdit *MaskedField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

} // namespace

PasswordDialog::PasswordDialog(Prompt &prompt, const QString &caption, const QString &label, QWidget *parent)
    : QDialog(parent), prompt_(prompt)
{
    setWindowTitle(caption);
    firstPage_ = new QWidget(this);
    auto *layout = new QVBoxLayout(firstPage_);
    if (!label.isEmpty())
        layout->addWidget(new QLabel(label, firstPage_));
    field_ = MaskedField(firstPage_);
    layout->addWidget(field_);
    auto *buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("确定"), firstPage_);
    close_ = new QPushButton(QStringLiteral("关闭"), firstPage_);
    ok_->setDefault(true);
    buttons->addWidget(ok_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(firstPage_);
    connect(ok_, &QPushButton::clicked, this, &PasswordDialog::Confirm);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    field_->setFocus();
}

void PasswordDialog::Enter(const QString &text)
{
    field_->setText(text);
    ok_->click();
}

void PasswordDialog::Confirm()
{
    if (Check(field_->text()))
        return;
    prompt_.Message(kWrongPasswordText, QStringLiteral("提示"), PromptIcon::Question);
    // The next attempt is typed at once, into this dialog.
    field_->clear();
    activateWindow();
    field_->setFocus();
}

LoginDialog::LoginDialog(const UserSettings &users, Prompt &prompt, QWidget *parent)
    : PasswordDialog(prompt, QStringLiteral("用户登录"), QString(), parent), users_(users)
{
    setObjectName(QStringLiteral("LoginDialog"));
}

bool LoginDialog::Check(const QString &typed)
{
    const LoginRole role = CheckLogin(typed, users_);
    if (role == LoginRole::None)
        return false;
    accept();
    Q_EMIT LoggedIn(role);
    return true;
}

AccessCodeDialog::AccessCodeDialog(AccessPurpose purpose, Prompt &prompt, QWidget *parent)
    : PasswordDialog(prompt, QStringLiteral("输入设置密码"), QString(), parent), purpose_(purpose)
{
    setObjectName(QStringLiteral("AccessCodeDialog"));
}

bool AccessCodeDialog::Check(const QString &typed)
{
    const AccessOutcome outcome = CheckAccessCode(typed, purpose_);
    if (outcome == AccessOutcome::Wrong)
        return false;
    accept();
    Q_EMIT Unlocked(outcome);
    return true;
}

UserManagementDialog::UserManagementDialog(ConfigStore &store, Prompt &prompt, QWidget *parent)
    : PasswordDialog(prompt, QStringLiteral("用户管理设置"), QStringLiteral("输入管理员密码"), parent), store_(store),
      users_(LoadUsers(store))
{
    setObjectName(QStringLiteral("UserManagementDialog"));
    // The first page moves into a stack whose second page holds the settings.
    pages_ = new QStackedWidget(this);
    layout()->removeWidget(FirstPage());
    pages_->addWidget(FirstPage());
    layout()->addWidget(pages_);

    auto *second = new QWidget(pages_);
    auto *grid = new QGridLayout(second);
    adminLabel_ = new QLabel(QStringLiteral("修改管理员密码"), second);
    operatorLabel_ = new QLabel(QStringLiteral("修改操作员密码"), second);
    admin_ = MaskedField(second);
    operator_ = MaskedField(second);
    noLogin_ = new QCheckBox(QStringLiteral("取消管理权限"), second);
    apply_ = new QPushButton(QStringLiteral("确定"), second);
    auto *close = new QPushButton(QStringLiteral("关闭"), second);
    grid->addWidget(adminLabel_, 0, 0);
    grid->addWidget(admin_, 0, 1);
    grid->addWidget(operatorLabel_, 1, 0);
    grid->addWidget(operator_, 1, 1);
    grid->addWidget(noLogin_, 2, 0, 1, 2);
    grid->addWidget(apply_, 3, 0);
    grid->addWidget(close, 3, 1);
    pages_->addWidget(second);
    connect(noLogin_, &QCheckBox::toggled, this, &UserManagementDialog::FollowNoLogin);
    connect(apply_, &QPushButton::clicked, this, &UserManagementDialog::Apply);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

bool UserManagementDialog::OnSecondPage() const
{
    return pages_->currentIndex() == 1;
}

bool UserManagementDialog::Check(const QString &typed)
{
    if (!AcceptsAdministrator(typed, users_))
        return false;
    admin_->setText(users_.AdminPassword);
    operator_->setText(users_.OperatorPassword);
    noLogin_->setChecked(users_.NoLogin);
    FollowNoLogin();
    pages_->setCurrentIndex(1);
    apply_->setDefault(true);
    return true;
}

void UserManagementDialog::FollowNoLogin()
{
    const bool enabled = !noLogin_->isChecked();
    for (QWidget *widget : {static_cast<QWidget *>(adminLabel_), static_cast<QWidget *>(operatorLabel_),
                            static_cast<QWidget *>(admin_), static_cast<QWidget *>(operator_)})
        widget->setEnabled(enabled);
}

void UserManagementDialog::Apply()
{
    UserSettings users = users_;
    users.NoLogin = noLogin_->isChecked();
    // An emptied field keeps its password: none can be made empty here.
    if (!admin_->text().isEmpty())
        users.AdminPassword = admin_->text();
    if (!operator_->text().isEmpty())
        users.OperatorPassword = operator_->text();
    if (const QString refusal = UsersRefusal(users); !refusal.isEmpty()) {
        prompt_.Message(refusal, QStringLiteral("提示"), PromptIcon::Warning);
        return;
    }
    if (!SaveUsers(store_, users)) {
        prompt_.Message(store_.SaveFailureMessage(), QStringLiteral("提示"), PromptIcon::Error);
        return;
    }
    accept();
    Q_EMIT Applied();
}

} // namespace pelvoro
