#pragma once

#include <optional>

#include <QList>
#include <QtGlobal>

#include "formats/scaleconstants.h"

// The least-squares fit of a scale's constants to reference blocks, as plain maths: no
// tester, no model. A straight line on HRC (hardness = A + B * frequency), an exponential on
// every other scale (hardness = A * e^(frequency / B)).
namespace ScaleFit {

// The constants of `current` with A, B and the type fitted to the tests.
// Nothing when the fit has no finite result: fewer than two tests, frequencies without
// spread, a hardness of 0 or less on the exponential, or hardnesses without spread there.
std::optional<ScaleConstants> fit(const ScaleConstants& current,
                                  const QList<double>& frequencies,
                                  const QList<double>& hardnesses,
                                  bool linear);

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
