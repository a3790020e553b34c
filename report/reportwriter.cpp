#include "report/reportwriter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include "formats/measurement.h"
#include "models/hardnesstext.h"
#include "models/lastfolder.h"
#include "models/measurementstatistics.h"

namespace {

QString pdfFilter() {
  return ReportWriter::tr("Отчёт PDF (*.pdf)");
}

QString csvFilter() {
  return ReportWriter::tr("Таблица CSV (*.csv)");
}

// How spreadsheets of the interface's language read a CSV: Russian Excel and LibreOffice take
// ";" between fields and a decimal comma, English ones "," and a decimal point.
struct CsvConvention {
  QChar separator;
  QChar decimalPoint;
};

CsvConvention csvConvention() {
  // The catalogue in force names its language; untranslated, the interface is Russian.
  const QLocale language(ReportWriter::tr(
      "ru_RU", "the locale of this translation: CSV reports take their decimal point from it"));
  const QChar point =
      language.decimalPoint() == QLatin1Char(',') ? QLatin1Char(',') : QLatin1Char('.');
  return {point == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(','), point};
}

// Hardness as measured, in the convention's decimal point, without group separators.
QString csvHardness(double hardness, const CsvConvention& convention) {
  if (!Measurement::isResult(hardness))
    return QStringLiteral("ERR");
  return HardnessText::ofNumber(hardness).replace(QLatin1Char('.'), convention.decimalPoint);
}

// A field with the separator, a quote or a line break (a scale name is the tester's text) is
// quoted.
QString csvField(QString text, const CsvConvention& convention) {
  if (text.contains(convention.separator) || text.contains(QLatin1Char('"')) ||
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

bool ReportWriter::saveReport(MeasurementStatistics* statistics,
                              const QString& deviceId,
                              const QString& filter,
                              const QVariant& chartImage) {
  setErrorString(QString());
  QString chosenFilter;
  QString fileName = QFileDialog::getSaveFileName(nullptr,
                                                  tr("Сохранить отчёт"),
                                                  LastFolder::folder(LastFolder::ReportKey),
                                                  pdfFilter() + QStringLiteral(";;") + csvFilter(),
                                                  &chosenFilter);
  if (fileName.isEmpty())
    return false;
  LastFolder::remember(LastFolder::ReportKey, fileName);
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix != QLatin1String("pdf") && suffix != QLatin1String("csv"))
    fileName += chosenFilter == csvFilter() ? QStringLiteral(".csv") : QStringLiteral(".pdf");
  return writeReport(fileName, statistics, deviceId, filter, chartImage);
}

bool ReportWriter::writeReport(const QString& fileName,
                               MeasurementStatistics* statistics,
                               const QString& deviceId,
                               const QString& filter,
                               const QVariant& chartImage) {
  setErrorString(QString());
  if (!statistics || !statistics->model()) {
    setErrorString(tr("Нет списка измерений."));
    return false;
  }
  ReportContent content = collectReport(
      *statistics, deviceId, filter, chartImage.value<QImage>(), QDateTime::currentDateTime());
  content.context = m_context;
  QString error;
  const bool csv =
      QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
  const bool written =
      csv ? writeCsv(fileName, content, &error) : writePdf(fileName, content, &error);
  if (!written)
    setErrorString(error);
  return written;
}

QString ReportWriter::failedWrite(const QString& fileName, const QString& detail) {
  return tr("Не удалось записать файл «%1»: %2").arg(QDir::toNativeSeparators(fileName), detail);
}

bool ReportWriter::writeCsv(const QString& fileName, const ReportContent& content, QString* error) {
  const CsvConvention convention = csvConvention();
  const auto line = [&convention](const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields)
      quoted << csvField(field, convention);
    return quoted.join(convention.separator).toUtf8() + "\r\n";
  };
  QByteArray text("\xEF\xBB\xBF"); // spreadsheets take the file as UTF-8 only with the mark
  text += line({tr("Дата"), tr("Время"), tr("Твёрдость"), tr("Шкала")});
  for (const ReportContent::Row& row : content.rows) {
    text += line({row.dateTime.date().toString(QStringLiteral("dd.MM.yyyy")),
                  row.dateTime.time().toString(QStringLiteral("hh:mm:ss")),
                  csvHardness(row.hardness, convention),
                  row.scale});
  }
  // The old file stays whole until the new one is complete.
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    if (error)
      *error = failedWrite(fileName, file.errorString());
    return false;
  }
  return true;
}
