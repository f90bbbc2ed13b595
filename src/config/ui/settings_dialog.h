#pragma once

#include "config/screen_settings.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace pelvoro {

class ConfigStore;
class Prompt;

// What the settings dialog asks of the window that opened it.
struct ScreenSettingsHooks {
    std::function<void(int screen)> screenSelected;        // the status summary of the selected screen
    std::function<void(int screen)> networkScreenSelected; // a network screen becomes the current one
    std::function<void()> serialScreenSelected;            // the link status is cleared
    std::function<void(int screen)> connectIp;             // "连接IP"
    std::function<void(int screen)> loadParams;            // "加载": the screen-parameter command
    // After the closing steps: the configuration is saved and `reset` screens were cleared.
    std::function<void(const std::vector<int> &reset)> closed;
};

// "设置": screens are added and removed here and each screen's link, size, colour, wiring and
// controller type set. Every change goes straight into the screen table; only the baud rate, the
// controller type and adding a screen reach SysConfig.ini before the dialog closes. Closing clears
// the screens whose stored pages the operator's changes made unusable and saves the rest.
class TFrmset : public QDialog {
    Q_OBJECT
public:
    TFrmset(ScreenTable &table, ConfigStore &store, Prompt &prompt, ScreenSettingsHooks hooks,
            QWidget *parent = nullptr);

    // The controls, for the window's tests.
    struct Controls {
        QListWidget *screens = nullptr;
        QToolButton *add = nullptr;
        QToolButton *remove = nullptr;
        QGroupBox *hardware = nullptr;
        QComboBox *commMode = nullptr;
        QLabel *baudLabel = nullptr;
        QComboBox *baud = nullptr;
        QLabel *portLabel = nullptr;
        QComboBox *port = nullptr;
        QLabel *dipPicture = nullptr;
        QGroupBox *network = nullptr;
        QSpinBox *ipPort = nullptr;
        QLineEdit *ipAddress = nullptr;
        QTabWidget *tabs = nullptr;
        QGroupBox *software = nullptr;
        QSpinBox *width = nullptr;
        QSpinBox *height = nullptr;
        QComboBox *colour = nullptr;
        QComboBox *lineOrder = nullptr;
        QLineEdit *name = nullptr;
        QComboBox *card = nullptr;
        QLabel *pixelLimit = nullptr;
        QLabel *currentPixels = nullptr;
        QLabel *maxPages = nullptr;
        QComboBox *oePolarity = nullptr;
        QComboBox *dataPolarity = nullptr;
        QComboBox *mirror = nullptr;
        QPushButton *connectIp = nullptr;
        QPushButton *load = nullptr;
        QPushButton *back = nullptr;
        QLabel *result = nullptr;
    };
    const Controls &Ui() const { return ui_; }
    // The selected screen's index.
    int Selected() const;
    // The serial link's outcome of "加载" while the dialog is open.
    void ShowResult(const QString &text, const QColor &colour);

    // Runs the closing steps once, whichever way the dialog closes.
    void done(int result) override;

private:
    void BuildControls();
    void ConnectControls();
    void Open();
    void AddScreen();
    void RemoveScreen();
    // The operator or the dialog selected screen i in the list.
    void OnScreenSelected(int i);
    // The type-dependent controls; false and "INI文件损坏" for a card type of neither kind.
    bool ApplyCardControls(const QString &cardType);
    // Fills the controls from screen i's record without marking it.
    void Fill(int i);
    void ShowNetworkControls(bool network);
    void FillNetworkControls(int i);
    void DrawDipSwitches(int i);
    void RefreshLabels();
    void MarkChanged();
    void Save(int n);
    void ReloadScreens(int n);

    void OnCommModeChosen(int index);
    void OnBaudChosen(int index);
    void OnPortText();
    void OnWidthChanged(int value);
    void OnHeightChanged(int value);
    void OnCardChosen(int index);

    ScreenTable &table_;
    ConfigStore &store_;
    Prompt &prompt_;
    ScreenSettingsHooks hooks_;
    Controls ui_;
    bool filling_ = false;   // controls set by the dialog, not by the operator
    QString portText_;       // the port text last taken, so that one entry is taken once
    bool closed_ = false;
    std::vector<ScreenInfo> opened_; // the screens as the dialog found them, for what closing resets
};

} // namespace pelvoro
