// The scale commands: which scales are switched on, the current scale, and the constants.
#include "device/device.h"

#include <QDebug>

#include "device/linechannel.h"
#include "device/scaletransfer.h"
#include "device/testerprotocol.h"
#include "models/scalemodel.h"

std::optional<ScaleNumber> Device::currentSlot() {
  const std::optional<ScaleNumber> slot = TesterProtocol::currentScale(*m_channel);
  qDebug() << "Current scale number:" << (slot ? *slot : -1);
  return slot;
}

short Device::currentScaleNumber() {
  const LineChannel::Command command(*m_channel);
  return command.ok() ? currentSlot().value_or(-1) : -1;
}

bool Device::setCurrentScaleNumber(short scaleNumber) {
  const LineChannel::Command command(*m_channel);
  // Only the record of that slot says the tester took it; a stale one of another is dropped.
  const bool taken = command.ok() && TesterProtocol::selectScale(*m_channel, scaleNumber);
  if (command.ok())
    emit testerWritten(QStringLiteral("scale"), {{"asked", scaleNumber}, {"taken", taken}});
  return taken;
}

short Device::visibleScales() {
  const LineChannel::Command command(*m_channel);
  return command.ok() ? ScaleTransfer::readSwitches(*m_channel, *scalesModel) : 0;
}

bool Device::setVisibleScales() {
  const LineChannel::Command command(*m_channel);
  const std::optional<bool> confirmed =
      command.ok() ? ScaleTransfer::writeSwitches(*m_channel, *scalesModel) : std::nullopt;
  if (confirmed)
    emit testerWritten(
        QStringLiteral("mask"),
        {{"switchedOn", ScaleTransfer::switchedOn(*scalesModel)}, {"confirmed", *confirmed}});
  return confirmed.value_or(false);
}

bool Device::readScales() {
  const LineChannel::Command command(*m_channel);
  return command.ok() && ScaleTransfer::readAll(*m_channel, *scalesModel, currentSlot());
}

bool Device::setScale() {
  return writeCurrentScale().held;
}

Device::ScaleWrite Device::writeCurrentScale(const std::optional<ScaleConstants>& values,
                                             std::optional<ScaleNumber> slot) {
  const LineChannel::Command command(*m_channel);
  if (!command.ok())
    return ScaleWrite();
  // Without a readable current scale we do not know which slot the constants would land in.
  const std::optional<ScaleNumber> current = currentSlot();
  if (!current || (slot && *slot != *current))
    return ScaleWrite();
  const Scale* row = scalesModel->scale(*current);
  return ScaleTransfer::writeSlot(*m_channel,
                                  *scalesModel,
                                  *current,
                                  values ? *values
                                  : row  ? row->constants()
                                         : ScaleConstants(),
                                  [this](const ScaleWrite& write) { journalWrite(write); });
}

bool Device::setScales() {
  // A row not read from its slot may hold another slot's record: write none then.
  for (int row : scalesModel->modifiedIndexes())
    if (!scalesModel->scale(row) || !scalesModel->scale(row)->isRead())
      return false;
  const LineChannel::Command command(*m_channel);
  return command.ok() &&
         ScaleTransfer::writeModified(*m_channel,
                                      *scalesModel,
                                      currentSlot(),
                                      [this](const ScaleWrite& write) { journalWrite(write); });
}

void Device::journalWrite(const ScaleWrite& write) {
  emit testerWritten(QStringLiteral("constants"), ScaleTransfer::journalEntry(write));
}
