// What the interface shows when the tester does not do what was asked: a refused scale
// switch, settings the tester did not take, slots that could not be read, and the tester
// unplugged and back.
#include <QApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include "apphost.h"
#include "device/device.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "simulator/testersimulator.h"

class LinkFailuresEndToEnd : public QObject {
  Q_OBJECT

  TesterSimulator sim;
  AppHost host;
  Device* device = nullptr;

  QQuickWindow* failureDialog() { return host.window("failureDialog"); }
  void acceptFailure() {
    QVERIFY(failureDialog()->isVisible());
    QVERIFY(QMetaObject::invokeMethod(failureDialog(), "accept"));
  }

private slots:
  void initTestCase() {
    QVERIFY(sim.start());
    sim.seedMemory(5);
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
    QVERIFY(host.load());
    device = host.device();
    QVERIFY(device);
    // The connection starts only after the main window's first frame and ends with the scale
    // lists read: on a busy machine the window is up, and the wait box not yet shown, well
    // before that.
    QTRY_VERIFY_WITH_TIMEOUT(host.window("appWindow")->property("isValidScales").toBool(), 30000);
    QVERIFY(!host.window("waitDialog")->isVisible());
  }

  void cleanup() {
    const QStringList warnings = host.warnings();
    host.clearWarnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
  }

  void refusedScaleSwitchShowsTheTestersScaleAndSaysSo() {
    QVERIFY(QMetaObject::invokeMethod(host.root(), "calibrationSwitch"));
    QObject* combo = host.find("rightPanel2")->property("comboBox").value<QObject*>();
    QVERIFY(combo);
    QCOMPARE(combo->property("currentText").toString(), QString("HRC"));
    sim.clearReceived();
    sim.failReply("setscale\n", 0, TesterSimulator::Failure::Drop);
    combo->setProperty("currentIndex", 1); // the user picks HB
    // The tester did switch, only its answer was lost: asked, it says HB, and that is shown.
    QTRY_COMPARE_WITH_TIMEOUT(sim.received().count("getscale\n"), 1, 10000);
    QCOMPARE(sim.currentScale(), 1);
    QCOMPARE(combo->property("currentText").toString(), QString("HB"));
    QVERIFY(!failureDialog()->isVisible());

    // The wake-up is waiting for its reply: the switch to HV is refused, and the list goes
    // back to the scale the tester holds.
    sim.setReplyDelay(600);
    // Picked as soon as the wake-up's request is out, so while its reply is awaited.
    QMetaObject::Connection pick = connect(&sim, &TesterSimulator::requestReceived, this, [&] {
      disconnect(pick);
      combo->setProperty("currentIndex", 2);
    });
    QVERIFY(device->metaObject()->invokeMethod(device, "wakeUpDevice"));
    disconnect(pick);
    sim.setReplyDelay(0);
    QTRY_VERIFY_WITH_TIMEOUT(failureDialog()->isVisible(), 10000);
    QCOMPARE(sim.currentScale(), 1);
    QCOMPARE(combo->property("currentText").toString(), QString("HB"));
    acceptFailure();
    QVERIFY(QMetaObject::invokeMethod(host.root(), "calibrationSwitch"));
  }

  void settingsTheTesterDidNotTakeStayInTheWindow() {
    QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
    QQuickWindow* settings = host.window("settings");
    QVERIFY(settings->isVisible());
    device->scales()->unhideLowestScale(QStringLiteral("TST"), QStringLiteral("проба"));
    sim.setStrict(true);
    sim.failReply("setconst\n", 3, TesterSimulator::Failure::Drop);
    sim.clearReceived();
    QVERIFY(QMetaObject::invokeMethod(settings, "apply"));
    QTRY_VERIFY_WITH_TIMEOUT(failureDialog()->isVisible(), 10000);
    QCOMPARE(device->scales()->modifiedIndexes(), QList<int>{3});
    QCOMPARE(sim.scaleSlot(3).name, QString("NON"));
    QVERIFY(!sim.received().contains("setscl")); // no switch for a slot not written
    acceptFailure();
    QTRY_VERIFY(settings->isVisible()); // back, with the change still to apply

    sim.setStrict(false);
    QVERIFY(QMetaObject::invokeMethod(settings, "apply"));
    QVERIFY(!failureDialog()->isVisible());
    QCOMPARE(sim.scaleSlot(3).name, QString("TST"));
    QVERIFY(device->scales()->modifiedIndexes().isEmpty());
  }

  void slotThatCouldNotBeReadLocksTheUserScales() {
    sim.delayReply("setscale 4\n", 0, 1100);
    host.window("appWindow")->setProperty("isValidScales", false); // as after an apply
    QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
    QQuickWindow* settings = host.window("settings");
    QVERIFY(settings->isVisible());
    QVERIFY(!device->scales()->allRead());
    QObject* tab = host.find("scalesTab", "settings");
    QVERIFY(tab);
    QVERIFY(!tab->property("scalesKnown").toBool());
    QVERIFY(!host.find("addButton", "settings")->property("enabled").toBool());

    sim.clearReceived();
    QVERIFY(QMetaObject::invokeMethod(settings, "apply"));
    QTRY_VERIFY(failureDialog()->isVisible());
    QVERIFY(!sim.received().contains("setconst"));
    QVERIFY(!sim.received().contains("setscl"));
    acceptFailure();
    QTRY_VERIFY(settings->isVisible());
    settings->setVisible(false);

    // Opened again, the scales are read again, and all of them come.
    QVERIFY(QMetaObject::invokeMethod(host.root(), "openSettings"));
    QVERIFY(device->scales()->allRead());
    QVERIFY(tab->property("scalesKnown").toBool());
    settings->setVisible(false);
  }

  void menuBarShowsTheTesterGoneAndBack() {
    QObject* menu = host.find("mainMenu");
    QObject* identity = host.find("identity");
    QVERIFY(menu->property("connected").toBool());
    sim.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!menu->property("connected").toBool(), 10000);
    QVERIFY(identity->property("text").toString().contains("Прибор не подключен"));
    QVERIFY(sim.comeBack());
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
    QTRY_VERIFY_WITH_TIMEOUT(menu->property("connected").toBool(), 30000);
    QVERIFY(!identity->property("text").toString().contains("Прибор не подключен"));
    sim.measure(812.0);
    MeasurementModel* table = device->measures();
    QTRY_COMPARE_WITH_TIMEOUT(
        table->rowCount() > 0 ? table->frequency(table->rowCount() - 1) : 0.0, 812.0, 10000);
  }

  void anotherTesterOnThePortIsNamedAndReadingItIsLeftToTheUser() {
    QObject* menu = host.find("mainMenu");
    MeasurementModel* table = device->measures();
    const int rows = table->rowCount();
    sim.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!menu->property("connected").toBool(), 10000);
    sim.setIdentity("67890");
    QVERIFY(sim.comeBack());
    qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
    QTRY_VERIFY_WITH_TIMEOUT(failureDialog()->isVisible(), 30000);
    QVERIFY(failureDialog()->property("text").toString().contains("67890"));
    QCOMPARE(menu->property("devNumber").toString(), QString("67890"));
    QVERIFY(menu->property("connected").toBool());
    QCOMPARE(table->rowCount(), rows);
    acceptFailure();
    QVERIFY(QMetaObject::invokeMethod(host.root(), "connectToDevice", Q_ARG(QVariant, QVariant())));
    QCOMPARE(table->rowCount(), sim.memory().size());
    QVERIFY(!failureDialog()->isVisible());
  }

  void longMemoryReadShowsHowFarItIsAndStopsOnCancel() {
    sim.seedMemory(200);
    sim.setPaced(true); // about 30 ms a record
    QQuickWindow* wait = host.window("waitDialog");
    QStringList texts;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      const QString text = wait->property("text").toString();
      if (wait->isVisible() && (texts.isEmpty() || texts.constLast() != text))
        texts.append(text);
      auto* cancel = wait->findChild<QQuickItem*>("cancelButton");
      if (text.contains(QRegularExpression("^Подождите...\n([3-9]\\d|1\\d\\d) из 200$")) &&
          cancel && cancel->isVisible()) {
        const QPointF centre = cancel->mapToScene(QPointF(cancel->width() / 2, 10));
        QTest::mouseClick(wait, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
      }
    });
    watch.start(50);
    QVERIFY(QMetaObject::invokeMethod(host.root(), "connectToDevice", Q_ARG(QVariant, QVariant())));
    watch.stop();
    QVERIFY2(texts.size() >= 3, qPrintable(texts.join('|')));
    QVERIFY(!wait->isVisible());
    QVERIFY(!failureDialog()->isVisible()); // a read the user stopped needs no word
    const int kept = device->measures()->rowCount();
    QVERIFY2(kept >= 30 && kept < 200, qPrintable(QString::number(kept)));
    sim.setPaced(false);
  }
};

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  LinkFailuresEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_linkfailures.moc"
