#include "models/measurementstatistics.h"

#include <algorithm>
#include <cmath>

#include <QPointF>

#include "formats/measurement.h"
#include "models/hardnesstext.h"
#include "models/measurementmodel.h"
#include "models/tolerancelimits.h"

void MeasurementStatistics::Aggregate::add(const Row& row) {
  ScaleFigures& figures = scales[row.scale];
  figures.scale = row.scale;
  ++rowCount;
  if (Measurement::isResult(row.hardness)) {
    figures.values.add(row.hardness);
  } else {
    ++invalid;
    ++figures.invalid;
  }
  if (row.outside) {
    ++outside;
    ++figures.outside;
  }
}

void MeasurementStatistics::Aggregate::remove(const Row& row) {
  const auto it = scales.find(row.scale);
  if (it == scales.end())
    return;
  ScaleFigures& figures = it.value();
  --rowCount;
  if (Measurement::isResult(row.hardness)) {
    figures.values.remove(row.hardness);
  } else {
    --invalid;
    --figures.invalid;
  }
  if (row.outside) {
    --outside;
    --figures.outside;
  }
  if (figures.rows() == 0)
    scales.erase(it);
}

void MeasurementStatistics::Aggregate::clear() {
  rowCount = invalid = outside = 0;
  scales.clear();
}

MeasurementStatistics::MeasurementStatistics(QObject* parent) : QObject(parent) {}

MeasurementModel* MeasurementStatistics::model() const {
  return m_model;
}

ToleranceLimits* MeasurementStatistics::limits() const {
  return m_limits;
}

void MeasurementStatistics::setModel(MeasurementModel* model) {
  if (model == m_model)
    return;
  if (m_model)
    m_model->disconnect(this);
  m_model = model;
  if (m_model) {
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MeasurementStatistics::rowsInserted);
    connect(m_model,
            &QAbstractItemModel::rowsAboutToBeRemoved,
            this,
            &MeasurementStatistics::rowsAboutToBeRemoved);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &MeasurementStatistics::rowsChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &MeasurementStatistics::rebuild);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &MeasurementStatistics::rebuild);
  }
  rebuild();
  emit modelChanged();
}

void MeasurementStatistics::setLimits(ToleranceLimits* limits) {
  if (limits == m_limits)
    return;
  if (m_limits)
    m_limits->disconnect(this);
  m_limits = limits;
  if (m_limits)
    connect(m_limits, &ToleranceLimits::limitsChanged, this, &MeasurementStatistics::rebuild);
  rebuild();
  emit limitsObjectChanged();
}

QString MeasurementStatistics::scale() const {
  const auto& scales = covered().scales;
  return scales.size() == 1 ? scales.constBegin().key() : QString();
}

QList<ScaleFigures> MeasurementStatistics::scaleFigures() const {
  return covered().scales.values();
}

QVariantList MeasurementStatistics::blocks() const {
  QVariantList list;
  for (const ScaleFigures& figures : covered().scales) {
    list.append(QVariantMap{{QStringLiteral("scale"), figures.scale},
                            {QStringLiteral("count"), figures.values.count()},
                            {QStringLiteral("invalidCount"), figures.invalid},
                            {QStringLiteral("outsideCount"), figures.outside},
                            {QStringLiteral("meanText"), figures.meanText()},
                            {QStringLiteral("deviationText"), figures.deviationText()},
                            {QStringLiteral("minimumText"), figures.minimumText()},
                            {QStringLiteral("maximumText"), figures.maximumText()},
                            {QStringLiteral("rangeText"), figures.rangeText()}});
  }
  return list;
}

// A row without a result counts as 0 here: its scale's figures hold the valid rows only, and the
// invalid ones add nothing to the sum.
double MeasurementStatistics::average() const {
  if (m_all.rows() == 0)
    return 0.0;
  double sum = 0.0;
  for (const ScaleFigures& figures : m_all.scales)
    sum += figures.values.mean() * figures.values.count();
  return sum / m_all.rows();
}

double MeasurementStatistics::minimum() const {
  if (m_all.invalid > 0)
    return 0.0;
  double lowest = 0.0;
  bool any = false;
  for (const ScaleFigures& figures : m_all.scales) {
    if (figures.values.count() == 0)
      continue;
    lowest = any ? std::min(lowest, figures.values.minimum()) : figures.values.minimum();
    any = true;
  }
  return lowest;
}

double MeasurementStatistics::maximum() const {
  double highest = 0.0;
  for (const ScaleFigures& figures : m_all.scales)
    if (figures.values.count() > 0)
      highest = std::max(highest, figures.values.maximum());
  return highest;
}

QString MeasurementStatistics::averageText() const {
  return m_all.rows() == 0 ? QStringLiteral("0") : HardnessText::ofAverage(average());
}

bool MeasurementStatistics::isRowOutside(int row) const {
  return row >= 0 && row < int(m_rows.size()) && m_rows[row].outside;
}

void MeasurementStatistics::announce() {
  ++m_revision;
  emit changed();
}

QVariantList MeasurementStatistics::outsidePoints(qreal from, qreal to) const {
  QVariantList points;
  if (m_all.outside == 0)
    return points;
  // Row r is measurement number r + 1.
  const int first = qMax(0, int(std::ceil(from)) - 1);
  const int last = qMin(int(m_rows.size()) - 1, int(std::floor(to)) - 1);
  for (int r = first; r <= last; ++r)
    if (m_rows[r].outside)
      points.append(QPointF(r + 1, m_rows[r].hardness));
  return points;
}

MeasurementStatistics::Row MeasurementStatistics::readRow(int row) const {
  Row r;
  r.hardness = m_model->hardness(row);
  r.checked = m_model->data(m_model->index(row, 0), MeasurementModel::CheckedRole).toBool();
  r.scale = m_model->scale(row);
  r.outside = m_limits && m_limits->isOutside(r.scale, r.hardness);
  return r;
}

void MeasurementStatistics::addRow(const Row& row) {
  m_all.add(row);
  if (row.checked)
    m_ticked.add(row);
}

void MeasurementStatistics::removeRow(const Row& row) {
  m_all.remove(row);
  if (row.checked)
    m_ticked.remove(row);
}

void MeasurementStatistics::rebuild() {
  m_rows.clear();
  m_all.clear();
  m_ticked.clear();
  const int rows = m_model ? m_model->rowCount() : 0;
  m_rows.reserve(rows);
  for (int r = 0; r < rows; ++r) {
    m_rows.push_back(readRow(r));
    addRow(m_rows.back());
  }
  announce();
}

void MeasurementStatistics::rowsInserted(const QModelIndex&, int first, int last) {
  if (first < 0 || last < first || first > int(m_rows.size()))
    return rebuild();
  std::vector<Row> added;
  added.reserve(last - first + 1);
  for (int r = first; r <= last; ++r) {
    added.push_back(readRow(r));
    addRow(added.back());
  }
  m_rows.insert(m_rows.begin() + first, added.begin(), added.end());
  announce();
}

void MeasurementStatistics::rowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
  if (first < 0 || last < first || last >= int(m_rows.size()))
    return; // the layout change or reset that follows reads the model again
  for (int r = first; r <= last; ++r)
    removeRow(m_rows[r]);
  m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
  announce();
}

void MeasurementStatistics::rowsChanged(const QModelIndex& topLeft,
                                        const QModelIndex& bottomRight) {
  const int first = qMax(0, topLeft.row());
  const int last = qMin(bottomRight.row(), int(m_rows.size()) - 1);
  bool any = false;
  for (int r = first; r <= last; ++r) {
    // Renumbering after a removal notifies every row below; most of them are unchanged.
    const bool checked =
        m_model->data(m_model->index(r, 0), MeasurementModel::CheckedRole).toBool();
    const double hardness = m_model->hardness(r);
    if (checked == m_rows[r].checked && hardness == m_rows[r].hardness)
      continue;
    removeRow(m_rows[r]);
    m_rows[r] = readRow(r);
    addRow(m_rows[r]);
    any = true;
  }
  if (any)
    announce();
}
