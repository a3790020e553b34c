// The tester's text lines turned into values, and values into the tester's text.
#include <QtTest>

#include "device/lineformat.h"
#include "device/portdiscovery.h"
#include "formats/testertime.h"

using namespace LineFormat;

class LineFormatTest : public QObject {
  Q_OBJECT

private slots:
  void timeStampsMeanTheYears2000To2099_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("two-digit year")
        << "10:11:12 01.02.03" << QDateTime(QDate(2003, 2, 1), QTime(10, 11, 12));
    QTest::newRow("four-digit year")
        << "10:11:12 01.02.2003" << QDateTime(QDate(2003, 2, 1), QTime(10, 11, 12));
    QTest::newRow("last year of the century")
        << "23:59:58 31.12.99" << QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58));
    QTest::newRow("leap day of 2000")
        << "08:00:00 29.02.00" << QDateTime(QDate(2000, 2, 29), QTime(8, 0, 0));
    QTest::newRow("no such day") << "08:00:00 30.02.24" << QDateTime();
    QTest::newRow("hour out of range") << "24:00:00 01.02.24" << QDateTime();
    QTest::newRow("no date") << "10:11" << QDateTime();
    QTest::newRow("trailing space") << "12:30:05 14.02.20 " << QDateTime();
  }
  void timeStampsMeanTheYears2000To2099() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(TesterTime::parse(text), expected);
    if (expected.isValid())
      QCOMPARE(TesterTime::parse(TesterTime::format(expected)), expected);
  }

  void clockReplyMustMatchExactly() {
    QCOMPARE(parseClockReply(" 23:59:58 31.12.99\n"),
             QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58)));
    QVERIFY(!parseClockReply(" 23:59:58 31.12.2099\n").isValid());
    QVERIFY(!parseClockReply("23:59:58 31.12.99\n").isValid());
    QVERIFY(!parseClockReply(" 23:59:58 31.12.99\r\n").isValid());
    QVERIFY(!parseClockReply("").isValid());
  }

  void countLineIsAWholeInteger_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QByteArray("25\n") << 25 << true;
    QTest::newRow("spaces around") << QByteArray(" 25 \n") << 25 << true;
    QTest::newRow("zero") << QByteArray("0\n") << 0 << true;
    QTest::newRow("negative is parsed, the caller refuses it") << QByteArray("-1\n") << -1 << true;
    QTest::newRow("trailing letter") << QByteArray("25x\n") << 0 << false;
    QTest::newRow("empty") << QByteArray("") << 0 << false;
  }
  void countLineIsAWholeInteger() {
    QFETCH(QByteArray, line);
    QFETCH(int, count);
    QFETCH(bool, valid);
    const std::optional<int> parsed = parseCountLine(line);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
      QCOMPARE(*parsed, count);
  }

  void recordLineTakesItsFieldsInMemoryOrder() {
    const std::optional<Measurement> m = parseRecordLine("12:30:05 14.02.20;3;812.4;HRC;52.3\n");
    QVERIFY(m);
    QCOMPARE(m->dateTime(), QDateTime(QDate(2020, 2, 14), QTime(12, 30, 5)));
    QCOMPARE(m->averaging(), 3.0);
    QCOMPARE(m->frequency(), 812.4);
    QCOMPARE(m->scale(), QString("HRC"));
    QCOMPARE(m->hardness(), 52.3);
    QVERIFY(!m->checked());
  }

  void recordLineWithOtherFieldCountsOrOddSpacing() {
    QVERIFY(!parseRecordLine("12:30:05 14.02.20;3;812.4;HRC;52.3;9\n"));
    QVERIFY(!parseRecordLine("12:30:05 14.02.20;3;812.4;HRC\n"));
    // Spaces around the fields: the scale is trimmed, numbers still read; a space before the
    // first ";" stays in the date text, which then does not parse.
    const std::optional<Measurement> m =
        parseRecordLine("12:30:05 14.02.20 ; 3 ; 812.4 ;  HRC ; 52.3\r\n");
    QVERIFY(m);
    QCOMPARE(m->scale(), QString("HRC"));
    QCOMPARE(m->hardness(), 52.3);
    QCOMPARE(m->frequency(), 812.4);
    QVERIFY(!m->dateTime().isValid());
    // A number field that is no number, or a scale that is no name, is no record.
    QVERIFY(!parseRecordLine("12:30:05 14.02.20;3;abc;HRC;x\n"));
    QVERIFY(!parseRecordLine("12:30:05 14.02.20;3;812.4;\x01;52.3\n"));
  }

  void liveLineTakesItsFieldsInLiveOrder() {
    const std::optional<Measurement> m = parseLiveLine("12:31:40 14.02.20 7;806.0;51.9;HRC\n");
    QVERIFY(m);
    QCOMPARE(m->dateTime(), QDateTime(QDate(2020, 2, 14), QTime(12, 31, 40)));
    QCOMPARE(m->frequency(), 806.0);
    QCOMPARE(m->hardness(), 51.9);
    QCOMPARE(m->scale(), QString("HRC"));
    QCOMPARE(m->averaging(), 1.0);
    // Without the word after the time stamp the cut loses the date.
    QVERIFY(!parseLiveLine("12:31:40 14.02.20;806.0;51.9;HRC\n")->dateTime().isValid());
    QVERIFY(!parseLiveLine("12:31:40 14.02.20 7;806.0;51.9\n"));
    QVERIFY(!parseLiveLine("12:31:40 14.02.20 7;806.0;51.9;HRC;1\n"));
  }

  void linesTheTesterSendsOnItsOwnAreToldFromReplies() {
    QVERIFY(isUnsolicitedLine("12:31:40 14.02.20 7;806.0;51.9;HRC\n"));
    QVERIFY(isUnsolicitedLine("btn1short;OK\n"));
    QVERIFY(isUnsolicitedLine("btn2long\n"));
    QVERIFY(isDeleteEventLine("xx btn1short;OK\n"));
    QVERIFY(!isDeleteEventLine("btn1short;ok\n"));
    // Replies of every command stay replies.
    QVERIFY(!isUnsolicitedLine("12345\n"));
    QVERIFY(!isUnsolicitedLine("25\n"));
    QVERIFY(!isUnsolicitedLine("12:30:05 14.02.20;3;812.4;HRC;52.3\n"));
    QVERIFY(!isUnsolicitedLine("4;HRB;0.5;12;0;20;70;1;5\n"));
    QVERIFY(!isUnsolicitedLine(" MIN:\n"));
    QVERIFY(!isUnsolicitedLine(" 65533;OK\n"));
  }

  void scaleRecordHasNineFields() {
    const std::optional<ScaleRecord> r = parseScaleRecord("4;HRB;0.5;12;0;20;70;1;5\n");
    QVERIFY(r);
    QCOMPARE(r->number, std::optional<ScaleNumber>(4));
    QCOMPARE(r->constants.name, QString("HRB"));
    QCOMPARE(r->constants.a, 0.5);
    QCOMPARE(r->constants.b, 12.0);
    QCOMPARE(r->constants.max, 70.0);
    QCOMPARE(r->constants.type, qint8(1));
    QCOMPARE(r->constants.points, qint16(5));
    QVERIFY(!parseScaleRecord("4;HRB;0.5;12;0;20;70;1\n"));
    // Integers keep their low bits, as the tester's fields are 8 and 16 bits wide.
    QCOMPARE(parseScaleRecord("x; A ;1;2;3;4;5;257;65537\n")->constants.type, qint8(1));
    QCOMPARE(parseScaleRecord("x; A ;1;2;3;4;5;257;65537\n")->constants.points, qint16(1));
    QCOMPARE(parseScaleRecord("x;  A  B ;1;2;3;4;5;257;65537\n")->constants.name, QString("A B"));
  }

  void constantsHaveSixSignificantDigits_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 999.0 << "999";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative") << -0.105 << "-0.105";
    QTest::newRow("large") << 1234567.0 << "1.23457e+06";
    QTest::newRow("small") << 0.0000123456789 << "1.23457e-05";
    QTest::newRow("rounded") << 135.0000001 << "135";
  }
  void constantsHaveSixSignificantDigits() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatConstant(value), text);
  }

  void decodingStopsAtAZeroByte() {
    QCOMPARE(decode(QByteArray("123\0"
                               "45\n",
                               7)),
             QString("123"));
    QCOMPARE(fields(" a ;; b \n"), QStringList({"a ", "", " b"}));
  }

  void testerPortQualifiesByBothIdentifierLists() {
    using PortDiscovery::PortDescription;
    const auto port = [](const char* name, std::optional<quint16> vid, std::optional<quint16> pid) {
      return PortDescription{name, vid, pid};
    };
    QCOMPARE(PortDiscovery::chooseTesterPort({port("a", 0x0403, 0x018A)}), QString("a"));
    QCOMPARE(PortDiscovery::chooseTesterPort({port("a", 0x28E9, 0x6001)}), QString("a"));
    QCOMPARE(PortDiscovery::chooseTesterPort({port("a", 0x0403, 0x6015)}), QString());
    QCOMPARE(PortDiscovery::chooseTesterPort({port("a", 0x0403, std::nullopt)}), QString());
    QCOMPARE(PortDiscovery::chooseTesterPort({port("a", std::nullopt, 0x6001)}), QString());
    QCOMPARE(PortDiscovery::chooseTesterPort(
                 {port("x", 0x1234, 0x6001), port("b", 0x0403, 0x6001), port("c", 0x28E9, 0x018A)}),
             QString("b"));
  }

  void testerPortVariableReplacesTheSystemList() {
    qputenv("BRENMO_TESTER_PORT", "/dev/pts/77");
    const QList<PortDiscovery::PortDescription> ports = PortDiscovery::systemPorts();
    QCOMPARE(ports.size(), 1);
    QCOMPARE(PortDiscovery::chooseTesterPort(ports), QString("/dev/pts/77"));
    qputenv("BRENMO_TESTER_PORT", "");
    for (const auto& port : PortDiscovery::systemPorts())
      QVERIFY(port.name != "/dev/pts/77");
    qunsetenv("BRENMO_TESTER_PORT");
  }

  void liveLinesOfNoiseAreNoMeasurement_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe;#;@@;\x01\n");
    QTest::newRow("no time stamp") << QByteArray("x1 1;806.0;51.9;HRC\n");
    QTest::newRow("impossible time") << QByteArray("25:61:00 14.02.20 1;806.0;51.9;HRC\n");
    QTest::newRow("frequency no number") << QByteArray("12:31:40 14.02.20 1;8x6;51.9;HRC\n");
    QTest::newRow("hardness no number") << QByteArray("12:31:40 14.02.20 1;806.0;;HRC\n");
    QTest::newRow("scale of control bytes") << QByteArray("12:31:40 14.02.20 1;806.0;51.9;\x01\n");
    QTest::newRow("scale of replacement") << QByteArray("12:31:40 14.02.20 1;806.0;51.9;\xc3\n");
    QTest::newRow("scale too long")
        << QByteArray("12:31:40 14.02.20 1;806.0;51.9;ABCDEFGHIJKLMNOPQ\n");
  }
  void liveLinesOfNoiseAreNoMeasurement() {
    QFETCH(QByteArray, line);
    QVERIFY(!parseLiveLine(line));
    QVERIFY(!isUnsolicitedLine(line));
  }

  void liveLineWithAUserScaleNameInCyrillicIsAMeasurement() {
    const std::optional<Measurement> m = parseLiveLine("12:31:40 14.02.20 7;806.0;51.9;Тв1\n");
    QVERIFY(m);
    QCOMPARE(m->scale(), QString("Тв1"));
    // Without its word the stamp is still readable: a measurement, whose date is lost.
    QVERIFY(parseLiveLine("12:31:40 14.02.20;806.0;51.9;HRC\n"));
  }

  void namesTheLineCanCarry() {
    QVERIFY(isCarriableName("HRB"));
    QVERIFY(isCarriableName("Тв1"));
    QVERIFY(isCarriableName(""));
    QVERIFY(!isCarriableName("A;B"));
    QVERIFY(!isCarriableName("A\tB"));
    QVERIFY(!isCarriableName(QString("A") + QChar(QChar::ReplacementCharacter)));
    QVERIFY(!isScaleName(""));
    QVERIFY(!isScaleName("--"));
    QCOMPARE(encodeName("Тв1"),
             QByteArray("\xd0\xa2\xd0\xb2"
                        "1"));
  }

  void scaleRecordNamesASlotOnlyWhenItsNumberIsOne() {
    // A garbled number must not read as HRC's 0, and no slot lies beyond 15.
    for (const char* line : {"x;HRB;0.5;12;0;20;70;1;5\n", "16;HRB;0.5;12;0;20;70;1;5\n"}) {
      const std::optional<ScaleRecord> garbled = parseScaleRecord(line);
      QVERIFY(garbled);
      QVERIFY(!garbled->number);
    }
  }
};

QTEST_GUILESS_MAIN(LineFormatTest)
#include "tst_lineformat.moc"
