#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include "report/reportcontent.h"

class MeasurementStatistics;

// Writes the inspection report of the measurement list that the statistics cover (with their
// figures and limits): an A4 PDF for people, a CSV for spreadsheets. Reports results only; the
// interface shows them.
class ReportWriter : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString errorString READ errorString NOTIFY errorStringChanged)
  // The inspection context the report's header names; empty for none.
  Q_PROPERTY(QString context MEMBER m_context NOTIFY contextChanged)

public:
  explicit ReportWriter(QObject* parent = nullptr);

  // Asks for a file in the documents folder and writes the report there, PDF or CSV by the
  // filter chosen. False when cancelled (errorString empty) or when writing failed.
  Q_INVOKABLE bool saveReport(MeasurementStatistics* statistics,
                              const QString& deviceId,
                              const QString& filter,
                              const QVariant& chartImage);
  // The same without the dialog: the file's suffix (.pdf or .csv) chooses the kind.
  Q_INVOKABLE bool writeReport(const QString& fileName,
                               MeasurementStatistics* statistics,
                               const QString& deviceId,
                               const QString& filter,
                               const QVariant& chartImage);

  QString errorString() const { return m_errorString; }

  // The two kinds, usable without an object.
  static bool writeCsv(const QString& fileName, const ReportContent& content, QString* error);
  static bool writePdf(const QString& fileName, const ReportContent& content, QString* error);

signals:
  void errorStringChanged();
  void contextChanged();

private:
  void setErrorString(const QString& text);
  // Our own sentence in the interface's language, the system's detail after it.
  static QString failedWrite(const QString& fileName, const QString& detail);

  QString m_errorString;
  QString m_context;
};
