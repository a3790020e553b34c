#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "models/scalemodel.h"

class TestScaleModel : public QObject {
  Q_OBJECT

  ScaleModel* model = nullptr;

  QVariant field(int row, int role) const { return model->data(model->index(row), role); }

private slots:
  void initTestCase() {
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
  }
  // The rows the application starts with: three standard scales, then free user slots.
  void init() {
    model = new ScaleModel(this);
    new QAbstractItemModelTester(
        model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    for (const char* name : {"HRC", "HB", "HV"}) {
      Scale scale = Scale::standard(name, "standard");
      model->add(scale);
    }
    for (int i = ScaleModel::StandardScales; i < model->maxScales(); ++i) {
      Scale slot = Scale::freeUserSlot();
      model->add(slot);
    }
  }
  void cleanup() { delete model; }

  void addNumbersTheRowsUpToCapacity() {
    QCOMPARE(model->rowCount(), 13);
    QCOMPARE(field(0, ScaleModel::NumberRole).toString(), QStringLiteral("001"));
    QCOMPARE(field(9, ScaleModel::NumberRole).toString(), QStringLiteral("010"));
    QCOMPARE(model->scale(12)->number(), QStringLiteral("013"));
    Scale extra = Scale::standard("XX", "");
    model->add(extra);
    QCOMPARE(model->rowCount(), 13);
    QVERIFY(extra.number().isEmpty());
    QCOMPARE(model->scale(13), nullptr);
  }

  void newUserScalesTakeTheLowestFreeSlot() {
    QCOMPARE(model->lowestHiddenNumber(), qint16(3));
    model->unhideLowestScale("", "");
    model->unhideLowestScale("U1", "first");
    const Scale* row = model->scale(3);
    QVERIFY(row->isVisible() && !row->enable());
    QCOMPARE(row->name() + row->description(), QStringLiteral("U1first"));
    QCOMPARE(row->a(), 0.0);
    QCOMPARE(model->lowestHiddenNumber(), qint16(4));
    QCOMPARE(model->modifiedIndexes(), QList<int>{3});

    for (int i = 4; i < 13; ++i)
      model->unhideLowestScale("", "description only");
    QCOMPARE(model->lowestHiddenNumber(), qint16(-1));
    QSignalSpy layoutSpy(model, &QAbstractItemModel::layoutAboutToBeChanged);
    model->unhideLowestScale("NEW", "none left");
    QCOMPARE(layoutSpy.count(), 0);
    QCOMPARE(model->scaleNumber("NEW"), qint16(-1));
  }

  void hideAndShowRecordEachRowOnce() {
    model->setEnabled(3, true);
    model->hideScale(3);
    model->hideScale(3);
    QVERIFY(!model->enabled(3));
    QCOMPARE(model->scale(3)->a(), Scale::FreeSlotA);
    model->setEnabled(5, true);
    model->showScale(5);
    QVERIFY(model->scale(5)->isVisible() && model->enabled(5));
    QCOMPARE(model->scale(5)->a(), 0.0);
    model->hideScale(13);
    model->showScale(-1);
    QCOMPARE(model->modifiedIndexes(), (QList<int>{3, 5}));
    model->clearModifiedIndexes();
    QCOMPARE(model->modifiedIndexes(), QList<int>());
  }

  void lookUpsAreExactAndBounded() {
    QCOMPARE(model->scaleNumber("NON"), qint16(3));
    QCOMPARE(model->scaleNumber("hrc"), qint16(-1));
    QCOMPARE(model->scaleNumber(""), qint16(-1));
    QCOMPARE(model->scaleName(1), QStringLiteral("HB"));
    QCOMPARE(model->scaleName(15) + model->scaleName(-1), QString());
    QCOMPARE(model->visibleScaleNames(), QStringList());
    model->setEnabled(0, true);
    model->setEnabled(4, true);
    QCOMPARE(model->visibleMeasScaleNames(), (QStringList{QStringLiteral("Все шкалы"), "HRC"}));
  }

  void setDataEditsOnlyWhatTheSettingsWindowMay() {
    QSignalSpy changedSpy(model, &QAbstractItemModel::dataChanged);
    for (int role : {ScaleModel::NumberRole, ScaleModel::NameRole, ScaleModel::DescriptionRole})
      QVERIFY(model->setData(model->index(3), "X", role) && field(3, role) == "X");
    QVERIFY(model->setData(model->index(3), true, ScaleModel::EnableRole) && model->enabled(3));
    QCOMPARE(changedSpy.count(), 4);
    QVERIFY(!model->setData(model->index(3), true, ScaleModel::IsVisibleRole));
    QVERIFY(!model->setData(model->index(3), false, ScaleModel::IsReadOnlyRole));
    QVERIFY(!model->setData(model->index(20), true, ScaleModel::EnableRole));
    QVERIFY(!model->scale(3)->isVisible() && model->scale(3)->isReadOnly());
    QCOMPARE(changedSpy.count(), 4);
    QCOMPARE(model->modifiedIndexes(), QList<int>());
  }

  void removeAndClearLeaveNumbersAndTheModifiedList() {
    model->hideScale(5);
    model->remove(1);
    QCOMPARE(model->scaleName(1), QStringLiteral("HV"));
    QCOMPARE(field(1, ScaleModel::NumberRole).toString(), QStringLiteral("003"));
    QPersistentModelIndex held(model->index(2));
    model->clear();
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(!held.isValid());
    QCOMPARE(model->modifiedIndexes(), QList<int>{5});
    QSignalSpy layoutSpy(model, &QAbstractItemModel::layoutAboutToBeChanged);
    model->clear();
    QCOMPARE(layoutSpy.count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestScaleModel)
#include "tst_scalemodel.moc"
