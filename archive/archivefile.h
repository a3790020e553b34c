#pragma once

#include <memory>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

class QLockFile;
class QSqlQuery;

// The archive's SQLite file, opened for writing by one copy of the program at a time: created
// readable by its user alone, checked for damage (a damaged file is set aside, never
// deleted), brought to the latest version, in WAL mode. When it cannot be opened, problem()
// says why in the user's words.
class ArchiveFile {
  Q_DECLARE_TR_FUNCTIONS(ArchiveFile)

public:
  explicit ArchiveFile(const QString& path);
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // True at once while open; false with problem() set when the file cannot be written.
  bool open();
  void close();
  bool isOpen() const { return m_open; }
  QSqlDatabase database() const;
  QString problem() const { return m_problem; }
  // Said while the archive works after a damaged file was set aside, until the next trouble.
  QString notice() const { return m_notice; }
  void forgetNotice() { m_notice.clear(); }
  // SQLite found the file damaged while writing: the next opening checks it again.
  void checkAgain() { m_checkNeeded = true; }

  // Both keep the error of a failed statement in lastError().
  bool exec(const QString& statement);
  bool run(QSqlQuery& query);
  QSqlError lastError() const { return m_lastError; }
  // Why a write failed, in the user's words.
  QString reasonFor(const QSqlError& error) const;
  static bool isDamage(const QSqlError& error);
  // Another connection holds the file: this passes by itself.
  static bool isLock(const QSqlError& error);

private:
  bool lock();
  bool openConnection();
  bool createFile();
  bool healthy(bool* sound);
  QString setAside();
  bool configure();
  bool migrate();
  QString folder() const;
  QString unwritablePlace() const;
  bool fail(const QString& problem);

  QString m_path;
  QString m_connection;
  bool m_open = false;
  // A full check of every page only after SQLite found the file damaged: on a large archive
  // it takes seconds, and a start must not wait for them.
  bool m_checkNeeded = false;
  bool m_newerVersion = false;
  std::unique_ptr<QLockFile> m_lock;
  QSqlError m_lastError;
  QString m_problem;
  QString m_notice;
};
