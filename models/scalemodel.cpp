#include "models/scalemodel.h"

#include <algorithm>

#include <QSettings>

namespace {

// Spelled so: files written by earlier versions use this name.
const char kDescriptionGroup[] = "ScaleDesciptions";

QString descriptionKey(int row) {
  return QStringLiteral("Scale") + QString::number(row);
}

} // namespace

ScaleModel::ScaleModel(QObject* parent) : QAbstractListModel(parent) {}

void ScaleModel::addTesterSlots() {
  const QString standard[StandardScales][2] = {
      {QStringLiteral("HRC"), tr("Роквелл С, легир. сталь")},
      {QStringLiteral("HB"), tr("Бринелль, легир. сталь")},
      {QStringLiteral("HV"), tr("Виккерс, легир. сталь")},
  };
  for (const auto& row : standard) {
    Scale scale = Scale::standard(row[0], row[1]);
    add(scale);
  }
  for (int i = StandardScales; i < maxScales(); ++i) {
    Scale free = Scale::freeUserSlot();
    add(free);
  }
}

void ScaleModel::keepDescriptionsIn(QSettings* file) {
  m_descriptionFile = file;
  file->beginGroup(kDescriptionGroup);
  // Only a complete group is trusted; a partial one leaves the built-in descriptions.
  if (file->childKeys().size() == maxScales() - StandardScales) {
    for (int row = StandardScales; row < rowCount(); ++row)
      m_scales[row].setDescription(file->value(descriptionKey(row)).toString());
    emit dataChanged(index(StandardScales), index(rowCount() - 1));
  }
  file->endGroup();
  m_savedDescriptions = userDescriptions();
  connect(this, &QAbstractItemModel::dataChanged, this, &ScaleModel::saveDescriptions);
  connect(this, &QAbstractItemModel::layoutChanged, this, &ScaleModel::saveDescriptions);
}

QStringList ScaleModel::userDescriptions() const {
  QStringList descriptions;
  for (int row = StandardScales; row < rowCount(); ++row)
    descriptions.append(m_scales.at(row).description());
  return descriptions;
}

void ScaleModel::saveDescriptions() {
  if (!m_descriptionFile || userDescriptions() == m_savedDescriptions)
    return;
  m_descriptionFile->beginGroup(kDescriptionGroup);
  for (int row = StandardScales; row < rowCount(); ++row)
    m_descriptionFile->setValue(descriptionKey(row), m_scales.at(row).description());
  m_descriptionFile->endGroup();
  m_descriptionFile->sync();
  m_savedDescriptions = userDescriptions();
}

int ScaleModel::rowCount(const QModelIndex& parent) const {
  // A flat list: rows have no children.
  return parent.isValid() ? 0 : m_scales.size();
}

QVariant ScaleModel::data(const QModelIndex& index, int role) const {
  if (!hasRow(index.row()))
    return QVariant();
  const Scale& row = m_scales.at(index.row());
  switch (role) {
  case IsVisibleRole:
    return row.isVisible();
  case IsReadOnlyRole:
    return row.isReadOnly();
  case EnableRole:
    return row.enable();
  case NumberRole:
    return row.number();
  case NameRole:
    return row.name();
  case DescriptionRole:
    return row.description();
  case UnknownRole:
    return !row.isRead();
  default:
    return QVariant();
  }
}

bool ScaleModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!hasRow(index.row()))
    return false;
  Scale& row = m_scales[index.row()];
  switch (role) {
  case EnableRole:
    row.setEnable(value.toBool());
    break;
  case NumberRole:
    row.setNumber(value.toString());
    break;
  case NameRole:
    row.setName(value.toString());
    break;
  case DescriptionRole:
    row.setDescription(value.toString());
    break;
  default:
    // Visibility and read-only belong to the slot's state, not to the editor.
    return false;
  }
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags ScaleModel::flags(const QModelIndex& index) const {
  // The root is no item: it must not claim to be editable.
  const Qt::ItemFlags base = QAbstractListModel::flags(index);
  return index.isValid() ? base | Qt::ItemIsEditable : base;
}

QHash<int, QByteArray> ScaleModel::roleNames() const {
  return {{IsVisibleRole, "isVisible"},
          {IsReadOnlyRole, "isReadOnly"},
          {EnableRole, "enable"},
          {NumberRole, "number"},
          {NameRole, "name"},
          {DescriptionRole, "description"},
          {UnknownRole, "unknown"}};
}

const Scale* ScaleModel::scale(ScaleNumber index) const {
  return hasRow(index) ? &m_scales.at(index) : nullptr;
}

void ScaleModel::setSlotContent(ScaleNumber index, const ScaleConstants& constants) {
  if (!hasRow(index))
    return;
  Scale& row = m_scales[index];
  const QString standardName = row.name();
  row.setConstants(constants);
  if (index < StandardScales) {
    row.setName(standardName); // the standard scales keep their names
  } else {
    // A user slot whose A is exactly 1 is free.
    row.setIsVisible(constants.a != Scale::FreeSlotA);
  }
  emitRowChanged(index);
  setRead(index, true);
}

void ScaleModel::setEdited(ScaleNumber index, const Scale& edited) {
  if (!hasRow(index))
    return;
  Scale& row = m_scales[index];
  const bool read = row.isRead();
  const QString number = row.number();
  row = edited;
  row.setIsRead(read);
  row.setNumber(number);
  emitRowChanged(index);
}

bool ScaleModel::enabled(int index) const {
  return hasRow(index) && m_scales.at(index).enable();
}

void ScaleModel::setEnabled(int index, bool enable) {
  if (!hasRow(index))
    return;
  m_scales[index].setEnable(enable);
  emitRowChanged(index);
}

qint16 ScaleModel::scaleNumber(const QString& scaleName) const {
  if (scaleName.isEmpty())
    return -1;
  for (int i = 0; i < m_scales.size(); ++i)
    if (m_scales.at(i).name() == scaleName)
      return static_cast<qint16>(i);
  return -1;
}

QString ScaleModel::scaleName(qint16 scaleNumber) const {
  // The tester has sixteen slots; a negative number read unsigned is far above them.
  const auto slot = static_cast<quint16>(scaleNumber);
  if (slot > 15 || !hasRow(slot))
    return QString();
  return m_scales.at(slot).name();
}

qint16 ScaleModel::lowestHiddenNumber() const {
  for (int i = StandardScales; i < m_scales.size(); ++i)
    if (!m_scales.at(i).isVisible())
      return static_cast<qint16>(i);
  return -1;
}

void ScaleModel::hideScale(int index) {
  if (!hasRow(index))
    return;
  Scale& row = m_scales[index];
  row.setIsVisible(false);
  row.setEnable(false);
  row.setA(Scale::FreeSlotA);
  markModified(index);
  emitRowChanged(index);
}

void ScaleModel::showScale(int index) {
  if (!hasRow(index))
    return;
  Scale& row = m_scales[index];
  row.setIsVisible(true);
  row.setA(0.0);
  markModified(index);
  emitRowChanged(index);
}

void ScaleModel::unhideLowestScale(const QString& name, const QString& description) {
  if (name.isEmpty() && description.isEmpty())
    return;
  const int index = lowestHiddenNumber();
  if (index < 0)
    return;
  emit layoutAboutToBeChanged();
  Scale& row = m_scales[index];
  row.setName(name);
  row.setDescription(description);
  row.setA(0.0);
  row.setIsVisible(true);
  markModified(index);
  emit layoutChanged();
}

QStringList ScaleModel::visibleScaleNames() const {
  QStringList names;
  for (const Scale& row : m_scales)
    if (row.isVisible() && row.enable())
      names.append(row.name());
  return names;
}

QStringList ScaleModel::visibleMeasScaleNames() const {
  return QStringList{tr("Все шкалы")} + visibleScaleNames();
}

QList<int> ScaleModel::modifiedIndexes() const {
  return m_modified;
}

void ScaleModel::clearModifiedIndexes() {
  m_modified.clear();
}

bool ScaleModel::allRead() const {
  return std::all_of(
      m_scales.cbegin(), m_scales.cend(), [](const Scale& row) { return row.isRead(); });
}

void ScaleModel::setRead(int index, bool read) {
  if (!hasRow(index) || m_scales.at(index).isRead() == read)
    return;
  const bool wasAllRead = allRead();
  m_scales[index].setIsRead(read);
  emitRowChanged(index);
  if (allRead() != wasAllRead)
    emit allReadChanged();
}

void ScaleModel::add(Scale& scale) {
  const int n = m_scales.size();
  if (n >= m_maxScales)
    return;
  scale.setNumber(QStringLiteral("%1").arg(n + 1, 3, 10, QLatin1Char('0')));
  beginInsertRows(QModelIndex(), n, n);
  m_scales.append(scale);
  endInsertRows();
  emit allReadChanged();
}

void ScaleModel::remove(int index) {
  if (!hasRow(index))
    return;
  beginRemoveRows(QModelIndex(), index, index);
  m_scales.removeAt(index);
  endRemoveRows();
  emit allReadChanged();
}

void ScaleModel::clear() {
  if (m_scales.isEmpty())
    return;
  emit layoutAboutToBeChanged();
  // Indexes kept by views point at rows that no longer exist.
  const QModelIndexList kept = persistentIndexList();
  QModelIndexList gone;
  gone.reserve(kept.size());
  for (int i = 0; i < kept.size(); ++i)
    gone.append(QModelIndex());
  changePersistentIndexList(kept, gone);
  m_scales.clear();
  emit layoutChanged();
  emit allReadChanged();
}

void ScaleModel::markModified(int index) {
  if (!m_modified.contains(index))
    m_modified.append(index);
}

void ScaleModel::emitRowChanged(int index) {
  const QModelIndex changed = this->index(index);
  emit dataChanged(changed, changed);
}
