#pragma once

#include <optional>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include "archive/archive.h"
#include "calibration/scalefit.h"
#include "device/device.h"

class MeasurementModel;
class Scale;

// Fits the tester's current scale to reference blocks: each test is a series of measurements
// on one block of known hardness; the fit gives the scale's constants, which go to the tester.
class Calibration : public QObject {
  Q_OBJECT
  Q_PROPERTY(Device* device READ getDevice WRITE setDevice)
  // Where the constants a calibration replaced are kept for undoing; none: nothing is kept.
  Q_PROPERTY(Archive* archive READ archive WRITE setArchive)

public:
  explicit Calibration(QObject* parent = nullptr);

  // Closes one test: records (mean frequency, reference hardness) and empties the model.
  // The reference may have a decimal comma or point ("45,5", "45.5"). A test without rows
  // or with an unreadable reference records nothing, leaves the model as it is and gives 0.
  Q_INVOKABLE double addTest(MeasurementModel* model, QString realHardness);
  // A reference addTest accepts: a positive number, with a decimal comma or point.
  Q_INVOKABLE bool isReadableReference(QString realHardness) const;
  // Fits and writes the constants; true only when finite constants were written to the tester.
  // Nothing is written when the fit has no meaningful result or the tester's current scale
  // cannot be read; failure() then says why.
  Q_INVOKABLE bool endTest();
  // The fit endTest would write, without writing: "ok", the constants "a", "b", "type", per
  // test "rows" of {reference, fitted, difference (fitted - reference)} with their texts,
  // "maxDifference" (absolute), "rSquared" on the hardness values (absent when the references
  // have no spread), or "failure" when no fit can be made. The tests stay.
  Q_INVOKABLE QVariantMap preview();
  // Why the last endTest or undoLastCalibration wrote nothing, for the user; empty after a
  // success.
  Q_INVOKABLE QString failure() const;
  // Whether the constants a calibration replaced in that slot are kept for writing back.
  Q_INVOKABLE bool canUndo(int scaleNumber);
  // The same for a scale by its name in the scale list.
  Q_INVOKABLE bool canUndoScale(const QString& scaleName);
  // When the calibration that replaced them was written, "dd.MM.yyyy hh:mm"; empty if none.
  Q_INVOKABLE QString keptSince(const QString& scaleName);
  // Writes the kept constants back into the tester's current scale, once; false (record
  // kept, failure() says why) when there are none for it or the tester did not take them.
  Q_INVOKABLE bool undoLastCalibration();
  Q_INVOKABLE void clearTests();
  Q_INVOKABLE Device* getDevice();
  Q_INVOKABLE void setDevice(Device* device);

  int testCount() const { return m_meanFrequencies.size(); }
  Archive* archive() const { return m_archive; }
  void setArchive(Archive* archive) { m_archive = archive; }

private:
  static std::optional<double> readReference(const QString& text);
  static QString twoTestsNeeded();
  bool fail(const QString& reason);
  static QString writeFailure(const Device::ScaleWrite& write);
  // Why no fit can be tried yet, before the tester is asked anything.
  std::optional<QString> refusalBeforeFit() const;
  // The one fit that preview shows and endTest writes, for the tester's current scale.
  std::optional<ScaleConstants> fitFor(std::optional<ScaleNumber> scaleNumber, QString* why);
  // The tester's current scale, asked now; nothing when it named none.
  std::optional<ScaleNumber> currentScale() const;
  void keep(ScaleNumber slot, const Scale& before);
  bool writeBackKept();

  Device* m_device = nullptr;
  QString m_failure;
  QPointer<Archive> m_archive;
  // The scale the last preview was made for; endTest refuses when the tester moved on.
  std::optional<ScaleNumber> m_previewedScale;
  QList<double> m_meanFrequencies;
  QList<double> m_referenceHardnesses;
};
