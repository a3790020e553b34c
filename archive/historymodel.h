#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QVariantList>
#include <QVariantMap>

#include "archive/historyfilter.h"
#include "formats/measurement.h"

// The archived readings for the history window, newest first (by the tester's stamp; those
// without one last). Rows come from the database as the view scrolls (canFetchMore and
// fetchMore, a few hundred at a time), so a million readings never sit in memory at once.
//
// measurements() and measurementsOfFilter() give readings oldest first, to be opened into the
// main table. QML gets their QList<Measurement> as an opaque value and hands it on, as it is,
// to a C++ method that takes a QList<Measurement>.
class HistoryModel : public QSqlQueryModel {
  Q_OBJECT
  // How many readings the filter lets through: one COUNT over the indexes.
  Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
  enum Roles {
    ReadingIdRole = Qt::UserRole + 1,
    MeasuredAtRole,
    TesterRole,
    ScaleRole,
    HardnessRole,
    HardnessTextRole,
    FrequencyRole,
    SourceRole,
    PartRole,
    LotRole,
    InspectorRole,
    NoteRole,
    SeriesIdRole,
  };

  explicit HistoryModel(const QSqlDatabase& database, QObject* parent = nullptr);

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QHash<int, QByteArray> roleNames() const override;
  int count() const { return m_count; }

  // The keys of HistoryFilter; an empty map shows every reading.
  Q_INVOKABLE void setFilter(const QVariantMap& filter);
  // Reads again what is archived (after Archive::stored).
  Q_INVOKABLE void refresh();
  // The archive opened its file anew: the queries go to the new connection.
  void setDatabase(const QSqlDatabase& database);

  Q_INVOKABLE QList<Measurement> measurements(const QVariantList& readingIds) const;
  Q_INVOKABLE QList<Measurement> measurementsOfFilter() const;

signals:
  void countChanged();

private:
  // broad: the filter lets through a good share of the readings.
  SqlConditions conditions(bool broad = false) const;
  int countOf(const SqlConditions& where) const;
  QList<Measurement> measurementsWhere(const SqlConditions& where) const;

  QSqlDatabase m_database;
  HistoryFilter m_filter;
  int m_count = 0;
};
