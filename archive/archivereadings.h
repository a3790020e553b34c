#pragma once

#include <optional>

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "archive/archiveitem.h"

class ArchiveFile;

// The statements that store readings: each reading in its series, with the rows of its
// tester and context. Prepared once for an open file and dropped with it; the caller holds
// the transaction.
class ArchiveReadings {
public:
  explicit ArchiveReadings(ArchiveFile& file);

  // A memory read or a live line: how many readings it added, nullopt when the write failed
  // (the file's lastError() says why).
  std::optional<int> write(const ArchiveItem& item);
  // After a rollback: the ids cached in the transaction may be gone with it.
  void forget();

private:
  // The live series the last live line went into, and what it was for.
  struct LiveKey {
    quint64 generation = 0;
    QString tester;
    MeasurementSource source = MeasurementSource::Live;
    InspectionContext context;
    bool operator==(const LiveKey& o) const {
      return generation == o.generation && tester == o.tester && source == o.source &&
             context == o.context;
    }
  };

  std::optional<int> writeMemoryRead(const ArchiveItem& read);
  std::optional<int> writeLive(const ArchiveItem& line);
  std::optional<qint64> testerId(const QString& identity);
  std::optional<QVariant> contextId(const InspectionContext& context);
  std::optional<qint64> newSeries(qint64 tester,
                                  const QVariant& context,
                                  MeasurementSource source,
                                  qint64 started,
                                  int startedOffset,
                                  int count,
                                  const QVariant& stamp);
  std::optional<bool>
  addToSeries(qint64 series, int count, const QVariant& first, const QVariant& last);
  std::optional<int> insertReading(qint64 series,
                                   qint64 tester,
                                   const QVariant& context,
                                   const QVariant& stamp,
                                   const QVariant& stampOffset,
                                   const Measurement& m,
                                   MeasurementSource source,
                                   qint64 received,
                                   int receivedOffset,
                                   int occurrence);

  ArchiveFile& m_file;
  QSqlQuery m_insertReading;
  QSqlQuery m_insertSeries;
  QSqlQuery m_updateSeries;
  QSqlQuery m_nextOccurrence;
  QSqlQuery m_findTester;
  QSqlQuery m_insertTester;
  QSqlQuery m_findContext;
  QSqlQuery m_insertContext;
  QHash<QString, qint64> m_testerIds;
  QHash<QStringList, qint64> m_contextIds;
  LiveKey m_liveKey;
  qint64 m_liveSeries = -1;
};
