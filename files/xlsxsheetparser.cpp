#include "files/xlsxsheetparser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include <QStringList>
#include <QTextCodec>

#include "files/guardedxmlreader.h"
#include "files/xlsxdates.h"
#include "files/xlsxparts.h"
#include "formats/typednumber.h"

namespace {

enum class CellType { Number, SharedString, InlineString, FormulaString, Boolean, Error, Date };

template <typename Text> std::optional<CellType> cellType(const Text& t) {
  if (t.isEmpty() || t == QLatin1String("n"))
    return CellType::Number;
  if (t == QLatin1String("s"))
    return CellType::SharedString;
  if (t == QLatin1String("inlineStr"))
    return CellType::InlineString;
  if (t == QLatin1String("str"))
    return CellType::FormulaString;
  if (t == QLatin1String("b"))
    return CellType::Boolean;
  if (t == QLatin1String("e"))
    return CellType::Error;
  if (t == QLatin1String("d"))
    return CellType::Date;
  return std::nullopt;
}

class SheetReader {
public:
  SheetReader(const QByteArray& xml, const WorkbookContext& context, int lastColumn)
      : m_xml(xml, XlsxSheetParser::maxReaderElements), m_xmlSize(xml.size()), m_context(context),
        m_lastColumn(lastColumn) {}

  XlsxFailure failure() const { return m_failure; }

  std::optional<SheetCells> read() {
    if (m_xmlSize > XlsxSheetParser::maxReaderSize) {
      m_failure = XlsxFailure::UnusualLayout;
      return std::nullopt;
    }
    bool inSheetData = false;
    while (m_xml.readNextElement()) {
      if (m_xml.depth() == 1 && m_xml.isStartElement())
        rootPrefixes();
      if (m_xml.isStartOf(QLatin1String("sheetData"))) {
        inSheetData = true;
      } else if (m_xml.isEndOf(QLatin1String("sheetData"))) {
        inSheetData = false;
      } else if (!inSheetData) {
        continue;
      } else if (m_xml.isStartOf(QLatin1String("row"))) {
        startRow();
        if (m_failure != XlsxFailure::None)
          return std::nullopt;
      } else if (m_xml.isStartOf(QLatin1String("c")) && !readCell()) {
        return std::nullopt;
      }
    }
    if (m_xml.failed()) {
      m_failure = m_xml.tooLarge() ? XlsxFailure::UnusualLayout : XlsxFailure::Damaged;
      return std::nullopt;
    }
    return std::move(m_cells);
  }

  // The prefixes the root declares, for the scanner to accept attributes in them; none when
  // two share a namespace, as the same attribute under both would then be an error.
  const QStringList& prefixes() const { return m_prefixes; }
  void allowPrefixes(const QStringList& prefixes) { m_prefixes = prefixes; }

private:
  void rootPrefixes() {
    QStringList namespaces;
    for (const QXmlStreamNamespaceDeclaration& declaration : m_xml.namespaceDeclarations()) {
      if (namespaces.contains(declaration.namespaceUri().toString())) {
        m_prefixes.clear();
        return;
      }
      namespaces.append(declaration.namespaceUri().toString());
      if (!declaration.prefix().isEmpty())
        m_prefixes.append(declaration.prefix().toString());
    }
  }

  void startRow() { startRow(m_xml.attribute(QLatin1String("r"))); }

  // A row without its number follows the previous one. A number of any length saturates
  // past the sheet, so its cells are ignored instead of landing on another row.
  template <typename Text> void startRow(const Text& number) {
    // No program writes more rows than a sheet has: a sheet of more is refused at once.
    if (++m_rows > CellReference::maxRows)
      m_failure = XlsxFailure::TooLarge;
    if (number.isEmpty()) {
      m_row = std::min(m_row + 1, CellReference::maxRows + 1);
    } else {
      m_row = 0;
      for (const auto c : number) {
        const int digit = int(QChar(c).unicode()) - '0';
        if (digit < 0 || digit > 9) {
          m_row = CellReference::maxRows + 1;
          break;
        }
        m_row = std::min(m_row * 10 + digit, CellReference::maxRows + 1);
      }
    }
    m_column = 0;
  }

  // The place of the next cell: its reference, or the one after the previous cell.
  int placeCell(QLatin1String reference) {
    // A reference longer than "$XFD$1048576" names no place, whatever follows.
    char16_t text[13];
    const int length = std::min(reference.size(), 13);
    std::copy(reference.data(), reference.data() + length, text);
    return placeCell(QStringView(text, length));
  }
  int placeCell(const QStringView reference) {
    if (reference.isEmpty()) {
      m_column = std::min(m_column + 1, CellReference::maxColumns + 1);
      return m_row;
    }
    const CellReference place = CellReference::fromText(reference);
    // An impossible place is ignored, and so are the unnumbered cells after it.
    m_column = place.isValid() ? place.column : CellReference::maxColumns + 1;
    return place.row;
  }

  bool store(int row, const QVariant& value) {
    if (value.isValid()) {
      m_cells.set(row, m_column, value);
      if (m_cells.written() > XlsxSheetParser::maxCells) {
        m_failure = XlsxFailure::TooLarge;
        return false;
      }
    }
    return true;
  }

  // Inside the sheet and in a column asked for.
  bool isWanted(int row) const {
    return CellReference::isValid(row, m_column) && m_column <= m_lastColumn;
  }

  bool readCell() {
    const int row = placeCell(QStringView(m_xml.attribute(QLatin1String("r"))));
    // A cell outside the sheet or the columns read is skipped before anything of it is
    // converted or kept.
    if (!isWanted(row)) {
      m_xml.skipElement();
      return true;
    }
    const std::optional<CellType> type = cellType(m_xml.attribute(QLatin1String("t")));
    const int style = m_xml.attribute(QLatin1String("s")).toInt();

    QVariant value;
    const int depth = m_xml.depth();
    while (m_xml.readNextElement() && m_xml.depth() >= depth) {
      if (m_xml.isStartOf(QLatin1String("v"))) {
        const QString text = m_xml.readText();
        if (type)
          value = valueOf(*type, text, style);
      } else if (m_xml.isStartOf(QLatin1String("is"))) {
        const QString text = XlsxParts::readRichText(m_xml);
        if (type == CellType::InlineString)
          value = text;
      } else if (m_xml.isStartElement()) {
        m_xml.skipElement(); // the formula and extensions
      }
    }
    return store(row, value);
  }

public:
  enum class Scan { Done, Unsupported };

  // The sheet data as this program, openpyxl and spreadsheet programs write it, scanned
  // without the XML reader, which alone takes longer than the whole read should: rows, cells
  // with r, t and s, <v> values and <is><t> texts, the five entities and character
  // references. Anything else (formulas, rich text runs, prefixes, comments) is Unsupported,
  // and the XML reader reads the whole part instead.
  Scan scan(const char* p, const char* end) {
    bool inRow = false;
    int elements = 0;
    while (true) {
      p = skipSpace(p, end);
      if (p == end)
        return inRow ? Scan::Unsupported : Scan::Done;
      if (++elements > GuardedXmlReader::maxSheetElements) {
        m_failure = XlsxFailure::TooLarge;
        return Scan::Done;
      }
      if (*p != '<')
        return Scan::Unsupported;
      ++p;
      Tag tag;
      if (!inRow && isTag(p, end, "row")) {
        if (!readAttributes(p + 3, end, tag))
          return Scan::Unsupported;
        p = tag.next;
        startRow(tag.r);
        if (m_failure != XlsxFailure::None)
          return Scan::Done;
        inRow = !tag.selfClosing;
      } else if (inRow && startsWith(p, end, "/row>")) {
        p += 5;
        inRow = false;
      } else if (inRow && isTag(p, end, "c")) {
        if (!readAttributes(p + 1, end, tag) || !scanCell(tag, end, elements))
          return Scan::Unsupported;
        if (m_failure != XlsxFailure::None)
          return Scan::Done;
        p = tag.next;
      } else {
        return Scan::Unsupported;
      }
    }
  }

  std::optional<SheetCells> takeCells() {
    if (m_failure != XlsxFailure::None)
      return std::nullopt;
    return std::move(m_cells);
  }

private:
  struct Tag {
    QLatin1String r;
    QLatin1String t;
    QLatin1String s;
    bool selfClosing = false;
    const char* next = nullptr; // just past the tag
  };

  static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }
  static const char* skipSpace(const char* p, const char* end) {
    while (p != end && isSpace(*p))
      ++p;
    return p;
  }
  static bool startsWith(const char* p, const char* end, const char* text) {
    for (; *text; ++text, ++p)
      if (p == end || *p != *text)
        return false;
    return true;
  }
  // The name, followed by what may end a name in a tag.
  static bool isTag(const char* p, const char* end, const char* name) {
    const size_t length = std::strlen(name);
    return startsWith(p, end, name) && p + length != end &&
           (isSpace(p[length]) || p[length] == '>' || p[length] == '/');
  }

  // Attributes up to the end of the tag; r, t and s are kept. Prefixed ones must be xml:space
  // or in a prefix the root declares (spreadsheet programs put x14ac:dyDescent on rows).
  // Values with entities or line breaks are left to the XML reader.
  bool readAttributes(const char* p, const char* end, Tag& tag) const {
    bool seenR = false, seenT = false, seenS = false;
    while (true) {
      const char* before = p;
      p = skipSpace(p, end);
      if (p == end)
        return false;
      if (*p == '>') {
        tag.next = p + 1;
        return true;
      }
      if (*p == '/') {
        if (p + 1 == end || p[1] != '>')
          return false;
        tag.selfClosing = true;
        tag.next = p + 2;
        return true;
      }
      if (p == before)
        return false; // attributes are separated by white space
      const char* name = p;
      if (!std::isalpha(uchar(*p)) && *p != '_')
        return false; // a name starts with a letter; others are left to the reader
      while (p != end &&
             (std::isalnum(uchar(*p)) || *p == '_' || *p == '-' || *p == '.' || *p == ':'))
        ++p;
      const QLatin1String attribute(name, int(p - name));
      if (attribute.isEmpty() || !hasDeclaredPrefix(attribute))
        return false;
      p = skipSpace(p, end);
      if (p == end || *p != '=')
        return false;
      p = skipSpace(p + 1, end);
      if (p == end || (*p != '"' && *p != '\''))
        return false;
      const char quote = *p++;
      const char* value = p;
      while (p != end && *p != quote) {
        if (*p == '<' || *p == '&' || uchar(*p) < 0x20 || uchar(*p) >= 0x80)
          return false;
        ++p;
      }
      if (p == end)
        return false;
      const QLatin1String text(value, int(p - value));
      ++p;
      bool* seen = nullptr;
      if (attribute == QLatin1String("r")) {
        seen = &seenR;
        tag.r = text;
      } else if (attribute == QLatin1String("t")) {
        seen = &seenT;
        tag.t = text;
      } else if (attribute == QLatin1String("s")) {
        seen = &seenS;
        tag.s = text;
      }
      if (seen && *seen)
        return false; // a repeated attribute is an XML error
      if (seen)
        *seen = true;
    }
  }

  bool hasDeclaredPrefix(QLatin1String attribute) const {
    const int colon = attribute.indexOf(QLatin1Char(':'));
    if (colon < 0 || attribute == QLatin1String("xml:space"))
      return true;
    const QLatin1String local = attribute.mid(colon + 1);
    return !local.isEmpty() && !local.contains(QLatin1Char(':')) &&
           m_prefixes.contains(attribute.left(colon));
  }

  // Character data up to the next "<", decoded; nothing for what the XML reader would
  // refuse or normalise (a carriage return, a control character, "]]>", bad UTF-8, an
  // entity other than the five) so that the caller leaves it to the reader.
  static std::optional<QString> readCharacters(const char*& p, const char* end) {
    const char* start = p;
    bool plain = true;
    while (p != end && *p != '<') {
      const uchar c = uchar(*p);
      if (c < 0x20 && c != '\n' && c != '\t')
        return std::nullopt;
      if (c >= 0x80 || c == '&' || c == ']')
        plain = false;
      ++p;
    }
    if (p == end)
      return std::nullopt;
    if (plain)
      return QString::fromLatin1(start, int(p - start));
    const QByteArray bytes = QByteArray::fromRawData(start, int(p - start));
    if (bytes.contains("]]>"))
      return std::nullopt;
    QTextCodec::ConverterState state;
    const QString decoded =
        QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0)
      return std::nullopt;
    return XlsxParts::decodeEntities(decoded);
  }

  // From just past the cell's start tag to just past its end tag.
  bool scanCell(Tag& tag, const char* end, int& elements) {
    const int row = placeCell(tag.r);
    const bool inSheet = isWanted(row);
    std::optional<CellType> type;
    int style = 0;
    if (inSheet) {
      type = cellType(tag.t);
      style = QByteArray::fromRawData(tag.s.data(), tag.s.size()).toInt();
    }
    QVariant value;
    const char* p = tag.next;
    if (!tag.selfClosing) {
      while (true) {
        p = skipSpace(p, end);
        if (p == end || *p != '<')
          return false;
        ++p;
        ++elements;
        if (startsWith(p, end, "/c>")) {
          p += 3;
          --elements;
          break;
        }
        if (startsWith(p, end, "v/>")) {
          p += 3;
          if (inSheet && type)
            value = valueOf(*type, QString(), style);
        } else if (startsWith(p, end, "v>")) {
          p += 2;
          const std::optional<QString> text = readCharacters(p, end);
          if (!text || !startsWith(p, end, "</v>"))
            return false;
          p += 4;
          if (inSheet && type)
            value = valueOf(*type, *text, style);
        } else if (isTag(p, end, "f")) {
          // A formula: its value follows in <v>, so it is only checked and passed over.
          Tag formula;
          if (!readAttributes(p + 1, end, formula))
            return false;
          p = formula.next;
          if (!formula.selfClosing) {
            if (!readCharacters(p, end) || !startsWith(p, end, "</f>"))
              return false;
            p += 4;
          }
        } else if (startsWith(p, end, "is>")) {
          p = skipSpace(p + 3, end);
          Tag t;
          if (p == end || *p != '<' || !isTag(p + 1, end, "t") || !readAttributes(p + 2, end, t))
            return false;
          ++elements;
          p = t.next;
          QString text;
          if (!t.selfClosing) {
            const std::optional<QString> characters = readCharacters(p, end);
            if (!characters || !startsWith(p, end, "</t>"))
              return false;
            text = *characters;
            p += 4;
          }
          p = skipSpace(p, end);
          if (!startsWith(p, end, "</is>"))
            return false;
          p += 5;
          if (inSheet && type == CellType::InlineString)
            value = XlsxParts::decodeEscapes(text);
        } else {
          return false;
        }
      }
    }
    tag.next = p;
    return !inSheet || store(row, value);
  }

  QVariant valueOf(CellType type, const QString& text, int style) const {
    switch (type) {
    case CellType::Number:
      return number(text, style);
    case CellType::SharedString: {
      bool ok = false;
      const int index = text.toInt(&ok);
      return ok && index >= 0 && index < m_context.sharedStrings.size()
                 ? QVariant(m_context.sharedStrings.at(index))
                 : QVariant();
    }
    case CellType::FormulaString:
      return XlsxParts::decodeEscapes(text);
    case CellType::Boolean: {
      const QString flag = text.trimmed();
      if (flag == QLatin1String("1") || flag == QLatin1String("true"))
        return true;
      if (flag == QLatin1String("0") || flag == QLatin1String("false"))
        return false;
      return {};
    }
    case CellType::Error:
      return text;
    case CellType::Date: {
      const QDateTime dateTime = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
      return dateTime.isValid() ? QVariant(dateTime) : QVariant(text);
    }
    case CellType::InlineString:
      break;
    }
    return {};
  }

  QVariant number(const QString& text, int style) const {
    bool ok = false;
    double value = text.toDouble(&ok);
    if (!ok) {
      // Workbooks saved by a program that printed numbers in a decimal-comma locale.
      const std::optional<double> typed = TypedNumber::parse(text);
      ok = typed.has_value();
      value = typed.value_or(0.0);
    }
    if (!ok || !std::isfinite(value))
      return {};
    if (style >= 0 && style < m_context.dateStyles.size() && m_context.dateStyles.at(style)) {
      const QDateTime dateTime = XlsxDates::fromSerial(value, m_context.date1904);
      if (dateTime.isValid())
        return dateTime;
    }
    return value;
  }

  GuardedXmlReader m_xml;
  const int m_xmlSize;
  QStringList m_prefixes;
  const WorkbookContext& m_context;
  const int m_lastColumn;
  SheetCells m_cells;
  int m_rows = 0;
  int m_row = 0;
  int m_column = 0;
  XlsxFailure m_failure = XlsxFailure::None;
};

} // namespace

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
    SheetReader outside(rest, context, lastColumn);
    SheetReader inside(QByteArray(), context, lastColumn);
    std::optional<SheetCells> around = outside.read();
    if (outside.failure() == XlsxFailure::UnusualLayout) {
      if (failure)
        *failure = outside.failure();
      return std::nullopt;
    }
    inside.allowPrefixes(outside.prefixes());
    if (around && inside.scan(xml.constData() + start + open.size(), xml.constData() + stop) ==
                      SheetReader::Scan::Done) {
      if (failure)
        *failure = inside.failure();
      return inside.takeCells();
    }
  }
  return parseWithXmlReader(xml, context, failure, lastColumn);
}

std::optional<SheetCells> XlsxSheetParser::parseWithXmlReader(const QByteArray& xml,
                                                              const WorkbookContext& context,
                                                              XlsxFailure* failure,
                                                              int lastColumn) {
  SheetReader reader(xml, context, lastColumn);
  std::optional<SheetCells> cells = reader.read();
  if (failure)
    *failure = reader.failure();
  return cells;
}
