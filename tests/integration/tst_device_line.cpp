// The link on a line like the real one: paced at 9600 baud, replies late in their second,
// measurements crossing commands, stale replies and noise.
#include <QElapsedTimer>
#include <QtTest>

#include "device/device.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

class DeviceLineTest : public DeviceTestCase {
  Q_OBJECT

  MeasurementModel& table() { return *device->measures(); }

private slots:
  void measurementOnTheWireWhenACommandStartsIsKeptAndNeverTakenAsTheReply() {
    QVERIFY(device->connect());
    sim().setPaced(true);
    // A live line takes about 37 ms on the wire; start the command at several points of it.
    for (int offsetMs : {4, 12, 20, 28}) {
      const int rows = table().rowCount();
      sim().measure(sim().randomFrequency());
      QTest::qWait(offsetMs);
      QCOMPARE(device->id(), QString("12345\n"));
      QTRY_COMPARE(table().rowCount(), rows + 1);
      QCOMPARE(table().hardness(rows), sim().memory().last().hardness);
      QCOMPARE(table().frequency(rows), sim().memory().last().frequency);
    }
  }

  void steadyStreamAtLineRateLosesNothingAcrossCommands() {
    QVERIFY(device->connect());
    sim().setPaced(true);
    const int count = 40; // about a second and a half of back-to-back lines
    for (int i = 0; i < count; ++i)
      sim().measure(sim().randomFrequency());
    QStringList identities;
    for (int i = 0; i < 5; ++i) {
      QTest::qWait(70);
      identities.append(device->id());
    }
    QTRY_COMPARE_WITH_TIMEOUT(table().rowCount(), count, 5000);
    QCOMPARE(identities.count(QString("12345\n")), 5);
    for (int i = 0; i < count; ++i)
      QCOMPARE(table().frequency(i), sim().memory()[sim().memory().size() - count + i].frequency);
  }

  void replyLateInItsSecondIsAlwaysRead() {
    QVERIFY(device->connect());
    sim().setReplyDelay(990);
    // At varying phases of the event loop's timer slack.
    for (int i = 0; i < 6; ++i) {
      QTest::qWait(37 * i);
      QCOMPARE(device->id(), QString("12345\n"));
    }
  }

  void replyBehindALiveLineOnThePacedWireStillCounts() {
    QVERIFY(device->connect());
    sim().setPaced(true);
    // The identity leaves 950 ms after the request, behind a live line the tester sent first.
    sim().setReplyDelay(950);
    sim().injectBeforeReply("getid\n", 0, liveLine("10:00:00 01.02.24", 805.5, 51.2, "HRC"));
    QCOMPARE(device->id(), QString("12345\n"));
    QTRY_COMPARE(table().rowCount(), 1);
  }

  void lateReplyIsNeverTakenByTheNextRequest() {
    // Read as the switched-off mask, the identity "12345" would switch HRC off; read as the
    // memory's count, it would wait for 12345 records.
    sim().seedMemory(4);
    QVERIFY(device->connect());
    sim().delayReply("getid\n", 0, 1100);
    QCOMPARE(device->id(), QString());
    QCOMPARE(device->visibleScales(), short(~sim().offMask()));
    QVERIFY(device->scales()->enabled(0));
    sim().delayReply("getid\n", 0, 1100);
    QCOMPARE(device->id(), QString());
    QVERIFY(device->readMemory());
    QCOMPARE(table().rowCount(), 4);
    // A late clock is not the next clock either, nor a late scale record the next one.
    sim().delayReply("gettime\n", 0, 1250);
    QVERIFY(!device->time().isValid());
    sim().setClock(QDateTime(QDate(2031, 3, 9), QTime(8, 7, 30)));
    QCOMPARE(device->time().date(), QDate(2031, 3, 9));
    sim().delayReply("getscale\n", 0, 1100);
    QCOMPARE(device->currentScaleNumber(), short(-1)); // no slot, and not HRC's 0
    sim().setCurrentScale(2);
    QCOMPARE(device->currentScaleNumber(), short(2));
  }

  void lateLineAfterTheCommandGaveUpGoesToTheLineHandler() {
    QVERIFY(device->connect());
    sim().delayReply("getid\n", 0, 1100);
    QCOMPARE(device->id(), QString());
    QTest::qWait(300);
    QCOMPARE(device->id(), QString("12345\n"));
  }

  void noiseNeverBecomesAMeasurementNorClearsTheTable() {
    sim().seedMemory(6);
    QVERIFY(device->connect());
    sim().sendRaw("\xff\xfe;#;@@;\x01\n");
    sim().sendRaw(QByteArray("12:31:40 14.02.20 1;806\0.0;51.9;HRC\n", 36));
    sim().sendRaw("99:99:99 14.02.20 1;806.0;51.9;HRC\n");
    sim().sendRaw("12:31:40 14.02.20 1;abc;51.9;HRC\n");
    sim().sendRaw("12:31:40 14.02.20 1;806.0;51.9;\x01\x02\n");
    sim().sendNoise(64 * 1024);
    QVERIFY(sim().waitForIdle(5000));
    // The program must have read all of it before the identity request: a noise line still
    // arriving would be taken as the reply, which the protocol cannot tell apart. Slow builds
    // (the sanitizers) need longer than the wire does.
    QElapsedTimer reading;
    reading.start();
    for (int quietPolls = 0; quietPolls < 3 && reading.elapsed() < 20000;) {
      QTest::qWait(100);
      quietPolls = device->bytesAvailable() == 0 ? quietPolls + 1 : 0;
    }
    QCOMPARE(table().rowCount(), 6);
    QCOMPARE(device->id(), QString("12345\n")); // and the link still works

    sim().measure(812.0);
    QTRY_COMPARE(table().rowCount(), 1); // the first true live line replaces the memory
    QCOMPARE(table().frequency(0), 812.0);
  }

  void noiseNeverReachesTheCalibrationTable() {
    QVERIFY(device->connect());
    device->setCalibMode(true);
    sim().sendNoise(16 * 1024, 3);
    QVERIFY(sim().waitForIdle(5000));
    QTest::qWait(100);
    QCOMPARE(device->calibMeasures()->rowCount(), 0);
    sim().measure(812.0);
    QTRY_COMPARE(device->calibMeasures()->rowCount(), 1);
  }

  void memoryRecordThatDoesNotParseFailsTheReadAndKeepsTheOthers() {
    sim().seedMemory(5);
    QVERIFY(device->connect());
    tester->script({{"readdata\n",
                     "3\n12:30:05 14.02.20;2;812.4;HRC;52.3\n\xff\xfe;#;@@;\x01;x\n"
                     "12:32:05 14.02.20;2;812.4;HRC;54.3\n"}});
    QVERIFY(!device->readMemory());
    QCOMPARE(table().rowCount(), 2);
    QCOMPARE(table().hardness(1), 54.3);
  }

  void commandRefusedWhileAnotherWaitsReportsFailureAndWritesNothing() {
    QVERIFY(device->connect());
    sim().setReplyDelay(400);
    sim().clearReceived();
    bool switched = true;
    bool written = true;
    QTimer::singleShot(100, [&] {
      switched = device->setCurrentScaleNumber(2);
      written = device->setScales();
    });
    DeviceProbe(*device).wakeUp();
    QVERIFY(!switched);
    QVERIFY(!written);
    QCOMPARE(sim().received(), QByteArray("getid\n"));
    QCOMPARE(sim().currentScale(), 0);
  }
};

QTEST_MAIN(DeviceLineTest)
#include "tst_device_line.moc"
