#include "files/xlsxparts.h"

#include <QDir>
#include <QUrl>

#include "files/guardedxmlreader.h"
#include "files/xlsxdates.h"

namespace XlsxParts {

bool Relationship::hasType(QLatin1String lastSegment) const {
  return type.endsWith(QLatin1Char('/') + lastSegment);
}

QString relationshipsPartOf(const QString& partName) {
  const int slash = partName.lastIndexOf(QLatin1Char('/'));
  return partName.left(slash + 1) + QLatin1String("_rels/") + partName.mid(slash + 1) +
         QLatin1String(".rels");
}

QString resolveTarget(const QString& sourcePartName, const QString& target) {
  const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
  QString path;
  if (decoded.startsWith(QLatin1Char('/')))
    path = decoded.mid(1);
  else
    path = sourcePartName.left(sourcePartName.lastIndexOf(QLatin1Char('/')) + 1) + decoded;
  path = QDir::cleanPath(path);
  if (path.isEmpty() || path == QLatin1String(".") || path.startsWith(QLatin1String("..")))
    return {};
  return path;
}

std::optional<QHash<QString, Relationship>> parseRelationships(const QByteArray& xml,
                                                               const QString& sourcePartName) {
  GuardedXmlReader reader(xml);
  QHash<QString, Relationship> relationships;
  while (reader.readNextElement()) {
    if (!reader.isStartOf(QLatin1String("Relationship")))
      continue;
    const bool external =
        reader.attribute(QLatin1String("TargetMode")) == QLatin1String("External");
    const QString target = reader.attribute(QLatin1String("Target")).toString();
    relationships.insert(reader.attribute(QLatin1String("Id")).toString(),
                         {reader.attribute(QLatin1String("Type")).toString(),
                          external ? QString() : resolveTarget(sourcePartName, target)});
  }
  if (reader.failed())
    return std::nullopt;
  return relationships;
}

std::optional<WorkbookInfo> parseWorkbook(const QByteArray& xml) {
  GuardedXmlReader reader(xml);
  WorkbookInfo info;
  while (reader.readNextElement()) {
    if (reader.isStartOf(QLatin1String("sheet"))) {
      // The relationship id is the one attribute named "id" in a namespace, whatever its prefix.
      SheetEntry entry{reader.attribute(QLatin1String("name")).toString(), {}};
      for (const QXmlStreamAttribute& attribute : reader.attributes())
        if (attribute.name() == QLatin1String("id") && !attribute.namespaceUri().isEmpty())
          entry.relationshipId = attribute.value().toString();
      info.sheets.append(entry);
    } else if (reader.isStartOf(QLatin1String("workbookPr"))) {
      const QStringRef date1904 = reader.attribute(QLatin1String("date1904"));
      info.date1904 = date1904 == QLatin1String("1") || date1904 == QLatin1String("true");
    }
  }
  if (reader.failed())
    return std::nullopt;
  return info;
}

QString decodeEscapes(const QString& text) {
  if (!text.contains(QLatin1String("_x")))
    return text;
  QString decoded;
  decoded.reserve(text.size());
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
        text[i + 6] == QLatin1Char('_')) {
      bool ok = false;
      const ushort code = text.midRef(i + 2, 4).toUShort(&ok, 16);
      if (ok) {
        decoded += QChar(code);
        i += 6;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

std::optional<QString> decodeEntities(const QString& text) {
  if (!text.contains(QLatin1Char('&')))
    return text;
  QString decoded;
  decoded.reserve(text.size());
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) {
      decoded += text[i];
      continue;
    }
    const int semicolon = text.indexOf(QLatin1Char(';'), i);
    if (semicolon < 0)
      return std::nullopt;
    const QStringRef name = text.midRef(i + 1, semicolon - i - 1);
    if (name == QLatin1String("amp")) {
      decoded += QLatin1Char('&');
    } else if (name == QLatin1String("lt")) {
      decoded += QLatin1Char('<');
    } else if (name == QLatin1String("gt")) {
      decoded += QLatin1Char('>');
    } else if (name == QLatin1String("quot")) {
      decoded += QLatin1Char('"');
    } else if (name == QLatin1String("apos")) {
      decoded += QLatin1Char('\'');
    } else if (name.startsWith(QLatin1Char('#'))) {
      bool ok = false;
      const bool hex = name.startsWith(QLatin1String("#x"));
      const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
      const bool isXmlChar =
          code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
          (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
      if (!ok || !isXmlChar || name.size() < (hex ? 3 : 2))
        return std::nullopt;
      decoded += QString::fromUcs4(&code, 1);
    } else {
      return std::nullopt;
    }
    i = semicolon;
  }
  return decoded;
}

QString readRichText(GuardedXmlReader& xml) {
  const int depth = xml.depth();
  QString text;
  while (xml.readNextElement() && xml.depth() >= depth)
    if (xml.isStartOf(QLatin1String("t")))
      text += xml.readText();
    else if (xml.isStartOf(QLatin1String("rPh")))
      xml.skipElement();
  return decodeEscapes(text);
}

std::optional<QVector<QString>> parseSharedStrings(const QByteArray& xml) {
  GuardedXmlReader reader(xml, GuardedXmlReader::maxStringsElements);
  QVector<QString> strings;
  while (reader.readNextElement()) {
    if (reader.isStartOf(QLatin1String("sst"))) {
      // The declared count is a hint only; a hostile one must not reserve gigabytes.
      strings.reserve(qBound(0, reader.attribute(QLatin1String("uniqueCount")).toInt(), 1 << 20));
    } else if (reader.isStartOf(QLatin1String("si"))) {
      strings.append(readRichText(reader));
    }
  }
  if (reader.failed())
    return std::nullopt;
  return strings;
}

std::optional<QVector<bool>> parseDateStyles(const QByteArray& xml) {
  GuardedXmlReader reader(xml);
  QHash<int, bool> customFormats; // numFmtId -> shows a date
  QVector<bool> dateStyles;
  // Formats and cell formats are direct children of their lists; numFmt and xf also appear
  // in differential and cell-style formats, which cells do not refer to by "s".
  int numFmtsDepth = 0;
  int cellXfsDepth = 0;
  while (reader.readNextElement()) {
    if (reader.isStartOf(QLatin1String("numFmts"))) {
      numFmtsDepth = reader.depth();
    } else if (reader.isStartOf(QLatin1String("cellXfs"))) {
      cellXfsDepth = reader.depth();
    } else if (reader.isEndOf(QLatin1String("numFmts")) ||
               reader.isEndOf(QLatin1String("cellXfs"))) {
      numFmtsDepth = cellXfsDepth = 0;
    } else if (numFmtsDepth && reader.depth() == numFmtsDepth + 1 &&
               reader.isStartOf(QLatin1String("numFmt"))) {
      customFormats.insert(
          reader.attribute(QLatin1String("numFmtId")).toInt(),
          XlsxDates::isDateFormatCode(reader.attribute(QLatin1String("formatCode"))));
    } else if (cellXfsDepth && reader.depth() == cellXfsDepth + 1 &&
               reader.isStartOf(QLatin1String("xf"))) {
      const int formatId = reader.attribute(QLatin1String("numFmtId")).toInt();
      dateStyles.append(customFormats.value(formatId, XlsxDates::isBuiltInDateFormat(formatId)));
    }
  }
  if (reader.failed())
    return std::nullopt;
  return dateStyles;
}

} // namespace XlsxParts
