#pragma once

#include <QStringList>

// The archive's tables, built by steps: an archive at version n has run steps 1 to n, and
// opening it runs the steps after (PRAGMA user_version holds n).
//
// The table "readings" holds the measurements; the view "measurements" shows them to other
// tools. Times: a reading's "stamp" is the tester's wall clock (seconds since 1970 of its local
// fields, as if they were UTC) with "stamp_offset" the seconds east of UTC it was read in;
// NULL when the tester's stamp was unreadable. "received" is when the program got it, in
// milliseconds since 1970 UTC, with "received_offset" the computer's offset then; so are the
// program's other times (series.started, journal.at, calibration_undo.kept, each with its
// "_offset"). A context left empty is NULL in context_id.
namespace ArchiveSchema {

// The statements of each step, in order; step i (from 1) is element i - 1.
const QList<QStringList>& steps();
int latestVersion();

} // namespace ArchiveSchema
