#pragma once

#include <map>

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
