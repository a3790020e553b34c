// Reading the tester's memory and following its live lines.
#include <QtTest>

#include "device/device.h"
#include "models/measurementmodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

namespace {

QByteArray record(const char* time, double hardness) {
  return QByteArray(time) + ";2;812.4;HRC;" + QByteArray::number(hardness) + '\n';
}

} // namespace

class DeviceMemoryTest : public DeviceTestCase {
  Q_OBJECT

  MeasurementModel& table() { return *device->measures(); }
  // Connects with a memory of n records, then lets the test script further replies.
  void connectWithMemory(int records) {
    sim().seedMemory(records);
    QVERIFY(device->connect());
    QCOMPARE(table().rowCount(), records);
  }
  // Sends a line and gives the application time to take it.
  void send(const QByteArray& line) {
    sim().sendRaw(line);
    QTest::qWait(60);
  }

private slots:
  void longReadTellsItsProgressAndCanBeStoppedKeepingItsRows() {
    sim().seedMemory(300);
    sim().setPaced(true); // about 30 ms a record, as at 9600 baud
    QList<QPair<int, int>> shown;
    QObject::connect(device.get(), &Device::readProgressChanged, device.get(), [&] {
      shown.append({device->readProgress(), device->readTotal()});
      if (device->readProgress() >= 60)
        device->cancelRead();
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!device->connect()); // not every record was read
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(device->readCancelled());
    QCOMPARE(device->readTotal(), 0);
    QVERIFY(shown.size() >= 4);
    QCOMPARE(shown.first(), qMakePair(0, 300));
    QVERIFY(shown[2].first > shown[1].first); // it moves as records arrive
    const int kept = table().rowCount();
    QVERIFY2(kept >= 60 && kept < 300, qPrintable(QString::number(kept)));
    for (int i = 0; i < kept; ++i)
      QCOMPARE(table().dateTime(i), sim().memory()[i].dateTime);
    // The records still on the wire are not taken for the next reply.
    QCOMPARE(device->id(), QString("12345\n"));
    QCOMPARE(table().rowCount(), kept);
  }

  void connectReadsEveryRecordWithItsFields() {
    sim().seedMemory(25);
    QSignalSpy begin(device.get(), &Device::beginDataChange);
    QSignalSpy end(device.get(), &Device::dataChanged);
    QVERIFY(device->connect());
    QCOMPARE(begin.count(), 1);
    QCOMPARE(end.count(), 1);
    const QList<TesterSimulator::Record> memory = sim().memory();
    QCOMPARE(table().rowCount(), memory.size());
    for (int i = 0; i < memory.size(); ++i) {
      QCOMPARE(table().dateTime(i), memory[i].dateTime);
      QCOMPARE(table().hardness(i), memory[i].hardness);
      QCOMPARE(table().frequency(i), memory[i].frequency);
      QCOMPARE(table().data(table().index(i, 0), MeasurementModel::AveragingRole).toDouble(),
               memory[i].averaging);
    }
    QVERIFY(device->isDeviceOpen());
  }

  void countLinesThatAreNoCountLeaveTheTableAlone_data() {
    QTest::addColumn<QByteArray>("countLine");
    QTest::newRow("letters after the number") << QByteArray("25x\n");
    QTest::newRow("empty line") << QByteArray("\n");
    QTest::newRow("negative") << QByteArray("-1\n");
    QTest::newRow("nothing at all") << QByteArray();
  }
  void countLinesThatAreNoCountLeaveTheTableAlone() {
    QFETCH(QByteArray, countLine);
    connectWithMemory(4);
    tester->script({{"readdata\n", countLine}});
    QSignalSpy begin(device.get(), &Device::beginDataChange);
    QVERIFY(!device->readMemory());
    QCOMPARE(table().rowCount(), 4);
    QCOMPARE(begin.count(), 0);
    QVERIFY(DeviceProbe(*device).receiving());
  }

  void countWithSpacesAndCountZero() {
    connectWithMemory(4);
    tester->script(
        {{"readdata\n",
          " 2 \n" + record("12:30:05 14.02.20", 52.3) + record("12:31:05 14.02.20", 53.3)},
         {"readdata\n", "0\n"}});
    QVERIFY(device->readMemory());
    QCOMPARE(table().rowCount(), 2);
    QSignalSpy begin(device.get(), &Device::beginDataChange);
    QSignalSpy end(device.get(), &Device::dataChanged);
    QVERIFY(device->readMemory());
    QCOMPARE(table().rowCount(), 0);
    QCOMPARE(begin.count(), 1);
    QCOMPARE(end.count(), 1);
  }

  void shortReadKeepsWhatArrivedButIsNoSuccess() {
    // A connection asks whose records it reads before reading them.
    tester->script(
        {{"getid\n", "12345\n"},
         {"readdata\n",
          "3\n" + record("12:30:05 14.02.20", 52.3) + record("12:31:05 14.02.20", 53.3)}});
    QVERIFY(!device->connect());
    QCOMPARE(table().rowCount(), 2);
    QVERIFY(device->isDeviceOpen());
    QVERIFY(DeviceProbe(*device).receiving());
  }

  void recordsThatDoNotParseUseUpTheirPlaceAndFailTheRead() {
    tester->script({{"getid\n", "12345\n"},
                    {"readdata\n",
                     "3\n" + record("12:30:05 14.02.20", 52.3).replace("\n", ";9\n") +
                         "12:31:05 14.02.20;2;812.4;HRC\n" + record("12:32:05 14.02.20", 54.3)}});
    QVERIFY(!device->connect());
    QCOMPARE(table().rowCount(), 1);
    QCOMPARE(table().hardness(0), 54.3);
  }

  void garbledAndDroppedRecordsDuringTheRead() {
    sim().seedMemory(10);
    sim().failReply("readdata\n", 3, TesterSimulator::Failure::Garble);
    QVERIFY(!device->connect()); // the rows that parsed stay, but the read is not whole
    QCOMPARE(table().rowCount(), 9);

    sim().failReply("readdata\n", 5, TesterSimulator::Failure::Drop);
    QVERIFY(!device->connect()); // the last announced record never comes
    QCOMPARE(table().rowCount(), 9);
  }

  void firstLiveLineReplacesTheMemoryTable() {
    connectWithMemory(5);
    send(liveLine("12:31:40 14.02.20", 806.0, 51.9, "HRC"));
    QTRY_COMPARE(table().rowCount(), 1);
    QCOMPARE(table().hardness(0), 51.9);
    QCOMPARE(table().frequency(0), 806.0);
    send(liveLine("12:32:40 14.02.20", 807.0, 50.9, "HB"));
    QTRY_COMPARE(table().rowCount(), 2);
  }

  void deleteKeyRemovesLiveRowsButNeverMemoryRows() {
    connectWithMemory(3);
    send("btn1short;OK\n");
    QCOMPARE(table().rowCount(), 3);

    send(liveLine("12:31:40 14.02.20", 806.0, 51.9, "HRC"));
    send(liveLine("12:32:40 14.02.20", 807.0, 50.9, "HRC"));
    QTRY_COMPARE(table().rowCount(), 2);
    send("btn1short;OK\n");
    QTRY_COMPARE(table().rowCount(), 1);
    QCOMPARE(table().hardness(0), 51.9);
    send("btn1short;OK\n");
    QTRY_COMPARE(table().rowCount(), 0);
    send("btn1short;OK\n");
    QCOMPARE(table().rowCount(), 0);

    // A new memory read puts memory rows back: the key leaves them alone again.
    QVERIFY(device->readMemory());
    const int rows = table().rowCount();
    send("btn1short;OK\n");
    QCOMPARE(table().rowCount(), rows);
  }

  void otherKeysAndMalformedLiveLinesChangeNothing() {
    connectWithMemory(3);
    send("btn2long;OK\n");
    send("btn1short;ok\n");
    send("12:31:40 14.02.20 1;806.0;51.9\n");
    send("12:31:40 14.02.20 1;806.0;51.9;HRC;5\n");
    send("\n");
    QCOMPARE(table().rowCount(), 3);
  }

  void liveLineWithoutItsWordTakesThePreviousDate() {
    connectWithMemory(0);
    send("12:31:40 14.02.20;806.0;51.9;HRC\n");
    QTRY_COMPARE(table().rowCount(), 1);
    QVERIFY(!table().dateTime(0).isValid());
    send(liveLine("12:32:40 14.02.20", 807.0, 50.9, "HRC"));
    send("12:33:40 14.02.20;806.0;52.9;HRC\n");
    QTRY_COMPARE(table().rowCount(), 3);
    QCOMPARE(table().dateTime(2), QDateTime(QDate(2020, 2, 14), QTime(12, 32, 40)));
  }

  void deleteAndDateFallbackFollowTheFilteredView() {
    connectWithMemory(0);
    send(liveLine("12:31:40 14.02.20", 806.0, 51.9, "HRC"));
    send(liveLine("12:32:40 14.02.20", 300.0, 250.0, "HB"));
    QTRY_COMPARE(table().rowCount(), 2);
    table().setScaleFilter("HRC");
    send("12:33:40 14.02.20;806.0;52.9;HRC\n");
    QTRY_COMPARE(table().rowCount(), 2);
    QCOMPARE(table().dateTime(1), QDateTime(QDate(2020, 2, 14), QTime(12, 31, 40)));
    send("btn1short;OK\n");
    send("btn1short;OK\n");
    QTRY_COMPARE(table().rowCount(), 0);
    table().resetScaleFilter();
    QCOMPARE(table().rowCount(), 1); // the HB row was never in the filtered view
  }

  void tableFollowsAMeasurementEveryFewMilliseconds() {
    connectWithMemory(0);
    for (int i = 0; i < 50; ++i) {
      sim().measure(sim().randomFrequency());
      QTest::qWait(5);
    }
    QTRY_COMPARE(table().rowCount(), 50);
  }
};

QTEST_MAIN(DeviceMemoryTest)
#include "tst_device_memory.moc"
