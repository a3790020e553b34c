// The scale commands: the switch mask, the current scale, and the constants dialogue.
#include <QtTest>
#include <cmath>

#include "device/device.h"
#include "models/scalemodel.h"
#include "support/deviceprobe.h"
#include "support/devicetestcase.h"

class DeviceScalesTest : public DeviceTestCase {
  Q_OBJECT

  ScaleModel& scales() { return *device->scales(); }
  // An edit as the settings window makes one.
  template <typename Change> void edit(int row, Change change) {
    Scale edited = *scales().scale(row);
    change(edited);
    scales().setEdited(row, edited);
  }
  QList<bool> enabledRows() {
    QList<bool> rows;
    for (int i = 0; i < scales().rowCount(); ++i)
      rows.append(scales().enabled(i));
    return rows;
  }

private slots:
  void offMaskBecomesTheEnabledFlags_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("plain") << QByteArray("65528\n");
    QTest::newRow("spaces around") << QByteArray("  65528 \n");
  }
  void offMaskBecomesTheEnabledFlags() {
    QFETCH(QByteArray, reply);
    openPort();
    tester->script({{"getscl\n", reply}});
    QCOMPARE(device->visibleScales(), short(7));
    const QList<bool> expected = {
        true, true, true, false, false, false, false, false, false, false, false, false, false};
    QCOMPARE(enabledRows(), expected);
  }

  void unreadableOffMaskChangesNoFlag() {
    openPort();
    scales().setEnabled(4, true);
    const QList<bool> before = enabledRows();
    tester->script({{"getscl\n", "abc\n"}});
    QCOMPARE(device->visibleScales(), short(0));
    QCOMPARE(enabledRows(), before);
    QCOMPARE(device->visibleScales(), short(0)); // no reply at all
    QCOMPARE(enabledRows(), before);
  }

  void switchMaskIsSentAsTheComplementWithTheTopSlotsOff() {
    openPort();
    scales().setEnabled(1, true);
    QVERIFY(device->setVisibleScales());
    QCOMPARE(sim().received(), QByteArray("setscl 65533\n"));
    QCOMPARE(sim().offMask(), quint16(65533));

    for (int row = 0; row < scales().rowCount(); ++row)
      scales().setEnabled(row, true);
    QVERIFY(device->setVisibleScales());
    QCOMPARE(sim().offMask(), quint16(57344));

    sim().setCrLf(true); // " 57344;OK\r\n" is not the answer
    QVERIFY(!device->setVisibleScales());
  }

  void allScalesSwitchedOffSendsNothing() {
    openPort();
    QVERIFY(!device->setVisibleScales());
    QTest::qWait(50);
    QVERIFY(sim().received().isEmpty());
    QVERIFY(DeviceProbe(*device).receiving());
  }

  void currentScaleNumberOutsideTheSlotsIsRefused() {
    openPort();
    QVERIFY(!device->setCurrentScaleNumber(16));
    QVERIFY(!device->setCurrentScaleNumber(-1));
    QVERIFY(sim().received().isEmpty());
    QVERIFY(device->setCurrentScaleNumber(15));
    QCOMPARE(sim().received(), QByteArray("setscale 15\n"));
    QCOMPARE(sim().currentScale(), 15);
    QCOMPARE(device->currentScaleNumber(), short(15));
  }

  void readScalesCopiesTheSlotsAndGivesTheCurrentScaleBack() {
    openPort();
    TesterSimulator::ScaleSlot freeUser{"HRB", 1.0, 2.0, 3.0, 4.0, 5.0, 1, 7};
    sim().setScaleSlot(5, freeUser);
    TesterSimulator::ScaleSlot used{"HSD", 0.5, 12.0, 0.0, 20.0, 70.0, 1, 5};
    sim().setScaleSlot(4, used);
    TesterSimulator::ScaleSlot hb = sim().scaleSlot(1);
    hb.name = "XX";
    hb.a = 1.0;
    sim().setScaleSlot(1, hb);
    sim().setCurrentScale(2);

    QVERIFY(device->readScales());
    QCOMPARE(sim().currentScale(), 2);
    QVERIFY(!scales().scale(5)->isVisible());
    QCOMPARE(scales().scale(5)->name(), QString("HRB"));
    QCOMPARE(scales().scale(5)->points(), qint16(7));
    QVERIFY(scales().scale(4)->isVisible());
    QCOMPARE(scales().scale(4)->name(), QString("HSD"));
    QCOMPARE(scales().scale(4)->b(), 12.0);
    QCOMPARE(scales().scale(4)->max(), 70.0);
    QVERIFY(scales().scale(1)->isVisible());
    QCOMPARE(scales().scale(1)->name(), QString("HB"));
    QCOMPARE(scales().scale(1)->a(), 1.0);
  }

  void readScalesDoesNotSwitchScaleWhenTheCurrentOneIsUnknown() {
    openPort();
    sim().setCurrentScale(2);
    sim().failReply("getscale\n", 0, TesterSimulator::Failure::Garble);
    QVERIFY(!device->readScales());
    QVERIFY(sim().received().endsWith("setscale 12\n")); // no guess at a scale to go back to
    QCOMPARE(sim().currentScale(), 12);
  }

  void constantsDialogueWritesTheCurrentScalesRow() {
    openPort();
    QVERIFY(device->readScales());
    sim().clearReceived();
    edit(4, [](Scale& row) { row.setConstants({"HRB", 0.5, 12, 0, 20, 999, 1, 5}); });
    sim().setCurrentScale(4);
    QVERIFY(device->setScale());
    QCOMPARE(sim().received(),
             QByteArray("getscale\nsetconst\n0.5\n12\n0\n20\n999\nHRB\n1\n5\nwct\nsetscale 4\n"));
    const TesterSimulator::ScaleSlot slot = sim().scaleSlot(4);
    QCOMPARE(slot.name, QString("HRB"));
    QCOMPARE(slot.a, 0.5);
    QCOMPARE(slot.max, 999.0);
    QCOMPARE(slot.points, 5);
  }

  void constantsDialogueStopsAtAPromptWithoutItsSpace() {
    openPort();
    QVERIFY(device->readScales());
    sim().clearReceived();
    tester->script({{"getscale\n", "0;HRC;1;2;3;4;5;0;2\n"}, {"setconst\n", "A:\n"}});
    QVERIFY(!device->setScale());
    QTest::qWait(50);
    // No value was taken for a prompt; the rest only leads the tester out unstored.
    QVERIFY(sim().received().startsWith("getscale\nsetconst\n"));
    QVERIFY(!sim().received().contains("wct"));
  }

  void constantsNeverLeaveWhenTheyAreNotFiniteOrTheScaleIsUnknown() {
    openPort();
    QVERIFY(device->readScales());
    sim().clearReceived();
    edit(0, [&](Scale& row) { row.setB(std::nan("")); });
    QVERIFY(!device->setScale());
    QCOMPARE(sim().received(), QByteArray("getscale\n"));

    sim().clearReceived();
    sim().failReply("getscale\n", 0, TesterSimulator::Failure::Drop);
    QVERIFY(!device->setScale());
    QCOMPARE(sim().received(), QByteArray("getscale\n"));

    sim().clearReceived();
    sim().setCurrentScale(14); // a slot the model has no row for
    QVERIFY(!device->setScale());
    // The lost reply may still come: the clock, whose reply has a shape of its own, goes first.
    QCOMPARE(sim().received(), QByteArray("gettime\ngetscale\n"));
  }

  void modifiedRowsAreWrittenInTurnAndTheCurrentScaleRestored() {
    openPort();
    QVERIFY(device->readScales());
    sim().clearReceived();
    scales().hideScale(5);
    scales().unhideLowestScale("HRB", "латунь"); // the lowest free slot: row 3
    QCOMPARE(scales().modifiedIndexes(), QList<int>({5, 3}));
    sim().setCurrentScale(0);

    QVERIFY(device->setScales());
    // Each dialogue is followed by reading the slot back; the record of the slot switched to
    // is what says the dialogue will write there.
    const QByteArray row5 = "setconst\n1\n0\n0\n0\n999\nNON\n0\n2\nwct\nsetscale 5\n";
    const QByteArray row3 = "setconst\n0\n0\n0\n0\n999\nHRB\n0\n2\nwct\nsetscale 3\n";
    QCOMPARE(sim().received(),
             "getscale\nsetscale 5\n" + row5 + "setscale 3\n" + row3 + "setscale 0\n");
    QCOMPARE(sim().currentScale(), 0);
    QCOMPARE(sim().scaleSlot(3).name, QString("HRB"));
    QCOMPARE(sim().scaleSlot(3).a, 0.0);
    QVERIFY(DeviceProbe(*device).receiving());
  }

  void slotWhoseRecordComesLateIsUnknownAndNoRowTakesAnotherSlotsRecord() {
    openPort();
    sim().setScaleSlot(3, {"HSD", 0.5, 12.0, 0.0, 20.0, 70.0, 1, 5});
    sim().setScaleSlot(4, {"HRX", 0.7, 13.0, 0.0, 21.0, 71.0, 1, 6});
    sim().delayReply("setscale 3\n", 0, 1060);
    QVERIFY(!device->readScales());
    const QModelIndex row3 = scales().index(3);
    QVERIFY(scales().data(row3, ScaleModel::UnknownRole).toBool());
    QVERIFY(!scales().allRead());
    QVERIFY(!scales().data(scales().index(4), ScaleModel::UnknownRole).toBool());
    QCOMPARE(scales().scale(4)->name(), QString("HRX"));
    QCOMPARE(scales().scale(4)->max(), 71.0);
    QCOMPARE(scales().scale(5)->name(), QString("NON"));

    // Slot 3 is in use though its row looks free: adding a scale must not overwrite it.
    scales().unhideLowestScale("NEW", "новая");
    sim().clearReceived();
    QVERIFY(!device->setScales());
    QTest::qWait(50);
    QVERIFY(sim().received().isEmpty());
    QCOMPARE(sim().scaleSlot(3).name, QString("HSD"));

    // Nor may a calibration write into it; a slot that was read takes its own row.
    sim().setCurrentScale(3);
    QVERIFY(!device->setScale());
    QVERIFY(!sim().received().contains("setconst"));
    sim().setCurrentScale(4);
    edit(4, [&](Scale& row) { row.setA(0.75); });
    QVERIFY(device->setScale());
    QCOMPARE(sim().scaleSlot(4).name, QString("HRX"));
    QCOMPARE(sim().scaleSlot(4).a, 0.75);
    QCOMPARE(sim().scaleSlot(4).max, 71.0);

    // A later read that gets every slot makes the row known again.
    QVERIFY(device->readScales());
    QVERIFY(scales().allRead());
    QCOMPARE(scales().scale(3)->name(), QString("HSD"));
  }

  void staleRecordOfAnotherSlotIsNotTakenAsTheCurrentScalesAnswer() {
    openPort();
    sim().delayReply("setscale 2\n", 0, 1100);
    QVERIFY(!device->setCurrentScaleNumber(2));
    QVERIFY(device->setCurrentScaleNumber(1)); // the late record of slot 2 comes first
    QCOMPARE(sim().currentScale(), 1);
  }

  void namesGoOutInUtf8AndNamesTheLineCannotCarryNeverLeave() {
    openPort();
    QVERIFY(device->readScales());
    sim().setCurrentScale(4);
    edit(4, [&](Scale& row) { row.setName("Тв1"); });
    QVERIFY(device->setScale());
    QVERIFY(sim().received().contains("\nТв1\n"));
    QCOMPARE(sim().scaleSlot(4).name, QString("Тв1"));
    QVERIFY(device->readScales());
    QCOMPARE(scales().scale(4)->name(), QString("Тв1"));

    for (const QString& name : {QString("A;B"), QString("A\tB"), QString("A\nB")}) {
      sim().clearReceived();
      edit(4, [&](Scale& row) { row.setName(name); });
      QVERIFY(!device->setScale());
      QVERIFY(!sim().received().contains("setconst"));
    }
    QCOMPARE(sim().scaleSlot(4).name, QString("Тв1"));
  }

  void constantsDialogueFailingMidwayLeavesTheTesterOutsideItUnchanged_data() {
    QTest::addColumn<bool>("strict");
    QTest::addColumn<int>("lostPrompt");
    QTest::newRow("strict, MAX lost") << true << 4;
    QTest::newRow("strict, A lost") << true << 0;
    QTest::newRow("abandoning, NAME lost") << false << 5;
    QTest::newRow("strict, OK lost") << true << 8;
  }
  void constantsDialogueFailingMidwayLeavesTheTesterOutsideItUnchanged() {
    QFETCH(bool, strict);
    QFETCH(int, lostPrompt);
    openPort();
    sim().setStrict(strict);
    sim().setScaleSlot(4, {"HSD", 0.5, 12.0, 0.0, 20.0, 70.0, 1, 5});
    QVERIFY(device->readScales());
    sim().setCurrentScale(4);
    edit(4, [&](Scale& row) { row.setMax(80.0); });
    scales().showScale(4);
    sim().failReply("setconst\n", lostPrompt, TesterSimulator::Failure::Drop);
    // With only the " OK" lost the tester holds the values, and the slot read back says so.
    const bool stored = lostPrompt == 8;
    QCOMPARE(device->setScales(), stored);
    QCOMPARE(scales().modifiedIndexes(), QList<int>{4}); // the caller clears it
    QCOMPARE(sim().scaleSlot(4).max, stored ? 80.0 : 70.0);
    QCOMPARE(sim().scaleSlot(4).name, QString("HSD"));
    QCOMPARE(scales().scale(4)->max(), 80.0); // written, or still to be written
    // The tester takes requests again, not dialogue values.
    QCOMPARE(device->id(), QString("12345\n"));
    QCOMPARE(device->currentScaleNumber(), short(4));
    sim().setStrict(false);
    QVERIFY(device->setScales()); // and a second try goes through
    QCOMPARE(sim().scaleSlot(4).max, 80.0);
  }
};

QTEST_MAIN(DeviceScalesTest)
#include "tst_device_scales.moc"
