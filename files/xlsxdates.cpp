#include "files/xlsxdates.h"

#include <cmath>

#include "formats/testertime.h"

namespace XlsxDates {
namespace {

bool isElapsedTime(QStringView inside) {
  if (inside.isEmpty())
    return false;
  const QChar unit = inside[0].toLower();
  if (unit != u'h' && unit != u'm' && unit != u's')
    return false;
  for (const QChar c : inside)
    if (c.toLower() != unit)
      return false;
  return true;
}

} // namespace

bool isBuiltInDateFormat(int formatId) {
  // 14-22 in every locale; 27-36 and 50-58 are the East Asian date formats; 45-47 times.
  return (formatId >= 14 && formatId <= 22) || (formatId >= 27 && formatId <= 36) ||
         (formatId >= 45 && formatId <= 47) || (formatId >= 50 && formatId <= 58);
}

bool isDateFormatCode(QStringView code) {
  for (int i = 0; i < code.size(); ++i) {
    const QChar c = code[i].toLower();
    if (c == u';') {
      // The first section (positive numbers) decides, as spreadsheet programs do.
      return false;
    }
    if (c == u'"') {
      while (++i < code.size() && code[i] != u'"') {
      }
    } else if (c == u'\\' || c == u'_' || c == u'*') {
      ++i; // an escaped, spacing or fill character
    } else if (c == u'[') {
      const int close = int(code.indexOf(u']', i));
      if (close < 0)
        return false;
      // [h], [mm], [ss]: elapsed time, a duration; [Red], [$-419], [>100]: no date part.
      if (isElapsedTime(code.mid(i + 1, close - i - 1)))
        return false;
      i = close;
    } else if (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's') {
      return true;
    }
  }
  return false;
}

QDateTime fromSerial(double serial, bool date1904) {
  // 2958466 is 1 January 10000 in the 1900 system; a little less in the 1904 one.
  if (!std::isfinite(serial) || serial < 0.0 || serial >= 2958466.0)
    return {};
  qint64 days = qint64(std::floor(serial));
  qint64 msecs = std::llround((serial - double(days)) * 86400000.0);
  if (msecs >= 86400000) {
    ++days;
    msecs -= 86400000;
  }
  QDate date;
  if (date1904)
    date = QDate(1904, 1, 1).addDays(days);
  else if (days < 60)
    date = QDate(1899, 12, 31).addDays(days);
  else if (days > 60)
    date = QDate(1899, 12, 30).addDays(days);
  if (!date.isValid() || date.year() > 9999)
    return {};
  // A wall-clock time, also one that a daylight-saving gap of this computer skips.
  return TesterTime::wallClock(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

} // namespace XlsxDates
