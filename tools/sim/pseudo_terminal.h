#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The card's end of a pseudo-terminal pair: what the controller simulator, the tests and the
// benchmarks put behind a serial port. The station opens Device() as it opens any serial port.
namespace pelvoro {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Opens a pair in raw mode with a non-blocking card end. The device end is held open too, so
    // that the pair lives while the station closes and reopens it; nothing is echoed or held back
    // for a line end before the station sets its own line settings. False (with `error`) on failure.
    bool Open(QString *error = nullptr);
    bool IsOpen() const { return master_ >= 0 && slave_ >= 0; }

    const QString &Device() const { return device_; }
    int CardEnd() const { return master_; }  // for a read notifier
    int DeviceEnd() const { return slave_; } // the line settings the station made

    // Everything readable now; empty when nothing is.
    QByteArray ReadAvailable();
    // All of `bytes`, retrying while the terminal is full; stops when the card end fails.
    void WriteAll(QByteArrayView bytes);
    // The card goes away (an adapter pulled out); the device end stays open.
    void CloseCardEnd();

private:
    int master_ = -1;
    int slave_ = -1;
    QString device_;
};

} // namespace pelvoro
