#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include <deque>

class QTimer;

// Writes queued chunks to a non-blocking file descriptor in order. A chunk may wait a delay
// before it starts; when paced, bytes leave no faster than a serial line of the given rate,
// counted from the moment the line last fell idle so that the average stays exact.
class PacedWriter : public QObject {
  Q_OBJECT

public:
  PacedWriter(int fd, int bytesPerSecond, QObject* parent = nullptr);

  // The delay counts from the moment the previous chunk was fully written.
  void enqueue(const QByteArray& bytes, int delayMs = 0);
  void setPaced(bool on);
  bool isIdle() const { return queue.empty(); }

signals:
  void idle();

private:
  struct Chunk {
    QByteArray bytes;
    int delayMs = 0;
  };

  void pump();
  qint64 pacedAllowance();

  int fd;
  int bytesPerSecond;
  bool paced = false;
  std::deque<Chunk> queue;
  QTimer* timer;
  QElapsedTimer monotonic;
  qint64 headDueNs = -1;   // when the head chunk's delay ends; -1 while not yet started
  qint64 paceStartNs = -1; // start of the current paced burst; -1 while idle
  qint64 pacedBytes = 0;   // bytes written since paceStartNs
};
