#pragma once

#include <QString>

// The dialogs that choose a workbook to save or open, starting in the folder last used and
// remembering the one chosen. Empty when the user cancels.
namespace WorkbookDialogs {

// Always ends in ".xlsx": a name kept as typed, such as "shift.1", still gets a workbook.
QString askSaveName();
QString askOpenName();

} // namespace WorkbookDialogs
