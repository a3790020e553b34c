#include "app/chartpoints.h"

#include <algorithm>
#include <cmath>

#include <QAbstractItemModel>
#include <QTimer>
#include <QtCharts/QXYSeries>

using QtCharts::QXYSeries;

namespace {
constexpr int HardnessColumn = 1;
}

ChartPoints::ChartPoints(QObject* parent) : QObject(parent) {}

void ChartPoints::setModel(QAbstractItemModel* model) {
  if (model == m_model)
    return;
  if (m_model)
    disconnect(m_model, nullptr, this, nullptr);
  m_model = model;
  if (m_model) {
    connect(m_model,
            &QAbstractItemModel::rowsInserted,
            this,
            [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); });
    connect(
        m_model,
        &QAbstractItemModel::rowsRemoved,
        this,
        [this](const QModelIndex&, int first, int last) {
          m_hardness.erase(m_hardness.begin() + first, m_hardness.begin() + last + 1);
          emit countChanged();
          scheduleRedraw();
        });
    connect(m_model,
            &QAbstractItemModel::dataChanged,
            this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
              valuesChanged(topLeft.row(), bottomRight.row());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, &ChartPoints::readAll);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &ChartPoints::readAll);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &ChartPoints::readAll);
  }
  readAll();
  emit modelChanged();
}

QObject* ChartPoints::line() const {
  return m_line.data();
}

void ChartPoints::setLine(QObject* series) {
  m_line = qobject_cast<QXYSeries*>(series);
  emit seriesChanged();
  scheduleRedraw();
}

QObject* ChartPoints::markers() const {
  return m_markers.data();
}

void ChartPoints::setMarkers(QObject* series) {
  m_markers = qobject_cast<QXYSeries*>(series);
  emit seriesChanged();
  scheduleRedraw();
}

void ChartPoints::setFrom(qreal from) {
  if (qFuzzyCompare(from, m_from))
    return;
  m_from = from;
  emit viewChanged();
  scheduleRedraw();
}

void ChartPoints::setTo(qreal to) {
  if (qFuzzyCompare(to, m_to))
    return;
  m_to = to;
  emit viewChanged();
  scheduleRedraw();
}

void ChartPoints::setColumns(int columns) {
  columns = std::max(columns, 1);
  if (columns == m_columns)
    return;
  m_columns = columns;
  emit viewChanged();
  scheduleRedraw();
}

void ChartPoints::setMarkerLimit(int limit) {
  if (limit == m_markerLimit)
    return;
  m_markerLimit = limit;
  emit viewChanged();
  scheduleRedraw();
}

void ChartPoints::readAll() {
  m_hardness.clear();
  if (m_model) {
    const int rows = m_model->rowCount();
    m_hardness.reserve(rows);
    for (int row = 0; row < rows; ++row)
      m_hardness.append(m_model->index(row, HardnessColumn).data().toDouble());
  }
  emit countChanged();
  scheduleRedraw();
}

void ChartPoints::rowsInserted(int first, int last) {
  const bool atEnd = first == m_hardness.size();
  m_hardness.insert(first, last - first + 1, 0.0);
  for (int row = first; row <= last; ++row)
    m_hardness[row] = m_model->index(row, HardnessColumn).data().toDouble();
  emit countChanged();
  if (!atEnd) {
    scheduleRedraw(); // every number after the insertion moved
    return;
  }
  for (int row = first; row <= last; ++row) {
    if (!appendToDrawing(row)) {
      scheduleRedraw();
      return;
    }
  }
}

void ChartPoints::valuesChanged(int first, int last) {
  // Ticking a row changes nothing drawn; only a changed hardness needs a redraw.
  bool changed = false;
  last = std::min(last, int(m_hardness.size()) - 1);
  for (int row = std::max(first, 0); row <= last; ++row) {
    const double value = m_model->index(row, HardnessColumn).data().toDouble();
    if (value != m_hardness[row]) {
      m_hardness[row] = value;
      changed = true;
    }
  }
  if (changed)
    scheduleRedraw();
}

void ChartPoints::scheduleRedraw() {
  // Coalesced: a reset, a pan (both ends of the axis) or a resize draw once.
  if (m_redrawPending)
    return;
  m_redrawPending = true;
  QTimer::singleShot(0, this, [this] {
    if (m_redrawPending)
      redraw();
  });
}

void ChartPoints::redraw() {
  m_redrawPending = false;
  const int first = firstDrawnRow();
  const int last = lastDrawnRow();
  m_decimated = rowsInView() > m_markerLimit;
  QVector<QPointF> points;
  if (!m_decimated) {
    points.reserve(std::max(last - first + 1, 0));
    for (int row = first; row <= last; ++row)
      points.append(point(row));
    if (m_markers)
      m_markers->replace(points);
  } else {
    points.reserve(2 * m_columns + 4);
    Column column;
    bool open = false;
    for (int row = first; row <= last; ++row) {
      const int index = columnOf(row);
      if (!open || index != column.index) {
        if (open)
          points += columnPoints(column);
        column = {index, row, row};
        open = true;
      } else if (m_hardness[row] < m_hardness[column.low]) {
        column.low = row;
      } else if (m_hardness[row] > m_hardness[column.high]) {
        column.high = row;
      }
    }
    m_lastColumn = column;
    m_lastColumnPoints = open ? columnPoints(column).size() : 0;
    if (open)
      points += columnPoints(column);
    if (m_markers)
      m_markers->clear();
  }
  if (m_line)
    m_line->replace(points);
  m_drawnLast = last;
  m_markersShown = !m_decimated;
  emit drawn();
}

bool ChartPoints::appendToDrawing(int row) {
  if (m_redrawPending || row > lastDrawnRow())
    return true; // drawn by the coming redraw, or lies beyond the view
  if (!m_line || row != m_drawnLast + 1)
    return false;
  if (!m_decimated) {
    if (rowsInView() > m_markerLimit)
      return false;
    m_line->append(point(row));
    if (m_markers)
      m_markers->append(point(row));
  } else {
    const int index = columnOf(row);
    if (m_lastColumnPoints > 0 && index == m_lastColumn.index) {
      if (m_hardness[row] < m_hardness[m_lastColumn.low])
        m_lastColumn.low = row;
      else if (m_hardness[row] > m_hardness[m_lastColumn.high])
        m_lastColumn.high = row;
      const QVector<QPointF> points = columnPoints(m_lastColumn);
      const int base = m_line->count() - m_lastColumnPoints;
      for (int i = 0; i < points.size(); ++i)
        if (i < m_lastColumnPoints)
          m_line->replace(base + i, points[i]);
        else
          m_line->append(points[i]);
      m_lastColumnPoints = points.size();
    } else {
      m_lastColumn = {index, row, row};
      m_lastColumnPoints = 1;
      m_line->append(point(row));
    }
  }
  m_drawnLast = row;
  emit drawn();
  return true;
}

int ChartPoints::columnOf(int row) const {
  const qreal span = m_to > m_from ? m_to - m_from : 1.0;
  return int(std::floor((row + 1 - m_from) / span * m_columns));
}

QVector<QPointF> ChartPoints::columnPoints(const Column& column) const {
  if (column.low == column.high)
    return {point(column.low)};
  if (column.low < column.high)
    return {point(column.low), point(column.high)};
  return {point(column.high), point(column.low)};
}

// Numbers from 1 to count(); row r is number r + 1. The limits are taken in double first, so
// a view far beyond the table cannot overflow an int.
int ChartPoints::firstDrawnRow() const {
  const double firstInView = std::ceil(m_from) - 1;
  return int(std::clamp(firstInView - 1, 0.0, double(count())));
}

int ChartPoints::lastDrawnRow() const {
  const double lastInView = std::floor(m_to) - 1;
  return int(std::clamp(lastInView + 1, -1.0, double(count() - 1)));
}

int ChartPoints::rowsInView() const {
  const double first = std::max(std::ceil(m_from) - 1, 0.0);
  const double last = std::min(std::floor(m_to) - 1, double(count() - 1));
  return last >= first ? int(last - first + 1) : 0;
}
