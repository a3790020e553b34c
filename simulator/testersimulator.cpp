#include "simulator/testersimulator.h"

#include "simulator/pacedwriter.h"
#include "simulator/requesthandler.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A line longer than this without a line feed is noise, not a request.
constexpr int MaxLineBytes = 4096;

QByteArray withoutLineEnd(QByteArray pattern) {
  while (pattern.endsWith('\n') || pattern.endsWith(' '))
    pattern.chop(1);
  return pattern;
}

// Same length, no line end inside, and nothing a parser could take for a field or a digit.
QByteArray garbled(QByteArray text) {
  for (char& byte : text)
    byte = char(byte ^ 0xA5);
  return text;
}

} // namespace

TesterSimulator::TesterSimulator(QObject* parent)
    : QObject(parent), handler(std::make_unique<RequestHandler>(state)) {}

TesterSimulator::~TesterSimulator() {
  closeTerminal();
  if (!linkPath.isEmpty() && QFileInfo(linkPath).isSymLink())
    QFile::remove(linkPath);
}

void TesterSimulator::closeTerminal() {
  delete readNotifier;
  readNotifier = nullptr;
  delete writer;
  writer = nullptr;
  if (masterFd >= 0)
    ::close(masterFd);
  if (slaveFd >= 0)
    ::close(slaveFd);
  masterFd = slaveFd = -1;
  pendingLine.clear();
}

void TesterSimulator::hangUp() {
  // A dialogue in progress dies with the line, as the tester's does when it loses power.
  handler = std::make_unique<RequestHandler>(state);
  handler->setStrict(strict);
  exchangeFaults.clear();
  closeTerminal();
  // As the system's stable name of a converter goes with it; the freed terminal may soon
  // belong to someone else.
  if (!linkPath.isEmpty() && QFileInfo(linkPath).isSymLink())
    QFile::remove(linkPath);
}

bool TesterSimulator::comeBack() {
  return start();
}

bool TesterSimulator::setLinkPath(const QString& path) {
  linkPath = path;
  return masterFd < 0 || pointLink();
}

bool TesterSimulator::pointLink() {
  if (linkPath.isEmpty())
    return true;
  if (QFileInfo(linkPath).isSymLink())
    QFile::remove(linkPath);
  return QFile::link(slavePath, linkPath);
}

bool TesterSimulator::start() {
  if (masterFd >= 0)
    return true;
  if (::openpty(&masterFd, &slaveFd, nullptr, nullptr, nullptr) != 0) {
    qWarning("TesterSimulator: no pseudo-terminal (errno %d)", errno);
    masterFd = slaveFd = -1;
    return false;
  }
  slavePath = QString::fromLocal8Bit(::ptsname(masterFd));

  // Raw like the tester's line, so no byte is translated or echoed before the application
  // configures the port itself. Our slave descriptor stays open for the simulator's lifetime:
  // the master then never reads a hang-up while the application closes and reopens the port.
  termios settings{};
  ::tcgetattr(slaveFd, &settings);
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B9600);
  ::tcsetattr(slaveFd, TCSANOW, &settings);
  ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
  ::fcntl(masterFd, F_SETFD, FD_CLOEXEC);
  ::fcntl(slaveFd, F_SETFD, FD_CLOEXEC);

  writer = new PacedWriter(masterFd, PacedBytesPerSecond, this);
  writer->setPaced(paced);
  readNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
  connect(readNotifier, &QSocketNotifier::activated, this, &TesterSimulator::readFromMaster);
  if (!pointLink())
    qWarning("TesterSimulator: cannot link %s", qPrintable(linkPath));
  return true;
}

QString TesterSimulator::portName() const {
  return slavePath;
}
QByteArray TesterSimulator::received() const {
  return receivedBytes;
}
void TesterSimulator::clearReceived() {
  receivedBytes.clear();
}

QString TesterSimulator::identity() const {
  return state.identity;
}
void TesterSimulator::setIdentity(const QString& id) {
  state.identity = id;
}
QDateTime TesterSimulator::clock() const {
  return state.clock();
}
void TesterSimulator::setClock(const QDateTime& dt) {
  state.setClock(dt);
}

QList<TesterSimulator::Record> TesterSimulator::memory() const {
  return state.memory;
}
void TesterSimulator::setMemory(const QList<Record>& records) {
  state.memory = records;
}
void TesterSimulator::seedMemory(int count) {
  state.seed(count);
}

TesterSimulator::ScaleSlot TesterSimulator::scaleSlot(int number) const {
  if (number < 0 || number >= TesterState::SlotCount)
    return ScaleSlot();
  return state.scales[number];
}

void TesterSimulator::setScaleSlot(int number, const ScaleSlot& slot) {
  if (number >= 0 && number < TesterState::SlotCount)
    state.scales[number] = slot;
}

quint16 TesterSimulator::offMask() const {
  return state.offMask;
}
void TesterSimulator::setOffMask(quint16 mask) {
  state.offMask = mask;
}
int TesterSimulator::currentScale() const {
  return state.current;
}

void TesterSimulator::setCurrentScale(int number) {
  if (number >= 0 && number < TesterState::SlotCount)
    state.current = number;
}

double TesterSimulator::hardnessFor(double frequency) const {
  return TesterState::hardness(state.currentSlot(), frequency);
}

double TesterSimulator::randomFrequency() {
  return state.randomFrequency(state.currentSlot());
}

void TesterSimulator::measure(double frequency) {
  const Record record = state.measure(frequency);
  sendLine(TesterText::liveLine(record, state.memory.size()), 0);
}

void TesterSimulator::sendKeyEvent(const QByteArray& text) {
  sendLine(text, 0);
}

void TesterSimulator::sendRaw(const QByteArray& bytes) {
  if (writer)
    writer->enqueue(bytes);
}

QByteArray TesterSimulator::noise(int bytes, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray out;
  while (out.size() < bytes) {
    QByteArray line;
    switch (random.bounded(4)) {
    case 0: // random bytes, NUL and control bytes among them
      for (int i = random.bounded(1, 40); i > 0; --i)
        line.append(char(random.bounded(256)));
      line.replace('\n', '\0');
      break;
    case 1: // not UTF-8
      line = QByteArray("\xff\xfe;#;@@;\x01");
      break;
    case 2: // four fields of garbage
      line = QByteArray::number(random.bounded(100)) + "x;" +
             QByteArray(random.bounded(1, 5), '#') + ";;\xc3";
      break;
    default: // half a measurement, its time stamp bitten
      line = "12:3\x00:40 14.02.20 1;806.0;51.9;HRC";
      break;
    }
    out += line + '\n';
  }
  return out;
}

void TesterSimulator::sendNoise(int bytes, quint32 seed) {
  sendRaw(noise(bytes, seed));
}

void TesterSimulator::setStrict(bool on) {
  strict = on;
  handler->setStrict(on);
}

void TesterSimulator::setReplyDelay(int ms) {
  replyDelayMs = qMax(0, ms);
}
void TesterSimulator::setCrLf(bool on) {
  crLf = on;
}
void TesterSimulator::setSilent(bool on) {
  silent = on;
}

void TesterSimulator::setPaced(bool on) {
  paced = on;
  if (writer)
    writer->setPaced(on);
}

void TesterSimulator::armFault(const Fault& fault) {
  Fault armed = fault;
  armed.request = withoutLineEnd(fault.request);
  armedFaults.append(armed);
}

void TesterSimulator::failReply(const QByteArray& request, int lineIndex, Failure failure) {
  Fault fault;
  fault.request = request;
  fault.lineIndex = lineIndex;
  fault.kind = failure == Failure::Drop ? Fault::Drop : Fault::Garble;
  armFault(fault);
}

void TesterSimulator::delayReply(const QByteArray& request, int lineIndex, int ms) {
  Fault fault;
  fault.request = request;
  fault.lineIndex = lineIndex;
  fault.kind = Fault::Delay;
  fault.delayMs = ms;
  armFault(fault);
}

void TesterSimulator::injectBeforeReply(const QByteArray& request,
                                        int lineIndex,
                                        const QByteArray& line) {
  Fault fault;
  fault.request = request;
  fault.lineIndex = lineIndex;
  fault.kind = Fault::Inject;
  fault.line = line;
  armFault(fault);
}

bool TesterSimulator::waitForIdle(int timeoutMs) {
  if (!writer || writer->isIdle())
    return true;
  QEventLoop loop;
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  connect(writer, &PacedWriter::idle, &loop, &QEventLoop::quit);
  loop.exec();
  return writer->isIdle();
}

void TesterSimulator::readFromMaster() {
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(masterFd, buffer, sizeof buffer);
    if (count > 0) {
      receivedBytes.append(buffer, int(count));
      pendingLine.append(buffer, int(count));
      continue;
    }
    if (count < 0 && errno == EINTR)
      continue;
    if (count == 0 || (count < 0 && errno != EAGAIN)) {
      // Cannot happen while our slave descriptor is open; stop rather than spin.
      qWarning("TesterSimulator: read failed (errno %d)", errno);
      readNotifier->setEnabled(false);
    }
    break;
  }

  int end;
  while ((end = pendingLine.indexOf('\n')) >= 0) {
    const QByteArray line = pendingLine.left(end + 1);
    pendingLine.remove(0, end + 1);
    emit requestReceived(line);
    if (!silent)
      handleLine(line.left(end));
  }
  if (pendingLine.size() > MaxLineBytes)
    pendingLine.clear();
}

bool TesterSimulator::requestMatches(const QByteArray& pattern, const QByteArray& line) {
  return line == pattern || (!pattern.contains(' ') && line.startsWith(pattern + ' '));
}

void TesterSimulator::handleLine(const QByteArray& line) {
  const RequestHandler::Outcome outcome = handler->handle(line);
  if (outcome.newExchange) {
    exchangeLine = 0;
    exchangeFaults.clear();
    // Each fault hits one occurrence; a second one for the same line waits for the next.
    for (auto fault = armedFaults.begin(); fault != armedFaults.end();) {
      const bool sameSlotTaken =
          std::any_of(exchangeFaults.cbegin(), exchangeFaults.cend(), [&](const Fault& taken) {
            return taken.lineIndex == fault->lineIndex &&
                   (taken.kind == Fault::Inject) == (fault->kind == Fault::Inject);
          });
      if (!sameSlotTaken && requestMatches(fault->request, line)) {
        exchangeFaults.append(*fault);
        fault = armedFaults.erase(fault);
      } else {
        ++fault;
      }
    }
  }
  for (const QByteArray& reply : outcome.replies)
    sendReply(reply);
}

void TesterSimulator::sendReply(const QByteArray& text) {
  const int index = exchangeLine++;
  int delayMs = replyDelayMs;
  QByteArray line = text;
  bool drop = false;
  for (const Fault& fault : qAsConst(exchangeFaults)) {
    if (fault.lineIndex != index)
      continue;
    if (fault.kind == Fault::Inject) {
      sendLine(fault.line, delayMs);
      delayMs = 0;
    }
    drop = drop || fault.kind == Fault::Drop;
    if (fault.kind == Fault::Garble)
      line = garbled(line);
    if (fault.kind == Fault::Delay)
      delayMs += fault.delayMs;
  }
  if (!drop)
    sendLine(line, delayMs);
}

void TesterSimulator::sendLine(const QByteArray& text, int delayMs) {
  if (writer)
    writer->enqueue(withLineEnd(text), delayMs);
}

QByteArray TesterSimulator::withLineEnd(const QByteArray& text) const {
  if (text.endsWith('\n'))
    return text;
  return text + (crLf ? "\r\n" : "\n");
}
