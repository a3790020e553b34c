// How the measurement table scales: times of the operations that touch every row, for tables
// of 1,000 to 100,000 rows, and the peak memory of the process. Prints figures only.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QVector>

#include "models/measurementmodel.h"

namespace {

const QStringList Scales{"HRC", "HB", "HV"};

// n rows of mixed scales, as a long session with the tester would leave them. Made before
// timing: building local date-times costs more than adding them.
QVector<Measurement> records(int n) {
  const QDateTime start(QDate(2024, 3, 21), QTime(8, 0));
  QVector<Measurement> rows;
  rows.reserve(n);
  for (int i = 0; i < n; ++i)
    rows.append(
        Measurement(start.addSecs(i), Scales[i % Scales.size()], 40.0 + i % 30, 800.0, 1.0));
  return rows;
}

void fill(MeasurementModel& model, const QVector<Measurement>& rows) {
  for (const Measurement& meas : rows)
    model.add(meas);
}

void tickEvery(MeasurementModel& model, int step) {
  for (int row = 0; row < model.rowCount(); row += step)
    model.setData(model.index(row, 0), true, MeasurementModel::CheckedRole);
}

double elapsedMs(const QElapsedTimer& timer) {
  return timer.nsecsElapsed() / 1e6;
}

long peakMemoryKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  out << qSetFieldWidth(12) << "rows"
      << "add us/row"
      << "rmAll ms"
      << "rmHalf ms"
      << "filter ms"
      << "reset ms"
      << "peak MB" << qSetFieldWidth(0) << "\n";

  for (int n : {1000, 10000, 100000}) {
    const QVector<Measurement> rows = records(n);
    QElapsedTimer timer;
    MeasurementModel model;

    timer.start();
    fill(model, rows);
    const double addUsPerRow = elapsedMs(timer) * 1000.0 / n;

    tickEvery(model, 1);
    timer.start();
    model.removeChecked();
    const double removeAllMs = elapsedMs(timer);

    // Every other row ticked: the most separate runs a table can have.
    fill(model, rows);
    tickEvery(model, 2);
    timer.start();
    model.removeChecked();
    const double removeHalfMs = elapsedMs(timer);

    model.clear();
    fill(model, rows);
    timer.start();
    model.setScaleFilter("HRC");
    const double filterMs = elapsedMs(timer);
    timer.start();
    model.resetScaleFilter();
    const double resetMs = elapsedMs(timer);

    out << qSetFieldWidth(12) << n << QString::number(addUsPerRow, 'f', 2)
        << QString::number(removeAllMs, 'f', 2) << QString::number(removeHalfMs, 'f', 2)
        << QString::number(filterMs, 'f', 2) << QString::number(resetMs, 'f', 2)
        << QString::number(peakMemoryKb() / 1024.0, 'f', 1) << qSetFieldWidth(0) << "\n";
  }
  return 0;
}
