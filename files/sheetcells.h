#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include <QVariant>

#include "files/cellreference.h"

// The non-empty cells of one worksheet, by place. An invalid value stands for an empty cell.
//
// Kept as one vector in place order: sheets are written and read row by row, so cells
// arrive in order and cost no more than an append, and a sheet of 300,000 cells is freed at
// once instead of node by node. Cells set out of order (or emptied) are put in order, the
// last write of a place winning, when they are next looked at.
class SheetCells {
public:
  // Stores the value; an invalid value empties the cell. Places outside the sheet are ignored.
  void set(int row, int column, const QVariant& value) {
    if (!CellReference::isValid(row, column))
      return;
    const quint64 place = key(row, column);
    if (!m_cells.empty() && m_cells.back().first >= place)
      m_ordered = false;
    if (!value.isValid())
      m_ordered = false; // the empty entry goes when the cells are put in order
    m_cells.emplace_back(place, value);
    ++m_written;
  }
  QVariant value(int row, int column) const {
    order();
    const quint64 place = key(row, column);
    const auto found = std::lower_bound(
        m_cells.cbegin(), m_cells.cend(), place, [](const Cell& cell, quint64 wanted) {
          return cell.first < wanted;
        });
    return found != m_cells.cend() && found->first == place ? found->second : QVariant();
  }
  int count() const {
    order();
    return int(m_cells.size());
  }
  // Every set since the cells were made, rewrites and emptying included: a cap on this
  // bounds the work of a sheet whatever it repeats.
  int written() const { return m_written; }
  void reserve(int count) { m_cells.reserve(size_t(count)); }

  // Calls visit(row, column, value) for every cell, row by row and left to right.
  template <typename Visit> void forEach(Visit visit) const {
    order();
    for (const Cell& cell : m_cells)
      visit(int(cell.first >> 16), int(cell.first & 0xffff), cell.second);
  }

private:
  using Cell = std::pair<quint64, QVariant>;

  // A column fits 15 bits and a row 21, so one integer names a place, and places sort
  // row by row.
  static quint64 key(int row, int column) { return (quint64(row) << 16) | quint64(column); }

  void order() const {
    if (m_ordered)
      return;
    std::stable_sort(m_cells.begin(), m_cells.end(), [](const Cell& a, const Cell& b) {
      return a.first < b.first;
    });
    // Of the writes to one place the last counts; an empty one removes the cell.
    std::vector<Cell> kept;
    kept.reserve(m_cells.size());
    for (size_t i = 0; i < m_cells.size(); ++i) {
      if (i + 1 < m_cells.size() && m_cells[i + 1].first == m_cells[i].first)
        continue;
      if (m_cells[i].second.isValid())
        kept.push_back(std::move(m_cells[i]));
    }
    m_cells = std::move(kept);
    m_ordered = true;
  }

  mutable std::vector<Cell> m_cells;
  mutable bool m_ordered = true;
  int m_written = 0;
};
