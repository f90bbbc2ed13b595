#include "comm/com_ports.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QtGlobal>

namespace pelvoro {

QString ComPortDevice(int n)
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\COM%1").arg(n);
#else
    const QString variable = QStringLiteral("PELVORO_COM%1").arg(n);
    const QString named = qEnvironmentVariable(variable.toLatin1().constData());
    if (!named.isEmpty())
        return named;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

std::optional<int> ComNumberOfDevice(const QString &device)
{
    // Every number that could name the device, each checked against the mapping itself.
    QList<int> candidates;
    static const QRegularExpression trailingNumber(QStringLiteral("(\\d+)$"));
    if (const auto match = trailingNumber.match(device); match.hasMatch()) {
        const int n = match.captured(1).toInt();
        candidates.append(n);
        candidates.append(n + 1); // /dev/ttyS<n-1>
    }
#ifndef Q_OS_WIN
    static const QRegularExpression variable(QStringLiteral("^PELVORO_COM(\\d+)$"));
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys()) {
        if (const auto match = variable.match(key); match.hasMatch() && environment.value(key) == device)
            candidates.prepend(match.captured(1).toInt());
    }
#endif
    for (int n : candidates) {
        if (n > 0 && ComPortDevice(n) == device)
            return n;
    }
    return std::nullopt;
}

QString SerialPortName(const QString &device)
{
    const auto n = ComNumberOfDevice(device);
    return n ? QStringLiteral("COM%1").arg(*n) : device;
}

QStringList SerialPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        names.append(SerialPortName(port.systemLocation()));
    return names;
}

int BaudRateOf(int baudIndex)
{
    switch (baudIndex) {
    case 1:
        return 28800;
    case 2:
        return 57600;
    case 3:
        return 115200;
    default:
        return 9600;
    }
}

} // namespace pelvoro
