#pragma once

#include <QMetaType>
#include <QString>

#include "formats/scaleconstants.h"

// One of the tester's scale slots as the application mirrors it: the constants go to and come
// from the tester; the description stays with the application.
class Scale {
public:
  // A user slot whose constant A is exactly this value is free (not in use).
  static constexpr double FreeSlotA = 1.0;

  Scale() = default;

  // A standard scale (HRC, HB, HV): in use, name and description not editable.
  static Scale standard(const QString& name, const QString& description);
  // A free user slot as the application starts with it: "NON", hidden, A marking it free.
  static Scale freeUserSlot();

  bool isVisible() const { return m_isVisible; }
  void setIsVisible(bool isVisible) { m_isVisible = isVisible; }
  bool isReadOnly() const { return m_isReadOnly; }
  void setIsReadOnly(bool isReadOnly) { m_isReadOnly = isReadOnly; }
  bool enable() const { return m_enable; }
  void setEnable(bool enable) { m_enable = enable; }
  QString number() const { return m_number; }
  void setNumber(const QString& number) { m_number = number; }
  QString name() const { return m_constants.name; }
  void setName(const QString& name) { m_constants.name = name; }
  QString description() const { return m_description; }
  void setDescription(const QString& description) { m_description = description; }
  double a() const { return m_constants.a; }
  void setA(double a) { m_constants.a = a; }
  double b() const { return m_constants.b; }
  void setB(double b) { m_constants.b = b; }
  double c() const { return m_constants.c; }
  double min() const { return m_constants.min; }
  double max() const { return m_constants.max; }
  void setMax(double max) { m_constants.max = max; }
  qint8 type() const { return m_constants.type; }
  qint16 points() const { return m_constants.points; }
  // What goes to and comes from the tester's slot.
  const ScaleConstants& constants() const { return m_constants; }
  void setConstants(const ScaleConstants& constants) { m_constants = constants; }
  // Whether the constants and name are what the tester's slot holds, as last read from it.
  // A row that was never read, or whose record did not come, must not be written back.
  bool isRead() const { return m_isRead; }
  void setIsRead(bool isRead) { m_isRead = isRead; }

private:
  bool m_isVisible = true;
  bool m_isReadOnly = false;
  bool m_enable = false;
  QString m_number;
  QString m_description;
  ScaleConstants m_constants;
  bool m_isRead = false;
};

Q_DECLARE_METATYPE(Scale)
