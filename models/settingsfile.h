#pragma once

class QObject;
class QSettings;

// The program's one settings file (INI, per user): the last port, the descriptions of user
// scales, the tolerance limits. Every owner opens it through here, so all agree on its place.
namespace SettingsFile {

QSettings* open(QObject* parent);

} // namespace SettingsFile
