// Drives the real interface against the tester simulator into its main states and saves a
// picture of each: scripts/screenshots.sh runs it under Xvfb. Modal windows are drawn over
// the main window as the screen would show them.
//
// brenmo-screenshots OUTPUT_DIR [FILE_PREFIX [main]]: with "main", the main window only.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "app/desktop.h"
#include "apphost.h"
#include "device/device.h"
#include "files/measurementworkbook.h"
#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/tolerancelimits.h"
#include "report/reportwriter.h"
#include "simulator/testersimulator.h"

#include <cmath>

namespace {

bool shoot(const AppHost& host,
           std::initializer_list<const char*> windows,
           const QString& path,
           QQuickWindow* over = nullptr) {
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
  if (over && over->isVisible())
    painter.drawImage(over->position() - main->position(), over->grabWindow());
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

// A long day on one scale: a slow drift, a little scatter, and now and then a bad reading
// (0, shown as ERR) or a hard spot, which the whole-table view must still show.
QList<Measurement> longSeries(int rows) {
  QList<Measurement> records;
  const QDateTime start(QDate(2026, 3, 2), QTime(7, 0));
  for (int i = 0; i < rows; ++i) {
    double hardness = 45.0 + 4.0 * std::sin(i / 1500.0) + ((i * 7919) % 41 - 20) / 10.0;
    if (i % 2731 == 1000)
      hardness = 0.0;
    else if (i % 4099 == 2000)
      hardness = 63.5;
    records.append(
        Measurement(start.addSecs(i * 4), "HRC", std::round(hardness * 10) / 10, 0.0, 1.0));
  }
  return records;
}

// The statistics panel with limits that leave some rows outside, and the report of the same
// list as a PDF (scripts/screenshots.sh pictures its first page).
bool shootInspection(const AppHost& host, const QString& panelPicture, const QString& pdf) {
  auto* statistics = qobject_cast<MeasurementStatistics*>(host.find(QStringLiteral("statistics")));
  MeasurementModel* table = host.device()->measures();
  if (!statistics || !statistics->limits() || table->rowCount() == 0)
    return false;
  // Limits around the first row's scale, at its rows' middle: rows fall on both sides.
  const QString scale = table->scale(0);
  QList<double> values;
  for (int row = 0; row < table->rowCount(); ++row)
    if (table->scale(row) == scale)
      values << table->hardness(row);
  std::sort(values.begin(), values.end());
  const QString lower = QString::number(values[values.size() / 3], 'f', 1);
  const QString upper = QString::number(values[values.size() * 5 / 6], 'f', 1);
  statistics->limits()->setLimits(scale, lower, upper);
  QMetaObject::invokeMethod(host.root(), "openStatistics");
  bool ok = shoot(host, {"appWindow", "statisticsPanel"}, panelPicture);
  host.window("statisticsPanel")->setVisible(false);

  auto* graph = qobject_cast<QQuickItem*>(host.find(QStringLiteral("graph")));
  auto* writer = qobject_cast<ReportWriter*>(host.find(QStringLiteral("reportWriter")));
  if (!graph || !writer)
    return false;
  QTest::qWait(300);
  const QRectF area = graph->mapRectToScene(QRectF(0, 0, graph->width(), graph->height()));
  const QImage chart = host.window("appWindow")->grabWindow().copy(area.toAlignedRect());
  const QString identity = host.find(QStringLiteral("mainMenu"))->property("devNumber").toString();
  ok = writer->writeReport(pdf,
                           statistics,
                           identity,
                           QCoreApplication::translate("ScaleModel", "Все шкалы"),
                           chart) &&
       ok;
  std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(pdf));
  return ok;
}

// A table of 20,000 rows opened from a workbook, as the whole table and zoomed in.
bool shootLongTable(const AppHost& host, const QString& whole, const QString& zoomed) {
  QTemporaryDir dir;
  const QString fileName = dir.filePath(QStringLiteral("long.xlsx"));
  if (!writeMeasurementWorkbook(fileName, longSeries(20000)))
    return false;
  host.device()->measures()->openFromXlsx(fileName);
  QObject* graph = host.find(QStringLiteral("graph"));
  QMetaObject::invokeMethod(graph, "updateAxis");
  bool ok = shoot(host, {"appWindow"}, whole);
  QMetaObject::invokeMethod(
      graph, "setHorizontalRange", Q_ARG(QVariant, 9990.0), Q_ARG(QVariant, 10020.0));
  ok = shoot(host, {"appWindow"}, zoomed) && ok;
  return ok;
}

} // namespace

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QDir out(args.value(1, QStringLiteral("docs/screenshots")));
  const QString prefix = args.value(2);
  // Further arguments: a catalogue (brenmo_en.qm) for pictures of the translated interface,
  // "main" to stop after the main window, and "plain" for the dialogs of a desktop that
  // composites nothing (otherwise they are pictured as a compositing desktop shows them).
  const QStringList options = args.mid(3);
  const bool mainWindowOnly = options.contains(QStringLiteral("main"));
  Desktop::instance().setComposited(!options.contains(QStringLiteral("plain")));
  QTranslator translator;
  for (const QString& option : options) {
    if (!option.endsWith(QLatin1String(".qm")))
      continue;
    if (!translator.load(option))
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
  // The connection follows the main window's first frame.
  QQuickWindow* wait = host.window("waitDialog");
  ok = QTest::qWaitFor(
           [&] { return host.device()->measures()->rowCount() == 14 && !wait->isVisible(); },
           10000) &&
       ok;
  ok = shoot(host, {"appWindow"}, file("main-window")) && ok;
  if (mainWindowOnly)
    return ok ? 0 : 1;
  ok = shootInspection(host, file("statistics"), out.filePath(prefix + "report.pdf")) && ok;

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
    hardness->setProperty("visible", true);
    ok = shoot(host,
               {"appWindow"},
               file("calibration-hardness"),
               qobject_cast<QQuickWindow*>(hardness)) &&
         ok;
    QMetaObject::invokeMethod(hardness, "accept"); // as OK does: answers and hides
  }
  measure(sim, 4);
  ok = shoot(host, {"appWindow"}, file("calibration")) && ok;

  // The confirmation with its table: two more blocks, then the question; cancel writes nothing.
  QObject* hardness = host.find(QStringLiteral("hardnessDialog"));
  QObject* calibList = host.find(QStringLiteral("rightPanel2"));
  auto closeTest = [&](const char* reference) {
    hardness->setProperty("text", QString::fromUtf8(reference));
    QMetaObject::invokeMethod(hardness, "accept");
  };
  if (hardness && calibList) {
    closeTest("30,0");
    // A block the current constants read near 55 (above their MAX they read ERR).
    double hard = 400.0;
    while (hard < 1200.0 && !(sim.hardnessFor(hard) > 0.0 && sim.hardnessFor(hard) <= 55.0))
      hard += 1.0;
    for (int shot = 0; shot < 5; ++shot) {
      sim.measure(hard + shot - 2);
      QTest::qWait(150);
    }
    closeTest("55,0");
    QMetaObject::invokeMethod(calibList, "askToFinish");
    auto* confirm = qobject_cast<QQuickWindow*>(host.find(QStringLiteral("finishDialog")));
    ok = confirm && shoot(host, {"appWindow"}, file("calibration-confirm"), confirm) && ok;
    if (confirm)
      QMetaObject::invokeMethod(confirm, "cancel");
    // The undo question as it reads with a date (nothing is kept in this run).
    auto* undo = qobject_cast<QQuickWindow*>(host.find(QStringLiteral("undoDialog")));
    if (undo) {
      undo->setProperty("keptSince", QStringLiteral("09.12.2026 03:58"));
      undo->setVisible(true);
      ok = shoot(host, {"appWindow"}, file("calibration-undo"), undo) && ok;
      undo->setVisible(false);
    }
    ok = undo && ok;
  } else {
    ok = false;
  }

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
  host.window("warningDialog")->setVisible(false);

  QMetaObject::invokeMethod(host.find(QStringLiteral("mainMenu")), "calibButtonClicked");
  // A context for the history's series, then the history window.
  if (QObject* recorder = host.find(QStringLiteral("archiveRecorder"))) {
    QObject* context = recorder->property("context").value<QObject*>();
    context->setProperty("part", QStringLiteral("Вал 12"));
    context->setProperty("lot", QStringLiteral("П-7"));
    context->setProperty("inspector", QStringLiteral("Иванов"));
    measure(sim, 3);
    host.window("history")->setVisible(true);
    ok = shoot(host, {"history"}, file("history")) && ok;
    host.window("history")->setVisible(false);
  }

  ok = shootLongTable(host, file("chart-20000-whole"), file("chart-20000-zoomed")) && ok;

  const QStringList warnings = host.warnings();
  for (const QString& warning : warnings)
    std::fprintf(stderr, "QML warning: %s\n", qPrintable(warning));
  return ok && warnings.isEmpty() ? 0 : 1;
}
