#pragma once

#include "app/title_animation.h"
#include "comm/counter_settings.h"
#include "comm/net_link.h"
#include "comm/send_dispatch.h"
#include "comm/send_runner.h"
#include "comm/serial_link.h"
#include "config/area_layout.h"
#include "config/config_store.h"
#include "config/screen_info.h"
#include "users/access_codes.h"
#include "users/user_settings.h"

#include <QHash>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelvoro {

class ClockPanel;
class ConfigWatcher;
class MainAreaPanel;
class Prompt;
class ScreenPanel;
class TitlePanel;
class TFrmdisplay;
class EffectPlayer;
class RichLayout;
class SendSelectionDialog;
class TFrm_CellEdit;
class TFrmTablet;
struct RichDocument;
struct AddDocumentsResult;
struct ConversionObserver;
class TFrmset;

// The waits of the links and of the send operations; tests shorten them.
struct LinkTimings {
    SerialTimings serial;
    NetTimings net;
    CompletionTimings completion;
    int networkWalkMs = 200; // "群发" over the network: one step every tick
};

// Where the main window goes beside the preview at the desktop's top-left corner: right of it when
// it fits there, else below it, always inside the desktop (all rectangles with their frames).
QPoint MainWindowPosition(const QRect &desktop, const QRect &preview, const QSize &window);

// The station's main window: menu bar, toolbar, the programme tree of screens and their areas, the
// four work panels and the two-panel status bar. It holds the working copy of all screens.
class Tfrmmain : public QMainWindow {
    Q_OBJECT
public:
    Tfrmmain(ScreenTable &table, Prompt &prompt, QWidget *parent = nullptr, LinkTimings timings = {});
    ~Tfrmmain() override;

    // Start-up initialisation, run again after logout, user management and opening a project:
    // reloads the configuration, rebuilds the tree, applies the login gate and retitles the window.
    void Initialise();

    // The preview window, created after the main window and living for the whole run.
    void SetPreview(TFrmdisplay *preview);
    TFrmdisplay *Preview() const { return preview_; }

    // Status panel 0: the summary of screen i.
    void ShowScreenSummary(int index);
    // Status panel 1, written by the communication parts.
    void ShowCommStatus(const QString &text);
    QString CommStatus() const;
    // A text of screen i's exchange with its controller: kept for the screen and shown while it
    // is the one selected, so that selecting a screen shows its own last exchange.
    void ShowExchangeStatus(int screen, const QString &text);

    void BuildTree(int n, int s);
    void AddArea(AreaKind kind);
    void RemoveSelectedArea();
    // What a click on a tree node does.
    void TreemainClick(QTreeWidgetItem *item);
    // Opens the add-area menu where the button puts it.
    void PopupAddAreaMenu();

    // One tick of the half-second timer.
    void OnTitleTimer();
    bool TitleTimerActive() const { return titleTimer_.isActive(); }
    const TitleAnimation &Animation() const { return animation_; }

    // "添加数据页": documents chosen in the open dialog become pages of the current screen.
    void AddDataPages();

    // "预览": plays the main-area pages with their effects in the preview window until "停止".
    void ToggleEffectPreview();
    bool EffectPreviewRunning() const { return effectRunning_; }
    void OnEffectTimer();

    // The send operations, run by the send runner for the current screen over the link of its
    // CommMode; on a serial screen the five send buttons stay disabled until the transfer closes.
    void SendMainArea();            // the main-area file, after "发送主区" found pages in the list
    void SendSubtitle();            // the subtitle file, after "发送字幕" found pages in the list
    void SendClock();               // "发送时钟"
    void SendTemperature();         // "发送温度"
    void SendClockAndTemperature(); // "发送" of the clock and temperature panel
    void SyncClock();               // "校准时钟": the PC's local time
    void SendAll();                 // "全部发送": time, clock, temperature, subtitle, main area
    void GroupSend();               // "群发"
    void ResetScreenParams();       // "重置屏参"
    void ConnectIp();               // "连接IP"
    // "选择发送": opens the selection dialog (window-modal, without blocking the caller).
    SendSelectionDialog *OpenSendSelection();
    // The dialog's "发送": the walk over the screens in the send list.
    void SendSelection();

    // Each of these is owned by its own file (main_window_<feature>.cpp).
    void OpenScreenSettings(); // "设置屏参"                                  main_window_settings.cpp
    // The watch on SysConfig.ini, for tests that wait until it looked at a change.
    const ConfigWatcher *ConfigWatch() const { return configWatcher_; }
    void LoginUser();          // "用户登录"                                  main_window_users.cpp
    void ManageUsers();        // "用户管理"                                  main_window_users.cpp
    void ShowAbout();          // "关于..."                                   main_window_users.cpp
    void SaveProject();        // "保存"                                      main_window_project.cpp
    void OpenProject();        // "打开"                                      main_window_project.cpp
    void SendSchedule();       // "发送定时"                                  main_window_schedule.cpp
    void CancelSchedule();     // "取消定时"                                  main_window_schedule.cpp
    void PowerOn();            // "开屏"                                      main_window_maintenance.cpp
    void PowerOff();           // "关屏"                                      main_window_maintenance.cpp
    void SendTestPattern(const QString &caption); // the "测试" menu          main_window_maintenance.cpp
    void LoadFpga();           // "加载FPGA"                                  main_window_maintenance.cpp
    void OpenOutdoorConfig();  // "户外配置"                                  main_window_maintenance.cpp
    // "表格": a new table editor for the current screen, application-modal without blocking.
    TFrm_CellEdit *OpenTableEditor(); //                                      main_window_table_editor.cpp
    // "文本": the editor, sized for the current screen, application-modal without blocking the caller.
    TFrmTablet *OpenTextEditor(); //                                          main_window_text_editor.cpp
    // The editor closed onto the main area: its text becomes pages of the current screen.
    void ConvertEditorText(const RichDocument &document); //                  main_window_text_editor.cpp

    SerialLink *Serial() const { return serial_; }
    NetLink *Net() const { return net_; }
    const SendSequence &Sequence() const { return runner_->Sequence(); }
    bool NetworkWalkRunning() const { return networkWalkTimer_.isActive(); }
    // "校准时钟", "全部发送", "发送字幕", "发送主区" and the clock panel's "发送".
    std::array<QPushButton *, 5> SendButtons() const;

    bool BroadcastFlag() const { return broadcastFlag_; }
    const UserSettings &Users() const { return users_; }
    // "设置屏参" and "户外配置" without login go through the access-code dialog: true when the caller
    // may go on (login is on, or the dialog has just accepted a code for `purpose` and calls back);
    // otherwise the dialog is opened and false returned.                        main_window_users.cpp
    bool RequestAccess(AccessPurpose purpose);
    // The current screen's timing-counter groups, read whenever the tree's selection is drawn.
    const CounterTable &Counters() const { return counters_; }

    // Toolbar buttons by caption ("打开"), menu items by menu and caption ("文件/打开..."), the
    // decoration items as "修饰/空心".
    QAction *Command(const QString &name) const { return commands_.value(name); }
    QMenu *Menu(const QString &caption) const { return menus_.value(caption); }
    QToolBar *Toolbar() const { return toolbar_; }
    QMenu *AddAreaMenu() const { return addAreaMenu_; }
    QMenu *ClockMenu() const { return clockMenu_; }
    QMenu *TemperatureMenu() const { return temperatureMenu_; }
    QMenu *TitleMenu() const { return titleMenu_; }
    QTreeWidget *Treemain() const { return tree_; }
    QWidget *TreePanel() const { return treePanel_; }
    ScreenPanel *Panelface() const { return screenPanel_; }
    MainAreaPanel *Panelmain() const { return mainPanel_; }
    ClockPanel *Panelother() const { return clockPanel_; }
    TitlePanel *Title() const { return titlePanel_; }
    QLabel *SummaryLabel() const { return summary_; }
    const AddAreaMenuState &MenuState() const { return menuState_; }

Q_SIGNALS:
    // The preview window follows these.
    void PreviewRedrawRequested(int screen);
    void ClockTick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override; // the login on activation      main_window_users.cpp

private:
    // Runs `convert` onto `screen` with the window locked and the conversion's progress shown, then
    // lists the new pages with the last one selected.
    AddDocumentsResult ConvertOntoScreen(int screen,
                                         const std::function<AddDocumentsResult(ConversionObserver &)> &convert);
    void BuildCommands();
    void BuildAddAreaMenu();
    QWidget *BuildTreePanel();
    void ApplyLoginGate();
    void UpdateTitle();
    void UnlockFor(LoginRole role);                                     // main_window_users.cpp
    void OpenLoginWhenDue();                                            // main_window_users.cpp
    void OnAccessCode(AccessPurpose purpose, AccessOutcome outcome);    // main_window_users.cpp
    void NotAvailableYet(const QString &caption);
    void ApplyMenuState();
    void ShowPanels(std::initializer_list<QWidget *> panels);
    std::array<QWidget *, 4> WorkPanels() const;
    void SwitchToScreen(int screen);
    void ApplyLinkCommands(int screen, bool areaNode);
    void ClickArea(int screen, const QString &kindText);
    void ReportSaveFailure();
    void ShowClockText();
    void SaveAndShowClock();
    void SaveShownPage(int screen, const QImage &page);
    void StartEffectPreview();
    void StopEffectPreview();
    QTreeWidgetItem *ScreenItem(int screen) const;
    // Lists the main-area and subtitle pages of a screen.
    void RefreshLists(int screen);
    void ConnectLinks();
    void ConnectSchedules(); // main_window_schedule.cpp
    void ConnectMaintenance(); // the glyph download tab                 main_window_maintenance.cpp
    void WatchConfig();              // main_window_config_watch.cpp
    void TakeOutsideConfigChanges(); // main_window_config_watch.cpp
    void SetSendButtonsEnabled(bool enabled);
    void ShowProgress(qint64 maximum);
    // Makes a screen current as a click on its node does (serial walks).
    void ShowWalkedScreen(int screen);
    void StartNetworkWalk(bool selectedOnly);
    void OnNetworkWalkTick();
    void SelectLastAreaNode(QTreeWidgetItem *node);
    // Selections made by code do not run the click handling.
    void SelectFromCode(QTreeWidgetItem *item);
    // The settings dialog, opened window-modal; OpenScreenSettings reaches it through here only.
    TFrmset *ShowScreenSettingsDialog();
    // The dialog closed: `reset` screens were cleared; lists, tree, preview and status follow screen 0.
    void AfterScreenSettings(const std::vector<int> &reset);

    ScreenTable &table_;
    Prompt &prompt_;
    TFrmdisplay *preview_ = nullptr;
    ConfigStore store_;
    ConfigWatcher *configWatcher_ = nullptr;
    // While the settings dialog edits the screens, another writer's change waits for it to close.
    bool screenEditorOpen_ = false;
    bool outsideChangeWaiting_ = false;
    UserSettings users_;
    bool loginDue_ = false; // login is on and its dialog has not opened since the last initialisation
    std::optional<AccessPurpose> accessGranted_; // set only while the unlocked command runs
    bool broadcastFlag_ = false;
    bool selectingFromCode_ = false;
    bool effectRunning_ = false; // the effect preview plays into the preview window
    TitleAnimation animation_;
    QTimer titleTimer_;
    QTimer effectTimer_;
    LinkTimings timings_;
    SerialLink *serial_ = nullptr;
    NetLink *net_ = nullptr;
    SendRunner *runner_ = nullptr;
    bool selectionWalk_ = false; // the network walk goes over the screens in the send list only
    QTimer networkWalkTimer_;    // tcpsend
    bool tcpWalkPhase_ = true;   // true: send step, false: move step
    std::unique_ptr<EffectPlayer> player_;
    // Lays out documents for the conversions, as the preview's hidden rich-text control did.
    std::unique_ptr<RichLayout> layout_;
    AddAreaMenuState menuState_;
    CounterTable counters_;

    QHash<QString, QAction *> commands_;
    QHash<QString, QMenu *> menus_;
    QToolBar *toolbar_ = nullptr;
    QMenu *addAreaMenu_ = nullptr;
    QMenu *clockMenu_ = nullptr;
    QMenu *temperatureMenu_ = nullptr;
    QMenu *titleMenu_ = nullptr;
    QWidget *treePanel_ = nullptr;
    QTreeWidget *tree_ = nullptr;
    QWidget *workArea_ = nullptr;
    ScreenPanel *screenPanel_ = nullptr;
    MainAreaPanel *mainPanel_ = nullptr;
    ClockPanel *clockPanel_ = nullptr;
    TitlePanel *titlePanel_ = nullptr;
    QLabel *summary_ = nullptr;
    QLabel *commStatus_ = nullptr;
    QHash<int, QString> lastExchange_; // by screen index
    // Status panel 1 of a screen that has had no exchange yet.
    static inline const QString kNoExchangeStatus = QStringLiteral("状态：");
    // The current screen's area nodes, remembered by BuildTree for the add operations.
    std::array<QTreeWidgetItem *, 4> areaNodes_{}; // by AreaCategory
};

} // namespace pelvoro
