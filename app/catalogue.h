#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

// Where start-up looks for the English catalogue "brenmo_en.qm": first the working
// directory, whatever the user's language, so a catalogue put next to the program's start
// switches it to English as it always did; then the folder the install puts it in, where it
// is taken only when the user's interface language is English, so that an installed
// program still speaks Russian to Russian users.
//
// True when a catalogue was loaded. The translator stays empty otherwise and the Russian
// texts stand.
bool loadCatalogue(QTranslator& translator,
                   const QLocale& userLocale,
                   const QString& installedFolder);

// The installed catalogue's folder for a program in this folder (its bin/ on Linux).
QString installedCatalogueFolder(const QString& programFolder);

// The framework's own Russian texts (file dialogs, standard buttons) for the Russian
// interface: qtbase_ru.qm from the folder Qt keeps its catalogues in. Without it they stay
// English, which is no harm. True when it was loaded.
bool loadFrameworkCatalogue(QTranslator& translator, const QString& frameworkFolder);
