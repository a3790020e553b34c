// The archive at 1,000,000 readings: what archiving costs a live line and a memory read, how
// soon the history window opens and finds one part, and the file's size.
#include <algorithm>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "archive/archive.h"
#include "archive/archiveschema.h"
#include "archive/historymodel.h"
#include "archive/seriesmodel.h"
#include "bench/benchsupport.h"

namespace {

constexpr int Readings = 1000000;
constexpr int PerSeries = 500;
constexpr int Parts = 1000;
// 01.01.2022 00:00:00 on the tester's clock, one reading a minute from there.
constexpr qint64 FirstStamp = 1640995200;
constexpr int Offset = 3 * 3600;

bool exec(QSqlDatabase& db, const QString& statement) {
  QSqlQuery query(db);
  if (query.exec(statement))
    return true;
  std::printf("  failed: %s\n  %s\n", qPrintable(query.lastError().text()), qPrintable(statement));
  return false;
}

// The file as a year and a half of work leaves it: three testers, 1,000 parts of two series
// each, series of 500 readings of one scale. Made inside SQLite, so that a million rows take
// seconds.
bool buildArchive(QSqlDatabase& db) {
  QStringList statements{"PRAGMA journal_mode = OFF", "PRAGMA synchronous = OFF"};
  for (const QStringList& step : ArchiveSchema::steps())
    statements += step;
  statements += {
      QStringLiteral("PRAGMA user_version = %1").arg(ArchiveSchema::latestVersion()),
      "BEGIN",
      "INSERT INTO testers (id, identity) VALUES (1, 'T-100 №1017'), (2, 'T-100 №1018'), "
      "(3, 'T-200 №7')",
      QStringLiteral(
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
          "INSERT INTO contexts (id, part, lot, operator, note) SELECT i, "
          "printf('Деталь-%04d', i), printf('П-%d', i % 37), CASE i % 4 WHEN 0 THEN 'Иванов' "
          "WHEN 1 THEN 'Петрова' WHEN 2 THEN 'Сидоров' ELSE 'Кузнецов' END, CASE WHEN i % 10 "
          "= 0 THEN 'после закалки' ELSE '' END FROM n")
          .arg(Parts),
      QStringLiteral(
          "WITH RECURSIVE n(s) AS (SELECT 1 UNION ALL SELECT s + 1 FROM n WHERE s < %1) "
          "INSERT INTO series (id, tester_id, context_id, source, started, started_offset, "
          "count, first_stamp, last_stamp) SELECT s, s % 3 + 1, (s - 1) % %2 + 1, s % 2, "
          "(%3 + (s - 1) * %4 * 60 - %5) * 1000, %5, %4, %3 + (s - 1) * %4 * 60, "
          "%3 + (s * %4 - 1) * 60 FROM n")
          .arg(Readings / PerSeries)
          .arg(Parts)
          .arg(FirstStamp)
          .arg(PerSeries)
          .arg(Offset),
      QStringLiteral(
          "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
          "INSERT INTO readings (series_id, tester_id, context_id, stamp, stamp_offset, scale, "
          "hardness, frequency, averaging, source, received, received_offset) "
          "SELECT i / %2 + 1, (i / %2 + 1) % 3 + 1, (i / %2) % %3 + 1, %4 + i * 60, %5, "
          "CASE (i / %2) % 3 WHEN 0 THEN 'HRC' WHEN 1 THEN 'HB' ELSE 'HV' END, "
          "20 + (i * 7919 % 600) / 10.0, 600 + (i * 104729 % 4000) / 10.0, 1, (i / %2 + 1) % 2, "
          "(%4 + i * 60 - %5 + 2) * 1000, %5 FROM n")
          .arg(Readings - 1)
          .arg(PerSeries)
          .arg(Parts)
          .arg(FirstStamp)
          .arg(Offset),
      "COMMIT",
      // The program's own settings from here on.
      "PRAGMA journal_mode = WAL",
      "PRAGMA synchronous = NORMAL",
  };
  for (const QString& statement : statements)
    if (!exec(db, statement))
      return false;
  return true;
}

using Store = Archive;

// The two calls the interface thread waits for.
double liveLineMs(Store& store, const Measurement& line, const InspectionContext& context) {
  QElapsedTimer timer;
  timer.start();
  store.storeLive(QStringLiteral("T-100 №1017"), line, MeasurementSource::Live, context);
  return timer.nsecsElapsed() / 1e6;
}

double memoryReadSeconds(Store& store,
                         const QList<Measurement>& records,
                         const InspectionContext& context,
                         int* added) {
  QElapsedTimer timer;
  timer.start();
  *added = store.storeMemoryRead(QStringLiteral("T-100 №1017"), records, context);
  return timer.nsecsElapsed() / 1e9;
}

// What the window shows at once: the first rows' every role, as a list view asks for them.
void readFirstRows(const QAbstractItemModel& model) {
  const QList<int> roles = model.roleNames().keys();
  for (int row = 0; row < std::min(40, model.rowCount()); ++row)
    for (int role : roles)
      model.data(model.index(row, 0), role);
}

double elapsedMs(const QElapsedTimer& timer) {
  return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir folder;
  const QString path = folder.filePath("archive.sqlite");
  QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
  db.setDatabaseName(path);
  if (!folder.isValid() || !db.open())
    return 1;

  QElapsedTimer timer;
  timer.start();
  if (!buildArchive(db))
    return 1;
  std::printf("an archive of %d readings built in %.1f s\n\n", Readings, timer.elapsed() / 1e3);

  // The history window on a connection of its own, its cache empty as at a start.
  QSqlDatabase history = QSqlDatabase::addDatabase("QSQLITE", "history");
  history.setDatabaseName(path);
  history.open();
  timer.start();
  auto readings = std::make_unique<HistoryModel>(history);
  auto series = std::make_unique<SeriesModel>(history);
  readFirstRows(*readings);
  readFirstRows(*series);
  const double openMs = elapsedMs(timer);
  std::printf("history window: %d readings counted, %d and %d rows fetched, in %.1f ms\n",
              readings->count(),
              readings->rowCount(),
              series->rowCount(),
              openMs);
  BenchSupport::reportFigure("the history window opening with 1,000,000 archived measurements",
                             "<= 0.5 s",
                             QString::number(openMs / 1e3, 'f', 3) + " s",
                             openMs <= 500.0 && readings->count() == Readings);

  const auto findMs = [&](const QVariantMap& filter) {
    QElapsedTimer clock;
    clock.start();
    readings->setFilter(filter);
    readFirstRows(*readings);
    return elapsedMs(clock);
  };
  const double partMs = findMs({{"part", "Деталь-0500"}});
  const int partCount = readings->count();
  std::printf("one part: %d readings in %.1f ms\n", partCount, partMs);
  BenchSupport::reportFigure("finding one part's measurements among 1,000,000",
                             "<= 100 ms",
                             QString::number(partMs, 'f', 1) + " ms",
                             partMs <= 100.0 && partCount == Readings / Parts);
  // The other filters, for comparison: no targets of their own.
  const QList<QPair<const char*, QVariantMap>> others{
      {"a text in ten parts' names", {{"text", "деталь-050"}}},
      {"one operator", {{"inspector", "Иванов"}}},
      {"a text in every part's name", {{"text", "деталь"}}},
      {"one day", {{"from", QDate(2023, 1, 10)}, {"to", QDate(2023, 1, 10)}}},
      {"one series", {{"seriesId", 1234}}},
      {"one tester", {{"tester", "T-200 №7"}}},
      {"one scale", {{"scale", "HV"}}},
  };
  for (const auto& other : others) {
    const double ms = findMs(other.second);
    std::printf("  %-28s %7d readings in %7.1f ms\n", other.first, readings->count(), ms);
  }
  readings.reset();
  series.reset();
  std::printf("\n");

  // Archiving on the interface thread, into the full archive.
  // Opened as at a start: the window waits for this.
  timer.start();
  Store store(path);
  if (!store.open())
    return 1;
  const double openArchiveMs = elapsedMs(timer);
  std::printf("archive opened in %.1f ms\n", openArchiveMs);
  BenchSupport::reportFigure("opening an archive of 1,000,000 measurements at start",
                             "<= 100 ms",
                             QString::number(openArchiveMs, 'f', 1) + " ms",
                             openArchiveMs <= 100.0);
  const InspectionContext context{"Вал-12", "П-3", "Иванов", ""};
  const QDateTime after =
      QDateTime::fromSecsSinceEpoch(FirstStamp + qint64(Readings) * 60, Qt::UTC);
  QList<double> lines;
  for (int i = 0; i < 200; ++i) {
    const QDateTime at = after.addSecs(i * 7);
    lines.append(liveLineMs(
        store,
        Measurement(
            QDateTime(at.date(), at.time(), Qt::OffsetFromUTC, Offset), "HRC", 45.5, 812, 1),
        context));
  }
  const double firstLine = lines.first();
  std::sort(lines.begin(), lines.end());
  const double median = lines[lines.size() / 2];
  std::printf("live lines: %d, the first (a new series) %.3f ms, then median %.3f ms, 95th "
              "percentile %.3f ms, longest %.3f ms\n",
              int(lines.size()),
              firstLine,
              median,
              lines[lines.size() * 95 / 100],
              lines.last());
  BenchSupport::reportFigure("archiving one live line, time on the interface thread",
                             "<= 1 ms",
                             QString::number(median, 'f', 3) + " ms median, 95th percentile " +
                                 QString::number(lines[lines.size() * 95 / 100], 'f', 2) +
                                 " ms, longest " + QString::number(lines.last(), 'f', 1) + " ms",
                             median <= 1.0);

  QList<Measurement> memory;
  for (int i = 0; i < 5000; ++i) {
    const QDateTime at = after.addDays(1).addSecs(i * 30);
    memory.append(Measurement(QDateTime(at.date(), at.time(), Qt::OffsetFromUTC, Offset),
                              i % 2 ? "HRC" : "HB",
                              30 + i % 400 / 10.0,
                              700 + i % 900 / 10.0,
                              1));
  }
  int added = 0;
  const double readSeconds = memoryReadSeconds(store, memory, context, &added);
  int again = 0;
  const double againSeconds = memoryReadSeconds(store, memory, context, &again);
  std::printf("memory read of %d records: %d new in %.3f s; read again, %d new in %.3f s\n",
              int(memory.size()),
              added,
              readSeconds,
              again,
              againSeconds);
  BenchSupport::reportFigure("a 5,000-record memory read, extra time for archiving",
                             "<= 0.3 s",
                             QString::number(readSeconds, 'f', 3) + " s",
                             readSeconds <= 0.3 && added == memory.size());

  QSqlQuery count(db);
  count.exec("SELECT count(*) FROM readings");
  const double rows = count.next() ? count.value(0).toDouble() : 1.0;
  count.finish();
  exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
  const double megabytes = QFileInfo(path).size() / 1e6 * (1e6 / rows);
  std::printf("archive file: %.1f MB for %.0f readings\n", QFileInfo(path).size() / 1e6, rows);
  BenchSupport::reportFigure("archive size per 1,000,000 measurements",
                             "<= 150 MB",
                             QString::number(megabytes, 'f', 1) + " MB",
                             megabytes <= 150.0);
  return 0;
}
