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
}

// A flat table: rows have no children, or tree-walking views would recurse forever.
int MeasurementModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
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

QDateTime MeasurementModel::dateTime(int index) const {
  return hasRow(index) ? shownMeasurement(index).dateTime() : QDateTime();
}

double MeasurementModel::hardness(int index) const {
  return hasRow(index) ? shownMeasurement(index).hardness() : 0.0;
}

double MeasurementModel::frequency(int index) const {
  return hasRow(index) ? shownMeasurement(index).frequency() : 0.0;
}

QString MeasurementModel::scale(int index) const {
  return hasRow(index) ? shownMeasurement(index).scale() : QString();
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
  int firstTicked = -1;
  int lastTicked = -1;
  int tickedRows = 0;
  for (int row = 0; row < count; ++row) {
    if (!m_shown[row].checked)
      continue;
    if (firstTicked < 0)
      firstTicked = row;
    lastTicked = row;
    ++tickedRows;
  }

  if (tickedRows > 0) {
    // One run leaves as one removal, so a view keeps its place; scattered runs as one reset,
    // since a removal per run costs a view a rebuild per run.
    const bool oneRun = lastTicked - firstTicked + 1 == tickedRows;
    if (oneRun)
      beginRemoveRows(QModelIndex(), firstTicked, lastTicked);
    else
      beginResetModel();
    std::vector<char> dropped(m_all.size(), 0);
    for (const ShownRow& row : m_shown)
      if (row.checked)
        dropped[row.source] = 1;
    m_shown.erase(std::remove_if(m_shown.begin(),
                                 m_shown.end(),
                                 [](const ShownRow& row) { return row.checked; }),
                  m_shown.end());
    removeFromAll(dropped);
    if (oneRun)
      endRemoveRows();
    else
      endResetModel();
  }

  emitHardnessChanged(std::max(firstTicked, 0));
  forgetRangeAnchor();
}

void MeasurementModel::deleteRow(int index) {
  if (!hasRow(index))
    return;
  keepForUndo(false, index);
  remove(index);
}

void MeasurementModel::deleteChecked() {
  const bool anyTicked = std::any_of(
      m_shown.cbegin(), m_shown.cend(), [](const ShownRow& row) { return row.checked; });
  if (anyTicked)
    keepForUndo(true, -1);
  removeChecked();
}

bool MeasurementModel::undoDeletion() {
  if (m_deleted.empty())
    return false;
  beginResetModel();
  // Records came and went since: a place past the end is the end.
  std::vector<int> ticks(m_all.size(), -1); // -1: not shown
  for (const ShownRow& row : m_shown)
    ticks[row.source] = row.checked;
  std::vector<Measurement> all;
  std::vector<int> allTicks;
  all.reserve(m_all.size() + m_deleted.size());
  allTicks.reserve(all.capacity());
  size_t next = 0;
  for (size_t i = 0; i <= m_all.size(); ++i) {
    for (; next < m_deleted.size() && (m_deleted[next].position <= all.size() || i == m_all.size());
         ++next) {
      all.push_back(m_deleted[next].meas);
      allTicks.push_back(isShownScale(all.back().scale()) ? m_deleted[next].checked : -1);
    }
    if (i < m_all.size()) {
      all.push_back(std::move(m_all[i]));
      allTicks.push_back(ticks[i]);
    }
  }
  m_all = std::move(all);
  m_shown.clear();
  for (size_t i = 0; i < m_all.size(); ++i)
    if (allTicks[i] >= 0)
      m_shown.push_back({static_cast<int>(i), allTicks[i] == 1});
  endResetModel();
  // The scale list as it was, with any scale that came since.
  QStringList names = m_namesBeforeDeletion;
  for (const QString& name : qAsConst(m_scaleNames))
    if (!names.contains(name))
      names.append(name);
  setScaleNames(names);
  forgetRangeAnchor();
  forgetDeletion();
  return true;
}

void MeasurementModel::keepForUndo(bool tickedOnly, int row) {
  m_deleted.clear();
  for (int shown = 0; shown < rowCount(); ++shown) {
    const ShownRow& candidate = m_shown[shown];
    if (tickedOnly ? candidate.checked : shown == row)
      m_deleted.push_back(
          {static_cast<size_t>(candidate.source), m_all[candidate.source], candidate.checked});
  }
  m_namesBeforeDeletion = m_scaleNames;
  emit canUndoDeletionChanged();
}

void MeasurementModel::forgetDeletion() {
  if (m_deleted.empty())
    return;
  m_deleted.clear();
  m_namesBeforeDeletion.clear();
  emit canUndoDeletionChanged();
}

void MeasurementModel::clear() {
  forgetDeletion(); // a new table
  beginResetModel();
  m_shown.clear();
  m_all.clear();
  endResetModel();
  setScaleNames(QStringList{m_scaleNames.first()});
  forgetRangeAnchor();
}

void MeasurementModel::replaceAll(const QList<Measurement>& records) {
  forgetDeletion(); // a new table
  beginResetModel();
  m_all.assign(records.cbegin(), records.cend());
  QStringList names{m_scaleNames.first()};
  for (Measurement& meas : m_all) {
    meas.setChecked(false); // ticks live in the shown rows only
    if (names.indexOf(meas.scale(), 1) < 0)
      names.append(meas.scale());
  }
  fillShownRows();
  for (size_t row = 0; row < m_shown.size(); ++row)
    m_shown[row].checked = records[m_shown[row].source].checked();
  endResetModel();
  setScaleNames(names);
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
  replaceAll(*rows);
  return QString();
}

void MeasurementModel::rebuildShownRows(bool filterActive, const QString& filterScale) {
  beginResetModel();
  m_filterActive = filterActive;
  m_filterScale = filterScale;
  fillShownRows();
  endResetModel();
  forgetRangeAnchor();
}

void MeasurementModel::fillShownRows() {
  m_shown.clear();
  for (size_t i = 0; i < m_all.size(); ++i)
    if (isShownScale(m_all[i].scale()))
      m_shown.push_back({static_cast<int>(i), false});
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
