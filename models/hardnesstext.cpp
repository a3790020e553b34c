#include "models/hardnesstext.h"

namespace HardnessText {

QString ofMeasurement(double hardness) {
  // NaN compares false with everything, so it is tested apart.
  if (!(hardness > 0.0))
    return QStringLiteral("ERR");
  return QString::number(hardness, 'f', hardness < 100.0 ? 1 : 0);
}

QString ofAverage(double mean) {
  return QString::number(mean, 'f', mean > 100.0 ? 0 : 1);
}

QString ofDeviation(double deviation) {
  return QString::number(deviation, 'f', 2);
}

QString ofNumber(double value) {
  return QString::number(value, 'g', 12);
}

} // namespace HardnessText
