#include "files/measurementworkbook.h"

#include <cmath>

#include <QCoreApplication>

#include "device/lineformat.h"
#include "files/xlsxdocument.h"

namespace {

enum Column { DateTimeColumn = 1, HardnessColumn = 2, ScaleColumn = 3 };

const QString marker = QStringLiteral("YO");
// Written in place of a date-time the tester did not give, so that the row is not taken
// for the end of the list when the workbook is opened again.
const QString invalidDateTimeText = QStringLiteral("ERR");

QString sheetName() {
  return QCoreApplication::translate("MeasurementModel", "Измерения");
}

bool isEmpty(const QVariant& cell) {
  return !cell.isValid() || (cell.userType() == QMetaType::QString && cell.toString().isEmpty());
}

// Only a workbook saved from an empty list has a first row of "YO" alone.
bool isMarkerRow(const XlsxDocument& document) {
  const QVariant first = document.read(1, DateTimeColumn);
  return first.userType() == QMetaType::QString && first.toString() == marker &&
         isEmpty(document.read(1, HardnessColumn)) && isEmpty(document.read(1, ScaleColumn));
}

QDateTime dateTimeOf(const QVariant& cell) {
  if (cell.userType() == QMetaType::QDateTime) {
    // A date cell edited in a spreadsheet program; the tester's clock counts whole seconds.
    const QDateTime dateTime = cell.toDateTime().addMSecs(500);
    const QTime time = dateTime.time();
    return QDateTime(dateTime.date(), QTime(time.hour(), time.minute(), time.second()));
  }
  if (cell.userType() == QMetaType::QString) {
    return LineFormat::parseDeviceDateTime(cell.toString().trimmed());
  }
  return {};
}

double hardnessOf(const QVariant& cell) {
  double value = 0.0;
  if (cell.userType() == QMetaType::Double) {
    value = cell.toDouble();
  } else if (cell.userType() == QMetaType::QString) {
    value = LineFormat::toNumber(cell.toString().trimmed());
  }
  return std::isfinite(value) ? value : 0.0;
}

} // namespace

bool writeMeasurementWorkbook(const QString& fileName, const QList<Measurement>& rows) {
  XlsxDocument document;
  if (fileName.isEmpty() || !document.addSheet(sheetName())) {
    return false;
  }
  document.write(1, DateTimeColumn, marker);
  int row = 1;
  for (const Measurement& measurement : rows) {
    const QString dateTime = LineFormat::formatDeviceDateTime(measurement.dateTime());
    document.write(row, DateTimeColumn, dateTime.isEmpty() ? invalidDateTimeText : dateTime);
    // A hardness a workbook cannot hold (not finite) is left out: it reads back as 0.0, "ERR".
    document.write(row, HardnessColumn, measurement.hardness());
    document.write(row, ScaleColumn, measurement.scale());
    ++row;
  }
  return document.saveAs(fileName);
}

std::optional<QList<Measurement>> readMeasurementWorkbook(const QString& fileName) {
  if (fileName.isEmpty()) {
    return std::nullopt;
  }
  XlsxDocument document(fileName);
  if (!document.selectSheet(sheetName())) {
    return std::nullopt;
  }
  QList<Measurement> rows;
  for (int row = isMarkerRow(document) ? 2 : 1;; ++row) {
    const QVariant dateTime = document.read(row, DateTimeColumn);
    if (isEmpty(dateTime)) {
      break;
    }
    rows.append(Measurement(dateTimeOf(dateTime),
                            document.read(row, ScaleColumn).toString(),
                            hardnessOf(document.read(row, HardnessColumn)),
                            0.0,
                            1.0));
  }
  return rows;
}
