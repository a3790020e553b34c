#include "device/linechannel.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIODevice>
#include <QScopedValueRollback>
#include <QTimer>

#include "device/lineformat.h"

namespace {

// How long a line takes on the 9600 baud wire (about 1.04 ms a byte), rounded up.
qint64 wireTimeMs(const QByteArray& line) {
  return (line.size() * 1000 + 959) / 960;
}

} // namespace

LineChannel::Command::Command(LineChannel& channel) : m_channel(channel) {
  // A command started while another waits for its reply would mix the two dialogues.
  m_ok = channel.isOpen() && !channel.isBusy();
  if (m_ok)
    channel.m_command = true;
}

LineChannel::Command::~Command() {
  if (!m_ok)
    return;
  m_channel.m_command = false;
  m_channel.scheduleDelivery();
  emit m_channel.commandEnded();
}

LineChannel::LineChannel(QIODevice* io, QObject* parent, int replyTimeoutMs)
    : QObject(parent), m_io(io), m_timer(new QTimer(this)), m_replyTimeoutMs(replyTimeoutMs) {
  m_timer->setSingleShot(true);
  // A coarse timer may fire some 5 % early, and a reply at 960 ms would be refused.
  m_timer->setTimerType(Qt::PreciseTimer);
  connect(m_io, &QIODevice::readyRead, this, &LineChannel::deliver);
}

bool LineChannel::isOpen() const {
  return m_io->isOpen();
}

void LineChannel::waitForEvents(bool untilLine) {
  const QScopedValueRollback<bool> waiting(m_waiting, true);
  if (!m_timer->isActive() || (untilLine && m_io->canReadLine()) || !isOpen() || m_cancelled)
    return;
  // Sleep in the event loop until data or the timer wakes us: the interface keeps painting
  // and timers run, but an idle wait costs no processor time.
  QEventLoop loop;
  connect(m_timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  connect(m_io, &QIODevice::readyRead, &loop, [&] {
    dropOversizedPartialLine();
    if (untilLine && m_io->canReadLine())
      loop.quit();
  });
  connect(m_io, &QIODevice::aboutToClose, &loop, &QEventLoop::quit);
  connect(this, &LineChannel::cancelRequested, &loop, &QEventLoop::quit);
  loop.exec();
}

void LineChannel::pause(int ms) {
  m_timer->start(ms);
  waitForEvents(/*untilLine=*/false);
  m_timer->stop();
}

void LineChannel::cancel() {
  m_cancelled = true;
  emit cancelRequested();
}

QByteArray LineChannel::waitForLine(bool* ok, const ReplyTest& isReply) {
  if (ok)
    *ok = false;
  QElapsedTimer elapsed;
  elapsed.start();
  qint64 budgetMs = m_replyTimeoutMs;
  m_timer->start(m_replyTimeoutMs);
  for (;;) {
    waitForEvents(/*untilLine=*/true);
    if (m_io->canReadLine()) {
      const QByteArray line = m_io->readLine();
      if (!setAsideLine(line, isReply)) {
        m_timer->stop();
        if (ok)
          *ok = true;
        return line;
      }
      // The reply queues behind that line on the wire: it gets the line's time on top.
      budgetMs += wireTimeMs(line);
    }
    const qint64 left = budgetMs - elapsed.elapsed();
    if (left <= 0 || !isOpen() || m_cancelled)
      break;
    if (!m_timer->isActive())
      m_timer->start(int(left));
  }
  m_timer->stop();
  // The reply may still come, and must not be taken for the next request's.
  m_owed |= m_requestKind;
  qDebug() << "No reply in time";
  return QByteArray();
}

bool LineChannel::setAsideLine(const QByteArray& line, const ReplyTest& isReply) {
  const bool begunBefore = m_inFlight;
  m_inFlight = false;
  if (LineFormat::isUnsolicitedLine(line)) {
    m_heldLines.append(line);
    return true;
  }
  if (begunBefore || (isReply && !isReply(line))) {
    qDebug() << "Dropped a stale line:" << line;
    return true;
  }
  return false;
}

void LineChannel::writeRequest(const QByteArray& request, int replyKind) {
  clearStaleLines();
  m_requestKind = replyKind;
  qDebug() << "Request" << request;
  writeBytes(request);
}

void LineChannel::clearStaleLines() {
  // The input is never flushed: that would cut a measurement on its way. What came before
  // the request is either the tester's own (kept) or a stale reply (dropped); an unfinished
  // line is finished by the tester before it answers, and is no reply either.
  if (isOpen())
    m_io->waitForReadyRead(0);
  while (m_io->canReadLine())
    setAsideLine(m_io->readLine(), [](const QByteArray&) { return false; });
  m_inFlight = m_io->bytesAvailable() > 0;
  // The output is not flushed either: all that is in it is ours and still meant to go, such
  // as the values that lead the tester out of a dialogue.
}

void LineChannel::writeBytes(const QByteArray& bytes) {
  m_io->write(bytes);
  while (m_io->bytesToWrite() > 0 && m_io->waitForBytesWritten(100)) {
  }
}

void LineChannel::dropOversizedPartialLine() {
  if (!m_io->canReadLine() && m_io->bytesAvailable() > MaxLineBytes) {
    qDebug() << "Dropped an unterminated line of" << m_io->bytesAvailable() << "bytes";
    m_io->read(m_io->bytesAvailable());
  }
}

void LineChannel::setReceiving(bool receiving) {
  m_receiving = receiving;
  if (receiving)
    scheduleDelivery();
}

void LineChannel::reset() {
  m_inFlight = false;
  m_owed = 0;
}

void LineChannel::keepArrivedLines() {
  // An unfinished line cannot finish now.
  while (m_io->canReadLine())
    m_heldLines.append(m_io->readLine());
  m_inFlight = false;
  scheduleDelivery();
}

void LineChannel::scheduleDelivery() {
  if (m_deliveryScheduled)
    return;
  m_deliveryScheduled = true;
  // Queued: lines kept during a command are delivered once the command has returned.
  QTimer::singleShot(0, this, [this] {
    m_deliveryScheduled = false;
    deliver();
  });
}

void LineChannel::deliver() {
  if (isBusy() || !m_receiving) {
    if (isOpen())
      dropOversizedPartialLine();
    return; // the command's waits read the lines; the rest come when reception is on
  }
  while (!m_heldLines.isEmpty() && m_receiving && !isBusy())
    emit lineReceived(m_heldLines.takeFirst());
  // One signal per complete line: a single chunk may carry several measurements.
  while (m_receiving && !isBusy() && isOpen() && m_io->canReadLine())
    emit lineReceived(m_io->readLine());
  if (isOpen())
    dropOversizedPartialLine();
}
