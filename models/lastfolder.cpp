#include "models/lastfolder.h"

#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "models/settingsfile.h"

namespace LastFolder {

QString folder(const char* key) {
  const std::unique_ptr<QSettings> settings(SettingsFile::open(nullptr));
  const QString kept = settings->value(QLatin1String(key)).toString();
  if (!kept.isEmpty() && QDir(kept).exists())
    return kept;
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void remember(const char* key, const QString& chosenFile) {
  if (chosenFile.isEmpty())
    return;
  const std::unique_ptr<QSettings> settings(SettingsFile::open(nullptr));
  settings->setValue(QLatin1String(key), QFileInfo(chosenFile).absolutePath());
  settings->sync();
}

} // namespace LastFolder
