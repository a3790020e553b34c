#include "files/sharedstrings.h"

#include <cstring>

#include "files/guardedxmlreader.h"
#include "files/xlsxparts.h"

namespace {

bool startsWith(const char* p, const char* end, const char* text) {
  const size_t length = std::strlen(text);
  return size_t(end - p) >= length && std::memcmp(p, text, length) == 0;
}

const char* skipSpace(const char* p, const char* end) {
  while (p != end && (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r'))
    ++p;
  return p;
}

// UTF-8 of characters XML allows (below 0x80 the caller checks).
bool isXmlUtf8(const uchar* p, const uchar* end) {
  while (p != end) {
    uint c = *p++;
    if (c < 0x80)
      continue;
    int more = 0;
    uint least = 0;
    if ((c & 0xe0) == 0xc0)
      c &= 0x1f, more = 1, least = 0x80;
    else if ((c & 0xf0) == 0xe0)
      c &= 0x0f, more = 2, least = 0x800;
    else if ((c & 0xf8) == 0xf0)
      c &= 0x07, more = 3, least = 0x10000;
    else
      return false;
    if (end - p < more)
      return false;
    for (; more > 0; --more, ++p) {
      if ((*p & 0xc0) != 0x80)
        return false;
      c = (c << 6) | (*p & 0x3f);
    }
    if (c < least || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff) || c == 0xfffe || c == 0xffff)
      return false;
  }
  return true;
}

// Unless the declaration names another encoding.
bool isUtf8(const QByteArray& head) {
  const QByteArray lower = head.toLower();
  const int encoding = lower.indexOf("encoding");
  return encoding < 0 || lower.indexOf("utf-8", encoding) == lower.indexOf('=', encoding) + 2;
}

QString decode(const char* text, int length, bool plain) {
  if (plain)
    return XlsxParts::decodeEscapes(QString::fromLatin1(text, length));
  return XlsxParts::decodeEscapes(
      XlsxParts::decodeEntities(QString::fromUtf8(text, length)).value_or(QString()));
}

} // namespace

std::optional<SharedStrings> SharedStrings::parse(QByteArray xml, XlsxFailure* failure) {
  // The strings go to the scanner when they are one run of <si> elements and the part has no
  // markup it leaves to the reader; the rest of the part must read without them.
  int start = -1;
  for (int at = xml.indexOf("<si"); at >= 0; at = xml.indexOf("<si", at + 3)) {
    const char next = at + 3 < xml.size() ? xml.at(at + 3) : '\0';
    if (next == '>' || next == '/' || next == ' ' || next == '\n' || next == '\t' || next == '\r') {
      start = at;
      break;
    }
  }
  const int stop = xml.lastIndexOf("</si>");
  // Inside, the scanner itself refuses anything else, so only the part around is searched.
  const QByteArray before = start >= 0 ? xml.left(start) : QByteArray();
  const QByteArray after = stop >= 0 ? xml.mid(stop + 5) : QByteArray();
  if (start >= 0 && stop > start && isUtf8(before) && !before.contains("<!") &&
      !after.contains("<!")) {
    const auto around = XlsxParts::parseSharedStrings(before + after);
    SharedStrings strings;
    strings.m_xml = std::move(xml);
    if (around && around->isEmpty() && strings.scan(start, stop + 5))
      return strings;
    xml = std::move(strings.m_xml);
  }
  if (xml.size() > maxReaderSize) {
    if (failure)
      *failure = XlsxFailure::UnusualLayout;
    return std::nullopt;
  }
  const auto read = XlsxParts::parseSharedStrings(xml);
  if (!read) {
    if (failure)
      *failure = XlsxFailure::Damaged;
    return std::nullopt;
  }
  SharedStrings strings;
  strings.m_strings = *read;
  return strings;
}

bool SharedStrings::scan(int start, int stop) {
  const char* const begin = m_xml.constData();
  const char* p = begin + start;
  const char* const end = begin + stop;
  // <si><t>text</t></si>, <t xml:space="preserve"> as Excel and LibreOffice write spaces, and
  // empty strings; anything else (runs, phonetic hints, prefixes) is left to the reader.
  static const char* const openings[] = {"<t>", "<t xml:space=\"preserve\">"};
  static const char* const empties[] = {"<t/>", "<t xml:space=\"preserve\"/>"};
  int elements = 0;
  while ((p = skipSpace(p, end)) != end) {
    // As many elements as the XML reader would be given, with <t> counted.
    if ((elements += 2) > GuardedXmlReader::maxStringsElements)
      return false;
    if (startsWith(p, end, "<si/>")) {
      m_spans.push_back({int(p - begin), 0, true});
      p += 5;
      continue;
    }
    if (!startsWith(p, end, "<si>"))
      return false;
    p = skipSpace(p + 4, end);
    Span span{int(p - begin), 0, true};
    bool matched = false;
    for (const char* empty : empties) {
      if (!matched && startsWith(p, end, empty)) {
        p += std::strlen(empty);
        matched = true;
      }
    }
    for (const char* opening : openings) {
      if (matched || !startsWith(p, end, opening))
        continue;
      p += std::strlen(opening);
      span.offset = int(p - begin);
      const auto* close = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
      if (!close)
        return false;
      // Without branches, so that the compiler checks many bytes at once.
      int control = 0;
      int special = 0;
      for (; p != close; ++p) {
        const uchar c = uchar(*p);
        control |= int(c < 0x20) & int(c != '\n') & int(c != '\t');
        special |= int(c >= 0x80) | int(c == '&') | int(c == ']');
      }
      if (control)
        return false; // the reader turns a carriage return into a line feed
      span.plain = !special;
      span.length = int(p - begin) - span.offset;
      if (!startsWith(p, end, "</t>"))
        return false;
      p += 4;
      matched = true;
    }
    if (!matched)
      return false;
    p = skipSpace(p, end);
    if (!startsWith(p, end, "</si>"))
      return false;
    p += 5;
    if (!span.plain) {
      const char* text = begin + span.offset;
      const QByteArray bytes = QByteArray::fromRawData(text, span.length);
      if (bytes.contains("]]>") ||
          !isXmlUtf8(reinterpret_cast<const uchar*>(text),
                     reinterpret_cast<const uchar*>(text) + span.length) ||
          (bytes.contains('&') && !XlsxParts::decodeEntities(QString::fromUtf8(bytes)).has_value()))
        return false;
    }
    m_spans.push_back(span);
  }
  return true;
}

QString SharedStrings::at(int index) const {
  if (m_spans.empty())
    return m_strings.at(index);
  if (m_decoded.empty()) {
    m_strings.resize(int(m_spans.size()));
    m_decoded.resize(m_spans.size());
  }
  if (!m_decoded[size_t(index)]) {
    const Span& span = m_spans[size_t(index)];
    m_strings[index] = decode(m_xml.constData() + span.offset, span.length, span.plain);
    m_decoded[size_t(index)] = true;
  }
  return m_strings.at(index);
}
