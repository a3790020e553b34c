#include "files/plainsheetscan.h"

#include <cctype>
#include <cstring>
#include <optional>

#include <QByteArray>
#include <QTextCodec>

#include "files/guardedxmlreader.h"
#include "files/xlsxparts.h"

namespace PlainSheetScan {
namespace {

// All inline, so that the compiler folds them into the scan loop, which a large sheet spends
// nearly all its read in: called, they cost the scan a sixth of its speed.

inline bool isSpace(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}
inline const char* skipSpace(const char* p, const char* end) {
  while (p != end && isSpace(*p))
    ++p;
  return p;
}
inline bool startsWith(const char* p, const char* end, const char* text) {
  for (; *text; ++text, ++p)
    if (p == end || *p != *text)
      return false;
  return true;
}
// The name, followed by what may end a name in a tag.
inline bool isTag(const char* p, const char* end, const char* name) {
  const size_t length = std::strlen(name);
  return startsWith(p, end, name) && p + length != end &&
         (isSpace(p[length]) || p[length] == '>' || p[length] == '/');
}

// Character data up to the next "<", decoded; nothing for what the XML reader would
// refuse or normalise (a carriage return, a control character, "]]>", bad UTF-8, an
// entity other than the five) so that the caller leaves it to the reader.
inline std::optional<QString> readCharacters(const char*& p, const char* end) {
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

// In this file alone, so that its steps, called once each, fold into the scan loop too.
class Scanner {
public:
  Scanner(SheetPlacement& placement, const CellValues& values, const QStringList& prefixes)
      : m_placement(placement), m_values(values), m_prefixes(prefixes) {}

  Result scan(const char* p, const char* end);

private:
  struct Tag {
    QLatin1String r;
    QLatin1String t;
    QLatin1String s;
    bool selfClosing = false;
    const char* next = nullptr; // just past the tag
  };

  bool readAttributes(const char* p, const char* end, Tag& tag) const;
  bool hasDeclaredPrefix(QLatin1String attribute) const;
  bool scanCell(Tag& tag, const char* end, int& elements);

  SheetPlacement& m_placement;
  const CellValues& m_values;
  const QStringList& m_prefixes;
};

inline Result Scanner::scan(const char* p, const char* end) {
  bool inRow = false;
  int elements = 0;
  while (true) {
    p = skipSpace(p, end);
    if (p == end)
      return inRow ? Result::Unsupported : Result::Done;
    if (++elements > GuardedXmlReader::maxSheetElements) {
      m_placement.fail(XlsxFailure::TooLarge);
      return Result::Done;
    }
    if (*p != '<')
      return Result::Unsupported;
    ++p;
    Tag tag;
    if (!inRow && isTag(p, end, "row")) {
      if (!readAttributes(p + 3, end, tag))
        return Result::Unsupported;
      p = tag.next;
      m_placement.startRow(tag.r);
      if (m_placement.failed())
        return Result::Done;
      inRow = !tag.selfClosing;
    } else if (inRow && startsWith(p, end, "/row>")) {
      p += 5;
      inRow = false;
    } else if (inRow && isTag(p, end, "c")) {
      if (!readAttributes(p + 1, end, tag) || !scanCell(tag, end, elements))
        return Result::Unsupported;
      if (m_placement.failed())
        return Result::Done;
      p = tag.next;
    } else {
      return Result::Unsupported;
    }
  }
}

// Attributes up to the end of the tag; r, t and s are kept. Prefixed ones must be xml:space
// or in a prefix the root declares (spreadsheet programs put x14ac:dyDescent on rows).
// Values with entities or line breaks are left to the XML reader.
inline bool Scanner::readAttributes(const char* p, const char* end, Tag& tag) const {
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

inline bool Scanner::hasDeclaredPrefix(QLatin1String attribute) const {
  const int colon = attribute.indexOf(QLatin1Char(':'));
  if (colon < 0 || attribute == QLatin1String("xml:space"))
    return true;
  const QLatin1String local = attribute.mid(colon + 1);
  return !local.isEmpty() && !local.contains(QLatin1Char(':')) &&
         m_prefixes.contains(attribute.left(colon));
}

// From just past the cell's start tag to just past its end tag.
inline bool Scanner::scanCell(Tag& tag, const char* end, int& elements) {
  const int row = m_placement.placeCell(tag.r);
  const bool inSheet = m_placement.isWanted(row);
  std::optional<CellValues::Type> type;
  int style = 0;
  if (inSheet) {
    type = CellValues::typeOf(tag.t);
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
          value = m_values.valueOf(*type, QString(), style);
      } else if (startsWith(p, end, "v>")) {
        p += 2;
        const std::optional<QString> text = readCharacters(p, end);
        if (!text || !startsWith(p, end, "</v>"))
          return false;
        p += 4;
        if (inSheet && type)
          value = m_values.valueOf(*type, *text, style);
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
        if (inSheet && type == CellValues::Type::InlineString)
          value = XlsxParts::decodeEscapes(text);
      } else {
        return false;
      }
    }
  }
  tag.next = p;
  return !inSheet || m_placement.store(row, value);
}

} // namespace

Result scan(const char* begin,
            const char* end,
            SheetPlacement& placement,
            const CellValues& values,
            const QStringList& prefixes) {
  return Scanner(placement, values, prefixes).scan(begin, end);
}

} // namespace PlainSheetScan
