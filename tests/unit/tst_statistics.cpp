// The statistics panel's figures and the tolerance limits behind its marks.
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/runningstatistics.h"
#include "models/tolerancelimits.h"

namespace {

Measurement meas(double hardness, const QString& scale = "HRC", int second = 0) {
  const QDateTime start(QDate(2024, 3, 21), QTime(14, 5, 9));
  return Measurement(start.addSecs(second), scale, hardness, 800.0 + second, 1.0);
}

// The figures of one scale, or none when the covered rows have no such scale.
ScaleFigures of(const MeasurementStatistics& stats, const QString& scale = "HRC") {
  for (const ScaleFigures& figures : stats.scaleFigures())
    if (figures.scale == scale)
      return figures;
  return ScaleFigures();
}

void tick(MeasurementModel& model, int row, bool on = true) {
  model.setData(model.index(row, 0), on, MeasurementModel::CheckedRole);
}

} // namespace

class StatisticsTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_settings;

private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
  }

  void figuresMatchHandComputedValues() {
    RunningStatistics s;
    for (double v : {50.0, 52.0, 54.0, 56.0})
      s.add(v);
    QCOMPARE(s.count(), 4);
    QCOMPARE(s.mean(), 53.0);
    // Σ(x − 53)² = 9 + 1 + 1 + 9 = 20; 20 / 3.
    QVERIFY(qAbs(s.standardDeviation() - std::sqrt(20.0 / 3.0)) < 1e-12);
    QCOMPARE(s.minimum(), 50.0);
    QCOMPARE(s.maximum(), 56.0);

    s.remove(56.0);
    s.remove(50.0);
    s.remove(99.0); // never added: ignored
    QCOMPARE(s.count(), 2);
    QCOMPARE(s.mean(), 53.0);
    QVERIFY(qAbs(s.standardDeviation() - std::sqrt(2.0)) < 1e-12);
    QCOMPARE(s.minimum(), 52.0);
    QCOMPARE(s.maximum(), 54.0);
  }

  void oneRowAndEqualRowsHaveNoSpread() {
    RunningStatistics one;
    one.add(812.3);
    QCOMPARE(one.standardDeviation(), 0.0);
    QCOMPARE(one.mean(), 812.3);

    RunningStatistics equal;
    for (int i = 0; i < 1000; ++i)
      equal.add(812.3);
    QCOMPARE(equal.standardDeviation(), 0.0); // exactly, not rounding noise
    QCOMPARE(equal.mean(), 812.3);

    // Far from zero with a small spread the digits survive: 100000.1, .2, .3 spread by 0.1.
    RunningStatistics far;
    for (double v : {100000.1, 100000.2, 100000.3})
      far.add(v);
    QVERIFY(qAbs(far.standardDeviation() - 0.1) < 1e-9);
  }

  void panelTextsShowDashesWhereAFigureHasNoValue() {
    MeasurementModel model;
    MeasurementStatistics stats;
    stats.setModel(&model);
    QVERIFY(stats.scaleFigures().isEmpty());
    QCOMPARE(ScaleFigures().meanText(), QString("—"));
    model.add(meas(0.0)); // ERR: counted apart, not a zero hardness
    QCOMPARE(of(stats).meanText(), QString("—"));
    QCOMPARE(of(stats).minimumText(), QString("—"));
    model.add(meas(52.25));
    QCOMPARE(of(stats).meanText(), QString("52.3"));
    QCOMPARE(of(stats).deviationText(), QString("—")); // one row: n − 1 = 0
    QCOMPARE(of(stats).rangeText(), QString("0.0"));
    QCOMPARE(stats.rowCount(), 2);
    QCOMPARE(stats.count(), 1);
    QCOMPARE(stats.invalidCount(), 1);
    QCOMPARE(of(stats).invalid, 1);
    QCOMPARE(of(stats).minimumText(), QString("52.3"));
  }

  void figuresFollowTickingDeletingFilteringAndLiveRows() {
    MeasurementModel model;
    MeasurementStatistics stats;
    stats.setModel(&model);
    QSignalSpy changed(&stats, &MeasurementStatistics::changed);
    model.add(meas(50.0, "HRC", 1));
    model.add(meas(60.0, "HRC", 2));
    model.add(meas(200.0, "HB", 3));
    QCOMPARE(changed.count(), 3); // one notice per live row
    QCOMPARE(stats.count(), 3);
    QVERIFY(stats.scale().isEmpty()); // HRC and HB mixed: figures of each, none across them
    QCOMPARE(stats.scaleFigures().size(), 2);
    QCOMPARE(of(stats, "HB").values.mean(), 200.0);
    QCOMPARE(of(stats, "HRC").values.mean(), 55.0);

    tick(model, 0);
    tick(model, 1);
    QVERIFY(stats.selectionOnly());
    QCOMPARE(stats.count(), 2);
    QCOMPARE(stats.scaleFigures().size(), 1);
    QCOMPARE(of(stats).values.mean(), 55.0);
    QCOMPARE(stats.scale(), QString("HRC"));

    model.removeChecked();
    QVERIFY(!stats.selectionOnly());
    QCOMPARE(stats.count(), 1);
    QCOMPARE(of(stats, "HB").values.mean(), 200.0);

    model.add(meas(40.0, "HRC", 4));
    model.add(meas(44.0, "HRC", 5));
    model.setScaleFilter("HRC");
    QCOMPARE(stats.count(), 2);
    QCOMPARE(of(stats).values.mean(), 42.0);
    QCOMPARE(stats.scale(), QString("HRC"));

    model.remove(0);
    QCOMPARE(stats.count(), 1);
    QCOMPARE(of(stats).values.maximum(), 44.0);

    model.clear();
    QCOMPARE(stats.rowCount(), 0);
    QVERIFY(stats.scaleFigures().isEmpty());
  }

  // Every change kept row by row must end where a fresh count of the same rows ends.
  void incrementalFiguresAgreeWithAFreshCountAfterAnyChanges() {
    MeasurementModel model;
    ToleranceLimits limits;
    QVERIFY(limits.setLimits("HRC", "45", "60"));
    MeasurementStatistics stats;
    stats.setLimits(&limits);
    stats.setModel(&model);
    QRandomGenerator random(20261209);
    const QStringList scales{"HRC", "HB"};
    for (int step = 0; step < 3000; ++step) {
      const int rows = model.rowCount();
      switch (random.bounded(8)) {
      case 0:
      case 1:
      case 2:
        model.add(meas(random.bounded(30, 70) + random.bounded(10) / 10.0 -
                           (random.bounded(20) == 0 ? 100 : 0),
                       scales[random.bounded(2)],
                       step));
        break;
      case 3:
        if (rows)
          tick(model, random.bounded(rows), random.bounded(2) == 0);
        break;
      case 4:
        if (rows)
          model.remove(random.bounded(rows));
        break;
      case 5:
        if (random.bounded(10) == 0)
          model.removeChecked();
        break;
      case 6:
        if (random.bounded(20) == 0)
          model.setScaleFilter(scales[random.bounded(2)]);
        else if (random.bounded(20) == 0)
          model.resetScaleFilter();
        break;
      case 7:
        if (random.bounded(50) == 0)
          model.clearSelected();
        break;
      }
    }
    MeasurementStatistics fresh;
    fresh.setLimits(&limits);
    fresh.setModel(&model);
    QVERIFY(model.rowCount() > 10);
    QCOMPARE(stats.rowCount(), fresh.rowCount());
    QCOMPARE(stats.count(), fresh.count());
    QCOMPARE(stats.invalidCount(), fresh.invalidCount());
    QCOMPARE(stats.outsideCount(), fresh.outsideCount());
    QCOMPARE(stats.selectionOnly(), fresh.selectionOnly());
    QCOMPARE(stats.scaleFigures().size(), fresh.scaleFigures().size());
    for (const ScaleFigures& expected : fresh.scaleFigures()) {
      const ScaleFigures kept = of(stats, expected.scale);
      QCOMPARE(kept.values.count(), expected.values.count());
      QCOMPARE(kept.invalid, expected.invalid);
      QCOMPARE(kept.outside, expected.outside);
      QCOMPARE(kept.values.minimum(), expected.values.minimum());
      QCOMPARE(kept.values.maximum(), expected.values.maximum());
      QVERIFY(qAbs(kept.values.mean() - expected.values.mean()) < 1e-9);
      QVERIFY(qAbs(kept.values.standardDeviation() - expected.values.standardDeviation()) < 1e-9);
    }
    for (int row = 0; row < model.rowCount(); ++row)
      QCOMPARE(stats.isRowOutside(row), fresh.isRowOutside(row));
  }

  void limitsHoldTheirBoundsAndApplyToTheRowsOwnScale() {
    ToleranceLimits limits;
    QVERIFY(limits.setLimits("HRC", "45,5", "60"));
    QVERIFY(!limits.isOutside("HRC", 45.5)); // on a limit is inside
    QVERIFY(!limits.isOutside("HRC", 60.0));
    QCOMPARE(limits.side("HRC", 45.49), -1);
    QCOMPARE(limits.side("HRC", 60.01), 1);
    QVERIFY(!limits.isOutside("HRC", 0.0)); // ERR has no hardness to compare
    QVERIFY(!limits.isOutside("HB", 10.0)); // HB has no limits

    MeasurementModel model;
    MeasurementStatistics stats;
    stats.setModel(&model);
    stats.setLimits(&limits);
    model.add(meas(45.5, "HRC", 1));
    model.add(meas(61.0, "HRC", 2));
    model.add(meas(61.0, "HB", 3));
    QCOMPARE(stats.outsideCount(), 1);
    QVERIFY(stats.isRowOutside(1));
    QVERIFY(!stats.isRowOutside(2));

    // A limit set later marks the rows already there.
    QVERIFY(limits.setLimits("HB", "", "50.0"));
    QCOMPARE(stats.outsideCount(), 2);
    QVERIFY(stats.isRowOutside(2));
  }

  void typedLimitsAreReadWithCommaOrPointAndRefusedWhenWrong() {
    ToleranceLimits limits;
    QVERIFY(limits.setLimits("HV", "100.5", "200,25"));
    QCOMPARE(limits.lower("HV"), 100.5);
    QCOMPARE(limits.upper("HV"), 200.25);
    QSignalSpy changed(&limits, &ToleranceLimits::limitsChanged);
    QVERIFY(!limits.setLimits("HV", "сто", ""));
    QVERIFY(!limits.setLimits("HV", "300", "200")); // lower above upper
    QVERIFY(!limits.setLimits("HV", "1.000,5", ""));
    QVERIFY(!limits.setLimits("HV", "inf", ""));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(limits.lowerText("HV"), QString("100.5"));
    QCOMPARE(limits.upperText("HV"), QString("200.25"));
    QVERIFY(limits.setLimits("HV", "", "")); // both empty: no limits at all
    QVERIFY(!limits.hasLimits("HV"));
  }

  void limitsSurviveARestartInTheSettingsFile() {
    {
      ToleranceLimits limits;
      QVERIFY(limits.setLimits("HRC", "20", ""));
      QVERIFY(limits.setLimits("Ш/1 ст.45", "", "33,3"));
    }
    ToleranceLimits again;
    QVERIFY(again.hasLower("HRC"));
    QVERIFY(!again.hasUpper("HRC"));
    QCOMPARE(again.lower("HRC"), 20.0);
    QCOMPARE(again.upper("Ш/1 ст.45"), 33.3);
    QVERIFY(!again.hasLower("Ш/1 ст.45"));
  }
};

QTEST_GUILESS_MAIN(StatisticsTest)
#include "tst_statistics.moc"
