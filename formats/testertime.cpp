#include "formats/testertime.h"

#include <algorithm>
#include <limits>
#include <optional>

#include <QHash>

namespace TesterTime {
namespace {

const QString shortPattern = QStringLiteral("hh:mm:ss dd.MM.yy");

// Digit by digit: QDateTime::fromString costs tens of microseconds, too much for 100,000
// records, and it reads a two-digit year as 19yy, which loses 29 February 2000. Nothing for
// a text of another shape; an invalid date-time for one of this shape with impossible fields.
std::optional<QDateTime> parseExact(const QString& text, bool allowLongYear) {
  static const QLatin1String shortShape("00:00:00 00.00.00");
  static const QLatin1String longShape("00:00:00 00.00.0000");
  const bool longYear = text.size() == longShape.size();
  if (text.size() != shortShape.size() && !(allowLongYear && longYear))
    return std::nullopt;
  const QLatin1String shape = longYear ? longShape : shortShape;
  int fields[6] = {};
  for (int i = 0; i < shape.size(); ++i) {
    const ushort c = text[i].unicode();
    const int field = std::min(i / 3, 5);
    if (shape[i] != QLatin1Char('0')) {
      if (c != ushort(shape[i].unicode()))
        return std::nullopt;
    } else if (c >= '0' && c <= '9') {
      fields[field] = fields[field] * 10 + (c - '0');
    } else {
      return std::nullopt;
    }
  }
  const QDate date(longYear ? fields[5] : 2000 + fields[5], fields[4], fields[3]);
  const QTime time(fields[0], fields[1], fields[2]);
  return date.isValid() && time.isValid() ? wallClock(date, time) : QDateTime();
}

// Other shapes the general parsers still accept ("4:05:09 21.03.24"); a two-digit year
// means 2000 to 2099. Date and time apart, so that a time inside a gap is not lost.
QDateTime parseLoose(const QString& text) {
  const int space = text.indexOf(QLatin1Char(' '));
  if (space < 0)
    return {};
  const QTime time = QTime::fromString(text.left(space), QStringLiteral("hh:mm:ss"));
  const QString dayPart = text.mid(space + 1);
  QDate date = QDate::fromString(dayPart, QStringLiteral("dd.MM.yy"));
  if (date.isValid() && date.year() < 2000)
    date = date.addYears(100);
  if (!date.isValid())
    date = QDate::fromString(dayPart, QStringLiteral("dd.MM.yyyy"));
  return date.isValid() && time.isValid() ? wallClock(date, time) : QDateTime();
}

// One stamp at a time through the C library: a local QDateTime asks it for the time zone,
// which costs microseconds per stamp (it looks at the zone file each time).
QDateTime slowWallClock(const QDate& date, const QTime& time) {
  const QDateTime local(date, time);
  if (local.isValid())
    return local;
  // Inside a gap: the offset of the day before, which is the one the gap skips from.
  return QDateTime(
      date, time, Qt::OffsetFromUTC, QDateTime(date.addDays(-1), time).offsetFromUtc());
}

// The local offset from UTC that holds through a whole hour of a day, found once per hour: a
// memory read or a workbook of 100,000 stamps then asks the C library a few hundred times.
// Nothing for an hour in which the offset changes, or which a gap cuts.
std::optional<int> hourOffset(const QDate& date, int hour) {
  thread_local QHash<qint64, int> offsets;
  constexpr int changes = std::numeric_limits<int>::min();
  const qint64 key = date.toJulianDay() * 24 + hour;
  auto found = offsets.constFind(key);
  if (found == offsets.cend()) {
    if (offsets.size() > 100000)
      offsets.clear();
    const QDateTime first(date, QTime(hour, 0, 0));
    const QDateTime last(date, QTime(hour, 59, 59));
    const bool steady =
        first.isValid() && last.isValid() && first.offsetFromUtc() == last.offsetFromUtc();
    found = offsets.insert(key, steady ? first.offsetFromUtc() : changes);
  }
  if (*found == changes)
    return std::nullopt;
  return *found;
}

} // namespace

QDateTime parse(const QString& text) {
  if (const std::optional<QDateTime> exact = parseExact(text, /*allowLongYear=*/true))
    return *exact;
  return parseLoose(text);
}

QDateTime parseShort(const QString& text) {
  return parseExact(text, /*allowLongYear=*/false).value_or(QDateTime());
}

QString format(const QDateTime& dateTime) {
  if (!dateTime.isValid())
    return {};
  // Digit by digit, as the parser reads: a save formats every row's stamp.
  int year = 0, month = 0, day = 0;
  dateTime.date().getDate(&year, &month, &day);
  if (year < 0)
    return dateTime.toString(shortPattern);
  const QTime time = dateTime.time();
  const int fields[] = {time.hour(), time.minute(), time.second(), day, month, year % 100};
  static const char separators[] = {':', ':', ' ', '.', '.'};
  QString text(17, Qt::Uninitialized);
  QChar* out = text.data();
  for (int i = 0; i < 6; ++i) {
    *out++ = QLatin1Char(char('0' + fields[i] / 10));
    *out++ = QLatin1Char(char('0' + fields[i] % 10));
    if (i < 5)
      *out++ = QLatin1Char(separators[i]);
  }
  return text;
}

QDateTime wallClock(const QDate& date, const QTime& time) {
  if (!date.isValid() || !time.isValid())
    return {};
  if (const std::optional<int> offset = hourOffset(date, time.hour()))
    return QDateTime(date, time, Qt::OffsetFromUTC, *offset);
  return slowWallClock(date, time);
}

} // namespace TesterTime
