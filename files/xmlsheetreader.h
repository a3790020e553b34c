#pragma once

#include <optional>

#include <QByteArray>
#include <QStringList>

#include "files/cellvalues.h"
#include "files/guardedxmlreader.h"
#include "files/sheetcells.h"
#include "files/sheetplacement.h"
#include "files/xlsxfailure.h"

// A worksheet part through the guarded XML reader: any layout the format allows, prefixed
// elements, comments and rich text runs included, at the reader's pace, so only up to
// XlsxSheetParser::maxReaderSize of it.
class XmlSheetReader {
public:
  XmlSheetReader(const QByteArray& xml, const WorkbookContext& context, int lastColumn);

  // The cells, or nothing when the part is too large, bad XML or its sheet too large.
  std::optional<SheetCells> read();
  XlsxFailure failure() const { return m_placement.failure(); }

  // The prefixes the root declares, for the scanner to accept attributes in them; none when
  // two share a namespace, as the same attribute under both would then be an error.
  const QStringList& prefixes() const { return m_prefixes; }

private:
  GuardedXmlReader m_xml;
  const int m_xmlSize;
  QStringList m_prefixes;
  const CellValues m_values;
  SheetPlacement m_placement;
};
