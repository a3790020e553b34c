// The history window's models over an archive file made here, row by row in SQL.
#include <ctime>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include "archive/archiveschema.h"
#include "archive/historymodel.h"
#include "archive/journalmodel.h"
#include "archive/seriesmodel.h"
#include "support/scopedtimezone.h"

namespace {

qint64 stampOf(const QDateTime& fields) {
  return QDateTime(fields.date(), fields.time(), Qt::UTC).toSecsSinceEpoch();
}

QStringList repeated(int times, const QString& text) {
  QStringList list;
  for (int i = 0; i < times; ++i)
    list.append(text);
  return list;
}

QStringList column(const QAbstractItemModel& model, const QByteArray& role) {
  const int key = model.roleNames().key(role);
  QStringList values;
  for (int row = 0; row < model.rowCount(); ++row)
    values.append(model.data(model.index(row, 0), key).toString());
  return values;
}

} // namespace

class TestHistory : public QObject {
  Q_OBJECT

private slots:
  // The stamps must read back as the tester showed them in any zone of the computer.
  void initTestCase() { m_zone = std::make_unique<ScopedTimeZone>("America/New_York"); }
  void cleanupTestCase() { m_zone.reset(); }

  void init() {
    QVERIFY(m_folder.isValid());
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QTest::currentTestFunction());
    m_db.setDatabaseName(m_folder.filePath(QTest::currentTestFunction()));
    QVERIFY(m_db.open());
    for (const QStringList& step : ArchiveSchema::steps())
      for (const QString& statement : step)
        exec(statement);
    exec("INSERT INTO testers (id, identity) VALUES (1, 'T-100 №17'), (2, 'T-100 №18')");
    exec("INSERT INTO contexts (id, part, lot, operator, note) VALUES "
         "(1, 'Вал-1', 'П-7', 'Иванов', ''), "
         "(2, 'Вал-2', 'П-7', 'Петров', 'Трещина у шейки'), "
         "(3, 'Шестерня', 'П-8', 'Иванов', '')");
  }
  void cleanup() {
    const QString name = m_db.connectionName();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
  }

  void filtersFindOnePartsReadingsAmongOthers() {
    // Three series of three contexts, their readings interleaved in time.
    addSeries(1, 1, 1, 0);
    addSeries(2, 2, 2, 1);
    addSeries(3, 1, 3, 1);
    const QDateTime morning(QDate(2024, 3, 21), QTime(8, 0));
    for (int i = 0; i < 12; ++i) {
      const int series = i % 3 + 1;
      addReading(series, series == 2 ? 2 : 1, series, morning.addDays(i / 6).addSecs(i), 10800);
    }

    HistoryModel history(m_db);
    QCOMPARE(history.count(), 12);
    QSignalSpy counted(&history, &HistoryModel::countChanged);
    history.setFilter({{"part", "Вал-1"}});
    QCOMPARE(counted.count(), 1);
    QCOMPARE(history.count(), 4);
    QCOMPARE(column(history, "part"), repeated(4, "Вал-1"));

    // Any case, Cyrillic included, in part, lot, operator or note.
    history.setFilter({{"text", "ТРЕЩИНА"}});
    QCOMPARE(column(history, "inspector"), repeated(4, "Петров"));
    history.setFilter({{"text", "вал"}});
    QCOMPARE(history.count(), 8);
    history.setFilter({{"text", "иван"}, {"lot", "П-8"}});
    QCOMPARE(column(history, "part"), repeated(4, "Шестерня"));
    history.setFilter({{"text", "нет такого"}});
    QCOMPARE(history.count(), 0);
    QCOMPARE(history.rowCount(), 0);

    // The days are the tester's and both ends count; with the tester and the scale.
    history.setFilter({{"from", QDate(2024, 3, 22)}, {"to", QDate(2024, 3, 22)}});
    QCOMPARE(history.count(), 6);
    history.setFilter({{"to", QDate(2024, 3, 21)}, {"tester", "T-100 №17"}, {"scale", "HRC"}});
    QCOMPARE(history.count(), 4);
    history.setFilter({{"seriesId", 2}});
    QCOMPARE(column(history, "seriesId"), repeated(4, "2"));

    SeriesModel series(m_db);
    QCOMPARE(series.rowCount(), 3);
    series.setFilter({{"text", "вал"}, {"tester", "T-100 №17"}});
    QCOMPARE(column(series, "part"), QStringList{"Вал-1"});
    QCOMPARE(column(series, "count"), QStringList{"4"});
  }

  void everyListIsNewestFirst() {
    addSeries(1, 1, 1, 0);
    addSeries(2, 1, 1, 1);
    // A memory read brings older stamps after newer ones; a stamp the tester garbled is last.
    addReading(2, 1, 1, QDateTime(QDate(2024, 5, 2), QTime(9, 30)), 10800);
    addReading(1, 1, 1, QDateTime(QDate(2024, 5, 1), QTime(17, 45, 5)), 10800);
    addReading(1, 1, 1, QDateTime(), 10800);
    addReading(1, 1, 1, QDateTime(QDate(2024, 5, 3), QTime(7, 0)), 10800);
    HistoryModel history(m_db);
    QCOMPARE(
        column(history, "measuredAt"),
        (QStringList{"03.05.2024 07:00:00", "02.05.2024 09:30:00", "01.05.2024 17:45:05", "ERR"}));

    exec("UPDATE series SET first_stamp = (SELECT min(stamp) FROM readings r WHERE "
         "r.series_id = series.id), last_stamp = (SELECT max(stamp) FROM readings r WHERE "
         "r.series_id = series.id)");
    SeriesModel series(m_db);
    QCOMPARE(column(series, "seriesId"), (QStringList{"2", "1"}));
    QCOMPARE(column(series, "started"),
             (QStringList{"02.05.2024 12:00:00", "01.05.2024 12:00:00"}));
    QCOMPARE(column(series, "firstStamp"),
             (QStringList{"02.05.2024 09:30:00", "01.05.2024 17:45:05"}));
    QCOMPARE(column(series, "lastStamp").last(), "03.05.2024 07:00:00");

    exec(QStringLiteral("INSERT INTO journal (at, at_offset, tester, action, details) VALUES "
                        "(%1, 10800, 'T-100 №17', 'clock', '{\"asked\": \"12:00:00 "
                        "01.05.24\", \"shown\": \"12:00:01 01.05.24\"}'), "
                        "(%2, 10800, 'T-100 №17', 'scale', '{\"slot\": 4, \"name\": \"HRC\", "
                        "\"written\": true}')")
             .arg(QDateTime(QDate(2024, 5, 1), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch())
             .arg(QDateTime(QDate(2024, 5, 2), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch()));
    JournalModel journal(m_db);
    QCOMPARE(column(journal, "action"), (QStringList{"scale", "clock"}));
    QCOMPARE(column(journal, "at"), (QStringList{"02.05.2024 12:00:00", "01.05.2024 12:00:00"}));
    QCOMPARE(column(journal, "details"),
             (QStringList{"name: HRC; slot: 4; written: true",
                          "asked: 12:00:00 01.05.24; shown: 12:00:01 01.05.24"}));
  }

  void aSelectionOpensWithTheTestersTimes() {
    addSeries(1, 1, 1, 0);
    const QDateTime fields(QDate(2024, 3, 31), QTime(2, 30, 15));
    addReading(1, 1, 1, fields, 3600, "HRC", 45.5, 812.25, 3);
    addReading(1, 1, 1, fields.addSecs(-60), 10800, "HB", 0, 640.0, 1);
    addReading(1, 1, 1, fields.addSecs(60), 10800, "HV", 410.0, 700.0, 1);

    HistoryModel history(m_db);
    QCOMPARE(column(history, "hardnessText"), (QStringList{"410.0", "45.5", "ERR"}));
    QCOMPARE(column(history, "measuredAt")[1], "31.03.2024 02:30:15");
    const int idRole = history.roleNames().key("readingId");
    const QVariantList ids{history.data(history.index(1, 0), idRole),
                           history.data(history.index(2, 0), idRole)};

    const QList<Measurement> opened = history.measurements(ids);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].scale(), "HB");
    QCOMPARE(opened[0].dateTime().time(), QTime(2, 29, 15));
    QCOMPARE(opened[0].dateTime().offsetFromUtc(), 10800);
    const Measurement& hrc = opened[1];
    QCOMPARE(hrc.dateTime().date(), fields.date());
    QCOMPARE(hrc.dateTime().time(), fields.time());
    QCOMPARE(hrc.dateTime().offsetFromUtc(), 3600);
    QCOMPARE(hrc.dateTime().toString("hh:mm:ss dd.MM.yy"), "02:30:15 31.03.24");
    QCOMPARE(hrc.hardness(), 45.5);
    QCOMPARE(hrc.frequency(), 812.25);
    QCOMPARE(hrc.averaging(), 3.0);

    history.setFilter({{"scale", "HV"}});
    const QList<Measurement> filtered = history.measurementsOfFilter();
    QCOMPARE(filtered.size(), 1);
    QCOMPARE(filtered[0].hardness(), 410.0);
  }

  void rowsComeAsTheViewScrolls() {
    addSeries(1, 1, 1, 0);
    exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999) "
         "INSERT INTO readings (series_id, tester_id, context_id, stamp, stamp_offset, scale, "
         "hardness, frequency, source, received, received_offset) SELECT 1, 1, 1, "
         "1711000000 + i, 10800, 'HRC', 45, 800, 0, 0, 0 FROM n");
    HistoryModel history(m_db);
    QCOMPARE(history.count(), 10000);
    const int first = history.rowCount();
    QVERIFY2(first > 0 && first <= 1000, qPrintable(QString::number(first)));
    QVERIFY(history.canFetchMore());
    history.fetchMore();
    QVERIFY(history.rowCount() > first);
    while (history.canFetchMore())
      history.fetchMore();
    QCOMPARE(history.rowCount(), 10000);
  }

private:
  void exec(const QString& statement) {
    QSqlQuery query(m_db);
    QVERIFY2(query.exec(statement), qPrintable(query.lastError().text() + ": " + statement));
  }
  void addSeries(int id, int tester, int context, int source) {
    const qint64 started = QDateTime(QDate(2024, 5, id), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch();
    exec(QStringLiteral("INSERT INTO series (id, tester_id, context_id, source, started, "
                        "started_offset, count) VALUES (%1, %2, %3, %4, %5, 10800, "
                        "(SELECT count(*) FROM readings WHERE series_id = %1))")
             .arg(id)
             .arg(tester)
             .arg(context)
             .arg(source)
             .arg(started));
  }
  void addReading(int series,
                  int tester,
                  int context,
                  const QDateTime& fields,
                  int offset,
                  const QString& scale = "HRC",
                  double hardness = 45.0,
                  double frequency = 800.0,
                  double averaging = 1.0) {
    QSqlQuery query(m_db);
    query.prepare("INSERT INTO readings (series_id, tester_id, context_id, stamp, stamp_offset, "
                  "scale, hardness, frequency, averaging, source, received, received_offset, "
                  "occurrence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0, 0, "
                  "(SELECT count(*) FROM readings))");
    for (const QVariant& value :
         QVariantList{series,
                      tester,
                      context,
                      fields.isValid() ? QVariant(stampOf(fields)) : QVariant(QVariant::LongLong),
                      offset,
                      scale,
                      hardness,
                      frequency,
                      averaging})
      query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    exec(QStringLiteral("UPDATE series SET count = count + 1 WHERE id = %1").arg(series));
  }

  std::unique_ptr<ScopedTimeZone> m_zone;
  QTemporaryDir m_folder;
  QSqlDatabase m_db;
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
