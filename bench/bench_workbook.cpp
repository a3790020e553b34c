// Saving and opening measurement workbooks of 10,000 and 100,000 rows, against openpyxl doing
// the same in the same run. openpyxl writes in its normal mode and reads in read_only mode
// (its fastest); it reads the very file ours wrote, and writes the same rows.
//
// Run: bench_workbook [rows...]    (default 10000 100000)

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "files/measurementworkbook.h"
#include "tests/support/openpyxl.h"

namespace {

const QStringList scales{QStringLiteral("HRC"), QStringLiteral("HB"), QStringLiteral("HV")};

// Row i: one second after row i - 1, hardness 40.00 to 89.75, the scales in turn.
QList<Measurement> makeRows(int count) {
  const QDateTime start(QDate(2024, 3, 21), QTime(8, 0, 0));
  QList<Measurement> rows;
  rows.reserve(count);
  for (int i = 0; i < count; ++i) {
    rows.append(Measurement(start.addSecs(i), scales[i % 3], 40.0 + (i % 200) * 0.25, 0, 1));
  }
  return rows;
}

const char* openpyxlScript = R"(
import datetime, json, sys, time, openpyxl
count, ours, theirs = int(sys.argv[1]), sys.argv[2], sys.argv[3]
start = datetime.datetime(2024, 3, 21, 8, 0, 0)
scales = ["HRC", "HB", "HV"]
began = time.perf_counter()
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Измерения"
for i in range(count):
    stamp = (start + datetime.timedelta(seconds=i)).strftime("%H:%M:%S %d.%m.%y")
    sheet.append([stamp, 40.0 + (i % 200) * 0.25, scales[i % 3]])
book.save(theirs)
written = time.perf_counter() - began
began = time.perf_counter()
book = openpyxl.load_workbook(ours, read_only=True)
rows = [row for row in book["Измерения"].iter_rows(values_only=True) if row[0] is not None]
book.close()
read = time.perf_counter() - began
assert len(rows) == count, len(rows)
print(json.dumps({"write": written, "read": read}))
)";

double seconds(const QElapsedTimer& timer) {
  return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QList<int> counts;
  for (const QString& argument : app.arguments().mid(1)) {
    counts.append(argument.toInt());
  }
  if (counts.isEmpty()) {
    counts = {10000, 100000};
  }
  const QString python = pythonWithOpenpyxl();
  QTemporaryDir dir;
  bool withinBudget = true;

  std::printf("%8s  %9s %9s %6s  %9s %9s %6s\n",
              "rows",
              "save",
              "openpyxl",
              "ratio",
              "open",
              "openpyxl",
              "ratio");
  for (const int count : counts) {
    const QList<Measurement> rows = makeRows(count);
    const QString ours = dir.filePath(QStringLiteral("ours-%1.xlsx").arg(count));

    QElapsedTimer timer;
    timer.start();
    if (!writeMeasurementWorkbook(ours, rows)) {
      std::fprintf(stderr, "saving %d rows failed\n", count);
      return 1;
    }
    const double save = seconds(timer);
    timer.restart();
    const auto opened = readMeasurementWorkbook(ours);
    const double open = seconds(timer);
    if (!opened || *opened != rows) {
      std::fprintf(stderr, "opening %d rows gave other rows\n", count);
      return 1;
    }
    if (count <= 100000 && (save > 1.5 || open > 1.5)) {
      withinBudget = false;
    }

    double theirSave = 0.0;
    double theirOpen = 0.0;
    if (!python.isEmpty()) {
      QProcess process;
      process.start(python,
                    {QStringLiteral("-c"),
                     QString::fromUtf8(openpyxlScript),
                     QString::number(count),
                     ours,
                     dir.filePath(QStringLiteral("openpyxl-%1.xlsx").arg(count))});
      process.waitForFinished(-1);
      const QJsonObject times = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
      theirSave = times.value(QStringLiteral("write")).toDouble();
      theirOpen = times.value(QStringLiteral("read")).toDouble();
      if (process.exitCode() != 0 || times.isEmpty()) {
        std::fprintf(stderr, "%s\n", process.readAllStandardError().constData());
      }
    }
    const auto ratio = [](double ourTime, double theirTime) {
      return theirTime > 0.0 ? ourTime / theirTime : 0.0;
    };
    std::printf("%8d  %8.3fs %8.3fs %6.2f  %8.3fs %8.3fs %6.2f\n",
                count,
                save,
                theirSave,
                ratio(save, theirSave),
                open,
                theirOpen,
                ratio(open, theirOpen));
  }
  if (python.isEmpty()) {
    std::printf("python3 with openpyxl not found: no comparison\n");
  }
  std::printf("%s\n",
              withinBudget ? "within 1.5 s per 100,000 rows" : "OVER 1.5 s per 100,000 rows");
  return withinBudget ? 0 : 2;
}
