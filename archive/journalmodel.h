#pragma once

#include <QSqlDatabase>
#include <QSqlQueryModel>

// The journal of what the program wrote to the tester, the newest first. "details" is the
// stored JSON made one line: "key: value; key: value".
class JournalModel : public QSqlQueryModel {
  Q_OBJECT

public:
  enum Roles { AtRole = Qt::UserRole + 1, TesterRole, ActionRole, DetailsRole };

  explicit JournalModel(const QSqlDatabase& database, QObject* parent = nullptr);

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QHash<int, QByteArray> roleNames() const override;

  Q_INVOKABLE void refresh();
  // The archive opened its file anew: the queries go to the new connection.
  void setDatabase(const QSqlDatabase& database);

  // The one-line text of a journal entry's JSON details.
  static QString detailsText(const QString& json);

private:
  QSqlDatabase m_database;
};
