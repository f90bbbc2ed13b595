#pragma once

#include "pages/page_store.h"

#include <QImage>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QMenu;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace pelvoro {

class Prompt;
struct ScreenTable;

// The main-area panel: the screen's page list with its buttons, and the tabs for the selected
// page's effect, speed and dwell ("显示特效") and its playback schedule ("定时播放").
//
// Selecting a page reads its entry into the controls and decodes it (PageShown); every edit of
// the controls is written to the page file at once; deleting and moving pages rewrite the file
// (PagesChanged). The panel works on the screen whose pages it lists.
class MainAreaPanel : public QWidget {
    Q_OBJECT
public:
    MainAreaPanel(ScreenTable &table, Prompt &prompt, QWidget *parent = nullptr);

    // Lists the pages of a screen's page file (after every change of the file and whenever another
    // screen becomes current). Listing another screen forgets the selected page; listing the same
    // screen again keeps it marked without reading it again.
    void RefreshPageList(int screenIndex);

    // Caption of the page list: screen number + "号屏主区文件列表".
    void SetScreenCaption(int screenIndex);
    int PageCount() const;
    // Every click in the programme tree clears the "entered" flags of the speed and dwell edits.
    void ClearEnteredFlags();

    // The selected page (1-based; 0 when none) and its entry as last read or edited.
    int CurrentPage() const { return currentPage_; }
    const PageEntry &CurrentEntry() const { return entry_; }
    int ListedScreen() const { return screen_; }
    // Selects page k of the listed screen as a click on its node does: reads it into the controls
    // and shows it. Used to show a page again after an edit in the preview was discarded.
    void SelectPage(int page);
    // "发送主区" as its button runs it: refuses an empty list, otherwise asks for the send.
    void Send();

    QGroupBox *ListBox() const { return listBox_; }
    QTreeWidget *PageList() const { return pageList_; }
    QToolButton *AddButton() const { return add_; }
    QPushButton *SendButton() const { return send_; }
    QMenu *DeleteMenu() const { return deleteMenu_; }

    // Role of a page node's data holding its picture: 0 plain, 1 with a playback schedule.
    static constexpr int kNodeImageRole = Qt::UserRole + 1;

Q_SIGNALS:
    // "添加数据页": the main window converts documents into pages.
    void AddPagesRequested();
    // A page was selected and decoded: `image` is the main area (W x MainHeight) of that page.
    void PageShown(int screenIndex, int page, const QImage &image);
    // The page file of the screen changed (entries, order, pages added or removed).
    void PagesChanged(int screenIndex);
    // "发送主区" with pages in the list: the main window sends the page file.
    void SendRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnCurrentItemChanged(QTreeWidgetItem *current);
    void OnItemPressed(QTreeWidgetItem *item);
    void FillEffects();
    void OnEffectChanged(int index);
    void OnSpeedChanged(int value);
    void OnDwellChanged(int value);
    void OnFollowingToggled(bool checked);
    void WriteEntry();
    void DeleteCurrentPage();
    void DeleteAllPagesOfScreen();
    void Move(MoveDirection direction);
    // Shows the operator what went wrong; returns true when `result` is Ok.
    bool Report(const PageResult &result);
    void SetPageButtonsEnabled(bool enabled);
    void MarkNode(int page);

    ScreenTable &table_;
    Prompt &prompt_;
    QGroupBox *listBox_;
    QTreeWidget *pageList_;
    QToolButton *add_;
    QToolButton *remove_;
    QToolButton *up_;
    QToolButton *down_;
    QMenu *deleteMenu_;
    QAction *deleteOne_;
    QAction *deleteAll_;
    QTabWidget *tabs_;
    QComboBox *effect_;
    QSpinBox *speed_;
    QSpinBox *dwell_;
    QCheckBox *following_;
    QPushButton *send_;
    bool speedEntered_ = false;
    bool dwellEntered_ = false;

    int screen_ = -1;
    int currentPage_ = 0;
    PageEntry entry_;
    bool loading_ = false;        // controls are being set from a page: their changes are not edits
    bool pressOnCurrent_ = false; // a press on the node that already is the current one
};

} // namespace pelvoro
