#include "archive/seriesmodel.h"

#include <QSqlQuery>

namespace {

enum Column {
  IdColumn,
  StartedColumn,
  StartedOffsetColumn,
  TesterColumn,
  SourceColumn,
  CountColumn,
  PartColumn,
  LotColumn,
  InspectorColumn,
  NoteColumn,
  FirstStampColumn,
  LastStampColumn,
};

} // namespace

SeriesModel::SeriesModel(const QSqlDatabase& database, QObject* parent)
    : QSqlQueryModel(parent), m_database(database) {
  refresh();
}

QHash<int, QByteArray> SeriesModel::roleNames() const {
  return {
      {SeriesIdRole, "seriesId"},
      {StartedRole, "started"},
      {TesterRole, "tester"},
      {SourceRole, "source"},
      {CountRole, "count"},
      {PartRole, "part"},
      {LotRole, "lot"},
      {InspectorRole, "inspector"},
      {NoteRole, "note"},
      {FirstStampRole, "firstStamp"},
      {LastStampRole, "lastStamp"},
  };
}

QVariant SeriesModel::data(const QModelIndex& index, int role) const {
  static const QHash<int, int> columns = {
      {SeriesIdRole, IdColumn},
      {StartedRole, StartedColumn},
      {TesterRole, TesterColumn},
      {SourceRole, SourceColumn},
      {CountRole, CountColumn},
      {PartRole, PartColumn},
      {LotRole, LotColumn},
      {InspectorRole, InspectorColumn},
      {NoteRole, NoteColumn},
      {FirstStampRole, FirstStampColumn},
      {LastStampRole, LastStampColumn},
  };
  const auto column = columns.constFind(role);
  if (column == columns.cend())
    return QSqlQueryModel::data(index, role);
  const auto at = [&](int col) {
    return QSqlQueryModel::data(this->index(index.row(), col));
  };
  switch (role) {
  case StartedRole:
    return HistorySql::momentText(at(StartedColumn), at(StartedOffsetColumn));
  case FirstStampRole:
  case LastStampRole:
    return HistorySql::stampText(at(*column));
  case SourceRole:
  case CountRole:
    return at(*column).toInt();
  default:
    return at(*column);
  }
}

void SeriesModel::setFilter(const QVariantMap& filter) {
  m_filter = HistoryFilter::fromMap(filter);
  refresh();
}

void SeriesModel::refresh() {
  if (!m_database.isOpen()) {
    clear(); // an archive that could not be opened has nothing to show
    return;
  }
  SqlConditions where;
  // A series is in the dates when its readings' stamps reach into them.
  if (m_filter.from.isValid())
    where.add(QStringLiteral("s.last_stamp >= ?"), {HistorySql::stampOf(m_filter.from)});
  if (m_filter.to.isValid())
    where.add(QStringLiteral("s.first_stamp < ?"), {HistorySql::stampOf(m_filter.to.addDays(1))});
  if (!m_filter.tester.isEmpty())
    where.add(QStringLiteral("s.tester_id = (SELECT id FROM testers WHERE identity = ?)"),
              {m_filter.tester});
  if (m_filter.namesContext())
    where.add(QStringLiteral("s.context_id IN ") + HistorySql::contextIds(m_database, m_filter));
  if (m_filter.seriesId > 0)
    where.add(QStringLiteral("s.id = ?"), {m_filter.seriesId});

  // A series gets its id when it starts: the id's order is the start's, and needs no sort
  // (the computer's clock may have been set back in between).
  QSqlQuery rows(m_database);
  rows.prepare(QStringLiteral("SELECT s.id, s.started, s.started_offset, t.identity, s.source, "
                              "s.count, ifnull(c.part, ''), ifnull(c.lot, ''), "
                              "ifnull(c.operator, ''), ifnull(c.note, ''), s.first_stamp, "
                              "s.last_stamp FROM series s LEFT JOIN testers t ON t.id = "
                              "s.tester_id LEFT JOIN contexts c ON c.id = s.context_id") +
               where.where() + QStringLiteral(" ORDER BY s.id DESC"));
  where.bind(rows);
  rows.exec();
  setQuery(rows);
}

// Its moc output compiled here, not in the folder's shared moc object: a program that uses the
// history alone (a test, the benchmark) then links no more of the archive than it uses.
#include "moc_seriesmodel.cpp"

void SeriesModel::setDatabase(const QSqlDatabase& database) {
  m_database = database;
  refresh();
}
