#include "report/reportcontent.h"

#include "models/hardnesstext.h"
#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/tolerancelimits.h"

QString limitsText(const ToleranceLimits& limits, const QString& scale) {
  const bool lower = limits.hasLower(scale);
  const bool upper = limits.hasUpper(scale);
  if (lower && upper)
    return limits.lowerText(scale) + QStringLiteral(" … ") + limits.upperText(scale);
  if (lower)
    return QStringLiteral("≥ ") + limits.lowerText(scale);
  if (upper)
    return QStringLiteral("≤ ") + limits.upperText(scale);
  return QString();
}

ReportContent collectReport(const MeasurementStatistics& statistics,
                            const QString& deviceId,
                            const QString& filter,
                            const QImage& chart,
                            const QDateTime& created) {
  ReportContent content;
  content.created = created;
  // The identity comes as the tester's line, line feed and all.
  content.deviceId = deviceId.simplified();
  content.filter = filter;
  content.chart = chart;
  content.scales = statistics.shownScaleFigures();
  const ToleranceLimits* limits = statistics.limits();
  QStringList scales; // in the order of their first row
  const MeasurementModel* model = statistics.model();
  int number = 0;
  for (const Measurement& meas : model ? model->shownMeasures() : QList<Measurement>()) {
    ReportContent::Row row{++number, meas.dateTime(), meas.hardness(), meas.scale(), 0};
    row.side = limits ? limits->side(row.scale, row.hardness) : 0;
    if (!scales.contains(row.scale))
      scales.append(row.scale);
    content.rows.append(row);
  }
  if (limits) {
    for (const QString& scale : scales) {
      const QString text = limitsText(*limits, scale);
      if (!text.isEmpty())
        content.limits.append(scale + QStringLiteral(": ") + text);
    }
  }
  return content;
}
