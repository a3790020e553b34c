#include "archive/archiveschema.h"

namespace ArchiveSchema {

const QList<QStringList>& steps() {
  static const QList<QStringList> all = {
      // 1: readings with their tester, series and inspection context.
      {
          QStringLiteral("CREATE TABLE testers (id INTEGER PRIMARY KEY, identity TEXT NOT NULL "
                         "UNIQUE)"),
          QStringLiteral("CREATE TABLE contexts (id INTEGER PRIMARY KEY, part TEXT NOT NULL, "
                         "lot TEXT NOT NULL, operator TEXT NOT NULL, note TEXT NOT NULL, "
                         "UNIQUE (part, lot, operator, note))"),
          // A series: one connection's memory read, one live session or one calibration,
          // under one context. count and the stamps are kept up to date on every insert, so
          // the history window lists series without counting a million rows.
          QStringLiteral("CREATE TABLE series (id INTEGER PRIMARY KEY, tester_id INTEGER "
                         "REFERENCES testers, context_id INTEGER REFERENCES contexts, "
                         "source INTEGER NOT NULL, started INTEGER NOT NULL, started_offset "
                         "INTEGER NOT NULL, count INTEGER NOT NULL DEFAULT 0, first_stamp "
                         "INTEGER, last_stamp INTEGER)"),
          // occurrence tells apart identical records of one memory read (the same second,
          // scale, hardness and frequency): the first is 0.
          QStringLiteral("CREATE TABLE readings (id INTEGER PRIMARY KEY, series_id INTEGER "
                         "NOT NULL REFERENCES series, tester_id INTEGER NOT NULL REFERENCES "
                         "testers, context_id INTEGER REFERENCES contexts, stamp INTEGER, "
                         "stamp_offset INTEGER, scale TEXT NOT NULL, hardness REAL NOT NULL, "
                         "frequency REAL NOT NULL, averaging REAL NOT NULL DEFAULT 1, source "
                         "INTEGER NOT NULL, received INTEGER NOT NULL, received_offset INTEGER "
                         "NOT NULL, occurrence INTEGER NOT NULL DEFAULT 0)"),
          // The same record read again is the same row; an unreadable stamp counts as -1.
          QStringLiteral("CREATE UNIQUE INDEX reading_identity ON readings (tester_id, "
                         "ifnull(stamp, -1), scale, hardness, frequency, occurrence)"),
          QStringLiteral("CREATE INDEX readings_by_series ON readings (series_id)"),
          QStringLiteral("CREATE INDEX readings_by_context ON readings (context_id)"),
          QStringLiteral("CREATE INDEX readings_by_stamp ON readings (stamp)"),
      },
      // 2: what was written to the tester, the calibrations that can be undone, and the view
      // other tools read.
      {
          QStringLiteral("CREATE TABLE journal (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, "
                         "at_offset INTEGER NOT NULL, tester TEXT NOT NULL, action TEXT NOT "
                         "NULL, details TEXT NOT NULL)"),
          QStringLiteral("CREATE TABLE calibration_undo (slot INTEGER PRIMARY KEY, kept INTEGER "
                         "NOT NULL, kept_offset INTEGER NOT NULL, name TEXT NOT NULL, a REAL NOT "
                         "NULL, b REAL NOT NULL, c REAL NOT NULL, type INTEGER NOT NULL, points "
                         "INTEGER NOT NULL)"),
          // The door for other tools: stable names, ISO 8601 times with their offset, the
          // context by name. Read-only, as every view.
          QStringLiteral(
              "CREATE VIEW measurements AS SELECT m.id AS id, "
              "CASE WHEN m.stamp IS NULL THEN NULL ELSE strftime('%Y-%m-%dT%H:%M:%S', m.stamp, "
              "'unixepoch') || printf('%s%02d:%02d', CASE WHEN m.stamp_offset < 0 THEN '-' ELSE "
              "'+' END, abs(m.stamp_offset) / 3600, abs(m.stamp_offset) % 3600 / 60) END AS "
              "measured_at, t.identity AS tester, m.scale AS scale, m.hardness AS hardness, "
              "m.frequency AS frequency, m.averaging AS averaging, CASE m.source WHEN 0 THEN "
              "'memory' WHEN 1 THEN 'live' ELSE 'calibration' END AS source, "
              "strftime('%Y-%m-%dT%H:%M:%S', m.received / 1000 + m.received_offset, "
              "'unixepoch') || printf('%s%02d:%02d', CASE WHEN m.received_offset < 0 THEN '-' "
              "ELSE '+' END, abs(m.received_offset) / 3600, abs(m.received_offset) % 3600 / 60) "
              "AS received_at, ifnull(c.part, '') AS part, ifnull(c.lot, '') AS lot, "
              "ifnull(c.operator, '') AS operator, ifnull(c.note, '') AS note, m.series_id AS "
              "series FROM readings m JOIN testers t ON t.id = m.tester_id LEFT JOIN "
              "contexts c ON c.id = m.context_id"),
      },
  };
  return all;
}

int latestVersion() {
  return steps().size();
}

} // namespace ArchiveSchema
