#pragma once

#include <optional>

#include <QList>
#include <QtGlobal>

// The least-squares fit of a scale's constants to reference blocks, as plain maths: no
// tester, no model. A straight line on HRC (hardness = A + B * frequency), an exponential on
// every other scale (hardness = A * e^(frequency / B)).
struct ScaleConstants {
  double a = 0.0;
  double b = 0.0;
  qint8 type = 0; // 0 straight line, 1 exponential
};

namespace ScaleFit {

// Nothing when the fit has no finite result: fewer than two tests, frequencies without
// spread, a hardness of 0 or less on the exponential, or hardnesses without spread there.
std::optional<ScaleConstants>
fit(const QList<double>& frequencies, const QList<double>& hardnesses, bool linear);

// What the tester shows at that frequency with those constants.
double hardnessAt(const ScaleConstants& constants, double frequency);

// How the constants meet the blocks, in hardness also where the fit runs on logarithms.
struct Quality {
  QList<double> fitted; // per test
  double maxDifference = 0.0;
  std::optional<double> rSquared; // nothing when the references have no spread
};
Quality quality(const ScaleConstants& constants,
                const QList<double>& frequencies,
                const QList<double>& references);

} // namespace ScaleFit
