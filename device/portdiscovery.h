#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

// Finding the tester's port. The system list is read through one replaceable function so
// that tests and the simulator can stand in for USB ports that a pseudo-terminal lacks.
namespace PortDiscovery {

struct PortDescription {
  QString name;
  std::optional<quint16> vendorId;
  std::optional<quint16> productId;
};

using PortLister = std::function<QList<PortDescription>()>;

// The ports as the system lists them, or only BRENMO_TESTER_PORT when that is set and not
// empty (reported as vendor 0x0403, product 0x6001).
QList<PortDescription> systemPorts();

// Replaces the lister (tests); an empty function restores systemPorts().
void setPortLister(PortLister lister);

// The current lister's answer.
QList<PortDescription> availablePorts();
// Their names, as a user picks one.
QStringList portNames();

// The first port whose vendor and product identifiers are both among the tester's; empty
// when none qualifies.
QString chooseTesterPort(const QList<PortDescription>& ports);

} // namespace PortDiscovery
