#pragma once

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace pelvoro {

struct ScreenInfo;

// The clock and temperature panel, shown when a clock or temperature area is selected.
class ClockPanel : public QWidget {
    Q_OBJECT
public:
    explicit ClockPanel(QWidget *parent = nullptr);

    void SetScreenCaptions(int screenIndex);
    // Shows a screen's clock and temperature settings without reporting them as changes.
    void Load(const ScreenInfo &screen);
    // Writes the controls' clock settings (format, parts, colour, alignment) into a record.
    void StoreClock(ScreenInfo &screen) const;
    // Writes the controls' temperature settings (scale, colour) into a record.
    void StoreTemperature(ScreenInfo &screen) const;
    // A clock node enables the clock controls and disables the temperature ones, a temperature
    // node the reverse; the alignment stays enabled.
    void EnableFor(bool temperature);
    void SetClockControlsEnabled(bool enabled);
    void SetTemperatureControlsEnabled(bool enabled);

    QGroupBox *ClockBox() const { return clockBox_; }
    QGroupBox *TemperatureBox() const { return temperatureBox_; }
    QWidget *ClockControls() const { return clockControls_; }
    QWidget *TemperatureControls() const { return temperatureControls_; }
    QWidget *Alignment() const { return alignment_; }
    QComboBox *FormatBox() const { return format_; }
    QCheckBox *PartBox(int part) const { return parts_[size_t(part)]; }
    QComboBox *ClockColourBox() const { return clockColour_; }
    QButtonGroup *AlignmentGroup() const { return align_; }
    QComboBox *TemperatureColourBox() const { return temperatureColour_; }
    QComboBox *TemperatureScaleBox() const { return scale_; }
    QPushButton *SendClockButton() const { return sendClock_; }
    QPushButton *SendTemperatureButton() const { return sendTemperature_; }
    // "发送": the clock and, when the screen has one, the temperature after it.
    QPushButton *SendButton() const { return send_; }

Q_SIGNALS:
    // The operator changed a clock or a temperature setting.
    void ClockChanged();
    void TemperatureChanged();
    // The send buttons: "发送时钟", "发送温度" and "发送".
    void SendClockRequested();
    void SendTemperatureRequested();
    void SendRequested();

private:
    QGroupBox *clockBox_;
    QGroupBox *temperatureBox_;
    QWidget *clockControls_;
    QWidget *temperatureControls_;
    QWidget *alignment_;
    QComboBox *format_;
    std::array<QCheckBox *, 7> parts_{};
    QComboBox *clockColour_;
    QButtonGroup *align_;
    QComboBox *scale_;
    QComboBox *temperatureColour_;
    QPushButton *sendClock_;
    QPushButton *sendTemperature_;
    QPushButton *send_;
    bool loading_ = false;
};

} // namespace pelvoro
