// The least-squares fit of a scale's constants, against values worked out by hand.
#include <cmath>

#include <QtTest>

#include "calibration/scalefit.h"

namespace {

ScaleConstants constants(double a, double b, qint8 type) {
  ScaleConstants constants;
  constants.a = a;
  constants.b = b;
  constants.type = type;
  return constants;
}

} // namespace

class ScaleFitTest : public QObject {
  Q_OBJECT

private slots:
  void straightLineOnHrc_data() {
    QTest::addColumn<QList<double>>("frequencies");
    QTest::addColumn<QList<double>>("references");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    // Two points: b = (40 - 60) / 100, a = 60 - b * 800.
    QTest::newRow("two blocks") << QList<double>{800, 900} << QList<double>{60, 40} << 220.0
                                << -0.2;
    // Sx = 2400, Sy = 153, Sxx = 1940000, Sxy = 121300: b = -0.105, a = 135.
    QTest::newRow("three blocks") << QList<double>{700, 800, 900} << QList<double>{62, 50, 41}
                                  << 135.0 << -0.105;
    // N*Sxx - Sx*Sx of these loses every digit; the slope is still -100.
    QTest::newRow("large frequencies, small spread")
        << QList<double>{100000.1, 100000.2, 100000.3} << QList<double>{60, 50, 40}
        << 50.0 + 100.0 * 100000.2 << -100.0;
  }
  void straightLineOnHrc() {
    QFETCH(QList<double>, frequencies);
    QFETCH(QList<double>, references);
    QFETCH(double, a);
    QFETCH(double, b);
    const std::optional<ScaleConstants> fit = ScaleFit::fit({}, frequencies, references, true);
    QVERIFY(fit);
    QVERIFY2(std::abs(fit->a - a) < 1e-3, qPrintable(QString::number(fit->a, 'g', 17)));
    QVERIFY2(std::abs(fit->b - b) < 1e-6, qPrintable(QString::number(fit->b, 'g', 17)));
    QCOMPARE(fit->type, qint8(0));
  }

  void exponentialOnOtherScales() {
    // ln h = ln 100 - f / 10 through both points: A = 100, B = -10. The range, name and C of
    // the slot stay as they were.
    ScaleConstants current = constants(5.0, 6.0, 0);
    current.name = QStringLiteral("HRB");
    current.c = 0.25;
    current.max = 120.0;
    const std::optional<ScaleConstants> fit =
        ScaleFit::fit(current, {0.0, 10.0}, {100.0, 100.0 * std::exp(-1.0)}, false);
    QVERIFY(fit);
    QVERIFY(std::abs(fit->a - 100.0) < 1e-9);
    QVERIFY(std::abs(fit->b + 10.0) < 1e-9);
    QCOMPARE(fit->type, qint8(1));
    QCOMPARE(fit->name, current.name);
    QCOMPARE(fit->c, 0.25);
    QCOMPARE(fit->max, 120.0);
    QVERIFY(std::abs(ScaleFit::hardnessAt(*fit, 20.0) - 100.0 * std::exp(-2.0)) < 1e-9);
  }

  void fitsWithoutAFiniteResultGiveNothing() {
    QVERIFY(!ScaleFit::fit({}, {800.0}, {60.0}, true));                     // one test
    QVERIFY(!ScaleFit::fit({}, {812.3, 812.3, 812.3}, {40, 50, 60}, true)); // no spread
    QVERIFY(!ScaleFit::fit({}, {800.0, 900.0}, {60.0, 0.0}, false));        // no logarithm
    QVERIFY(!ScaleFit::fit({}, {800.0, 900.0}, {60.0, 60.0}, false));       // B infinite
    QVERIFY(ScaleFit::fit({}, {800.0, 900.0}, {60.0, 60.0}, true));         // a flat line is one
  }

  void qualityIsInHardnessWithRSquared() {
    // The three-block line gives 61.5, 51 and 40.5: differences -0.5, +1, -0.5, so the
    // residual squares sum to 1.5; the references' squares about their mean 51 to 222.
    const ScaleConstants line = constants(135.0, -0.105, 0);
    const ScaleFit::Quality quality = ScaleFit::quality(line, {700, 800, 900}, {62, 50, 41});
    QCOMPARE(quality.fitted.size(), 3);
    QVERIFY(std::abs(quality.fitted[1] - 51.0) < 1e-9);
    QVERIFY(std::abs(quality.maxDifference - 1.0) < 1e-9);
    QVERIFY(quality.rSquared);
    QVERIFY(std::abs(*quality.rSquared - (1.0 - 1.5 / 222.0)) < 1e-12);

    // A perfect exponential: no difference, R² exactly 1 to rounding.
    const ScaleConstants curve = constants(100.0, -10.0, 1);
    const ScaleFit::Quality perfect = ScaleFit::quality(
        curve, {0, 10, 20}, {100.0, 100.0 * std::exp(-1.0), 100.0 * std::exp(-2.0)});
    QVERIFY(perfect.maxDifference < 1e-9);
    QVERIFY(std::abs(*perfect.rSquared - 1.0) < 1e-12);

    // Equal references leave R² undefined.
    QVERIFY(!ScaleFit::quality(constants(60.0, 0.0, 0), {800, 900}, {60, 60}).rSquared);
  }
};

QTEST_APPLESS_MAIN(ScaleFitTest)
#include "tst_scalefit.moc"
