#pragma once

#include <QObject>
#include <QString>

#include "archive/archive.h"

class QSettings;

// The inspection context in force: the part, the lot, the operator and a note that every
// measurement received is archived with. Kept in the settings file until changed, so it
// outlives a restart.
class CurrentContext : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString part READ part WRITE setPart NOTIFY changed)
  Q_PROPERTY(QString lot READ lot WRITE setLot NOTIFY changed)
  Q_PROPERTY(QString inspector READ inspector WRITE setInspector NOTIFY changed)
  Q_PROPERTY(QString note READ note WRITE setNote NOTIFY changed)
  // One line for the report's header and the window: the fields that are set.
  Q_PROPERTY(QString summary READ summary NOTIFY changed)

public:
  explicit CurrentContext(QObject* parent = nullptr);

  QString part() const { return m_context.part; }
  QString lot() const { return m_context.lot; }
  QString inspector() const { return m_context.inspector; }
  QString note() const { return m_context.note; }
  void setPart(const QString& part);
  void setLot(const QString& lot);
  void setInspector(const QString& inspector);
  void setNote(const QString& note);
  QString summary() const;

  const InspectionContext& value() const { return m_context; }

signals:
  void changed();

private:
  void set(QString InspectionContext::*field, const QString& text);

  InspectionContext m_context;
  QSettings* m_settings = nullptr;
};
