#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pelvoro {

class ConfigStore;
class Prompt;

// "关于软件": the identity as the about text. "确定" writes the identity back (so that the section
// holds all three keys); closing by the window's close box writes nothing.
class Tfrmabout : public QDialog {
    Q_OBJECT
public:
    Tfrmabout(ConfigStore &store, Prompt &prompt, QWidget *parent = nullptr);
    QLabel *AboutText() const { return text_; }
    QLabel *AppDirText() const { return appDir_; }
    QPushButton *OkButton() const { return ok_; }

private:
    QLabel *text_;
    QLabel *appDir_;
    QPushButton *ok_;
};

// "Administrator": the three identity texts, saved after a Yes to "是否保存对信息的修改？".
class TFrmadministrator : public QDialog {
    Q_OBJECT
public:
    TFrmadministrator(ConfigStore &store, Prompt &prompt, QWidget *parent = nullptr);
    QLineEdit *NameField() const { return name_; }
    QLineEdit *VersionField() const { return version_; }
    QLineEdit *DateField() const { return date_; }
    QPushButton *OkButton() const { return ok_; }

private:
    void Confirm();

    ConfigStore &store_;
    Prompt &prompt_;
    QLineEdit *name_;
    QLineEdit *version_;
    QLineEdit *date_;
    QPushButton *ok_;
};

} // namespace pelvoro
