// Writing back the constants a calibration replaced, once, from the archive.
#include <memory>

#include <QSettings>
#include <QtTest>

#include "archive/archive.h"
#include "calibration/calibration.h"
#include "device/device.h"
#include "device/lineformat.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "support/devicetestcase.h"

class CalibrationUndoTest : public DeviceTestCase {
  Q_OBJECT

  std::unique_ptr<Archive> archive;
  std::unique_ptr<Calibration> calibration;
  QString archivePath() { return userFiles.filePath(QStringLiteral("archive.sqlite")); }

  // Constants no calibration below would give, so a write-back is told from a new fit.
  static TesterSimulator::ScaleSlot oldHrc() {
    TesterSimulator::ScaleSlot slot;
    slot.name = QStringLiteral("HRC");
    slot.a = 151.25;
    slot.b = -0.125;
    slot.c = 0.5;
    slot.type = 0;
    slot.points = 7;
    return slot;
  }

  void connectOnScale(int scale) {
    sim().setCurrentScale(scale);
    QVERIFY(device->connect());
    QVERIFY(device->readScales());
    device->setCalibMode(true);
    sim().clearReceived();
  }
  void calibrateHrc() {
    for (double frequency : {800.0, 900.0}) {
      device->calibMeasures()->add(
          Measurement(QDateTime::currentDateTime(), "HRC", 50.0, frequency, 1.0));
      calibration->addTest(device->calibMeasures(), frequency < 850 ? "60" : "40");
    }
    QVERIFY(calibration->endTest());
    QCOMPARE(sim().scaleSlot(0).a, 220.0);
    sim().clearReceived();
  }
  // As the program starts: the archive opened, the calibration given it.
  void newCalibration() {
    archive = std::make_unique<Archive>(archivePath());
    QVERIFY(archive->open());
    calibration = std::make_unique<Calibration>();
    calibration->setDevice(device.get());
    calibration->setArchive(archive.get());
  }
  void verifySlotHoldsOldHrc() {
    const TesterSimulator::ScaleSlot held = sim().scaleSlot(0);
    QCOMPARE(held.a, oldHrc().a);
    QCOMPARE(held.b, oldHrc().b);
    QCOMPARE(held.c, oldHrc().c);
    QCOMPARE(held.type, oldHrc().type);
    QCOMPARE(held.points, oldHrc().points);
  }

private slots:
  void init() {
    QLocale::setDefault(QLocale(QLocale::Russian));
    for (const char* suffix : {"", "-wal", "-shm"})
      QFile::remove(archivePath() + suffix);
    startDevice();
    sim().setScaleSlot(0, oldHrc());
    newCalibration();
  }
  void cleanup() {
    calibration.reset();
    archive.reset();
    stopDevice();
  }

  void undoWritesBackTheOldConstantsOnceOnly() {
    connectOnScale(0);
    QVERIFY(!calibration->canUndo(0));
    calibrateHrc();
    QVERIFY(calibration->canUndo(0));
    QVERIFY(calibration->canUndoScale(QStringLiteral("HRC")));
    QVERIFY(!calibration->canUndo(1));
    QVERIFY(!calibration->canUndoScale(QStringLiteral("HB")));
    QVERIFY(!calibration->canUndoScale(QString()));
    QCOMPARE(calibration->keptSince(QStringLiteral("HRC")),
             QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")));
    QCOMPARE(calibration->keptSince(QStringLiteral("HB")), QString());

    QVERIFY2(calibration->undoLastCalibration(), qPrintable(calibration->failure()));
    const QByteArray sent = sim().received();
    QVERIFY(sent.contains("setconst\n"));
    QVERIFY(sent.contains(LineFormat::formatConstant(oldHrc().a).toLatin1() + '\n'));
    QVERIFY(sent.contains(LineFormat::formatConstant(oldHrc().b).toLatin1() + '\n'));
    QVERIFY(sent.contains("wct\n"));
    verifySlotHoldsOldHrc();
    QCOMPARE(device->scales()->scale(0)->a(), oldHrc().a);
    QCOMPARE(device->scales()->scale(0)->points(), qint16(oldHrc().points));

    QVERIFY(!calibration->canUndo(0));
    sim().clearReceived();
    QVERIFY(!calibration->undoLastCalibration());
    QVERIFY(!calibration->failure().isEmpty());
    QVERIFY(!sim().received().contains("setconst"));
    sim().measure(sim().randomFrequency()); // calibration mode is on again
    QTRY_COMPARE(device->calibMeasures()->rowCount(), 1);
  }

  void keptConstantsSurviveARestart() {
    connectOnScale(0);
    calibrateHrc();
    const QDateTime calibrated = QDateTime::currentDateTime();
    const std::optional<KeptConstants> kept = archive->keptConstants(0);
    QVERIFY(kept);
    QCOMPARE(kept->constants.name, QStringLiteral("HRC"));
    QVERIFY(std::abs(kept->kept.secsTo(calibrated)) < 60);
    calibration.reset();
    archive.reset();
    stopDevice();

    // Another start of the program, against a tester that still holds the calibration.
    startDevice();
    TesterSimulator::ScaleSlot calibratedSlot = oldHrc();
    calibratedSlot.a = 220.0;
    calibratedSlot.b = -0.2;
    sim().setScaleSlot(0, calibratedSlot);
    newCalibration();
    connectOnScale(0);
    QVERIFY(calibration->canUndo(0));
    QVERIFY2(calibration->undoLastCalibration(), qPrintable(calibration->failure()));
    verifySlotHoldsOldHrc();
    QVERIFY(!calibration->canUndo(0));
  }

  void undoWritesOnlyIntoTheSlotItBelongsToWhenItWasRead() {
    connectOnScale(0);
    calibrateHrc();
    // The tester is on another scale now: nothing kept for it.
    sim().setCurrentScale(1);
    const TesterSimulator::ScaleSlot hb = sim().scaleSlot(1);
    QVERIFY(!calibration->undoLastCalibration());
    QVERIFY(!calibration->failure().isEmpty());
    QCOMPARE(sim().scaleSlot(1).a, hb.a);

    // Back on HRC, but its row did not come in the last reading.
    sim().setCurrentScale(0);
    device->scales()->setRead(0, false);
    sim().clearReceived();
    QVERIFY(!calibration->undoLastCalibration());
    QVERIFY(!calibration->failure().isEmpty());
    QVERIFY(!sim().received().contains("setconst"));
    QCOMPARE(sim().scaleSlot(0).a, 220.0);
    QVERIFY(calibration->canUndo(0)); // the record waits for a reading of the slot
  }

  void userSlotGivenToAnotherScaleSinceIsNotWrittenBack() {
    TesterSimulator::ScaleSlot u1;
    u1.name = QStringLiteral("U1");
    u1.a = 900.0;
    u1.b = -250.0;
    u1.type = 1;
    sim().setScaleSlot(3, u1);
    connectOnScale(3);
    for (double frequency : {800.0, 900.0}) {
      device->calibMeasures()->add(Measurement(QDateTime(), "U1", 50.0, frequency, 1.0));
      calibration->addTest(device->calibMeasures(), frequency < 850 ? "60" : "40");
    }
    QVERIFY(calibration->endTest());
    QVERIFY(calibration->canUndo(3));

    // The user removed U1 and made U2 in the same slot, on the tester or in the settings.
    TesterSimulator::ScaleSlot u2 = sim().scaleSlot(3);
    u2.name = QStringLiteral("U2");
    sim().setScaleSlot(3, u2);
    QVERIFY(device->readScales());
    device->setCalibMode(true);
    sim().clearReceived();
    QVERIFY(!calibration->undoLastCalibration());
    QVERIFY(calibration->failure().contains(QStringLiteral("другой шкале")));
    QVERIFY(!sim().received().contains("setconst"));
    QCOMPARE(sim().scaleSlot(3).a, u2.a);
  }

  void failedUndoKeepsTheRecordAndSaysWhy() {
    connectOnScale(0);
    calibrateHrc();
    sim().failReply("setconst", 0, TesterSimulator::Failure::Drop); // no " A:" prompt
    QVERIFY(!calibration->undoLastCalibration());
    QVERIFY(calibration->failure().contains(QStringLiteral("не принял")));
    QVERIFY(calibration->canUndo(0));
    QCOMPARE(device->scales()->scale(0)->a(), sim().scaleSlot(0).a); // as the tester holds it

    QVERIFY2(calibration->undoLastCalibration(), qPrintable(calibration->failure()));
    verifySlotHoldsOldHrc();
  }

  void calibrationTheTesterRefusedKeepsNothing() {
    connectOnScale(0);
    for (double frequency : {800.0, 900.0}) {
      device->calibMeasures()->add(Measurement(QDateTime(), "HRC", 50.0, frequency, 1.0));
      calibration->addTest(device->calibMeasures(), frequency < 850 ? "60" : "40");
    }
    sim().failReply("setconst", 0, TesterSimulator::Failure::Drop);
    QVERIFY(!calibration->endTest());
    QVERIFY(!calibration->canUndo(0));
  }
};

QTEST_MAIN(CalibrationUndoTest)
#include "tst_calibration_undo.moc"
