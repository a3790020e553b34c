#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QVector>

#include "files/sheetcells.h"
#include "files/xlsxpackage.h"
#include "files/xlsxparts.h"
#include "files/xlsxsheetparser.h"

// Reads a workbook file written by any spreadsheet program: the sheet list when opened,
// a sheet's cells when asked for. Every failure (not a zip, not a workbook, a damaged or
// oversized part, bad XML) gives nothing rather than partial data.
class XlsxReader {
public:
  explicit XlsxReader(const QString& fileName);

  // The file is a workbook whose sheet list could be read.
  bool isValid() const { return m_valid; }
  // Why the workbook, or the last sheet asked for, could not be read.
  XlsxFailure failure() const { return m_failure; }
  QStringList sheetNames() const;
  // Only columns 1 to lastColumn: the cells right of them are skipped unread.
  std::optional<SheetCells> readSheet(const QString& name,
                                      int lastColumn = CellReference::maxColumns);

private:
  struct Sheet {
    QString name;
    QString partName;
  };

  bool readStructure();
  std::optional<QString> relatedPart(QLatin1String type) const;
  bool readContext(XlsxFailure* failure);
  // Records why reading failed: the package's reason when it has one, else the given one.
  void fail(XlsxFailure otherwise);

  XlsxPackage m_package;
  QString m_workbookPart;
  QHash<QString, XlsxParts::Relationship> m_workbookRelationships;
  QVector<Sheet> m_sheets;
  bool m_date1904 = false;
  bool m_valid = false;
  XlsxFailure m_failure = XlsxFailure::None;
  // Shared strings and cell formats are read with the first sheet that needs them.
  std::optional<WorkbookContext> m_context;
};
