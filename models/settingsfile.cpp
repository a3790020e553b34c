#include "models/settingsfile.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace SettingsFile {

QSettings* open(QObject* parent) {
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/");
  return new QSettings(QSettings::IniFormat,
                       QSettings::UserScope,
                       QStringLiteral("Brenmo"),
                       QStringLiteral("settings"),
                       parent);
}

} // namespace SettingsFile
