// Reading the tester's memory into the table: time per record as the memory grows, and the
// paced line's overhead over the time its bytes need at 9600 baud.
#include <algorithm>
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "bench/benchsupport.h"
#include "device/device.h"
#include "models/measurementmodel.h"

namespace {

// Bytes the tester sends for the memory read: the count line and every record line.
qint64 replyBytes(const TesterSimulator& sim) {
  qint64 bytes = QByteArray::number(sim.memory().size()).size() + 1;
  for (const TesterSimulator::Record& record : sim.memory())
    bytes += TesterText::recordLine(record).size() + 1;
  return bytes;
}

double readSeconds(Device& device) {
  QElapsedTimer clock;
  clock.start();
  if (!device.readMemory())
    std::printf("  (the read came back short)\n");
  return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  BenchSupport::SimulatedLink link;
  if (!link.open())
    return 1;
  TesterSimulator& sim = link.sim;
  Device& device = *link.device;

  std::printf("memory read from the unpaced simulator into the table\n");
  std::printf("%9s %10s %14s %10s\n", "records", "total s", "us per record", "ratio");
  double firstPerRecord = 0.0;
  double ratio = 0.0;
  for (int records : {1000, 10000, 100000}) {
    sim.seedMemory(records);
    const double seconds = readSeconds(device);
    const double perRecord = seconds * 1e6 / records;
    if (firstPerRecord == 0.0)
      firstPerRecord = perRecord;
    ratio = perRecord / firstPerRecord;
    std::printf("%9d %10.3f %14.2f %10.2f\n",
                device.measures()->rowCount(),
                seconds,
                perRecord,
                perRecord / firstPerRecord);
  }
  std::printf("(target: 100,000 within 1.5 x the per-record time of 1,000)\n");
  BenchSupport::reportFigure("memory read, time per record at 100,000 against 1,000 (no views)",
                             "<= 1.5 x",
                             QString::number(ratio, 'f', 2) + " x",
                             ratio <= 1.5);
  std::printf("peak memory: %ld KiB\n\n", BenchSupport::peakMemoryKiB());

  // The wait box follows the read: the same read with and without a listener that words the
  // progress as the box does, alternated so that the machine's load falls on both alike.
  sim.seedMemory(100000);
  QString shown;
  double bare = 1e9;
  double watched = 1e9;
  for (int round = 0; round < 3; ++round) {
    bare = std::min(bare, readSeconds(device));
    const QMetaObject::Connection listener =
        QObject::connect(&device, &Device::readProgressChanged, &device, [&] {
          shown = QStringLiteral("%1 из %2").arg(device.readProgress()).arg(device.readTotal());
        });
    watched = std::min(watched, readSeconds(device));
    QObject::disconnect(listener);
  }
  const double progressRatio = watched / bare;
  std::printf("100,000 records, best of 3: %.3f s bare, %.3f s with the progress shown (%.3f x)\n",
              bare,
              watched,
              progressRatio);
  BenchSupport::reportFigure("memory read with its progress shown, against without",
                             "<= 1.05 x",
                             QString::number(progressRatio, 'f', 3) + " x",
                             progressRatio <= 1.05);

  sim.setPaced(true);
  sim.seedMemory(200);
  const double byteSeconds = double(replyBytes(sim)) / TesterSimulator::PacedBytesPerSecond;
  const double seconds = readSeconds(device);
  std::printf("200 records at 9600 baud: %.3f s read, %.3f s for the bytes alone: %+.2f%%\n",
              seconds,
              byteSeconds,
              100.0 * (seconds - byteSeconds) / byteSeconds);
  std::printf("(target: at most 2%% longer than the bytes need)\n");
  const double overhead = 100.0 * (seconds - byteSeconds) / byteSeconds;
  BenchSupport::reportFigure("200 records at 9600 baud, beyond the time the bytes need",
                             "<= 2 %",
                             QString::number(overhead, 'f', 2) + " %",
                             overhead <= 2.0);
  return 0;
}
