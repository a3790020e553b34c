#include "device/device.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QSettings>
#include <QTimer>

#include "device/lineformat.h"
#include "device/portaccess.h"
#include "device/portdiscovery.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "models/settingsfile.h"

namespace {

const char kLastPortKey[] = "LastPortName";
// Spelled so: files written by earlier versions use this name.
const char kDescriptionGroup[] = "ScaleDesciptions";
const int kStandardScales = ScaleModel::StandardScales;

QString descriptionKey(int row) {
  return QStringLiteral("Scale") + QString::number(row);
}

} // namespace

Device::Device(QObject* parent) : QSerialPort(parent) {
  qRegisterMetaType<Measurement>();

  responseTimer = new QTimer(this);
  responseTimer->setSingleShot(true);
  // A coarse timer may fire some 5 % early, and a reply at 960 ms would be refused.
  responseTimer->setTimerType(Qt::PreciseTimer);
  QObject::connect(responseTimer, &QTimer::timeout, this, &Device::timerTimeout);

  liveSeries = false;

  wakeUpTimer = new QTimer(this);
  QObject::connect(wakeUpTimer, &QTimer::timeout, this, &Device::wakeUpDevice);
  wakeUpTimer->setInterval(WakeUpIntervalMs);

  m_lookTimer = new QTimer(this);
  m_lookTimer->setInterval(LookForTesterIntervalMs);
  QObject::connect(m_lookTimer, &QTimer::timeout, this, &Device::lookForTester);
  QObject::connect(this, &QSerialPort::errorOccurred, this, &Device::portError);

  measModel = new MeasurementModel(this);
  calibMeasModel = new MeasurementModel(this);
  scalesModel = new ScaleModel(this);
  addBuiltInScales();

  settingsFile = SettingsFile::open(this);
  loadSettings();

  // A description typed for a new user scale is written at once, not only at exit, so a
  // killed process loses nothing.
  QObject::connect(scalesModel, &QAbstractItemModel::dataChanged, this, &Device::saveDescriptions);
  QObject::connect(
      scalesModel, &QAbstractItemModel::layoutChanged, this, &Device::saveDescriptions);
}

Device::~Device() {
  wakeUpTimer->stop();
  m_lookTimer->stop();
  saveSettings();
  close();
}

void Device::addBuiltInScales() {
  const QString standard[kStandardScales][2] = {
      {QStringLiteral("HRC"), tr("Роквелл С, легир. сталь")},
      {QStringLiteral("HB"), tr("Бринелль, легир. сталь")},
      {QStringLiteral("HV"), tr("Виккерс, легир. сталь")},
  };
  for (const auto& row : standard) {
    Scale scale = Scale::standard(row[0], row[1]);
    scalesModel->add(scale);
  }
  for (int i = kStandardScales; i < scalesModel->maxScales(); ++i) {
    Scale free = Scale::freeUserSlot();
    scalesModel->add(free);
  }
}

// --- Port choice and settings ---------------------------------------------------------------

QStringList Device::availablePorts() {
  QStringList names;
  for (const PortDiscovery::PortDescription& port : PortDiscovery::availablePorts())
    names.append(port.name);
  return names;
}

bool Device::autoConnect() {
  return true;
}

bool Device::isDeviceOpen() {
  // While the search asks who answers on a port, nobody is connected yet.
  return isOpen() && !m_probing;
}

bool Device::isBusy() {
  return m_waiting;
}

void Device::cancelRead() {
  if (m_readTotal == 0)
    return; // no read under way, or one with nothing to stop
  qDebug() << "Memory read cancelled";
  m_cancelRead = true;
  emit readCancelRequested();
}

bool Device::open(OpenMode mode) {
  lastPortName = PortDiscovery::chooseTesterPort(PortDiscovery::availablePorts());
  if (!lastPortName.isEmpty())
    qDebug() << "Selected port: " + lastPortName;
  setPortName(lastPortName);
  const bool wasOpen = isOpen();
  close();
  if (wasOpen)
    emit connectedChanged();
  const bool opened = !lastPortName.isEmpty() && QSerialPort::open(mode);
  noteDeniedPort(opened ? QString() : lastPortName);
  if (!opened) {
    qDebug() << "Port didn't open";
    return false;
  }
  m_readErrors = 0;
  m_inFlight = false;
  m_owedShapes = 0;     // a new line owes nothing
  m_lookTimer->start(); // also watches that the port stays listed
  emit connectedChanged();
  // Let the tester settle; what it sends meanwhile waits in the buffer.
  responseTimer->start(SettlePauseMs);
  waitForEvents(/*untilLine=*/false);
  timedOut = false;
  qDebug() << "Port opened";
  return isOpen();
}

// --- The tester unplugged and back ----------------------------------------------------------

void Device::portError(QSerialPort::SerialPortError error) {
  if (!isOpen())
    return;
  if (error == QSerialPort::ResourceError) {
    loseTester();
  } else if (error == QSerialPort::ReadError) {
    // A hung-up line reads as end of file, and Qt names that by whatever error number was
    // left over, so the line itself is asked. Otherwise a hung-up line reads nothing but
    // errors, one after another, while an error now and then is a glitch.
    if (lineHungUp()) {
      loseTester();
      return;
    }
    if (!m_lastReadError.isValid() || m_lastReadError.elapsed() > 1000)
      m_readErrors = 0;
    m_lastReadError.start();
    if (++m_readErrors >= LostAfterReadErrors)
      loseTester();
  }
}

bool Device::lineHungUp() {
#ifdef Q_OS_UNIX
  pollfd line{int(handle()), POLLIN, 0};
  return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
  return false;
#endif
}

void Device::loseTester() {
  qDebug() << "Port lost";
  wakeUpTimer->stop();
  // Whatever had arrived still reaches the handlers; an unfinished line cannot finish now.
  while (canReadLine())
    m_heldLines.append(readLine());
  close();
  m_inFlight = false;
  // A port lost while the first search was still opening it held no tester yet.
  startSearch(m_search == Search::FirstFind ? Search::FirstFind : Search::AfterLoss);
  emit connectedChanged();
  scheduleHeldLines();
}

bool Device::portListed() const {
  const QList<PortDiscovery::PortDescription> ports = PortDiscovery::availablePorts();
  return std::any_of(
      ports.begin(), ports.end(), [this](const PortDiscovery::PortDescription& port) {
        return port.name == lastPortName;
      });
}

void Device::startSearch(Search kind) {
  m_search = kind;
  m_lookTimer->start();
}

void Device::stopSearch() {
  m_search = Search::None;
  if (!isOpen())
    m_lookTimer->stop();
}

void Device::lookForTester() {
  if (isOpen()) {
    // A hung-up line reads as end of file, which Qt reports by whatever error number was
    // left over: a lost port may go unreported. One gone from the system's list is gone.
    if (!m_waiting && !m_probing && !portListed())
      loseTester();
    return;
  }
  if (m_search == Search::None) {
    m_lookTimer->stop();
    return;
  }
  if (m_waiting || PortDiscovery::chooseTesterPort(PortDiscovery::availablePorts()).isEmpty())
    return;
  {
    const QScopedValueRollback<bool> probing(m_probing, true);
    if (!open(QIODevice::ReadWrite))
      return;
    if (m_search == Search::AfterLoss) {
      checkReturningTester();
      return;
    }
  }
  // Found after a start that found none: the interface connects as its button does.
  qDebug() << "Port found";
  stopSearch();
  enableReception();
  emit connectedChanged();
  emit testerFound();
}

void Device::checkReturningTester() {
  // Whatever appears under the port's name may be another instrument: ask first.
  const QString identity = askIdentity();
  m_probing = false;
  if (identity.isEmpty()) {
    qDebug() << "Nobody answered on the port";
    disableReception();
    close(); // the search goes on
    return;
  }
  stopSearch();
  // An identity never asked (the interface asks it on every connection) cannot differ.
  if (m_testerIdentity.isEmpty() || identity == m_testerIdentity) {
    qDebug() << "Port back";
    resumeReception();
    emit connectedChanged();
    return;
  }
  qDebug() << "Another tester:" << identity;
  m_otherTester = true;
  resumeReception();
  emit connectedChanged();
  emit otherTesterConnected(identity);
}

void Device::resumeReception() {
  if (m_calibMode) {
    m_receiving = true;
    QObject::connect(this, &QIODevice::readyRead, this, &Device::dataReady, Qt::UniqueConnection);
    QObject::connect(
        this, &Device::lineReady, this, &Device::updateCalibMeasures, Qt::UniqueConnection);
    scheduleHeldLines();
  } else {
    enableReception();
  }
}

void Device::loadSettings() {
  lastPortName = settingsFile->value(kLastPortKey, QString()).toString();
  settingsFile->beginGroup(kDescriptionGroup);
  // Only a complete group is trusted; a partial one leaves the built-in descriptions.
  if (settingsFile->childKeys().size() == scalesModel->maxScales() - kStandardScales)
    for (int row = kStandardScales; row < scalesModel->rowCount(); ++row)
      scalesModel->scale(row)->setDescription(settingsFile->value(descriptionKey(row)).toString());
  settingsFile->endGroup();
  m_savedDescriptions = userDescriptions();
}

QString Device::takeSettingsNotice() {
  return SettingsFile::takeNotice();
}

void Device::saveSettings() {
  settingsFile->setValue(kLastPortKey, lastPortName);
  writeDescriptions();
  settingsFile->sync();
}

QStringList Device::userDescriptions() const {
  QStringList descriptions;
  for (int row = kStandardScales; row < scalesModel->rowCount(); ++row)
    descriptions.append(scalesModel->scale(row)->description());
  return descriptions;
}

void Device::writeDescriptions() {
  settingsFile->beginGroup(kDescriptionGroup);
  for (int row = kStandardScales; row < scalesModel->rowCount(); ++row)
    settingsFile->setValue(descriptionKey(row), scalesModel->scale(row)->description());
  settingsFile->endGroup();
  m_savedDescriptions = userDescriptions();
}

void Device::saveDescriptions() {
  if (userDescriptions() == m_savedDescriptions)
    return;
  writeDescriptions();
  settingsFile->sync();
}

// --- Waiting and the line exchange ----------------------------------------------------------

void Device::timerTimeout() {
  timedOut = true;
}

void Device::waitForEvents(bool untilLine) {
  const QScopedValueRollback<bool> waiting(m_waiting, true);
  if (!responseTimer->isActive() || (untilLine && canReadLine()) || !isOpen())
    return;
  // Sleep in the event loop until data or the timer wakes us: the interface keeps painting
  // and timers run, but an idle wait costs no processor time.
  QEventLoop loop;
  QObject::connect(responseTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(this, &QIODevice::readyRead, &loop, [&] {
    dropOversizedPartialLine();
    if (untilLine && canReadLine())
      loop.quit();
  });
  QObject::connect(this, &QIODevice::aboutToClose, &loop, &QEventLoop::quit);
  QObject::connect(this, &Device::readCancelRequested, &loop, &QEventLoop::quit);
  loop.exec();
}

namespace {

// How long a line takes on the 9600 baud wire (about 1.04 ms a byte), rounded up.
qint64 wireTimeMs(const QByteArray& line) {
  return (line.size() * 1000 + 959) / 960;
}

} // namespace

QByteArray Device::waitForLine(bool* ok, const ReplyTest& isReply) {
  if (ok)
    *ok = false;
  QElapsedTimer elapsed;
  elapsed.start();
  qint64 budgetMs = ReplyTimeoutMs;
  responseTimer->start(ReplyTimeoutMs);
  for (;;) {
    waitForEvents(/*untilLine=*/true);
    if (canReadLine()) {
      const QByteArray line = readLine();
      if (!setAsideLine(line, isReply)) {
        responseTimer->stop();
        timedOut = false;
        if (ok)
          *ok = true;
        return line;
      }
      // The reply queues behind that line on the wire: it gets the line's time on top.
      budgetMs += wireTimeMs(line);
    }
    const qint64 left = budgetMs - elapsed.elapsed();
    if (left <= 0 || !isOpen() || m_cancelRead)
      break;
    if (!responseTimer->isActive())
      responseTimer->start(int(left));
  }
  responseTimer->stop();
  timedOut = false;
  // The reply may still come, and must not be taken for the next request's.
  m_owedShapes |= m_requestShape;
  qDebug() << "No reply in time";
  return QByteArray();
}

bool Device::setAsideLine(const QByteArray& line, const ReplyTest& isReply) {
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

bool Device::beginCommand(const QByteArray& request) {
  // A command started while another waits for its reply would mix the two dialogues.
  if (!isOpen() || m_waiting)
    return false;
  disableReception();
  if (sendRequest(request))
    return true;
  enableReception();
  return false;
}

bool Device::sendRequest(const QByteArray& request) {
  if (!getInStep())
    return false;
  writeRequest(request);
  return true;
}

void Device::writeRequest(const QByteArray& request) {
  clearBuffers();
  m_requestShape = shapeOf(request);
  writeBytes(request);
}

Device::ReplyShape Device::shapeOf(const QByteArray& request) {
  if (request == "gettime\n")
    return ClockShape;
  if (request == "getscale\n" || request.startsWith("setscale "))
    return ScaleRecordShape;
  return OtherShape;
}

bool Device::getInStep() {
  if (m_owedShapes == 0)
    return true;
  // The clock and the scale record are the two replies with a shape of their own; the one
  // that nothing owed shares tells the late lines from the answer to this request.
  if ((m_owedShapes & ClockShape) && (m_owedShapes & ScaleRecordShape)) {
    // Both are owed: let the late lines come and go first, then ask for the clock.
    qDebug() << "Waiting for late replies";
    waitForLine(nullptr, [](const QByteArray&) { return false; });
    m_owedShapes &= ~ClockShape;
  }
  const bool askClock = !(m_owedShapes & ClockShape);
  const QByteArray request = askClock ? QByteArray("gettime\n") : QByteArray("getscale\n");
  qDebug() << "Getting back in step with" << request;
  writeRequest(request);
  bool answered = false;
  waitForLine(&answered, [askClock](const QByteArray& line) {
    if (askClock)
      return LineFormat::parseClockReply(line).isValid();
    const std::optional<LineFormat::ScaleRecord> record = LineFormat::parseScaleRecord(line);
    return record && record->numberRead;
  });
  if (!answered)
    return false; // still out of step; nothing more is sent for this command
  m_owedShapes = 0;
  return true;
}

void Device::clearBuffers() {
  // The input is never flushed: that would cut a measurement on its way. What came before
  // the request is either the tester's own (kept) or a stale reply (dropped); an unfinished
  // line is finished by the tester before it answers, and is no reply either.
  if (isOpen() && !waitForReadyRead(0) && error() == QSerialPort::TimeoutError)
    clearError();
  while (canReadLine())
    setAsideLine(readLine(), [](const QByteArray&) { return false; });
  m_inFlight = bytesAvailable() > 0;
  // The output is not flushed either: all that is in it is ours and still meant to go, such
  // as the values that lead the tester out of a dialogue.
}

void Device::writeBytes(const QByteArray& bytes) {
  write(bytes);
  // Handed to the driver now, in order, before any reply is awaited.
  while (bytesToWrite() > 0 && waitForBytesWritten(100)) {
  }
}

bool Device::answerPrompts(const QList<PromptAnswer>& dialogue, int* answered) {
  if (answered)
    *answered = 0;
  for (const PromptAnswer& step : dialogue) {
    if (waitForLine() != step.prompt) {
      // Left half-way, the tester may still answer what it got.
      m_owedShapes |= OtherShape;
      return false;
    }
    writeBytes(step.answer + '\n');
    if (answered)
      ++*answered;
  }
  return true;
}

void Device::dropOversizedPartialLine() {
  if (!canReadLine() && bytesAvailable() > MaxLineBytes) {
    qDebug() << "Dropped an unterminated line of" << bytesAvailable() << "bytes";
    read(bytesAvailable());
  }
}

// --- Reception ----------------------------------------------------------------------------

void Device::dataReady() {
  // One lineReady per complete line: a single chunk may carry several measurements.
  while (canReadLine()) {
    const qint64 before = bytesAvailable();
    emit lineReady();
    if (bytesAvailable() >= before)
      break; // no handler took the line
  }
  dropOversizedPartialLine();
}

void Device::enableReception() {
  m_receiving = true;
  QObject::connect(this, &QIODevice::readyRead, this, &Device::dataReady, Qt::UniqueConnection);
  if (m_calibMode) {
    // A command run in calibration mode gives calibration mode back exactly.
    QObject::connect(
        this, &Device::lineReady, this, &Device::updateCalibMeasures, Qt::UniqueConnection);
  } else {
    QObject::connect(this, &Device::lineReady, this, &Device::updateMeasures, Qt::UniqueConnection);
    wakeUpTimer->start(WakeUpIntervalMs);
  }
  scheduleHeldLines();
}

void Device::disableReception() {
  m_receiving = false;
  QObject::disconnect(this, &QIODevice::readyRead, this, &Device::dataReady);
  QObject::disconnect(this, &Device::lineReady, this, &Device::updateMeasures);
  wakeUpTimer->stop();
}

void Device::setCalibMode(bool enable) {
  if (enable) {
    disableReception();
    m_calibMode = true;
    enableReception();
  } else {
    QObject::disconnect(this, &QIODevice::readyRead, this, &Device::dataReady);
    QObject::disconnect(this, &Device::lineReady, this, &Device::updateCalibMeasures);
    m_receiving = false;
    m_calibMode = false;
    enableReception();
  }
}

void Device::scheduleHeldLines() {
  if (m_heldScheduled)
    return;
  m_heldScheduled = true;
  // Queued: lines kept during a command reach the handler once the command has returned.
  QTimer::singleShot(0, this, &Device::handleHeldLines);
}

void Device::handleHeldLines() {
  m_heldScheduled = false;
  if (m_waiting || !m_receiving)
    return; // a later enableReception schedules them again
  while (!m_heldLines.isEmpty())
    handleLine(m_heldLines.takeFirst());
  dataReady(); // lines that came while reception was off
}

void Device::handleLine(const QByteArray& line) {
  // Another tester's measurements stay in its memory until the user connects to it; they do
  // not belong to this table.
  if (m_otherTester) {
    qDebug() << "Not taken from another tester:" << line;
    return;
  }
  if (m_calibMode)
    takeCalibrationLine(line);
  else
    takeLiveLine(line);
}

void Device::updateMeasures() {
  handleLine(readLine());
}

void Device::updateCalibMeasures() {
  handleLine(readLine());
}

void Device::takeLiveLine(const QByteArray& line) {
  const int shown = measModel->rowCount();
  if (liveSeries && LineFormat::isDeleteEventLine(line) && shown > 0) {
    measModel->remove(shown - 1);
    return;
  }
  if (line.isEmpty() || LineFormat::isKeyEventLine(line))
    return;
  std::optional<Measurement> live = LineFormat::parseLiveLine(line);
  if (!live) {
    qDebug() << "Dropped a line that is no measurement:" << line;
    return;
  }
  if (!liveSeries) {
    // The first live measurement after a connection or a file replaces the table.
    measModel->clear();
    liveSeries = true;
  }
  QDateTime dateTime = live->dateTime();
  const int rows = measModel->rowCount();
  if (!dateTime.isValid() && rows > 0)
    dateTime = measModel->dateTime(rows - 1);
  measModel->add(Measurement(dateTime, live->scale(), live->hardness(), live->frequency(), 1.0));
}

void Device::takeCalibrationLine(const QByteArray& line) {
  if (std::optional<Measurement> live = LineFormat::parseLiveLine(line))
    calibMeasModel->add(*live);
  else if (!line.isEmpty())
    qDebug() << "Dropped a line that is no measurement:" << line;
}

void Device::wakeUpDevice() {
  disableReception();
  id();
  enableReception();
}

MeasurementModel* Device::measures() {
  return measModel;
}

MeasurementModel* Device::calibMeasures() {
  return calibMeasModel;
}

ScaleModel* Device::scales() {
  return scalesModel;
}
