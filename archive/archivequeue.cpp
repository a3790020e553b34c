#include "archive/archivequeue.h"

#include <QDateTime>
#include <QSettings>

#include "archive/archivereadings.h"

namespace {

constexpr int RetryIntervalMs = 5000;
// A checkpoint (the log copied into the file, with its fsync) takes milliseconds: it runs on
// a timer between lines, not on whichever line SQLite would pick.
constexpr int CheckpointIntervalMs = 10000;

} // namespace

ArchiveQueue::ArchiveQueue(const QString& path, QObject* parent) : QObject(parent), m_file(path) {
  m_retry.setInterval(RetryIntervalMs);
  connect(&m_retry, &QTimer::timeout, this, [this] { flush(); });
  m_checkpoint.setInterval(CheckpointIntervalMs);
  m_checkpoint.setSingleShot(true);
  connect(&m_checkpoint, &QTimer::timeout, this, [this] {
    if (m_file.isOpen())
      m_file.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
  });
}

ArchiveQueue::~ArchiveQueue() {
  close();
}

void ArchiveQueue::setState(bool available, const QString& problem) {
  if (!available)
    m_file.forgetNotice();
  if (available == m_available && problem == m_problem)
    return;
  m_available = available;
  m_problem = problem;
  emit availabilityChanged();
}

void ArchiveQueue::fail(const QString& problem) {
  setState(false, problem);
  m_retry.start();
}

// The statements go before the connection they were prepared on.
void ArchiveQueue::close() {
  m_readings.reset();
  m_file.close();
}

bool ArchiveQueue::openFile() {
  if (m_file.isOpen())
    return true;
  if (!m_file.open()) {
    fail(m_file.problem());
    return false;
  }
  m_readings = std::make_unique<ArchiveReadings>(m_file);
  return true;
}

// How many readings the item added; nullopt when the write failed.
std::optional<int> ArchiveQueue::write(const ArchiveItem& item) {
  if (item.kind == ArchiveItem::MemoryRead || item.kind == ArchiveItem::Live)
    return m_readings->write(item);
  return m_records.write(item) ? std::optional<int>(0) : std::nullopt;
}

bool ArchiveQueue::flush() {
  bool wroteReadings = false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!openFile())
      return false;
    bool damaged = false;
    while (!m_waiting.isEmpty()) {
      const ArchiveItem& item = m_waiting.first();
      std::optional<int> added;
      if (!m_file.exec(QStringLiteral("BEGIN IMMEDIATE")) || !(added = write(item)) ||
          !m_file.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = m_file.lastError();
        m_file.exec(QStringLiteral("ROLLBACK"));
        m_readings->forget();
        if (ArchiveFile::isDamage(error)) {
          damaged = true;
          break;
        }
        // Only a lock passes by itself; anything else gets a fresh connection next time
        // (a file opened read-only stays so on its connection).
        if (!ArchiveFile::isLock(error))
          close();
        fail(m_file.reasonFor(error));
        return false;
      }
      wroteReadings = wroteReadings || *added > 0;
      if (item.kind == ArchiveItem::MemoryRead) {
        m_writtenRead = item.readToken;
        m_writtenReadAdded = *added;
      }
      if (item.kind == ArchiveItem::TakeOver && item.settings) {
        item.settings->remove(item.group);
        item.settings->sync();
      }
      m_waiting.removeFirst();
    }
    if (damaged) {
      close();
      m_file.checkAgain();
      continue;
    }
    m_retry.stop();
    if (!m_checkpoint.isActive())
      m_checkpoint.start();
    setState(true, m_file.notice());
    if (wroteReadings)
      emit stored();
    return true;
  }
  return false;
}

void ArchiveQueue::add(ArchiveItem item) {
  item.at = QDateTime::currentMSecsSinceEpoch();
  item.atOffset = QDateTime::currentDateTime().offsetFromUtc();
  m_waiting.append(std::move(item));
  flush();
}
