#pragma once

#include <optional>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

class GuardedXmlReader;

// Readers of the workbook parts around the worksheets: relationships, the sheet list, the
// shared strings and the cell formats. Each gives nothing when its part is not well-formed.
namespace XlsxParts {

struct Relationship {
  QString type;   // the full type URI; compare with hasType
  QString target; // a part name within the package, "" for an external or unusable target

  // Types differ between the transitional and strict forms of the format but end alike.
  bool hasType(QLatin1String lastSegment) const;
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" (the package) -> "_rels/.rels".
QString relationshipsPartOf(const QString& partName);
// A target relative to the folder of the part that names it ("worksheets/sheet1.xml") or
// absolute ("/xl/worksheets/sheet1.xml"), as a part name; "" when it leaves the package.
QString resolveTarget(const QString& sourcePartName, const QString& target);

std::optional<QHash<QString, Relationship>> parseRelationships(const QByteArray& xml,
                                                               const QString& sourcePartName);

struct SheetEntry {
  QString name;
  QString relationshipId;
};
struct WorkbookInfo {
  QVector<SheetEntry> sheets;
  bool date1904 = false;
};
std::optional<WorkbookInfo> parseWorkbook(const QByteArray& xml);

std::optional<QVector<QString>> parseSharedStrings(const QByteArray& xml);

// For each cell format, in the order cells refer to them by their "s" index: whether it
// shows numbers as dates.
std::optional<QVector<bool>> parseDateStyles(const QByteArray& xml);

// At the start of <si> or <is>: the string's text with its runs joined and phonetic hints
// left out, ending on the element's end.
QString readRichText(GuardedXmlReader& xml);
// Characters that XML cannot carry are stored as "_xHHHH_"; this restores them.
QString decodeEscapes(const QString& text);
// The five entities and character references in text between tags; nothing for any other
// entity or a reference to a character XML does not allow.
std::optional<QString> decodeEntities(const QString& text);

} // namespace XlsxParts
