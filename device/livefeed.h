#pragma once

#include <QByteArray>
#include <QObject>

#include "formats/measurement.h"

class MeasurementModel;

// Where the lines the tester sends on its own land: in the main table during a live
// session, in the calibration list while a calibration runs.
class LiveFeed : public QObject {
  Q_OBJECT

public:
  LiveFeed(MeasurementModel* table, MeasurementModel* calibrationList, QObject* parent = nullptr);

  void setCalibration(bool calibration) { m_calibration = calibration; }
  bool calibration() const { return m_calibration; }
  // The table now holds memory rows or an opened workbook: the delete key must not reach
  // them, and the next live line starts a new table.
  void endSeries() { m_liveSeries = false; }
  bool liveSeries() const { return m_liveSeries; }

  void take(const QByteArray& line);

signals:
  // A measurement about to be shown, with the time stamp it is shown with.
  void measured(const Measurement& measurement, bool calibration);

private:
  void takeLiveLine(const QByteArray& line);
  void takeCalibrationLine(const QByteArray& line);

  MeasurementModel* m_table;
  MeasurementModel* m_calibrationList;
  bool m_calibration = false;
  bool m_liveSeries = false;
};
