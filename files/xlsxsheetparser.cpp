#include "files/xlsxsheetparser.h"

#include "files/plainsheetscan.h"
#include "files/sheetplacement.h"
#include "files/xmlsheetreader.h"

std::optional<SheetCells> XlsxSheetParser::parse(const QByteArray& xml,
                                                 const WorkbookContext& context,
                                                 XlsxFailure* failure,
                                                 int lastColumn) {
  // The sheet data goes to the scanner when it is one plain <sheetData> element and the part
  // has no markup the scanner leaves to the reader; the part without it must still read.
  // Inside, the scanner itself refuses anything else, so only the part around is searched.
  const QByteArray open = "<sheetData>";
  const QByteArray close = "</sheetData>";
  const int start = xml.indexOf(open);
  const int stop = xml.lastIndexOf(close);
  const QByteArray before = start >= 0 ? xml.left(start) : QByteArray();
  const QByteArray after = stop >= 0 ? xml.mid(stop + close.size()) : QByteArray();
  if (start >= 0 && stop > start && !before.contains("sheetData") && !after.contains("sheetData") &&
      !before.contains("<!") && !after.contains("<!")) {
    const QByteArray rest = before + "<sheetData/>" + after;
    XmlSheetReader outside(rest, context, lastColumn);
    std::optional<SheetCells> around = outside.read();
    if (outside.failure() == XlsxFailure::UnusualLayout) {
      if (failure)
        *failure = outside.failure();
      return std::nullopt;
    }
    if (around) {
      SheetPlacement inside(lastColumn);
      const CellValues values(context);
      if (PlainSheetScan::scan(xml.constData() + start + open.size(),
                               xml.constData() + stop,
                               inside,
                               values,
                               outside.prefixes()) == PlainSheetScan::Result::Done) {
        if (failure)
          *failure = inside.failure();
        return inside.takeCells();
      }
    }
  }
  return parseWithXmlReader(xml, context, failure, lastColumn);
}

std::optional<SheetCells> XlsxSheetParser::parseWithXmlReader(const QByteArray& xml,
                                                              const WorkbookContext& context,
                                                              XlsxFailure* failure,
                                                              int lastColumn) {
  XmlSheetReader reader(xml, context, lastColumn);
  std::optional<SheetCells> cells = reader.read();
  if (failure)
    *failure = reader.failure();
  return cells;
}
