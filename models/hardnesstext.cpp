#include "models/hardnesstext.h"
#include "formats/measurement.h"

#include <cmath>

namespace HardnessText {

QString ofMeasurement(double hardness) {
  // NaN compares false with everything, so it is tested apart.
  if (!Measurement::isResult(hardness))
    return QStringLiteral("ERR");
  return QString::number(hardness, 'f', hardness < 100.0 ? 1 : 0);
}

QString ofAverage(double mean) {
  return QString::number(mean, 'f', mean > 100.0 ? 0 : 1);
}

QString ofDeviation(double deviation) {
  return QString::number(deviation, 'f', 2);
}

QString ofDifference(double difference) {
  const int decimals = std::abs(difference) < 100.0 ? 1 : 0;
  const QString text = QString::number(std::abs(difference), 'f', decimals);
  // "-0.0" or "+0.0" would suggest a direction that is not there.
  if (text.toDouble() == 0.0)
    return QString::number(0.0, 'f', decimals);
  return (difference < 0.0 ? QStringLiteral("-") : QStringLiteral("+")) + text;
}

QString ofNumber(double value) {
  return QString::number(value, 'g', 12);
}

} // namespace HardnessText
