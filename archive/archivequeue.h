#pragma once

#include <memory>

#include <QList>
#include <QObject>
#include <QTimer>

#include "archive/archivefile.h"
#include "archive/archiveitem.h"
#include "archive/archiverecords.h"

class ArchiveReadings;

// What the archive was asked to write, written at once and in order, each item in one
// transaction. While the file cannot be written the items wait here, the archive is
// unavailable (problem() says why) and the writing is tried again every few seconds.
class ArchiveQueue : public QObject {
  Q_OBJECT

public:
  explicit ArchiveQueue(const QString& path, QObject* parent = nullptr);
  ~ArchiveQueue() override;

  // Stamped with the time of the call, then written with whatever waits before it.
  void add(ArchiveItem item);
  // False while the file cannot be written; what was not written stays waiting.
  bool flush();
  void close();
  const QList<ArchiveItem>& waiting() const { return m_waiting; }
  ArchiveFile& file() { return m_file; }
  bool available() const { return m_available; }
  QString problem() const { return m_problem; }
  // The read token of the last memory read written, and how many readings it added.
  quint64 writtenRead() const { return m_writtenRead; }
  int writtenReadAdded() const { return m_writtenReadAdded; }

signals:
  void availabilityChanged();
  // Readings were written.
  void stored();

private:
  bool openFile();
  std::optional<int> write(const ArchiveItem& item);
  void setState(bool available, const QString& problem);
  void fail(const QString& problem);

  ArchiveFile m_file;
  // Prepared for the open file, dropped with it.
  std::unique_ptr<ArchiveReadings> m_readings;
  ArchiveRecords m_records{m_file};
  QTimer m_retry;
  QTimer m_checkpoint;
  QList<ArchiveItem> m_waiting;
  bool m_available = false;
  QString m_problem;
  quint64 m_writtenRead = 0;
  int m_writtenReadAdded = 0;
};
