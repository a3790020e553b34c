#pragma once

#include <optional>

#include <QList>
#include <QObject>
#include <QString>

class Device;
class MeasurementModel;

// Fits the tester's current scale to reference blocks: each test is a series of measurements
// on one block of known hardness; the fit gives the scale's constants, which go to the tester.
class Calibration : public QObject {
  Q_OBJECT
  Q_PROPERTY(Device* device READ getDevice WRITE setDevice)

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
  // Why the last endTest wrote nothing, for the user; empty after a success.
  Q_INVOKABLE QString failure() const;
  Q_INVOKABLE void clearTests();
  Q_INVOKABLE Device* getDevice();
  Q_INVOKABLE void setDevice(Device* device);

  int testCount() const { return m_meanFrequencies.size(); }

private:
  static std::optional<double> readReference(const QString& text);
  bool fail(const QString& reason);

  Device* m_device = nullptr;
  QString m_failure;
  QList<double> m_meanFrequencies;
  QList<double> m_referenceHardnesses;
};
