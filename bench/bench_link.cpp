// The link on a real line: processor time while the tester is unplugged, measurements lost
// at line rate across a wake-up, and replies accepted late in their second.
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "bench/benchsupport.h"
#include "device/device.h"
#include "device/portdiscovery.h"
#include "models/measurementmodel.h"
#include "simulator/testersimulator.h"

namespace {

void turnEventLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool turnEventLoopUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs)
    turnEventLoop(10);
  return done();
}

// The simulator behind the system's own port list: the list is really enumerated each time
// the device looks for the tester, so its cost is in the figure.
struct Link {
  bool start() {
    if (!sim.start())
      return false;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userFiles.path());
    qunsetenv("BRENMO_TESTER_PORT");
    PortDiscovery::setPortLister([this] {
      QList<PortDiscovery::PortDescription> ports = PortDiscovery::systemPorts();
      if (sim.isConnected())
        ports.append({sim.portName(), quint16(0x0403), quint16(0x6001)});
      return ports;
    });
    device = std::make_unique<Device>();
    return device->connect();
  }

  QTemporaryDir userFiles;
  TesterSimulator sim;
  std::unique_ptr<Device> device;
};

void unpluggedCpu() {
  Link link;
  if (!link.start()) {
    std::printf("no simulator\n");
    return;
  }
  link.sim.hangUp();
  const bool closed = turnEventLoopUntil([&] { return !link.device->isDeviceOpen(); }, 2000);
  const int seconds = 30;
  QElapsedTimer wall;
  const double cpuBefore = BenchSupport::cpuMilliseconds();
  wall.start();
  turnEventLoop(seconds * 1000);
  const double cpu = BenchSupport::cpuMilliseconds() - cpuBefore;
  const double share = 100.0 * cpu / double(wall.elapsed());
  std::printf("tester unplugged for %d s: port closed %s, %.1f ms of processor time (%.3f%%)\n",
              seconds,
              closed ? "at once" : "NOT",
              cpu,
              share);
  BenchSupport::reportFigure(QStringLiteral("CPU while the tester is unplugged (30 s)"),
                             QStringLiteral("<= 1 % of a core"),
                             QString::number(share, 'f', 3) + " %",
                             closed && share <= 1.0);
}

void measurementsAtLineRate() {
  Link link;
  if (!link.start()) {
    std::printf("no simulator\n");
    return;
  }
  link.sim.setPaced(true);
  const int before = link.sim.memory().size();
  // A live line is about 36 bytes, 37.5 ms on the wire: one every 38 ms keeps the line busy.
  QTimer measuring;
  QObject::connect(
      &measuring, &QTimer::timeout, [&] { link.sim.measure(link.sim.randomFrequency()); });
  measuring.start(38);
  turnEventLoop(30000); // the wake-up fires after 25 s
  measuring.stop();
  link.sim.waitForIdle(5000);
  const int sent = link.sim.memory().size() - before;
  MeasurementModel* table = link.device->measures();
  turnEventLoopUntil([&] { return table->rowCount() >= sent; }, 3000);
  const QList<TesterSimulator::Record> memory = link.sim.memory();
  // Rows matched to the measurements in their order; a row that matches none was invented.
  int matching = 0;
  for (int row = 0, k = 0; row < table->rowCount(); ++row) {
    int next = k;
    while (next < sent && table->frequency(row) != memory[before + next].frequency)
      ++next;
    if (next < sent) {
      ++matching;
      k = next + 1;
    }
  }
  const int lost = sent - matching;
  const int invented = table->rowCount() - matching;
  const int wakeUps = link.sim.received().count("getid\n");
  std::printf("30 s at line rate, %d wake-up(s): %d sent, %d received in their order, %d lost, "
              "%d invented\n",
              wakeUps,
              sent,
              matching,
              lost,
              invented);
  BenchSupport::reportFigure(QStringLiteral("Measurements lost at line rate across a wake-up"),
                             QStringLiteral("0"),
                             QString::number(lost) + " of " + QString::number(sent),
                             lost == 0 && invented == 0 && wakeUps >= 1);
}

void repliesAt990() {
  Link link;
  if (!link.start()) {
    std::printf("no simulator\n");
    return;
  }
  link.sim.setReplyDelay(990);
  const int tries = 20;
  int accepted = 0;
  for (int i = 0; i < tries; ++i) {
    turnEventLoop(13 * (i % 7)); // at varying phases of the event loop
    accepted += link.device->id() == QStringLiteral("12345\n");
  }
  std::printf("identity answered after 990 ms: %d of %d accepted\n", accepted, tries);
  BenchSupport::reportFigure(QStringLiteral("Replies accepted at 990 ms"),
                             QStringLiteral("all"),
                             QString::number(accepted) + " of " + QString::number(tries),
                             accepted == tries);
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  unpluggedCpu();
  measurementsAtLineRate();
  repliesAt990();
  return 0;
}
