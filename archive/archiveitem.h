#pragma once

#include <QList>
#include <QPointer>
#include <QSettings>
#include <QString>

#include "archive/archive.h"

// What one call asked the archive to write; it waits as it is while the file cannot be
// written. Each kind uses its own fields.
struct ArchiveItem {
  enum Kind { MemoryRead, Live, Journal, Keep, Drop, TakeOver } kind = Live;
  QString tester;
  QList<Measurement> records;
  Measurement measurement;
  MeasurementSource source = MeasurementSource::Live;
  InspectionContext context;
  // The live series it belongs to: Archive::endSeries() starts the next generation.
  quint64 generation = 0;
  quint64 readToken = 0;
  // When the call was made, not when the write succeeded.
  qint64 at = 0;
  int atOffset = 0;
  QString action;
  QString details;
  KeptConstants kept;
  // A record taken over is removed from the settings file once written.
  QPointer<QSettings> settings;
  QString group;
};
