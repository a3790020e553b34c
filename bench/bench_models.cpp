// How the measurement table scales: times of the operations that touch every row, for tables
// of 1,000 to 100,000 rows, and the peak memory of the process. Prints figures only.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QTextStream>
#include <QVector>

#include "bench/benchsupport.h"
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

  // Per size: add per row, remove all, remove every other, filter, reset.
  QMap<int, QVector<double>> times;
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

    times[n] = {addUsPerRow, removeAllMs, removeHalfMs, filterMs, resetMs};
    out << qSetFieldWidth(12) << n << QString::number(addUsPerRow, 'f', 2)
        << QString::number(removeAllMs, 'f', 2) << QString::number(removeHalfMs, 'f', 2)
        << QString::number(filterMs, 'f', 2) << QString::number(resetMs, 'f', 2)
        << QString::number(peakMemoryKb() / 1024.0, 'f', 1) << qSetFieldWidth(0) << "\n";
  }
  out.flush();

  // What a user would notice at 100,000 rows: a live row must cost next to nothing, and an
  // action over every row must feel immediate (the views' share is bench_views').
  const QVector<double>& large = times[100000];
  BenchSupport::reportFigure("table of 100,000 rows: add a row (model alone)",
                             "<= 5 us",
                             QString::number(large[0], 'f', 2) + " us",
                             large[0] <= 5.0);
  const QStringList names{
      "", "remove every row", "remove every other row", "filter by a scale", "lift the filter"};
  for (int op = 1; op < names.size(); ++op) {
    BenchSupport::reportFigure(
        QStringLiteral("table of 100,000 rows: %1 (model alone)").arg(names[op]),
        "<= 100 ms",
        QString::number(large[op], 'f', 1) + " ms",
        large[op] <= 100.0);
  }
  return 0;
}
