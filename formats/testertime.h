#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The tester's time stamp "hh:mm:ss dd.MM.yy" (two-digit years are 2000 to 2099), as the
// tester writes it on the line and as the workbooks store it.
//
// The tester's clock is a plain wall clock: it knows no daylight-saving time. A stamp that
// falls into a gap of the computer's time zone (02:30 on the morning the clocks go forward)
// is kept with the offset in force before the gap, so its fields read back unchanged.
namespace TesterTime {

// "hh:mm:ss dd.MM.yy" (2000 to 2099) or "hh:mm:ss dd.MM.yyyy"; an invalid date-time for
// any other text.
QDateTime parse(const QString& text);

// Exactly "hh:mm:ss dd.MM.yy", every digit in place; an invalid date-time otherwise.
QDateTime parseShort(const QString& text);

// "hh:mm:ss dd.MM.yy" of the date-time's own fields; empty for an invalid one.
QString format(const QDateTime& dateTime);

// The local date-time of a wall-clock reading, kept also inside a daylight-saving gap. It
// carries its offset from UTC (Qt::OffsetFromUTC): the same moment as the local date-time,
// without asking the C library for the time zone at every stamp.
QDateTime wallClock(const QDate& date, const QTime& time);

} // namespace TesterTime
