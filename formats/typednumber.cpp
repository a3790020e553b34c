#include "formats/typednumber.h"

#include <cmath>

#include <QLocale>

namespace TypedNumber {

std::optional<double> parse(const QString& text) {
  QString number = text.trimmed();
  // One comma is a decimal comma; with a point as well it would be a group separator.
  if (number.count(QLatin1Char(',')) == 1 && !number.contains(QLatin1Char('.')))
    number.replace(QLatin1Char(','), QLatin1Char('.'));
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double value = c.toDouble(number, &ok);
  if (!ok || !std::isfinite(value))
    return std::nullopt;
  return value;
}

} // namespace TypedNumber
