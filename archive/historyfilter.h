#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class QSqlQuery;

// What the history window asks for, as the QML map of setFilter gives it: "from", "to"
// (dates, inclusive, on the tester's stamp), "tester", "scale", "part", "lot", "inspector"
// (exact), "text" (a substring of part, lot, operator or note, in any case) and "seriesId".
// An absent or empty key does not filter.
struct HistoryFilter {
  static HistoryFilter fromMap(const QVariantMap& map);

  QDate from;
  QDate to;
  QString tester;
  QString scale;
  QString part;
  QString lot;
  QString inspector;
  QString text;
  qint64 seriesId = 0;

  bool namesContext() const {
    return !part.isEmpty() || !lot.isEmpty() || !inspector.isEmpty() || !text.isEmpty();
  }
};

// SQL conditions joined by AND, with the values of their "?" in order.
struct SqlConditions {
  QStringList terms;
  QVariantList values;

  void add(const QString& term, const QVariantList& termValues = {});
  // " WHERE …", or nothing without conditions.
  QString where() const;
  void bind(QSqlQuery& query) const;
};

namespace HistorySql {

// The contexts the filter's part, lot, inspector and text allow, as "(1,5,9)" for an IN;
// "(NULL)" when none does. The text is matched here rather than in SQL: SQLite folds the
// case of Latin letters only, and the contexts are few beside the readings.
QString contextIds(const QSqlDatabase& database, const HistoryFilter& filter);

// A date as a stamp: seconds since 1970 of its midnight's fields, as the tester's clock.
qint64 stampOf(const QDate& date);

// "dd.MM.yyyy hh:mm:ss" of a tester's stamp; empty for NULL.
QString stampText(const QVariant& stamp);
// The same of a moment the computer recorded (milliseconds since 1970 UTC) in the offset
// from UTC it was recorded in.
QString momentText(const QVariant& milliseconds, const QVariant& offset);

} // namespace HistorySql
