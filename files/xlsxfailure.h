#pragma once

// Why a workbook could not be read or written, for a message the user can act on.
enum class XlsxFailure {
  None,
  // Reading
  Unreadable,    // the file cannot be opened: missing, no access
  NotAWorkbook,  // not a zip, or a zip without a workbook in it
  Damaged,       // a part does not inflate to what its header says, or is not well-formed
  TooLarge,      // a part, the parts together or a sheet's cells exceed what we read
  UnusualLayout, // a sheet too large for the layout it is written in: re-saving it helps
  NoSuchSheet,   // a workbook, but without the sheet asked for
  // Writing
  NotWritable, // the folder or the file cannot be written: no access, locked, a folder
  DiskFull,
  WriteFailed, // any other failure of the disk while writing
  Refused,     // a sheet name or a cell value a workbook cannot hold
};
