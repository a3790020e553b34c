#pragma once

#include <functional>
#include <optional>

#include <QVariantMap>

#include "formats/scaleconstants.h"

class LineChannel;
class ScaleModel;

// Copies the tester's scale slots to and from the scale list. What the tester holds, read
// back after every write, decides what the list shows; a slot that could not be read is
// marked unread, and nothing is written from it until it is read again. Runs inside a
// command the caller opened.
namespace ScaleTransfer {

// What a write of constants left in the tester.
struct Write {
  std::optional<ScaleNumber> slot; // the slot written to; nothing: nothing was sent
  bool held = false;               // the slot holds exactly what was sent
  bool readBack = false;           // the slot could be read back at all
  bool changed = false;            // the slot holds something else than before (or is unknown)
  ScaleConstants before;           // as the list had it, read from the slot
  ScaleConstants sent;
  std::optional<ScaleConstants> holds; // as read back
};
using Written = std::function<void(const Write&)>;
// What a write did, by name, for the journal of writes to the tester.
QVariantMap journalEntry(const Write& write);

// Which scales are switched on, from the tester into the list; the mask of those on (bit i
// for scale i), 0 when no readable mask came.
qint16 readSwitches(LineChannel& channel, ScaleModel& scales);
// The list's switches into the tester; nothing when none is on (nothing is sent), else
// whether the tester confirmed them.
std::optional<bool> writeSwitches(LineChannel& channel, const ScaleModel& scales);
// The mask of the scales the list has switched on.
quint16 switchedOn(const ScaleModel& scales);

// Every slot into the list, the current scale given back; false when a slot or the current
// scale did not come.
bool readAll(LineChannel& channel, ScaleModel& scales, std::optional<ScaleNumber> current);
// The constants dialogue into the current slot, which must be slot, then the read-back.
// Nothing is sent for a row not read from its slot, or values the line cannot carry.
Write writeSlot(LineChannel& channel,
                ScaleModel& scales,
                ScaleNumber slot,
                const ScaleConstants& values,
                const Written& written);
// Each modified row into its slot; a row the tester did not take keeps the user's values,
// to be applied again. The current scale is given back. False unless all were taken.
bool writeModified(LineChannel& channel,
                   ScaleModel& scales,
                   std::optional<ScaleNumber> current,
                   const Written& written);

} // namespace ScaleTransfer
