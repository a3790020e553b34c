#pragma once

#include <memory>
#include <optional>

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include "files/sheetcells.h"
#include "files/xlsxfailure.h"

class XlsxReader;

// A workbook in memory, with the handful of calls the measurement files need: a new document
// gets sheets and cells and is saved; a document made from a file name reads that file's
// sheets when they are selected. Rows and columns count from 1, as in "A1".
//
// Reading gives texts as QString, numbers as double, booleans as bool, error cells as their
// code ("#N/A") and numbers in a date format as a local QDateTime; an empty cell, and any
// cell of a file that could not be read, is an invalid QVariant.
class XlsxDocument {
public:
  XlsxDocument();
  // Opens the file; nothing is read beyond the sheet list until a sheet is selected. Only
  // the columns up to lastColumn are read: what lies right of them is skipped unread, and is
  // not in the document nor in a workbook it is saved as.
  explicit XlsxDocument(const QString& fileName, int lastColumn = CellReference::maxColumns);
  ~XlsxDocument();
  XlsxDocument(const XlsxDocument&) = delete;
  XlsxDocument& operator=(const XlsxDocument&) = delete;

  QStringList sheetNames() const;
  // Adds an empty sheet after the others and makes it current. False for a name that a
  // workbook cannot hold: empty, over 31 characters, one of []:*?/\, an apostrophe at
  // either end, or already taken (in any letter case).
  bool addSheet(const QString& name);
  // Makes the sheet of that exact name current; false when there is none or its cells
  // cannot be read, and the current sheet then stays as it was.
  bool selectSheet(const QString& name);

  // Write into the current sheet: a text, a number, a boolean or a date-time. An invalid
  // value or an empty text empties the cell. False without a current sheet, for a place outside the
  // sheet, or for a value a workbook cannot hold (a non-finite number, a text over 32,767
  // characters, any other type).
  bool write(const QString& cellReference, const QVariant& value);
  bool write(int row, int column, const QVariant& value);
  QVariant read(int row, int column) const;
  QVariant read(const QString& cellReference) const;

  // Writes every sheet; the file is replaced only when the whole workbook was written.
  bool saveAs(const QString& fileName);

  // Why the last selectSheet or saveAs failed.
  XlsxFailure failure() const { return m_failure; }

private:
  struct Sheet {
    QString name;
    std::optional<SheetCells> cells; // not yet read from the file
  };

  bool load(Sheet& sheet);

  std::unique_ptr<XlsxReader> m_source;
  int m_lastColumn = CellReference::maxColumns;
  QVector<Sheet> m_sheets;
  int m_current = -1;
  XlsxFailure m_failure = XlsxFailure::None;
};
