#pragma once

#include <QString>

// Where each file dialog was last used, kept in the settings file, so that it opens there
// the next time, also after a restart.
namespace LastFolder {

// The keys of the settings file, one per dialog.
inline const char WorkbookKey[] = "LastWorkbookFolder";
inline const char ReportKey[] = "LastReportFolder";

// The folder last kept under this key while it still exists, else the user's documents.
QString folder(const char* key);
// Keeps the folder of the chosen file; an empty name (a cancelled dialog) keeps nothing.
void remember(const char* key, const QString& chosenFile);

} // namespace LastFolder
