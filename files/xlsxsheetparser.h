#pragma once

#include <optional>

#include <QByteArray>

#include "files/cellvalues.h"
#include "files/sheetcells.h"
#include "files/xlsxfailure.h"

// The cells of a worksheet part as spreadsheet programs write them: shared, inline and
// formula strings, numbers, booleans, error codes (kept as their text, "#N/A") and
// date-formatted numbers (as local date-times). Cells may come in any order and without
// their reference, in which case they follow the previous one. Cells past XFD1048576, or
// right of lastColumn, are skipped unread; a sheet of more than maxCells values, or bad XML,
// gives nothing (and the failure says which).
class XlsxSheetParser {
public:
  // A full sheet of 1,048,576 measurement rows is 3,145,728 cells.
  static constexpr int maxCells = 3200000;
  // What the XML reader is given of a sheet, which it reads at about 30 MB a second: the
  // part around the sheet data, and sheet data in a layout the scanner leaves to it
  // (comments, prefixed elements, rich text runs), about 100,000 rows of ours. Sheet data
  // as spreadsheet programs write it is scanned, up to a full sheet.
  static constexpr int maxReaderSize = 16 * 1024 * 1024;
  static constexpr int maxReaderElements = 2000000;

  static std::optional<SheetCells> parse(const QByteArray& xml,
                                         const WorkbookContext& context,
                                         XlsxFailure* failure = nullptr,
                                         int lastColumn = CellReference::maxColumns);
  // The same through the XML reader alone, without the scanner that parse gives the usual
  // shapes of sheet data to; both must give the same cells.
  static std::optional<SheetCells> parseWithXmlReader(const QByteArray& xml,
                                                      const WorkbookContext& context,
                                                      XlsxFailure* failure = nullptr,
                                                      int lastColumn = CellReference::maxColumns);
};
