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
  // A sheet of 100,000 measurement rows has about 900,000 elements.
  static constexpr int maxElements = 4000000;

  explicit GuardedXmlReader(const QByteArray& data) : m_xml(data) {}

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
  // Depth of the current element, 1 for the root.
  int depth() const { return m_depth; }

  // At a start element without child elements: its text, ending on its end element.
  QString readText();
  // At a start element: skips it and everything inside, ending on its end element.
  void skipElement();

  bool hasError() const { return m_xml.hasError(); }
  // Bad XML, or a document that ended without closing its root element.
  bool failed() const { return m_xml.hasError() || m_depth != 0; }

private:
  bool fail(const QString& message);

  QXmlStreamReader m_xml;
  int m_depth = 0;
  int m_elements = 0;
};
