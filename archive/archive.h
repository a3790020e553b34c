#pragma once

#include <optional>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>

#include "formats/measurement.h"
#include "formats/scaleconstants.h"

// Where a measurement reached the program from.
enum class MeasurementSource { Memory = 0, Live = 1, Calibration = 2 };

// What the inspector measures, and who: in force until changed, stored with every reading.
struct InspectionContext {
  QString part;
  QString lot;
  QString inspector; // the "operator" column
  QString note;
  bool isEmpty() const {
    return part.isEmpty() && lot.isEmpty() && inspector.isEmpty() && note.isEmpty();
  }
  bool operator==(const InspectionContext& o) const {
    return part == o.part && lot == o.lot && inspector == o.inspector && note == o.note;
  }
};

// The constants a calibration replaced in a slot, kept for one write-back.
struct KeptConstants {
  ScaleNumber slot = 0;
  QDateTime kept;
  ScaleConstants constants;
};

// The program's own record of everything measured and everything written to the tester: an
// SQLite file in the user's data folder, readable by its user alone.
//
// Every write happens at once, on the calling (interface) thread, so what is on the screen
// is on disk even if the process is killed. When the file cannot be written (another copy of
// the program holds it, it is read-only or damaged, the disk is full) the program goes on:
// available() turns false, problem() says why in plain words, and what could not be written
// waits in memory and is written as soon as the archive can be written again.
class Archive : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool available READ available NOTIFY availabilityChanged)
  Q_PROPERTY(QString problem READ problem NOTIFY availabilityChanged)
  Q_PROPERTY(QString path READ path CONSTANT)

public:
  // "archive.sqlite" in the per-user data folder (QStandardPaths::AppDataLocation).
  static QString defaultPath();

  explicit Archive(const QString& path = defaultPath(), QObject* parent = nullptr);
  ~Archive() override;

  // Opens or creates the file, brings an older one to the latest version, and sets a
  // damaged one aside (renamed "<name>.damaged-yyyyMMdd-hhmmss", never deleted) before
  // starting a new one. False when it cannot be written: available() says so.
  bool open();
  bool available() const { return m_available; }
  QString problem() const { return m_problem; }
  QString path() const { return m_path; }
  // The settings file of earlier versions kept the calibration undo records; found there,
  // they are taken over once (and removed there).
  void takeOverUndoRecords(class QSettings* settings);

  // A memory read: every record, in the tester's order. Records already archived (read
  // before, or received live) are not stored again. Gives how many were new.
  int storeMemoryRead(const QString& tester,
                      const QList<Measurement>& records,
                      const InspectionContext& context);
  // Whether every record of the last memory read is archived (written, not only waiting),
  // and how many it had: the memory may be cleared only then.
  bool lastMemoryReadKept() const;
  int lastMemoryReadCount() const;
  // One live measurement, or one of a calibration's tests.
  void storeLive(const QString& tester,
                 const Measurement& measurement,
                 MeasurementSource source,
                 const InspectionContext& context);
  // A connection or a change of context starts a new series for the next live lines.
  void endSeries();

  // The journal of writes to the tester. action: "clock", "clearMemory", "scale", "mask",
  // "constants", "undo"; details: what was asked and what the tester showed afterwards.
  void journal(const QString& tester, const QString& action, const QVariantMap& details);

  std::optional<KeptConstants> keptConstants(ScaleNumber slot) const;
  void keepConstants(const KeptConstants& kept);
  void dropKeptConstants(ScaleNumber slot);

  // The open database for the history's queries; invalid while unavailable.
  QSqlDatabase database() const;

signals:
  void availabilityChanged();
  // Something new was stored: the history window refreshes.
  void stored();

private:
  struct Impl;
  Impl* d;
  QString m_path;
  QString m_problem;
  bool m_available = false;
};
