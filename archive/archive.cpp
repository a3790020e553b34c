#include "archive/archive.h"

#include <atomic>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QLockFile>
#include <QPointer>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>

#include "archive/archiveschema.h"

namespace {

// SQLite's primary result codes; the driver hands them over as text.
enum SqliteCode {
  SqlitePerm = 3,
  SqliteBusy = 5,
  SqliteLocked = 6,
  SqliteReadOnly = 8,
  SqliteIoError = 10,
  SqliteCorrupt = 11,
  SqliteFull = 13,
  SqliteCantOpen = 14,
  SqliteNotADatabase = 26,
};

int sqliteCode(const QSqlError& error) {
  return error.nativeErrorCode().toInt() & 0xff;
}

bool isDamage(int code) {
  return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// Long enough to ride over another connection's commit, short enough that the interface
// never stalls on a file another program holds.
constexpr int BusyTimeoutMs = 50;
constexpr int RetryIntervalMs = 5000;
// A checkpoint (the log copied into the file, with its fsync) takes milliseconds: it runs on
// a timer between lines, not on whichever line SQLite would pick. The large automatic one is
// the fallback when no event loop runs.
constexpr int CheckpointIntervalMs = 10000;
constexpr int AutoCheckpointPages = 20000;

// The tester's wall clock as if it were UTC: the stamp reads back as the tester showed it.
QVariant stampOf(const QDateTime& time) {
  if (!time.isValid())
    return QVariant(QVariant::LongLong);
  return QDateTime(time.date(), time.time(), Qt::UTC).toSecsSinceEpoch();
}

QVariant stampOffsetOf(const QDateTime& time) {
  return time.isValid() ? QVariant(time.offsetFromUtc()) : QVariant(QVariant::Int);
}

int currentOffset() {
  return QDateTime::currentDateTime().offsetFromUtc();
}

// Identical records of one read must be told apart by their place among their likes.
QByteArray identityKey(const QVariant& stamp, const Measurement& m) {
  QByteArray key;
  const qint64 s = stamp.isNull() ? -1 : stamp.toLongLong();
  const double numbers[2] = {m.hardness(), m.frequency()};
  key.append(reinterpret_cast<const char*>(&s), sizeof s);
  key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  key.append(m.scale().toUtf8());
  return key;
}

std::atomic<int> connectionCounter{0};

} // namespace

struct Archive::Impl {
  // What a call asked to write; it waits here while the file cannot be written.
  struct Pending {
    enum Kind { MemoryRead, Live, Journal, Keep, Drop, TakeOver } kind = Live;
    QString tester;
    QList<Measurement> records;
    Measurement measurement;
    MeasurementSource source = MeasurementSource::Live;
    InspectionContext context;
    quint64 generation = 0;
    quint64 readToken = 0;
    qint64 at = 0;
    int atOffset = 0;
    QString action;
    QString details;
    KeptConstants kept;
    QPointer<QSettings> settings;
    QString group;
  };

  // The live series the last live line went into, and what it was for.
  struct LiveKey {
    quint64 generation = 0;
    QString tester;
    MeasurementSource source = MeasurementSource::Live;
    InspectionContext context;
    bool operator==(const LiveKey& o) const {
      return generation == o.generation && tester == o.tester && source == o.source &&
             context == o.context;
    }
  };

  struct Statements {
    explicit Statements(const QSqlDatabase& db)
        : insertReading(db), insertSeries(db), updateSeries(db), nextOccurrence(db), findTester(db),
          insertTester(db), findContext(db), insertContext(db) {}
    QSqlQuery insertReading;
    QSqlQuery insertSeries;
    QSqlQuery updateSeries;
    QSqlQuery nextOccurrence;
    QSqlQuery findTester;
    QSqlQuery insertTester;
    QSqlQuery findContext;
    QSqlQuery insertContext;
  };

  Archive* q;
  QString connection;
  bool connected = false;
  // The file is checked once a session, and again after SQLite found it damaged.
  bool checkNeeded = true;
  std::unique_ptr<QLockFile> lock;
  std::unique_ptr<Statements> statements;
  QTimer retry;
  QTimer checkpoint;
  QList<Pending> pending;
  QSqlError lastError;
  // Said while the archive works (a damaged file set aside), until the next trouble.
  QString notice;

  QHash<QString, qint64> testerIds;
  QHash<QStringList, qint64> contextIds;
  LiveKey liveKey;
  qint64 liveSeries = -1;
  quint64 generation = 0;

  quint64 readToken = 0;
  bool lastReadWritten = false;
  int lastReadCount = 0;
  int lastReadNew = 0;
  bool anyRead = false;
  // Readings the item being written added, and whether a flush added any.
  int writtenReadings = 0;
  bool wroteReadings = false;
  bool newerVersion = false;

  explicit Impl(Archive* archive) : q(archive) {
    retry.setInterval(RetryIntervalMs);
    QObject::connect(&retry, &QTimer::timeout, q, [this] { flush(); });
    checkpoint.setInterval(CheckpointIntervalMs);
    checkpoint.setSingleShot(true);
    QObject::connect(&checkpoint, &QTimer::timeout, q, [this] {
      if (connected)
        exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    });
  }

  QString folder() const { return QFileInfo(q->m_path).absolutePath(); }

  QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }

  // The place that refuses the write: the file itself when it is read-only, else its folder.
  QString unwritablePlace() const {
    const QFileInfo file(q->m_path);
    const QString place = file.exists() && !file.isWritable() ? q->m_path : folder();
    return QDir::toNativeSeparators(place);
  }

  QString reasonFor(const QSqlError& error) const {
    switch (sqliteCode(error)) {
    case SqliteBusy:
    case SqliteLocked:
      return Archive::tr("Архив измерений недоступен: он занят другой программой.");
    case SqliteFull:
      return Archive::tr("Архив измерений недоступен: диск заполнен.");
    case SqlitePerm:
    case SqliteReadOnly:
    case SqliteCantOpen:
      return Archive::tr("Архив измерений недоступен: нет права записи в %1.")
          .arg(unwritablePlace());
    case SqliteIoError:
      // SQLite reports a full disk on some writes as a plain input/output error.
      if (QStorageInfo(folder()).bytesAvailable() < 1024 * 1024)
        return Archive::tr("Архив измерений недоступен: диск заполнен.");
      break;
    default:
      break;
    }
    return Archive::tr("Архив измерений недоступен: ошибка записи (%1).")
        .arg(error.databaseText().isEmpty() ? error.text() : error.databaseText());
  }

  void setState(bool available, const QString& problem) {
    if (!available)
      notice.clear();
    if (available == q->m_available && problem == q->m_problem)
      return;
    q->m_available = available;
    q->m_problem = problem;
    emit q->availabilityChanged();
  }

  void fail(const QString& problem) {
    setState(false, problem);
    retry.start();
  }

  bool exec(const QString& statement) {
    QSqlQuery query(db());
    if (query.exec(statement))
      return true;
    lastError = query.lastError();
    return false;
  }

  bool run(QSqlQuery& query) {
    if (query.exec())
      return true;
    lastError = query.lastError();
    return false;
  }

  void close() {
    connected = false;
    statements.reset();
    testerIds.clear();
    contextIds.clear();
    liveSeries = -1;
    if (connection.isEmpty())
      return;
    {
      QSqlDatabase database = db();
      database.close();
    }
    QSqlDatabase::removeDatabase(connection);
    connection.clear();
  }

  bool openConnection() {
    connection = QStringLiteral("brenmo-archive-%1").arg(++connectionCounter);
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    database.setDatabaseName(q->m_path);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (database.open())
      return true;
    lastError = database.lastError();
    return false;
  }

  // Created readable by its user alone before SQLite sees it: the -wal and -shm files take
  // the main file's permissions.
  bool createFile() {
    QFile file(q->m_path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly))
      return false;
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return true;
  }

  // Whether the file is a sound database; false with lastError set when it could not be told.
  bool healthy(bool* sound) {
    QSqlQuery check(db());
    if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
      lastError = check.lastError();
      *sound = !isDamage(sqliteCode(lastError));
      return !*sound;
    }
    *sound = check.next() && check.value(0).toString() == QLatin1String("ok");
    return true;
  }

  // Renamed, never deleted, with its write-ahead log: a log left behind would be played
  // into the new file.
  QString setAside() {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = q->m_path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n)
      aside = q->m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(q->m_path, aside))
      return QString();
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
      if (QFile::exists(q->m_path + suffix))
        QFile::rename(q->m_path + suffix, aside + suffix);
    return aside;
  }

  bool migrate() {
    newerVersion = false;
    QSqlQuery version(db());
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
      lastError = version.lastError();
      return false;
    }
    const int from = version.value(0).toInt();
    version.finish();
    const QList<QStringList>& steps = ArchiveSchema::steps();
    newerVersion = from > steps.size();
    if (newerVersion)
      return false;
    for (int step = from + 1; step <= steps.size(); ++step) {
      bool done = exec(QStringLiteral("BEGIN IMMEDIATE"));
      for (int i = 0; done && i < steps[step - 1].size(); ++i)
        done = exec(steps[step - 1][i]);
      done = done && exec(QStringLiteral("PRAGMA user_version = %1").arg(step)) &&
             exec(QStringLiteral("COMMIT"));
      if (!done) {
        const QSqlError error = lastError;
        exec(QStringLiteral("ROLLBACK"));
        lastError = error;
        return false;
      }
    }
    return true;
  }

  void prepare() {
    statements = std::make_unique<Statements>(db());
    Statements& s = *statements;
    s.insertReading.prepare(QStringLiteral(
        "INSERT OR IGNORE INTO readings (series_id, tester_id, context_id, stamp, stamp_offset, "
        "scale, hardness, frequency, averaging, source, received, received_offset, occurrence) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    s.insertSeries.prepare(
        QStringLiteral("INSERT INTO series (tester_id, context_id, source, started, "
                       "started_offset, count, first_stamp, last_stamp) VALUES (?, ?, ?, ?, ?, "
                       "?, ?, ?)"));
    // The earliest and latest stamp the series holds; an unreadable stamp changes neither.
    s.updateSeries.prepare(QStringLiteral(
        "UPDATE series SET count = count + ?, first_stamp = coalesce(min(first_stamp, ?), "
        "first_stamp, ?), last_stamp = coalesce(max(last_stamp, ?), last_stamp, ?) WHERE id = ?"));
    s.nextOccurrence.prepare(
        QStringLiteral("SELECT max(occurrence) + 1 FROM readings WHERE tester_id = ? AND "
                       "ifnull(stamp, -1) = ? AND scale = ? AND hardness = ? AND frequency = ?"));
    s.findTester.prepare(QStringLiteral("SELECT id FROM testers WHERE identity = ?"));
    s.insertTester.prepare(QStringLiteral("INSERT INTO testers (identity) VALUES (?)"));
    s.findContext.prepare(QStringLiteral("SELECT id FROM contexts WHERE part = ? AND lot = ? "
                                         "AND operator = ? AND note = ?"));
    s.insertContext.prepare(
        QStringLiteral("INSERT INTO contexts (part, lot, operator, note) VALUES (?, ?, ?, ?)"));
  }

  // Opens the file for writing; on failure the archive is unavailable and says why.
  bool connect() {
    if (connected)
      return true;
    if (!QDir().mkpath(folder())) {
      fail(Archive::tr("Архив измерений недоступен: нет права записи в %1.")
               .arg(QDir::toNativeSeparators(folder())));
      return false;
    }
    if (!lock) {
      auto file = std::make_unique<QLockFile>(q->m_path + QStringLiteral(".lock"));
      // Stale only when its process is gone, never by age: a copy may run for days.
      file->setStaleLockTime(0);
      if (!file->tryLock(0)) {
        fail(file->error() == QLockFile::LockFailedError
                 ? Archive::tr("Архив измерений недоступен: его занимает другая копия программы.")
                 : Archive::tr("Архив измерений недоступен: нет права записи в %1.")
                       .arg(QDir::toNativeSeparators(folder())));
        return false;
      }
      lock = std::move(file);
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (!createFile()) {
        fail(Archive::tr("Архив измерений недоступен: нет права записи в %1.")
                 .arg(unwritablePlace()));
        return false;
      }
      if (!openConnection()) {
        close();
        fail(reasonFor(lastError));
        return false;
      }
      bool sound = true;
      if (checkNeeded && !healthy(&sound)) {
        close();
        fail(reasonFor(lastError));
        return false;
      }
      if (sound)
        break;
      close();
      const QString aside = setAside();
      if (aside.isEmpty() || attempt > 0) {
        fail(Archive::tr("Архив измерений недоступен: файл %1 повреждён, и отложить его не "
                         "удалось.")
                 .arg(QDir::toNativeSeparators(q->m_path)));
        return false;
      }
      notice = Archive::tr("Архив измерений был повреждён и отложен как %1; начат новый.")
                   .arg(QDir::toNativeSeparators(aside));
    }
    QSqlQuery mode(db());
    const bool wal =
        mode.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && mode.next() &&
        mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    if (!wal)
      lastError = mode.lastError();
    mode.finish();
    if (!wal || !exec(QStringLiteral("PRAGMA synchronous = NORMAL")) ||
        !exec(QStringLiteral("PRAGMA foreign_keys = ON")) ||
        !exec(QStringLiteral("PRAGMA wal_autocheckpoint = %1").arg(AutoCheckpointPages)) ||
        !migrate()) {
      const bool damaged = isDamage(sqliteCode(lastError));
      close();
      checkNeeded = checkNeeded || damaged;
      fail(newerVersion ? Archive::tr("Архив измерений недоступен: он создан более новой "
                                      "версией программы.")
                        : reasonFor(lastError));
      return false;
    }
    checkNeeded = false;
    prepare();
    connected = true;
    return true;
  }

  std::optional<qint64> testerId(const QString& identity) {
    const auto known = testerIds.constFind(identity);
    if (known != testerIds.constEnd())
      return *known;
    Statements& s = *statements;
    s.findTester.addBindValue(identity);
    if (!run(s.findTester))
      return std::nullopt;
    const bool found = s.findTester.next();
    qint64 id = found ? s.findTester.value(0).toLongLong() : -1;
    s.findTester.finish();
    if (!found) {
      s.insertTester.addBindValue(identity);
      if (!run(s.insertTester))
        return std::nullopt;
      id = s.insertTester.lastInsertId().toLongLong();
    }
    testerIds.insert(identity, id);
    return id;
  }

  // NULL for no context at all.
  std::optional<QVariant> contextId(const InspectionContext& context) {
    if (context.isEmpty())
      return QVariant(QVariant::LongLong);
    // A field never set is empty text, not NULL: the columns take no NULL, and one context
    // must not be two rows.
    const auto text = [](const QString& field) {
      return field.isNull() ? QStringLiteral("") : field;
    };
    const QStringList key = {
        text(context.part), text(context.lot), text(context.inspector), text(context.note)};
    const auto known = contextIds.constFind(key);
    if (known != contextIds.constEnd())
      return QVariant(*known);
    Statements& s = *statements;
    for (const QString& field : key)
      s.findContext.addBindValue(field);
    if (!run(s.findContext))
      return std::nullopt;
    const bool found = s.findContext.next();
    qint64 id = found ? s.findContext.value(0).toLongLong() : -1;
    s.findContext.finish();
    if (!found) {
      for (const QString& field : key)
        s.insertContext.addBindValue(field);
      if (!run(s.insertContext))
        return std::nullopt;
      id = s.insertContext.lastInsertId().toLongLong();
    }
    contextIds.insert(key, id);
    return QVariant(id);
  }

  std::optional<qint64> newSeries(qint64 tester,
                                  const QVariant& context,
                                  MeasurementSource source,
                                  qint64 started,
                                  int startedOffset,
                                  int count,
                                  const QVariant& stamp) {
    QSqlQuery& insert = statements->insertSeries;
    insert.addBindValue(tester);
    insert.addBindValue(context);
    insert.addBindValue(int(source));
    insert.addBindValue(started);
    insert.addBindValue(startedOffset);
    insert.addBindValue(count);
    insert.addBindValue(stamp);
    insert.addBindValue(stamp);
    if (!run(insert))
      return std::nullopt;
    return insert.lastInsertId().toLongLong();
  }

  // Whether the series took the readings: false when it is gone.
  std::optional<bool>
  addToSeries(qint64 series, int count, const QVariant& first, const QVariant& last) {
    QSqlQuery& update = statements->updateSeries;
    update.addBindValue(count);
    update.addBindValue(first);
    update.addBindValue(first);
    update.addBindValue(last);
    update.addBindValue(last);
    update.addBindValue(series);
    if (!run(update))
      return std::nullopt;
    return update.numRowsAffected() > 0;
  }

  // 1 when stored, 0 when the archive has it already, nullopt on a failed write.
  std::optional<int> insertReading(qint64 series,
                                   qint64 tester,
                                   const QVariant& context,
                                   const QVariant& stamp,
                                   const QVariant& stampOffset,
                                   const Measurement& m,
                                   MeasurementSource source,
                                   qint64 received,
                                   int receivedOffset,
                                   int occurrence) {
    QSqlQuery& insert = statements->insertReading;
    insert.addBindValue(series);
    insert.addBindValue(tester);
    insert.addBindValue(context);
    insert.addBindValue(stamp);
    insert.addBindValue(stampOffset);
    insert.addBindValue(m.scale());
    insert.addBindValue(m.hardness());
    insert.addBindValue(m.frequency());
    insert.addBindValue(m.averaging());
    insert.addBindValue(int(source));
    insert.addBindValue(received);
    insert.addBindValue(receivedOffset);
    insert.addBindValue(occurrence);
    if (!run(insert))
      return std::nullopt;
    return insert.numRowsAffected() > 0 ? 1 : 0;
  }

  bool writeMemoryRead(const Pending& read) {
    const std::optional<qint64> tester = testerId(read.tester);
    const std::optional<QVariant> context = tester ? contextId(read.context) : std::nullopt;
    if (!context)
      return false;
    const std::optional<qint64> series =
        newSeries(*tester, *context, MeasurementSource::Memory, read.at, read.atOffset, 0, {});
    if (!series)
      return false;
    QHash<QByteArray, int> seen;
    seen.reserve(read.records.size());
    int added = 0;
    QVariant first;
    QVariant last;
    for (const Measurement& m : read.records) {
      const QVariant stamp = stampOf(m.dateTime());
      const int occurrence = seen[identityKey(stamp, m)]++;
      const std::optional<int> stored = insertReading(*series,
                                                      *tester,
                                                      *context,
                                                      stamp,
                                                      stampOffsetOf(m.dateTime()),
                                                      m,
                                                      MeasurementSource::Memory,
                                                      read.at,
                                                      read.atOffset,
                                                      occurrence);
      if (!stored)
        return false;
      if (*stored == 0)
        continue;
      ++added;
      if (!stamp.isNull()) {
        if (first.isNull() || stamp.toLongLong() < first.toLongLong())
          first = stamp;
        if (last.isNull() || stamp.toLongLong() > last.toLongLong())
          last = stamp;
      }
    }
    // A read of nothing new leaves no empty series behind.
    const bool done = added > 0
                          ? addToSeries(*series, added, first, last).has_value()
                          : exec(QStringLiteral("DELETE FROM series WHERE id = %1").arg(*series));
    if (!done)
      return false;
    writtenReadings = added;
    return true;
  }

  bool writeLive(const Pending& line) {
    const std::optional<qint64> tester = testerId(line.tester);
    const std::optional<QVariant> context = tester ? contextId(line.context) : std::nullopt;
    if (!context)
      return false;
    const Measurement& m = line.measurement;
    const QVariant stamp = stampOf(m.dateTime());
    const LiveKey key{line.generation, line.tester, line.source, line.context};
    std::optional<qint64> series;
    if (liveSeries > 0 && key == liveKey) {
      const std::optional<bool> kept = addToSeries(liveSeries, 1, stamp, stamp);
      if (!kept)
        return false;
      if (*kept)
        series = liveSeries;
    }
    if (!series) {
      series = newSeries(*tester, *context, line.source, line.at, line.atOffset, 1, stamp);
      if (!series)
        return false;
    }
    std::optional<int> stored = insertReading(*series,
                                              *tester,
                                              *context,
                                              stamp,
                                              stampOffsetOf(m.dateTime()),
                                              m,
                                              line.source,
                                              line.at,
                                              line.atOffset,
                                              0);
    if (stored && *stored == 0) {
      // A new measurement just like one archived before (the same second and values): it is
      // another record, as a memory read would number it.
      QSqlQuery& next = statements->nextOccurrence;
      next.addBindValue(*tester);
      next.addBindValue(stamp.isNull() ? QVariant(qint64(-1)) : stamp);
      next.addBindValue(m.scale());
      next.addBindValue(m.hardness());
      next.addBindValue(m.frequency());
      if (!run(next) || !next.next())
        return false;
      const int occurrence = next.value(0).toInt();
      next.finish();
      stored = insertReading(*series,
                             *tester,
                             *context,
                             stamp,
                             stampOffsetOf(m.dateTime()),
                             m,
                             line.source,
                             line.at,
                             line.atOffset,
                             occurrence);
    }
    if (!stored)
      return false;
    liveKey = key;
    liveSeries = *series;
    writtenReadings = 1;
    return true;
  }

  bool writeJournal(const Pending& entry) {
    QSqlQuery insert(db());
    insert.prepare(QStringLiteral("INSERT INTO journal (at, at_offset, tester, action, details) "
                                  "VALUES (?, ?, ?, ?, ?)"));
    insert.addBindValue(entry.at);
    insert.addBindValue(entry.atOffset);
    insert.addBindValue(entry.tester);
    insert.addBindValue(entry.action);
    insert.addBindValue(entry.details);
    return run(insert);
  }

  // A record taken over from the settings file never replaces a later one.
  bool writeKept(const KeptConstants& kept, bool onlyIfLater) {
    QSqlQuery insert(db());
    insert.prepare(
        QStringLiteral("INSERT INTO calibration_undo (slot, kept, kept_offset, name, a, b, c, "
                       "type, points) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (slot) DO "
                       "UPDATE SET kept = excluded.kept, kept_offset = excluded.kept_offset, "
                       "name = excluded.name, a = excluded.a, b = excluded.b, c = excluded.c, "
                       "type = excluded.type, points = excluded.points") +
        (onlyIfLater ? QStringLiteral(" WHERE excluded.kept > calibration_undo.kept") : QString()));
    const QDateTime when = kept.kept.isValid() ? kept.kept : QDateTime::currentDateTime();
    insert.addBindValue(int(kept.slot));
    insert.addBindValue(when.toMSecsSinceEpoch());
    insert.addBindValue(when.offsetFromUtc());
    insert.addBindValue(kept.constants.name);
    insert.addBindValue(kept.constants.a);
    insert.addBindValue(kept.constants.b);
    insert.addBindValue(kept.constants.c);
    insert.addBindValue(int(kept.constants.type));
    insert.addBindValue(int(kept.constants.points));
    return run(insert);
  }

  bool write(const Pending& item) {
    switch (item.kind) {
    case Pending::MemoryRead:
      return writeMemoryRead(item);
    case Pending::Live:
      return writeLive(item);
    case Pending::Journal:
      return writeJournal(item);
    case Pending::Keep:
    case Pending::TakeOver:
      return writeKept(item.kept, item.kind == Pending::TakeOver);
    case Pending::Drop: {
      QSqlQuery drop(db());
      drop.prepare(QStringLiteral("DELETE FROM calibration_undo WHERE slot = ?"));
      drop.addBindValue(int(item.kept.slot));
      return run(drop);
    }
    }
    return false;
  }

  // Writes what waits, in order, each call's data in one transaction. False while the file
  // cannot be written; what was not written stays waiting.
  bool flush() {
    wroteReadings = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (!connect())
        return false;
      bool damaged = false;
      while (!pending.isEmpty()) {
        const Pending& item = pending.first();
        writtenReadings = 0;
        if (!exec(QStringLiteral("BEGIN IMMEDIATE")) || !write(item) ||
            !exec(QStringLiteral("COMMIT"))) {
          const QSqlError error = lastError;
          exec(QStringLiteral("ROLLBACK"));
          // Ids cached in the transaction may be gone with it.
          testerIds.clear();
          contextIds.clear();
          liveSeries = -1;
          const int code = sqliteCode(error);
          if (isDamage(code)) {
            damaged = true;
            break;
          }
          // Only a lock passes by itself; anything else gets a fresh connection next time
          // (a file opened read-only stays so on its connection).
          if (code != SqliteBusy && code != SqliteLocked)
            close();
          fail(reasonFor(error));
          return false;
        }
        wroteReadings = wroteReadings || writtenReadings > 0;
        if (item.kind == Pending::MemoryRead && item.readToken == readToken) {
          lastReadWritten = true;
          lastReadNew = writtenReadings;
        }
        if (item.kind == Pending::TakeOver && item.settings) {
          item.settings->remove(item.group);
          item.settings->sync();
        }
        pending.removeFirst();
      }
      if (damaged) {
        close();
        checkNeeded = true;
        continue;
      }
      retry.stop();
      if (!checkpoint.isActive())
        checkpoint.start();
      setState(true, notice);
      if (wroteReadings)
        emit q->stored();
      return true;
    }
    return false;
  }

  void add(Pending item) {
    item.at = QDateTime::currentMSecsSinceEpoch();
    item.atOffset = currentOffset();
    pending.append(std::move(item));
    flush();
  }
};

QString Archive::defaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/archive.sqlite");
}

Archive::Archive(const QString& path, QObject* parent)
    : QObject(parent), d(new Impl(this)), m_path(QFileInfo(path).absoluteFilePath()) {}

Archive::~Archive() {
  if (!d->pending.isEmpty())
    d->flush();
  if (!d->pending.isEmpty())
    qWarning("Archive: %lld entries could not be written to %s",
             static_cast<long long>(d->pending.size()),
             qPrintable(m_path));
  d->close();
  delete d;
}

bool Archive::open() {
  return d->flush();
}

void Archive::takeOverUndoRecords(QSettings* settings) {
  if (!settings)
    return;
  const QString root = QStringLiteral("CalibrationUndo");
  settings->beginGroup(root);
  const QStringList slotGroups = settings->childGroups();
  settings->endGroup();
  for (const QString& slotName : slotGroups) {
    bool slotOk = false;
    const int slot = slotName.toInt(&slotOk);
    const QString group = root + QLatin1Char('/') + slotName;
    settings->beginGroup(group);
    bool numbers = slotOk && slot >= 0 && slot < ScaleSlots;
    auto number = [&](const char* key) {
      bool ok = false;
      const double value = settings->value(QLatin1String(key)).toDouble(&ok);
      numbers = numbers && ok;
      return value;
    };
    Impl::Pending item;
    item.kind = Impl::Pending::TakeOver;
    item.kept.slot = static_cast<ScaleNumber>(slot);
    item.kept.kept = settings->value(QStringLiteral("Date")).toDateTime();
    item.kept.constants.name = settings->value(QStringLiteral("Name")).toString();
    item.kept.constants.a = number("A");
    item.kept.constants.b = number("B");
    item.kept.constants.c = number("C");
    item.kept.constants.type = static_cast<qint8>(number("Type"));
    item.kept.constants.points = static_cast<qint16>(number("Points"));
    settings->endGroup();
    // A record edited by hand into something else stays where it is, unused as before.
    if (!numbers)
      continue;
    item.settings = settings;
    item.group = group;
    d->add(std::move(item));
  }
}

int Archive::storeMemoryRead(const QString& tester,
                             const QList<Measurement>& records,
                             const InspectionContext& context) {
  Impl::Pending item;
  item.kind = Impl::Pending::MemoryRead;
  item.tester = tester;
  item.records = records;
  item.context = context;
  item.readToken = ++d->readToken;
  d->anyRead = true;
  d->lastReadWritten = false;
  d->lastReadNew = 0;
  d->lastReadCount = records.size();
  d->add(std::move(item));
  return d->lastReadWritten ? d->lastReadNew : 0;
}

bool Archive::lastMemoryReadKept() const {
  return d->anyRead && d->lastReadWritten;
}

int Archive::lastMemoryReadCount() const {
  return d->lastReadCount;
}

void Archive::storeLive(const QString& tester,
                        const Measurement& measurement,
                        MeasurementSource source,
                        const InspectionContext& context) {
  Impl::Pending item;
  item.kind = Impl::Pending::Live;
  item.tester = tester;
  item.measurement = measurement;
  item.source = source;
  item.context = context;
  item.generation = d->generation;
  d->add(std::move(item));
}

void Archive::endSeries() {
  ++d->generation;
}

void Archive::journal(const QString& tester, const QString& action, const QVariantMap& details) {
  Impl::Pending item;
  item.kind = Impl::Pending::Journal;
  item.tester = tester;
  item.action = action;
  item.details =
      QString::fromUtf8(QJsonDocument::fromVariant(details).toJson(QJsonDocument::Compact));
  d->add(std::move(item));
}

std::optional<KeptConstants> Archive::keptConstants(ScaleNumber slot) const {
  // What waits to be written is newer than what the file holds.
  for (auto it = d->pending.crbegin(); it != d->pending.crend(); ++it) {
    if (it->kept.slot != slot)
      continue;
    if (it->kind == Impl::Pending::Drop)
      return std::nullopt;
    if (it->kind == Impl::Pending::Keep)
      return it->kept;
  }
  std::optional<KeptConstants> pendingTakeOver;
  for (const Impl::Pending& item : d->pending)
    if (item.kind == Impl::Pending::TakeOver && item.kept.slot == slot)
      pendingTakeOver = item.kept;
  if (!d->connected)
    return pendingTakeOver;
  QSqlQuery find(d->db());
  find.prepare(QStringLiteral("SELECT kept, name, a, b, c, type, points FROM calibration_undo "
                              "WHERE slot = ?"));
  find.addBindValue(int(slot));
  if (!find.exec() || !find.next())
    return pendingTakeOver;
  KeptConstants kept;
  kept.slot = slot;
  kept.kept = QDateTime::fromMSecsSinceEpoch(find.value(0).toLongLong());
  kept.constants.name = find.value(1).toString();
  kept.constants.a = find.value(2).toDouble();
  kept.constants.b = find.value(3).toDouble();
  kept.constants.c = find.value(4).toDouble();
  kept.constants.type = static_cast<qint8>(find.value(5).toInt());
  kept.constants.points = static_cast<qint16>(find.value(6).toInt());
  if (pendingTakeOver && pendingTakeOver->kept > kept.kept)
    return pendingTakeOver;
  return kept;
}

void Archive::keepConstants(const KeptConstants& kept) {
  Impl::Pending item;
  item.kind = Impl::Pending::Keep;
  item.kept = kept;
  d->add(std::move(item));
}

void Archive::dropKeptConstants(ScaleNumber slot) {
  Impl::Pending item;
  item.kind = Impl::Pending::Drop;
  item.kept.slot = slot;
  d->add(std::move(item));
}

QSqlDatabase Archive::database() const {
  return d->connected && m_available ? d->db() : QSqlDatabase();
}
