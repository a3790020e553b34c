#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

// One measurement as the tester reports it. A plain value: models keep copies.
class Measurement {
public:
  Measurement() = default;
  Measurement(const QDateTime& dateTime,
              const QString& scale,
              double hardness,
              double frequency,
              double averaging)
      : m_dateTime(dateTime), m_scale(scale), m_hardness(hardness), m_frequency(frequency),
        m_averaging(averaging) {}

  bool checked() const { return m_checked; }
  void setChecked(bool checked) { m_checked = checked; }
  QDateTime dateTime() const { return m_dateTime; }
  QString scale() const { return m_scale; }
  double hardness() const { return m_hardness; }
  // Whether a hardness is a result: a row without one (the tester's "ERR") carries 0.
  static bool isResult(double hardness) { return hardness > 0.0; }
  double frequency() const { return m_frequency; }
  double averaging() const { return m_averaging; }

  // Identifies the record of a shown row in the full list; ticks and averaging do not count.
  bool operator==(const Measurement& other) const {
    return m_dateTime == other.m_dateTime && m_scale == other.m_scale &&
           m_hardness == other.m_hardness && m_frequency == other.m_frequency;
  }
  bool operator!=(const Measurement& other) const { return !(*this == other); }

private:
  bool m_checked = false;
  QDateTime m_dateTime;
  QString m_scale;
  double m_hardness = 0.0;
  double m_frequency = 0.0;
  double m_averaging = 1.0;
};

Q_DECLARE_METATYPE(Measurement)
