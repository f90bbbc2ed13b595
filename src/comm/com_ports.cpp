#include "comm/com_ports.h"

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
