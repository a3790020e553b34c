#include "calibration/calibration.h"

#include <cmath>
#include <optional>

#include <QLocale>

#include "device/device.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"

namespace {

struct ScaleConstants {
  double a = 0.0;
  double b = 0.0;
  qint8 type = 0;
};

// Least squares over the tests: a straight line on HRC (scale 0), an exponential on every
// other scale (a line through the logarithm of the hardness). Nothing when the fit has no
// finite result: one test, equal frequencies, or a hardness of 0 or less on a logarithm.
std::optional<ScaleConstants>
fitConstants(const QList<double>& frequencies, const QList<double>& hardnesses, bool linear) {
  const int n = frequencies.size();
  if (n < 2)
    return std::nullopt;
  double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
  for (int i = 0; i < n; ++i) {
    const double x = frequencies[i];
    const double y = linear ? hardnesses[i] : std::log(hardnesses[i]);
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  const double intercept = (sy - slope * sx) / n;
  const ScaleConstants constants = linear ? ScaleConstants{intercept, slope, 0}
                                          : ScaleConstants{std::exp(intercept), 1.0 / slope, 1};
  if (!std::isfinite(constants.a) || !std::isfinite(constants.b))
    return std::nullopt;
  return constants;
}

} // namespace

Calibration::Calibration(QObject* parent) : QObject(parent) {}

double Calibration::addTest(MeasurementModel* model, QString realHardness) {
  const int rows = model ? model->rowCount() : 0;
  if (rows == 0)
    return 0.0;
  double frequencySum = 0.0;
  double hardnessSum = 0.0;
  for (int i = 0; i < rows; ++i) {
    frequencySum += model->frequency(i);
    hardnessSum += model->hardness(i);
  }
  model->clear();
  m_meanFrequencies.append(frequencySum / rows);
  // The default locale is Russian: the reference is typed with a decimal comma.
  m_referenceHardnesses.append(QLocale().toDouble(realHardness));
  return hardnessSum / rows;
}

bool Calibration::endTest() {
  if (!m_device || m_meanFrequencies.isEmpty())
    return false;
  if (m_meanFrequencies.size() < 2) {
    // One block gives no line: keep the tester's constants and its mode as they are.
    clearTests();
    return false;
  }
  m_device->setCalibMode(false);
  const short scaleNumber = m_device->currentScaleNumber();
  Scale* scale = m_device->scales()->scale(scaleNumber);
  const std::optional<ScaleConstants> fit =
      fitConstants(m_meanFrequencies, m_referenceHardnesses, scaleNumber == 0);
  bool written = false;
  // A fit without a finite result, or a scale without a row, never reaches the tester.
  if (scale && fit) {
    scale->setA(fit->a);
    scale->setB(fit->b);
    scale->setC(0.0);
    scale->setType(fit->type);
    scale->setPoints(static_cast<qint16>(m_meanFrequencies.size()));
    written = m_device->setScale();
  }
  m_device->setCalibMode(true);
  clearTests();
  return written;
}

void Calibration::clearTests() {
  m_meanFrequencies.clear();
  m_referenceHardnesses.clear();
}

Device* Calibration::getDevice() {
  return m_device;
}

void Calibration::setDevice(Device* device) {
  m_device = device;
}
