#include "device/livefeed.h"

#include <QDebug>

#include "device/lineformat.h"
#include "models/measurementmodel.h"

LiveFeed::LiveFeed(MeasurementModel* table, MeasurementModel* calibrationList, QObject* parent)
    : QObject(parent), m_table(table), m_calibrationList(calibrationList) {}

void LiveFeed::take(const QByteArray& line) {
  if (m_calibration)
    takeCalibrationLine(line);
  else
    takeLiveLine(line);
}

void LiveFeed::takeLiveLine(const QByteArray& line) {
  const int shown = m_table->rowCount();
  if (m_liveSeries && LineFormat::isDeleteEventLine(line) && shown > 0) {
    m_table->remove(shown - 1);
    return;
  }
  if (line.isEmpty() || LineFormat::isKeyEventLine(line))
    return;
  std::optional<Measurement> live = LineFormat::parseLiveLine(line);
  if (!live) {
    qDebug() << "Dropped a line that is no measurement:" << line;
    return;
  }
  if (!m_liveSeries) {
    // The first live measurement after a connection or a file replaces the table.
    m_table->clear();
    m_liveSeries = true;
  }
  QDateTime dateTime = live->dateTime();
  const int rows = m_table->rowCount();
  if (!dateTime.isValid() && rows > 0)
    dateTime = m_table->dateTime(rows - 1);
  const Measurement measurement(dateTime, live->scale(), live->hardness(), live->frequency(), 1.0);
  emit measured(measurement, false);
  m_table->add(measurement);
}

void LiveFeed::takeCalibrationLine(const QByteArray& line) {
  if (std::optional<Measurement> live = LineFormat::parseLiveLine(line)) {
    emit measured(*live, true);
    m_calibrationList->add(*live);
  } else if (!line.isEmpty())
    qDebug() << "Dropped a line that is no measurement:" << line;
}
