#pragma once

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
  // The reference is read with the default (Russian) locale, so "45,5" is 45.5.
  Q_INVOKABLE double addTest(MeasurementModel* model, QString realHardness);
  // Fits and writes the constants; true only when finite constants were written to the tester.
  Q_INVOKABLE bool endTest();
  Q_INVOKABLE void clearTests();
  Q_INVOKABLE Device* getDevice();
  Q_INVOKABLE void setDevice(Device* device);

  int testCount() const { return m_meanFrequencies.size(); }

private:
  Device* m_device = nullptr;
  QList<double> m_meanFrequencies;
  QList<double> m_referenceHardnesses;
};
