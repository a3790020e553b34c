#pragma once

#include <QString>

class QObject;
class QSettings;

// The program's one settings file (INI, per user): the last port, the descriptions of user
// scales, the tolerance limits, the calibrations that can be undone. Every owner opens it
// through here, so all agree on its place.
namespace SettingsFile {

// A file with lines QSettings cannot read is first copied beside itself and cleared of those
// lines, so one damaged group does not cost the groups after it.
QSettings* open(QObject* parent);

// What opening had to mend and where the copy is, to be told to the user once: empty when
// nothing was mended, and after the first call.
QString takeNotice();

} // namespace SettingsFile
