// Fitting a scale's constants to reference blocks and writing them to the tester.
#include <cmath>
#include <memory>

#include <QtTest>

#include "archive/archive.h"
#include "calibration/calibration.h"
#include "device/device.h"
#include "models/measurementmodel.h"
#include "models/scalemodel.h"
#include "support/devicetestcase.h"

class CalibrationTest : public DeviceTestCase {
  Q_OBJECT

  std::unique_ptr<Archive> archive;
  std::unique_ptr<Calibration> calibration;

  MeasurementModel& calibTable() { return *device->calibMeasures(); }

  // One test: measurements at the given frequencies, closed with the reference text.
  double addTest(std::initializer_list<double> frequencies, const QString& reference) {
    for (double frequency : frequencies)
      calibTable().add(Measurement(QDateTime::currentDateTime(), "HRC", 50.0, frequency, 1.0));
    return calibration->addTest(&calibTable(), reference);
  }
  void connectOnScale(int scale) {
    sim().setCurrentScale(scale);
    QVERIFY(device->connect());
    QVERIFY(device->readScales()); // as the main window does: constants go only to read slots
    device->setCalibMode(true);
    sim().clearReceived();
  }

private slots:
  void init() {
    // The program's default locale: reference hardness is typed with a decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian));
    startDevice();
    archive = std::make_unique<Archive>(userFiles.filePath(QStringLiteral("archive.sqlite")));
    archive->open();
    calibration = std::make_unique<Calibration>();
    calibration->setDevice(device.get());
    calibration->setArchive(archive.get());
  }
  void cleanup() {
    calibration.reset();
    archive.reset();
    stopDevice();
  }

  void testAveragesItsRowsAndEmptiesTheList() {
    QCOMPARE(calibration->addTest(&calibTable(), "45,5"), 0.0);
    QCOMPARE(calibration->testCount(), 0);

    calibTable().add(Measurement(QDateTime(), "HRC", 50.0, 800.0, 1.0));
    calibTable().add(Measurement(QDateTime(), "HRC", 52.0, 810.0, 1.0));
    QCOMPARE(calibration->addTest(&calibTable(), "45,5"), 51.0);
    QCOMPARE(calibration->testCount(), 1);
    QCOMPARE(calibTable().rowCount(), 0);
    QCOMPARE(calibration->addTest(nullptr, "1"), 0.0);
  }

  void straightLineOnHrc_data() {
    QTest::addColumn<QList<double>>("frequencies");
    QTest::addColumn<QStringList>("references");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::newRow("three blocks") << QList<double>{700, 800, 900} << QStringList{"62", "50", "41"}
                                  << 135.0 << -0.105;
    QTest::newRow("decimal comma")
        << QList<double>{800, 900} << QStringList{"60,5", "40,5"} << 220.5 << -0.2;
  }
  void straightLineOnHrc() {
    QFETCH(QList<double>, frequencies);
    QFETCH(QStringList, references);
    QFETCH(double, a);
    QFETCH(double, b);
    connectOnScale(0);
    for (int i = 0; i < frequencies.size(); ++i)
      addTest({frequencies[i]}, references[i]);
    QVERIFY(calibration->endTest());
    const Scale* hrc = device->scales()->scale(0);
    QCOMPARE(hrc->a(), a);
    QVERIFY(std::abs(hrc->b() - b) < 1e-12);
    QCOMPARE(hrc->c(), 0.0);
    QCOMPARE(hrc->type(), qint8(0));
    QCOMPARE(hrc->points(), qint16(frequencies.size()));
    QCOMPARE(sim().scaleSlot(0).a, a);
    QCOMPARE(sim().scaleSlot(0).points, frequencies.size());
    QCOMPARE(calibration->testCount(), 0);
    sim().measure(sim().randomFrequency()); // live lines go to the calibration list again
    QTRY_COMPARE(calibTable().rowCount(), 1);
  }

  void exponentialOnOtherScales() {
    connectOnScale(1);
    addTest({0.0}, "100");
    addTest({10.0}, QLocale().toString(100 * std::exp(-1.0), 'f', 10));
    QVERIFY(calibration->endTest());
    const Scale* hb = device->scales()->scale(1);
    QVERIFY(std::abs(hb->a() - 100.0) < 1e-6);
    QVERIFY(std::abs(hb->b() + 10.0) < 1e-6);
    QCOMPARE(hb->type(), qint8(1));
    QCOMPARE(sim().scaleSlot(1).type, 1);
    QCOMPARE(sim().scaleSlot(1).a, 100.0);
  }

  void testerMeasuresTheReferenceBlocksAfterCalibration() {
    connectOnScale(2);
    const double frequencies[] = {640.0, 720.0, 810.0};
    const char* references[] = {"650,0", "420,5", "260,0"};
    for (int test = 0; test < 3; ++test) {
      for (int shot = 0; shot < 5; ++shot)
        sim().measure(frequencies[test] + shot - 2); // a little scatter around the block
      QTRY_COMPARE(calibTable().rowCount(), 5);
      calibration->addTest(&calibTable(), references[test]);
    }
    QVERIFY(calibration->endTest());
    // The tester now measures with the fitted constants: close to every reference.
    QVERIFY(std::abs(sim().hardnessFor(640.0) - 650.0) / 650.0 < 0.03);
    QVERIFY(std::abs(sim().hardnessFor(720.0) - 420.5) / 420.5 < 0.03);
    QVERIFY(std::abs(sim().hardnessFor(810.0) - 260.0) / 260.0 < 0.03);
    // Live lines go to the calibration list again.
    sim().measure(700.0);
    QTRY_COMPARE(calibTable().rowCount(), 1);
  }

  void twoBlocksFitExactlyWithinTheTestersDigits() {
    connectOnScale(0);
    addTest({812.5, 812.5}, "45,5");
    addTest({700.0}, "62");
    QVERIFY(calibration->endTest());
    QVERIFY(std::abs(sim().hardnessFor(812.5) - 45.5) < 1e-3);
    QVERIFY(std::abs(sim().hardnessFor(700.0) - 62.0) < 1e-3);
  }

  void fitsWithoutAFiniteResultWriteNothing_data() {
    QTest::addColumn<int>("scale");
    QTest::addColumn<QList<double>>("frequencies");
    QTest::addColumn<QStringList>("references");
    QTest::newRow("one test") << 0 << QList<double>{800} << QStringList{"60"};
    QTest::newRow("equal frequencies") << 0 << QList<double>{800, 800} << QStringList{"60", "40"};
    QTest::newRow("zero reference on a logarithm")
        << 1 << QList<double>{800, 900} << QStringList{"0", "40"};
    QTest::newRow("three tests at one mean frequency")
        << 0 << QList<double>{812.3, 812.3, 812.3} << QStringList{"45", "50", "55"};
    QTest::newRow("one mean frequency on a logarithm")
        << 1 << QList<double>{812.3, 812.3, 812.3} << QStringList{"150", "200", "250"};
    QTest::newRow("equal references on a logarithm")
        << 2 << QList<double>{800, 900} << QStringList{"40", "40"};
    QTest::newRow("scale without a row")
        << 14 << QList<double>{800, 900} << QStringList{"60", "40"};
  }
  void fitsWithoutAFiniteResultWriteNothing() {
    QFETCH(int, scale);
    QFETCH(QList<double>, frequencies);
    QFETCH(QStringList, references);
    connectOnScale(scale);
    const TesterSimulator::ScaleSlot before = sim().scaleSlot(scale);
    const double modelA = scale < 13 ? device->scales()->scale(scale)->a() : 0.0;
    for (int i = 0; i < frequencies.size(); ++i)
      addTest({frequencies[i]}, references[i]);
    QVERIFY(!calibration->endTest());
    QVERIFY(!calibration->failure().isEmpty());
    QVERIFY(!sim().received().contains("setconst"));
    QCOMPARE(sim().scaleSlot(scale).a, before.a);
    if (scale < 13)
      QCOMPARE(device->scales()->scale(scale)->a(), modelA);
    QCOMPARE(calibration->testCount(), 0);
    sim().measure(sim().randomFrequency()); // calibration mode is still on
    QTRY_COMPARE(calibTable().rowCount(), 1);
  }

  void lostCurrentScaleReplyWritesNothingAndSaysSo() {
    // The HB blocks must not become HRC's constants, nor HB's old ones be written back.
    connectOnScale(1);
    const TesterSimulator::ScaleSlot hrcBefore = sim().scaleSlot(0);
    const TesterSimulator::ScaleSlot hbBefore = sim().scaleSlot(1);
    const double modelHrcA = device->scales()->scale(0)->a();
    addTest({640.0}, "650");
    addTest({810.0}, "260");
    sim().failReply("getscale", 0, TesterSimulator::Failure::Drop);
    QVERIFY(!calibration->endTest());
    QVERIFY(calibration->failure().contains(QStringLiteral("шкал")));
    QVERIFY(!sim().received().contains("setconst"));
    QCOMPARE(sim().scaleSlot(0).a, hrcBefore.a);
    QCOMPARE(sim().scaleSlot(1).a, hbBefore.a);
    QCOMPARE(device->scales()->scale(0)->a(), modelHrcA);
    sim().measure(sim().randomFrequency()); // calibration mode is on again
    QTRY_COMPARE(calibTable().rowCount(), 1);
  }

  void constantsTheTesterDidNotTakeLeaveTheRecordAsTheTesterHoldsIt() {
    connectOnScale(0);
    const Scale before = *device->scales()->scale(0);
    addTest({800}, "62");
    addTest({900}, "41");
    sim().failReply("setconst", 0, TesterSimulator::Failure::Drop); // no " A:" prompt
    QVERIFY(!calibration->endTest());
    QVERIFY(calibration->failure().contains(QStringLiteral("не принял")));
    const Scale* hrc = device->scales()->scale(0);
    QCOMPARE(hrc->a(), before.a());
    QCOMPARE(hrc->b(), before.b());
    QCOMPARE(hrc->points(), before.points());
  }

  void constantsStoredWithTheirConfirmationLostAreWrittenAndCanBeUndone() {
    connectOnScale(0);
    const double oldA = sim().scaleSlot(0).a;
    addTest({800}, "62");
    addTest({900}, "41");
    sim().failReply("setconst", 8, TesterSimulator::Failure::Drop); // the " OK" after "wct"
    QVERIFY(calibration->endTest());
    QVERIFY(calibration->failure().isEmpty());
    QCOMPARE(sim().scaleSlot(0).a, 230.0);
    QCOMPARE(device->scales()->scale(0)->a(), 230.0);
    QCOMPARE(device->scales()->scale(0)->b(), -0.21);
    QVERIFY(calibration->canUndo(0));
    QVERIFY(calibration->undoLastCalibration());
    QCOMPARE(sim().scaleSlot(0).a, oldA);
    QCOMPARE(device->scales()->scale(0)->a(), oldA);
  }

  void referenceIsReadWithACommaOrAPointAndAnythingElseKeepsTheTestOpen() {
    QVERIFY(calibration->isReadableReference("45,5"));
    QVERIFY(calibration->isReadableReference(" 45.5 "));
    for (const char* text : {"", "abc", "45,5,1", "4 5", "0", "-3", "inf", "45.5.1", "1,000.5"})
      QVERIFY2(!calibration->isReadableReference(text), text);

    connectOnScale(0);
    calibTable().add(Measurement(QDateTime(), "HRC", 50.0, 800.0, 1.0));
    calibTable().add(Measurement(QDateTime(), "HRC", 52.0, 800.0, 1.0));
    QCOMPARE(calibration->addTest(&calibTable(), "сорок"), 0.0);
    QCOMPARE(calibration->testCount(), 0);
    QCOMPARE(calibTable().rowCount(), 2); // the test stays open for a readable reference
    QCOMPARE(calibration->addTest(&calibTable(), "60.5"), 51.0);
    QCOMPARE(calibTable().rowCount(), 0);
    addTest({900.0}, "40,5");
    QVERIFY(calibration->endTest());
    QCOMPARE(device->scales()->scale(0)->a(), 220.5);
  }

  void previewShowsEachTestAgainstTheFitWithoutWriting() {
    // Three blocks off a line: the fit is 135 - 0.105 f, giving 61.5, 51.0 and 40.5.
    connectOnScale(0);
    addTest({700}, "62");
    addTest({800}, "50");
    addTest({900}, "41");
    const QVariantMap preview = calibration->preview();
    QVERIFY(preview.value("ok").toBool());
    QCOMPARE(preview.value("a").toDouble(), 135.0);
    const QVariantList rows = preview.value("rows").toList();
    QCOMPARE(rows.size(), 3);
    const double fitted[] = {61.5, 51.0, 40.5};
    const double references[] = {62, 50, 41};
    for (int i = 0; i < 3; ++i) {
      const QVariantMap row = rows[i].toMap();
      QCOMPARE(row.value("reference").toDouble(), references[i]);
      QVERIFY(std::abs(row.value("fitted").toDouble() - fitted[i]) < 1e-9);
      QVERIFY(std::abs(row.value("difference").toDouble() - (fitted[i] - references[i])) < 1e-9);
    }
    QCOMPARE(rows[0].toMap().value("differenceText").toString(), QStringLiteral("-0.5"));
    QCOMPARE(rows[1].toMap().value("differenceText").toString(), QStringLiteral("+1.0"));
    QVERIFY(std::abs(preview.value("maxDifference").toDouble() - 1.0) < 1e-9);
    // Residuals 0.5, 1, 0.5; the references spread 11, 1, 10 about their mean of 51.
    QVERIFY(std::abs(preview.value("rSquared").toDouble() - (1.0 - 1.5 / 222.0)) < 1e-12);
    QCOMPARE(preview.value("rSquaredText").toString(), QStringLiteral("0.9932"));
    // Nothing went to the tester but the question for its current scale, and the tests stay.
    QCOMPARE(sim().received(), QByteArray("getscale\n"));
    QCOMPARE(calibration->testCount(), 3);
    QVERIFY(calibration->endTest());
    QCOMPARE(sim().scaleSlot(0).a, 135.0);
  }

  void previewOfAnExponentialReadsTheHardnessAsTheTesterWouldShowIt() {
    // ln H = ln 400 - f / 100 exactly, except the middle block: 300 instead of 400 e^-1.
    connectOnScale(2);
    addTest({600}, QLocale().toString(400.0, 'f', 10));
    addTest({700}, "300");
    addTest({800}, QLocale().toString(400.0 * std::exp(-2.0), 'f', 10));
    const QVariantMap preview = calibration->preview();
    QVERIFY(preview.value("ok").toBool());
    // By hand: the logarithms' fit and its hardness at each frequency.
    const double y[] = {std::log(400.0), std::log(300.0), std::log(400.0) - 2.0};
    const double my = (y[0] + y[1] + y[2]) / 3;
    const double slope = (-100 * (y[0] - my) + 100 * (y[2] - my)) / 20000.0;
    const double a = std::exp(my - slope * 700);
    const double refs[] = {400.0, 300.0, 400.0 * std::exp(-2.0)};
    const double meanRef = (refs[0] + refs[1] + refs[2]) / 3;
    double residuals = 0, total = 0, largest = 0;
    const QVariantList rows = preview.value("rows").toList();
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
      const double fitted = a * std::exp((600 + 100 * i) * slope);
      QVERIFY(std::abs(rows[i].toMap().value("fitted").toDouble() - fitted) < 1e-9);
      residuals += (refs[i] - fitted) * (refs[i] - fitted);
      total += (refs[i] - meanRef) * (refs[i] - meanRef);
      largest = std::max(largest, std::abs(fitted - refs[i]));
    }
    QVERIFY(std::abs(preview.value("a").toDouble() / a - 1.0) < 1e-9); // A is some 2e5
    QVERIFY(std::abs(preview.value("b").toDouble() - 1.0 / slope) < 1e-9);
    QVERIFY(std::abs(preview.value("maxDifference").toDouble() - largest) < 1e-9);
    QVERIFY(std::abs(preview.value("rSquared").toDouble() - (1.0 - residuals / total)) < 1e-12);
    QVERIFY(preview.value("rSquared").toDouble() < 1.0);
  }

  void previewThatCannotFitSaysWhyAndKeepsTheTests() {
    connectOnScale(0);
    QVERIFY(!calibration->preview().value("ok").toBool());
    addTest({800}, "60");
    const QVariantMap preview = calibration->preview();
    QVERIFY(!preview.value("ok").toBool());
    QVERIFY(preview.value("failure").toString().contains(QStringLiteral("двух тестов")));
    QVERIFY(preview.value("rows").toList().isEmpty());
    QCOMPARE(calibration->testCount(), 1); // the user may still add a block
    addTest({900}, "40");
    QVERIFY(calibration->preview().value("ok").toBool());
    QVERIFY(!sim().received().contains("setconst"));
  }

  void scaleChangedAfterThePreviewIsRefused() {
    connectOnScale(0);
    const TesterSimulator::ScaleSlot hb = sim().scaleSlot(1);
    addTest({800}, "60");
    addTest({900}, "40");
    QVERIFY(calibration->preview().value("ok").toBool());
    sim().setCurrentScale(1); // switched on the tester's keys meanwhile
    sim().clearReceived();
    QVERIFY(!calibration->endTest());
    QVERIFY(calibration->failure().contains(QStringLiteral("изменилась")));
    QVERIFY(!sim().received().contains("setconst"));
    QCOMPARE(sim().scaleSlot(1).a, hb.a);
  }

  void endWithoutTestsTouchesNothing() {
    connectOnScale(0);
    QVERIFY(!calibration->endTest());
    calibration->clearTests();
    addTest({800}, "60");
    addTest({900}, "40");
    calibration->clearTests();
    QVERIFY(!calibration->endTest());
    QTest::qWait(50);
    QVERIFY(sim().received().isEmpty());
    Calibration orphan;
    QVERIFY(!orphan.endTest());
  }
};

QTEST_MAIN(CalibrationTest)
#include "tst_calibration.moc"
