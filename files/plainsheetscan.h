#pragma once

#include <QStringList>

#include "files/cellvalues.h"
#include "files/sheetplacement.h"

// The sheet data as this program, openpyxl and spreadsheet programs write it, scanned
// without the XML reader, which alone takes longer than the whole read should: rows, cells
// with r, t and s, <v> values and <is><t> texts, formulas passed over, the five entities and
// character references. Anything else (rich text runs, prefixed elements, comments) is
// Unsupported, and the XML reader reads the whole part instead.
namespace PlainSheetScan {

enum class Result { Done, Unsupported };

// The bytes between <sheetData> and </sheetData>, placed into placement. Done also when the
// placement failed. prefixes: those the root declares, in which attributes are accepted.
Result scan(const char* begin,
            const char* end,
            SheetPlacement& placement,
            const CellValues& values,
            const QStringList& prefixes);

} // namespace PlainSheetScan
