// The tester unplugged and plugged back: the port is closed at once, the menu can tell, and
// reception resumes by itself without losing or doubling a measurement.
#include <QtTest>

#include "device/device.h"
#include "models/measurementmodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

class DeviceReplugTest : public DeviceTestCase {
  Q_OBJECT

  MeasurementModel& table() { return *device->measures(); }
  // Processor time of this process, in ms.
  static qint64 cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }

private slots:
  void unpluggedPortIsClosedAtOnceAndNothingSpins() {
    QVERIFY(device->connect());
    QSignalSpy changes(device.get(), &Device::connectedChanged);
    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 1000);
    QCOMPARE(device->property("connected").toBool(), false);
    QVERIFY(changes.count() >= 1);
    const qint64 before = cpuMs();
    QTest::qWait(1000);
    QVERIFY2(cpuMs() - before < 200, qPrintable(QString::number(cpuMs() - before)));
    QCOMPARE(device->id(), QString()); // commands fail at once
  }

  void portGoneFromTheSystemIsLostAlsoWithoutAReadError() {
    // Idle, nothing is read: a converter whose driver reports no error is still missed.
    QVERIFY(device->connect());
    PortDiscovery::setPortLister([] { return QList<PortDiscovery::PortDescription>(); });
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 3000);
  }

  void testerPluggedBackResumesReceptionWithEveryMeasurementKept() {
    sim().seedMemory(3);
    QVERIFY(device->connect());
    sim().measure(812.0);
    sim().measure(813.0);
    QTRY_COMPARE(table().rowCount(), 2);

    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 1000);
    QTest::qWait(2500); // looked for, not there
    QVERIFY(sim().comeBack());
    QTRY_VERIFY_WITH_TIMEOUT(device->isDeviceOpen(), 4000);
    QCOMPARE(table().rowCount(), 2);

    sim().measure(814.0);
    QTRY_COMPARE(table().rowCount(), 3);
    QCOMPARE(table().frequency(0), 812.0);
    QCOMPARE(table().frequency(2), 814.0);
    DeviceProbe probe(*device);
    QVERIFY(probe.receiving());
    QVERIFY(probe.wakeUpRunning());
    QCOMPARE(device->id(), QString("12345\n"));
  }

  void calibrationModeGoesOnAfterTheReplug() {
    QVERIFY(device->connect());
    device->setCalibMode(true);
    sim().measure(812.0);
    QTRY_COMPARE(device->calibMeasures()->rowCount(), 1);
    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 1000);
    QVERIFY(sim().comeBack());
    QTRY_VERIFY_WITH_TIMEOUT(device->isDeviceOpen(), 4000);
    sim().measure(813.0);
    QTRY_COMPARE(device->calibMeasures()->rowCount(), 2);
    QVERIFY(!DeviceProbe(*device).wakeUpRunning());
    QCOMPARE(table().rowCount(), 0);
  }

  void testerNamedByTheVariableIsFoundAgainOnItsStableLink() {
    QTemporaryDir dir;
    const QString link = dir.filePath("tester");
    QVERIFY(sim().setLinkPath(link));
    PortDiscovery::setPortLister({}); // the system's way: BRENMO_TESTER_PORT
    qputenv("BRENMO_TESTER_PORT", link.toLocal8Bit());
    QVERIFY(device->connect());
    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 1000);
    QTest::qWait(2500);
    QVERIFY(!device->isDeviceOpen()); // the link leads nowhere meanwhile
    QVERIFY(sim().comeBack());
    QTRY_VERIFY_WITH_TIMEOUT(device->isDeviceOpen(), 4000);
    sim().measure(812.0);
    QTRY_COMPARE(table().rowCount(), 1);
    qunsetenv("BRENMO_TESTER_PORT");
  }

  void commandWaitingWhenTheTesterGoesEndsAtOnce() {
    QVERIFY(device->connect());
    sim().setSilent(true);
    QTimer::singleShot(200, [this] { sim().hangUp(); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(device->id(), QString());
    QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
  }

  void testerPluggedInAfterAStartThatFoundNoneIsFoundWithoutAClick() {
    sim().hangUp(); // not there when the program starts
    QSignalSpy found(device.get(), &Device::testerFound);
    QVERIFY(!device->connect());
    QVERIFY(sim().comeBack());
    QTRY_COMPARE_WITH_TIMEOUT(found.count(), 1, 5000);
    QVERIFY(device->isDeviceOpen());
    sim().measure(812.0); // reception is on
    QTRY_COMPARE(table().rowCount(), 1);
  }

  void portReturningWithSomeoneElseIsNotTakenForTheTester() {
    sim().seedMemory(3);
    QVERIFY(device->connect());
    QCOMPARE(device->id(), QString("12345\n"));
    sim().measure(812.0);
    QTRY_COMPARE(table().rowCount(), 1);
    QSignalSpy other(device.get(), &Device::otherTesterConnected);

    // Nobody answers on the port: not connected, and still looked for.
    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 3000);
    sim().setSilent(true);
    QVERIFY(sim().comeBack());
    QTRY_VERIFY_WITH_TIMEOUT(sim().received().contains("getid\n"), 5000);
    QTest::qWait(1500);
    QVERIFY(!device->isDeviceOpen());

    // Another tester: said, connected, and its measurements wait in its own memory.
    sim().setSilent(false);
    sim().setIdentity("67890");
    QTRY_COMPARE_WITH_TIMEOUT(other.count(), 1, 6000);
    QCOMPARE(other.first().first().toString(), QString("67890"));
    QVERIFY(device->isDeviceOpen());
    sim().measure(820.0);
    QTest::qWait(500);
    QCOMPARE(table().rowCount(), 1);
    QCOMPARE(table().frequency(0), 812.0);

    // Reading it is the user's choice.
    QVERIFY(device->connect());
    QCOMPARE(table().rowCount(), 5);
    sim().measure(830.0);
    QTRY_COMPARE(table().rowCount(), 1); // its first live line starts the series
  }

  void connectButtonStillWorksAfterTheTesterCameBack() {
    QVERIFY(device->connect());
    sim().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!device->isDeviceOpen(), 1000);
    QVERIFY(!device->connect()); // nothing to connect to
    QVERIFY(sim().comeBack());
    QVERIFY(device->connect());
    QVERIFY(device->isDeviceOpen());
    QCOMPARE(device->id(), QString("12345\n"));
  }
};

QTEST_MAIN(DeviceReplugTest)
#include "tst_device_replug.moc"
