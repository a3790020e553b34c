#include "archive/historymodel.h"

#include <QDateTime>
#include <QSqlQuery>

#include "formats/testertime.h"

namespace {

enum Column {
  IdColumn,
  StampColumn,
  TesterColumn,
  ScaleColumn,
  HardnessColumn,
  FrequencyColumn,
  SourceColumn,
  PartColumn,
  LotColumn,
  InspectorColumn,
  NoteColumn,
  SeriesColumn,
};

// LEFT JOINs keep the readings the outer loop, so that the stamp's index gives the order
// and the first page comes without sorting a million rows.
const QString rowsQuery = QStringLiteral(
    "SELECT m.id, m.stamp, t.identity, m.scale, m.hardness, m.frequency, m.source, "
    "ifnull(c.part, ''), ifnull(c.lot, ''), ifnull(c.operator, ''), ifnull(c.note, ''), "
    "m.series_id FROM readings m LEFT JOIN testers t ON t.id = m.tester_id "
    "LEFT JOIN contexts c ON c.id = m.context_id");

// The tester's wall clock with the offset it was read in: the fields read back as the
// tester showed them, in whatever zone the computer is now.
QDateTime testerDateTime(const QVariant& stamp, const QVariant& offset) {
  if (stamp.isNull())
    return {};
  const QDateTime fields = QDateTime::fromSecsSinceEpoch(stamp.toLongLong(), Qt::UTC);
  if (offset.isNull())
    return TesterTime::wallClock(fields.date(), fields.time());
  return QDateTime(fields.date(), fields.time(), Qt::OffsetFromUTC, offset.toInt());
}

} // namespace

HistoryModel::HistoryModel(const QSqlDatabase& database, QObject* parent)
    : QSqlQueryModel(parent), m_database(database) {
  qRegisterMetaType<QList<Measurement>>();
  refresh();
}

QHash<int, QByteArray> HistoryModel::roleNames() const {
  return {
      {ReadingIdRole, "readingId"},
      {MeasuredAtRole, "measuredAt"},
      {TesterRole, "tester"},
      {ScaleRole, "scale"},
      {HardnessRole, "hardness"},
      {HardnessTextRole, "hardnessText"},
      {FrequencyRole, "frequency"},
      {SourceRole, "source"},
      {PartRole, "part"},
      {LotRole, "lot"},
      {InspectorRole, "inspector"},
      {NoteRole, "note"},
      {SeriesIdRole, "seriesId"},
  };
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  static const QHash<int, int> columns = {
      {ReadingIdRole, IdColumn},
      {MeasuredAtRole, StampColumn},
      {TesterRole, TesterColumn},
      {ScaleRole, ScaleColumn},
      {HardnessRole, HardnessColumn},
      {HardnessTextRole, HardnessColumn},
      {FrequencyRole, FrequencyColumn},
      {SourceRole, SourceColumn},
      {PartRole, PartColumn},
      {LotRole, LotColumn},
      {InspectorRole, InspectorColumn},
      {NoteRole, NoteColumn},
      {SeriesIdRole, SeriesColumn},
  };
  const auto column = columns.constFind(role);
  if (column == columns.cend())
    return QSqlQueryModel::data(index, role);
  const QVariant value = QSqlQueryModel::data(this->index(index.row(), *column));
  switch (role) {
  case MeasuredAtRole:
    return value.isNull() ? QStringLiteral("ERR") : HistorySql::stampText(value);
  case HardnessRole:
  case FrequencyRole:
    return value.toDouble();
  case HardnessTextRole: {
    const double hardness = value.toDouble();
    return Measurement::isResult(hardness) ? QString::number(hardness, 'f', 1)
                                           : QStringLiteral("ERR");
  }
  case SourceRole:
    return value.toInt();
  default:
    return value;
  }
}

void HistoryModel::setFilter(const QVariantMap& filter) {
  m_filter = HistoryFilter::fromMap(filter);
  refresh();
}

SqlConditions HistoryModel::conditions(bool broad) const {
  SqlConditions where;
  if (m_filter.from.isValid())
    where.add(QStringLiteral("m.stamp >= ?"), {HistorySql::stampOf(m_filter.from)});
  if (m_filter.to.isValid())
    where.add(QStringLiteral("m.stamp < ?"), {HistorySql::stampOf(m_filter.to.addDays(1))});
  // "+" keeps SQLite off the identity index, which starts with the tester: one tester is
  // usually every reading, and that index would sort them all before the first page.
  if (!m_filter.tester.isEmpty())
    where.add(QStringLiteral("+m.tester_id = (SELECT id FROM testers WHERE identity = ?)"),
              {m_filter.tester});
  if (!m_filter.scale.isEmpty())
    where.add(QStringLiteral("m.scale = ?"), {m_filter.scale});
  // A broad filter finds its first page soonest along the stamps; a narrow one through the
  // contexts' index and a sort of its few rows.
  if (m_filter.namesContext())
    where.add(QLatin1String(broad ? "+m.context_id IN " : "m.context_id IN ") +
              HistorySql::contextIds(m_database, m_filter));
  if (m_filter.seriesId > 0)
    where.add(QStringLiteral("m.series_id = ?"), {m_filter.seriesId});
  return where;
}

void HistoryModel::refresh() {
  // An archive that could not be opened has nothing to show.
  if (!m_database.isOpen()) {
    clear();
    m_count = 0;
    emit countChanged();
    return;
  }
  SqlConditions where = conditions();
  const int count = countOf(where);
  // One reading in twenty or more: the stamps' index meets a page of them within a few
  // thousand rows, where the contexts' would sort them all first.
  if (m_filter.namesContext() && count > countOf({}) / 20)
    where = conditions(/*broad=*/true);
  QSqlQuery rows(m_database);
  rows.prepare(rowsQuery + where.where() + QStringLiteral(" ORDER BY m.stamp DESC, m.id DESC"));
  where.bind(rows);
  rows.exec();
  setQuery(rows);
  if (count != m_count) {
    m_count = count;
    emit countChanged();
  }
}

int HistoryModel::countOf(const SqlConditions& where) const {
  QSqlQuery total(m_database);
  total.setForwardOnly(true);
  total.prepare(QStringLiteral("SELECT count(*) FROM readings m") + where.where());
  where.bind(total);
  return total.exec() && total.next() ? total.value(0).toInt() : 0;
}

QList<Measurement> HistoryModel::measurements(const QVariantList& readingIds) const {
  // Numbers only, written into the statement: a selection may exceed SQLite's limit of
  // bound values.
  QStringList ids;
  for (const QVariant& id : readingIds)
    ids.append(QString::number(id.toLongLong()));
  if (ids.isEmpty())
    return {};
  SqlConditions where;
  where.add(QStringLiteral("m.id IN (") + ids.join(',') + QLatin1Char(')'));
  return measurementsWhere(where);
}

QList<Measurement> HistoryModel::measurementsOfFilter() const {
  return measurementsWhere(conditions());
}

QList<Measurement> HistoryModel::measurementsWhere(const SqlConditions& where) const {
  QSqlQuery query(m_database);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT m.stamp, m.stamp_offset, m.scale, m.hardness, "
                               "m.frequency, m.averaging FROM readings m") +
                where.where() + QStringLiteral(" ORDER BY m.stamp, m.id"));
  where.bind(query);
  QList<Measurement> result;
  if (!query.exec())
    return result;
  while (query.next()) {
    result.append(Measurement(testerDateTime(query.value(0), query.value(1)),
                              query.value(2).toString(),
                              query.value(3).toDouble(),
                              query.value(4).toDouble(),
                              query.value(5).toDouble()));
  }
  return result;
}

// Its moc output compiled here, not in the folder's shared moc object: a program that uses the
// history alone (a test, the benchmark) then links no more of the archive than it uses.
#include "moc_historymodel.cpp"

void HistoryModel::setDatabase(const QSqlDatabase& database) {
  m_database = database;
  refresh();
}
