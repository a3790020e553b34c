#include "device/device.h"

#include <QDebug>
#include <QSettings>
#include <QTimer>

#include "device/linechannel.h"
#include "device/livefeed.h"
#include "device/portdiscovery.h"
#include "device/portwatcher.h"
#include "device/testerprotocol.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "models/settingsfile.h"

namespace {

const char kLastPortKey[] = "LastPortName";

} // namespace

Device::Device(QObject* parent) : QSerialPort(parent) {
  qRegisterMetaType<Measurement>();

  m_channel = new LineChannel(this, this);
  QObject::connect(m_channel, &LineChannel::lineReceived, this, &Device::dataReady);
  // Every command ends with the tester's own lines taken again, and the keep-alive's next
  // turn a full interval away.
  QObject::connect(m_channel, &LineChannel::commandEnded, this, &Device::enableReception);
  m_progress = new ReadProgress(this);
  QObject::connect(m_progress, &ReadProgress::changed, this, &Device::readProgressChanged);

  m_watcher = new PortWatcher(
      this, m_channel, [this] { return open(QIODevice::ReadWrite); }, this);
  QObject::connect(m_watcher, &PortWatcher::lost, this, [this] {
    wakeUpTimer->stop();
    emit connectedChanged();
  });
  QObject::connect(m_watcher, &PortWatcher::returned, this, [this] {
    enableReception();
    emit connectedChanged();
  });
  QObject::connect(m_watcher, &PortWatcher::found, this, [this] {
    enableReception();
    emit connectedChanged();
    emit testerFound();
  });
  QObject::connect(
      m_watcher, &PortWatcher::otherTesterConnected, this, &Device::otherTesterConnected);
  QObject::connect(this, &QSerialPort::errorOccurred, this, &Device::portError);

  wakeUpTimer = new QTimer(this);
  QObject::connect(wakeUpTimer, &QTimer::timeout, this, &Device::wakeUpDevice);
  wakeUpTimer->setInterval(WakeUpIntervalMs);

  measModel = new MeasurementModel(this);
  calibMeasModel = new MeasurementModel(this);
  m_feed = new LiveFeed(measModel, calibMeasModel, this);
  QObject::connect(m_feed, &LiveFeed::measured, this, &Device::measured);

  settingsFile = SettingsFile::open(this);
  lastPortName = settingsFile->value(kLastPortKey, QString()).toString();
  scalesModel = new ScaleModel(this);
  scalesModel->addTesterSlots();
  scalesModel->keepDescriptionsIn(settingsFile);
}

Device::~Device() {
  wakeUpTimer->stop();
  settingsFile->setValue(kLastPortKey, lastPortName);
  settingsFile->sync();
  close();
}

QString Device::testerIdentity() const {
  return m_watcher->identity();
}

QString Device::takeSettingsNotice() {
  return SettingsFile::takeNotice();
}

QStringList Device::availablePorts() {
  return PortDiscovery::portNames();
}

bool Device::autoConnect() {
  return true;
}

bool Device::isDeviceOpen() {
  // While the search asks who answers on a port, nobody is connected yet.
  return isOpen() && !m_watcher->probing();
}

bool Device::isBusy() {
  return m_channel->isBusy();
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
  m_channel->reset();
  m_watcher->watch(lastPortName);
  emit connectedChanged();
  // Let the tester settle; what it sends meanwhile waits in the buffer.
  m_channel->pause(SettlePauseMs);
  qDebug() << "Port opened";
  return isOpen();
}

void Device::portError(QSerialPort::SerialPortError error) {
  // A look for pending bytes that found none is no fault of the line.
  if (error == QSerialPort::TimeoutError)
    clearError();
}

void Device::dataReady(const QByteArray& line) {
  // Another tester's measurements stay in its memory until the user connects to it; they do
  // not belong to this table.
  if (m_watcher->otherTester()) {
    qDebug() << "Not taken from another tester:" << line;
    return;
  }
  emit lineReady();
  m_feed->take(line);
}

void Device::enableReception() {
  m_channel->setReceiving(true);
  if (!m_feed->calibration())
    wakeUpTimer->start();
}

void Device::disableReception() {
  m_channel->setReceiving(false);
  wakeUpTimer->stop();
}

void Device::setCalibMode(bool enable) {
  m_feed->setCalibration(enable);
  // A calibration's tests are measured on purpose; the keep-alive would only interrupt.
  if (enable)
    wakeUpTimer->stop();
  enableReception();
}

void Device::wakeUpDevice() {
  id();
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
