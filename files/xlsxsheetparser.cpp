#include "files/xlsxsheetparser.h"

#include <algorithm>
#include <cmath>

#include "files/guardedxmlreader.h"
#include "files/xlsxdates.h"
#include "files/xlsxparts.h"
#include "formats/typednumber.h"

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
      : m_xml(xml, GuardedXmlReader::maxSheetElements), m_context(context) {}

  XlsxFailure failure() const { return m_failure; }

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
      m_failure = m_xml.tooLarge() ? XlsxFailure::TooLarge : XlsxFailure::Damaged;
      return std::nullopt;
    }
    return std::move(m_cells);
  }

private:
  void startRow() {
    // A row without its number follows the previous one. A number of any length saturates
    // past the sheet, so its cells are ignored instead of landing on another row.
    const QStringRef number = m_xml.attribute(QLatin1String("r"));
    if (number.isEmpty()) {
      m_row = std::min(m_row + 1, CellReference::maxRows + 1);
    } else {
      m_row = 0;
      for (const QChar c : number) {
        if (c < u'0' || c > u'9') {
          m_row = CellReference::maxRows + 1;
          break;
        }
        m_row = std::min(m_row * 10 + (c.unicode() - u'0'), CellReference::maxRows + 1);
      }
    }
    m_column = 0;
  }

  bool readCell() {
    const QStringRef reference = m_xml.attribute(QLatin1String("r"));
    int row = m_row;
    if (reference.isEmpty()) {
      m_column = std::min(m_column + 1, CellReference::maxColumns + 1);
    } else {
      const CellReference place = CellReference::fromText(reference);
      // An impossible place is ignored, and so are the unnumbered cells after it.
      row = place.row;
      m_column = place.isValid() ? place.column : CellReference::maxColumns + 1;
    }
    // A cell outside the sheet is skipped before anything of it is converted.
    if (!CellReference::isValid(row, m_column)) {
      m_xml.skipElement();
      return true;
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
    if (value.isValid()) {
      m_cells.set(row, m_column, value);
      if (m_cells.count() > XlsxSheetParser::maxCells) {
        m_failure = XlsxFailure::TooLarge;
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
    double value = text.toDouble(&ok);
    if (!ok) {
      // Workbooks saved by a program that printed numbers in a decimal-comma locale.
      const std::optional<double> typed = TypedNumber::parse(text);
      ok = typed.has_value();
      value = typed.value_or(0.0);
    }
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
  XlsxFailure m_failure = XlsxFailure::None;
};

} // namespace

std::optional<SheetCells> XlsxSheetParser::parse(const QByteArray& xml,
                                                 const WorkbookContext& context,
                                                 XlsxFailure* failure) {
  SheetReader reader(xml, context);
  std::optional<SheetCells> cells = reader.read();
  if (failure) {
    *failure = reader.failure();
  }
  return cells;
}
