#include "models/tolerancelimits.h"

#include <QSettings>
#include <QUrl>

#include "formats/measurement.h"
#include "formats/typednumber.h"
#include "models/hardnesstext.h"
#include "models/settingsfile.h"

namespace {

const QString kGroup = QStringLiteral("ToleranceLimits");

// Scale names become keys; a "/" would open a sub-group, so names are percent-encoded.
QString keyOf(const QString& scale) {
  return QString::fromLatin1(QUrl::toPercentEncoding(scale));
}

QString textOf(const std::optional<double>& limit) {
  return limit ? HardnessText::ofNumber(*limit) : QString();
}

} // namespace

ToleranceLimits::ToleranceLimits(QObject* parent) : QObject(parent) {
  m_settings = SettingsFile::open(this);
  load();
}

void ToleranceLimits::load() {
  m_settings->beginGroup(kGroup);
  for (const QString& key : m_settings->childKeys()) {
    // Stored as "lower;upper", either side empty; a damaged entry is ignored, not guessed.
    const QStringList parts = m_settings->value(key).toString().split(QLatin1Char(';'));
    if (parts.size() != 2)
      continue;
    const auto lowerValue = TypedNumber::parse(parts[0]);
    const auto upperValue = TypedNumber::parse(parts[1]);
    if ((!parts[0].isEmpty() && !lowerValue) || (!parts[1].isEmpty() && !upperValue))
      continue;
    if (lowerValue && upperValue && *lowerValue > *upperValue)
      continue;
    m_limits.insert(QUrl::fromPercentEncoding(key.toLatin1()), Limits{lowerValue, upperValue});
  }
  m_settings->endGroup();
}

void ToleranceLimits::store(const QString& scale, const Limits& limits) {
  m_settings->beginGroup(kGroup);
  if (!limits.lower && !limits.upper)
    m_settings->remove(keyOf(scale));
  else
    m_settings->setValue(keyOf(scale), textOf(limits.lower) + ';' + textOf(limits.upper));
  m_settings->endGroup();
  m_settings->sync();
}

bool ToleranceLimits::hasLower(const QString& scale) const {
  return m_limits.value(scale).lower.has_value();
}

bool ToleranceLimits::hasUpper(const QString& scale) const {
  return m_limits.value(scale).upper.has_value();
}

bool ToleranceLimits::hasLimits(const QString& scale) const {
  return hasLower(scale) || hasUpper(scale);
}

double ToleranceLimits::lower(const QString& scale) const {
  return m_limits.value(scale).lower.value_or(0.0);
}

double ToleranceLimits::upper(const QString& scale) const {
  return m_limits.value(scale).upper.value_or(0.0);
}

QString ToleranceLimits::lowerText(const QString& scale) const {
  return textOf(m_limits.value(scale).lower);
}

QString ToleranceLimits::upperText(const QString& scale) const {
  return textOf(m_limits.value(scale).upper);
}

bool ToleranceLimits::setLimits(const QString& scale,
                                const QString& lowerText,
                                const QString& upperText) {
  const QString lowerTrimmed = lowerText.trimmed();
  const QString upperTrimmed = upperText.trimmed();
  Limits limits{TypedNumber::parse(lowerTrimmed), TypedNumber::parse(upperTrimmed)};
  if ((!lowerTrimmed.isEmpty() && !limits.lower) || (!upperTrimmed.isEmpty() && !limits.upper))
    return false;
  if (limits.lower && limits.upper && *limits.lower > *limits.upper)
    return false;
  if (!limits.lower && !limits.upper)
    m_limits.remove(scale);
  else
    m_limits.insert(scale, limits);
  store(scale, limits);
  emit limitsChanged();
  return true;
}

int ToleranceLimits::side(const QString& scale, double hardness) const {
  if (!Measurement::isResult(hardness))
    return 0;
  const auto it = m_limits.constFind(scale);
  if (it == m_limits.constEnd())
    return 0;
  if (it->lower && hardness < *it->lower)
    return -1;
  if (it->upper && hardness > *it->upper)
    return 1;
  return 0;
}
