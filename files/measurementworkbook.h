#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "formats/measurement.h"

// The measurement workbook: one sheet "Измерения" (translated in the context
// "MeasurementModel"), no header; row r holds in A the date-time as the text
// "hh:mm:ss dd.MM.yy", in B the hardness as a number and in C the scale as a text. A workbook
// saved from an empty list holds only the marker "YO" in A1.
//
// A first row whose A is exactly the text "YO" and whose B and C are empty is that marker,
// not a measurement: reading starts below it. A record without a valid date-time is saved
// with "ERR" in A, so that it does not end the list when read back; a hardness that is not
// finite is left out of B (read back as 0.0). A date cell (a number in a date format, as a
// spreadsheet program leaves a typed date) is read as that date, to the second.

// Opening accepts the sheet under the current translation of its name, under "Измерения" and
// under the English "Measurements", so a workbook saved in either language opens in both. A
// hardness stored as text may have a decimal comma ("52,25").
//
// Failures come with a message for the user (translated in the context "MeasurementModel").

// Writes the sheet "Измерения" (translated with QCoreApplication::translate("MeasurementModel",
// "Измерения")): "YO" in A1, then for each row r=1..n: A(r) date text "hh:mm:ss dd.MM.yy"
// (TesterTime::format), B(r) hardness as a number, C(r) scale as text. An existing file is
// replaced only once the whole workbook is written.
bool writeMeasurementWorkbook(const QString& fileName,
                              const QList<Measurement>& rows,
                              QString* failure = nullptr);

// The rows of that sheet (A read with TesterTime::parse, B as number (0.0 when empty or not a
// number), C as text, frequency 0.0, averaging 1.0), stopping at the first empty A; nothing
// when the file is missing, unreadable, not a workbook, damaged, too large or has no such
// sheet.
std::optional<QList<Measurement>> readMeasurementWorkbook(const QString& fileName,
                                                          QString* failure = nullptr);
