#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

// QXmlStreamReader under the limits every workbook part is read with: a document type
// declaration is an error (so no entity can be declared, let alone expanded), elements may
// not nest deeper than any real part needs, and their number is capped, which bounds the
// time a part made of nothing but tiny elements takes. Names are compared without their
// prefix, so "x:c" and "c" are the same element.
class GuardedXmlReader {
public:
  static constexpr int maxDepth = 64;
  // A full sheet of 1,048,576 measurement rows has about 9.5 million elements; its shared
  // strings, when a spreadsheet program re-saved it, two per row.
  static constexpr int maxSheetElements = 12000000;
  static constexpr int maxStringsElements = 4000000;
  // Relationships, the sheet list and the cell formats of real workbooks have far fewer.
  static constexpr int maxSmallPartElements = 1000000;

  explicit GuardedXmlReader(const QByteArray& data, int maxElements = maxSmallPartElements)
      : m_xml(data), m_maxElements(maxElements) {}

  // Moves to the next start or end element; false at the end of the document or on error.
  bool readNextElement();
  bool isStartElement() const { return m_xml.isStartElement(); }
  bool isEndElement() const { return m_xml.isEndElement(); }
  bool isStartOf(QLatin1String name) const { return isStartElement() && m_xml.name() == name; }
  bool isEndOf(QLatin1String name) const { return isEndElement() && m_xml.name() == name; }
  QStringRef name() const { return m_xml.name(); }
  // Valid until the next read: the copy of the attribute list shares the reader's own.
  QStringRef attribute(QLatin1String name) const { return m_xml.attributes().value(name); }
  QXmlStreamAttributes attributes() const { return m_xml.attributes(); }
  QXmlStreamNamespaceDeclarations namespaceDeclarations() const {
    return m_xml.namespaceDeclarations();
  }
  // Depth of the current element, 1 for the root.
  int depth() const { return m_depth; }

  // At a start element without child elements: its text, ending on its end element.
  QString readText();
  // At a start element: skips it and everything inside, ending on its end element.
  void skipElement();

  bool hasError() const { return m_xml.hasError(); }
  // Bad XML, or a document that ended without closing its root element.
  bool failed() const { return m_xml.hasError() || m_depth != 0; }
  // The failure was the element cap, not bad XML.
  bool tooLarge() const { return m_tooLarge; }

private:
  bool fail(const QString& message);

  QXmlStreamReader m_xml;
  int m_depth = 0;
  int m_elements = 0;
  int m_maxElements;
  bool m_tooLarge = false;
};
