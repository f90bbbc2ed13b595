#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;

namespace pelvoro {

// "配置户外参数": the operator picks the LED board wiring by scan mode and data route and sends its
// configuration file. The picture and "配置参数" follow the files of the current choice in the
// application's directory (comm/outdoor_config.h); "配置参数" hands the choice to `configure`, and the
// dialog stays open.
class Tfrmconfig : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmconfig(std::function<void(int scanMode, int route)> configure, QWidget *parent = nullptr);

    int ScanMode() const;
    // The chosen item of the visible route list; -1 when it has none.
    int Route() const;
    // Chooses a scan mode or a route as the operator does; the dialog refreshes.
    void ChooseScanMode(int scanMode);
    void ChooseRoute(int route);

    // The file the picture was last loaded from; empty while the built-in picture shows.
    QString PictureFile() const { return pictureFile_; }
    QLabel *Picture() const { return picture_; }
    QComboBox *RouteList(int scanMode) const { return routes_[size_t(scanMode)]; }
    QPushButton *ConfigureButton() const { return configure_; }
    QPushButton *ExitButton() const { return exit_; }

    // Looks at the files of the current choice again.
    void Refresh();

private:
    std::function<void(int, int)> send_;
    QLabel *picture_;
    QButtonGroup *scanModes_;
    std::array<QComboBox *, 4> routes_{};
    QPushButton *configure_;
    QPushButton *exit_;
    QString pictureFile_;
};

} // namespace pelvoro
