#include "simulator/testerstate.h"

#include <QLocale>

#include <cmath>

namespace {

// The tester shows one decimal, so what it stores is what it sends.
double oneDecimal(double value) {
  return std::round(value * 10.0) / 10.0;
}

QDateTime wholeSeconds(const QDateTime& dateTime) {
  return dateTime.addMSecs(-dateTime.time().msec());
}

} // namespace

TesterState::TesterState() {
  // Constants that give the usual ranges for frequencies of about 500 to 1050.
  scales[0] = {QStringLiteral("HRC"), 220.0, -0.2, 0.0, 20.0, 70.0, 0, 2};
  scales[1] = {QStringLiteral("HB"), 6000.0, -250.0, 0.0, 90.0, 650.0, 1, 2};
  scales[2] = {QStringLiteral("HV"), 8000.0, -240.0, 0.0, 100.0, 940.0, 1, 2};
  for (int i = 3; i < SlotCount; ++i)
    scales[i].name = QStringLiteral("NON");
}

QDateTime TesterState::clock() const {
  return QDateTime::currentDateTime().addMSecs(clockOffsetMs);
}

void TesterState::setClock(const QDateTime& dateTime) {
  clockOffsetMs = QDateTime::currentDateTime().msecsTo(dateTime);
}

double TesterState::hardness(const TesterScale& scale, double frequency) {
  double value = 0.0;
  if (scale.type == 0)
    value = scale.a + scale.b * frequency;
  else if (scale.type == 1)
    value = scale.a * std::exp(frequency / scale.b);
  if (!std::isfinite(value) || value < scale.min || value > scale.max)
    return 0.0;
  return value;
}

double TesterState::randomFrequency(const TesterScale& scale) {
  // Invert the curve at a hardness drawn from the inner part of MIN..MAX.
  const double span = scale.max - scale.min;
  const double target = scale.min + span * (0.1 + 0.8 * random.generateDouble());
  double frequency = 0.0;
  if (scale.type == 0 && scale.b != 0.0)
    frequency = (target - scale.a) / scale.b;
  else if (scale.type == 1 && scale.a > 0.0 && target > 0.0)
    frequency = scale.b * std::log(target / scale.a);
  return std::isfinite(frequency) ? oneDecimal(frequency) : 0.0;
}

TesterRecord TesterState::measure(double frequency) {
  TesterRecord record;
  record.dateTime = wholeSeconds(clock());
  record.frequency = oneDecimal(frequency);
  record.scale = currentSlot().name;
  record.hardness = oneDecimal(hardness(currentSlot(), record.frequency));
  memory.append(record);
  return record;
}

void TesterState::seed(int count) {
  memory.clear();
  // Walk back from a few minutes ago in gaps of half a minute to a quarter of an hour, with
  // an overnight pause now and then, like series taken over several working days.
  QDateTime when = wholeSeconds(clock()).addSecs(-300);
  QList<TesterRecord> records;
  for (int i = 0; i < count; ++i) {
    const TesterScale& scale = scales[random.bounded(3)];
    TesterRecord record;
    record.dateTime = when;
    record.averaging = random.bounded(1, 6);
    record.frequency = randomFrequency(scale);
    record.scale = scale.name;
    record.hardness = oneDecimal(hardness(scale, record.frequency));
    records.prepend(record);
    when = when.addSecs(-random.bounded(30, 900));
    if (random.bounded(12) == 0)
      when = when.addSecs(-16 * 3600);
  }
  memory = records;
}

namespace TesterText {

QByteArray timeStamp(const QDateTime& dateTime) {
  return QLocale::c().toString(dateTime, QStringLiteral("hh:mm:ss dd.MM.yy")).toLatin1();
}

QByteArray number(double value) {
  return QByteArray::number(value, 'g', 6);
}

QByteArray recordLine(const TesterRecord& record) {
  return timeStamp(record.dateTime) + ';' + number(record.averaging) + ';' +
         QByteArray::number(record.frequency, 'f', 1) + ';' + record.scale.toUtf8() + ';' +
         QByteArray::number(record.hardness, 'f', 1);
}

QByteArray liveLine(const TesterRecord& record, int recordNumber) {
  return timeStamp(record.dateTime) + ' ' + QByteArray::number(recordNumber) + ';' +
         QByteArray::number(record.frequency, 'f', 1) + ';' +
         QByteArray::number(record.hardness, 'f', 1) + ';' + record.scale.toUtf8();
}

QByteArray scaleLine(int number, const TesterScale& scale) {
  return QByteArray::number(number) + ';' + scale.name.toUtf8() + ';' +
         TesterText::number(scale.a) + ';' + TesterText::number(scale.b) + ';' +
         TesterText::number(scale.c) + ';' + TesterText::number(scale.min) + ';' +
         TesterText::number(scale.max) + ';' + QByteArray::number(scale.type) + ';' +
         QByteArray::number(scale.points);
}

} // namespace TesterText
