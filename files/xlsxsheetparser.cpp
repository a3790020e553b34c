#include "files/xlsxsheetparser.h"

#include <cmath>

#include "files/guardedxmlreader.h"
#include "files/xlsxdates.h"
#include "files/xlsxparts.h"

namespace {

enum class CellType { Number, SharedString, InlineString, FormulaString, Boolean, Error, Date };

std::optional<CellType> cellType(const QStringRef& t) {
  if (t.isEmpty() || t == QLatin1String("n")) {
    return CellType::Number;
  }
  if (t == QLatin1String("s")) {
    return CellType::SharedString;
  }
  if (t == QLatin1String("inlineStr")) {
    return CellType::InlineString;
  }
  if (t == QLatin1String("str")) {
    return CellType::FormulaString;
  }
  if (t == QLatin1String("b")) {
    return CellType::Boolean;
  }
  if (t == QLatin1String("e")) {
    return CellType::Error;
  }
  if (t == QLatin1String("d")) {
    return CellType::Date;
  }
  return std::nullopt;
}

class SheetReader {
public:
  SheetReader(const QByteArray& xml, const WorkbookContext& context)
      : m_xml(xml), m_context(context) {}

  std::optional<SheetCells> read() {
    bool inSheetData = false;
    while (m_xml.readNextElement()) {
      if (m_xml.isStartOf(QLatin1String("sheetData"))) {
        inSheetData = true;
      } else if (m_xml.isEndOf(QLatin1String("sheetData"))) {
        inSheetData = false;
      } else if (!inSheetData) {
        continue;
      } else if (m_xml.isStartOf(QLatin1String("row"))) {
        startRow();
      } else if (m_xml.isStartOf(QLatin1String("c")) && !readCell()) {
        return std::nullopt;
      }
    }
    if (m_xml.failed()) {
      return std::nullopt;
    }
    return std::move(m_cells);
  }

private:
  void startRow() {
    // A row without its number follows the previous one.
    bool ok = false;
    const qlonglong number = m_xml.attribute(QLatin1String("r")).toLongLong(&ok);
    m_row = ok ? int(qBound<qlonglong>(0, number, CellReference::maxRows + 1)) : m_row + 1;
    m_column = 0;
  }

  bool readCell() {
    const QStringRef reference = m_xml.attribute(QLatin1String("r"));
    int row = m_row;
    if (reference.isEmpty()) {
      ++m_column;
    } else {
      const CellReference place = CellReference::fromText(reference);
      // An impossible place is ignored, and so are the unnumbered cells after it.
      row = place.row;
      m_column = place.isValid() ? place.column : CellReference::maxColumns + 1;
    }
    const std::optional<CellType> type = cellType(m_xml.attribute(QLatin1String("t")));
    const int style = m_xml.attribute(QLatin1String("s")).toInt();

    QVariant value;
    const int depth = m_xml.depth();
    while (m_xml.readNextElement() && m_xml.depth() >= depth) {
      if (m_xml.isStartOf(QLatin1String("v"))) {
        const QString text = m_xml.readText();
        if (type) {
          value = valueOf(*type, text, style);
        }
      } else if (m_xml.isStartOf(QLatin1String("is"))) {
        const QString text = XlsxParts::readRichText(m_xml);
        if (type == CellType::InlineString) {
          value = text;
        }
      } else if (m_xml.isStartElement()) {
        m_xml.skipElement(); // the formula and extensions
      }
    }
    if (value.isValid() && CellReference::isValid(row, m_column)) {
      m_cells.set(row, m_column, value);
      if (m_cells.count() > XlsxSheetParser::maxCells) {
        return false;
      }
    }
    return true;
  }

  QVariant valueOf(CellType type, const QString& text, int style) const {
    switch (type) {
    case CellType::Number:
      return number(text, style);
    case CellType::SharedString: {
      bool ok = false;
      const int index = text.toInt(&ok);
      return ok && index >= 0 && index < m_context.sharedStrings.size()
                 ? QVariant(m_context.sharedStrings.at(index))
                 : QVariant();
    }
    case CellType::FormulaString:
      return XlsxParts::decodeEscapes(text);
    case CellType::Boolean: {
      const QString flag = text.trimmed();
      if (flag == QLatin1String("1") || flag == QLatin1String("true")) {
        return true;
      }
      if (flag == QLatin1String("0") || flag == QLatin1String("false")) {
        return false;
      }
      return {};
    }
    case CellType::Error:
      return text;
    case CellType::Date: {
      const QDateTime dateTime = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
      return dateTime.isValid() ? QVariant(dateTime) : QVariant(text);
    }
    case CellType::InlineString:
      break;
    }
    return {};
  }

  QVariant number(const QString& text, int style) const {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
      return {};
    }
    if (style >= 0 && style < m_context.dateStyles.size() && m_context.dateStyles.at(style)) {
      const QDateTime dateTime = XlsxDates::fromSerial(value, m_context.date1904);
      if (dateTime.isValid()) {
        return dateTime;
      }
    }
    return value;
  }

  GuardedXmlReader m_xml;
  const WorkbookContext& m_context;
  SheetCells m_cells;
  int m_row = 0;
  int m_column = 0;
};

} // namespace

std::optional<SheetCells> XlsxSheetParser::parse(const QByteArray& xml,
                                                 const WorkbookContext& context) {
  return SheetReader(xml, context).read();
}
