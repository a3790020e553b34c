// Writes the workbooks that seed the workbook fuzzer, with the program's own writer: an
// empty list, a few rows of each scale, an invalid time and a non-finite hardness.
#include <cstdio>
#include <limits>

#include <QDir>
#include <QList>

#include "files/measurementworkbook.h"
#include "files/xlsxdocument.h"
#include "formats/measurement.h"

namespace {

Measurement row(const QDateTime& time, const char* scale, double hardness) {
  return Measurement(time, QString::fromLatin1(scale), hardness, 800.0, 1.0);
}

} // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral(".")))
    return 1;
  const QDateTime start(QDate(2024, 3, 21), QTime(14, 5, 9));
  QList<Measurement> rows;
  for (int i = 0; i < 6; ++i)
    rows.append(row(
        start.addSecs(61 * i), i % 3 == 0 ? "HRC" : (i % 3 == 1 ? "HB" : "HV"), 40.0 + 97.5 * i));
  rows.append(row(QDateTime(), "HRC", 51.5));
  rows.append(row(start, "HB", std::numeric_limits<double>::infinity()));

  bool ok = writeMeasurementWorkbook(out.filePath(QStringLiteral("empty.xlsx")), {});
  ok = writeMeasurementWorkbook(out.filePath(QStringLiteral("rows.xlsx")), rows) && ok;
  ok = writeMeasurementWorkbook(out.filePath(QStringLiteral("one.xlsx")), rows.mid(0, 1)) && ok;

  // Cells of every kind the generic document writes, on two sheets.
  XlsxDocument kinds;
  ok = kinds.addSheet(QStringLiteral("Измерения")) && ok;
  kinds.write(QStringLiteral("A1"), QStringLiteral("YO"));
  kinds.write(QStringLiteral("A2"), start);
  kinds.write(QStringLiteral("B2"), 52.25);
  kinds.write(QStringLiteral("C2"), true);
  ok = kinds.addSheet(QStringLiteral("Типы")) && ok;
  kinds.write(QStringLiteral("XFD1048576"), QStringLiteral("край"));
  ok = kinds.saveAs(out.filePath(QStringLiteral("kinds.xlsx"))) && ok;
  return ok ? 0 : 1;
}
