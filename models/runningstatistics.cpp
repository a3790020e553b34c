#include "models/runningstatistics.h"

#include <algorithm>
#include <cmath>

#include "models/hardnesstext.h"

void RunningStatistics::add(double value) {
  if (m_count == 0)
    m_shift = value;
  const double d = value - m_shift;
  m_sum += d;
  m_sumSq += d * d;
  ++m_count;
  ++m_values[value];
}

void RunningStatistics::remove(double value) {
  const auto it = m_values.find(value);
  if (it == m_values.end())
    return;
  if (--it->second == 0)
    m_values.erase(it);
  if (--m_count == 0) {
    clear(); // drops the rounding left in the sums
    return;
  }
  const double d = value - m_shift;
  m_sum -= d;
  m_sumSq -= d * d;
}

void RunningStatistics::clear() {
  m_count = 0;
  m_shift = m_sum = m_sumSq = 0.0;
  m_values.clear();
}

double RunningStatistics::mean() const {
  return m_count == 0 ? 0.0 : m_shift + m_sum / m_count;
}

double RunningStatistics::standardDeviation() const {
  if (m_count < 2)
    return 0.0;
  // Equal values give exactly zero sums about the shift; rounding may push a tiny spread below 0.
  const double variance = (m_sumSq - m_sum * m_sum / m_count) / (m_count - 1);
  return std::sqrt(std::max(variance, 0.0));
}

double RunningStatistics::minimum() const {
  return m_values.empty() ? 0.0 : m_values.begin()->first;
}

double RunningStatistics::maximum() const {
  return m_values.empty() ? 0.0 : m_values.rbegin()->first;
}

namespace {

const QString kNoValue = QStringLiteral("—");

} // namespace

QString ScaleFigures::meanText() const {
  return values.count() > 0 ? HardnessText::ofAverage(values.mean()) : kNoValue;
}

QString ScaleFigures::deviationText() const {
  return values.count() > 1 ? HardnessText::ofDeviation(values.standardDeviation()) : kNoValue;
}

QString ScaleFigures::minimumText() const {
  return values.count() > 0 ? HardnessText::ofMeasurement(values.minimum()) : kNoValue;
}

QString ScaleFigures::maximumText() const {
  return values.count() > 0 ? HardnessText::ofMeasurement(values.maximum()) : kNoValue;
}

QString ScaleFigures::rangeText() const {
  return values.count() > 0 ? HardnessText::ofAverage(values.maximum() - values.minimum())
                            : kNoValue;
}
