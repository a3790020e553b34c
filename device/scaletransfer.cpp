#include "device/scaletransfer.h"

#include <cmath>

#include <QDebug>

#include "device/lineformat.h"
#include "device/testerprotocol.h"
#include "models/scalemodel.h"

namespace {

// Constants the dialogue can carry, and a name the line carries both ways.
bool isSendable(const ScaleConstants& values) {
  for (double constant : {values.a, values.b, values.c, values.min, values.max})
    if (!std::isfinite(constant))
      return false;
  return LineFormat::isCarriableName(values.name);
}

QVariantMap byName(const ScaleConstants& constants) {
  return {{"name", constants.name},
          {"a", constants.a},
          {"b", constants.b},
          {"c", constants.c},
          {"min", constants.min},
          {"max", constants.max},
          {"type", constants.type},
          {"points", constants.points}};
}

} // namespace

namespace ScaleTransfer {

// The three top slots have no row in the list and are always sent as switched off.
constexpr quint16 kSlotsWithoutRow = 0xE000;

qint16 readSwitches(LineChannel& channel, ScaleModel& scales) {
  const std::optional<quint16> offMask = TesterProtocol::offMask(channel);
  if (!offMask)
    return 0;
  // The tester reports the scales switched OFF; the list keeps those switched on.
  const auto mask = static_cast<qint16>(~*offMask);
  for (int row = 0; row < scales.rowCount(); ++row)
    scales.setEnabled(row, (mask >> row) & 1);
  return mask;
}

quint16 switchedOn(const ScaleModel& scales) {
  quint16 mask = 0;
  for (int row = 0; row < scales.rowCount() && row < ScaleSlots; ++row)
    if (scales.enabled(row))
      mask |= quint16(1u << row);
  return mask;
}

std::optional<bool> writeSwitches(LineChannel& channel, const ScaleModel& scales) {
  const quint16 mask = switchedOn(scales);
  // At least one scale must stay switched on.
  if (mask == 0)
    return std::nullopt;
  return TesterProtocol::setOffMask(channel, quint16(~mask | kSlotsWithoutRow));
}

QVariantMap journalEntry(const Write& write) {
  return {{"slot", write.slot ? QVariant(*write.slot) : QVariant()},
          {"before", byName(write.before)},
          {"sent", byName(write.sent)},
          {"readBack", write.holds ? byName(*write.holds) : QVariant()},
          {"held", write.held}};
}

bool readAll(LineChannel& channel, ScaleModel& scales, std::optional<ScaleNumber> current) {
  bool allRead = true;
  for (ScaleNumber row = 0; row < scales.rowCount(); ++row) {
    const std::optional<LineFormat::ScaleRecord> record = TesterProtocol::selectScale(channel, row);
    // A row whose record did not come keeps its values but is marked unknown.
    if (record)
      scales.setSlotContent(row, record->constants);
    else
      scales.setRead(row, false);
    allRead = allRead && record;
  }
  return current && TesterProtocol::selectScale(channel, *current) && allRead;
}

Write writeSlot(LineChannel& channel,
                ScaleModel& scales,
                ScaleNumber slot,
                const ScaleConstants& values,
                const Written& written) {
  Write result;
  const Scale* row = scales.scale(slot);
  // A row not read from its slot may hold another slot's record: nothing is written from it
  // or compared with it.
  if (!row || !row->isRead() || !isSendable(values))
    return result;
  result.slot = slot;
  result.before = row->constants();
  result.sent = values;
  const bool confirmed = TesterProtocol::writeConstants(channel, values);
  // What the tester holds decides, whatever its " OK" said: read the slot back.
  const std::optional<LineFormat::ScaleRecord> held = TesterProtocol::selectScale(channel, slot);
  if (held) {
    const QList<QByteArray> holds = TesterProtocol::constantAnswers(held->constants);
    result.readBack = true;
    result.holds = held->constants;
    result.held = holds == TesterProtocol::constantAnswers(values);
    result.changed = holds != TesterProtocol::constantAnswers(result.before);
    scales.setSlotContent(slot, held->constants);
  } else {
    // Unknown: nothing may be written from this row until it is read again.
    qDebug() << "Slot" << slot << "not read back; the tester said" << confirmed;
    result.changed = true;
    scales.setRead(slot, false);
  }
  written(result);
  return result;
}

bool writeModified(LineChannel& channel,
                   ScaleModel& scales,
                   std::optional<ScaleNumber> current,
                   const Written& written) {
  bool allWritten = true;
  for (int row : scales.modifiedIndexes()) {
    // The dialogue writes the current slot: only go on when the tester took this one.
    const Scale pending = *scales.scale(row);
    const bool held = TesterProtocol::selectScale(channel, row) &&
                      writeSlot(channel, scales, row, pending.constants(), written).held;
    if (!held) {
      allWritten = false;
      scales.setEdited(row, pending);
    }
  }
  // With no readable current scale there is nothing to give back; guessing would switch
  // the tester to a scale the user did not choose.
  if (current)
    TesterProtocol::selectScale(channel, *current);
  return allWritten;
}

} // namespace ScaleTransfer
