#include "calibration/scalefit.h"

#include <algorithm>
#include <cmath>

#include "formats/measurement.h"

namespace {

// A spread (root mean square about the mean) below this fraction of the mean's size is
// rounding noise, not a difference between blocks: three tests at 812.3 spread by about 1e-13,
// blocks of different hardness by whole units.
constexpr double minRelativeSpread = 1e-9;

double mean(const QList<double>& values) {
  double sum = 0.0;
  for (double value : values)
    sum += value;
  return sum / values.size();
}

bool spreadIsNoise(double centredSquares, int n, double centre) {
  return std::sqrt(centredSquares / n) <= minRelativeSpread * std::max(std::abs(centre), 1.0);
}

} // namespace

namespace ScaleFit {

// Centred sums keep the slope exact also for large frequencies with small spreads, where
// N*Sxx - Sx*Sx is all rounding.
std::optional<ScaleConstants> fit(const ScaleConstants& current,
                                  const QList<double>& frequencies,
                                  const QList<double>& hardnesses,
                                  bool linear) {
  const int n = frequencies.size();
  if (n < 2 || hardnesses.size() != n)
    return std::nullopt;
  QList<double> ys;
  for (double hardness : hardnesses) {
    if (!linear && !Measurement::isResult(hardness))
      return std::nullopt;
    ys.append(linear ? hardness : std::log(hardness));
  }
  const double mx = mean(frequencies);
  const double my = mean(ys);
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (int i = 0; i < n; ++i) {
    const double dx = frequencies[i] - mx;
    const double dy = ys[i] - my;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  // The exponential's B is 1 / slope: hardnesses without spread would give it infinite.
  if (spreadIsNoise(sxx, n, mx) || (!linear && spreadIsNoise(syy, n, my)))
    return std::nullopt;
  const double slope = sxy / sxx;
  const double intercept = my - slope * mx;
  ScaleConstants constants = current;
  constants.a = linear ? intercept : std::exp(intercept);
  constants.b = linear ? slope : 1.0 / slope;
  constants.type = linear ? 0 : 1;
  if (!std::isfinite(constants.a) || !std::isfinite(constants.b))
    return std::nullopt;
  return constants;
}

double hardnessAt(const ScaleConstants& constants, double frequency) {
  return constants.type == 0 ? constants.a + constants.b * frequency
                             : constants.a * std::exp(frequency / constants.b);
}

Quality quality(const ScaleConstants& constants,
                const QList<double>& frequencies,
                const QList<double>& references) {
  Quality result;
  const int n = std::min(frequencies.size(), references.size());
  if (n == 0)
    return result;
  const double referenceMean = mean(references.mid(0, n));
  double residualSquares = 0.0;
  double totalSquares = 0.0;
  for (int i = 0; i < n; ++i) {
    const double fitted = hardnessAt(constants, frequencies[i]);
    const double difference = fitted - references[i];
    result.fitted.append(fitted);
    residualSquares += difference * difference;
    totalSquares += (references[i] - referenceMean) * (references[i] - referenceMean);
    result.maxDifference = std::max(result.maxDifference, std::abs(difference));
  }
  // Equal references (possible on the straight line) leave R² undefined.
  if (totalSquares > 0.0)
    result.rSquared = 1.0 - residualSquares / totalSquares;
  return result;
}

} // namespace ScaleFit
