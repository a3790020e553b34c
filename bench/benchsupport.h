#pragma once

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "device/device.h"
#include "device/portdiscovery.h"
#include "simulator/testersimulator.h"

// What every device benchmark needs: the simulator as the tester's port and settings kept
// out of the user's home.
namespace BenchSupport {

// A Device with its port open on a started simulator.
struct SimulatedLink {
  bool open() {
    if (!sim.start())
      return false;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userFiles.path());
    const QString port = sim.portName();
    PortDiscovery::setPortLister([port] {
      return QList<PortDiscovery::PortDescription>{{port, quint16(0x0403), quint16(0x6001)}};
    });
    device = std::make_unique<Device>();
    return device->open(QIODevice::ReadWrite);
  }

  QTemporaryDir userFiles;
  TesterSimulator sim;
  std::unique_ptr<Device> device;
};

// Processor time of this process (user and system), in milliseconds.
inline double cpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The peak of this process's memory since it started or since resetPeakMemory.
inline long peakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Starts the peak memory over from what the process holds now (Linux), so that a figure
// shows its own peak and not that of an earlier one.
inline void resetPeakMemory() {
  malloc_trim(0); // what earlier figures freed, the allocator may still hold
  if (std::FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", file);
    std::fclose(file);
  }
}

// One row of the summary table that bench/run.sh prints after every program has run:
// the figure, its target, what was measured and whether it meets the target.
inline void reportFigure(const QString& figure,
                         const QString& target,
                         const QString& measured,
                         bool meetsTarget) {
  std::printf("FIGURE\t%s\t%s\t%s\t%s\n",
              qPrintable(figure),
              qPrintable(target),
              qPrintable(measured),
              meetsTarget ? "pass" : "falls short");
  std::fflush(stdout);
}

} // namespace BenchSupport
