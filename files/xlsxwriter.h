#pragma once

#include <QString>
#include <QVector>

#include "files/sheetcells.h"
#include "files/xlsxfailure.h"

// Writes workbooks through libxlsxwriter in its streaming mode: rows go to disk in order and
// texts are stored in their cells (inline strings), numbers and booleans keep their type, all
// with the default cell format; date-times are numbers in a date format. The destination is
// replaced only once the whole workbook has been written, so a failed save leaves an
// existing file intact. Numbers are written the same in every process locale.
class XlsxWriter {
public:
  struct Sheet {
    QString name;
    SheetCells cells;
  };

  // The cell values a workbook can hold: texts of at most 32,767 characters, finite numbers,
  // booleans and date-times from March 1900 to 9999.
  static bool canStore(const QVariant& value);
  // False when a sheet or cell is refused or the file cannot be written; failure says why.
  static bool
  save(const QString& fileName, const QVector<Sheet>& sheets, XlsxFailure* failure = nullptr);
};
