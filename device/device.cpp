#include "device/device.h"

#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include "device/lineformat.h"
#include "device/portaccess.h"
#include "device/portdiscovery.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"

namespace {

const char kOrganisation[] = "Brenmo";
const char kSettingsName[] = "settings";
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
  QObject::connect(responseTimer, &QTimer::timeout, this, &Device::timerTimeout);

  liveSeries = false;

  wakeUpTimer = new QTimer(this);
  QObject::connect(wakeUpTimer, &QTimer::timeout, this, &Device::wakeUpDevice);
  wakeUpTimer->setInterval(WakeUpIntervalMs);

  measModel = new MeasurementModel(this);
  calibMeasModel = new MeasurementModel(this);
  scalesModel = new ScaleModel(this);
  addBuiltInScales();

  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/");
  settingsFile =
      new QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, kSettingsName, this);
  loadSettings();

  // A description typed for a new user scale is written at once, not only at exit, so a
  // killed process loses nothing.
  QObject::connect(scalesModel, &QAbstractItemModel::dataChanged, this, &Device::saveDescriptions);
  QObject::connect(
      scalesModel, &QAbstractItemModel::layoutChanged, this, &Device::saveDescriptions);
}

Device::~Device() {
  wakeUpTimer->stop();
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
  return isOpen();
}

bool Device::open(OpenMode mode) {
  lastPortName = PortDiscovery::chooseTesterPort(PortDiscovery::availablePorts());
  if (!lastPortName.isEmpty())
    qDebug() << "Selected port: " + lastPortName;
  setPortName(lastPortName);
  close();
  const bool opened = !lastPortName.isEmpty() && QSerialPort::open(mode);
  noteDeniedPort(opened ? QString() : lastPortName);
  if (!opened) {
    qDebug() << "Port didn't open";
    return false;
  }
  // Let the tester settle; what it sends meanwhile is dropped by the next command.
  responseTimer->start(SettlePauseMs);
  waitForEvents(/*untilLine=*/false);
  timedOut = false;
  qDebug() << "Port opened";
  return true;
}

void Device::loadSettings() {
  lastPortName = settingsFile->value(kLastPortKey, QString()).toString();
  settingsFile->beginGroup(kDescriptionGroup);
  // Only a complete group is trusted; a partial one leaves the built-in descriptions.
  if (settingsFile->childKeys().size() == scalesModel->maxScales() - kStandardScales) {
    for (int row = kStandardScales; row < scalesModel->rowCount(); ++row)
      scalesModel->scale(row)->setDescription(settingsFile->value(descriptionKey(row)).toString());
  }
  settingsFile->endGroup();
  m_savedDescriptions = userDescriptions();
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
  if (!responseTimer->isActive() || (untilLine && canReadLine()))
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
  loop.exec();
}

QByteArray Device::waitForLine(bool* ok) {
  if (ok)
    *ok = false;
  responseTimer->start(ReplyTimeoutMs);
  QByteArray line;
  for (;;) {
    waitForEvents(/*untilLine=*/true);
    line = readLine();
    // A measurement or key press that crosses a command is kept for the line handlers, and
    // the wait goes on for the reply within the same deadline.
    if (!line.endsWith('\n') || !LineFormat::isUnsolicitedLine(line))
      break;
    m_heldLines.append(line);
  }
  const bool late = timedOut;
  timedOut = false;
  if (!late) {
    responseTimer->stop();
    if (ok)
      *ok = true;
  }
  return line;
}

bool Device::beginCommand(const QByteArray& request) {
  // A command started while another waits for its reply would mix the two dialogues.
  if (!isOpen() || m_waiting)
    return false;
  disableReception();
  clearBuffers();
  writeBytes(request);
  return true;
}

void Device::clearBuffers() {
  keepUnsolicitedLines();
  clear(QSerialPort::AllDirections);
}

void Device::keepUnsolicitedLines() {
  while (canReadLine()) {
    const QByteArray line = readLine();
    if (LineFormat::isUnsolicitedLine(line))
      m_heldLines.append(line);
  }
}

void Device::writeBytes(const QByteArray& bytes) {
  write(bytes);
  flush();
}

bool Device::answerPrompts(const QList<PromptAnswer>& dialogue) {
  for (const PromptAnswer& step : dialogue) {
    if (waitForLine() != step.prompt)
      return false;
    writeBytes(step.answer + '\n');
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
  if (m_calibMode)
    takeCalibrationLine(line);
  else
    takeLiveLine(line);
}

void Device::updateMeasures() {
  takeLiveLine(readLine());
}

void Device::updateCalibMeasures() {
  takeCalibrationLine(readLine());
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
  if (!live)
    return;
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
