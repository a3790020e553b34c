#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QVector>

#include "files/sheetcells.h"

// What a worksheet's cells refer to in the rest of the workbook.
struct WorkbookContext {
  QVector<QString> sharedStrings;
  QVector<bool> dateStyles; // by cell format index ("s")
  bool date1904 = false;
};

// The cells of a worksheet part as spreadsheet programs write them: shared, inline and
// formula strings, numbers, booleans, error codes (kept as their text, "#N/A") and
// date-formatted numbers (as local date-times). Cells may come in any order and without
// their reference, in which case they follow the previous one. Cells past XFD1048576 are
// ignored; a sheet of more than maxCells values, or bad XML, gives nothing.
class XlsxSheetParser {
public:
  // A hundred thousand measurement rows are 300,000 cells.
  static constexpr int maxCells = 1000000;

  static std::optional<SheetCells> parse(const QByteArray& xml, const WorkbookContext& context);
};
