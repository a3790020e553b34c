#pragma once

#include <sys/resource.h>

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "device/portdiscovery.h"
#include "simulator/testersimulator.h"

// What every device benchmark needs: the simulator as the tester's port and settings kept
// out of the user's home.
namespace BenchSupport {

inline void pointAt(const TesterSimulator& sim, const QTemporaryDir& userFiles) {
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userFiles.path());
  const QString port = sim.portName();
  PortDiscovery::setPortLister([port] {
    return QList<PortDiscovery::PortDescription>{{port, quint16(0x0403), quint16(0x6001)}};
  });
}

// Processor time of this process (user and system), in milliseconds.
inline double cpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline long peakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

} // namespace BenchSupport
