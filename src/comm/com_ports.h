#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Serial port numbers as the operator knows them (COM1, COM2, ...) and the devices behind them.
namespace pelvoro {

// The device opened for COM n. On Windows "\\.\COM" + n. Elsewhere the device named by the
// environment variable PELVORO_COM<n> when it is set and not empty (a USB adapter, a
// pseudo-terminal of the controller simulator), else /dev/ttyS<n-1> (COM1 is /dev/ttyS0).
QString ComPortDevice(int n);

// The COM number whose device (ComPortDevice) is `device`, nullopt when no number maps to it.
std::optional<int> ComNumberOfDevice(const QString &device);
// The system's serial ports in the order the system lists them, as the operator picks them: "COM" + n
// where a number maps to the device, the device's name otherwise.
QStringList SerialPortNames();
QString SerialPortName(const QString &device);

// Baud rate of a screen's BaudIndex: 0 9600, 1 28800, 2 57600, 3 115200; any other index 9600.
int BaudRateOf(int baudIndex);

} // namespace pelvoro
