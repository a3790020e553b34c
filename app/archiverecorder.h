#pragma once

#include <QObject>
#include <QPointer>

#include "device/device.h"

class Archive;
class CurrentContext;
class HistoryModel;
class JournalModel;
class SeriesModel;

// Keeps the archive up to date with the tester: every measurement that reaches the program is
// stored before it is shown, with the tester's identity and the context in force, and every
// write to the tester goes into the journal.
class ArchiveRecorder : public QObject {
  Q_OBJECT
  Q_PROPERTY(Device* device READ device WRITE setDevice NOTIFY deviceChanged)
  Q_PROPERTY(Archive* archive READ archive CONSTANT)
  Q_PROPERTY(CurrentContext* context READ context CONSTANT)
  // What the history window shows: the readings found, their series, the journal.
  Q_PROPERTY(HistoryModel* readings READ readings CONSTANT)
  Q_PROPERTY(SeriesModel* series READ series CONSTANT)
  Q_PROPERTY(JournalModel* journal READ journal CONSTANT)
  // Only a history on screen follows each reading stored: counting a large archive anew
  // for every live line would slow the line down.
  Q_PROPERTY(bool historyShown MEMBER m_historyShown NOTIFY historyShownChanged)

public:
  explicit ArchiveRecorder(QObject* parent = nullptr);
  ~ArchiveRecorder() override;

  Device* device() const { return m_device; }
  void setDevice(Device* device);
  Archive* archive() const { return m_archive; }
  CurrentContext* context() const { return m_context; }
  HistoryModel* readings() const { return m_readings; }
  SeriesModel* series() const { return m_series; }
  JournalModel* journal() const { return m_journal; }

  // The readings the history shows replace the table, as an opened workbook does; how many.
  Q_INVOKABLE int openShown();

  // The tester's memory may be cleared only when the archive holds every record of the last
  // memory read.
  Q_INVOKABLE bool memoryKept() const;
  Q_INVOKABLE int memoryCount() const;

signals:
  void deviceChanged();
  void historyShownChanged();

private:
  QPointer<Device> m_device;
  Archive* m_archive;
  CurrentContext* m_context;
  HistoryModel* m_readings;
  SeriesModel* m_series;
  JournalModel* m_journal;
  bool m_historyShown = false;
};
