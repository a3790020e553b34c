#include "calibration/calibration.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QVector>

#include "device/device.h"
#include "formats/typednumber.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"

namespace {

struct ScaleConstants {
  double a = 0.0;
  double b = 0.0;
  qint8 type = 0;
};

// A spread (root mean square about the mean) below this fraction of the mean's size is
// rounding noise, not a difference between blocks: three tests at 812.3 spread by about 1e-13,
// blocks of different hardness by whole units.
constexpr double minRelativeSpread = 1e-9;

double mean(const QVector<double>& values) {
  double sum = 0.0;
  for (double value : values)
    sum += value;
  return sum / values.size();
}

bool spreadIsNoise(double centredSquares, int n, double centre) {
  return std::sqrt(centredSquares / n) <= minRelativeSpread * std::max(std::abs(centre), 1.0);
}

// Least squares over the tests: a straight line on HRC (scale 0), an exponential on every
// other scale (a line through the logarithm of the hardness). Centred sums keep the slope
// exact also for large frequencies with small spreads, where N*Sxx - Sx*Sx is all rounding.
// Nothing when the fit has no finite result: one test, frequencies without spread, a
// hardness of 0 or less on a logarithm, or (exponential) hardnesses without spread.
std::optional<ScaleConstants>
fitConstants(const QList<double>& frequencies, const QList<double>& hardnesses, bool linear) {
  const int n = frequencies.size();
  if (n < 2)
    return std::nullopt;
  QVector<double> xs;
  QVector<double> ys;
  for (int i = 0; i < n; ++i) {
    if (!linear && !(hardnesses[i] > 0.0))
      return std::nullopt;
    xs.append(frequencies[i]);
    ys.append(linear ? hardnesses[i] : std::log(hardnesses[i]));
  }
  const double mx = mean(xs);
  const double my = mean(ys);
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (int i = 0; i < n; ++i) {
    const double dx = xs[i] - mx;
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
  const ScaleConstants constants = linear ? ScaleConstants{intercept, slope, 0}
                                          : ScaleConstants{std::exp(intercept), 1.0 / slope, 1};
  if (!std::isfinite(constants.a) || !std::isfinite(constants.b))
    return std::nullopt;
  return constants;
}

} // namespace

Calibration::Calibration(QObject* parent) : QObject(parent) {}

std::optional<double> Calibration::readReference(const QString& text) {
  const std::optional<double> value = TypedNumber::parse(text);
  // A reference block's hardness is a positive number.
  if (!value || !(*value > 0.0))
    return std::nullopt;
  return value;
}

bool Calibration::isReadableReference(QString realHardness) const {
  return readReference(realHardness).has_value();
}

double Calibration::addTest(MeasurementModel* model, QString realHardness) {
  const int rows = model ? model->rowCount() : 0;
  const std::optional<double> reference = readReference(realHardness);
  // An unreadable reference keeps the test open: the user types it again.
  if (rows == 0 || !reference)
    return 0.0;
  double frequencySum = 0.0;
  double hardnessSum = 0.0;
  for (int i = 0; i < rows; ++i) {
    frequencySum += model->frequency(i);
    hardnessSum += model->hardness(i);
  }
  model->clear();
  m_meanFrequencies.append(frequencySum / rows);
  m_referenceHardnesses.append(*reference);
  return hardnessSum / rows;
}

bool Calibration::endTest() {
  m_failure.clear();
  if (!m_device || m_meanFrequencies.isEmpty())
    return fail(tr("Калибровка не выполнена: нет ни одного теста."));
  if (m_meanFrequencies.size() < 2)
    return fail(tr("Калибровка не выполнена: нужно не менее\n"
                   "двух тестов на мерах разной твердости."));
  m_device->setCalibMode(false);
  const std::optional<qint16> scaleNumber = m_device->readCurrentScale();
  bool written = false;
  if (!scaleNumber) {
    // Without it we know neither the kind of fit nor the slot the constants belong to.
    fail(tr("Калибровка не выполнена: прибор не сообщил\nтекущую шкалу. Ничего не записано."));
  } else if (Scale* scale = m_device->scales()->scale(*scaleNumber); !scale) {
    fail(tr("Калибровка не выполнена: текущая шкала прибора\nнеизвестна программе."));
  } else if (const std::optional<ScaleConstants> fit =
                 fitConstants(m_meanFrequencies, m_referenceHardnesses, *scaleNumber == 0)) {
    const Scale before = *scale;
    scale->setA(fit->a);
    scale->setB(fit->b);
    scale->setC(0.0);
    scale->setType(fit->type);
    scale->setPoints(static_cast<qint16>(m_meanFrequencies.size()));
    written = m_device->setScale();
    if (!written) {
      // The record keeps saying what the tester holds.
      *scale = before;
      fail(tr("Калибровка не выполнена: прибор не принял\nкоэффициенты."));
    }
  } else {
    fail(tr("Калибровка не выполнена: нужно не менее\n"
            "двух тестов на мерах разной твердости."));
  }
  m_device->setCalibMode(true);
  clearTests();
  return written;
}

bool Calibration::fail(const QString& reason) {
  m_failure = reason;
  clearTests();
  return false;
}

QString Calibration::failure() const {
  return m_failure;
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
