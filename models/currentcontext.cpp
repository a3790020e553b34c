#include "models/currentcontext.h"

#include <QSettings>
#include <QStringList>

#include "models/settingsfile.h"

namespace {

const char kGroup[] = "InspectionContext";

} // namespace

CurrentContext::CurrentContext(QObject* parent)
    : QObject(parent), m_settings(SettingsFile::open(this)) {
  m_settings->beginGroup(kGroup);
  m_context.part = m_settings->value(QStringLiteral("Part")).toString();
  m_context.lot = m_settings->value(QStringLiteral("Lot")).toString();
  m_context.inspector = m_settings->value(QStringLiteral("Operator")).toString();
  m_context.note = m_settings->value(QStringLiteral("Note")).toString();
  m_settings->endGroup();
}

void CurrentContext::setPart(const QString& part) {
  set(&InspectionContext::part, part);
}

void CurrentContext::setLot(const QString& lot) {
  set(&InspectionContext::lot, lot);
}

void CurrentContext::setInspector(const QString& inspector) {
  set(&InspectionContext::inspector, inspector);
}

void CurrentContext::setNote(const QString& note) {
  set(&InspectionContext::note, note);
}

void CurrentContext::set(QString InspectionContext::*field, const QString& text) {
  // Spaces around a typed name are no part of it, and would make two contexts of one.
  const QString value = text.simplified();
  if (m_context.*field == value)
    return;
  m_context.*field = value;
  m_settings->beginGroup(kGroup);
  m_settings->setValue(QStringLiteral("Part"), m_context.part);
  m_settings->setValue(QStringLiteral("Lot"), m_context.lot);
  m_settings->setValue(QStringLiteral("Operator"), m_context.inspector);
  m_settings->setValue(QStringLiteral("Note"), m_context.note);
  m_settings->endGroup();
  m_settings->sync();
  emit changed();
}

QString CurrentContext::summary() const {
  QStringList parts;
  if (!m_context.part.isEmpty())
    parts << tr("Деталь: %1").arg(m_context.part);
  if (!m_context.lot.isEmpty())
    parts << tr("Партия: %1").arg(m_context.lot);
  if (!m_context.inspector.isEmpty())
    parts << tr("Оператор: %1").arg(m_context.inspector);
  if (!m_context.note.isEmpty())
    parts << tr("Примечание: %1").arg(m_context.note);
  return parts.join(QStringLiteral("; "));
}
