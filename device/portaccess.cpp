#include "device/portaccess.h"

#include "device/device.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace PortAccess {

bool deniedForLackOfPermission(QSerialPort::SerialPortError error, const QString& portName) {
  if (error != QSerialPort::PermissionError || portName.isEmpty())
    return false;
  QString location = QSerialPortInfo(portName).systemLocation();
  if (location.isEmpty())
    location = portName; // a path given by BRENMO_TESTER_PORT, unknown to the port list
  const QFileInfo file(location);
  // Windows names its ports COM1..., which are no files: there the error means "in use".
  return file.exists() && !(file.isReadable() && file.isWritable());
}

} // namespace PortAccess

void Device::noteDeniedPort(const QString& failedPort) {
  const QString denied =
      PortAccess::deniedForLackOfPermission(error(), failedPort) ? failedPort : QString();
  if (denied == m_deniedPortName)
    return;
  m_deniedPortName = denied;
  emit deniedPortNameChanged();
}
