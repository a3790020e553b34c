// Drives the real interface against the tester simulator into its main states and saves a
// picture of each: scripts/screenshots.sh runs it under Xvfb. Modal windows are drawn over
// the main window as the screen would show them.
//
// brenmo-screenshots OUTPUT_DIR [FILE_PREFIX]
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QQuickWindow>
#include <QTest>
#include <QTranslator>

#include <cstdio>
#include <initializer_list>

#include "apphost.h"
#include "simulator/testersimulator.h"

namespace {

bool shoot(const AppHost& host, std::initializer_list<const char*> windows, const QString& path) {
  QQuickWindow* main = host.window(*windows.begin());
  if (!main || !QTest::qWaitForWindowExposed(main))
    return false;
  QTest::qWait(300); // let animations and late layouts settle
  QImage picture = main->grabWindow();
  QPainter painter(&picture);
  for (const char* name : windows) {
    QQuickWindow* window = host.window(name);
    if (window != main && window->isVisible())
      painter.drawImage(window->position() - main->position(), window->grabWindow());
  }
  painter.end();
  const bool saved = picture.save(path);
  std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
  return saved;
}

void measure(TesterSimulator& sim, int count) {
  for (int i = 0; i < count; ++i) {
    sim.measure(sim.randomFrequency());
    QTest::qWait(150);
  }
}

} // namespace

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QDir out(args.value(1, QStringLiteral("docs/screenshots")));
  const QString prefix = args.value(2);
  // A third argument names a catalogue (brenmo_en.qm): pictures of the translated interface.
  QTranslator translator;
  if (!args.value(3).isEmpty()) {
    if (!translator.load(args.value(3)))
      return 1;
    app.installTranslator(&translator);
  }
  if (!QDir().mkpath(out.path()))
    return 1;
  auto file = [&](const QString& name) {
    return out.filePath(prefix + name + ".png");
  };

  TesterSimulator sim;
  if (!sim.start())
    return 1;
  sim.seedMemory(14);
  qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());

  AppHost host;
  if (!host.load())
    return 1;

  bool ok = shoot(host, {"splashWindow"}, file("splash"));
  QQuickWindow* main = host.window("appWindow");
  ok = QTest::qWaitFor([main] { return main->isVisible(); }, 6000) && ok;
  ok = shoot(host, {"appWindow"}, file("main-window")) && ok;

  QMetaObject::invokeMethod(host.root(), "openSettings");
  ok = shoot(host, {"appWindow", "settings"}, file("settings-clock")) && ok;
  if (QObject* tabs = host.find(QStringLiteral("tabView"), "settings"))
    tabs->setProperty("currentIndex", 1);
  ok = shoot(host, {"appWindow", "settings"}, file("settings-scales")) && ok;
  host.window("settings")->setVisible(false);

  QMetaObject::invokeMethod(host.find(QStringLiteral("mainMenu")), "calibButtonClicked");
  measure(sim, 5);
  if (QObject* hardness = host.find(QStringLiteral("hardnessDialog"))) {
    hardness->setProperty("text", QStringLiteral("45,5"));
    QMetaObject::invokeMethod(hardness, "accepted");
  }
  measure(sim, 4);
  ok = shoot(host, {"appWindow"}, file("calibration")) && ok;

  host.window("warningDialog")->setVisible(true);
  ok = shoot(host, {"appWindow", "warningDialog"}, file("warning")) && ok;
  // The same box as it reads when the port is there but not the user's (the text it binds).
  host.window("warningDialog")
      ->setProperty("text",
                    QCoreApplication::translate("main",
                                                "Нет прав на порт %1. Выполните в терминале\n"
                                                "sudo usermod -aG dialout $USER и перезайдите.")
                        .arg(QStringLiteral("/dev/ttyUSB0")));
  ok = shoot(host, {"appWindow", "warningDialog"}, file("warning-permission")) && ok;

  const QStringList warnings = host.warnings();
  for (const QString& warning : warnings)
    std::fprintf(stderr, "QML warning: %s\n", qPrintable(warning));
  return ok && warnings.isEmpty() ? 0 : 1;
}
