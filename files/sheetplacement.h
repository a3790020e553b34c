#pragma once

#include <algorithm>
#include <optional>
#include <utility>

#include <QChar>
#include <QLatin1String>
#include <QStringView>
#include <QVariant>

#include "files/cellreference.h"
#include "files/sheetcells.h"
#include "files/xlsxfailure.h"
#include "files/xlsxsheetparser.h"

// Where each cell of a sheet lands, and the guards against hostile sheets, the same for the
// scanner and the XML reader. Called for every row and cell, so all of it is inline.
class SheetPlacement {
public:
  explicit SheetPlacement(int lastColumn) : m_lastColumn(lastColumn) {}

  // A row without its number follows the previous one. A number of any length saturates
  // past the sheet, so its cells are ignored instead of landing on another row.
  template <typename Text> void startRow(const Text& number) {
    // No program writes more rows than a sheet has: a sheet of more is refused at once.
    if (++m_rows > CellReference::maxRows)
      m_failure = XlsxFailure::TooLarge;
    if (number.isEmpty()) {
      m_row = std::min(m_row + 1, CellReference::maxRows + 1);
    } else {
      m_row = 0;
      for (const auto c : number) {
        const int digit = int(QChar(c).unicode()) - '0';
        if (digit < 0 || digit > 9) {
          m_row = CellReference::maxRows + 1;
          break;
        }
        m_row = std::min(m_row * 10 + digit, CellReference::maxRows + 1);
      }
    }
    m_column = 0;
  }

  // The row of the next cell, from its reference or after the previous cell.
  int placeCell(QLatin1String reference) {
    // A reference longer than "$XFD$1048576" names no place, whatever follows.
    char16_t text[13];
    const int length = std::min(reference.size(), 13);
    std::copy(reference.data(), reference.data() + length, text);
    return placeCell(QStringView(text, length));
  }
  int placeCell(const QStringView reference) {
    if (reference.isEmpty()) {
      m_column = std::min(m_column + 1, CellReference::maxColumns + 1);
      return m_row;
    }
    const CellReference place = CellReference::fromText(reference);
    // An impossible place is ignored, and so are the unnumbered cells after it.
    m_column = place.isValid() ? place.column : CellReference::maxColumns + 1;
    return place.row;
  }

  // Inside the sheet and in a column asked for: only then is a cell converted and kept.
  bool isWanted(int row) const {
    return CellReference::isValid(row, m_column) && m_column <= m_lastColumn;
  }

  // Keeps the value in the cell just placed; false once the sheet holds too many.
  bool store(int row, const QVariant& value) {
    if (value.isValid()) {
      m_cells.set(row, m_column, value);
      if (m_cells.written() > XlsxSheetParser::maxCells) {
        m_failure = XlsxFailure::TooLarge;
        return false;
      }
    }
    return true;
  }

  void fail(XlsxFailure failure) { m_failure = failure; }
  bool failed() const { return m_failure != XlsxFailure::None; }
  XlsxFailure failure() const { return m_failure; }

  // The cells, or nothing once the sheet has failed.
  std::optional<SheetCells> takeCells() {
    if (failed())
      return std::nullopt;
    return std::move(m_cells);
  }

private:
  const int m_lastColumn;
  SheetCells m_cells;
  int m_rows = 0;
  int m_row = 0;
  int m_column = 0;
  XlsxFailure m_failure = XlsxFailure::None;
};
