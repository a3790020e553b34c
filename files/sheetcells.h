#pragma once

#include <algorithm>

#include <QHash>
#include <QVariant>
#include <QVector>

#include "files/cellreference.h"

// The non-empty cells of one worksheet, by place. An invalid value stands for an empty cell.
class SheetCells {
public:
  // Stores the value; an invalid value empties the cell. Places outside the sheet are ignored.
  void set(int row, int column, const QVariant& value) {
    if (!CellReference::isValid(row, column)) {
      return;
    }
    if (value.isValid()) {
      m_cells.insert(key(row, column), value);
    } else {
      m_cells.remove(key(row, column));
    }
  }
  QVariant value(int row, int column) const { return m_cells.value(key(row, column)); }
  int count() const { return m_cells.size(); }
  void reserve(int count) { m_cells.reserve(count); }

  // Calls visit(row, column, value) for every cell, row by row and left to right.
  template <typename Visit> void forEach(Visit visit) const {
    QVector<quint64> keys;
    keys.reserve(m_cells.size());
    for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
      keys.append(it.key());
    }
    std::sort(keys.begin(), keys.end());
    for (const quint64 place : keys) {
      visit(int(place >> 16), int(place & 0xffff), m_cells.value(place));
    }
  }

private:
  // A column fits 15 bits and a row 21, so one integer names a place, and places sort
  // row by row.
  static quint64 key(int row, int column) { return (quint64(row) << 16) | quint64(column); }

  QHash<quint64, QVariant> m_cells;
};
