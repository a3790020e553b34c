#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include "device/lineformat.h"
#include "formats/measurement.h"
#include "formats/scaleconstants.h"

class LineChannel;

// The tester's requests and dialogues, as exchanges over the channel. Each one runs inside a
// command the caller opened (LineChannel::Command) and first gets the link back in step when
// a reply may still be on its way.
namespace TesterProtocol {

// Replies are told apart by shape: what is owed decides how to get back in step.
enum ReplyShape { ClockShape = 1, ScaleRecordShape = 2, OtherShape = 4 };
ReplyShape shapeOf(const QByteArray& request);

// Before a request: asks for a reply of a shape nothing owed has and drops every line before
// it (the tester's own lines are kept). False when that reply did not come.
bool getInStep(LineChannel& channel);
// Writes a request once the link is in step; false (nothing written) when it is not.
bool send(LineChannel& channel, const QByteArray& request);

// The identity line as read; empty when none came in time.
QByteArray identity(LineChannel& channel);
// The clock; invalid when no clock reply came.
QDateTime clock(LineChannel& channel);
bool setClock(LineChannel& channel, const QDateTime& dateTime);
bool clearMemory(LineChannel& channel);

// A memory read. progress(received, total) follows each record and may cancel the channel:
// the records still on their way are then owed. Nothing when no count came.
struct MemoryRead {
  int count = 0;
  QList<Measurement> records; // the records read (a garbled one is left out)
  int received = 0;           // lines received, garbled ones included
};
std::optional<MemoryRead> readMemory(LineChannel& channel,
                                     const std::function<void(int, int)>& progress);

// The tester's current scale; nothing when it gave no record naming a slot.
std::optional<ScaleNumber> currentScale(LineChannel& channel);
// Makes the slot current; its record, only one that names this slot.
std::optional<LineFormat::ScaleRecord> selectScale(LineChannel& channel, ScaleNumber slot);
// The scales switched off, bit i for scale i; nothing when no readable mask came.
std::optional<quint16> offMask(LineChannel& channel);
// True when the tester confirmed exactly this mask.
bool setOffMask(LineChannel& channel, quint16 mask);
// The constants dialogue into the current slot, ended with the tester's store command. True
// when it said " OK"; only a read-back tells what it holds.
bool writeConstants(LineChannel& channel, const ScaleConstants& constants);
// The constants as the dialogue sends them: equal lists mean equal values in the tester.
QList<QByteArray> constantAnswers(const ScaleConstants& constants);

} // namespace TesterProtocol
