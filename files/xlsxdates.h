#pragma once

#include <QDateTime>
#include <QStringView>

// Spreadsheets store a date as a number of days (the serial date) and tell it apart from a
// plain number only by the cell's number format. These decide which formats show dates and
// turn serial dates back into date-times.
namespace XlsxDates {

// Built-in format numbers that show a date or a time (those of every locale).
bool isBuiltInDateFormat(int formatId);

// A format code such as "dd.mm.yyyy hh:mm" shows a date; "0.00", "General" or an elapsed
// time ("[h]:mm", a duration rather than a moment) do not.
bool isDateFormatCode(QStringView code);

// Local date-time of a serial date, to the millisecond. In the 1900 system day 1 is
// 1 January 1900 and day 60 is the 29 February 1900 that never was (kept by the format for
// compatibility; it gives an invalid date-time); in the 1904 system day 0 is 1 January 1904.
// Negative serials and those past 9999 are invalid.
QDateTime fromSerial(double serial, bool date1904);

} // namespace XlsxDates
