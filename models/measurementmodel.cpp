#include "models/measurementmodel.h"

#include <algorithm>

#include <QStringListModel>

#include "files/measurementworkbook.h"
#include "models/hardnesstext.h"

namespace {
constexpr int HardnessColumn = 1;
}

MeasurementModel::MeasurementModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_scaleNamesModel(new QStringListModel(this)), m_scaleNames{tr("Все шкалы")} {
  qRegisterMetaType<Measurement>();
  m_scaleNamesModel->setStringList(m_scaleNames);
  // Connected first, so the average is current before any view hears of the change.
  connect(this, &QAbstractItemModel::rowsInserted, this, &MeasurementModel::updateAverage);
  connect(this, &QAbstractItemModel::rowsRemoved, this, &MeasurementModel::updateAverage);
}

// A flat table: rows have no children, or tree-walking views would recurse forever.
int MeasurementModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_shown.size()) - m_gapSize;
}

int MeasurementModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant MeasurementModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  if (!index.isValid() || !hasRow(row))
    return QVariant();
  const Measurement& meas = shownMeasurement(row);
  switch (role) {
  case Qt::DisplayRole:
    if (index.column() == 0)
      return row + 1;
    if (index.column() == HardnessColumn)
      return meas.hardness();
    return QVariant();
  case CheckedRole:
    return shownRow(row).checked;
  case DateTimeRole:
    return meas.dateTime();
  case HardnessRole:
    return HardnessText::ofMeasurement(meas.hardness());
  case AveragingRole:
    return meas.averaging();
  default:
    return QVariant();
  }
}

bool MeasurementModel::setData(const QModelIndex& index, const QVariant& value, int /*role*/) {
  if (!index.isValid() || !hasRow(index.row()))
    return false;
  shownRow(index.row()).checked = value.toBool();
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags MeasurementModel::flags(const QModelIndex& index) const {
  // The root is no item: it must not claim to be editable.
  const Qt::ItemFlags base = QAbstractTableModel::flags(index);
  return index.isValid() ? base | Qt::ItemIsEditable : base;
}

QHash<int, QByteArray> MeasurementModel::roleNames() const {
  return {{CheckedRole, "checkedValue"},
          {DateTimeRole, "dateTime"},
          {HardnessRole, "hardness"},
          {AveragingRole, "averaging"}};
}

QString MeasurementModel::average() const {
  return m_averageText;
}

double MeasurementModel::minHardness() const {
  return hardnessRange().first;
}

double MeasurementModel::maxHardness() const {
  return hardnessRange().second;
}

QDateTime MeasurementModel::dateTime(int index) const {
  return hasRow(index) ? shownMeasurement(index).dateTime() : QDateTime();
}

double MeasurementModel::hardness(int index) const {
  return hasRow(index) ? shownMeasurement(index).hardness() : 0.0;
}

double MeasurementModel::frequency(int index) const {
  return hasRow(index) ? shownMeasurement(index).frequency() : 0.0;
}

QStringListModel* MeasurementModel::getScales() const {
  return m_scaleNamesModel;
}

void MeasurementModel::setScaleFilter(const QString& scale) {
  rebuildShownRows(true, scale);
}

void MeasurementModel::resetScaleFilter() {
  // Also on an empty table: "all scales" must let every later record through.
  rebuildShownRows(false, QString());
}

void MeasurementModel::clearSelected() {
  for (ShownRow& row : m_shown)
    row.checked = false;
  emitHardnessChanged(0);
}

void MeasurementModel::add(const Measurement& meas) {
  m_all.push_back(meas);
  if (isShownScale(meas.scale())) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_shown.push_back({static_cast<int>(m_all.size()) - 1, meas.checked()});
    m_hardnessSum += meas.hardness();
    if (row == 0)
      m_range.emplace(meas.hardness(), meas.hardness());
    else if (m_range)
      *m_range = {std::min(m_range->first, meas.hardness()),
                  std::max(m_range->second, meas.hardness())};
    endInsertRows();
  }
  // The first entry is "all scales", which no record's scale stands for.
  if (m_scaleNames.indexOf(meas.scale(), 1) < 0)
    setScaleNames(m_scaleNames + QStringList{meas.scale()});
}

void MeasurementModel::remove(int index) {
  if (!hasRow(index))
    return;
  const int source = shownRow(index).source;
  const QString scale = m_all[source].scale();

  beginRemoveRows(QModelIndex(), index, index);
  m_shown.erase(m_shown.begin() + index);
  m_all.erase(m_all.begin() + source);
  // Shown rows follow the order of m_all: only the rows below lie past the removed record.
  for (auto it = m_shown.begin() + index; it != m_shown.end(); ++it)
    --it->source;
  recomputeSum();
  endRemoveRows();

  emitHardnessChanged(index);
  const bool scaleStillShown =
      std::any_of(m_shown.cbegin(), m_shown.cend(), [&](const ShownRow& row) {
        return m_all[row.source].scale() == scale;
      });
  if (!scaleStillShown) {
    QStringList names = m_scaleNames;
    const int at = names.indexOf(scale, 1);
    if (at >= 0) {
      names.removeAt(at);
      setScaleNames(names);
    }
  }
  forgetRangeAnchor();
}

void MeasurementModel::removeChecked() {
  const int count = rowCount();
  int lowestTicked = -1;
  for (int row = 0; row < count && lowestTicked < 0; ++row) {
    if (m_shown[row].checked)
      lowestTicked = row;
  }

  // Each run of ticked rows leaves with one notification, from the last run to the first. The
  // rows below a run move behind the gap (each row at most once), the run widens the gap, and
  // m_all is compacted once, within the last notification.
  std::vector<char> dropped(lowestTicked < 0 ? 0 : m_all.size(), 0);
  m_gapAt = count;
  m_gapSize = 0;
  int row = count - 1;
  while (lowestTicked >= 0 && row >= lowestTicked) {
    if (!m_shown[row].checked) {
      --row;
      continue;
    }
    const int last = row;
    while (row >= 0 && m_shown[row].checked)
      --row;
    const int first = row + 1;

    beginRemoveRows(QModelIndex(), first, last);
    const auto survivors = m_shown.begin() + last + 1;
    std::move_backward(survivors, m_shown.begin() + m_gapAt, m_shown.begin() + m_gapAt + m_gapSize);
    for (int r = first; r <= last; ++r) {
      dropped[m_shown[r].source] = 1;
      m_hardnessSum -= m_all[m_shown[r].source].hardness();
    }
    m_gapAt = first;
    m_gapSize += last - first + 1;
    m_range.reset();
    if (first == lowestTicked) {
      m_shown.erase(m_shown.begin() + m_gapAt, m_shown.begin() + m_gapAt + m_gapSize);
      m_gapAt = 0;
      m_gapSize = 0;
      removeFromAll(dropped);
      recomputeSum(); // drop what the subtractions rounded
    }
    endRemoveRows();
  }
  m_gapAt = 0;
  m_gapSize = 0;

  emitHardnessChanged(std::max(lowestTicked, 0));
  forgetRangeAnchor();
}

void MeasurementModel::clear() {
  emit layoutAboutToBeChanged();
  const int count = rowCount();
  // An empty table has no rows 0 to -1 to announce; the average is still told.
  if (count > 0)
    beginRemoveRows(QModelIndex(), 0, count - 1);
  m_shown.clear();
  m_all.clear();
  m_hardnessSum = 0.0;
  m_range.reset();
  if (count > 0)
    endRemoveRows();
  else
    updateAverage();
  emit layoutChanged();
  setScaleNames(QStringList{m_scaleNames.first()});
  forgetRangeAnchor();
}

void MeasurementModel::setFirstIndex(int index) {
  m_firstIndex = index;
}

void MeasurementModel::setSecondIndex(int index) {
  if (m_firstIndex < 0) {
    m_firstIndex = index;
    return;
  }
  const int count = rowCount();
  if (m_firstIndex >= count)
    m_firstIndex = count - 1;
  // Only existing rows are visited, so a far-off index costs nothing.
  const int from = std::max(std::min(m_firstIndex, index), 0);
  const int to = std::min(std::max(m_firstIndex, index), count - 1);
  for (int row = from; row <= to; ++row)
    setData(this->index(row, 0), true, CheckedRole);
  forgetRangeAnchor();
}

QList<Measurement> MeasurementModel::shownMeasures() const {
  QList<Measurement> rows;
  rows.reserve(rowCount());
  for (int row = 0; row < rowCount(); ++row) {
    Measurement meas = shownMeasurement(row);
    meas.setChecked(shownRow(row).checked);
    rows.append(meas);
  }
  return rows;
}

QString MeasurementModel::saveToXlsx(const QString& fileName) {
  QString failure;
  if (!fileName.isEmpty())
    writeMeasurementWorkbook(fileName, shownMeasures(), &failure);
  return failure;
}

QString MeasurementModel::openFromXlsx(const QString& fileName) {
  if (fileName.isEmpty())
    return QString();
  QString failure;
  const std::optional<QList<Measurement>> rows = readMeasurementWorkbook(fileName, &failure);
  if (!rows)
    return failure;
  clear();
  for (const Measurement& meas : *rows)
    add(meas);
  return QString();
}

const MeasurementModel::ShownRow& MeasurementModel::shownRow(int row) const {
  return m_shown[row < m_gapAt ? row : row + m_gapSize];
}

MeasurementModel::ShownRow& MeasurementModel::shownRow(int row) {
  return m_shown[row < m_gapAt ? row : row + m_gapSize];
}

void MeasurementModel::rebuildShownRows(bool filterActive, const QString& filterScale) {
  beginResetModel();
  m_filterActive = filterActive;
  m_filterScale = filterScale;
  m_shown.clear();
  for (size_t i = 0; i < m_all.size(); ++i) {
    if (isShownScale(m_all[i].scale()))
      m_shown.push_back({static_cast<int>(i), false});
  }
  recomputeSum();
  endResetModel();
  updateAverage();
  forgetRangeAnchor();
}

void MeasurementModel::removeFromAll(const std::vector<char>& dropped) {
  std::vector<int> newPosition(m_all.size(), -1);
  size_t kept = 0;
  for (size_t i = 0; i < m_all.size(); ++i) {
    if (dropped[i])
      continue;
    newPosition[i] = static_cast<int>(kept);
    if (kept != i)
      m_all[kept] = std::move(m_all[i]);
    ++kept;
  }
  m_all.resize(kept);
  for (ShownRow& row : m_shown)
    row.source = newPosition[row.source];
}

void MeasurementModel::recomputeSum() {
  m_hardnessSum = 0.0;
  for (int row = 0; row < rowCount(); ++row)
    m_hardnessSum += shownMeasurement(row).hardness();
  m_range.reset();
}

const std::pair<double, double>& MeasurementModel::hardnessRange() const {
  if (!m_range) {
    const int count = rowCount();
    double low = count > 0 ? shownMeasurement(0).hardness() : 0.0;
    double high = low;
    for (int row = 1; row < count; ++row) {
      low = std::min(low, shownMeasurement(row).hardness());
      high = std::max(high, shownMeasurement(row).hardness());
    }
    m_range.emplace(low, high);
  }
  return *m_range;
}

void MeasurementModel::setScaleNames(const QStringList& names) {
  m_scaleNames = names;
  m_scaleNamesModel->setStringList(m_scaleNames);
}

void MeasurementModel::emitHardnessChanged(int firstRow) {
  // Row numbers live in column 0, but the chart rereads a whole point on any change.
  const int last = rowCount() - 1;
  if (firstRow <= last)
    emit dataChanged(index(firstRow, HardnessColumn), index(last, HardnessColumn));
}

void MeasurementModel::forgetRangeAnchor() {
  m_firstIndex = -1;
}

void MeasurementModel::updateAverage() {
  const int count = rowCount();
  m_averageText = count == 0 ? QStringLiteral("0") : HardnessText::ofAverage(m_hardnessSum / count);
  emit averageChanged();
}
