#include <clocale>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QScreen>
#include <QTranslator>

#include "app/catalogue.h"
#include "app/qmlregistration.h"

int main(int argc, char* argv[]) {
  // Widgets, not just Gui: the workbook file dialogs are widget dialogs.
  QApplication app(argc, argv);
  // The application object takes the C library's locale from the environment; in ru_RU
  // every printf and strtod, ours and our libraries', would use a decimal comma. Texts are
  // translated by Qt, so only the numbers go back to the C form.
  std::setlocale(LC_NUMERIC, "C");

  // The texts are Russian; brenmo_en.qm in the working directory, or the installed one for
  // a user whose language is English, replaces them. Otherwise the framework's own dialogs
  // and buttons are made Russian too.
  QTranslator translator;
  const bool english =
      loadCatalogue(translator,
                    QLocale::system(),
                    installedCatalogueFolder(QCoreApplication::applicationDirPath()));
  if (english ||
      loadFrameworkCatalogue(translator, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&translator);

  // The calendar's months and days in the interface's language. Typed numbers take a decimal
  // comma or point whatever the locale.
  const QLocale system = QLocale::system();
  QLocale::setDefault(!english ? QLocale(QLocale::Russian)
                      : system.language() == QLocale::English
                          ? system
                          : QLocale(QLocale::English, QLocale::UnitedKingdom));

  const QScreen* screen = QGuiApplication::primaryScreen();
  registerQmlTypes(screen ? screen->logicalDotsPerInch() : 96.0);

  QQmlApplicationEngine engine;
  addQmlModulePath(engine);
  engine.load(QUrl(QStringLiteral("qrc:/qml/main.qml")));
  return app.exec();
}
