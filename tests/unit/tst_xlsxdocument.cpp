#include <cmath>
#include <limits>
#include <memory>

#include <QFile>
#include <QPoint>
#include <QTemporaryDir>
#include <QtTest>

#include <minizip/zip.h>

#include "files/cellreference.h"
#include "files/xlsxdates.h"
#include "files/xlsxdocument.h"
#include "files/xlsxpackage.h"
#include "files/xlsxsheetparser.h"

namespace {

using Parts = QList<QPair<QString, QByteArray>>;

const QByteArray mainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray relNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QByteArray packageRelNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";

bool zipParts(const QString& fileName, const Parts& parts) {
  zipFile zip = zipOpen64(QFile::encodeName(fileName).constData(), APPEND_STATUS_CREATE);
  if (!zip)
    return false;
  bool written = true;
  for (const auto& part : parts) {
    written =
        written &&
        zipOpenNewFileInZip64(zip,
                              part.first.toUtf8().constData(),
                              nullptr,
                              nullptr,
                              0,
                              nullptr,
                              0,
                              nullptr,
                              Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION,
                              0) == ZIP_OK &&
        zipWriteInFileInZip(zip, part.second.constData(), unsigned(part.second.size())) == ZIP_OK &&
        zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && written;
}

// Parts stored uncompressed, each with the size its header declares (-1: the true size) and
// the CRC of its data, so that a test can make a header lie.
struct StoredPart {
  QString name;
  QByteArray data;
  qint64 declaredSize = -1;
  bool wrongCrc = false;
};

bool zipStoredParts(const QString& fileName, const QList<StoredPart>& parts) {
  zipFile zip = zipOpen64(QFile::encodeName(fileName).constData(), APPEND_STATUS_CREATE);
  if (!zip)
    return false;
  bool written = true;
  for (const StoredPart& part : parts) {
    uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(part.data.constData()), uInt(part.data.size()));
    if (part.wrongCrc)
      crc ^= 1;
    const ZPOS64_T size = ZPOS64_T(part.declaredSize < 0 ? part.data.size() : part.declaredSize);
    written =
        written &&
        zipOpenNewFileInZip2_64(zip,
                                part.name.toUtf8().constData(),
                                nullptr,
                                nullptr,
                                0,
                                nullptr,
                                0,
                                nullptr,
                                0,
                                0,
                                1,
                                0) == ZIP_OK &&
        zipWriteInFileInZip(zip, part.data.constData(), unsigned(part.data.size())) == ZIP_OK &&
        zipCloseFileInZipRaw64(zip, size, crc) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && written;
}

QByteArray relationship(const char* id, const char* type, const QByteArray& target) {
  return QByteArray("<Relationship Id=\"") + id + "\" Type=\"" + relNamespace + "/" + type +
         "\" Target=\"" + target + "\"/>";
}

QByteArray worksheet(const QByteArray& rows) {
  return "<worksheet xmlns=\"" + mainNamespace + "\"><sheetData>" + rows +
         "</sheetData></worksheet>";
}

struct WorkbookParts {
  QByteArray sheet;
  QByteArray sharedStrings;
  QByteArray styles;
  QByteArray workbookProperties;
};

// A workbook as spreadsheet programs lay it out, with the one sheet "Лист1".
Parts workbook(const WorkbookParts& given) {
  QByteArray rels = relationship("rId1", "worksheet", "worksheets/sheet1.xml");
  Parts parts{
      {"_rels/.rels",
       "<Relationships xmlns=\"" + packageRelNamespace + "\">" +
           relationship("rId1", "officeDocument", "xl/workbook.xml") + "</Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"" + mainNamespace + "\" xmlns:r=\"" + relNamespace + "\">" +
           given.workbookProperties +
           "<sheets><sheet name=\"Лист1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/worksheets/sheet1.xml", given.sheet}};
  if (!given.sharedStrings.isNull()) {
    rels += relationship("rId2", "sharedStrings", "sharedStrings.xml");
    parts.append({"xl/sharedStrings.xml", given.sharedStrings});
  }
  if (!given.styles.isNull()) {
    rels += relationship("rId3", "styles", "styles.xml");
    parts.append({"xl/styles.xml", given.styles});
  }
  parts.append(
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"" + packageRelNamespace + "\">" + rels + "</Relationships>"});
  return parts;
}

// Every cell of a parsed sheet as a line of text, or "nothing".
QStringList dumpCells(const std::optional<SheetCells>& cells) {
  QStringList lines;
  if (!cells)
    return QStringList{QStringLiteral("nothing")};
  cells->forEach([&](int row, int column, const QVariant& value) {
    lines << QStringLiteral("%1,%2 %3 %4")
                 .arg(row)
                 .arg(column)
                 .arg(value.typeName(), value.toString());
  });
  return lines;
}

QDateTime local(int year, int month, int day, int hour, int minute, int second, int msec = 0) {
  return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec));
}

} // namespace

class TestXlsxDocument : public QObject {
  Q_OBJECT

private:
  QString path(const QString& name) const { return m_dir.filePath(name); }
  // Zips the parts and opens the result; null when the zip could not be made.
  std::unique_ptr<XlsxDocument> open(const Parts& parts);
  QString workbookFile(const QString& name, const WorkbookParts& parts) {
    const QString fileName = path(name);
    return zipParts(fileName, workbook(parts)) ? fileName : QString();
  }

  QTemporaryDir m_dir;

private slots:
  void savedValuesReadBackWithTheirTypes();
  void sheetsAreSelectedByExactNameAndKeepTheirOwnCells();
  void addSheetRefusesNamesAWorkbookCannotHold();
  void writeKeepsOnlyWhatAWorkbookCanHold();
  void savingALoadedWorkbookKeepsSheetsNeverSelected();

  void readsTextsFromSharedRichInlineAndFormulaStrings();
  void readsNumbersBooleansAndErrorCodesByTheirType();
  void cellsWithoutReferenceFollowThePreviousCell();
  void namespacePrefixesAndAbsoluteTargetsAreUnderstood();
  void numbersInADateFormatReadAsLocalDateTimes();
  void formatCodesShowDatesOnlyThroughDateParts();
  void placesBeyondTheSheetAreIgnored();

  void unreadableFilesFailWithoutPartialData_data();
  void unreadableFilesFailWithoutPartialData();

  void cellPlacesTooLargeForAnIntegerNeverLandOnOtherCells();
  void numbersSavedWithADecimalCommaReadAsNumbers();
  void partsMustHoldExactlyTheDataTheirHeaderDeclares_data();
  void partsMustHoldExactlyTheDataTheirHeaderDeclares();
  void partsAndPackagesOverTheirCapsAreRefusedAsTooLarge();
  void sheetDataScannerAgreesWithTheXmlReader_data();
  void sheetDataScannerAgreesWithTheXmlReader();
  void sheetDataScannerAgreesWithTheXmlReaderOnDamagedSheets();
  void largeSheetsOpenOnlyInTheLayoutSpreadsheetProgramsWrite();
};

std::unique_ptr<XlsxDocument> TestXlsxDocument::open(const Parts& parts) {
  static int count = 0;
  const QString fileName = path(QStringLiteral("parts%1.xlsx").arg(++count));
  return zipParts(fileName, parts) ? std::make_unique<XlsxDocument>(fileName) : nullptr;
}

void TestXlsxDocument::savedValuesReadBackWithTheirTypes() {
  const QList<QPair<QString, QVariant>> cells{
      {"A1", QStringLiteral("Измерения твёрдости")},
      {"B1", 52.25},
      {"C1", 1e-7},
      {"D1", 123456789012.5},
      {"E1", -1e300},
      {"F1", true},
      {"G1", false},
      {"A2", QStringLiteral("  spaces kept  ")},
      {"B2", QStringLiteral("line\nbreak\ttab")},
      {"C2", QStringLiteral("_x0041_ is not an escape here")},
      {"D2", QStringLiteral("bell\x07")},
      {"E2", QString(32767, QChar(0x44F))},
      {"A3", local(2024, 3, 21, 14, 5, 9, 250)},
      {"XFD1048576", 7.0},
  };
  XlsxDocument written;
  QVERIFY(written.addSheet(QStringLiteral("Лист1")));
  for (const auto& cell : cells)
    QVERIFY2(written.write(cell.first, cell.second), qPrintable(cell.first));
  QVERIFY(written.write(QStringLiteral("B3"), 42)); // integers are numbers like any other
  QVERIFY(written.saveAs(path("values.xlsx")));

  XlsxDocument read(path("values.xlsx"));
  QVERIFY(read.selectSheet(QStringLiteral("Лист1")));
  for (const auto& cell : cells) {
    const QVariant value = read.read(cell.first);
    QCOMPARE(value.userType(), cell.second.userType());
    QVERIFY2(value == cell.second, qPrintable(cell.first + ": " + value.toString()));
  }
  QCOMPARE(read.read(3, 2).userType(), int(QMetaType::Double));
  QCOMPARE(read.read(3, 2).toDouble(), 42.0);
  for (const QPoint& empty : {QPoint(8, 1), QPoint(1, 4), QPoint(0, 0), QPoint(1, 1048577)})
    QVERIFY(!read.read(empty.y(), empty.x()).isValid());
}

void TestXlsxDocument::sheetsAreSelectedByExactNameAndKeepTheirOwnCells() {
  XlsxDocument written;
  QVERIFY(written.addSheet(QStringLiteral("Первый")));
  QVERIFY(written.write(QStringLiteral("A1"), QStringLiteral("один")));
  QVERIFY(written.addSheet(QStringLiteral("Второй")));
  QVERIFY(written.write(QStringLiteral("A1"), QStringLiteral("два")));
  QVERIFY(written.selectSheet(QStringLiteral("Первый")));
  QCOMPARE(written.read(1, 1).toString(), QStringLiteral("один"));
  QVERIFY(written.saveAs(path("sheets.xlsx")));

  XlsxDocument read(path("sheets.xlsx"));
  QCOMPARE(read.sheetNames(), QStringList({"Первый", "Второй"}));
  QVERIFY(!read.read(1, 1).isValid()); // nothing is current before a selection
  QVERIFY(read.selectSheet(QStringLiteral("Второй")));
  QVERIFY(!read.selectSheet(QStringLiteral("второй")));
  QVERIFY(!read.selectSheet(QStringLiteral("Третий")));
  QCOMPARE(read.read(1, 1).toString(), QStringLiteral("два"));
  QVERIFY(read.selectSheet(QStringLiteral("Первый")));
  QCOMPARE(read.read(1, 1).toString(), QStringLiteral("один"));
}

void TestXlsxDocument::addSheetRefusesNamesAWorkbookCannotHold() {
  XlsxDocument document;
  QVERIFY(document.addSheet(QStringLiteral("Измерения")));
  const QStringList refused{
      QString(), QString(32, QChar(0x416)), "HRC/HB", "[1]", "a:b", "'Лист'", "ИЗМЕРЕНИЯ"};
  for (const QString& name : refused)
    QVERIFY2(!document.addSheet(name), qPrintable(name));
  QCOMPARE(document.sheetNames(), QStringList{"Измерения"});
  QVERIFY(document.addSheet(QString(31, QChar(0x416))));
}

void TestXlsxDocument::writeKeepsOnlyWhatAWorkbookCanHold() {
  XlsxDocument document;
  QVERIFY(!document.write(QStringLiteral("A1"), 1.0)); // no sheet yet
  QVERIFY(document.addSheet(QStringLiteral("Лист1")));
  QVERIFY(document.write(QStringLiteral("A1"), 1.0));
  const QVariantList refused{std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             QString(32768, QLatin1Char('x')),
                             QPoint(1, 2),
                             QDateTime(),
                             local(1899, 12, 31, 0, 0, 0)};
  for (const QVariant& value : refused)
    QVERIFY2(!document.write(QStringLiteral("A1"), value), value.typeName());
  QCOMPARE(document.read(1, 1), QVariant(1.0));
  for (const char* place : {"A0", "XFE1", "A1048577", "1A", "A", ""})
    QVERIFY2(!document.write(QString::fromLatin1(place), 2.0), place);
  QVERIFY(!document.write(0, 1, 2.0));
  QVERIFY(document.write(QStringLiteral("$B$2"), 2.0));
  QCOMPARE(document.read(2, 2), QVariant(2.0));

  // An empty text or no value at all empties the cell.
  QVERIFY(document.write(1, 1, QString()));
  QVERIFY(document.write(2, 2, QVariant()));
  QVERIFY(!document.read(1, 1).isValid());
  QVERIFY(!document.read(2, 2).isValid());

  QVERIFY(!document.saveAs(QString()));
  QVERIFY(!document.saveAs(path("no such folder/file.xlsx")));
  QVERIFY(!document.saveAs(m_dir.path())); // a folder is in the way
  QVERIFY(QFileInfo(m_dir.path()).isDir());
}

void TestXlsxDocument::savingALoadedWorkbookKeepsSheetsNeverSelected() {
  XlsxDocument first;
  QVERIFY(first.addSheet(QStringLiteral("Первый")));
  QVERIFY(first.write(QStringLiteral("B2"), QStringLiteral("останется")));
  QVERIFY(first.addSheet(QStringLiteral("Второй")));
  QVERIFY(first.saveAs(path("kept.xlsx")));

  XlsxDocument loaded(path("kept.xlsx"));
  QVERIFY(loaded.selectSheet(QStringLiteral("Второй")));
  QVERIFY(loaded.write(QStringLiteral("A1"), 5.0));
  QVERIFY(loaded.saveAs(path("kept.xlsx")));

  XlsxDocument again(path("kept.xlsx"));
  QVERIFY(again.selectSheet(QStringLiteral("Первый")));
  QCOMPARE(again.read(2, 2).toString(), QStringLiteral("останется"));
  QVERIFY(again.selectSheet(QStringLiteral("Второй")));
  QCOMPARE(again.read(1, 1), QVariant(5.0));
}

void TestXlsxDocument::readsTextsFromSharedRichInlineAndFormulaStrings() {
  const QByteArray strings =
      "<sst xmlns=\"" + mainNamespace +
      "\" uniqueCount=\"999999999\">"
      "<si><t>HRC</t></si>"
      "<si><r><t>Твёр</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">дость </t></r>"
      "<rPh sb=\"0\" eb=\"1\"><t>phonetic</t></rPh></si>"
      "<si><t>one_x000D__x000A_two _x005F_x0041_</t></si><si/></sst>";
  const QByteArray sheet =
      worksheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                "<c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"D1\" t=\"s\"><v>3</v></c>"
                "<c r=\"E1\" t=\"s\"><v>99</v></c><c r=\"F1\" t=\"s\"><v>-1</v></c></row>"
                "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><r><t>в</t></r><r><t>строке</t></r>"
                "</is></c><c r=\"B2\" t=\"str\"><f>\"H\"&amp;\"V\"</f><v>HV</v></c>"
                "<c r=\"C2\" t=\"str\"><f>A1</f></c></row>");
  const auto document = open(workbook({sheet, strings, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->read(1, 1), QVariant(QStringLiteral("HRC")));
  QCOMPARE(document->read(1, 2), QVariant(QStringLiteral("Твёрдость ")));
  QCOMPARE(document->read(1, 3), QVariant(QStringLiteral("one\r\ntwo _x0041_")));
  QCOMPARE(document->read(1, 4), QVariant(QString()));
  QVERIFY(!document->read(1, 5).isValid());
  QVERIFY(!document->read(1, 6).isValid());
  QCOMPARE(document->read(2, 1), QVariant(QStringLiteral("встроке")));
  QCOMPARE(document->read(2, 2), QVariant(QStringLiteral("HV")));
  QVERIFY(!document->read(2, 3).isValid()); // a formula never calculated has no value
}

void TestXlsxDocument::readsNumbersBooleansAndErrorCodesByTheirType() {
  const QByteArray sheet = worksheet(
      "<row r=\"1\"><c r=\"A1\"><v>1e3</v></c><c r=\"B1\" t=\"n\"><v>-0.5</v></c>"
      "<c r=\"C1\"><v>1.2E-05</v></c><c r=\"D1\"><v> 7 </v></c><c r=\"E1\"><v>1.2E-005</v></c>"
      "<c r=\"F1\"><v>12345678901234567890</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>abc</v></c><c r=\"B2\"><v>inf</v></c><c r=\"C2\"><v>nan</v></c>"
      "<c r=\"D2\"><v>1e999</v></c><c r=\"E2\"><v></v></c><c r=\"F2\"/><c r=\"G2\" t=\"x\">"
      "<v>1</v></c><c r=\"H2\" t=\"b\"><v>2</v></c></row>"
      "<row r=\"3\"><c r=\"A3\" t=\"b\"><v>1</v></c><c r=\"B3\" t=\"b\"><v>0</v></c>"
      "<c r=\"C3\" t=\"b\"><v>true</v></c><c r=\"D3\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
      "</row>");
  const auto document = open(workbook({sheet, {}, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  const QList<double> numbers{1000.0, -0.5, 1.2e-05, 7.0, 1.2e-05, 12345678901234567890.0};
  for (int column = 1; column <= numbers.size(); ++column) {
    QCOMPARE(document->read(1, column).userType(), int(QMetaType::Double));
    QCOMPARE(document->read(1, column).toDouble(), numbers[column - 1]);
  }
  // Not numbers, not finite, no value, an unknown type, a boolean that is neither.
  for (int column = 1; column <= 8; ++column)
    QVERIFY2(!document->read(2, column).isValid(), qPrintable(QString::number(column)));
  QCOMPARE(document->read(3, 1), QVariant(true));
  QCOMPARE(document->read(3, 2), QVariant(false));
  QCOMPARE(document->read(3, 3), QVariant(true));
  QCOMPARE(document->read(3, 4), QVariant(QStringLiteral("#DIV/0!")));
}

void TestXlsxDocument::cellsWithoutReferenceFollowThePreviousCell() {
  // Rows and cells out of order, rows and cells without their number.
  const QByteArray sheet =
      worksheet("<row r=\"3\"><c r=\"C3\"><v>33</v></c><c r=\"A3\"><v>31</v></c></row>"
                "<row><c><v>41</v></c><c/><c><v>43</v></c></row>"
                "<row r=\"1\"><c><v>11</v></c><c r=\"D1\"><v>14</v></c><c><v>15</v></c></row>");
  const auto document = open(workbook({sheet, {}, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  const QList<QPair<QPoint, double>> expected{{{3, 3}, 33},
                                              {{1, 3}, 31},
                                              {{1, 4}, 41},
                                              {{3, 4}, 43},
                                              {{1, 1}, 11},
                                              {{4, 1}, 14},
                                              {{5, 1}, 15}};
  for (const auto& cell : expected)
    QCOMPARE(document->read(cell.first.y(), cell.first.x()), QVariant(cell.second));
  QVERIFY(!document->read(4, 2).isValid());
  QVERIFY(!document->read(2, 1).isValid());
}

void TestXlsxDocument::namespacePrefixesAndAbsoluteTargetsAreUnderstood() {
  const QByteArray x = "xmlns:x=\"" + mainNamespace + "\"";
  const Parts parts{
      {"_rels/.rels",
       "<Relationships xmlns=\"" + packageRelNamespace + "\">" +
           relationship("rId1", "officeDocument", "/xl/book.xml") + "</Relationships>"},
      {"xl/book.xml",
       "<x:workbook " + x + " xmlns:rel=\"" + relNamespace +
           "\"><x:sheets><x:sheet name=\"Прочее\" rel:id=\"a\"/>"
           "<x:sheet name=\"Лист1\" rel:id=\"b\"/></x:sheets></x:workbook>"},
      {"xl/_rels/book.xml.rels",
       "<Relationships xmlns=\"" + packageRelNamespace + "\">" +
           relationship("a", "worksheet", "/xl/worksheets/other.xml") +
           relationship("b", "worksheet", "/XL/Worksheets/Data%201.xml") +
           relationship("s", "sharedStrings", "/xl/strings.xml") + "</Relationships>"},
      {"xl/strings.xml", "<x:sst " + x + "><x:si><x:t>HRC</x:t></x:si></x:sst>"},
      {"xl/worksheets/other.xml", "<x:worksheet " + x + "/>"},
      {"xl/worksheets/data 1.xml",
       "<x:worksheet " + x +
           "><x:sheetData><x:row x:r=\"1\"><x:c r=\"B1\" t=\"s\"><x:v>0</x:v></x:c>"
           "<x:c r=\"C1\"><x:v>52.25</x:v></x:c></x:row></x:sheetData></x:worksheet>"}};
  const auto document = open(parts);
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->sheetNames(), QStringList({"Прочее", "Лист1"}));
  QCOMPARE(document->read(1, 2), QVariant(QStringLiteral("HRC")));
  QCOMPARE(document->read(1, 3), QVariant(52.25));
}

void TestXlsxDocument::numbersInADateFormatReadAsLocalDateTimes() {
  const QByteArray styles =
      "<styleSheet xmlns=\"" + mainNamespace +
      "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd\\.mm\\.yy\\ hh:mm:ss\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"0.00&quot; d&quot;\"/>"
      "<numFmt numFmtId=\"166\" formatCode=\"[h]:mm\"/></numFmts>"
      "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
      "<xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"22\"/></cellXfs>"
      "<dxfs><dxf><numFmt numFmtId=\"0\" formatCode=\"yyyy\"/></dxf></dxfs></styleSheet>";
  const QByteArray sheet = worksheet(
      "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>45372</v></c><c r=\"B1\" s=\"2\"><v>45372.5869097222</v>"
      "</c><c r=\"C1\" s=\"3\"><v>45372</v></c><c r=\"D1\" s=\"4\"><v>1.5</v></c>"
      "<c r=\"E1\" s=\"0\"><v>45372</v></c><c r=\"F1\" s=\"9\"><v>45372</v></c></row>"
      "<row r=\"2\"><c r=\"A2\" s=\"5\"><v>61</v></c><c r=\"B2\" s=\"5\"><v>59.75</v></c>"
      "<c r=\"C2\" s=\"5\"><v>60</v></c><c r=\"D2\" s=\"5\"><v>-1</v></c>"
      "<c r=\"E2\" s=\"5\"><v>0.99999999999</v></c><c r=\"F2\" t=\"d\"><v>2024-03-21T14:05:09</v>"
      "</c></row>");
  const auto document = open(workbook({sheet, {}, styles, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->read(1, 1), QVariant(local(2024, 3, 21, 0, 0, 0)));
  QCOMPARE(document->read(1, 2), QVariant(local(2024, 3, 21, 14, 5, 9)));
  QCOMPARE(document->read(1, 3), QVariant(45372.0)); // "d" in quotes is a literal
  QCOMPARE(document->read(1, 4), QVariant(1.5));     // an elapsed time is a duration
  QCOMPARE(document->read(1, 5), QVariant(45372.0));
  QCOMPARE(document->read(1, 6), QVariant(45372.0)); // no such format
  QCOMPARE(document->read(2, 1), QVariant(local(1900, 3, 1, 0, 0, 0)));
  QCOMPARE(document->read(2, 2), QVariant(local(1900, 2, 28, 18, 0, 0)));
  // The day that never was, and serials before the calendar, stay numbers.
  QCOMPARE(document->read(2, 3), QVariant(60.0));
  QCOMPARE(document->read(2, 4), QVariant(-1.0));
  QCOMPARE(document->read(2, 5), QVariant(local(1900, 1, 1, 0, 0, 0)));
  QCOMPARE(document->read(2, 6), QVariant(local(2024, 3, 21, 14, 5, 9)));

  const auto in1904 = open(workbook({sheet, {}, styles, "<workbookPr date1904=\"true\"/>"}));
  QVERIFY(in1904 && in1904->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(in1904->read(1, 1), QVariant(local(2028, 3, 22, 0, 0, 0)));
  QCOMPARE(XlsxDates::fromSerial(0.5, true), local(1904, 1, 1, 12, 0, 0));
}

void TestXlsxDocument::formatCodesShowDatesOnlyThroughDateParts() {
  const QList<QPair<const char*, bool>> codes{{"General", false},
                                              {"0.00E+00", false},
                                              {"#,##0.00\\ \"руб.\"", false},
                                              {"[Red][>100]0.0", false},
                                              {"_-* #,##0_-", false},
                                              {"0;dd.mm.yyyy", false},
                                              {"[hh]:mm:ss", false},
                                              {"mm:ss.0", true},
                                              {"h:mm AM/PM", true},
                                              {"[$-419]D MMMM YYYY", true}};
  for (const auto& code : codes)
    QVERIFY2(XlsxDates::isDateFormatCode(QString::fromUtf8(code.first)) == code.second, code.first);
}

void TestXlsxDocument::placesBeyondTheSheetAreIgnored() {
  const QByteArray sheet = worksheet(
      "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"XFE1\"><v>2</v></c><c><v>3</v></c>"
      "<c r=\"AAAAAAAAAAAAA1\"><v>4</v></c></row>"
      "<row r=\"1048577\"><c><v>5</v></c></row><row r=\"99999999999999999999\"><c><v>6</v></c>"
      "</row><row r=\"1048576\"><c r=\"A1048577\"><v>7</v></c><c r=\"XFD1048576\"><v>8</v></c>"
      "</row>");
  const auto document = open(workbook({sheet, {}, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->read(1, 1), QVariant(1.0));
  QCOMPARE(document->read(1048576, 16384), QVariant(8.0));
  for (int column = 2; column <= 5; ++column)
    QVERIFY(!document->read(1, column).isValid());
  QVERIFY(!document->read(1048576, 1).isValid());
}

void TestXlsxDocument::unreadableFilesFailWithoutPartialData_data() {
  QTest::addColumn<QString>("fileName");
  const auto file = [&](const QString& name, const QByteArray& content) {
    QFile out(path(name));
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size() ? out.fileName()
                                                                                  : QString();
  };
  const QByteArray goodSheet = worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");

  XlsxDocument saved;
  QVERIFY(saved.addSheet(QStringLiteral("Лист1")));
  for (int row = 1; row <= 2000; ++row)
    QVERIFY(saved.write(row, 1, QStringLiteral("строка %1").arg(row)));
  QVERIFY(saved.saveAs(path("saved.xlsx")));
  QFile savedFile(path("saved.xlsx"));
  QVERIFY(savedFile.open(QIODevice::ReadOnly));
  const QByteArray savedBytes = savedFile.readAll();
  // Flips bytes in the middle of the compressed sheet, leaving the zip's directory intact.
  QByteArray damaged = savedBytes;
  const int sheetData = damaged.indexOf("xl/worksheets/sheet1.xml") + 200;
  for (int i = sheetData; i < sheetData + 8; ++i)
    damaged[i] = char(damaged[i] ^ 0x5a);

  QTest::newRow("missing") << path("missing.xlsx");
  QTest::newRow("empty") << file("empty.xlsx", {});
  QTest::newRow("text") << file("text.xlsx", "Дата;Твёрдость;Шкала\n");
  QTest::newRow("truncated") << file("truncated.xlsx", savedBytes.left(savedBytes.size() / 2));
  QTest::newRow("damaged data") << file("damaged.xlsx", damaged);
  QTest::newRow("zip of something else")
      << (zipParts(path("other.zip"), {{"readme.txt", "hello"}}) ? path("other.zip") : "");
  QTest::newRow("no sheet of that name") << [&] {
    XlsxDocument other;
    other.addSheet(QStringLiteral("Лист2"));
    return other.saveAs(path("other.xlsx")) ? path("other.xlsx") : QString();
  }();
  Parts withoutSheetPart = workbook({goodSheet, {}, {}, {}});
  withoutSheetPart.removeAt(2);
  QTest::newRow("sheet part missing")
      << (zipParts(path("nopart.xlsx"), withoutSheetPart) ? path("nopart.xlsx") : "");
  QTest::newRow("malformed sheet") << workbookFile(
      "malformed.xlsx", {worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c>"), {}, {}, {}});
  QTest::newRow("unclosed root") << workbookFile(
      "unclosed.xlsx", {goodSheet.left(goodSheet.size() - 12), {}, {}, {}});
  QTest::newRow("document type with entities") << workbookFile(
      "laughs.xlsx",
      {"<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"aaaaaaaaaa\">"
       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;\">]>" +
           worksheet("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>&c;</v></c></row>"),
       {},
       {},
       {}});
  QTest::newRow("undeclared entity") << workbookFile(
      "entity.xlsx",
      {worksheet("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>&x;</v></c></row>"), {}, {}, {}});
  QTest::newRow("deep nesting") << workbookFile(
      "deep.xlsx",
      {worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" +
                 QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000)),
       {},
       {},
       {}});
  // Spaces deflate about a thousandfold: small files that would inflate past their caps.
  QTest::newRow("strings inflating past the cap") << workbookFile(
      "stringbomb.xlsx",
      {goodSheet,
       "<sst>" + QByteArray(int(XlsxPackage::maxStringsPartSize) + 1, ' ') + "</sst>",
       {},
       {}});
  QTest::newRow("styles inflating past the cap") << workbookFile(
      "stylebomb.xlsx",
      {goodSheet,
       {},
       "<styleSheet>" + QByteArray(int(XlsxPackage::maxSmallPartSize), ' ') + "</styleSheet>",
       {}});
  QTest::newRow("bad styles") << workbookFile("styles.xlsx", {goodSheet, {}, "<styleSheet>", {}});
}

void TestXlsxDocument::unreadableFilesFailWithoutPartialData() {
  QFETCH(QString, fileName);
  QVERIFY(!fileName.isEmpty());
  XlsxDocument document(fileName);
  QVERIFY(!document.selectSheet(QStringLiteral("Лист1")));
  QVERIFY(!document.read(1, 1).isValid());
}

void TestXlsxDocument::cellPlacesTooLargeForAnIntegerNeverLandOnOtherCells() {
  // 4294967297 is 2^32 + 1 and MWLQKWX is 2^32 + 2 as a column: both wrapped to 1 in an int.
  const QByteArray sheet =
      worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c>"
                "<c r=\"B4294967297\"><v>3</v></c><c r=\"MWLQKWX1\"><v>4</v></c>"
                "<c r=\"$B$4294967297\"><v>5</v></c></row>"
                "<row r=\"4294967297\"><c><v>6</v></c><c><v>7</v></c></row>"
                "<row r=\"18446744073709551617\"><c><v>8</v></c></row>"
                "<row r=\"2x\"><c><v>9</v></c></row>"
                "<row><c><v>10</v></c></row>");
  const auto document = open(workbook({sheet, {}, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->read(1, 1), QVariant(1.0));
  QCOMPARE(document->read(1, 2), QVariant(2.0));
  QVERIFY(!document->read(2, 1).isValid());
  for (const char* text : {"B4294967297", "MWLQKWX1", "A99999999999", "ZZZZZZZZZZZ1", "XFE1"})
    QVERIFY2(!CellReference::fromText(QString::fromLatin1(text)).isValid(), text);
  QCOMPARE(CellReference::fromText(QStringLiteral("$XFD$1048576")).column, 16384);
}

void TestXlsxDocument::numbersSavedWithADecimalCommaReadAsNumbers() {
  // What this program wrote while the process locale had a decimal comma.
  const QByteArray sheet =
      worksheet("<row r=\"1\"><c r=\"A1\"><v>52,25</v></c><c r=\"B1\"><v>1,5E-07</v></c>"
                "<c r=\"C1\"><v>1,2,3</v></c></row>");
  const auto document = open(workbook({sheet, {}, {}, {}}));
  QVERIFY(document && document->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(document->read(1, 1), QVariant(52.25));
  QCOMPARE(document->read(1, 2), QVariant(1.5e-07));
  QVERIFY(!document->read(1, 3).isValid());
}

void TestXlsxDocument::partsMustHoldExactlyTheDataTheirHeaderDeclares_data() {
  QTest::addColumn<qint64>("sizeChange");
  QTest::addColumn<bool>("wrongCrc");
  QTest::addColumn<bool>("readable");
  QTest::newRow("as declared") << qint64(0) << false << true;
  QTest::newRow("wrong checksum") << qint64(0) << true << false;
  QTest::newRow("one byte short of its header, wrong checksum") << qint64(1) << true << false;
  QTest::newRow("one byte short of its header") << qint64(1) << false << false;
  QTest::newRow("one byte longer than its header") << qint64(-1) << false << false;
}

void TestXlsxDocument::partsMustHoldExactlyTheDataTheirHeaderDeclares() {
  QFETCH(qint64, sizeChange);
  QFETCH(bool, wrongCrc);
  QFETCH(bool, readable);
  const Parts parts =
      workbook({worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"), {}, {}, {}});
  QList<StoredPart> stored;
  for (const auto& part : parts) {
    const bool sheet = part.first.endsWith(QLatin1String("sheet1.xml"));
    stored.append(
        {part.first, part.second, sheet ? part.second.size() + sizeChange : -1, sheet && wrongCrc});
  }
  static int count = 0;
  const QString fileName = path(QStringLiteral("declared%1.xlsx").arg(++count));
  QVERIFY(zipStoredParts(fileName, stored));
  XlsxDocument document(fileName);
  QCOMPARE(document.selectSheet(QStringLiteral("Лист1")), readable);
  if (readable)
    QCOMPARE(document.read(1, 1), QVariant(1.0));
  else
    QCOMPARE(document.failure(), XlsxFailure::Damaged);
}

void TestXlsxDocument::partsAndPackagesOverTheirCapsAreRefusedAsTooLarge() {
  // Headers are believed only as far as the data bears them out, so they are checked first:
  // nothing of these parts is inflated.
  const Parts parts =
      workbook({worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"), "<sst/>", {}, {}});
  const auto withDeclared = [&](const QString& name, qint64 sheetSize, qint64 stringsSize) {
    QList<StoredPart> stored;
    for (const auto& part : parts) {
      qint64 declared = -1;
      if (part.first.endsWith(QLatin1String("sheet1.xml"))) {
        declared = sheetSize;
      } else if (part.first.endsWith(QLatin1String("sharedStrings.xml"))) {
        declared = stringsSize;
      }
      stored.append({part.first, part.second, declared, false});
    }
    return zipStoredParts(path(name), stored) ? path(name) : QString();
  };
  const qint64 sheetCap = XlsxPackage::maxSheetPartSize;
  const qint64 stringsCap = XlsxPackage::maxStringsPartSize;
  for (const QString& fileName :
       {withDeclared("bigsheet.xlsx", sheetCap + 1, -1),
        withDeclared("bigstrings.xlsx", -1, stringsCap + 1),
        withDeclared("bigpackage.xlsx", sheetCap, XlsxPackage::maxPackageSize - sheetCap)}) {
    QVERIFY(!fileName.isEmpty());
    XlsxDocument document(fileName);
    QVERIFY2(!document.selectSheet(QStringLiteral("Лист1")), qPrintable(fileName));
    QVERIFY2(document.failure() == XlsxFailure::TooLarge,
             qPrintable(fileName + QString::number(int(document.failure()))));
  }
  // A package that inflates a hundredfold is a bomb, whatever its parts' caps.
  const QString bomb = workbookFile(
      "ratio.xlsx",
      {worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + QByteArray(4 << 20, ' ')),
       {},
       {},
       {}});
  XlsxDocument bombDocument(bomb);
  QVERIFY(!bombDocument.selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(int(bombDocument.failure()), int(XlsxFailure::TooLarge));
  // The caps leave room for the largest sheet this program saves.
  QVERIFY(sheetCap + stringsCap <= XlsxPackage::maxPackageSize);
  QVERIFY(XlsxSheetParser::maxCells >= 3 * CellReference::maxRows);
}

void TestXlsxDocument::sheetDataScannerAgreesWithTheXmlReader_data() {
  QTest::addColumn<QByteArray>("rows");
  QTest::newRow("our own rows") << QByteArray(
      "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" t=\"inlineStr\"><is><t>14:05:09 21.03.24</t>"
      "</is></c><c r=\"B1\"><v>52.25</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>HRC</t></is>"
      "</c></row>\n<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>Шкала 1</t></is></c></row>");
  QTest::newRow("entities, references, escapes and spaces") << QByteArray(
      "<row r='1'><c r = 'A1' t='inlineStr'><is><t xml:space=\"preserve\"> a &amp; b &lt;&gt;"
      "&quot;&apos;&#65;&#x42;&#x1F600; _x000D_ </t></is></c>\n  <c r=\"B1\" t=\"str\" "
      "cm=\"1\"><v>x_x0041_</v></c><c r=\"C1\" t=\"e\"><v>#N/A</v></c><c r=\"D1\" s=\"0\" "
      "t=\"b\"><v>1</v></c></row>");
  QTest::newRow("empty cells, rows and values")
      << QByteArray("<row r=\"3\"/><row><c/><c t=\"str\"><v/></c><c><v></v></c><c t=\"inlineStr\">"
                    "<is><t/></is></c><c t=\"s\"><v>0</v></c></row><row r=\"5\"></row>");
  QTest::newRow("places past the sheet") << QByteArray(
      "<row r=\"1\"><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c><c r=\"B4294967297\"><v>3</v></c>"
      "</row><row r=\"99999999999999999999\"><c><v>4</v></c></row><row r=\"1x\"><c><v>5</v>"
      "</c></row>");
  QTest::newRow("a formula and rich text") << QByteArray(
      "<row r=\"1\"><c r=\"A1\"><f>1+1</f><v>2</v></c><c r=\"B1\" t=\"inlineStr\"><is><r><t>a"
      "</t></r><r><t>b</t></r></is></c></row>");
  QTest::newRow("a comment and character data")
      << QByteArray("<row r=\"1\"><!-- x --><c r=\"A1\" t=\"str\"><v><![CDATA[<b>]]></v></c>"
                    "</row>");
  QTest::newRow("a line break in a value") << QByteArray(
      "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a\r\nb</v></c><c r=\"B1\" t=\"str\"><v>a\tb"
      "</v></c></row>");
  QTest::newRow("an unknown entity")
      << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>&bogus;</v></c></row>");
  QTest::newRow("a character XML cannot hold")
      << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>&#0;</v></c></row>");
  QTest::newRow("a control byte") << QByteArray(
      "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a\x01</v></c></row>");
  QTest::newRow("bad UTF-8") << QByteArray(
      "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a\xff\xfe</v></c></row>");
  QTest::newRow("end of character data in text")
      << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a]]>b</v></c></row>");
  QTest::newRow("a cell left open") << QByteArray("<row r=\"1\"><c r=\"A1\"><v>1</v></row>");
  QTest::newRow("a repeated attribute")
      << QByteArray("<row r=\"1\"><c r=\"A1\" r=\"B1\"><v>1</v></c></row>");
  QTest::newRow("a prefixed cell")
      << QByteArray("<row r=\"1\"><x:c xmlns:x=\"urn:x\" r=\"A1\"><x:v>1</x:v></x:c></row>");
  QTest::newRow("text between cells") << QByteArray("<row r=\"1\">a<c r=\"A1\"><v>1</v></c></row>");
}

void TestXlsxDocument::sheetDataScannerAgreesWithTheXmlReader() {
  QFETCH(QByteArray, rows);
  WorkbookContext context;
  context.sharedStrings = {QStringLiteral("общая")};
  const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + worksheet(rows);
  XlsxFailure scanned = XlsxFailure::None;
  XlsxFailure read = XlsxFailure::None;
  QCOMPARE(dumpCells(XlsxSheetParser::parse(xml, context, &scanned)),
           dumpCells(XlsxSheetParser::parseWithXmlReader(xml, context, &read)));
  QCOMPARE(int(scanned), int(read));
}

void TestXlsxDocument::sheetDataScannerAgreesWithTheXmlReaderOnDamagedSheets() {
  // Our own rows with a few bytes changed, dropped or doubled, again and again.
  const QByteArray rows =
      "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" t=\"inlineStr\"><is><t>14:05:09 21.03.24</t>"
      "</is></c><c r=\"B1\" s=\"1\"><v>52.25</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>a &amp; "
      "Ж</t></is></c></row><row r=\"2\"><c r=\"A2\" t=\"str\"><v>x</v></c><c t=\"b\"><v>1</v>"
      "</c></row>";
  const QByteArray xml = worksheet(rows);
  const QByteArray alphabet = "<>/=\"' &;#x:rtcvis0129AZ\n\r\t\x01!?[]-\x80\xd0";
  WorkbookContext context;
  context.sharedStrings = {QStringLiteral("общая")};
  context.dateStyles = {false, true};
  quint32 state = 2024;
  const auto next = [&](quint32 bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  };
  for (int round = 0; round < 3000; ++round) {
    QByteArray damaged = xml;
    for (int change = 0, changes = 1 + int(next(3)); change < changes; ++change) {
      const int at = int(next(quint32(damaged.size())));
      switch (next(3)) {
      case 0:
        damaged[at] = alphabet[int(next(quint32(alphabet.size())))];
        break;
      case 1:
        damaged.remove(at, 1 + int(next(4)));
        break;
      default:
        damaged.insert(at, damaged.mid(at, 1 + int(next(8))));
        break;
      }
    }
    XlsxFailure scanned = XlsxFailure::None;
    XlsxFailure read = XlsxFailure::None;
    const QStringList fast = dumpCells(XlsxSheetParser::parse(damaged, context, &scanned));
    const QStringList slow =
        dumpCells(XlsxSheetParser::parseWithXmlReader(damaged, context, &read));
    QVERIFY2(fast == slow && scanned == read,
             qPrintable(QString::fromUtf8(damaged) + "\nscanned: " + fast.join(" | ") +
                        "\nread: " + slow.join(" | ")));
  }
}

void TestXlsxDocument::largeSheetsOpenOnlyInTheLayoutSpreadsheetProgramsWrite() {
  // More than the XML reader is given. As Excel saves it (x14ac on rows, formulas) it is
  // scanned and opens; behind a comment it would take the reader seconds, so it is refused.
  QByteArray rows;
  for (int row = 1; rows.size() <= XlsxSheetParser::maxReaderSize; ++row) {
    const QByteArray n = QByteArray::number(row);
    rows += "<row r=\"" + n + "\" spans=\"1:4\" x14ac:dyDescent=\"0.25\"><c r=\"B" + n +
            "\"><f>40+1</f><v>41</v></c><c r=\"C" + n +
            "\" t=\"str\"><f t=\"shared\" si=\"0\"/>"
            "<v>HRC</v></c><c r=\"D" +
            n + "\"><v>" + n + "</v></c></row>";
  }
  const QByteArray start =
      "<worksheet xmlns=\"" + mainNamespace +
      "\" xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\"><sheetData>";
  const QByteArray end = "</sheetData></worksheet>";
  const auto saved = open(workbook({start + rows + end, {}, {}, {}}));
  QVERIFY(saved && saved->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(saved->read(1, 2), QVariant(41.0));
  QCOMPARE(saved->read(50000, 3), QVariant(QStringLiteral("HRC")));
  QCOMPARE(saved->read(50000, 4), QVariant(50000.0));
  const auto unusual = open(workbook({start + "<!---->" + rows + end, {}, {}, {}}));
  QVERIFY(unusual && !unusual->selectSheet(QStringLiteral("Лист1")));
  QCOMPARE(int(unusual->failure()), int(XlsxFailure::UnusualLayout));
}

QTEST_GUILESS_MAIN(TestXlsxDocument)
#include "tst_xlsxdocument.moc"
