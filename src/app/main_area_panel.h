#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QPushButton;

namespace pelvoro {

class Prompt;
struct ScreenTable;

// The main-area panel: the screen's page list with its buttons, and the tabs for the selected
// page's effect, speed and dwell ("显示特效") and its playback schedule ("定时播放").
class MainAreaPanel : public QWidget {
    Q_OBJECT
public:
    MainAreaPanel(ScreenTable &table, Prompt &prompt, QWidget *parent = nullptr);

    // Lists the pages of a screen's page file (after every change of the file and whenever another
    // screen becomes current).
    void RefreshPageList(int screenIndex);

    // Caption of the page list: screen number + "号屏主区文件列表".
    void SetScreenCaption(int screenIndex);
    int PageCount() const;
    // Every click in the programme tree clears the "entered" flags of the speed and dwell edits.
    void ClearEnteredFlags();

    QGroupBox *ListBox() const { return listBox_; }
    QTreeWidget *PageList() const { return pageList_; }
    QToolButton *AddButton() const { return add_; }

private:
    ScreenTable &table_;
    Prompt &prompt_;
    QGroupBox *listBox_;
    QTreeWidget *pageList_;
    QToolButton *add_;
    QToolButton *remove_;
    QToolButton *up_;
    QToolButton *down_;
    QTabWidget *tabs_;
    QComboBox *effect_;
    QSpinBox *speed_;
    QSpinBox *dwell_;
    QCheckBox *following_;
    QPushButton *send_;
    bool speedEntered_ = false;
    bool dwellEntered_ = false;
};

} // namespace pelvoro
