#include "report/reportwriter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "models/hardnesstext.h"
#include "models/measurementmodel.h"

namespace {

QString pdfFilter() {
  return QStringLiteral("Отчёт PDF (*.pdf)");
}

QString csvFilter() {
  return QStringLiteral("Таблица CSV (*.csv)");
}

// Hardness for a spreadsheet: the value as measured, "." as decimal point whatever the locale.
QString csvHardness(double hardness) {
  return hardness > 0.0 ? HardnessText::ofNumber(hardness) : QStringLiteral("ERR");
}

// A field never carries the separator or a line break; a scale name is the tester's text.
QString csvField(QString text) {
  if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
      text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
  }
  return text;
}

} // namespace

ReportWriter::ReportWriter(QObject* parent) : QObject(parent) {}

void ReportWriter::setErrorString(const QString& text) {
  if (text == m_errorString)
    return;
  m_errorString = text;
  emit errorStringChanged();
}

bool ReportWriter::saveReport(MeasurementModel* model,
                              ToleranceLimits* limits,
                              const QString& deviceId,
                              const QString& filter,
                              const QVariant& chartImage) {
  setErrorString(QString());
  QString chosenFilter;
  QString fileName = QFileDialog::getSaveFileName(
      nullptr,
      QStringLiteral("Сохранить отчёт"),
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
      pdfFilter() + QStringLiteral(";;") + csvFilter(),
      &chosenFilter);
  if (fileName.isEmpty())
    return false;
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix != QLatin1String("pdf") && suffix != QLatin1String("csv"))
    fileName += chosenFilter == csvFilter() ? QStringLiteral(".csv") : QStringLiteral(".pdf");
  return writeReport(fileName, model, limits, deviceId, filter, chartImage);
}

bool ReportWriter::writeReport(const QString& fileName,
                               MeasurementModel* model,
                               ToleranceLimits* limits,
                               const QString& deviceId,
                               const QString& filter,
                               const QVariant& chartImage) {
  setErrorString(QString());
  if (!model) {
    setErrorString(tr("Нет списка измерений."));
    return false;
  }
  const ReportContent content = collectReport(
      *model, limits, deviceId, filter, chartImage.value<QImage>(), QDateTime::currentDateTime());
  QString error;
  const bool csv =
      QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
  const bool written =
      csv ? writeCsv(fileName, content, &error) : writePdf(fileName, content, &error);
  if (!written)
    setErrorString(error);
  return written;
}

bool ReportWriter::writeCsv(const QString& fileName, const ReportContent& content, QString* error) {
  QByteArray text("\xEF\xBB\xBF"); // spreadsheets take the file as UTF-8 only with the mark
  const QStringList header{tr("Дата"), tr("Время"), tr("Твёрдость"), tr("Шкала")};
  text += header.join(QLatin1Char(';')).toUtf8() + "\r\n";
  for (const ReportContent::Row& row : content.rows) {
    const QStringList fields{row.dateTime.date().toString(QStringLiteral("dd.MM.yyyy")),
                             row.dateTime.time().toString(QStringLiteral("hh:mm:ss")),
                             csvHardness(row.hardness),
                             csvField(row.scale)};
    text += fields.join(QLatin1Char(';')).toUtf8() + "\r\n";
  }
  // The old file stays whole until the new one is complete.
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    if (error)
      *error = file.errorString();
    return false;
  }
  return true;
}
