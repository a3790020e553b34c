#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <array>

// One scale slot of the tester. TYPE 0 is the straight line A + B*f, TYPE 1 the exponential
// A*exp(f/B); C is stored and reported but takes no part in either.
struct TesterScale {
  QString name;
  double a = 1.0, b = 0.0, c = 0.0, min = 0.0, max = 999.0;
  int type = 0;
  int points = 2;
};

struct TesterRecord {
  QDateTime dateTime;
  double averaging = 1.0;
  double frequency = 0.0;
  QString scale;
  double hardness = 0.0;
};

// What the tester knows: identity, clock, memory and scale slots. Plain data with the few rules
// that tie it together (how a frequency becomes a hardness, what a fresh tester holds).
class TesterState {
public:
  static constexpr int SlotCount = 16;
  // HRC, HB and HV switched on, every user slot off.
  static constexpr quint16 DefaultOffMask = 0xFFF8;

  TesterState();

  QDateTime clock() const;
  void setClock(const QDateTime& dateTime);

  const TesterScale& currentSlot() const { return scales[current]; }
  static double hardness(const TesterScale& scale, double frequency);
  // A frequency that gives a hardness well inside the scale's MIN..MAX, or 0 if none does.
  double randomFrequency(const TesterScale& scale);
  // Measures with the current slot and stores the record.
  TesterRecord measure(double frequency);
  // Replaces the memory with count records over the three standard scales, oldest first.
  void seed(int count);

  QString identity = QStringLiteral("12345");
  qint64 clockOffsetMs = 0;
  QList<TesterRecord> memory;
  std::array<TesterScale, SlotCount> scales;
  quint16 offMask = DefaultOffMask;
  int current = 0;

private:
  QRandomGenerator random{20240214}; // fixed, so a seeded memory is the same on every run
};

// The tester's texts, without line ends.
namespace TesterText {
QByteArray timeStamp(const QDateTime& dateTime);
QByteArray number(double value);
QByteArray recordLine(const TesterRecord& record);
QByteArray liveLine(const TesterRecord& record, int recordNumber);
QByteArray scaleLine(int number, const TesterScale& scale);
} // namespace TesterText
