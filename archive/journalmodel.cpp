#include "archive/journalmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include "archive/historyfilter.h"

namespace {

enum Column { AtColumn, AtOffsetColumn, TesterColumn, ActionColumn, DetailsColumn };

QString valueText(const QJsonValue& value);

QString pairsText(const QJsonObject& object, const QString& separator) {
  QStringList pairs;
  for (auto it = object.begin(); it != object.end(); ++it)
    pairs.append(it.key() + QStringLiteral(": ") + valueText(it.value()));
  return pairs.join(separator);
}

QString valueText(const QJsonValue& value) {
  switch (value.type()) {
  case QJsonValue::String:
    return value.toString();
  case QJsonValue::Double:
    return QString::number(value.toDouble(), 'g', 12);
  case QJsonValue::Bool:
    return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  case QJsonValue::Null:
  case QJsonValue::Undefined:
    return QStringLiteral("—");
  case QJsonValue::Array: {
    QStringList items;
    for (const QJsonValue& item : value.toArray())
      items.append(valueText(item));
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
  }
  case QJsonValue::Object:
    return QLatin1Char('{') + pairsText(value.toObject(), QStringLiteral(", ")) + QLatin1Char('}');
  }
  return {};
}

} // namespace

JournalModel::JournalModel(const QSqlDatabase& database, QObject* parent)
    : QSqlQueryModel(parent), m_database(database) {
  refresh();
}

QHash<int, QByteArray> JournalModel::roleNames() const {
  return {{AtRole, "at"}, {TesterRole, "tester"}, {ActionRole, "action"}, {DetailsRole, "details"}};
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
  const auto at = [&](int col) {
    return QSqlQueryModel::data(this->index(index.row(), col));
  };
  switch (role) {
  case AtRole:
    return HistorySql::momentText(at(AtColumn), at(AtOffsetColumn));
  case TesterRole:
    return at(TesterColumn);
  case ActionRole:
    return at(ActionColumn);
  case DetailsRole:
    return detailsText(at(DetailsColumn).toString());
  default:
    return QSqlQueryModel::data(index, role);
  }
}

QString JournalModel::detailsText(const QString& json) {
  const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
  if (document.isObject())
    return pairsText(document.object(), QStringLiteral("; ")).simplified();
  if (document.isArray())
    return valueText(document.array()).simplified();
  // Not JSON after all: shown as it is, on one line.
  return json.simplified();
}

void JournalModel::refresh() {
  if (!m_database.isOpen()) {
    clear(); // an archive that could not be opened has nothing to show
    return;
  }
  QSqlQuery rows(m_database);
  rows.prepare(QStringLiteral(
      "SELECT at, at_offset, tester, action, details FROM journal ORDER BY id DESC"));
  rows.exec();
  setQuery(rows);
}

// Its moc output compiled here, not in the folder's shared moc object: a program that uses the
// history alone (a test, the benchmark) then links no more of the archive than it uses.
#include "moc_journalmodel.cpp"

void JournalModel::setDatabase(const QSqlDatabase& database) {
  m_database = database;
  refresh();
}
