#include "files/guardedxmlreader.h"

bool GuardedXmlReader::fail(const QString& message) {
  m_xml.raiseError(message);
  return false;
}

bool GuardedXmlReader::readNextElement() {
  while (!m_xml.atEnd()) {
    switch (m_xml.readNext()) {
    case QXmlStreamReader::DTD:
      return fail(QStringLiteral("Document type declarations are not accepted"));
    case QXmlStreamReader::EntityReference:
      return fail(QStringLiteral("Entity references are not accepted"));
    case QXmlStreamReader::StartElement:
      if (++m_depth > maxDepth)
        return fail(QStringLiteral("Elements nest too deep"));
      if (++m_elements > m_maxElements) {
        m_tooLarge = true;
        return fail(QStringLiteral("Too many elements"));
      }
      return true;
    case QXmlStreamReader::EndElement:
      --m_depth;
      return true;
    default:
      break;
    }
  }
  return false;
}

QString GuardedXmlReader::readText() {
  // An element inside is an error here: cell values and string pieces hold text only.
  const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
  if (!m_xml.hasError())
    --m_depth;
  return text;
}

void GuardedXmlReader::skipElement() {
  const int depth = m_depth;
  while (m_depth >= depth && readNextElement()) {
  }
}
