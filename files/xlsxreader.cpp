#include "files/xlsxreader.h"

#include <algorithm>

#include "files/xlsxparts.h"

XlsxReader::XlsxReader(const QString& fileName) : m_package(fileName) {
  m_valid = m_package.isOpen() && readStructure();
  if (!m_valid)
    fail(XlsxFailure::NotAWorkbook);
}

void XlsxReader::fail(XlsxFailure otherwise) {
  m_failure = m_package.failure() != XlsxFailure::None ? m_package.failure() : otherwise;
}

bool XlsxReader::readStructure() {
  // The package relationships name the workbook part; "xl/workbook.xml" is the usual one.
  m_workbookPart = QStringLiteral("xl/workbook.xml");
  const auto packageRels = m_package.read(XlsxParts::relationshipsPartOf(QString()));
  const auto packageRelationships =
      packageRels ? XlsxParts::parseRelationships(*packageRels, QString()) : std::nullopt;
  if (packageRelationships) {
    for (const XlsxParts::Relationship& relationship : *packageRelationships)
      if (relationship.hasType(QLatin1String("officeDocument")) && !relationship.target.isEmpty())
        m_workbookPart = relationship.target;
  }
  const auto workbookXml = m_package.read(m_workbookPart);
  const auto relsXml = m_package.read(XlsxParts::relationshipsPartOf(m_workbookPart));
  if (!workbookXml || !relsXml)
    return false;
  const auto workbook = XlsxParts::parseWorkbook(*workbookXml);
  const auto relationships = XlsxParts::parseRelationships(*relsXml, m_workbookPart);
  if (!workbook || !relationships)
    return false;
  m_workbookRelationships = *relationships;
  m_date1904 = workbook->date1904;
  for (const XlsxParts::SheetEntry& entry : workbook->sheets)
    m_sheets.append({entry.name, m_workbookRelationships.value(entry.relationshipId).target});
  return true;
}

QStringList XlsxReader::sheetNames() const {
  QStringList names;
  for (const Sheet& sheet : m_sheets)
    names.append(sheet.name);
  return names;
}

std::optional<QString> XlsxReader::relatedPart(QLatin1String type) const {
  for (const XlsxParts::Relationship& relationship : m_workbookRelationships)
    if (relationship.hasType(type) && m_package.contains(relationship.target))
      return relationship.target;
  return std::nullopt;
}

bool XlsxReader::readContext(XlsxFailure* failure) {
  WorkbookContext context;
  context.date1904 = m_date1904;
  // Both parts are optional; a present but unreadable one fails the sheets.
  if (const auto part = relatedPart(QLatin1String("sharedStrings"))) {
    auto xml = m_package.read(*part, XlsxPackage::maxStringsPartSize);
    auto strings = xml ? SharedStrings::parse(std::move(*xml), failure) : std::nullopt;
    if (!strings)
      return false;
    context.sharedStrings = std::move(*strings);
  }
  if (const auto part = relatedPart(QLatin1String("styles"))) {
    const auto xml = m_package.read(*part);
    const auto dateStyles = xml ? XlsxParts::parseDateStyles(*xml) : std::nullopt;
    if (!dateStyles)
      return false;
    context.dateStyles = *dateStyles;
  }
  m_context = std::move(context);
  return true;
}

std::optional<SheetCells> XlsxReader::readSheet(const QString& name, int lastColumn) {
  const auto sheet = std::find_if(
      m_sheets.cbegin(), m_sheets.cend(), [&](const Sheet& s) { return s.name == name; });
  if (sheet == m_sheets.cend()) {
    m_failure = m_valid ? XlsxFailure::NoSuchSheet : m_failure;
    return std::nullopt;
  }
  XlsxFailure contextFailure = XlsxFailure::Damaged;
  if (sheet->partName.isEmpty() || (!m_context && !readContext(&contextFailure))) {
    fail(contextFailure);
    return std::nullopt;
  }
  const auto xml = m_package.read(sheet->partName, XlsxPackage::maxSheetPartSize);
  if (!xml) {
    fail(XlsxFailure::Damaged);
    return std::nullopt;
  }
  XlsxFailure failure = XlsxFailure::None;
  std::optional<SheetCells> cells = XlsxSheetParser::parse(*xml, *m_context, &failure, lastColumn);
  m_failure = failure;
  return cells;
}
