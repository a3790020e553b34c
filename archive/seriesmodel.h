#pragma once

#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QVariantMap>

#include "archive/historyfilter.h"

// The archive's series (a connection's memory read, a live session, a calibration), the
// newest first. It takes the history's filter from the series' own columns: the tester, the
// context, the series, and the dates its readings span. The scale is a reading's, not a
// series': it would mean looking through every reading, so it does not narrow the series.
class SeriesModel : public QSqlQueryModel {
  Q_OBJECT

public:
  enum Roles {
    SeriesIdRole = Qt::UserRole + 1,
    StartedRole,
    TesterRole,
    SourceRole,
    CountRole,
    PartRole,
    LotRole,
    InspectorRole,
    NoteRole,
    FirstStampRole,
    LastStampRole,
  };

  explicit SeriesModel(const QSqlDatabase& database, QObject* parent = nullptr);

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QHash<int, QByteArray> roleNames() const override;

  // The keys of HistoryFilter, "scale" aside.
  Q_INVOKABLE void setFilter(const QVariantMap& filter);
  Q_INVOKABLE void refresh();
  // The archive opened its file anew: the queries go to the new connection.
  void setDatabase(const QSqlDatabase& database);

private:
  QSqlDatabase m_database;
  HistoryFilter m_filter;
};
