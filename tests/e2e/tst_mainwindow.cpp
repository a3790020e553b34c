// The whole interface against the tester simulator: the real main.qml, the real Device, and
// the bytes the tester receives.
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaProperty>
#include <QMimeData>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <memory>

#include "app/qmlregistration.h"
#include "apphost.h"
#include "calibration/calibration.h"
#include "device/device.h"
#include "formats/testertime.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "models/settingsfile.h"
#include "simulator/testersimulator.h"
#include "tests/support/filedialoganswer.h"
#include "tests/support/openpyxl.h"

namespace {

// A button found by its label, as a user would find it.
QObject* childWithText(QQuickWindow* window, const QString& text) {
  const auto items =
      window->findChildren<QQuickItem*>() + window->contentItem()->findChildren<QQuickItem*>();
  for (QQuickItem* item : items)
    if (item->metaObject()->indexOfSignal("clicked()") >= 0 && item->property("text") == text)
      return item;
  return nullptr;
}

int countOf(const QByteArray& haystack, const QByteArray& needle) {
  return haystack.count(needle);
}

// Whether a shown item of the window, a tooltip among them, reads this text.
bool showsText(QQuickItem* item, const QString& text) {
  if (!item->isVisible())
    return false;
  if (item->property("text").toString() == text)
    return true;
  const auto children = item->childItems();
  return std::any_of(children.cbegin(), children.cend(), [&](QQuickItem* child) {
    return showsText(child, text);
  });
}

// Drags a file over the window's middle and lets go, as from a file manager; false when the
// window refused it on entering.
bool dropFile(QQuickWindow* window, const QString& fileName) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(fileName)});
  const QPoint middle(window->width() / 2, window->height() / 2);
  QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &enter);
  if (!enter.isAccepted())
    return false;
  QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &drop);
  return true;
}

QList<double> hardnesses(MeasurementModel* table) {
  QList<double> values;
  for (int row = 0; row < table->rowCount(); ++row)
    values << table->hardness(row);
  return values;
}

} // namespace

class MainWindowEndToEnd : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void cleanup();

  void lookDocumentFollowsTheScreenDensity();
  void bothLooksDefineTheSameProperties();
  void splashTimeoutConnectsReadsTheMemoryAndTheScales();
  void liveMeasurementsReplaceThenExtendTheTable();
  void applyingSettingsSendsTheClockTheChangedScalesAndTheMask();
  void settingsStartFromTheComputersClockWhenTheTesterGivesNoTime();
  void escapeClosesTheSettingsAlsoAfterAScaleFieldHadTheFocus();
  void calibrationWritesTheFittedConstantsToTheTester();
  void calibrationIsConfirmedOnItsTableAndCanBeUndoneOnce();
  void referenceTypedInAHurryReplacesTheKeptOneAndAMistypeIsRefused();
  void savedWorkbookReadsBackExactlyInOpenpyxlInTheUsersLocale();
  void withoutATesterTheWindowWarnsAndKeepsItsPlaceholder();
  void keysTipsADroppedWorkbookAndUndoServeTheDesk();

private:
  double meanFrequency(MeasurementModel* model) const;
  void measureSeries(const QList<double>& frequencies);
  void click(const QString& objectName);
  static void type(QWindow* window, const char* text);
  void applySettings();

  TesterSimulator sim;
  AppHost host;
  Device* device = nullptr;
};

void MainWindowEndToEnd::initTestCase() {
  QVERIFY(sim.start());
  sim.seedMemory(5);
  sim.setClock(QDateTime(QDate(2031, 5, 6), QTime(7, 8, 9)));
  qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
  QVERIFY(host.load());
  device = host.device();
  QVERIFY(device);
  QVERIFY(host.warnings().isEmpty());
}

void MainWindowEndToEnd::cleanup() {
  const QStringList warnings = host.warnings();
  QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
}

void MainWindowEndToEnd::lookDocumentFollowsTheScreenDensity() {
  const QUrl normal(QStringLiteral("qrc:/qml/Defines.qml"));
  const QUrl dense(QStringLiteral("qrc:/qml/DefinesHighDpi.qml"));
  QCOMPARE(definesDocumentFor(72.0), normal);
  QCOMPARE(definesDocumentFor(96.0), normal);
  QCOMPARE(definesDocumentFor(96.01), dense);
  QCOMPARE(definesDocumentFor(192.0), dense);
}

// A property missing from one look would only show as a warning on screens of that density.
void MainWindowEndToEnd::bothLooksDefineTheSameProperties() {
  qmlRegisterSingletonType(
      QUrl(QStringLiteral("qrc:/qml/Defines.qml")), "brenmo.look.normal", 1, 0, "Look");
  qmlRegisterSingletonType(
      QUrl(QStringLiteral("qrc:/qml/DefinesHighDpi.qml")), "brenmo.look.dense", 1, 0, "Look");
  QQmlEngine engine;
  QQmlComponent component(&engine);
  component.setData("import QtQml 2.2\n"
                    "import brenmo.look.normal 1.0 as Normal\n"
                    "import brenmo.look.dense 1.0 as Dense\n"
                    "QtObject { property var normal: Normal.Look; property var dense: Dense.Look }",
                    QUrl());
  std::unique_ptr<QObject> looks(component.create());
  QVERIFY2(looks, qPrintable(component.errorString()));
  auto* normal = looks->property("normal").value<QObject*>();
  auto* dense = looks->property("dense").value<QObject*>();
  QVERIFY(normal && dense);

  auto ownProperties = [](const QObject* look) {
    QStringList names;
    const QMetaObject* meta = look->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
      names << QString::fromLatin1(meta->property(i).name());
    names.sort();
    return names;
  };
  QCOMPARE(ownProperties(dense), ownProperties(normal));
  for (const QString& name : ownProperties(normal)) {
    const QVariant small = normal->property(qPrintable(name));
    const QVariant large = dense->property(qPrintable(name));
    if (small.type() == QVariant::Int)
      QVERIFY2(large.toInt() >= small.toInt() && small.toInt() > 0, qPrintable(name));
    else
      QCOMPARE(large, small); // the colours are the same in both looks
  }
}

void MainWindowEndToEnd::splashTimeoutConnectsReadsTheMemoryAndTheScales() {
  QQuickWindow* main = host.window("appWindow");
  QVERIFY(!main->isVisible());
  QVERIFY(host.window("splashWindow")->isVisible());

  QTRY_VERIFY_WITH_TIMEOUT(main->isVisible(), 5000);
  QVERIFY(!host.window("splashWindow")->isVisible());
  // The connection follows the main window's first frame.
  QTRY_COMPARE_WITH_TIMEOUT(device->measures()->rowCount(), 5, 5000);
  QTRY_VERIFY_WITH_TIMEOUT(!host.window("waitDialog")->isVisible(), 10000);

  const QByteArray sent = sim.received();
  // Whose records they are, then the records.
  QVERIFY(sent.startsWith("getid\nreaddata\n"));
  const int rows = device->scales()->rowCount();
  for (int row = 0; row < rows; ++row)
    QVERIFY2(sent.contains("setscale " + QByteArray::number(row) + "\n"), "scale not read");
  QVERIFY(sent.indexOf("getscl\n") > sent.indexOf("setscale " + QByteArray::number(rows - 1)));

  QCOMPARE(device->measures()->rowCount(), 5);
  // The identity line keeps its line feed; the label shows it as it came.
  QCOMPARE(host.find("mainMenu")->property("devNumber").toString().trimmed(), sim.identity());
  QVERIFY(main->property("isValidScales").toBool());
  QVERIFY(!host.window("waitDialog")->isVisible());
  QVERIFY(!host.window("warningDialog")->isVisible());
  QObject* axisX = host.find("graph")->property("axisX").value<QObject*>();
  QCOMPARE(axisX->property("max").toDouble(), 10.0);
}

void MainWindowEndToEnd::liveMeasurementsReplaceThenExtendTheTable() {
  MeasurementModel* table = device->measures();
  sim.measure(sim.randomFrequency());
  QTRY_COMPARE(table->rowCount(), 1);
  QCOMPARE(table->hardness(0), sim.memory().constLast().hardness);

  sim.measure(sim.randomFrequency());
  QTRY_COMPARE(table->rowCount(), 2);
  QObject* axisX = host.find("graph")->property("axisX").value<QObject*>();
  QTRY_COMPARE(axisX->property("max").toDouble(), 5.0);
}

void MainWindowEndToEnd::applySettings() {
  QQuickWindow* settings = host.window("settings");
  QObject* apply = childWithText(settings, QStringLiteral("ПРИМЕНИТЬ"));
  QVERIFY(apply);
  QVERIFY(QMetaObject::invokeMethod(apply, "clicked"));
  QVERIFY(!settings->isVisible());
}

void MainWindowEndToEnd::applyingSettingsSendsTheClockTheChangedScalesAndTheMask() {
  sim.clearReceived();
  QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
  QVERIFY(host.window("settings")->isVisible());
  QVERIFY(sim.received().contains("gettime\n"));
  QVERIFY2(!sim.received().contains("getscl\n"), "scales already read since the connection");

  const int slot = device->scales()->lowestHiddenNumber();
  QCOMPARE(slot, 3);
  device->scales()->unhideLowestScale(QStringLiteral("TST"), QStringLiteral("test block"));
  device->scales()->setEnabled(slot, true); // the user ticks the new scale

  sim.clearReceived();
  applySettings();
  if (QTest::currentTestFailed())
    return;

  const QByteArray sent = sim.received();
  QVERIFY(sent.startsWith("settime\n"));
  QVERIFY(sent.contains("setscale 3\n"));
  QCOMPARE(countOf(sent, "setconst\n"), 1);
  QVERIFY(sent.indexOf("wct\n") > sent.indexOf("setconst\n"));
  QVERIFY(sent.indexOf("setscl ") > sent.indexOf("wct\n"));
  QCOMPARE(sim.scaleSlot(3).name, QStringLiteral("TST"));
  QVERIFY2(!(sim.offMask() & (1 << 3)), "the new user scale is switched on");
  // The settings window started from the tester's clock and sent it back, still running.
  QVERIFY(qAbs(sim.clock().secsTo(QDateTime(QDate(2031, 5, 6), QTime(7, 8, 9)))) < 120);
  QVERIFY(!host.window("appWindow")->property("isValidScales").toBool());
  QCOMPARE(device->scales()->modifiedIndexes(), QList<int>());

  // The next opening reads the scales again.
  sim.clearReceived();
  QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
  QVERIFY(sim.received().contains("getscl\n"));
  host.window("settings")->setVisible(false);
}

void MainWindowEndToEnd::settingsStartFromTheComputersClockWhenTheTesterGivesNoTime() {
  sim.setClock(QDateTime(QDate(2031, 5, 6), QTime(7, 8, 9)));
  sim.failReply("gettime\n", 0, TesterSimulator::Failure::Garble);
  QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
  QVERIFY(host.window("settings")->isVisible());
  sim.clearReceived();
  applySettings();
  if (QTest::currentTestFailed())
    return;
  // No clock came in time: the link gets back in step, on the scale record, before the clock
  // is set.
  QVERIFY(sim.received().startsWith("getscale\nsettime\n"));
  const qint64 offset = sim.clock().secsTo(QDateTime::currentDateTime());
  QVERIFY2(qAbs(offset) < 120, qPrintable(sim.clock().toString(Qt::ISODate)));

  // The main window itself never hands the settings window an invalid date.
  QVariant start;
  QVERIFY(QMetaObject::invokeMethod(host.root(),
                                    "clockStart",
                                    Q_RETURN_ARG(QVariant, start),
                                    Q_ARG(QVariant, QVariant(QDateTime()))));
  QVERIFY(start.toDateTime().isValid());
  QVERIFY(qAbs(start.toDateTime().secsTo(QDateTime::currentDateTime())) < 120);
  const QDateTime testerTime(QDate(2031, 5, 6), QTime(7, 8, 9));
  QVERIFY(QMetaObject::invokeMethod(host.root(),
                                    "clockStart",
                                    Q_RETURN_ARG(QVariant, start),
                                    Q_ARG(QVariant, QVariant(testerTime))));
  QCOMPARE(start.toDateTime(), testerTime);
}

void MainWindowEndToEnd::escapeClosesTheSettingsAlsoAfterAScaleFieldHadTheFocus() {
  QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
  QQuickWindow* settings = host.window("settings");
  QVERIFY(settings->isVisible());
  QTRY_VERIFY(settings->isActive());
  host.find(QStringLiteral("tabView"), "settings")->setProperty("currentIndex", 1);
  auto* field = qobject_cast<QQuickItem*>(host.find(QStringLiteral("newScaleName"), "settings"));
  QVERIFY(field);
  field->forceActiveFocus();
  QTRY_VERIFY(field->hasActiveFocus());
  QTest::keyClick(settings, Qt::Key_Tab); // on to the next field, as a user would
  // Back to the clock tab: the field that had the focus is hidden with its tab.
  host.find(QStringLiteral("tabView"), "settings")->setProperty("currentIndex", 0);
  QTest::keyClick(settings, Qt::Key_Escape);
  QTRY_VERIFY(!settings->isVisible());
}

double MainWindowEndToEnd::meanFrequency(MeasurementModel* model) const {
  double sum = 0.0;
  for (int row = 0; row < model->rowCount(); ++row)
    sum += model->frequency(row);
  return sum / model->rowCount();
}

void MainWindowEndToEnd::measureSeries(const QList<double>& frequencies) {
  MeasurementModel* model = device->calibMeasures();
  const int before = model->rowCount();
  for (double frequency : frequencies)
    sim.measure(frequency);
  QTRY_COMPARE(model->rowCount(), before + frequencies.size());
}

void MainWindowEndToEnd::type(QWindow* window, const char* text) {
  for (const char* key = text; *key; ++key)
    QTest::keyClick(window, *key);
}

void MainWindowEndToEnd::click(const QString& objectName) {
  auto* item = qobject_cast<QQuickItem*>(host.find(objectName));
  QVERIFY(item);
  const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
  QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void MainWindowEndToEnd::referenceTypedInAHurryReplacesTheKeptOneAndAMistypeIsRefused() {
  QQuickWindow* main = host.window("appWindow");
  sim.setCurrentScale(0);
  QVERIFY(QMetaObject::invokeMethod(host.find("mainMenu"), "calibButtonClicked"));
  QVERIFY(main->property("calibMode").toBool());
  auto* entry = qobject_cast<QQuickWindow*>(host.find("hardnessDialog"));
  auto* empty = qobject_cast<QQuickWindow*>(host.find("emptyTestDialog"));
  auto* refused = qobject_cast<QQuickWindow*>(host.find("referenceRefusedDialog"));
  QObject* log = host.find("testLog");
  QVERIFY(entry && empty && refused && log);

  // Nothing measured: nothing to log, and the user is told why.
  click("finishTestButton");
  QTRY_VERIFY(empty->isVisible());
  QVERIFY(!entry->isVisible());
  QMetaObject::invokeMethod(empty, "accept");
  QCOMPARE(log->property("text").toString(), QString());

  // Typed at once, without a click into the field, and closed with Return.
  measureSeries({4100.0, 4120.0});
  click("finishTestButton");
  QTRY_VERIFY(entry->isVisible() && entry->isActive());
  type(entry, "41,5");
  QTest::keyClick(entry, Qt::Key_Return);
  QTRY_VERIFY(!entry->isVisible());

  // The kept text is selected: what is typed replaces it.
  measureSeries({5300.0, 5320.0});
  click("finishTestButton");
  QTRY_VERIFY(entry->isVisible() && entry->isActive());
  type(entry, "50,5");
  QCOMPARE(entry->property("text").toString(), QStringLiteral("50,5"));
  // Typed on after it, a second separator is refused, not read as another number.
  type(entry, ",5");
  QTest::keyClick(entry, Qt::Key_Return);
  QTRY_VERIFY(refused->isVisible());
  QVERIFY(log->property("text").toString().count(QStringLiteral("ТЕСТ")) == 1);
  QCOMPARE(device->calibMeasures()->rowCount(), 2);
  QMetaObject::invokeMethod(refused, "accept");
  QTRY_VERIFY(entry->isVisible() && entry->isActive());
  type(entry, "50,5");
  QTest::keyClick(entry, Qt::Key_Return);
  QTRY_VERIFY(!entry->isVisible());
  const QStringList lines = log->property("text").toString().split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), 2);
  QVERIFY(lines[0].startsWith("ТЕСТ 1: ") && lines[0].endsWith(" -> 41,5"));
  QVERIFY(lines[1].startsWith("ТЕСТ 2: ") && lines[1].endsWith(" -> 50,5"));
  QVariantMap preview;
  QVERIFY(QMetaObject::invokeMethod(
      host.find("calibration"), "preview", Q_RETURN_ARG(QVariantMap, preview)));
  const QVariantList rows = preview.value("rows").toList();
  QCOMPARE(rows.size(), 2);
  QCOMPARE(rows[0].toMap().value("reference").toDouble(), 41.5);
  QCOMPARE(rows[1].toMap().value("reference").toDouble(), 50.5);

  QVERIFY(QMetaObject::invokeMethod(host.find("mainMenu"), "calibButtonClicked"));
  QVERIFY(!main->property("calibMode").toBool());
}

void MainWindowEndToEnd::calibrationWritesTheFittedConstantsToTheTester() {
  QObject* menu = host.find("mainMenu");
  QQuickWindow* main = host.window("appWindow");
  sim.setCurrentScale(1); // HB: calibrated as an exponential

  sim.clearReceived();
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(main->property("calibMode").toBool());
  QVERIFY(sim.received().contains("getid\n"));
  // The calibration list opens on the tester's current scale.
  QVERIFY(sim.received().contains("getscale\n"));
  QObject* scaleCombo = host.find("rightPanel2")->property("comboBox").value<QObject*>();
  QCOMPARE(scaleCombo->property("currentText").toString(), QStringLiteral("HB"));
  QVERIFY(host.find("rightPanel2")->property("visible").toBool());
  QCOMPARE(host.find("graph")->property("chartModel").value<QObject*>(), device->calibMeasures());

  auto* calibration = qobject_cast<Calibration*>(host.find("calibration"));
  QVERIFY(calibration);
  MeasurementModel* series = device->calibMeasures();
  const int tableRows = device->measures()->rowCount();

  measureSeries({4100.0, 4120.0, 4110.0});
  const double x1 = meanFrequency(series);
  calibration->addTest(series, QStringLiteral("45,5"));
  QCOMPARE(series->rowCount(), 0);

  measureSeries({5300.0, 5320.0});
  const double x2 = meanFrequency(series);
  calibration->addTest(series, QStringLiteral("60"));
  QCOMPARE(device->measures()->rowCount(), tableRows);

  sim.clearReceived();
  QVERIFY(calibration->endTest());
  const QByteArray sent = sim.received();
  QVERIFY(sent.contains("setconst\n"));
  QVERIFY(sent.indexOf("wct\n") > sent.indexOf("setconst\n"));

  // Two tests on HB: ln(hardness) is a straight line in the frequency through both points.
  const double slope = (std::log(60.0) - std::log(45.5)) / (x2 - x1);
  const double a = std::exp(std::log(45.5) - slope * x1);
  const double b = 1.0 / slope;
  const TesterSimulator::ScaleSlot written = sim.scaleSlot(1);
  QVERIFY2(qAbs(written.a - a) <= 1e-4 * qAbs(a), qPrintable(QString::number(written.a)));
  QVERIFY2(qAbs(written.b - b) <= 1e-4 * qAbs(b), qPrintable(QString::number(written.b)));
  QCOMPARE(written.type, 1);
  QCOMPARE(written.points, 2);

  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(!main->property("calibMode").toBool());
  QVERIFY(host.find("rightPanel")->property("visible").toBool());
  QCOMPARE(host.find("graph")->property("chartModel").value<QObject*>(), device->measures());
}

void MainWindowEndToEnd::calibrationIsConfirmedOnItsTableAndCanBeUndoneOnce() {
  QObject* menu = host.find("mainMenu");
  QQuickWindow* main = host.window("appWindow");
  sim.setCurrentScale(0);
  const TesterSimulator::ScaleSlot old = sim.scaleSlot(0);
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(main->property("calibMode").toBool());
  QObject* panel = host.find("rightPanel2");
  QObject* confirm = host.find("finishDialog");
  auto* calibration = qobject_cast<Calibration*>(host.find("calibration"));
  QVERIFY(panel && confirm && calibration);
  QVERIFY(!panel->property("undoAvailable").toBool());
  MeasurementModel* series = device->calibMeasures();
  measureSeries({4100.0, 4120.0});
  calibration->addTest(series, QStringLiteral("60"));
  measureSeries({5300.0, 5320.0});
  calibration->addTest(series, QStringLiteral("40"));

  // The table comes first; cancelling it writes nothing and the run goes on.
  sim.clearReceived();
  QVERIFY(QMetaObject::invokeMethod(panel, "askToFinish"));
  QVERIFY(confirm->property("visible").toBool());
  QCOMPARE(panel->property("fitPreview").toMap().value("rows").toList().size(), 2);
  QVERIFY(QMetaObject::invokeMethod(confirm, "cancel"));
  QTest::qWait(200);
  QVERIFY(!sim.received().contains("setconst"));
  QCOMPARE(sim.scaleSlot(0).a, old.a);
  QCOMPARE(calibration->testCount(), 2);
  QVERIFY(main->property("calibMode").toBool());

  QVERIFY(QMetaObject::invokeMethod(panel, "askToFinish"));
  QVERIFY(QMetaObject::invokeMethod(confirm, "accept"));
  QVERIFY(sim.received().contains("setconst\n"));
  QVERIFY(!main->property("calibMode").toBool());
  QVERIFY(sim.scaleSlot(0).a != old.a);

  // Back on HRC the old constants are offered, once.
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(panel->property("undoAvailable").toBool());
  QVERIFY(QMetaObject::invokeMethod(panel, "undoLastCalibration"));
  QCOMPARE(sim.scaleSlot(0).a, old.a);
  QCOMPARE(sim.scaleSlot(0).b, old.b);
  QCOMPARE(sim.scaleSlot(0).points, old.points);
  QVERIFY(!panel->property("undoAvailable").toBool());
  QObject* result = host.find("undoResultDialog");
  QVERIFY(result && result->property("visible").toBool());
  QVERIFY(QMetaObject::invokeMethod(result, "accept"));
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(!main->property("calibMode").toBool());
}

void MainWindowEndToEnd::savedWorkbookReadsBackExactlyInOpenpyxlInTheUsersLocale() {
  // The users' locale, as the application object takes it from their desktop.
  const QByteArray before = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "ru_RU.UTF-8"))
    QSKIP("ru_RU.UTF-8 is not generated; scripts/install-deps.sh generates it");
  const QString python = pythonWithOpenpyxl();
  QObject* menu = host.find("mainMenu");
  QTemporaryDir folder;
  const QString fileName = folder.filePath(QStringLiteral("смена.xlsx"));
  sim.measure(812.5); // a hardness with decimals
  MeasurementModel* table = device->measures();
  QTRY_VERIFY(table->rowCount() >= 3);

  answerFileDialog(this, fileName);
  QVERIFY(QMetaObject::invokeMethod(menu, "saveButtonClicked"));
  QVERIFY(!host.window("failureDialog")->isVisible());
  std::setlocale(LC_ALL, before.constData());
  QVERIFY(QFile::exists(fileName));

  if (!python.isEmpty()) {
    QProcess process;
    process.start(python,
                  {QStringLiteral("-c"),
                   QStringLiteral("import json, sys, openpyxl\n"
                                  "sheet = openpyxl.load_workbook(sys.argv[1])['Измерения']\n"
                                  "print(json.dumps([[c.value for c in row] for row in "
                                  "sheet.iter_rows()], ensure_ascii=False))"),
                   fileName});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(rows.size(), table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row) {
      const QJsonArray cells = rows[row].toArray();
      QCOMPARE(cells[0].toString(), TesterTime::format(table->dateTime(row)));
      QCOMPARE(cells[1].toDouble(), table->hardness(row));
    }
  }

  // What cannot be opened is said, and the list stays as it was.
  QFile notes(folder.filePath(QStringLiteral("notes.xlsx")));
  QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("HRC;45,5\n") > 0);
  notes.close();
  const int rows = table->rowCount();
  answerFileDialog(this, notes.fileName());
  QVERIFY(QMetaObject::invokeMethod(menu, "openButtonClicked"));
  QQuickWindow* failure = host.window("failureDialog");
  QVERIFY(failure->isVisible());
  QVERIFY(failure->property("text").toString().startsWith(QStringLiteral("Файл не открыт")));
  QCOMPARE(table->rowCount(), rows);
  failure->setVisible(false);
  if (python.isEmpty())
    QSKIP("python3 with openpyxl is not installed: the workbook was not read back");
}

void MainWindowEndToEnd::withoutATesterTheWindowWarnsAndKeepsItsPlaceholder() {
  qputenv("BRENMO_TESTER_PORT", "/nonexistent/brenmo-tester");
  AppHost alone;
  QVERIFY(alone.load());
  QQuickWindow* main = alone.window("appWindow");
  QTRY_VERIFY_WITH_TIMEOUT(main->isVisible(), 5000);

  QTRY_VERIFY_WITH_TIMEOUT(alone.window("warningDialog")->isVisible(), 5000);
  QVERIFY(!alone.window("waitDialog")->isVisible());
  QCOMPARE(alone.find("mainMenu")->property("devNumber").toString(),
           QStringLiteral("BRENMO #XXXXX"));
  QObject* axisX = alone.find("graph")->property("axisX").value<QObject*>();
  QCOMPARE(axisX->property("max").toDouble(), 5.0);
  alone.window("warningDialog")->setVisible(false);

  // Settings and calibration need a tester too; the warning says so.
  QVERIFY(QMetaObject::invokeMethod(alone.find("mainMenu"), "settingsButtonClicked"));
  QVERIFY(!alone.window("settings")->isVisible());
  QVERIFY(alone.window("warningDialog")->isVisible());
  alone.window("warningDialog")->setVisible(false);
  QVERIFY(QMetaObject::invokeMethod(alone.find("mainMenu"), "calibButtonClicked"));
  QVERIFY(!main->property("calibMode").toBool());
  QVERIFY(alone.window("warningDialog")->isVisible());
}

void MainWindowEndToEnd::keysTipsADroppedWorkbookAndUndoServeTheDesk() {
  QQuickWindow* main = host.window("appWindow");
  QObject* menu = host.find("mainMenu");
  MeasurementModel* table = device->measures();
  qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit()); // the test before hid it
  QTRY_VERIFY_WITH_TIMEOUT(device->isDeviceOpen(), 5000);
  auto press = [main](Qt::Key key, Qt::KeyboardModifiers modifiers) {
    main->requestActivate(); // a file dialog or a box may have had the focus
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, key, modifiers);
  };

  // F5 reads the tester again.
  const int reads = countOf(sim.received(), "readdata\n");
  press(Qt::Key_F5, Qt::NoModifier);
  QTRY_COMPARE(countOf(sim.received(), "readdata\n"), reads + 1);
  QTRY_VERIFY(!host.window("waitDialog")->isVisible());
  QCOMPARE(table->rowCount(), sim.memory().size());
  const QList<double> saved = hardnesses(table);
  QVERIFY(saved.size() >= 3);

  // Hovering the diskette names it and its key.
  auto* save = qobject_cast<QQuickItem*>(host.find("saveButton"));
  QTest::mouseMove(main, save->mapToScene(QPointF(save->width() / 2, 10)).toPoint());
  QTRY_VERIFY(showsText(main->contentItem(), QStringLiteral("Сохранить в таблицу Excel (Ctrl+S)")));
  QTest::mouseMove(main, QPoint(main->width() / 3, main->height() / 2));

  // A name typed without the suffix gets it; the next dialog opens where this one was left.
  QTemporaryDir folder;
  const QString workbook = folder.filePath(QStringLiteral("смена.xlsx"));
  auto seen = answerFileDialog(this, folder.filePath(QStringLiteral("смена")));
  press(Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(seen->title, QStringLiteral("Сохранить измерения"));
  QVERIFY(QFile::exists(workbook));
  seen = answerFileDialog(this, QString());
  press(Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(seen->title, QStringLiteral("Открыть измерения"));
  QCOMPARE(seen->folder, folder.path());
  const std::unique_ptr<QSettings> settings(SettingsFile::open(nullptr));
  QCOMPARE(settings->value(QStringLiteral("LastWorkbookFolder")).toString(), folder.path());
  seen = answerFileDialog(this, QString());
  press(Qt::Key_P, Qt::ControlModifier);
  QTRY_COMPARE(seen->title, QStringLiteral("Сохранить отчёт"));

  // Under a box, and in calibration mode, the keys do nothing.
  {
    QObject guard; // ends the watch for a dialog with this block
    auto unseen = answerFileDialog(&guard, QString());
    host.window("failureDialog")->setVisible(true);
    QTest::keyClick(main, Qt::Key_O, Qt::ControlModifier);
    host.window("failureDialog")->setVisible(false);
    QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
    QVERIFY(main->property("calibMode").toBool());
    press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
    QVERIFY(!main->property("calibMode").toBool());
    QVERIFY2(unseen->title.isEmpty(), qPrintable(unseen->title));
  }

  // Ticked rows deleted come back at their places, ticked, and only once.
  table->setData(table->index(0, 0), true);
  table->setData(table->index(2, 0), true);
  QVERIFY(QMetaObject::invokeMethod(host.find("rightPanel"), "applyAction", Q_ARG(QVariant, 0)));
  QCOMPARE(table->rowCount(), saved.size() - 2);
  press(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(hardnesses(table), saved);
  QVERIFY(table->data(table->index(0, 0), MeasurementModel::CheckedRole).toBool());
  QVERIFY(!table->data(table->index(1, 0), MeasurementModel::CheckedRole).toBool());
  QVERIFY(table->data(table->index(2, 0), MeasurementModel::CheckedRole).toBool());
  press(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(table->rowCount(), saved.size());

  // A workbook dropped on the window replaces the list; what is no workbook is refused, or
  // said as the open button says it.
  sim.measure(812.5); // a new live list
  QTRY_COMPARE(table->rowCount(), 1);
  QFile text(folder.filePath(QStringLiteral("notes.txt")));
  QVERIFY(text.open(QIODevice::WriteOnly) && text.write("HRC;45,5\n") > 0);
  text.close();
  QVERIFY(!dropFile(main, text.fileName()));
  QVERIFY(text.copy(folder.filePath(QStringLiteral("notes.xlsx"))));
  QVERIFY(dropFile(main, folder.filePath(QStringLiteral("notes.xlsx"))));
  QQuickWindow* failure = host.window("failureDialog");
  QVERIFY(failure->isVisible());
  QVERIFY(failure->property("text").toString().startsWith(QStringLiteral("Файл не открыт")));
  failure->setVisible(false);
  QCOMPARE(table->rowCount(), 1);
  QVERIFY(dropFile(main, workbook));
  QCOMPARE(hardnesses(table), saved);
}

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  MainWindowEndToEnd test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
