#pragma once

#include <QString>
#include <QStringView>

// A cell's place on a worksheet, counted from 1 as spreadsheets show it ("B12" is row 12,
// column 2). Places beyond XFD1048576 do not exist in the format and are invalid.
struct CellReference {
  static constexpr int maxRows = 1048576;
  static constexpr int maxColumns = 16384;

  int row = 0;
  int column = 0;

  static bool isValid(int row, int column) {
    return row >= 1 && row <= maxRows && column >= 1 && column <= maxColumns;
  }
  bool isValid() const { return isValid(row, column); }

  // Letters then digits, "$" anchors allowed ("$A$1"); anything else gives an invalid place.
  static CellReference fromText(QStringView text);
};
