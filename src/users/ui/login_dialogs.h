#pragma once

#include "users/access_codes.h"
#include "users/user_settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace pelvoro {

class ConfigStore;
class Prompt;

// A masked field with "确定" (the default button) and "关闭": the base of the three small dialogs
// that check a typed password or code. A wrong text says so, empties the field and focuses it.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit *Field() const { return field_; }
    QPushButton *OkButton() const { return ok_; }
    QPushButton *CloseButton() const { return close_; }
    // Types `text` and presses "确定", as the operator does.
    void Enter(const QString &text);

protected:
    PasswordDialog(Prompt &prompt, const QString &caption, const QString &label, QWidget *parent);
    // What "确定" does with the typed text; false for a wrong one.
    virtual bool Check(const QString &typed) = 0;
    // The first page of the dialog, where subclasses may add a second one.
    QWidget *FirstPage() const { return firstPage_; }

    Prompt &prompt_;

private:
    void Confirm();

    QWidget *firstPage_;
    QLineEdit *field_;
    QPushButton *ok_;
    QPushButton *close_;
};

// "用户登录": the administrator's password (or the master code) logs in as administrator, else the
// operator's as operator.
class LoginDialog : public PasswordDialog {
    Q_OBJECT
public:
    LoginDialog(const UserSettings &users, Prompt &prompt, QWidget *parent = nullptr);

Q_SIGNALS:
    void LoggedIn(LoginRole role);

protected:
    bool Check(const QString &typed) override;

private:
    UserSettings users_;
};

// "输入设置密码": the fixed codes, checked for the purpose of the menu command that opened it.
class AccessCodeDialog : public PasswordDialog {
    Q_OBJECT
public:
    AccessCodeDialog(AccessPurpose purpose, Prompt &prompt, QWidget *parent = nullptr);
    AccessPurpose Purpose() const { return purpose_; }

Q_SIGNALS:
    // Emitted after the dialog closed.
    void Unlocked(AccessOutcome outcome);

protected:
    bool Check(const QString &typed) override;

private:
    AccessPurpose purpose_;
};

// "用户管理设置": the administrator's password first, then the two passwords and the login switch.
class UserManagementDialog : public PasswordDialog {
    Q_OBJECT
public:
    UserManagementDialog(ConfigStore &store, Prompt &prompt, QWidget *parent = nullptr);

    bool OnSecondPage() const;
    QLineEdit *AdminField() const { return admin_; }
    QLineEdit *OperatorField() const { return operator_; }
    QCheckBox *NoLoginBox() const { return noLogin_; }
    QPushButton *ApplyButton() const { return apply_; }

Q_SIGNALS:
    // The new settings were saved; emitted after the dialog closed.
    void Applied();

protected:
    bool Check(const QString &typed) override;

private:
    void Apply();
    void FollowNoLogin();

    ConfigStore &store_;
    UserSettings users_;
    QStackedWidget *pages_;
    QLabel *adminLabel_;
    QLabel *operatorLabel_;
    QLineEdit *admin_;
    QLineEdit *operator_;
    QCheckBox *noLogin_;
    QPushButton *apply_;
};

} // namespace pelvoro
