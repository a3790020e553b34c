// The tester's time stamps, shared by the line parsers and the workbooks.
#include <ctime>

#include <QtTest>

#include "formats/testertime.h"
#include "support/scopedtimezone.h"

class TestTesterTime : public QObject {
  Q_OBJECT

private slots:
  // A zone with both daylight-saving changes, whatever the machine's own.
  void initTestCase() { m_zone = std::make_unique<ScopedTimeZone>("Europe/Berlin"); }
  void cleanupTestCase() { m_zone.reset(); }

  void stampsReadAndWriteTheTestersPattern() {
    const QDateTime stamp = TesterTime::parse(QStringLiteral("14:05:09 21.03.24"));
    QCOMPARE(stamp, QDateTime(QDate(2024, 3, 21), QTime(14, 5, 9)));
    QCOMPARE(TesterTime::format(stamp), QStringLiteral("14:05:09 21.03.24"));
    QCOMPARE(TesterTime::parse(QStringLiteral("10:11:12 01.02.2003")),
             QDateTime(QDate(2003, 2, 1), QTime(10, 11, 12)));
    QCOMPARE(TesterTime::parse(QStringLiteral("12:00:00 29.02.00")),
             QDateTime(QDate(2000, 2, 29), QTime(12, 0)));
    QVERIFY(!TesterTime::parseShort(QStringLiteral("10:11:12 01.02.2003")).isValid());
    for (const char* text : {"10:11", "24:00:00 21.03.24", "14:05:09 30.02.24", ""})
      QVERIFY2(!TesterTime::parse(QString::fromLatin1(text)).isValid(), text);
    QCOMPARE(TesterTime::format(QDateTime()), QString());
  }

  void everyMinuteOfTheChangeoverDaysIsTheLocalMomentOrKeptInTheGap() {
    // The offsets are looked up once per hour; the hours of a change must still be exact.
    for (const QDate& day : {QDate(2024, 3, 31), QDate(2024, 10, 27)}) {
      for (int minute = 0; minute < 24 * 60; ++minute) {
        const QTime time(minute / 60, minute % 60, 30);
        const QDateTime stamp = TesterTime::wallClock(day, time);
        const QDateTime local(day, time);
        QVERIFY(stamp.isValid());
        QCOMPARE(stamp.date(), day);
        QCOMPARE(stamp.time(), time);
        if (local.isValid())
          QCOMPARE(stamp.toMSecsSinceEpoch(), local.toMSecsSinceEpoch());
      }
    }
    // 02:30 on 31 March does not exist in Berlin: it is kept at the winter offset.
    const QDateTime inGap = TesterTime::parse(QStringLiteral("02:30:00 31.03.24"));
    QCOMPARE(TesterTime::format(inGap), QStringLiteral("02:30:00 31.03.24"));
    QCOMPARE(inGap.offsetFromUtc(), 3600);
  }

private:
  std::unique_ptr<ScopedTimeZone> m_zone;
};

QTEST_GUILESS_MAIN(TestTesterTime)
#include "tst_testertime.moc"
