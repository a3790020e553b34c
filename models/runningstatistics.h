#pragma once

#include <map>

#include <QString>

// Count, mean, sample standard deviation, minimum and maximum of a set of values that grows
// and shrinks one value at a time, without a pass over the set.
//
// The sums are taken about the first value, so that values far from zero with a small spread
// (hardness in the hundreds, say) keep their digits; minimum and maximum come from an ordered
// count of the values.
class RunningStatistics {
public:
  void add(double value);
  // Removing a value that was never added is ignored.
  void remove(double value);
  void clear();

  int count() const { return m_count; }
  double mean() const;
  // With n - 1 in the denominator; 0 for fewer than two values.
  double standardDeviation() const;
  double minimum() const;
  double maximum() const;

private:
  int m_count = 0;
  double m_shift = 0.0;
  double m_sum = 0.0;   // of (value - shift)
  double m_sumSq = 0.0; // of (value - shift)^2
  std::map<double, int> m_values;
};

// The figures of the rows of one scale. Hardness of different scales is never averaged
// together, so each scale of a list has figures of its own.
struct ScaleFigures {
  QString scale;
  RunningStatistics values; // valid results only
  int invalid = 0;          // rows without a result ("ERR")
  int outside = 0;

  int rows() const { return values.count() + invalid; }
  // "—" where a figure has no value: no valid rows, or a deviation of a single row.
  QString meanText() const;
  QString deviationText() const;
  QString minimumText() const;
  QString maximumText() const;
  QString rangeText() const;
};
