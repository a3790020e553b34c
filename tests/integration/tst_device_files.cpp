// Saving and opening the measurement list through the file dialogs.
#include <memory>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>

#include "models/measurementmodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

class DeviceFilesTest : public DeviceTestCase {
  Q_OBJECT

  struct Seen {
    QString title;
    QStringList filters;
    QString folder;
  };

  // Answers the next file dialog once it is up, with the given file or (empty) by cancelling,
  // and tells what the dialog showed.
  std::shared_ptr<Seen> answerDialog(const QString& fileName) {
    auto seen = std::make_shared<Seen>();
    auto* poll = new QTimer(this);
    QObject::connect(poll, &QTimer::timeout, [poll, seen, fileName] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible())
        return; // not up yet
      poll->deleteLater();
      poll->stop();
      *seen = {dialog->windowTitle(), dialog->nameFilters(), dialog->directory().absolutePath()};
      if (fileName.isEmpty()) {
        dialog->reject();
        return;
      }
      // Typed into the name field, as a user would.
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(fileName);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    poll->start(50);
    return seen;
  }

private slots:
  void dialogsUseTheirFixedTextsAndTheWorkbookRoundTrips() {
    sim().seedMemory(6);
    QVERIFY(device->connect());
    QTemporaryDir folder;
    const QString fileName = folder.filePath("смена.xlsx");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));

    const std::shared_ptr<Seen> saving = answerDialog(fileName);
    device->saveToFile();
    QCOMPARE(saving->title, QString("Сохранить измерения"));
    QCOMPARE(saving->filters, QStringList({"Таблица Excel (*.xlsx)"}));
    QCOMPARE(saving->folder, QDir(documents).absolutePath());
    QVERIFY(QFile::exists(fileName));

    // A live line puts the table in live mode; opening the file leaves it again.
    sim().measure(sim().randomFrequency());
    QTRY_VERIFY(DeviceProbe(*device).liveSeries());
    const std::shared_ptr<Seen> opening = answerDialog(fileName);
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

  void cancelledOpeningChangesNothing() {
    sim().seedMemory(3);
    QVERIFY(device->connect());
    sim().measure(sim().randomFrequency());
    QTRY_COMPARE(device->measures()->rowCount(), 1);
    answerDialog(QString());
    device->openFromFile();
    QCOMPARE(device->measures()->rowCount(), 1);
    QVERIFY(DeviceProbe(*device).liveSeries()); // still live: no file was opened
  }
};

QTEST_MAIN(DeviceFilesTest)
#include "tst_device_files.moc"
