#include "archive/archivereadings.h"

#include "archive/archivefile.h"

namespace {

// The tester's wall clock as if it were UTC: the stamp reads back as the tester showed it.
QVariant stampOf(const QDateTime& time) {
  if (!time.isValid())
    return QVariant(QVariant::LongLong);
  return QDateTime(time.date(), time.time(), Qt::UTC).toSecsSinceEpoch();
}

QVariant stampOffsetOf(const QDateTime& time) {
  return time.isValid() ? QVariant(time.offsetFromUtc()) : QVariant(QVariant::Int);
}

// Identical records of one read must be told apart by their place among their likes.
QByteArray identityKey(const QVariant& stamp, const Measurement& m) {
  QByteArray key;
  const qint64 s = stamp.isNull() ? -1 : stamp.toLongLong();
  const double numbers[2] = {m.hardness(), m.frequency()};
  key.append(reinterpret_cast<const char*>(&s), sizeof s);
  key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  key.append(m.scale().toUtf8());
  return key;
}

} // namespace

ArchiveReadings::ArchiveReadings(ArchiveFile& file)
    : m_file(file), m_insertReading(file.database()), m_insertSeries(file.database()),
      m_updateSeries(file.database()), m_nextOccurrence(file.database()),
      m_findTester(file.database()), m_insertTester(file.database()),
      m_findContext(file.database()), m_insertContext(file.database()) {
  m_insertReading.prepare(QStringLiteral(
      "INSERT OR IGNORE INTO readings (series_id, tester_id, context_id, stamp, stamp_offset, "
      "scale, hardness, frequency, averaging, source, received, received_offset, occurrence) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  m_insertSeries.prepare(
      QStringLiteral("INSERT INTO series (tester_id, context_id, source, started, "
                     "started_offset, count, first_stamp, last_stamp) VALUES (?, ?, ?, ?, ?, "
                     "?, ?, ?)"));
  // The earliest and latest stamp the series holds; an unreadable stamp changes neither.
  m_updateSeries.prepare(QStringLiteral(
      "UPDATE series SET count = count + ?, first_stamp = coalesce(min(first_stamp, ?), "
      "first_stamp, ?), last_stamp = coalesce(max(last_stamp, ?), last_stamp, ?) WHERE id = ?"));
  m_nextOccurrence.prepare(
      QStringLiteral("SELECT max(occurrence) + 1 FROM readings WHERE tester_id = ? AND "
                     "ifnull(stamp, -1) = ? AND scale = ? AND hardness = ? AND frequency = ?"));
  m_findTester.prepare(QStringLiteral("SELECT id FROM testers WHERE identity = ?"));
  m_insertTester.prepare(QStringLiteral("INSERT INTO testers (identity) VALUES (?)"));
  m_findContext.prepare(QStringLiteral("SELECT id FROM contexts WHERE part = ? AND lot = ? "
                                       "AND operator = ? AND note = ?"));
  m_insertContext.prepare(
      QStringLiteral("INSERT INTO contexts (part, lot, operator, note) VALUES (?, ?, ?, ?)"));
}

std::optional<int> ArchiveReadings::write(const ArchiveItem& item) {
  return item.kind == ArchiveItem::MemoryRead ? writeMemoryRead(item) : writeLive(item);
}

void ArchiveReadings::forget() {
  m_testerIds.clear();
  m_contextIds.clear();
  m_liveSeries = -1;
}

std::optional<qint64> ArchiveReadings::testerId(const QString& identity) {
  const auto known = m_testerIds.constFind(identity);
  if (known != m_testerIds.constEnd())
    return *known;
  m_findTester.addBindValue(identity);
  if (!m_file.run(m_findTester))
    return std::nullopt;
  const bool found = m_findTester.next();
  qint64 id = found ? m_findTester.value(0).toLongLong() : -1;
  m_findTester.finish();
  if (!found) {
    m_insertTester.addBindValue(identity);
    if (!m_file.run(m_insertTester))
      return std::nullopt;
    id = m_insertTester.lastInsertId().toLongLong();
  }
  m_testerIds.insert(identity, id);
  return id;
}

// NULL for no context at all.
std::optional<QVariant> ArchiveReadings::contextId(const InspectionContext& context) {
  if (context.isEmpty())
    return QVariant(QVariant::LongLong);
  // A field never set is empty text, not NULL: the columns take no NULL, and one context
  // must not be two rows.
  const auto text = [](const QString& field) {
    return field.isNull() ? QStringLiteral("") : field;
  };
  const QStringList key = {
      text(context.part), text(context.lot), text(context.inspector), text(context.note)};
  const auto known = m_contextIds.constFind(key);
  if (known != m_contextIds.constEnd())
    return QVariant(*known);
  for (const QString& field : key)
    m_findContext.addBindValue(field);
  if (!m_file.run(m_findContext))
    return std::nullopt;
  const bool found = m_findContext.next();
  qint64 id = found ? m_findContext.value(0).toLongLong() : -1;
  m_findContext.finish();
  if (!found) {
    for (const QString& field : key)
      m_insertContext.addBindValue(field);
    if (!m_file.run(m_insertContext))
      return std::nullopt;
    id = m_insertContext.lastInsertId().toLongLong();
  }
  m_contextIds.insert(key, id);
  return QVariant(id);
}

std::optional<qint64> ArchiveReadings::newSeries(qint64 tester,
                                                 const QVariant& context,
                                                 MeasurementSource source,
                                                 qint64 started,
                                                 int startedOffset,
                                                 int count,
                                                 const QVariant& stamp) {
  m_insertSeries.addBindValue(tester);
  m_insertSeries.addBindValue(context);
  m_insertSeries.addBindValue(int(source));
  m_insertSeries.addBindValue(started);
  m_insertSeries.addBindValue(startedOffset);
  m_insertSeries.addBindValue(count);
  m_insertSeries.addBindValue(stamp);
  m_insertSeries.addBindValue(stamp);
  if (!m_file.run(m_insertSeries))
    return std::nullopt;
  return m_insertSeries.lastInsertId().toLongLong();
}

// Whether the series took the readings: false when it is gone.
std::optional<bool> ArchiveReadings::addToSeries(qint64 series,
                                                 int count,
                                                 const QVariant& first,
                                                 const QVariant& last) {
  m_updateSeries.addBindValue(count);
  m_updateSeries.addBindValue(first);
  m_updateSeries.addBindValue(first);
  m_updateSeries.addBindValue(last);
  m_updateSeries.addBindValue(last);
  m_updateSeries.addBindValue(series);
  if (!m_file.run(m_updateSeries))
    return std::nullopt;
  return m_updateSeries.numRowsAffected() > 0;
}

// 1 when stored, 0 when the archive has it already, nullopt on a failed write.
std::optional<int> ArchiveReadings::insertReading(qint64 series,
                                                  qint64 tester,
                                                  const QVariant& context,
                                                  const QVariant& stamp,
                                                  const QVariant& stampOffset,
                                                  const Measurement& m,
                                                  MeasurementSource source,
                                                  qint64 received,
                                                  int receivedOffset,
                                                  int occurrence) {
  QSqlQuery& insert = m_insertReading;
  insert.addBindValue(series);
  insert.addBindValue(tester);
  insert.addBindValue(context);
  insert.addBindValue(stamp);
  insert.addBindValue(stampOffset);
  insert.addBindValue(m.scale());
  insert.addBindValue(m.hardness());
  insert.addBindValue(m.frequency());
  insert.addBindValue(m.averaging());
  insert.addBindValue(int(source));
  insert.addBindValue(received);
  insert.addBindValue(receivedOffset);
  insert.addBindValue(occurrence);
  if (!m_file.run(insert))
    return std::nullopt;
  return insert.numRowsAffected() > 0 ? 1 : 0;
}

std::optional<int> ArchiveReadings::writeMemoryRead(const ArchiveItem& read) {
  const std::optional<qint64> tester = testerId(read.tester);
  const std::optional<QVariant> context = tester ? contextId(read.context) : std::nullopt;
  if (!context)
    return std::nullopt;
  const std::optional<qint64> series =
      newSeries(*tester, *context, MeasurementSource::Memory, read.at, read.atOffset, 0, {});
  if (!series)
    return std::nullopt;
  QHash<QByteArray, int> seen;
  seen.reserve(read.records.size());
  int added = 0;
  QVariant first;
  QVariant last;
  for (const Measurement& m : read.records) {
    const QVariant stamp = stampOf(m.dateTime());
    const int occurrence = seen[identityKey(stamp, m)]++;
    const std::optional<int> stored = insertReading(*series,
                                                    *tester,
                                                    *context,
                                                    stamp,
                                                    stampOffsetOf(m.dateTime()),
                                                    m,
                                                    MeasurementSource::Memory,
                                                    read.at,
                                                    read.atOffset,
                                                    occurrence);
    if (!stored)
      return std::nullopt;
    if (*stored == 0)
      continue;
    ++added;
    if (!stamp.isNull()) {
      if (first.isNull() || stamp.toLongLong() < first.toLongLong())
        first = stamp;
      if (last.isNull() || stamp.toLongLong() > last.toLongLong())
        last = stamp;
    }
  }
  // A read of nothing new leaves no empty series behind.
  const bool done =
      added > 0 ? addToSeries(*series, added, first, last).has_value()
                : m_file.exec(QStringLiteral("DELETE FROM series WHERE id = %1").arg(*series));
  if (!done)
    return std::nullopt;
  return added;
}

std::optional<int> ArchiveReadings::writeLive(const ArchiveItem& line) {
  const std::optional<qint64> tester = testerId(line.tester);
  const std::optional<QVariant> context = tester ? contextId(line.context) : std::nullopt;
  if (!context)
    return std::nullopt;
  const Measurement& m = line.measurement;
  const QVariant stamp = stampOf(m.dateTime());
  const LiveKey key{line.generation, line.tester, line.source, line.context};
  std::optional<qint64> series;
  if (m_liveSeries > 0 && key == m_liveKey) {
    const std::optional<bool> kept = addToSeries(m_liveSeries, 1, stamp, stamp);
    if (!kept)
      return std::nullopt;
    if (*kept)
      series = m_liveSeries;
  }
  if (!series) {
    series = newSeries(*tester, *context, line.source, line.at, line.atOffset, 1, stamp);
    if (!series)
      return std::nullopt;
  }
  std::optional<int> stored = insertReading(*series,
                                            *tester,
                                            *context,
                                            stamp,
                                            stampOffsetOf(m.dateTime()),
                                            m,
                                            line.source,
                                            line.at,
                                            line.atOffset,
                                            0);
  if (stored && *stored == 0) {
    // A new measurement just like one archived before (the same second and values): it is
    // another record, as a memory read would number it.
    QSqlQuery& next = m_nextOccurrence;
    next.addBindValue(*tester);
    next.addBindValue(stamp.isNull() ? QVariant(qint64(-1)) : stamp);
    next.addBindValue(m.scale());
    next.addBindValue(m.hardness());
    next.addBindValue(m.frequency());
    if (!m_file.run(next) || !next.next())
      return std::nullopt;
    const int occurrence = next.value(0).toInt();
    next.finish();
    stored = insertReading(*series,
                           *tester,
                           *context,
                           stamp,
                           stampOffsetOf(m.dateTime()),
                           m,
                           line.source,
                           line.at,
                           line.atOffset,
                           occurrence);
  }
  if (!stored)
    return std::nullopt;
  m_liveKey = key;
  m_liveSeries = *series;
  return 1;
}
