#include "device/lineformat.h"

#include <algorithm>

namespace LineFormat {

namespace {

const QString kDateTimePattern = QStringLiteral("hh:mm:ss dd.MM.yy");
const QString kLongYearPattern = QStringLiteral("hh:mm:ss dd.MM.yyyy");

// Reads "hh:mm:ss dd.MM.yy" (2000 to 2099) or, when allowed, "hh:mm:ss dd.MM.yyyy" with
// every digit in place, as the tester writes them; nothing for any other shape. Digit by
// digit: QDateTime::fromString costs tens of microseconds, too much for 100,000 records,
// and it reads a two-digit year as 19yy, which loses 29 February 2000.
std::optional<QDateTime> parseExactDateTime(const QString& text, bool allowLongYear) {
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
  return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

// Other shapes the general parser still accepts; a two-digit year means 2000 to 2099.
QDateTime parseLooseDateTime(const QString& text) {
  const QDateTime shortYear = QDateTime::fromString(text, kDateTimePattern);
  if (shortYear.isValid())
    return shortYear.date().year() < 2000 ? shortYear.addYears(100) : shortYear;
  return QDateTime::fromString(text, kLongYearPattern);
}

// Signed base-10 integer of a field; 0 when it is none.
qint64 toInteger(const QString& field) {
  bool ok = false;
  const qint64 value = field.trimmed().toLongLong(&ok, 10);
  return ok ? value : 0;
}

// The date-time of a live line: the first field up to its last space (the tester puts a
// word after the time stamp).
QDateTime liveDateTime(const QString& field) {
  const int lastSpace = field.lastIndexOf(QLatin1Char(' '));
  return parseDeviceDateTime(lastSpace < 0 ? QString() : field.left(lastSpace));
}

} // namespace

QString decode(const QByteArray& line) {
  const int zero = line.indexOf('\0');
  return QString::fromUtf8(line.constData(), zero < 0 ? line.size() : zero);
}

QStringList fields(const QByteArray& line) {
  return decode(line).simplified().split(QLatin1Char(';'));
}

QDateTime parseDeviceDateTime(const QString& text) {
  if (const std::optional<QDateTime> exact = parseExactDateTime(text, /*allowLongYear=*/true))
    return *exact;
  return parseLooseDateTime(text);
}

QString formatDeviceDateTime(const QDateTime& dateTime) {
  return dateTime.toString(kDateTimePattern);
}

QDateTime parseClockReply(const QByteArray& line) {
  // Exactly " hh:mm:ss dd.MM.yy\n": a carriage return or a four-digit year is no clock.
  if (!line.startsWith(' ') || !line.endsWith('\n'))
    return QDateTime();
  const QString stamp = QString::fromLatin1(line.mid(1, line.size() - 2));
  return parseExactDateTime(stamp, /*allowLongYear=*/false).value_or(QDateTime());
}

double toNumber(const QString& field, bool* ok) {
  bool converted = false;
  const double value = field.trimmed().toDouble(&converted);
  if (ok)
    *ok = converted;
  return converted ? value : 0.0;
}

std::optional<int> parseCountLine(const QByteArray& line) {
  bool ok = false;
  const int count = line.simplified().toInt(&ok, 10);
  if (!ok)
    return std::nullopt;
  return count;
}

std::optional<Measurement> parseRecordLine(const QByteArray& line) {
  const QStringList f = fields(line);
  if (f.size() != 5 || !isScaleName(f[3].simplified()))
    return std::nullopt;
  bool averagingOk = false, frequencyOk = false, hardnessOk = false;
  const double averaging = toNumber(f[1], &averagingOk);
  const double frequency = toNumber(f[2], &frequencyOk);
  const double hardness = toNumber(f[4], &hardnessOk);
  if (!averagingOk || !frequencyOk || !hardnessOk)
    return std::nullopt;
  return Measurement(parseDeviceDateTime(f[0]), f[3].simplified(), hardness, frequency, averaging);
}

std::optional<Measurement> parseLiveLine(const QByteArray& line) {
  const QStringList f = fields(line);
  if (f.size() != 4 || !isScaleName(f[3].simplified()))
    return std::nullopt;
  // The stamp must be readable, with its word after it or (as some lines come) without.
  const QDateTime dateTime = liveDateTime(f[0]);
  if (!dateTime.isValid() && !parseDeviceDateTime(f[0]).isValid())
    return std::nullopt;
  bool frequencyOk = false, hardnessOk = false;
  const double frequency = toNumber(f[1], &frequencyOk);
  const double hardness = toNumber(f[2], &hardnessOk);
  if (!frequencyOk || !hardnessOk)
    return std::nullopt;
  return Measurement(dateTime, f[3].simplified(), hardness, frequency, 1.0);
}

bool isCarriableName(const QString& name) {
  return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
    return c == QLatin1Char(';') || c.category() == QChar::Other_Control ||
           c == QChar::ReplacementCharacter || c.isNonCharacter() || c.isSurrogate();
  });
}

bool isScaleName(const QString& name) {
  return !name.isEmpty() && name.size() <= 16 && isCarriableName(name) &&
         std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber(); });
}

QByteArray encodeName(const QString& name) {
  return name.toUtf8();
}

bool isKeyEventLine(const QByteArray& line) {
  return decode(line).contains(QLatin1String("btn"));
}

bool isDeleteEventLine(const QByteArray& line) {
  return decode(line).contains(QLatin1String("btn1short;OK"));
}

bool isUnsolicitedLine(const QByteArray& line) {
  // Cheap first: every reply of a long memory read passes here.
  const bool mayBeKey = line.contains("btn");
  if (!mayBeKey && line.count(';') != 3)
    return false;
  if (mayBeKey && isKeyEventLine(line))
    return fields(line).size() < 4;
  const std::optional<Measurement> live = parseLiveLine(line);
  return live && live->dateTime().isValid();
}

std::optional<ScaleRecord> parseScaleRecord(const QByteArray& line) {
  const QStringList f = fields(line);
  if (f.size() != 9)
    return std::nullopt;
  ScaleRecord record;
  bool numberOk = false;
  const int number = f[0].trimmed().toInt(&numberOk, 10);
  record.numberRead = numberOk;
  record.number = static_cast<qint16>(numberOk ? number : 0);
  record.name = f[1].simplified();
  record.a = toNumber(f[2]);
  record.b = toNumber(f[3]);
  record.c = toNumber(f[4]);
  record.min = toNumber(f[5]);
  record.max = toNumber(f[6]);
  record.type = static_cast<qint8>(toInteger(f[7]));
  record.points = static_cast<qint16>(toInteger(f[8]));
  return record;
}

QString formatConstant(double value) {
  return QString::number(value, 'g', 6);
}

} // namespace LineFormat
