// The measurement archive: nothing stored twice, nothing lost when the file is old, damaged,
// locked or shared, and the file readable by its user alone.
#include <QtTest>

#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

#include "archive/archive.h"
#include "archive/archiveschema.h"

namespace {

// The tester's clock three hours east of UTC, whatever zone the test runs in.
Measurement reading(const QString& time, const QString& scale, double hardness, double frequency) {
  QDateTime stamp = QDateTime::fromString(time, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  if (stamp.isValid())
    stamp = QDateTime(stamp.date(), stamp.time(), Qt::OffsetFromUTC, 3 * 3600);
  return Measurement(stamp, scale, hardness, frequency, 1.0);
}

QVariant value(const QSqlDatabase& db, const QString& sql) {
  QSqlQuery query(db);
  if (!query.exec(sql) || !query.next())
    qWarning() << sql << query.lastError().text();
  return query.value(0);
}

int count(const QSqlDatabase& db, const QString& sql) {
  return value(db, sql).toInt();
}

// A plain connection of the test's own, as another program would have.
class Connection {
public:
  explicit Connection(const QString& path, const QString& name) : m_name(name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    QVERIFY(db.open());
  }
  ~Connection() {
    QSqlDatabase::database(m_name).close();
    QSqlDatabase::removeDatabase(m_name);
  }
  QSqlDatabase db() const { return QSqlDatabase::database(m_name); }
  bool exec(const QString& sql) {
    QSqlQuery query(db());
    return query.exec(sql);
  }

private:
  QString m_name;
};

} // namespace

class ArchiveTest : public QObject {
  Q_OBJECT

private slots:
  void memoryReadStoredTwiceKeepsEachRecordOnce() {
    QTemporaryDir dir;
    Archive archive(dir.filePath(QStringLiteral("data/archive.sqlite")));
    QVERIFY(archive.open());
    const Measurement live = reading("2026-12-09 14:05:07", "HRC", 45.5, 801.0);
    archive.storeLive("T-17", live, MeasurementSource::Live, {"вал", "7", "Иванов", ""});
    const Measurement twin = reading("2026-12-09 14:06:00", "HRC", 46.0, 799.0);
    const QList<Measurement> memory = {reading("2026-12-09 14:04:00", "HB", 210.0, 640.0),
                                       live,
                                       twin,
                                       twin,
                                       reading("", "HRC", 0.0, 0.0)};

    QCOMPARE(archive.storeMemoryRead("T-17", memory, {}), 4);
    QVERIFY(archive.lastMemoryReadKept());
    QCOMPARE(archive.lastMemoryReadCount(), 5);
    QCOMPARE(archive.storeMemoryRead("T-17", memory, {}), 0);
    QVERIFY(archive.lastMemoryReadKept());

    const QSqlDatabase db = archive.database();
    QCOMPARE(count(db, "SELECT count(*) FROM readings"), 5);
    QCOMPARE(count(db, "SELECT count(*) FROM readings WHERE hardness = 46"), 2);
    QCOMPARE(count(db, "SELECT count(*) FROM readings WHERE stamp IS NULL"), 1);
    // The live series and the first read's; the second read added nothing and left none.
    QCOMPARE(count(db, "SELECT count(*) FROM series"), 2);
    QCOMPARE(count(db, "SELECT sum(count) FROM series"), 5);
    QCOMPARE(value(db, "SELECT operator FROM measurements WHERE source = 'live'").toString(),
             QString("Иванов"));
  }

  void versionOneArchiveIsBroughtUpToDate() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    const qint64 stamp = QDateTime(QDate(2026, 12, 9), QTime(14, 5, 7), Qt::UTC).toSecsSinceEpoch();
    {
      Connection old(path, QStringLiteral("version-1"));
      for (const QString& statement : ArchiveSchema::steps().first())
        QVERIFY(old.exec(statement));
      QVERIFY(old.exec("INSERT INTO testers VALUES (1, 'T-17')"));
      QVERIFY(old.exec("INSERT INTO series (id, tester_id, source, started, started_offset) "
                       "VALUES (1, 1, 0, 0, 0)"));
      QVERIFY(old.exec(QStringLiteral("INSERT INTO readings (series_id, tester_id, stamp, "
                                      "stamp_offset, scale, hardness, frequency, source, "
                                      "received, received_offset) VALUES (1, 1, %1, 10800, "
                                      "'HRC', 45.5, 801, 0, 0, 0)")
                           .arg(stamp)));
      QVERIFY(old.exec("PRAGMA user_version = 1"));
    }

    Archive archive(path);
    QVERIFY(archive.open());
    const QSqlDatabase db = archive.database();
    QCOMPARE(count(db, "PRAGMA user_version"), ArchiveSchema::latestVersion());
    QSqlQuery view(db);
    QVERIFY(view.exec("SELECT measured_at, tester, scale, hardness FROM measurements"));
    QVERIFY(view.next());
    QCOMPARE(view.value(0).toString(), QString("2026-12-09T14:05:07+03:00"));
    QCOMPARE(view.value(1).toString(), QString("T-17"));
    QCOMPARE(view.value(3).toDouble(), 45.5);
    view.finish();
    // The old reading is the same record as the tester's memory has it.
    QCOMPARE(
        archive.storeMemoryRead("T-17", {reading("2026-12-09 14:05:07", "HRC", 45.5, 801.0)}, {}),
        0);
  }

  void damagedFileIsSetAsideAndANewOneStarted() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    const QByteArray garbage = QByteArray("not an archive, a scratch file\n").repeated(200);
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(garbage);
    }

    Archive archive(path);
    QVERIFY(archive.open());
    QVERIFY(archive.available());
    const QStringList aside =
        QDir(dir.path()).entryList({QStringLiteral("archive.sqlite.damaged-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QVERIFY2(archive.problem().contains(aside.first()), qPrintable(archive.problem()));
    QFile kept(dir.filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), garbage);

    archive.storeLive(
        "T-17", reading("2026-12-09 14:05:07", "HRC", 45.5, 801.0), MeasurementSource::Live, {});
    QVERIFY(archive.available());
    QCOMPARE(count(archive.database(), "SELECT count(*) FROM measurements"), 1);
  }

  void lockedArchiveKeepsEverythingUntilWritable() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    Archive archive(path);
    QVERIFY(archive.open());

    // Another copy of the program on the same file waits, and says so.
    Archive second(path);
    QVERIFY(!second.open());
    QVERIFY2(second.problem().contains("другая копия"), qPrintable(second.problem()));

    Connection other(path, QStringLiteral("other program"));
    QVERIFY(other.exec("BEGIN EXCLUSIVE"));
    QSignalSpy changes(&archive, &Archive::availabilityChanged);
    archive.storeLive(
        "T-17", reading("2026-12-09 14:05:07", "HRC", 45.0, 801), MeasurementSource::Live, {});
    QVERIFY(!archive.available());
    QVERIFY(!archive.problem().isEmpty());
    QVERIFY(!archive.database().isValid());
    archive.storeMemoryRead("T-17", {reading("2026-12-09 14:00:00", "HRC", 44.0, 802)}, {});
    QVERIFY(!archive.lastMemoryReadKept());
    archive.storeLive(
        "T-17", reading("2026-12-09 14:06:07", "HRC", 46.0, 799), MeasurementSource::Live, {});
    archive.journal("T-17", "clock", {{"asked", "2026-12-09T14:07:00"}});
    archive.keepConstants({3, QDateTime::currentDateTime(), ScaleConstants{"HRC", 1, 2, 3}});
    QCOMPARE(archive.keptConstants(3)->constants.c, 3.0);
    QCOMPARE(changes.count(), 1);

    QVERIFY(other.exec("COMMIT"));
    // Written by the retry, with no further call.
    QTRY_VERIFY_WITH_TIMEOUT(archive.available(), 8000);
    QCOMPARE(changes.count(), 2);
    QVERIFY(archive.lastMemoryReadKept());
    const QSqlDatabase db = archive.database();
    QCOMPARE(value(db,
                   "SELECT group_concat(hardness, ' ') FROM (SELECT hardness FROM readings "
                   "ORDER BY id)")
                 .toString(),
             QString("45.0 44.0 46.0"));
    QCOMPARE(count(db, "SELECT count(*) FROM journal WHERE action = 'clock'"), 1);
    QCOMPARE(count(db, "SELECT count(*) FROM calibration_undo WHERE slot = 3"), 1);
  }

  void fileIsReadableByItsUserAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    Archive archive(path);
    QVERIFY(archive.open());
    archive.storeLive(
        "T-17", reading("2026-12-09 14:05:07", "HRC", 45.0, 801), MeasurementSource::Live, {});
    const QFileDevice::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    for (const QString& file : {path, path + "-wal"}) {
      QVERIFY2(QFile::exists(file), qPrintable(file));
      QCOMPARE(QFile::permissions(file) & others, QFileDevice::Permissions());
    }
  }

  void undoRecordsOfTheSettingsFileAreTakenOverOnce() {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    const QDateTime kept(QDate(2025, 3, 4), QTime(10, 20));
    settings.setValue("CalibrationUndo/2/Date", kept);
    settings.setValue("CalibrationUndo/2/Name", "HV");
    settings.setValue("CalibrationUndo/2/A", 200.5);
    settings.setValue("CalibrationUndo/2/B", -0.25);
    settings.setValue("CalibrationUndo/2/C", 0);
    settings.setValue("CalibrationUndo/2/Type", 1);
    settings.setValue("CalibrationUndo/2/Points", 3);
    settings.setValue("Limits/HRC/Low", 40);

    Archive archive(dir.filePath(QStringLiteral("archive.sqlite")));
    QVERIFY(archive.open());
    archive.takeOverUndoRecords(&settings);
    const std::optional<KeptConstants> taken = archive.keptConstants(2);
    QVERIFY(taken);
    QCOMPARE(taken->kept, kept);
    QCOMPARE(taken->constants.name, QString("HV"));
    QCOMPARE(taken->constants.a, 200.5);
    QCOMPARE(taken->constants.type, qint8(1));
    QCOMPARE(taken->constants.points, qint16(3));
    QVERIFY(!settings.contains("CalibrationUndo/2/A"));
    QCOMPARE(settings.value("Limits/HRC/Low").toInt(), 40);

    archive.dropKeptConstants(2);
    archive.takeOverUndoRecords(&settings);
    QVERIFY(!archive.keptConstants(2));
  }
};

QTEST_GUILESS_MAIN(ArchiveTest)
#include "tst_archive.moc"
