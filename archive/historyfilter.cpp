#include "archive/historyfilter.h"

#include <QDateTime>
#include <QSqlQuery>

HistoryFilter HistoryFilter::fromMap(const QVariantMap& map) {
  HistoryFilter filter;
  // A date from QML arrives as a date-time at local midnight; its date is the day meant.
  filter.from = map.value(QStringLiteral("from")).toDate();
  filter.to = map.value(QStringLiteral("to")).toDate();
  filter.tester = map.value(QStringLiteral("tester")).toString();
  filter.scale = map.value(QStringLiteral("scale")).toString();
  filter.part = map.value(QStringLiteral("part")).toString();
  filter.lot = map.value(QStringLiteral("lot")).toString();
  filter.inspector = map.value(QStringLiteral("inspector")).toString();
  filter.text = map.value(QStringLiteral("text")).toString().trimmed();
  filter.seriesId = map.value(QStringLiteral("seriesId")).toLongLong();
  return filter;
}

void SqlConditions::add(const QString& term, const QVariantList& termValues) {
  terms.append(term);
  values.append(termValues);
}

QString SqlConditions::where() const {
  return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(" AND ");
}

void SqlConditions::bind(QSqlQuery& query) const {
  for (const QVariant& value : values)
    query.addBindValue(value);
}

namespace HistorySql {

QString contextIds(const QSqlDatabase& database, const HistoryFilter& filter) {
  SqlConditions exact;
  if (!filter.part.isEmpty())
    exact.add(QStringLiteral("part = ?"), {filter.part});
  if (!filter.lot.isEmpty())
    exact.add(QStringLiteral("lot = ?"), {filter.lot});
  if (!filter.inspector.isEmpty())
    exact.add(QStringLiteral("operator = ?"), {filter.inspector});
  QSqlQuery query(database);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT id, part, lot, operator, note FROM contexts") +
                exact.where());
  exact.bind(query);
  QStringList ids;
  if (query.exec()) {
    while (query.next()) {
      if (!filter.text.isEmpty()) {
        bool found = false;
        for (int column = 1; column <= 4 && !found; ++column)
          found = query.value(column).toString().contains(filter.text, Qt::CaseInsensitive);
        if (!found)
          continue;
      }
      ids.append(QString::number(query.value(0).toLongLong()));
    }
  }
  return QLatin1Char('(') + (ids.isEmpty() ? QStringLiteral("NULL") : ids.join(',')) +
         QLatin1Char(')');
}

qint64 stampOf(const QDate& date) {
  return QDateTime(date, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
}

namespace {
const QString timePattern = QStringLiteral("dd.MM.yyyy hh:mm:ss");
}

QString stampText(const QVariant& stamp) {
  if (stamp.isNull())
    return {};
  return QDateTime::fromSecsSinceEpoch(stamp.toLongLong(), Qt::UTC).toString(timePattern);
}

QString momentText(const QVariant& milliseconds, const QVariant& offset) {
  if (milliseconds.isNull())
    return {};
  return QDateTime::fromMSecsSinceEpoch(
             milliseconds.toLongLong(), Qt::OffsetFromUTC, offset.toInt())
      .toString(timePattern);
}

} // namespace HistorySql
