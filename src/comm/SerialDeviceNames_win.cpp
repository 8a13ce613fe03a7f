#include "comm/SerialDeviceNames.h"

namespace SerialDeviceNames {

// Windows names its ports COM1..COM255 itself.
int maxPortNumber() { return 255; }

QString conventionalDevice(int number) {
    if (number < 1 || number > maxPortNumber()) return {};
    return QStringLiteral("COM%1").arg(number);
}

int conventionalNumber(const QString& device) {
    QString name = device;
    if (name.startsWith(QLatin1String("\\\\.\\"))) name = name.mid(4);
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return -1;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= maxPortNumber() ? n : -1;
}

QString stablePath(const QString&) { return {}; }

// COM ports are not files; the open tells whether one exists.
bool deviceMayExist(const QString&) { return true; }

// Windows reports a port held by another program as "access denied"; there is no group to join.
bool accessDenied(const QString&) { return false; }

QString owningGroup(const QString&) { return {}; }

}  // namespace SerialDeviceNames
