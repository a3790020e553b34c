#include "device/portwatcher.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

#include <QDebug>
#include <QScopedValueRollback>
#include <QTimer>

#include "device/linechannel.h"
#include "device/lineformat.h"
#include "device/portdiscovery.h"
#include "device/testerprotocol.h"

PortWatcher::PortWatcher(QSerialPort* port,
                         LineChannel* channel,
                         std::function<bool()> openPort,
                         QObject* parent)
    : QObject(parent), m_port(port), m_channel(channel), m_openPort(std::move(openPort)),
      m_timer(new QTimer(this)) {
  m_timer->setInterval(LookForTesterIntervalMs);
  connect(m_timer, &QTimer::timeout, this, &PortWatcher::look);
  connect(m_port, &QSerialPort::errorOccurred, this, &PortWatcher::portError);
}

void PortWatcher::watch(const QString& listedName) {
  m_listedName = listedName;
  m_readErrors = 0;
  m_timer->start(); // also watches that the port stays listed
}

void PortWatcher::searchIfIdle() {
  // Plugged in later, the tester is found without a click; one that was lost keeps being
  // looked for as the tester the table came from.
  if (m_search == Search::None)
    startSearch(Search::FirstFind);
}

void PortWatcher::acceptTester() {
  stopSearch();
  m_otherTester = false;
}

void PortWatcher::noteIdentity(const QString& identity) {
  if (!identity.isEmpty() && !m_otherTester && !m_probing)
    m_testerIdentity = identity;
}

void PortWatcher::portError(QSerialPort::SerialPortError error) {
  if (!m_port->isOpen())
    return;
  if (error == QSerialPort::ResourceError) {
    lose();
  } else if (error == QSerialPort::ReadError) {
    // A hung-up line reads as end of file, and Qt names that by whatever error number was
    // left over, so the line itself is asked. Otherwise a hung-up line reads nothing but
    // errors, one after another, while an error now and then is a glitch.
    if (lineHungUp()) {
      lose();
      return;
    }
    if (!m_lastReadError.isValid() || m_lastReadError.elapsed() > 1000)
      m_readErrors = 0;
    m_lastReadError.start();
    if (++m_readErrors >= LostAfterReadErrors)
      lose();
  }
}

bool PortWatcher::lineHungUp() const {
#ifdef Q_OS_UNIX
  pollfd line{int(m_port->handle()), POLLIN, 0};
  return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL));
#else
  return false;
#endif
}

bool PortWatcher::portListed() const {
  const QList<PortDiscovery::PortDescription> ports = PortDiscovery::availablePorts();
  return std::any_of(
      ports.begin(), ports.end(), [this](const PortDiscovery::PortDescription& port) {
        return port.name == m_listedName;
      });
}

void PortWatcher::lose() {
  qDebug() << "Port lost";
  // Whatever had arrived still reaches the handlers.
  m_channel->keepArrivedLines();
  m_port->close();
  // A port lost while the first search was still opening it held no tester yet.
  startSearch(m_search == Search::FirstFind ? Search::FirstFind : Search::AfterLoss);
  emit lost();
}

void PortWatcher::startSearch(Search kind) {
  m_search = kind;
  m_timer->start();
}

void PortWatcher::stopSearch() {
  m_search = Search::None;
  if (!m_port->isOpen())
    m_timer->stop();
}

void PortWatcher::look() {
  if (m_port->isOpen()) {
    // A hung-up line reads as end of file, which Qt reports by whatever error number was
    // left over: a lost port may go unreported. One gone from the system's list is gone.
    if (!m_channel->isBusy() && !m_probing && !portListed())
      lose();
    return;
  }
  if (m_search == Search::None) {
    m_timer->stop();
    return;
  }
  if (m_channel->isBusy() ||
      PortDiscovery::chooseTesterPort(PortDiscovery::availablePorts()).isEmpty())
    return;
  {
    const QScopedValueRollback<bool> probing(m_probing, true);
    if (!m_openPort())
      return;
    if (m_search == Search::AfterLoss) {
      checkReturningTester();
      return;
    }
  }
  // Found after a start that found none: the interface connects as its button does.
  qDebug() << "Port found";
  stopSearch();
  emit found();
}

void PortWatcher::checkReturningTester() {
  // Whatever appears under the port's name may be another instrument: ask first.
  QString identity;
  {
    const LineChannel::Command command(*m_channel);
    if (command.ok())
      identity = LineFormat::decode(TesterProtocol::identity(*m_channel)).trimmed();
  }
  m_probing = false;
  if (identity.isEmpty()) {
    qDebug() << "Nobody answered on the port";
    m_port->close(); // the search goes on
    return;
  }
  stopSearch();
  // An identity never asked (the interface asks it on every connection) cannot differ.
  if (m_testerIdentity.isEmpty() || identity == m_testerIdentity) {
    qDebug() << "Port back";
    emit returned();
    return;
  }
  qDebug() << "Another tester:" << identity;
  m_otherTester = true;
  emit returned();
  emit otherTesterConnected(identity);
}
