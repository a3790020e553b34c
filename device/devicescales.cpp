// The scale commands: which scales are switched on, the current scale, and the constants.
#include "device/device.h"

#include <cmath>

#include <QDebug>

#include "device/linechannel.h"
#include "device/testerprotocol.h"
#include "models/scalemodel.h"

namespace {

// The three top slots have no row in the model and are always sent as switched off.
const quint16 kSlotsWithoutRow = 0xE000;

// Constants the dialogue can carry, and a name the line carries both ways.
bool isSendable(const ScaleConstants& values) {
  for (double constant : {values.a, values.b, values.c, values.min, values.max})
    if (!std::isfinite(constant))
      return false;
  return LineFormat::isCarriableName(values.name);
}

} // namespace

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
  return command.ok() && TesterProtocol::selectScale(*m_channel, scaleNumber);
}

short Device::visibleScales() {
  const LineChannel::Command command(*m_channel);
  const std::optional<quint16> offMask =
      command.ok() ? TesterProtocol::offMask(*m_channel) : std::nullopt;
  if (!offMask)
    return 0;
  // The tester reports the scales switched OFF; the model keeps those switched on.
  const auto mask = static_cast<qint16>(~*offMask);
  for (int row = 0; row < scalesModel->rowCount(); ++row)
    scalesModel->setEnabled(row, (mask >> row) & 1);
  return mask;
}

bool Device::setVisibleScales() {
  quint16 mask = 0;
  for (int row = 0; row < scalesModel->rowCount() && row < ScaleSlots; ++row)
    if (scalesModel->enabled(row))
      mask |= quint16(1u << row);
  // At least one scale must stay switched on.
  const LineChannel::Command command(*m_channel);
  return mask != 0 && command.ok() &&
         TesterProtocol::setOffMask(*m_channel, quint16(~mask | kSlotsWithoutRow));
}

bool Device::readScales() {
  const LineChannel::Command command(*m_channel);
  if (!command.ok())
    return false;
  const std::optional<ScaleNumber> current = currentSlot();
  bool allRead = true;
  for (ScaleNumber row = 0; row < scalesModel->rowCount(); ++row) {
    const std::optional<LineFormat::ScaleRecord> record =
        TesterProtocol::selectScale(*m_channel, row);
    // A row whose record did not come keeps its values but is marked unknown: nothing may
    // be written from it.
    if (record)
      scalesModel->setSlotContent(row, record->constants);
    else
      scalesModel->setRead(row, false);
    allRead = allRead && record;
  }
  return current && TesterProtocol::selectScale(*m_channel, *current) && allRead;
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
  return writeSlot(*current, values ? *values : row ? row->constants() : ScaleConstants());
}

Device::ScaleWrite Device::writeSlot(ScaleNumber slot, const ScaleConstants& values) {
  ScaleWrite result;
  const Scale* row = scalesModel->scale(slot);
  // A row not read from its slot may hold another slot's record: nothing is written from it
  // or compared with it.
  if (!row || !row->isRead() || !isSendable(values))
    return result;
  const QList<QByteArray> before = TesterProtocol::constantAnswers(row->constants());
  const QList<QByteArray> sent = TesterProtocol::constantAnswers(values);
  result.slot = slot;
  const bool confirmed = TesterProtocol::writeConstants(*m_channel, values);
  // What the tester holds decides, whatever its " OK" said: read the slot back.
  const std::optional<LineFormat::ScaleRecord> held = TesterProtocol::selectScale(*m_channel, slot);
  if (!held) {
    // Unknown: nothing may be written from this row until it is read again.
    scalesModel->setRead(slot, false);
    result.changed = true;
    qDebug() << "Slot" << slot << "not read back; the tester said" << confirmed;
    return result;
  }
  result.readBack = true;
  const QList<QByteArray> holds = TesterProtocol::constantAnswers(held->constants);
  result.held = holds == sent;
  result.changed = holds != before; // before was read from this slot
  scalesModel->setSlotContent(slot, held->constants);
  return result;
}

bool Device::setScales() {
  const QList<int> rows = scalesModel->modifiedIndexes();
  // A row not read from its slot may hold another slot's record: write none then.
  for (int row : rows)
    if (!scalesModel->scale(row) || !scalesModel->scale(row)->isRead())
      return false;
  const LineChannel::Command command(*m_channel);
  if (!command.ok())
    return false;
  const std::optional<ScaleNumber> current = currentSlot();
  bool allWritten = true;
  for (int row : rows) {
    // The dialogue writes the current slot: only go on when the tester took this one. A row
    // the tester did not take keeps the user's values, to be applied again.
    const Scale pending = *scalesModel->scale(row);
    const bool held =
        TesterProtocol::selectScale(*m_channel, row) && writeSlot(row, pending.constants()).held;
    if (!held) {
      allWritten = false;
      scalesModel->setEdited(row, pending);
    }
  }
  // With no readable current scale there is nothing to give back; guessing would switch
  // the tester to a scale the user did not choose.
  if (current)
    TesterProtocol::selectScale(*m_channel, *current);
  return allWritten;
}
