#include "archive/archiverecords.h"

#include <QSqlQuery>

#include "archive/archivefile.h"

bool ArchiveRecords::write(const ArchiveItem& item) {
  switch (item.kind) {
  case ArchiveItem::Journal:
    return writeJournal(item);
  case ArchiveItem::Keep:
  case ArchiveItem::TakeOver:
    return writeKept(item.kept, item.kind == ArchiveItem::TakeOver);
  case ArchiveItem::Drop: {
    QSqlQuery drop(m_file.database());
    drop.prepare(QStringLiteral("DELETE FROM calibration_undo WHERE slot = ?"));
    drop.addBindValue(int(item.kept.slot));
    return m_file.run(drop);
  }
  case ArchiveItem::MemoryRead:
  case ArchiveItem::Live:
    break;
  }
  return false;
}

bool ArchiveRecords::writeJournal(const ArchiveItem& entry) {
  QSqlQuery insert(m_file.database());
  insert.prepare(QStringLiteral("INSERT INTO journal (at, at_offset, tester, action, details) "
                                "VALUES (?, ?, ?, ?, ?)"));
  insert.addBindValue(entry.at);
  insert.addBindValue(entry.atOffset);
  insert.addBindValue(entry.tester);
  insert.addBindValue(entry.action);
  insert.addBindValue(entry.details);
  return m_file.run(insert);
}

// A record taken over from the settings file never replaces a later one.
bool ArchiveRecords::writeKept(const KeptConstants& kept, bool onlyIfLater) {
  QSqlQuery insert(m_file.database());
  insert.prepare(
      QStringLiteral("INSERT INTO calibration_undo (slot, kept, kept_offset, name, a, b, c, "
                     "type, points) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (slot) DO "
                     "UPDATE SET kept = excluded.kept, kept_offset = excluded.kept_offset, "
                     "name = excluded.name, a = excluded.a, b = excluded.b, c = excluded.c, "
                     "type = excluded.type, points = excluded.points") +
      (onlyIfLater ? QStringLiteral(" WHERE excluded.kept > calibration_undo.kept") : QString()));
  const QDateTime when = kept.kept.isValid() ? kept.kept : QDateTime::currentDateTime();
  insert.addBindValue(int(kept.slot));
  insert.addBindValue(when.toMSecsSinceEpoch());
  insert.addBindValue(when.offsetFromUtc());
  insert.addBindValue(kept.constants.name);
  insert.addBindValue(kept.constants.a);
  insert.addBindValue(kept.constants.b);
  insert.addBindValue(kept.constants.c);
  insert.addBindValue(int(kept.constants.type));
  insert.addBindValue(int(kept.constants.points));
  return m_file.run(insert);
}

std::optional<KeptConstants> ArchiveRecords::kept(ScaleNumber slot) const {
  QSqlQuery find(m_file.database());
  find.prepare(QStringLiteral("SELECT kept, name, a, b, c, type, points FROM calibration_undo "
                              "WHERE slot = ?"));
  find.addBindValue(int(slot));
  if (!find.exec() || !find.next())
    return std::nullopt;
  KeptConstants kept;
  kept.slot = slot;
  kept.kept = QDateTime::fromMSecsSinceEpoch(find.value(0).toLongLong());
  kept.constants.name = find.value(1).toString();
  kept.constants.a = find.value(2).toDouble();
  kept.constants.b = find.value(3).toDouble();
  kept.constants.c = find.value(4).toDouble();
  kept.constants.type = static_cast<qint8>(find.value(5).toInt());
  kept.constants.points = static_cast<qint16>(find.value(6).toInt());
  return kept;
}
