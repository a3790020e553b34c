#include "simulatedtester.h"

#include <memory>

#include <QSettings>
#include <QStandardPaths>

SimulatedTester::SimulatedTester() {
  m_started = sim.start();
  // An unplugged converter vanishes from the system's list; plugged back, it may get another
  // terminal.
  PortDiscovery::setPortLister([this] {
    if (!sim.isConnected())
      return QList<PortDiscovery::PortDescription>();
    return QList<PortDiscovery::PortDescription>{
        {sim.portName(), quint16(0x0403), quint16(0x6001)}};
  });
}

SimulatedTester::~SimulatedTester() {
  PortDiscovery::setPortLister({});
}

void SimulatedTester::script(const QList<QPair<QByteArray, QByteArray>>& exchanges) {
  sim.setSilent(true);
  auto remaining = std::make_shared<QList<QPair<QByteArray, QByteArray>>>(exchanges);
  QObject::connect(
      &sim, &TesterSimulator::requestReceived, &sim, [this, remaining](const QByteArray& line) {
        if (!remaining->isEmpty() && remaining->first().first == line)
          sim.sendRaw(remaining->takeFirst().second);
      });
}

void isolateUserFiles(const QTemporaryDir& dir) {
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

QByteArray liveLine(const char* time, double frequency, double hardness, const char* scale) {
  return QByteArray(time) + " 1;" + QByteArray::number(frequency) + ';' +
         QByteArray::number(hardness) + ';' + scale + '\n';
}
