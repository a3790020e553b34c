#pragma once

#include <initializer_list>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QVector>

#include "files/xlsxfailure.h"

// The shared strings of a workbook, by the index cells give. A part as spreadsheet programs
// write it (each string one plain <t>) is checked when read but kept as its bytes, each
// string decoded when a cell first asks for it: a large table that the columns read hardly
// use costs little more than its inflation. Any other layout goes to the XML reader, which
// is given at most maxReaderSize of it.
class SharedStrings {
public:
  // The XML reader reads about 30 MB a second and holds the whole table decoded.
  static constexpr int maxReaderSize = 16 * 1024 * 1024;

  SharedStrings() = default;
  SharedStrings(std::initializer_list<QString> strings) : m_strings(strings) {}

  // Nothing when the part is not well-formed, or too large for the layout it is written in.
  static std::optional<SharedStrings> parse(QByteArray xml, XlsxFailure* failure = nullptr);

  void append(const QString& text) { m_strings.append(text); }
  int size() const { return m_spans.empty() ? m_strings.size() : int(m_spans.size()); }
  // The string at index, which must be below size().
  QString at(int index) const;

private:
  // The text of one string in m_xml: ASCII without entities when plain.
  struct Span {
    int offset;
    int length;
    bool plain;
  };

  bool scan(int start, int stop);

  QByteArray m_xml;
  std::vector<Span> m_spans;
  // Every string when read by the XML reader; else those of m_spans decoded so far.
  mutable QVector<QString> m_strings;
  mutable std::vector<bool> m_decoded;
};
