#pragma once

#include <optional>

#include <QHash>
#include <QObject>
#include <QString>

class QSettings;

// Optional lower and upper hardness limits per scale name, kept in the settings file. A value on
// a limit is inside; a measurement without a valid result (0 or less) is never counted outside:
// it has no hardness to compare.
class ToleranceLimits : public QObject {
  Q_OBJECT

public:
  explicit ToleranceLimits(QObject* parent = nullptr);

  Q_INVOKABLE bool hasLower(const QString& scale) const;
  Q_INVOKABLE bool hasUpper(const QString& scale) const;
  Q_INVOKABLE double lower(const QString& scale) const;
  Q_INVOKABLE double upper(const QString& scale) const;
  // As the user typed them: "" for no limit, otherwise the number with "." as decimal point.
  Q_INVOKABLE QString lowerText(const QString& scale) const;
  Q_INVOKABLE QString upperText(const QString& scale) const;
  // Sets both limits of a scale from typed texts ("" for none; "45,5" and "45.5" alike). Refused,
  // with nothing changed, when a text is not a number or the lower limit is above the upper.
  Q_INVOKABLE bool
  setLimits(const QString& scale, const QString& lowerText, const QString& upperText);
  // -1 below the lower limit, 1 above the upper, 0 inside (or no limits, or no valid result).
  Q_INVOKABLE int side(const QString& scale, double hardness) const;
  Q_INVOKABLE bool isOutside(const QString& scale, double hardness) const {
    return side(scale, hardness) != 0;
  }
  Q_INVOKABLE bool hasLimits(const QString& scale) const;

signals:
  void limitsChanged();

private:
  struct Limits {
    std::optional<double> lower;
    std::optional<double> upper;
  };

  void load();
  void store(const QString& scale, const Limits& limits);

  QSettings* m_settings = nullptr;
  QHash<QString, Limits> m_limits;
};
