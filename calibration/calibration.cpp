#include "calibration/calibration.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QDateTime>
#include <QVector>

#include "archive/archive.h"
#include "calibration/scalefit.h"
#include "device/device.h"
#include "formats/typednumber.h"
#include "models/hardnesstext.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"

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
  m_previewedScale.reset(); // a preview shows the tests it was made for
  m_meanFrequencies.append(frequencySum / rows);
  m_referenceHardnesses.append(*reference);
  return hardnessSum / rows;
}

std::optional<ScaleNumber> Calibration::currentScale() const {
  const ScaleNumber current = m_device->currentScaleNumber();
  return current < 0 ? std::nullopt : std::optional<ScaleNumber>(current);
}

std::optional<ScaleConstants> Calibration::fitFor(std::optional<ScaleNumber> scaleNumber,
                                                  QString* why) {
  if (!scaleNumber) {
    // Without it we know neither the kind of fit nor the slot the constants belong to.
    *why = tr("Калибровка не выполнена: прибор не сообщил\nтекущую шкалу. Ничего не записано.");
    return std::nullopt;
  }
  const Scale* scale = m_device->scales()->scale(*scaleNumber);
  if (!scale) {
    *why = tr("Калибровка не выполнена: текущая шкала прибора\nнеизвестна программе.");
    return std::nullopt;
  }
  std::optional<ScaleConstants> fit = ScaleFit::fit(
      scale->constants(), m_meanFrequencies, m_referenceHardnesses, *scaleNumber == 0);
  if (!fit) {
    *why = twoTestsNeeded();
    return std::nullopt;
  }
  // The fit replaces C, and the tester learns on how many blocks it rests.
  fit->c = 0.0;
  fit->points = static_cast<qint16>(m_meanFrequencies.size());
  return fit;
}

QString Calibration::twoTestsNeeded() {
  return tr("Калибровка не выполнена: нужно не менее\n"
            "двух тестов на мерах разной твердости.");
}

std::optional<QString> Calibration::refusalBeforeFit() const {
  if (!m_device || m_meanFrequencies.isEmpty())
    return tr("Калибровка не выполнена: нет ни одного теста.");
  if (m_meanFrequencies.size() < 2)
    return twoTestsNeeded();
  return std::nullopt;
}

QVariantMap Calibration::preview() {
  m_previewedScale.reset();
  QVariantMap result{{QStringLiteral("ok"), false}, {QStringLiteral("rows"), QVariantList()}};
  if (const std::optional<QString> refusal = refusalBeforeFit()) {
    result.insert(QStringLiteral("failure"), *refusal);
    return result;
  }
  const std::optional<ScaleNumber> scaleNumber = currentScale();
  QString why;
  const std::optional<ScaleConstants> fit = fitFor(scaleNumber, &why);
  if (!fit) {
    result.insert(QStringLiteral("failure"), why);
    return result;
  }
  // The quality as the user reads it: in hardness, also where the fit runs on logarithms.
  const ScaleFit::Quality quality =
      ScaleFit::quality(*fit, m_meanFrequencies, m_referenceHardnesses);
  QVariantList rows;
  for (int i = 0; i < quality.fitted.size(); ++i) {
    const double reference = m_referenceHardnesses[i];
    const double fitted = quality.fitted[i];
    const double difference = fitted - reference;
    rows.append(
        QVariantMap{{QStringLiteral("reference"), reference},
                    {QStringLiteral("fitted"), fitted},
                    {QStringLiteral("difference"), difference},
                    {QStringLiteral("referenceText"), HardnessText::ofMeasurement(reference)},
                    {QStringLiteral("fittedText"), HardnessText::ofMeasurement(fitted)},
                    {QStringLiteral("differenceText"), HardnessText::ofDifference(difference)}});
  }
  const double maxDifference = quality.maxDifference;
  result.insert(QStringLiteral("ok"), true);
  result.insert(QStringLiteral("scale"), *scaleNumber);
  result.insert(QStringLiteral("a"), fit->a);
  result.insert(QStringLiteral("b"), fit->b);
  result.insert(QStringLiteral("type"), fit->type);
  result.insert(QStringLiteral("rows"), rows);
  result.insert(QStringLiteral("maxDifference"), maxDifference);
  // A size, not a direction: no sign.
  result.insert(QStringLiteral("maxDifferenceText"),
                HardnessText::ofDifference(maxDifference).remove(QLatin1Char('+')));
  // Equal references (possible on the straight line) leave R² undefined.
  if (quality.rSquared) {
    result.insert(QStringLiteral("rSquared"), *quality.rSquared);
    result.insert(QStringLiteral("rSquaredText"), QString::number(*quality.rSquared, 'f', 4));
  }
  m_previewedScale = *scaleNumber;
  return result;
}

bool Calibration::endTest() {
  m_failure.clear();
  if (const std::optional<QString> refusal = refusalBeforeFit())
    return fail(*refusal);
  const std::optional<ScaleNumber> previewed = m_previewedScale;
  // The tester's own lines meanwhile wait for the command's end, then reach the tests.
  const std::optional<ScaleNumber> scaleNumber = currentScale();
  QString why;
  bool written = false;
  if (previewed && scaleNumber && *scaleNumber != *previewed) {
    // What the user confirmed was a fit for another scale, maybe of another kind.
    fail(tr("Калибровка не выполнена: текущая шкала прибора\n"
            "изменилась после проверки. Ничего не записано."));
  } else if (const std::optional<ScaleConstants> fit = fitFor(scaleNumber, &why)) {
    const Scale before = *m_device->scales()->scale(*scaleNumber);
    const Device::ScaleWrite write = m_device->writeCurrentScale(*fit, *scaleNumber);
    // The slot read back decides, and whatever replaced the old constants can be undone.
    if (write.changed)
      keep(*scaleNumber, before);
    written = write.held;
    if (!written)
      fail(writeFailure(write));
  } else {
    fail(why);
  }
  clearTests();
  return written;
}

void Calibration::keep(ScaleNumber slot, const Scale& before) {
  if (m_archive)
    m_archive->keepConstants({slot, QDateTime::currentDateTime(), before.constants()});
}

bool Calibration::canUndo(int scaleNumber) {
  return m_archive && scaleNumber >= 0 && m_archive->keptConstants(scaleNumber).has_value();
}

bool Calibration::canUndoScale(const QString& scaleName) {
  return m_device && canUndo(m_device->scales()->scaleNumber(scaleName));
}

QString Calibration::keptSince(const QString& scaleName) {
  if (!canUndoScale(scaleName))
    return QString();
  const std::optional<KeptConstants> kept =
      m_archive->keptConstants(m_device->scales()->scaleNumber(scaleName));
  return kept->kept.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

bool Calibration::undoLastCalibration() {
  m_failure.clear();
  if (!m_device) {
    m_failure = tr("Нет сохраненных коэффициентов для текущей шкалы.");
    return false;
  }
  return writeBackKept();
}

bool Calibration::writeBackKept() {
  const std::optional<ScaleNumber> slot = currentScale();
  if (!slot) {
    m_failure = tr("Отмена не выполнена: прибор не сообщил\nтекущую шкалу. Ничего не записано.");
    return false;
  }
  const Scale* scale = m_device->scales()->scale(*slot);
  if (!scale || !canUndo(*slot)) {
    m_failure = tr("Нет сохраненных коэффициентов для текущей шкалы.");
    return false;
  }
  const std::optional<KeptConstants> kept = m_archive->keptConstants(*slot);
  // A user slot given to another scale since must not get the old scale's constants.
  if (kept->constants.name != scale->name()) {
    m_failure = tr("Отмена не выполнена: сохраненные коэффициенты\n"
                   "относятся к другой шкале. Ничего не записано.");
    return false;
  }
  // The row must be what the slot holds, or setScale would write a stale name and limits.
  if (!scale->isRead()) {
    m_failure = tr("Отмена не выполнена: шкала не прочитана\nиз прибора. Ничего не записано.");
    return false;
  }
  ScaleConstants values = scale->constants();
  values.a = kept->constants.a;
  values.b = kept->constants.b;
  values.c = kept->constants.c;
  values.type = kept->constants.type;
  values.points = kept->constants.points;
  // The record goes only once the slot read back holds the kept constants.
  const Device::ScaleWrite write = m_device->writeCurrentScale(values, *slot);
  if (!write.held) {
    m_failure = write.readBack ? tr("Отмена не выполнена: прибор не принял\nкоэффициенты.")
                               : tr("Отмена не подтверждена: шкалу не удалось прочитать.\n"
                                    "Сохраненные коэффициенты остаются для отмены.");
    return false;
  }
  m_archive->dropKeptConstants(*slot);
  m_archive->journal(m_device->testerIdentity(),
                     QStringLiteral("undo"),
                     {{"slot", *slot}, {"restored", kept->kept}});
  return true;
}

QString Calibration::writeFailure(const Device::ScaleWrite& write) {
  if (!write.slot)
    return tr("Калибровка не выполнена: коэффициенты не отправлены.\n"
              "Проверьте связь с прибором. Ничего не записано.");
  if (!write.readBack)
    return tr("Запись не подтверждена: шкалу не удалось прочитать.\n"
              "Прежние коэффициенты сохранены для отмены.");
  if (write.changed)
    return tr("Калибровка не выполнена: в приборе иные\n"
              "коэффициенты. Прежние сохранены для отмены.");
  return tr("Калибровка не выполнена: прибор не принял\n"
            "коэффициенты. В приборе прежние коэффициенты.");
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
  m_previewedScale.reset();
  m_meanFrequencies.clear();
  m_referenceHardnesses.clear();
}

Device* Calibration::getDevice() {
  return m_device;
}

void Calibration::setDevice(Device* device) {
  m_device = device;
}
