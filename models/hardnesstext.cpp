#include "models/hardnesstext.h"

#include <cmath>

#include <QLocale>

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

std::optional<double> parseTyped(const QString& text) {
  QString number = text.trimmed();
  if (number.isEmpty() || number.count(QLatin1Char(',')) + number.count(QLatin1Char('.')) > 1)
    return std::nullopt;
  number.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double value = QLocale::c().toDouble(number, &ok);
  if (!ok || !std::isfinite(value))
    return std::nullopt;
  return value;
}

} // namespace HardnessText
