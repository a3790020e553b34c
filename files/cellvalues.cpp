#include "files/cellvalues.h"

#include <cmath>

#include <QDateTime>

#include "files/xlsxdates.h"
#include "files/xlsxparts.h"
#include "formats/typednumber.h"

namespace {

QVariant number(const QString& text, int style, const WorkbookContext& context) {
  bool ok = false;
  double value = text.toDouble(&ok);
  if (!ok) {
    // Workbooks saved by a program that printed numbers in a decimal-comma locale.
    const std::optional<double> typed = TypedNumber::parse(text);
    ok = typed.has_value();
    value = typed.value_or(0.0);
  }
  if (!ok || !std::isfinite(value))
    return {};
  if (style >= 0 && style < context.dateStyles.size() && context.dateStyles.at(style)) {
    const QDateTime dateTime = XlsxDates::fromSerial(value, context.date1904);
    if (dateTime.isValid())
      return dateTime;
  }
  return value;
}

} // namespace

QVariant CellValues::valueOf(Type type, const QString& text, int style) const {
  switch (type) {
  case Type::Number:
    return number(text, style, m_context);
  case Type::SharedString: {
    bool ok = false;
    const int index = text.toInt(&ok);
    return ok && index >= 0 && index < m_context.sharedStrings.size()
               ? QVariant(m_context.sharedStrings.at(index))
               : QVariant();
  }
  case Type::FormulaString:
    return XlsxParts::decodeEscapes(text);
  case Type::Boolean: {
    const QString flag = text.trimmed();
    if (flag == QLatin1String("1") || flag == QLatin1String("true"))
      return true;
    if (flag == QLatin1String("0") || flag == QLatin1String("false"))
      return false;
    return {};
  }
  case Type::Error:
    return text;
  case Type::Date: {
    const QDateTime dateTime = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    return dateTime.isValid() ? QVariant(dateTime) : QVariant(text);
  }
  case Type::InlineString:
    break;
  }
  return {};
}
