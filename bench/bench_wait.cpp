// How much processor time a command costs while it waits for a reply that never comes.
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "bench/benchsupport.h"
#include "device/device.h"
#include "device/linechannel.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  BenchSupport::SimulatedLink link;
  if (!link.open())
    return 1;
  TesterSimulator& sim = link.sim;
  Device& device = *link.device;
  sim.setSilent(true);

  const int rounds = 5;
  double worst = 0.0;
  std::printf("command waiting the full %d ms for a reply that never comes\n",
              LineChannel::ReplyTimeoutMs);
  std::printf("%6s %10s %10s %8s\n", "round", "wall ms", "cpu ms", "cpu %");
  for (int round = 1; round <= rounds; ++round) {
    QElapsedTimer wall;
    const double cpuBefore = BenchSupport::cpuMilliseconds();
    wall.start();
    device.id();
    const double elapsed = wall.nsecsElapsed() / 1e6;
    const double cpu = BenchSupport::cpuMilliseconds() - cpuBefore;
    worst = std::max(worst, 100.0 * cpu / elapsed);
    std::printf("%6d %10.1f %10.2f %7.2f%%\n", round, elapsed, cpu, 100.0 * cpu / elapsed);
  }
  std::printf("worst: %.2f%% of the wall time (target: at most 5%%)\n", worst);
  BenchSupport::reportFigure("processor time of a command waiting for its reply",
                             "<= 5 %",
                             QString::number(worst, 'f', 2) + " %",
                             worst <= 5.0);
  return 0;
}
