// Saving and opening the measurement list through the file dialogs.
#include <sys/resource.h>

#include <csignal>
#include <memory>

#include <QtTest>

#include "models/measurementmodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"
#include "support/filedialoganswer.h"

class DeviceFilesTest : public DeviceTestCase {
  Q_OBJECT

  std::shared_ptr<SeenFileDialog> answerDialog(const QString& fileName) {
    return answerFileDialog(this, fileName);
  }

private slots:
  void dialogsUseTheirFixedTextsAndTheWorkbookRoundTrips() {
    sim().seedMemory(6);
    QVERIFY(device->connect());
    QTemporaryDir folder;
    const QString fileName = folder.filePath("смена.xlsx");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));

    const std::shared_ptr<SeenFileDialog> saving = answerDialog(fileName);
    device->saveToFile();
    QCOMPARE(saving->title, QString("Сохранить измерения"));
    QCOMPARE(saving->filters, QStringList({"Таблица Excel (*.xlsx)"}));
    QCOMPARE(saving->folder, QDir(documents).absolutePath());
    QVERIFY(QFile::exists(fileName));

    // A live line puts the table in live mode; opening the file leaves it again.
    sim().measure(sim().randomFrequency());
    QTRY_VERIFY(DeviceProbe(*device).liveSeries());
    const std::shared_ptr<SeenFileDialog> opening = answerDialog(fileName);
    device->openFromFile();
    QCOMPARE(opening->title, QString("Открыть измерения"));
    QVERIFY(!DeviceProbe(*device).liveSeries());
    const MeasurementModel& table = *device->measures();
    QCOMPARE(table.rowCount(), 6);
    for (int i = 0; i < 6; ++i) {
      QCOMPARE(table.dateTime(i), sim().memory()[i].dateTime);
      QCOMPARE(table.hardness(i), sim().memory()[i].hardness);
      QCOMPARE(table.frequency(i), 0.0);
    }
    // The delete key cannot reach rows that came from a file.
    sim().sendKeyEvent();
    QTest::qWait(100);
    QCOMPARE(table.rowCount(), 6);
  }

  void failedOpeningSaysWhyAndLeavesTheListAndLiveModeAsTheyWere() {
    sim().seedMemory(3);
    QVERIFY(device->connect());
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    QTRY_VERIFY(DeviceProbe(*device).liveSeries());
    const double live = device->measures()->hardness(0);
    QTemporaryDir folder;
    QFile notes(folder.filePath("notes.xlsx"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("Дата;Твёрдость\n") > 0);
    notes.close();

    answerDialog(notes.fileName());
    const QString failure = device->openFromFile();
    QVERIFY2(failure.contains(QStringLiteral("не книга Excel")), qPrintable(failure));
    QCOMPARE(device->measures()->rowCount(), 1);
    QCOMPARE(device->measures()->hardness(0), live);
    QVERIFY(DeviceProbe(*device).liveSeries());
    // The next live line extends the list: it still is the live series.
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 2);
    QCOMPARE(device->measures()->hardness(0), live);
  }

  void failedSavingSaysWhyAndSavingAgainWorks() {
    sim().seedMemory(200);
    QVERIFY(device->connect());
    QTemporaryDir folder;
    const QString fileName = folder.filePath("смена.xlsx");

    // A disk that takes only a few kilobytes per file, as a full one does.
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{2048, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    answerDialog(fileName);
    const QString failure = device->saveToFile();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY2(failure.startsWith(QStringLiteral("Файл не сохранён")), qPrintable(failure));
    QVERIFY(!QFile::exists(fileName) || QFileInfo(fileName).size() == 0);
    QCOMPARE(device->measures()->rowCount(), 200);

    answerDialog(fileName);
    QCOMPARE(device->saveToFile(), QString());
    QVERIFY(QFileInfo(fileName).size() > 0);
  }

  void cancelledOpeningChangesNothing() {
    sim().seedMemory(3);
    QVERIFY(device->connect());
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    answerDialog(QString());
    QCOMPARE(device->openFromFile(), QString());
    QCOMPARE(device->measures()->rowCount(), 1);
    QVERIFY(DeviceProbe(*device).liveSeries()); // still live: no file was opened
  }
};

QTEST_MAIN(DeviceFilesTest)
#include "tst_device_files.moc"
