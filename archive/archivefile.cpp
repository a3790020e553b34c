#include "archive/archivefile.h"

#include <atomic>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QVariant>

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

// Long enough to ride over another connection's commit, short enough that the interface
// never stalls on a file another program holds.
constexpr int BusyTimeoutMs = 50;
// Checkpoints run on the archive's timer between lines; this large automatic one is the
// fallback when no event loop runs.
constexpr int AutoCheckpointPages = 20000;

std::atomic<int> connectionCounter{0};

} // namespace

ArchiveFile::ArchiveFile(const QString& path) : m_path(path) {}

ArchiveFile::~ArchiveFile() {
  close();
}

bool ArchiveFile::isDamage(const QSqlError& error) {
  const int code = sqliteCode(error);
  return code == SqliteCorrupt || code == SqliteNotADatabase;
}

bool ArchiveFile::isLock(const QSqlError& error) {
  const int code = sqliteCode(error);
  return code == SqliteBusy || code == SqliteLocked;
}

QSqlDatabase ArchiveFile::database() const {
  return QSqlDatabase::database(m_connection, false);
}

QString ArchiveFile::folder() const {
  return QFileInfo(m_path).absolutePath();
}

// The place that refuses the write: the file itself when it is read-only, else its folder.
QString ArchiveFile::unwritablePlace() const {
  const QFileInfo file(m_path);
  const QString place = file.exists() && !file.isWritable() ? m_path : folder();
  return QDir::toNativeSeparators(place);
}

QString ArchiveFile::reasonFor(const QSqlError& error) const {
  switch (sqliteCode(error)) {
  case SqliteBusy:
  case SqliteLocked:
    return tr("Архив измерений недоступен: он занят другой программой.");
  case SqliteFull:
    return tr("Архив измерений недоступен: диск заполнен.");
  case SqlitePerm:
  case SqliteReadOnly:
  case SqliteCantOpen:
    return tr("Архив измерений недоступен: нет права записи в %1.").arg(unwritablePlace());
  case SqliteIoError:
    // SQLite reports a full disk on some writes as a plain input/output error.
    if (QStorageInfo(folder()).bytesAvailable() < 1024 * 1024)
      return tr("Архив измерений недоступен: диск заполнен.");
    break;
  default:
    break;
  }
  return tr("Архив измерений недоступен: ошибка записи (%1).")
      .arg(error.databaseText().isEmpty() ? error.text() : error.databaseText());
}

bool ArchiveFile::fail(const QString& problem) {
  m_problem = problem;
  return false;
}

bool ArchiveFile::exec(const QString& statement) {
  QSqlQuery query(database());
  if (query.exec(statement))
    return true;
  m_lastError = query.lastError();
  return false;
}

bool ArchiveFile::run(QSqlQuery& query) {
  if (query.exec())
    return true;
  m_lastError = query.lastError();
  return false;
}

void ArchiveFile::close() {
  m_open = false;
  if (m_connection.isEmpty())
    return;
  {
    QSqlDatabase db = database();
    db.close();
  }
  QSqlDatabase::removeDatabase(m_connection);
  m_connection.clear();
}

bool ArchiveFile::open() {
  if (m_open)
    return true;
  if (!QDir().mkpath(folder()))
    return fail(tr("Архив измерений недоступен: нет права записи в %1.")
                    .arg(QDir::toNativeSeparators(folder())));
  if (!lock())
    return false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!createFile())
      return fail(tr("Архив измерений недоступен: нет права записи в %1.").arg(unwritablePlace()));
    if (!openConnection()) {
      close();
      return fail(reasonFor(m_lastError));
    }
    bool sound = true;
    if (!healthy(&sound)) {
      close();
      return fail(reasonFor(m_lastError));
    }
    if (sound)
      break;
    close();
    const QString aside = setAside();
    if (aside.isEmpty() || attempt > 0)
      return fail(tr("Архив измерений недоступен: файл %1 повреждён, и отложить его не удалось.")
                      .arg(QDir::toNativeSeparators(m_path)));
    m_notice = tr("Архив измерений был повреждён и отложен как %1; начат новый.")
                   .arg(QDir::toNativeSeparators(aside));
  }
  if (!configure() || !migrate()) {
    const bool damaged = isDamage(m_lastError);
    close();
    m_checkNeeded = m_checkNeeded || damaged;
    return fail(m_newerVersion
                    ? tr("Архив измерений недоступен: он создан более новой версией программы.")
                    : reasonFor(m_lastError));
  }
  m_checkNeeded = false;
  m_open = true;
  return true;
}

// Held for the whole session: a second copy of the program must not write the same file.
bool ArchiveFile::lock() {
  if (m_lock)
    return true;
  auto file = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
  // Stale only when its process is gone, never by age: a copy may run for days.
  file->setStaleLockTime(0);
  if (!file->tryLock(0))
    return fail(file->error() == QLockFile::LockFailedError
                    ? tr("Архив измерений недоступен: его занимает другая копия программы.")
                    : tr("Архив измерений недоступен: нет права записи в %1.")
                          .arg(QDir::toNativeSeparators(folder())));
  m_lock = std::move(file);
  return true;
}

bool ArchiveFile::openConnection() {
  m_connection = QStringLiteral("brenmo-archive-%1").arg(++connectionCounter);
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
  db.setDatabaseName(m_path);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
  if (db.open())
    return true;
  m_lastError = db.lastError();
  return false;
}

// Created readable by its user alone before SQLite sees it: the -wal and -shm files take
// the main file's permissions.
bool ArchiveFile::createFile() {
  QFile file(m_path);
  if (!file.exists() && !file.open(QIODevice::WriteOnly))
    return false;
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  return true;
}

// Whether the file is a sound database; false with lastError set when it could not be told.
// Reading the schema finds a file that is no database; damage deeper in is found by SQLite
// when a write meets it, and then every page is checked.
bool ArchiveFile::healthy(bool* sound) {
  QSqlQuery check(database());
  if (!check.exec(m_checkNeeded ? QStringLiteral("PRAGMA quick_check")
                                : QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
    m_lastError = check.lastError();
    *sound = !isDamage(m_lastError);
    return !*sound;
  }
  *sound = check.next() && (!m_checkNeeded || check.value(0).toString() == QLatin1String("ok"));
  return true;
}

// Renamed, never deleted, with its write-ahead log: a log left behind would be played
// into the new file.
QString ArchiveFile::setAside() {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
  QString aside = m_path + QStringLiteral(".damaged-") + stamp;
  for (int n = 2; QFile::exists(aside); ++n)
    aside = m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
  if (!QFile::rename(m_path, aside))
    return QString();
  for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
    if (QFile::exists(m_path + suffix))
      QFile::rename(m_path + suffix, aside + suffix);
  return aside;
}

bool ArchiveFile::configure() {
  QSqlQuery mode(database());
  const bool wal = mode.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && mode.next() &&
                   mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
  if (!wal)
    m_lastError = mode.lastError();
  mode.finish();
  return wal && exec(QStringLiteral("PRAGMA synchronous = NORMAL")) &&
         exec(QStringLiteral("PRAGMA foreign_keys = ON")) &&
         exec(QStringLiteral("PRAGMA wal_autocheckpoint = %1").arg(AutoCheckpointPages));
}

bool ArchiveFile::migrate() {
  m_newerVersion = false;
  QSqlQuery version(database());
  if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
    m_lastError = version.lastError();
    return false;
  }
  const int from = version.value(0).toInt();
  version.finish();
  const QList<QStringList>& steps = ArchiveSchema::steps();
  m_newerVersion = from > steps.size();
  if (m_newerVersion)
    return false;
  for (int step = from + 1; step <= steps.size(); ++step) {
    bool done = exec(QStringLiteral("BEGIN IMMEDIATE"));
    for (int i = 0; done && i < steps[step - 1].size(); ++i)
      done = exec(steps[step - 1][i]);
    done = done && exec(QStringLiteral("PRAGMA user_version = %1").arg(step)) &&
           exec(QStringLiteral("COMMIT"));
    if (!done) {
      const QSqlError error = m_lastError;
      exec(QStringLiteral("ROLLBACK"));
      m_lastError = error;
      return false;
    }
  }
  return true;
}
