#pragma once

#include <QTimer>

#include "device/device.h"
#include "device/linechannel.h"
#include "device/livefeed.h"

// Lets tests see what the interface cannot: whether lines are taken, the keep-alive, the
// live series.
class DeviceProbe {
public:
  explicit DeviceProbe(Device& device) : m_device(device) {}

  bool receiving() const { return m_device.m_channel->receiving(); }
  bool wakeUpRunning() const { return m_device.wakeUpTimer->isActive(); }
  bool liveSeries() const { return m_device.m_feed->liveSeries(); }
  void wakeUp() { m_device.wakeUpDevice(); }

private:
  Device& m_device;
};
