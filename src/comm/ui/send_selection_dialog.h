#pragma once

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace pelvoro {

class ConfigStore;
class Prompt;
struct ScreenTable;

// "选择发送列表": the operator picks the screens that "选择发送" sends to. Every change of the set is
// saved at once; "发送" hands over to the main window's walk over the screens.
class SendSelectionDialog : public QDialog {
    Q_OBJECT
public:
    SendSelectionDialog(ScreenTable &table, ConfigStore &store, Prompt &prompt, std::function<void()> send,
                        QWidget *parent = nullptr);

    QListWidget *ScreenList() const { return screens_; }
    QListWidget *SendList() const { return selected_; }
    QPushButton *AddButton() const { return add_; }
    QPushButton *RemoveButton() const { return remove_; }
    QPushButton *SendButton() const { return send_; }

    // Sets or clears the flag of the screen selected in the left list.
    void SetSelected(bool selected);

private:
    void RebuildSendList();

    ScreenTable &table_;
    ConfigStore &store_;
    Prompt &prompt_;
    QListWidget *screens_;
    QListWidget *selected_;
    QPushButton *add_;
    QPushButton *remove_;
    QPushButton *send_;
};

} // namespace pelvoro
