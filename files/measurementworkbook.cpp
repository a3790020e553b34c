#include "files/measurementworkbook.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

#include "files/xlsxdocument.h"
#include "formats/testertime.h"
#include "formats/typednumber.h"

namespace {

enum Column { DateTimeColumn = 1, HardnessColumn = 2, ScaleColumn = 3 };

const QString marker = QStringLiteral("YO");
// Written in place of a date-time the tester did not give, so that the row is not taken
// for the end of the list when the workbook is opened again.
const QString invalidDateTimeText = QStringLiteral("ERR");

const QString russianSheetName = QStringLiteral("Измерения");
// The name the English catalogue gives the sheet: a workbook saved with either opens with
// the other.
const QString englishSheetName = QStringLiteral("Measurements");

QString sheetName() {
  return QCoreApplication::translate("MeasurementModel", "Измерения");
}

// The translated name first, then the other language's.
QStringList sheetNamesToOpen() {
  QStringList names{sheetName()};
  for (const QString& name : {russianSheetName, englishSheetName})
    if (!names.contains(name))
      names.append(name);
  return names;
}

QString saveFailureText(XlsxFailure failure) {
  switch (failure) {
  case XlsxFailure::DiskFull:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не сохранён: на диске не хватает места.");
  case XlsxFailure::Refused:
    return QCoreApplication::translate(
        "MeasurementModel", "Файл не сохранён: в книгу Excel нельзя записать эти данные.");
  case XlsxFailure::NotWritable:
    return QCoreApplication::translate(
        "MeasurementModel",
        "Файл не сохранён: нет доступа к папке,\nили файл открыт в другой программе.");
  default:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не сохранён: ошибка записи на диск.");
  }
}

QString openFailureText(XlsxFailure failure) {
  switch (failure) {
  case XlsxFailure::Unreadable:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не открыт: его нет или к нему нет доступа.");
  case XlsxFailure::Damaged:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не открыт: книга Excel повреждена.");
  case XlsxFailure::TooLarge:
    return QCoreApplication::translate(
        "MeasurementModel",
        "Файл не открыт: книга Excel слишком велика\n(не более 1 048 576 строк).");
  case XlsxFailure::UnusualLayout:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не открыт: лист записан необычным образом и слишком "
                                       "велик.\nСохраните книгу заново в Excel или LibreOffice.");
  case XlsxFailure::NoSuchSheet:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не открыт: в книге нет листа \"%1\".")
        .arg(sheetName());
  default:
    return QCoreApplication::translate("MeasurementModel",
                                       "Файл не открыт: это не книга Excel (.xlsx).");
  }
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
    return TesterTime::wallClock(dateTime.date(), QTime(time.hour(), time.minute(), time.second()));
  }
  if (cell.userType() == QMetaType::QString)
    return TesterTime::parse(cell.toString().trimmed());
  return {};
}

double hardnessOf(const QVariant& cell) {
  double value = 0.0;
  if (cell.userType() == QMetaType::Double) {
    value = cell.toDouble();
  } else if (cell.userType() == QMetaType::QString) {
    // Typed into a spreadsheet as text, possibly with a decimal comma ("52,25").
    value = TypedNumber::parse(cell.toString()).value_or(0.0);
  }
  return std::isfinite(value) ? value : 0.0;
}

} // namespace

bool writeMeasurementWorkbook(const QString& fileName,
                              const QList<Measurement>& rows,
                              QString* failure) {
  XlsxDocument document;
  if (fileName.isEmpty() || !document.addSheet(sheetName())) {
    if (failure) {
      *failure =
          saveFailureText(fileName.isEmpty() ? XlsxFailure::NotWritable : XlsxFailure::Refused);
    }
    return false;
  }
  // The first row takes A1's place; the marker stays only in a workbook of no rows.
  if (rows.isEmpty())
    document.write(1, DateTimeColumn, marker);
  int row = 1;
  for (const Measurement& measurement : rows) {
    const QString dateTime = TesterTime::format(measurement.dateTime());
    document.write(row, DateTimeColumn, dateTime.isEmpty() ? invalidDateTimeText : dateTime);
    // A hardness a workbook cannot hold (not finite) is left out: it reads back as 0.0, "ERR".
    document.write(row, HardnessColumn, measurement.hardness());
    document.write(row, ScaleColumn, measurement.scale());
    ++row;
  }
  const bool saved = document.saveAs(fileName);
  if (!saved && failure)
    *failure = saveFailureText(document.failure());
  return saved;
}

std::optional<QList<Measurement>> readMeasurementWorkbook(const QString& fileName,
                                                          QString* failure) {
  const auto fail = [&](XlsxFailure reason) {
    if (failure)
      *failure = openFailureText(reason);
    return std::nullopt;
  };
  if (fileName.isEmpty())
    return fail(XlsxFailure::Unreadable);
  // Columns right of the scale are never read: a sheet full of them costs next to nothing.
  XlsxDocument document(fileName, ScaleColumn);
  const QStringList present = document.sheetNames();
  const QStringList wanted = sheetNamesToOpen();
  const auto name = std::find_if(
      wanted.cbegin(), wanted.cend(), [&](const QString& n) { return present.contains(n); });
  if (!document.selectSheet(name == wanted.cend() ? wanted.first() : *name))
    return fail(document.failure());
  QList<Measurement> rows;
  for (int row = isMarkerRow(document) ? 2 : 1;; ++row) {
    const QVariant dateTime = document.read(row, DateTimeColumn);
    if (isEmpty(dateTime))
      break;
    rows.append(Measurement(dateTimeOf(dateTime),
                            document.read(row, ScaleColumn).toString(),
                            hardnessOf(document.read(row, HardnessColumn)),
                            0.0,
                            1.0));
  }
  return rows;
}
