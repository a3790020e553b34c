#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"

namespace {

const QString AllScales = QStringLiteral("Все шкалы");

Measurement meas(double hardness, const QString& scale = "HRC", int second = 0) {
  const QDateTime start(QDate(2024, 3, 21), QTime(14, 5, 9));
  return Measurement(start.addSecs(second), scale, hardness, 800.0 + second, 3.0);
}

QList<double> shown(const MeasurementModel& model) {
  QList<double> values;
  for (int row = 0; row < model.rowCount(); ++row)
    values.append(model.hardness(row));
  return values;
}

QList<int> ticked(const MeasurementModel& model) {
  QList<int> rows;
  for (int row = 0; row < model.rowCount(); ++row)
    if (model.data(model.index(row, 0), MeasurementModel::CheckedRole).toBool())
      rows.append(row);
  return rows;
}

void tick(MeasurementModel& model, const QList<int>& rows) {
  for (int row : rows)
    model.setData(model.index(row, 0), true, MeasurementModel::CheckedRole);
}

} // namespace

class TestMeasurementModel : public QObject {
  Q_OBJECT

  MeasurementModel* model = nullptr;
  MeasurementStatistics* stats = nullptr; // the average box's figures of the shown rows
  int badRemovals = 0;

  void fill(const QList<double>& hardness, const QStringList& scales = {}) {
    for (int i = 0; i < hardness.size(); ++i)
      model->add(meas(hardness[i], i < scales.size() ? scales[i] : "HRC", i));
  }
  QStringList scaleNames() const { return model->getScales()->stringList(); }

private slots:
  // Every removal is checked as it is announced: the rows that stay keep their records in
  // order. (The framework's model tester cannot: column 0 is the row number, which changes.)
  void init() {
    model = new MeasurementModel(this);
    stats = new MeasurementStatistics(model);
    stats->setModel(model);
    auto expected = std::make_shared<QList<double>>();
    connect(
        model,
        &QAbstractItemModel::rowsAboutToBeRemoved,
        this,
        [=](auto, int first, int last) {
          *expected = shown(*model);
          expected->erase(expected->begin() + first, expected->begin() + last + 1);
        });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [=] {
      badRemovals += shown(*model) != *expected;
    });
    badRemovals = 0;
  }
  void cleanup() {
    QCOMPARE(badRemovals, 0);
    delete model;
  }

  void itemModelContractHolds() {
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model->clear();
    fill({10, 200, 20}, {"HRC", "HB", "HRC"});
    model->setScaleFilter("HB");
    model->resetScaleFilter();
    model->clear();
  }

  void hardnessAndAverageTextsHaveTheirOwnBoundaries() {
    const QList<QPair<double, QString>> texts{
        {99.96, "100.0"}, {100.0, "100"}, {250.4, "250"}, {0.0, "ERR"}, {qQNaN(), "ERR"}};
    for (const auto& [hardness, text] : texts) {
      model->add(meas(hardness));
      QCOMPARE(model->data(model->index(model->rowCount() - 1, 0), MeasurementModel::HardnessRole)
                   .toString(),
               text);
    }
    const QList<QPair<QList<double>, QString>> averages{
        {{}, "0"}, {{100.0}, "100.0"}, {{100.2}, "100"}, {{99.96}, "100.0"}, {{50.0, 0.0}, "25.0"}};
    for (const auto& [hardness, text] : averages) {
      model->clear();
      QSignalSpy averageSpy(stats, &MeasurementStatistics::changed);
      fill(hardness);
      QCOMPARE(stats->averageText(), text);
      QCOMPARE(averageSpy.count(), hardness.size());
    }
  }

  void rolesAndNeutralResultsOutsideTheTable() {
    fill({40.0, 42.5});
    QCOMPARE(model->data(model->index(1, 0)), QVariant(2));
    QCOMPARE(model->data(model->index(1, 1)), QVariant(42.5));
    QCOMPARE(model->data(model->index(1, 0), MeasurementModel::AveragingRole), QVariant(3.0));
    QVERIFY(!model->dateTime(2).isValid());
    QCOMPARE(model->hardness(-1) + model->frequency(2), 0.0);
    model->remove(2);
    QCOMPARE(model->rowCount(), 2);
  }

  void setDataOnlyTicksWhateverTheRole() {
    fill({40.0, 60.0});
    QVERIFY(model->setData(model->index(1, 1), 1, MeasurementModel::HardnessRole));
    QVERIFY(!model->setData(model->index(2, 0), true));
    QCOMPARE(ticked(*model), QList<int>{1});
    QCOMPARE(model->hardness(1), 60.0);
    QCOMPARE(stats->averageText(), QStringLiteral("50.0")); // ticks do not narrow the box
  }

  void filterHoldsBackOtherScalesAndUnticksEverything() {
    fill({40.0, 200.0}, {"HRC", "HB"});
    tick(*model, {0});
    model->setScaleFilter("HRC");
    QCOMPARE(ticked(*model), QList<int>());
    QSignalSpy averageSpy(stats, &MeasurementStatistics::changed);
    model->add(meas(300.0, "HV", 5));
    QCOMPARE(shown(*model), QList<double>{40.0});
    QCOMPARE(averageSpy.count(), 0);
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HRC", "HB", "HV"}));
    tick(*model, {0});
    model->resetScaleFilter();
    QCOMPARE(shown(*model), (QList<double>{40.0, 200.0, 300.0}));
    QCOMPARE(ticked(*model), QList<int>());
    QCOMPARE(stats->averageText(), QStringLiteral("180"));
  }

  void clearKeepsTheFilterButAllScalesLiftsItEvenWhenEmpty() {
    fill({40.0, 200.0}, {"HRC", "HB"});
    model->setScaleFilter("HRC");
    model->clear();
    model->add(meas(210.0, "HB"));
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HB"}));
    model->clear();
    model->resetScaleFilter();
    model->add(meas(300.0, "HV"));
    QCOMPARE(model->rowCount(), 1);
  }

  void removeDropsAScaleWithItsLastRowButRemoveCheckedKeepsIt() {
    fill({40.0, 200.0, 45.0, 300.0, 210.0}, {"HRC", "HB", "HRC", "HV", "HB"});
    model->setScaleFilter("HB");
    model->remove(0);
    QCOMPARE(model->dateTime(0), meas(0, "", 4).dateTime());
    model->remove(0);
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HRC", "HV"}));
    model->resetScaleFilter();
    model->remove(0);
    tick(*model, {1});
    model->removeChecked();
    QCOMPARE(shown(*model), QList<double>{45.0});
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HRC", "HV"}));
  }

  void removeCheckedKeepsTheUntickedRowsInOrder() {
    struct Case {
      QString filter;
      QList<int> ticks;
      QList<double> shownAfter;
      QString average;
      QList<double> allAfter;
    };
    const QList<Case> cases{
        {"", {0, 2, 3, 5, 6}, {200, 210}, "205", {200, 210}},
        {"", {0, 1, 2, 3, 4, 5, 6}, {}, "0", {}},
        {"HRC", {1, 2, 4}, {10, 40}, "25.0", {10, 200, 210, 40}},
        {"", {}, {10, 200, 20, 30, 210, 40, 50}, "80.0", {10, 200, 20, 30, 210, 40, 50}}};
    for (const Case& c : cases) {
      model->clear();
      model->resetScaleFilter();
      fill({10, 200, 20, 30, 210, 40, 50}, {"HRC", "HB", "HRC", "HRC", "HB", "HRC", "HRC"});
      if (!c.filter.isEmpty())
        model->setScaleFilter(c.filter);
      tick(*model, c.ticks);
      model->removeChecked();
      QCOMPARE(shown(*model), c.shownAfter);
      QCOMPARE(stats->averageText(), c.average);
      QCOMPARE(stats->minimum(), c.shownAfter.isEmpty() ? 0.0 : c.shownAfter.first());
      model->resetScaleFilter();
      QCOMPARE(shown(*model), c.allAfter);
    }
  }

  void removalsRenumberOnlyTheRowsBelow() {
    fill({10, 20, 30, 40, 50});
    QSignalSpy changedSpy(model, &QAbstractItemModel::dataChanged);
    const auto rows = [&] {
      const QVariantList args = changedSpy.takeFirst();
      return qMakePair(args[0].toModelIndex().row(), args[1].toModelIndex().row());
    };
    model->remove(1);
    QCOMPARE(rows(), qMakePair(1, 3));
    model->remove(3);
    QCOMPARE(changedSpy.count(), 0);
    model->removeChecked();
    QCOMPARE(rows(), qMakePair(0, 2));
    model->setData(model->index(1, 0), true);
    changedSpy.clear();
    model->removeChecked();
    QCOMPARE(rows(), qMakePair(1, 1));
  }

  void averageAfterRemovalsIsNotSkewedByRounding() {
    // Taking 0.1 and 0.2 off a running sum leaves 100.00000000000001, which reads "100".
    fill({0.1, 0.2, 100.0, 100.0});
    tick(*model, {0, 1});
    model->removeChecked();
    QCOMPARE(stats->averageText(), QStringLiteral("100.0"));
  }

  void minimumAndMaximumFollowEveryChange() {
    fill({50, 30, 70, 200}, {"HRC", "HRC", "HRC", "HB"});
    QCOMPARE(stats->maximum(), 200.0);
    model->add(meas(10.0, "HRC", 9));
    QCOMPARE(stats->minimum(), 10.0);
    model->remove(4);
    QCOMPARE(stats->minimum(), 30.0);
    model->setScaleFilter("HRC");
    QCOMPARE(stats->maximum(), 70.0);
    tick(*model, {1});
    model->removeChecked();
    QCOMPARE(stats->minimum(), 50.0);
    model->add(meas(0.0, "HRC", 10)); // ERR counts as 0 in the box
    QCOMPARE(stats->minimum(), 0.0);
  }

  void rangeTickingCoversExistingRowsOnly() {
    const QList<std::tuple<int, int, QList<int>>> ranges{
        {3, 1, {1, 2, 3}}, {7, 2, {2, 3, 4}}, {3, 1000000000, {3, 4}}, {1, -1000000000, {0, 1}}};
    fill({10, 20, 30, 40, 50});
    for (const auto& [first, second, ticks] : ranges) {
      model->clearSelected();
      model->setFirstIndex(first);
      model->setSecondIndex(second);
      QCOMPARE(ticked(*model), ticks);
    }
  }

  void rangeTickingRemembersItsAnchorOnlyUntilTheRowsChange() {
    fill({10, 20, 30, 40, 50});
    model->setSecondIndex(1); // no anchor yet: remembered, nothing ticked
    model->clearSelected();   // keeps the anchor
    model->setSecondIndex(2);
    QCOMPARE(ticked(*model), (QList<int>{1, 2}));
    model->clearSelected();
    model->setFirstIndex(0);
    model->remove(4);
    model->setSecondIndex(1);
    QCOMPARE(ticked(*model), QList<int>());
  }

  // Views rebuild on every notification: a change of many rows must reach them as one, or a
  // chart of thousands of points is rebuilt thousands of times.
  void bulkChangesReachTheViewsAsOneNotification() {
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy average(stats, &MeasurementStatistics::changed);
    const auto notifications = [&] {
      const int count = inserted.count() + removed.count() + reset.count();
      inserted.clear();
      removed.clear();
      reset.clear();
      return count;
    };

    QList<Measurement> records;
    for (int i = 0; i < 1000; ++i)
      records.append(meas(40.0 + i % 7, i % 3 == 0 ? "HB" : "HRC", i));
    model->replaceAll(records);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(notifications(), 1);
    QCOMPARE(model->rowCount(), 1000);
    QCOMPARE(model->hardness(999), 40.0 + 999 % 7);
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HB", "HRC"}));
    QCOMPARE(average.count(), 1);
    QCOMPARE(stats->maximum(), 46.0);

    tick(*model, {0, 2, 4, 6});
    model->removeChecked();
    QCOMPARE(notifications(), 1);
    QCOMPARE(model->rowCount(), 996);
    QCOMPARE(model->hardness(0), 41.0);

    tick(*model, {10, 11, 12});
    model->removeChecked();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(notifications(), 1);

    model->setScaleFilter("HB");
    QCOMPARE(notifications(), 1);
    model->resetScaleFilter();
    QCOMPARE(notifications(), 1);

    average.clear();
    model->clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(notifications(), 1);
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(stats->averageText(), QStringLiteral("0"));
    QCOMPARE(average.count(), 1);
    QCOMPARE(scaleNames(), QStringList{AllScales});

    // A live row is one insert of one row.
    model->add(meas(50.0));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 0);
    QCOMPARE(inserted.first().at(2).toInt(), 0);
    QCOMPARE(notifications(), 1);
  }

  void replacingAllRecordsKeepsTheFilterInForce() {
    fill({40.0, 200.0}, {"HRC", "HB"});
    model->setScaleFilter("HB");
    model->replaceAll({meas(41.0, "HRC", 0), meas(220.0, "HB", 1), meas(230.0, "HB", 2)});
    QCOMPARE(shown(*model), (QList<double>{220.0, 230.0}));
    QCOMPARE(stats->averageText(), QStringLiteral("225"));
    QCOMPARE(scaleNames(), (QStringList{AllScales, "HRC", "HB"}));
    model->resetScaleFilter();
    QCOMPARE(shown(*model), (QList<double>{41.0, 220.0, 230.0}));
    model->replaceAll({});
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(scaleNames(), QStringList{AllScales});
  }

  void workbookOpenReplacesTheRecordsOrKeepsThemOnFailure() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath("measures.xlsx");
    fill({52.25, 200.0, 45.0}, {"HRC", "HB", "HRC"});
    model->setScaleFilter("HRC");
    model->saveToXlsx(fileName);

    MeasurementModel opened;
    opened.add(meas(1.0, "HV"));
    opened.openFromXlsx(dir.filePath("missing.xlsx"));
    QCOMPARE(shown(opened), QList<double>{1.0});
    opened.openFromXlsx(fileName);
    QCOMPARE(shown(opened), (QList<double>{52.25, 45.0}));
    QCOMPARE(opened.getScales()->stringList(), (QStringList{AllScales, "HRC"}));
    QCOMPARE(opened.dateTime(1), meas(0, "", 2).dateTime());
  }
};

QTEST_GUILESS_MAIN(TestMeasurementModel)
#include "tst_measurementmodel.moc"
