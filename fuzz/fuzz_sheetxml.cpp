// A worksheet part's XML straight into the sheet parser: the zip container around it keeps
// most mutations of a whole file from ever reaching the XML, so this target goes there
// directly. The first bytes choose the context (shared strings, date styles, 1904 dates).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "files/xlsxsheetparser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  WorkbookContext context;
  context.date1904 = data[0] & 1;
  const int strings = (data[0] >> 1) & 7;
  for (int i = 0; i < strings; ++i)
    context.sharedStrings.append(QStringLiteral("s%1").arg(i));
  context.dateStyles = {false, true, (data[0] & 0x10) != 0, true};
  const QByteArray xml(reinterpret_cast<const char*>(data) + 1, int(size - 1));
  if (const auto cells = XlsxSheetParser::parse(xml, context)) {
    int visited = 0;
    cells->forEach([&](int, int, const QVariant&) { ++visited; });
    if (visited != cells->count())
      std::abort();
  }
  return 0;
}
