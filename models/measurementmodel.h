#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include "formats/measurement.h"

class QStringListModel;

// The measurements the interface shows: a two-column table for the chart (number, hardness)
// and four roles for the list, with an optional scale filter, ticking of single rows and of
// ranges, and removal. MeasurementStatistics keeps the figures of the shown rows.
//
// Ticks belong to the shown rows only; rebuilding them for a filter change unticks all.
// Tables of 100,000 rows stay fast: adding a row never walks the table, and removeChecked
// costs one pass whatever the number of ticked runs. Views redraw on every notification, so
// a change of many rows (a memory read, a workbook, clear, a filter, removeChecked over
// scattered rows) reaches them as one model reset; a live row is one insert of one row.
class MeasurementModel : public QAbstractTableModel {
  Q_OBJECT
  Q_PROPERTY(QStringListModel* scales READ getScales CONSTANT)
  // Whether undoDeletion() has rows to bring back.
  Q_PROPERTY(bool canUndoDeletion READ canUndoDeletion NOTIFY canUndoDeletionChanged)

public:
  enum Roles { CheckedRole = Qt::UserRole + 1, DateTimeRole, HardnessRole, AveragingRole };
  static constexpr int ColumnCount = 2;

  explicit MeasurementModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // Whatever the role, the value becomes the row's tick.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QHash<int, QByteArray> roleNames() const override;

  Q_INVOKABLE QDateTime dateTime(int index) const;
  Q_INVOKABLE double hardness(int index) const;
  Q_INVOKABLE double frequency(int index) const;
  // The scale the shown row was measured in; empty outside the list.
  Q_INVOKABLE QString scale(int index) const;
  // "All scales" first, then each scale name in the order it first arrived.
  Q_INVOKABLE QStringListModel* getScales() const;
  Q_INVOKABLE void setScaleFilter(const QString& scale);
  Q_INVOKABLE void resetScaleFilter();
  Q_INVOKABLE void clearSelected();
  // Appends a record; it is shown unless a filter for another scale is in force.
  Q_INVOKABLE void add(const Measurement& meas);
  // Removes one shown row; a scale left without shown rows leaves the scale list.
  Q_INVOKABLE void remove(int index);
  // Removes every ticked row; the scale list stays as it is.
  Q_INVOKABLE void removeChecked();
  // The user's deletions: as remove() and removeChecked(), but the rows are kept until the
  // next deletion of the user or a new table, so that undoDeletion() can bring them back.
  // The tester's delete key takes its measurement away for good through remove().
  Q_INVOKABLE void deleteRow(int index);
  Q_INVOKABLE void deleteChecked();
  // Puts the rows of the last deletion back at their places among the records, with their
  // ticks; false when there is nothing to bring back.
  Q_INVOKABLE bool undoDeletion();
  bool canUndoDeletion() const { return !m_deleted.empty(); }
  // Removes every record; a filter in force stays in force.
  Q_INVOKABLE void clear();
  // Replaces every record by these, as clear() followed by add() of each would, but with
  // one notification; a filter in force stays in force.
  void replaceAll(const QList<Measurement>& records);
  Q_INVOKABLE void setFirstIndex(int index);
  // Ticks every row from the remembered one to this one; with none remembered, remembers it.
  Q_INVOKABLE void setSecondIndex(int index);

  // The shown rows with their ticks, in row order.
  QList<Measurement> shownMeasures() const;

  // An empty name does nothing; otherwise the shown rows go to the workbook. The result is
  // empty on success, else the reason for the user.
  QString saveToXlsx(const QString& fileName);
  // Replaces the records by the workbook's; a file that cannot be read keeps them. The result
  // is empty on success, else the reason for the user.
  QString openFromXlsx(const QString& fileName);

signals:
  void canUndoDeletionChanged();

private:
  struct ShownRow {
    int source = 0; // position in m_all
    bool checked = false;
  };

  const ShownRow& shownRow(int row) const { return m_shown[row]; }
  ShownRow& shownRow(int row) { return m_shown[row]; }
  const Measurement& shownMeasurement(int row) const { return m_all[shownRow(row).source]; }
  bool hasRow(int row) const { return row >= 0 && row < rowCount(); }
  bool isShownScale(const QString& scale) const {
    return !m_filterActive || scale == m_filterScale;
  }
  void rebuildShownRows(bool filterActive, const QString& filterScale);
  void fillShownRows();
  void removeFromAll(const std::vector<char>& dropped);
  void setScaleNames(const QStringList& names);
  void emitHardnessChanged(int firstRow);
  void forgetRangeAnchor();
  // Notes the shown rows about to go (ticked ones only, or just one) as the last deletion.
  void keepForUndo(bool tickedOnly, int row);
  void forgetDeletion();

  struct DeletedRecord {
    size_t position = 0; // in m_all before the deletion
    Measurement meas;
    bool checked = false;
  };

  std::vector<Measurement> m_all; // every record since the last clear, as added
  std::vector<ShownRow> m_shown;  // the rows shown, in the order of m_all

  QStringListModel* m_scaleNamesModel = nullptr;
  QStringList m_scaleNames;
  QString m_filterScale;
  bool m_filterActive = false;
  int m_firstIndex = -1;
  std::vector<DeletedRecord> m_deleted; // the last deletion of the user, by position
  QStringList m_namesBeforeDeletion;
};
