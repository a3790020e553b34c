#include "report/reportcontent.h"

#include "models/hardnesstext.h"
#include "models/measurementmodel.h"
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

ReportContent collectReport(const MeasurementModel& model,
                            const ToleranceLimits* limits,
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
  QStringList scales; // in the order of their first row
  QMap<QString, ScaleFigures> figures;
  int number = 0;
  for (const Measurement& meas : model.shownMeasures()) {
    ReportContent::Row row{++number, meas.dateTime(), meas.hardness(), meas.scale(), 0};
    row.side = limits ? limits->side(row.scale, row.hardness) : 0;
    ScaleFigures& ofScale = figures[row.scale];
    ofScale.scale = row.scale;
    if (row.hardness > 0.0)
      ofScale.values.add(row.hardness);
    else
      ++ofScale.invalid;
    if (row.side != 0)
      ++ofScale.outside;
    if (!scales.contains(row.scale))
      scales.append(row.scale);
    content.rows.append(row);
  }
  content.scales = figures.values();
  if (limits) {
    for (const QString& scale : scales) {
      const QString text = limitsText(*limits, scale);
      if (!text.isEmpty())
        content.limits.append(scale + QStringLiteral(": ") + text);
    }
  }
  return content;
}
