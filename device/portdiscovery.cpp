#include "device/portdiscovery.h"

#include <algorithm>

#include <QSerialPortInfo>
#include <QtGlobal>

namespace PortDiscovery {

namespace {

const quint16 kVendorIds[] = {0x0403, 0x28E9};
const quint16 kProductIds[] = {0x6001, 0x018A};

// The variable that points the program at a simulator or a converter with other identifiers.
const char kTesterPortVariable[] = "BRENMO_TESTER_PORT";

PortLister& currentLister() {
  static PortLister lister;
  return lister;
}

template <std::size_t N> bool listed(const quint16 (&ids)[N], const std::optional<quint16>& id) {
  return id && std::find(std::begin(ids), std::end(ids), *id) != std::end(ids);
}

} // namespace

QList<PortDescription> systemPorts() {
  const QString forced = qEnvironmentVariable(kTesterPortVariable);
  if (!forced.isEmpty())
    return {PortDescription{forced, kVendorIds[0], kProductIds[0]}};

  QList<PortDescription> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    PortDescription port{info.portName(), std::nullopt, std::nullopt};
    if (info.hasVendorIdentifier())
      port.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier())
      port.productId = info.productIdentifier();
    ports.append(port);
  }
  return ports;
}

void setPortLister(PortLister lister) {
  currentLister() = std::move(lister);
}

QList<PortDescription> availablePorts() {
  return currentLister() ? currentLister()() : systemPorts();
}

QString chooseTesterPort(const QList<PortDescription>& ports) {
  for (const PortDescription& port : ports)
    if (listed(kVendorIds, port.vendorId) && listed(kProductIds, port.productId))
      return port.name;
  return QString();
}

QStringList portNames() {
  QStringList names;
  for (const PortDescription& port : availablePorts())
    names.append(port.name);
  return names;
}

} // namespace PortDiscovery
