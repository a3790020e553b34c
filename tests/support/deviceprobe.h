#pragma once

#include <QTimer>

#include "device/device.h"

// Looks at the Device's reception routes and flags, which have no public face.
class DeviceProbe {
public:
  explicit DeviceProbe(Device& device) : m_device(device) {}

  int inputRoutes() const { return m_device.receivers(SIGNAL(readyRead())); }
  int lineRoutes() const { return m_device.receivers(SIGNAL(lineReady())); }
  bool wakeUpRunning() const { return m_device.wakeUpTimer->isActive(); }
  bool liveSeries() const { return m_device.liveSeries; }
  void wakeUp() { m_device.wakeUpDevice(); }

private:
  Device& m_device;
};
