#include "device/lineformat.h"

#include <algorithm>

#include "formats/testertime.h"

namespace LineFormat {

namespace {

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
  return TesterTime::parse(lastSpace < 0 ? QString() : field.left(lastSpace));
}

} // namespace

QString decode(const QByteArray& line) {
  const int zero = line.indexOf('\0');
  return QString::fromUtf8(line.constData(), zero < 0 ? line.size() : zero);
}

QStringList fields(const QByteArray& line) {
  return decode(line).simplified().split(QLatin1Char(';'));
}

QDateTime parseClockReply(const QByteArray& line) {
  // Exactly " hh:mm:ss dd.MM.yy\n": a carriage return or a four-digit year is no clock.
  if (!line.startsWith(' ') || !line.endsWith('\n'))
    return QDateTime();
  const QString stamp = QString::fromLatin1(line.mid(1, line.size() - 2));
  return TesterTime::parseShort(stamp);
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
  return Measurement(TesterTime::parse(f[0]), f[3].simplified(), hardness, frequency, averaging);
}

std::optional<Measurement> parseLiveLine(const QByteArray& line) {
  const QStringList f = fields(line);
  if (f.size() != 4 || !isScaleName(f[3].simplified()))
    return std::nullopt;
  // The stamp must be readable, with its word after it or (as some lines come) without.
  const QDateTime dateTime = liveDateTime(f[0]);
  if (!dateTime.isValid() && !TesterTime::parse(f[0]).isValid())
    return std::nullopt;
  bool frequencyOk = false, hardnessOk = false;
  const double frequency = toNumber(f[1], &frequencyOk);
  const double hardness = toNumber(f[2], &hardnessOk);
  if (!frequencyOk || !hardnessOk)
    return std::nullopt;
  return Measurement(dateTime, f[3].simplified(), hardness, frequency, 1.0);
}

bool isCarriableName(const QString& name) {
  return std::none_of(
      name.cbegin(),
      name.cend(),
      [](QChar c) {
        return c == QLatin1Char(';') || c.category() == QChar::Other_Control ||
               c == QChar::ReplacementCharacter || c.isNonCharacter() || c.isSurrogate();
      });
}

bool isScaleName(const QString& name) {
  return !name.isEmpty() && name.size() <= 16 && isCarriableName(name) &&
         std::any_of(
             name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber(); });
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
  if (numberOk && number >= 0 && number < ScaleSlots)
    record.number = static_cast<ScaleNumber>(number);
  ScaleConstants& constants = record.constants;
  constants.name = f[1].simplified();
  constants.a = toNumber(f[2]);
  constants.b = toNumber(f[3]);
  constants.c = toNumber(f[4]);
  constants.min = toNumber(f[5]);
  constants.max = toNumber(f[6]);
  constants.type = static_cast<qint8>(toInteger(f[7]));
  constants.points = static_cast<qint16>(toInteger(f[8]));
  return record;
}

QString formatConstant(double value) {
  return QString::number(value, 'g', 6);
}

} // namespace LineFormat
