#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "models/runningstatistics.h"

class MeasurementStatistics;
class ToleranceLimits;

// What an inspection report holds, gathered once from the list as it is shown, so the PDF and
// the CSV say the same.
struct ReportContent {
  struct Row {
    int number = 0; // as the list numbers it, from 1
    QDateTime dateTime;
    double hardness = 0.0;
    QString scale;
    int side = 0; // against its scale's limits: -1 below, 1 above, 0 inside
  };

  QDateTime created;
  QString deviceId;
  QString filter; // the scale filter in force, as the list's drop-down shows it
  QString context; // the inspection context in force ("Деталь: …; Партия: …"), or empty
  QList<Row> rows;
  QList<ScaleFigures> scales; // one a scale of the rows, by scale name, as the panel has them
  QStringList limits;         // one text a scale that has limits, for example "HRC: 45.5 … 60"
  QImage chart;
};

// Every shown row of the statistics' model, ticked or not, with the statistics' figures of
// those rows and the limits of their scales.
ReportContent collectReport(const MeasurementStatistics& statistics,
                            const QString& deviceId,
                            const QString& filter,
                            const QImage& chart,
                            const QDateTime& created);

// "45.5 … 60", "≥ 45.5" or "≤ 60" for a scale's limits; empty when it has none.
QString limitsText(const ToleranceLimits& limits, const QString& scale);
