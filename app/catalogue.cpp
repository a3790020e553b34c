#include "app/catalogue.h"

#include <QDir>
#include <QTranslator>

#ifndef BRENMO_CATALOGUE_FROM_PROGRAM
// Relative to the program's folder; the build sets it from the install's layout.
#define BRENMO_CATALOGUE_FROM_PROGRAM "../share/brenmo/translations"
#endif

bool loadCatalogue(QTranslator& translator,
                   const QLocale& userLocale,
                   const QString& installedFolder) {
  if (translator.load(QStringLiteral("brenmo_en"), QString(), QString(), QString()))
    return true;
  if (installedFolder.isEmpty())
    return false;
  // "brenmo" + "_" + each of the user's languages ("en_GB", "en"), as Qt searches them.
  return translator.load(
      userLocale, QStringLiteral("brenmo"), QStringLiteral("_"), installedFolder);
}

QString installedCatalogueFolder(const QString& programFolder) {
  return QDir::cleanPath(programFolder + QLatin1Char('/') +
                         QStringLiteral(BRENMO_CATALOGUE_FROM_PROGRAM));
}

bool loadFrameworkCatalogue(QTranslator& translator, const QString& frameworkFolder) {
  return translator.load(QStringLiteral("qtbase_ru"), frameworkFolder);
}
