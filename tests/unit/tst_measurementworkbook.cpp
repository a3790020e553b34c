#include <sys/resource.h>

#include <clocale>
#include <cmath>
#include <csignal>
#include <limits>
#include <optional>

#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "device/lineformat.h"
#include "files/measurementworkbook.h"
#include "files/xlsxdocument.h"
#include "files/xlsxpackage.h"
#include "files/xlsxreader.h"
#include "formats/testertime.h"
#include "support/scopedtimezone.h"

namespace {

const QString sheetName = QStringLiteral("Измерения");

QDateTime at(int day, int hour, int minute, int second) {
  return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

Measurement hrc(const QDateTime& dateTime, double hardness) {
  return Measurement(dateTime, QStringLiteral("HRC"), hardness, 1234.5, 3.0);
}

// Every non-empty cell of the measurement sheet, as the file holds it.
int cellCount(const QString& fileName) {
  XlsxReader reader(fileName);
  const auto cells = reader.readSheet(sheetName);
  return cells ? cells->count() : -1;
}

// Names the measurement sheet in English, as a translation file would.
class EnglishSheetName : public QTranslator {
public:
  QString translate(const char* context, const char* source, const char*, int) const override {
    return QByteArray(context) == "MeasurementModel" && QString::fromUtf8(source) == sheetName
               ? QStringLiteral("Measurements")
               : QString();
  }
  bool isEmpty() const override { return false; }
};

} // namespace

class TestMeasurementWorkbook : public QObject {
  Q_OBJECT

private:
  QString path(const QString& name) const { return m_dir.filePath(name); }
  // A sheet "Измерения" with the given cells, row by row from A1.
  QString sheetWith(const QString& name, const QList<QVariantList>& rows);

  QTemporaryDir m_dir;

private slots:
  void savesOneRowPerMeasurementInColumnsAToC();
  void emptyListSavesOnlyTheMarkerAndOpensAsNoRows();
  void markerRowIsSkippedOnlyWhenTheMarkerStandsAlone();
  void timeStampsComeBackToTheSecondWithTheOpenedDefaults();
  void dateTextsReadAsTheTesterTimeStampsAre();
  void readingStopsAtTheFirstEmptyDateCell();
  void cellsThatDoNotFitStillGiveARecord();
  void rowsWithoutDateOrFiniteHardnessSurviveSaving();
  void filesWithoutTheSheetGiveNothing();
  void sheetNameFollowsTheTranslation();
  void sheetOpensWhateverTheLanguageItWasSavedIn();
  void numbersAreWrittenWithAPointInADecimalCommaLocale();
  void hardnessTypedAsTextWithADecimalCommaReadsAsThatNumber();
  void timeStampInADaylightSavingGapIsKept();
  void failedOpeningSaysWhy_data();
  void failedOpeningSaysWhy();
  void failedSavingSaysWhyAndKeepsTheOldFile();
};

QString TestMeasurementWorkbook::sheetWith(const QString& name, const QList<QVariantList>& rows) {
  XlsxDocument document;
  document.addSheet(sheetName);
  for (int row = 0; row < rows.size(); ++row)
    for (int column = 0; column < rows[row].size(); ++column)
      document.write(row + 1, column + 1, rows[row][column]);
  return document.saveAs(path(name)) ? path(name) : QString();
}

void TestMeasurementWorkbook::savesOneRowPerMeasurementInColumnsAToC() {
  // The hardness is stored as the number itself, not the rounded text of the list.
  const QList<Measurement> rows{
      hrc(at(21, 14, 5, 9), 52.25), hrc(at(21, 14, 6, 0), 1234.5678), hrc(at(22, 9, 0, 59), 1e-7)};
  QVERIFY(writeMeasurementWorkbook(path("three.xlsx"), rows));

  XlsxDocument document(path("three.xlsx"));
  QCOMPARE(document.sheetNames(), QStringList{sheetName});
  QVERIFY(document.selectSheet(sheetName));
  QCOMPARE(cellCount(path("three.xlsx")), 9);
  QCOMPARE(document.read(1, 1), QVariant(QStringLiteral("14:05:09 21.03.24")));
  QCOMPARE(document.read(3, 1), QVariant(QStringLiteral("09:00:59 22.03.24")));
  for (int row = 1; row <= 3; ++row) {
    QCOMPARE(document.read(row, 2), QVariant(rows[row - 1].hardness()));
    QCOMPARE(document.read(row, 3), QVariant(QStringLiteral("HRC")));
  }
  const auto opened = readMeasurementWorkbook(path("three.xlsx"));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 3);
  for (int i = 0; i < 3; ++i)
    QCOMPARE(opened->at(i).hardness(), rows[i].hardness());
}

void TestMeasurementWorkbook::emptyListSavesOnlyTheMarkerAndOpensAsNoRows() {
  QVERIFY(writeMeasurementWorkbook(path("empty.xlsx"), {}));
  QCOMPARE(cellCount(path("empty.xlsx")), 1);
  XlsxDocument document(path("empty.xlsx"));
  QVERIFY(document.selectSheet(sheetName));
  QCOMPARE(document.read(1, 1), QVariant(QStringLiteral("YO")));

  const auto opened = readMeasurementWorkbook(path("empty.xlsx"));
  QVERIFY(opened.has_value());
  QVERIFY(opened->isEmpty());
}

void TestMeasurementWorkbook::markerRowIsSkippedOnlyWhenTheMarkerStandsAlone() {
  // Rows typed below the marker of an empty workbook are measurements like any other.
  const auto below =
      readMeasurementWorkbook(sheetWith("below.xlsx", {{"YO"}, {"14:05:09 21.03.24", 50.0, "HB"}}));
  QVERIFY(below.has_value());
  QCOMPARE(below->size(), 1);
  QCOMPARE(below->first().scale(), QStringLiteral("HB"));

  // "YO" with a hardness or a scale beside it is a row whose date does not fit.
  const auto withHardness = readMeasurementWorkbook(sheetWith("yo.xlsx", {{"YO", 50.0}}));
  QVERIFY(withHardness.has_value());
  QCOMPARE(withHardness->size(), 1);
  QVERIFY(!withHardness->first().dateTime().isValid());
  QCOMPARE(withHardness->first().hardness(), 50.0);

  const auto otherCase = readMeasurementWorkbook(sheetWith("yo2.xlsx", {{"yo"}}));
  QVERIFY(otherCase.has_value());
  QCOMPARE(otherCase->size(), 1);
}

void TestMeasurementWorkbook::timeStampsComeBackToTheSecondWithTheOpenedDefaults() {
  Measurement taken = hrc(QDateTime(QDate(2024, 3, 21), QTime(14, 5, 9, 750)), 45.5);
  taken.setChecked(true);
  QVERIFY(writeMeasurementWorkbook(path("stamp.xlsx"), {taken}));
  const auto opened = readMeasurementWorkbook(path("stamp.xlsx"));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 1);
  const Measurement& back = opened->first();
  QCOMPARE(back.dateTime(), at(21, 14, 5, 9));
  QCOMPARE(back.scale(), QStringLiteral("HRC"));
  QCOMPARE(back.frequency(), 0.0);
  QCOMPARE(back.averaging(), 1.0);
  QVERIFY(!back.checked());
}

void TestMeasurementWorkbook::dateTextsReadAsTheTesterTimeStampsAre() {
  // The texts this program writes are read by a fast path; it must not disagree with the
  // tester's time-stamp parser on any text, well-formed or not.
  const QStringList texts{"14:05:09 21.03.24",
                          "00:00:00 01.01.00",
                          "23:59:59 31.12.99",
                          "24:00:00 21.03.24",
                          "14:60:09 21.03.24",
                          "14:05:09 30.02.24",
                          "14:05:09 21.13.24",
                          "14:05:09 00.03.24",
                          "4:05:09 21.03.24",
                          "14:05:09 21.03.2024",
                          "14-05-09 21.03.24",
                          "14:05:09 21/03/24",
                          "\uff11\uff14:05:09 21.03.24",
                          "14:05:09 21.03.+4"};
  QList<QVariantList> rows;
  for (const QString& text : texts)
    rows.append({text, 50.0, "HRC"});
  const auto opened = readMeasurementWorkbook(sheetWith("texts.xlsx", rows));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), texts.size());
  for (int i = 0; i < texts.size(); ++i)
    QVERIFY2(opened->at(i).dateTime() == TesterTime::parse(texts[i]), qPrintable(texts[i]));
  QCOMPARE(opened->at(1).dateTime(), QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
  QCOMPARE(opened->at(2).dateTime(), QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59)));
  // 2000 was a leap year, though 1900 was not.
  const auto leap = readMeasurementWorkbook(sheetWith("leap.xlsx", {{"12:00:00 29.02.00"}}));
  QVERIFY(leap.has_value() && leap->size() == 1);
  QCOMPARE(leap->first().dateTime(), QDateTime(QDate(2000, 2, 29), QTime(12, 0)));
}

void TestMeasurementWorkbook::readingStopsAtTheFirstEmptyDateCell() {
  QList<QVariantList> rows;
  for (int row = 1; row <= 7; ++row) {
    rows.append(
        row == 6
            ? QVariantList{QVariant(), 1.0, "HRC"}
            : QVariantList{at(21, 10, 0, row).toString("hh:mm:ss dd.MM.yy"), 40.0 + row, "HRC"});
  }
  const auto opened = readMeasurementWorkbook(sheetWith("gap.xlsx", rows));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 5);
  QCOMPARE(opened->last().hardness(), 45.0);
}

void TestMeasurementWorkbook::cellsThatDoNotFitStillGiveARecord() {
  const QList<QVariantList> rows{
      {"not a time", "abc", QVariant()},
      {"14:05:09 21.03.24", " 52.5 ", 7.0},
      {at(21, 14, 5, 9).addMSecs(600), true, "HV"}, // a date cell typed in a spreadsheet
      {45372.5, 50.0, "HB"},                        // a plain number is no date
  };
  const auto opened = readMeasurementWorkbook(sheetWith("odd.xlsx", rows));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 4);
  QVERIFY(!opened->at(0).dateTime().isValid());
  QCOMPARE(opened->at(0).hardness(), 0.0);
  QCOMPARE(opened->at(0).scale(), QString());
  QCOMPARE(opened->at(1).hardness(), 52.5);
  QCOMPARE(opened->at(1).scale(), QStringLiteral("7"));
  QCOMPARE(opened->at(2).dateTime(), at(21, 14, 5, 10));
  QCOMPARE(opened->at(2).hardness(), 0.0);
  QVERIFY(!opened->at(3).dateTime().isValid());
  QCOMPARE(opened->at(3).hardness(), 50.0);
}

void TestMeasurementWorkbook::rowsWithoutDateOrFiniteHardnessSurviveSaving() {
  const QList<Measurement> rows{hrc(at(21, 14, 5, 9), 45.0),
                                hrc(QDateTime(), 46.0),
                                hrc(at(21, 14, 5, 11), std::numeric_limits<double>::infinity()),
                                hrc(at(21, 14, 5, 12), std::nan("")),
                                hrc(at(21, 14, 5, 13), 47.0)};
  QVERIFY(writeMeasurementWorkbook(path("gaps.xlsx"), rows));
  const auto opened = readMeasurementWorkbook(path("gaps.xlsx"));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 5);
  QVERIFY(!opened->at(1).dateTime().isValid());
  QCOMPARE(opened->at(1).hardness(), 46.0);
  QCOMPARE(opened->at(2).hardness(), 0.0);
  QCOMPARE(opened->at(3).hardness(), 0.0);
  QCOMPARE(opened->at(4).hardness(), 47.0);
}

void TestMeasurementWorkbook::filesWithoutTheSheetGiveNothing() {
  XlsxDocument other;
  QVERIFY(other.addSheet(QStringLiteral("Лист1")));
  QVERIFY(other.write(QStringLiteral("A1"), QStringLiteral("14:05:09 21.03.24")));
  QVERIFY(other.saveAs(path("other.xlsx")));
  QVERIFY(!readMeasurementWorkbook(path("other.xlsx")).has_value());
  QVERIFY(!readMeasurementWorkbook(path("missing.xlsx")).has_value());
  QVERIFY(!readMeasurementWorkbook(QString()).has_value());
  QVERIFY(!writeMeasurementWorkbook(QString(), {}));
}

void TestMeasurementWorkbook::sheetNameFollowsTheTranslation() {
  EnglishSheetName english;
  QCoreApplication::installTranslator(&english);
  const bool written =
      writeMeasurementWorkbook(path("english.xlsx"), {hrc(at(21, 14, 5, 9), 45.0)});
  const auto openedInEnglish = readMeasurementWorkbook(path("english.xlsx"));
  QCoreApplication::removeTranslator(&english);

  QVERIFY(written);
  QCOMPARE(XlsxDocument(path("english.xlsx")).sheetNames(), QStringList{"Measurements"});
  QVERIFY(openedInEnglish.has_value());
  QCOMPARE(openedInEnglish->size(), 1);
}

void TestMeasurementWorkbook::sheetOpensWhateverTheLanguageItWasSavedIn() {
  EnglishSheetName english;
  QCoreApplication::installTranslator(&english);
  const bool writtenInEnglish =
      writeMeasurementWorkbook(path("english.xlsx"), {hrc(at(21, 14, 5, 9), 45.0)});
  QCoreApplication::removeTranslator(&english);
  QVERIFY(writtenInEnglish);
  QVERIFY(writeMeasurementWorkbook(path("russian.xlsx"), {hrc(at(21, 14, 5, 9), 46.0)}));

  const auto englishInRussian = readMeasurementWorkbook(path("english.xlsx"));
  QCoreApplication::installTranslator(&english);
  const auto russianInEnglish = readMeasurementWorkbook(path("russian.xlsx"));
  QCoreApplication::removeTranslator(&english);
  QVERIFY(englishInRussian.has_value() && englishInRussian->size() == 1);
  QCOMPARE(englishInRussian->first().hardness(), 45.0);
  QVERIFY(russianInEnglish.has_value() && russianInEnglish->size() == 1);
  QCOMPARE(russianInEnglish->first().hardness(), 46.0);
}

void TestMeasurementWorkbook::numbersAreWrittenWithAPointInADecimalCommaLocale() {
  // The application object takes the C library's locale from the environment, as here.
  const QByteArray before = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "ru_RU.UTF-8"))
    QSKIP("ru_RU.UTF-8 is not generated; scripts/install-deps.sh generates it");
  QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
  const bool written = writeMeasurementWorkbook(
      path("ru.xlsx"), {hrc(at(21, 14, 5, 9), 52.25), hrc(at(21, 14, 5, 10), 1e-7)});
  const auto opened = readMeasurementWorkbook(path("ru.xlsx"));
  XlsxPackage package(path("ru.xlsx"));
  const auto sheet =
      package.read(QStringLiteral("xl/worksheets/sheet1.xml"), XlsxPackage::maxSheetPartSize);
  std::setlocale(LC_ALL, before.constData());

  QVERIFY(written);
  QVERIFY(sheet.has_value());
  QVERIFY2(sheet->contains("<v>52.25</v>"), sheet->constData());
  QVERIFY2(sheet->contains("left=\"0.7\""), sheet->constData()); // the page margins
  QVERIFY2(!sheet->contains(','), sheet->constData());
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 2);
  QCOMPARE(opened->at(0).hardness(), 52.25);
  QCOMPARE(opened->at(1).hardness(), 1e-7);
}

void TestMeasurementWorkbook::hardnessTypedAsTextWithADecimalCommaReadsAsThatNumber() {
  const auto opened = readMeasurementWorkbook(sheetWith("comma.xlsx",
                                                        {{"14:05:09 21.03.24", "52,25", "HRC"},
                                                         {"14:05:10 21.03.24", " 45.5 ", "HRC"},
                                                         {"14:05:11 21.03.24", "1,000.5", "HRC"},
                                                         {"14:05:12 21.03.24", "5,2,5", "HRC"}}));
  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 4);
  QCOMPARE(opened->at(0).hardness(), 52.25);
  QCOMPARE(opened->at(1).hardness(), 45.5);
  QCOMPARE(opened->at(2).hardness(), 0.0); // group separators are not guessed at
  QCOMPARE(opened->at(3).hardness(), 0.0);
}

void TestMeasurementWorkbook::timeStampInADaylightSavingGapIsKept() {
  // 02:30 on 31 March 2024 does not exist in Berlin; the tester's clock showed it anyway.
  std::optional<ScopedTimeZone> berlin;
  berlin.emplace("Europe/Berlin");
  const QString inGap = QStringLiteral("02:30:00 31.03.24");
  // As text, and as a date cell typed into a spreadsheet.
  const auto opened = readMeasurementWorkbook(
      sheetWith("gap.xlsx",
                {{inGap, 50.0, "HRC"},
                 {TesterTime::wallClock(QDate(2024, 3, 31), QTime(2, 45, 0)), 51.0, "HRC"}}));
  const bool resaved = opened && writeMeasurementWorkbook(path("gap2.xlsx"), *opened);
  XlsxDocument again(path("gap2.xlsx"));
  const bool selected = again.selectSheet(sheetName);
  const QVariant cell = again.read(1, 1);
  const QDateTime afterGap = TesterTime::parse(QStringLiteral("03:30:00 31.03.24"));
  berlin.reset();

  QVERIFY(opened.has_value());
  QCOMPARE(opened->size(), 2);
  QVERIFY(opened->first().dateTime().isValid());
  QCOMPARE(TesterTime::format(opened->at(1).dateTime()), QStringLiteral("02:45:00 31.03.24"));
  QCOMPARE(TesterTime::format(opened->first().dateTime()), inGap);
  QVERIFY(opened->first().dateTime() <= afterGap);
  QVERIFY(resaved && selected);
  QCOMPARE(cell.toString(), inGap);
}

void TestMeasurementWorkbook::failedOpeningSaysWhy_data() {
  QTest::addColumn<QString>("fileName");
  QTest::addColumn<QString>("reason");
  const auto file = [&](const QString& name, const QByteArray& content) {
    QFile out(path(name));
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() ? out.fileName()
                                                                                  : QString();
  };
  QList<Measurement> many;
  for (int i = 0; i < 2000; ++i)
    many.append(hrc(at(21, 10, 0, 0).addSecs(i), 40.0 + i % 20));
  QVERIFY(writeMeasurementWorkbook(path("many.xlsx"), many));
  QFile saved(path("many.xlsx"));
  QVERIFY(saved.open(QIODevice::ReadOnly));
  QByteArray damaged = saved.readAll();
  const int sheetData = damaged.indexOf("xl/worksheets/sheet1.xml") + 200;
  for (int i = sheetData; i < sheetData + 8; ++i)
    damaged[i] = char(damaged[i] ^ 0x5a);
  XlsxDocument other;
  QVERIFY(other.addSheet(QStringLiteral("Лист1")));
  QVERIFY(other.saveAs(path("other.xlsx")));

  QTest::newRow("missing") << path("missing.xlsx") << "его нет";
  QTest::newRow("not a workbook") << file("notes.xlsx", "Дата;Твёрдость\n") << "не книга Excel";
  QTest::newRow("damaged") << file("damaged.xlsx", damaged) << "повреждена";
  QTest::newRow("no measurement sheet") << path("other.xlsx") << "нет листа \"Измерения\"";
}

void TestMeasurementWorkbook::failedOpeningSaysWhy() {
  QFETCH(QString, fileName);
  QFETCH(QString, reason);
  QString failure;
  QVERIFY(!readMeasurementWorkbook(fileName, &failure).has_value());
  QVERIFY2(failure.startsWith(QStringLiteral("Файл не открыт")), qPrintable(failure));
  QVERIFY2(failure.contains(reason), qPrintable(failure));
}

void TestMeasurementWorkbook::failedSavingSaysWhyAndKeepsTheOldFile() {
  QVERIFY(writeMeasurementWorkbook(path("kept.xlsx"), {hrc(at(21, 14, 5, 9), 45.0)}));
  QFile old(path("kept.xlsx"));
  QVERIFY(old.open(QIODevice::ReadOnly));
  const QByteArray oldBytes = old.readAll();
  old.close();
  QList<Measurement> many;
  for (int i = 0; i < 5000; ++i)
    many.append(hrc(at(21, 10, 0, 0).addSecs(i), 40.0 + i % 20));

  // A disk that takes no more than a few kilobytes per file, as a full one does.
  rlimit limit{};
  QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{4096, limit.rlim_max};
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString full;
  const bool savedOnFullDisk = writeMeasurementWorkbook(path("kept.xlsx"), many, &full);
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previousHandler);
  QVERIFY(!savedOnFullDisk);
  QVERIFY2(full.startsWith(QStringLiteral("Файл не сохранён")), qPrintable(full));
  QVERIFY(old.open(QIODevice::ReadOnly));
  QCOMPARE(old.readAll(), oldBytes);
  old.close();

  // A file where a folder should be: the folder cannot be written into.
  QString noFolder;
  QVERIFY(!writeMeasurementWorkbook(path("kept.xlsx/inside.xlsx"), many, &noFolder));
  QVERIFY2(noFolder.contains(QStringLiteral("нет доступа к папке")), qPrintable(noFolder));
}

QTEST_GUILESS_MAIN(TestMeasurementWorkbook)
#include "tst_measurementworkbook.moc"
