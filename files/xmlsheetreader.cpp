#include "files/xmlsheetreader.h"

#include <QString>
#include <QStringView>

#include "files/xlsxparts.h"
#include "files/xlsxsheetparser.h"

namespace {

// The prefixes the root declares; none when two share a namespace, as the same attribute under
// both would then be an error.
QStringList rootPrefixes(const GuardedXmlReader& xml) {
  QStringList prefixes;
  QStringList namespaces;
  for (const QXmlStreamNamespaceDeclaration& declaration : xml.namespaceDeclarations()) {
    if (namespaces.contains(declaration.namespaceUri().toString()))
      return {};
    namespaces.append(declaration.namespaceUri().toString());
    if (!declaration.prefix().isEmpty())
      prefixes.append(declaration.prefix().toString());
  }
  return prefixes;
}

// From a cell's start element to its end; false once the sheet holds too many cells.
bool readCell(GuardedXmlReader& xml, SheetPlacement& placement, const CellValues& values) {
  const int row = placement.placeCell(QStringView(xml.attribute(QLatin1String("r"))));
  // A cell outside the sheet or the columns read is skipped before anything of it is
  // converted or kept.
  if (!placement.isWanted(row)) {
    xml.skipElement();
    return true;
  }
  const std::optional<CellValues::Type> type =
      CellValues::typeOf(xml.attribute(QLatin1String("t")));
  const int style = xml.attribute(QLatin1String("s")).toInt();

  QVariant value;
  const int depth = xml.depth();
  while (xml.readNextElement() && xml.depth() >= depth) {
    if (xml.isStartOf(QLatin1String("v"))) {
      const QString text = xml.readText();
      if (type)
        value = values.valueOf(*type, text, style);
    } else if (xml.isStartOf(QLatin1String("is"))) {
      const QString text = XlsxParts::readRichText(xml);
      if (type == CellValues::Type::InlineString)
        value = text;
    } else if (xml.isStartElement()) {
      xml.skipElement(); // the formula and extensions
    }
  }
  return placement.store(row, value);
}

} // namespace

XmlSheetReader::XmlSheetReader(const QByteArray& xml,
                               const WorkbookContext& context,
                               int lastColumn)
    : m_xml(xml, XlsxSheetParser::maxReaderElements), m_xmlSize(xml.size()), m_values(context),
      m_placement(lastColumn) {}

std::optional<SheetCells> XmlSheetReader::read() {
  if (m_xmlSize > XlsxSheetParser::maxReaderSize) {
    m_placement.fail(XlsxFailure::UnusualLayout);
    return std::nullopt;
  }
  bool inSheetData = false;
  while (m_xml.readNextElement()) {
    if (m_xml.depth() == 1 && m_xml.isStartElement())
      m_prefixes = rootPrefixes(m_xml);
    if (m_xml.isStartOf(QLatin1String("sheetData"))) {
      inSheetData = true;
    } else if (m_xml.isEndOf(QLatin1String("sheetData"))) {
      inSheetData = false;
    } else if (!inSheetData) {
      continue;
    } else if (m_xml.isStartOf(QLatin1String("row"))) {
      m_placement.startRow(m_xml.attribute(QLatin1String("r")));
      if (m_placement.failed())
        return std::nullopt;
    } else if (m_xml.isStartOf(QLatin1String("c")) && !readCell(m_xml, m_placement, m_values)) {
      return std::nullopt;
    }
  }
  if (m_xml.failed()) {
    m_placement.fail(m_xml.tooLarge() ? XlsxFailure::UnusualLayout : XlsxFailure::Damaged);
    return std::nullopt;
  }
  return m_placement.takeCells();
}
