#include "simulator/pacedwriter.h"

#include <QTimer>
#include <QtDebug>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr qint64 NsPerMs = 1000000;
// Short enough that bytes trickle out in chunks of about ten at 960 per second.
constexpr int PaceTickMs = 10;
// When the terminal's buffer is full, try again after this long.
constexpr int RetryMs = 10;

} // namespace

PacedWriter::PacedWriter(int fileDescriptor, int rate, QObject* parent)
    : QObject(parent), fd(fileDescriptor), bytesPerSecond(rate), timer(new QTimer(this)) {
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, &PacedWriter::pump);
  monotonic.start();
}

void PacedWriter::enqueue(const QByteArray& bytes, int delayMs) {
  if (bytes.isEmpty() && delayMs <= 0)
    return;
  queue.push_back({bytes, delayMs});
  if (!timer->isActive())
    pump();
}

void PacedWriter::setPaced(bool on) {
  paced = on;
  paceStartNs = -1;
}

qint64 PacedWriter::pacedAllowance() {
  const qint64 now = monotonic.nsecsElapsed();
  if (paceStartNs < 0) {
    paceStartNs = now;
    pacedBytes = 0;
  }
  return (now - paceStartNs) * bytesPerSecond / 1000000000 - pacedBytes;
}

void PacedWriter::pump() {
  while (!queue.empty()) {
    Chunk& head = queue.front();
    if (head.delayMs > 0) {
      const qint64 now = monotonic.nsecsElapsed();
      if (headDueNs < 0) {
        headDueNs = now + head.delayMs * NsPerMs;
        paceStartNs = -1; // the line is silent during the delay
      }
      if (now < headDueNs) {
        timer->start(int((headDueNs - now + NsPerMs - 1) / NsPerMs));
        return;
      }
    }

    qint64 count = head.bytes.size();
    if (paced) {
      count = qMin(count, pacedAllowance());
      if (count <= 0) {
        timer->start(PaceTickMs);
        return;
      }
    }

    const ssize_t written = count > 0 ? ::write(fd, head.bytes.constData(), size_t(count)) : 0;
    if (written < 0) {
      if (errno != EAGAIN && errno != EINTR) {
        qWarning("PacedWriter: write failed (errno %d), output dropped", errno);
        queue.clear();
        break;
      }
      timer->start(RetryMs);
      return;
    }
    pacedBytes += written;
    head.bytes.remove(0, int(written));
    if (!head.bytes.isEmpty()) {
      // Either the pace allowed only part of it or the terminal's buffer is full.
      timer->start(written < count ? RetryMs : PaceTickMs);
      return;
    }
    queue.pop_front();
    headDueNs = -1;
  }
  paceStartNs = -1;
  emit idle();
}
