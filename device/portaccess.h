#pragma once

#include <QSerialPort>
#include <QString>

namespace PortAccess {

// True when the port exists but this user may not read and write it, the one open failure
// that the user can mend (a group, a udev rule) rather than a missing or busy port. The
// framework's PermissionError alone also stands for a port that another program holds.
bool deniedForLackOfPermission(QSerialPort::SerialPortError error, const QString& portName);

} // namespace PortAccess
