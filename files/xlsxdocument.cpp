#include "files/xlsxdocument.h"

#include <algorithm>

#include "files/xlsxreader.h"
#include "files/xlsxwriter.h"

namespace {

bool isAcceptableSheetName(const QString& name) {
  static const QString forbidden = QStringLiteral("[]:*?/\\");
  if (name.isEmpty() || name.size() > 31 || name.startsWith(QLatin1Char('\'')) ||
      name.endsWith(QLatin1Char('\'')))
    return false;
  return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return forbidden.contains(c); });
}

} // namespace

XlsxDocument::XlsxDocument() = default;

XlsxDocument::XlsxDocument(const QString& fileName, int lastColumn)
    : m_source(std::make_unique<XlsxReader>(fileName)), m_lastColumn(lastColumn) {
  for (const QString& name : m_source->sheetNames())
    m_sheets.append({name, std::nullopt});
}

XlsxDocument::~XlsxDocument() = default;

QStringList XlsxDocument::sheetNames() const {
  QStringList names;
  for (const Sheet& sheet : m_sheets)
    names.append(sheet.name);
  return names;
}

bool XlsxDocument::addSheet(const QString& name) {
  if (!isAcceptableSheetName(name) || sheetNames().contains(name, Qt::CaseInsensitive))
    return false;
  m_sheets.append({name, SheetCells()});
  m_current = m_sheets.size() - 1;
  return true;
}

bool XlsxDocument::load(Sheet& sheet) {
  if (!sheet.cells && m_source) {
    sheet.cells = m_source->readSheet(sheet.name, m_lastColumn);
    if (!sheet.cells)
      m_failure = m_source->failure();
  }
  return sheet.cells.has_value();
}

bool XlsxDocument::selectSheet(const QString& name) {
  for (int i = 0; i < m_sheets.size(); ++i) {
    if (m_sheets[i].name == name) {
      if (!load(m_sheets[i]))
        return false;
      m_current = i;
      return true;
    }
  }
  m_failure = m_source && !m_source->isValid() ? m_source->failure() : XlsxFailure::NoSuchSheet;
  return false;
}

bool XlsxDocument::write(const QString& cellReference, const QVariant& value) {
  const CellReference place = CellReference::fromText(cellReference);
  return write(place.row, place.column, value);
}

bool XlsxDocument::write(int row, int column, const QVariant& value) {
  if (m_current < 0 || !CellReference::isValid(row, column))
    return false;
  const bool empty =
      !value.isValid() || (value.userType() == QMetaType::QString && value.toString().isEmpty());
  if (!empty && !XlsxWriter::canStore(value))
    return false;
  m_sheets[m_current].cells->set(row, column, empty ? QVariant() : value);
  return true;
}

QVariant XlsxDocument::read(int row, int column) const {
  return m_current < 0 ? QVariant() : m_sheets[m_current].cells->value(row, column);
}

QVariant XlsxDocument::read(const QString& cellReference) const {
  const CellReference place = CellReference::fromText(cellReference);
  return read(place.row, place.column);
}

bool XlsxDocument::saveAs(const QString& fileName) {
  QVector<XlsxWriter::Sheet> sheets;
  for (Sheet& sheet : m_sheets) {
    // Sheets never selected are read now, so that saving a loaded workbook loses nothing.
    if (!load(sheet))
      return false;
    sheets.append({sheet.name, *sheet.cells});
  }
  return XlsxWriter::save(fileName, sheets, &m_failure);
}
