#pragma once

#include <QWidget>

class QGroupBox;

namespace pelvoro {

// The clock and temperature panel, shown when a clock or temperature area is selected.
class ClockPanel : public QWidget {
    Q_OBJECT
public:
    explicit ClockPanel(QWidget *parent = nullptr);

    void SetScreenCaptions(int screenIndex);
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

private:
    QGroupBox *clockBox_;
    QGroupBox *temperatureBox_;
    QWidget *clockControls_;
    QWidget *temperatureControls_;
    QWidget *alignment_;
};

} // namespace pelvoro
