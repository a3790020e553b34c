// The line exchange against the simulated tester: waits, reception routes, the clock, the
// memory clear and the settings file.
#include <QtTest>

#include "device/device.h"
#include "device/linechannel.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "models/tolerancelimits.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

class DeviceLinkTest : public DeviceTestCase {
  Q_OBJECT

private slots:
  void replyWithinTheSecondIsReadAndALateOneGoesToTheLineHandler() {
    openPort();
    sim().setReplyDelay(900);
    QCOMPARE(device->id(), QString("12345\n"));

    sim().setReplyDelay(1100);
    QSignalSpy lines(device.get(), &Device::lineReady);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(device->id(), QString());
    QVERIFY(clock.elapsed() < 1090);
    QTRY_COMPARE(lines.count(), 1);
  }

  void commandsOnAClosedPortWriteNothing() {
    QCOMPARE(device->id(), QString());
    QVERIFY(!device->time().isValid());
    QVERIFY(!device->setTime(QDateTime::currentDateTime()));
    QVERIFY(!device->clearMemory());
    QVERIFY(!device->readMemory());
    QCOMPARE(device->currentScaleNumber(), short(-1)); // no slot, and not HRC's 0
    QVERIFY(!device->setScale());
    QTest::qWait(50);
    QVERIFY(sim().received().isEmpty());
  }

  void routesAreConnectedOnceWhateverRunsBefore() {
    QVERIFY(device->connect());
    DeviceProbe probe(*device);
    for (int i = 0; i < 2; ++i) {
      device->id();
      device->time();
      probe.wakeUp();
      QVERIFY(probe.receiving());
      QVERIFY(probe.wakeUpRunning());
    }
    // A live line reaches the table once.
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    QTest::qWait(100);
    QCOMPARE(device->measures()->rowCount(), 1);
  }

  void calibrationModeTakesLiveLinesAlsoAfterACommand() {
    QVERIFY(device->connect());
    DeviceProbe probe(*device);
    const int memoryRows = device->measures()->rowCount();
    device->setCalibMode(true);
    device->setCalibMode(true);
    QVERIFY(!probe.wakeUpRunning());
    device->currentScaleNumber(); // the calibration list runs commands in this mode
    QVERIFY(probe.receiving());
    QVERIFY(!probe.wakeUpRunning());

    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->calibMeasures()->rowCount(), 1);
    QTest::qWait(100);
    QCOMPARE(device->measures()->rowCount(), memoryRows);
    QCOMPARE(device->calibMeasures()->frequency(0), sim().memory().last().frequency);
    QCOMPARE(device->calibMeasures()->dateTime(0).isValid(), true);

    device->setCalibMode(false);
    QVERIFY(probe.receiving());
    QVERIFY(probe.wakeUpRunning());
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 1); // the first live line replaces the memory
    QCOMPARE(device->calibMeasures()->rowCount(), 1);
  }

  void setTimeAnswersEachPromptAndDropsTheSeconds() {
    openPort();
    QVERIFY(device->setTime(QDateTime(QDate(2031, 3, 9), QTime(8, 7, 30))));
    QCOMPARE(sim().received(), QByteArray("settime\n07\n08\n09\n03\n31\n"));
    const QDateTime clock = sim().clock();
    QCOMPARE(clock.date(), QDate(2031, 3, 9));
    QCOMPARE(clock.time().hour(), 8);
    QCOMPARE(clock.time().minute(), 7);
  }

  void setTimeStopsAtAPromptWithACarriageReturn() {
    openPort();
    sim().setCrLf(true);
    QVERIFY(!device->setTime(QDateTime(QDate(2031, 3, 9), QTime(8, 7, 30))));
    QCOMPARE(sim().received(), QByteArray("settime\n"));
    QVERIFY(DeviceProbe(*device).receiving());
  }

  void setTimeRefusesAnInvalidDate() {
    openPort();
    QVERIFY(!device->setTime(QDateTime()));
    QTest::qWait(50);
    QVERIFY(sim().received().isEmpty());
  }

  void clockReplyIsReadToTheSecondAndOnlyInItsExactForm() {
    openPort();
    sim().setClock(QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58)));
    const QDateTime clock = device->time();
    QCOMPARE(clock.date(), QDate(2099, 12, 31));
    QVERIFY(clock.time() >= QTime(23, 59, 58));

    tester->script({{"gettime\n", " 23:59:58 31.12.2099\n"}});
    QVERIFY(!device->time().isValid());
  }

  void memoryIsClearedOnlyWhenTheTesterSaysOK() {
    openPort();
    sim().seedMemory(5);
    QVERIFY(device->clearMemory());
    QVERIFY(sim().memory().isEmpty());

    tester->script({{"cleardata\n", "memory erased OK\n"}, {"cleardata\n", "ok\n"}});
    QVERIFY(device->clearMemory());
    QVERIFY(!device->clearMemory());
  }

  void commandStartedDuringAWaitIsRefusedAndWritesNothing() {
    openPort();
    sim().setReplyDelay(400);
    bool nested = true;
    QTimer::singleShot(100, [&] { nested = device->clearMemory(); });
    QCOMPARE(device->id(), QString("12345\n"));
    QVERIFY(!nested);
    QCOMPARE(sim().received(), QByteArray("getid\n"));
  }

  void idleWaitKeepsTimersRunning() {
    openPort();
    sim().setSilent(true);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    QCOMPARE(device->id(), QString());
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
  }

  void measurementCrossingAnExchangeIsKeptNotTakenAsTheReply() {
    QVERIFY(device->connect());
    sim().injectBeforeReply("getid\n", 0, liveLine("10:00:00 01.02.24", 805.5, 51.2, "HRC"));
    QCOMPARE(device->id(), QString("12345\n"));
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    QCOMPARE(device->measures()->hardness(0), 51.2);
  }

  void severalLinesInOneChunkAllArrive() {
    QVERIFY(device->connect());
    sim().sendRaw(liveLine("10:00:00 01.02.24", 805.5, 51.2, "HRC") +
                  liveLine("10:00:05 01.02.24", 806.5, 50.2, "HRC") +
                  liveLine("10:00:09 01.02.24", 807.5, 49.2, "HRC"));
    QTRY_COMPARE(device->measures()->rowCount(), 3);
    QCOMPARE(device->measures()->hardness(2), 49.2);
  }

  void endlessLineIsDroppedAndReceptionGoesOn() {
    QVERIFY(device->connect());
    sim().sendRaw(QByteArray(64 * 1024, 'x'));
    QTest::qWait(200);
    QVERIFY(device->bytesAvailable() <= LineChannel::MaxLineBytes);
    sim().sendRaw("\n" + liveLine("10:00:00 01.02.24", 805.5, 51.2, "HRC"));
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    QCOMPARE(device->measures()->hardness(0), 51.2);
  }

  void noQualifyingPortMeansNoConnection() {
    PortDiscovery::setPortLister([] {
      return QList<PortDiscovery::PortDescription>{{"/dev/null", quint16(0x0403), quint16(0x1234)}};
    });
    QVERIFY(!device->connect());
    QVERIFY(!device->isDeviceOpen());
  }

  void connectUsesTheTestersPortWhateverNameItIsGiven() {
    QVERIFY(device->connect("/dev/ttyS0"));
    QVERIFY(sim().portName().endsWith(device->portName())); // the serial library drops "/dev/"
    QVERIFY(device->connect()); // again: closes, reopens, reads the memory again
    QCOMPARE(sim().received().count("readdata\n"), 2);
  }

  void settingsKeepThePortAndTheUserScaleDescriptions() {
    QVERIFY(device->connect());
    device->scales()->unhideLowestScale("HRB", "Роквелл B, латунь");
    device.reset();

    QSettings file(QSettings::IniFormat, QSettings::UserScope, "Brenmo", "settings");
    QCOMPARE(file.value("LastPortName").toString(), sim().portName());
    file.beginGroup("ScaleDesciptions");
    QCOMPARE(file.childKeys().size(), 10);
    QCOMPARE(file.value("Scale3").toString(), QString("Роквелл B, латунь"));
    QVERIFY(file.contains("Scale12"));
    file.endGroup();

    Device restored;
    QCOMPARE(restored.scales()->scale(3)->description(), QString("Роквелл B, латунь"));
    QCOMPARE(restored.scales()->scale(0)->description(), QString("Роквелл С, легир. сталь"));

    // A group that lost a key is not trusted.
    file.remove("ScaleDesciptions/Scale12");
    file.sync();
    Device partial;
    QCOMPARE(partial.scales()->scale(3)->description(), QString());
  }

  void newUserScaleDescriptionIsOnDiskBeforeExit() {
    device->scales()->unhideLowestScale("HRB", "латунь");
    QSettings file(QSettings::IniFormat, QSettings::UserScope, "Brenmo", "settings");
    QCOMPARE(file.value("ScaleDesciptions/Scale3").toString(), QString("латунь"));
  }

  // Binary bytes inside one group: QSettings would take their quotes as opening a value that
  // runs on past the line breaks, and lose every group after them at the next write.
  void garbageInOneGroupCostsOnlyItsOwnLinesAndTheOriginalIsKept() {
    stopDevice();
    QByteArray garbage;
    QRandomGenerator bytes(7);
    for (int i = 0; i < 4096; ++i)
      garbage += char(bytes.bounded(256));
    const QByteArray original = "[General]\nLastPortName=ttyUSB7\n\n[ScaleDesciptions]\n"
                                "Scale3=brass\n" +
                                garbage +
                                "\nScale4=bronze\n\n[ToleranceLimits]\nHRC=\"40;45\"\n\n"
                                "[CalibrationUndo]\n0\\A=200\n0\\Name=HRC\n";
    const QString fileName =
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Brenmo", "settings").fileName();
    QFile written(fileName);
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write(original);
    written.close();

    startDevice();
    ToleranceLimits limits;
    const QString notice = device->takeSettingsNotice();
    QVERIFY(device->takeSettingsNotice().isEmpty());
    const QDir folder = QFileInfo(fileName).dir();
    const QStringList copies = folder.entryList({"settings.ini.unreadable-*"});
    QCOMPARE(copies.size(), 1);
    QVERIFY2(notice.contains(QDir::toNativeSeparators(folder.filePath(copies.first()))),
             qPrintable(notice));
    QFile copy(folder.filePath(copies.first()));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original);
    QCOMPARE(limits.lower("HRC"), 40.0);
    stopDevice();

    QSettings file(QSettings::IniFormat, QSettings::UserScope, "Brenmo", "settings");
    QCOMPARE(file.value("LastPortName").toString(), QString("ttyUSB7"));
    QCOMPARE(file.value("ToleranceLimits/HRC").toString(), QString("40;45"));
    QCOMPARE(file.value("CalibrationUndo/0/A").toDouble(), 200.0);
    QCOMPARE(file.value("CalibrationUndo/0/Name").toString(), QString("HRC"));

    // Mended once: the next start has nothing to tell and makes no second copy.
    startDevice();
    QVERIFY(device->takeSettingsNotice().isEmpty());
    QCOMPARE(folder.entryList({"settings.ini.unreadable-*"}).size(), 1);
  }
};

QTEST_MAIN(DeviceLinkTest)
#include "tst_device_link.moc"
