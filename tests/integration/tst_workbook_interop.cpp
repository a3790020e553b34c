#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "files/measurementworkbook.h"
#include "files/xlsxdocument.h"
#include "support/openpyxl.h"

// Workbooks written by other programs are read by ours, and ours by theirs.
namespace {

const QString sheetName = QStringLiteral("Измерения");

QString fixture(const QString& name) {
  return QStringLiteral(BRENMO_TEST_DATA_DIR "/workbooks/") + name;
}

QDateTime at(int hour, int minute, int second) {
  return QDateTime(QDate(2024, 3, 21), QTime(hour, minute, second));
}

// Every non-empty cell as openpyxl sees it: sheet, reference, openpyxl's type letter, value.
const char* dumpCells = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
cells = [[sheet.title, cell.coordinate, cell.data_type, cell.value]
         for sheet in book.worksheets for row in sheet.iter_rows() for cell in row
         if cell.value is not None]
print(json.dumps({"sheets": book.sheetnames, "cells": cells}, ensure_ascii=False))
)";

} // namespace

class TestWorkbookInterop : public QObject {
  Q_OBJECT

private:
  void compareCells(const QString& fileName,
                    const QString& sheet,
                    const QList<QPair<QString, QVariant>>& expected);

  QTemporaryDir m_dir;

private slots:
  void measurementsFromOtherProgramsOpen_data();
  void measurementsFromOtherProgramsOpen();
  void libreOfficeCellsKeepTheirTypes();
  void openpyxlCellsKeepTheirTypesInAnyOrder();
  void sheetJsCellsKeepTheirTypes();
  void openpyxlReadsEveryCellOfOurWorkbook();
  void libreOfficeShowsOurWorkbookCellByCell();
};

void TestWorkbookInterop::compareCells(const QString& fileName,
                                       const QString& sheet,
                                       const QList<QPair<QString, QVariant>>& expected) {
  XlsxDocument document(fileName);
  QVERIFY(document.selectSheet(sheet));
  for (const auto& cell : expected) {
    const QVariant value = document.read(cell.first);
    QVERIFY2(value.userType() == cell.second.userType() && value == cell.second,
             qPrintable(cell.first + QStringLiteral(": ") + value.typeName() + QStringLiteral(" ") +
                        value.toString()));
  }
}

void TestWorkbookInterop::measurementsFromOtherProgramsOpen_data() {
  QTest::addColumn<QString>("fileName");
  QTest::newRow("LibreOffice, shared strings") << fixture("libreoffice.xlsx");
  QTest::newRow("openpyxl, inline strings") << fixture("openpyxl.xlsx");
  QTest::newRow("SheetJS, str cells") << fixture("sheetjs.xlsx");
}

void TestWorkbookInterop::measurementsFromOtherProgramsOpen() {
  QFETCH(QString, fileName);
  const auto rows = readMeasurementWorkbook(fileName);
  QVERIFY(rows.has_value());
  // The fourth row is empty: the row after it is not read.
  QCOMPARE(rows->size(), 3);
  const QList<Measurement> expected{Measurement(at(14, 5, 9), "HRC", 52.25, 0.0, 1.0),
                                    Measurement(at(14, 6, 10), "HB", 250.0, 0.0, 1.0),
                                    // typed as a date in a date format, not as text
                                    Measurement(at(14, 7, 11), "HV", 610.5, 0.0, 1.0)};
  for (int i = 0; i < expected.size(); ++i) {
    QCOMPARE(rows->at(i).dateTime(), expected[i].dateTime());
    QCOMPARE(rows->at(i).hardness(), expected[i].hardness());
    QCOMPARE(rows->at(i).scale(), expected[i].scale());
  }
}

void TestWorkbookInterop::libreOfficeCellsKeepTheirTypes() {
  compareCells(fixture("libreoffice.xlsx"),
               QStringLiteral("Типы"),
               {{"A1", QStringLiteral("Твёрдость HRC")}, // three runs of rich text
                {"B1", 1000.0},
                {"C1", -0.5},
                {"D1", 1.2e-05}, // written "1.2E-005"
                {"A2", 1.0},     // Calc stores a boolean as the number 1
                {"B2", QStringLiteral("HRC")},
                {"C2", QStringLiteral("#DIV/0!")},
                {"D2", QStringLiteral("  пробел  ")}});
}

void TestWorkbookInterop::openpyxlCellsKeepTheirTypesInAnyOrder() {
  // Rows stored 3, 2, 1; row 3 without cell references.
  compareCells(fixture("openpyxl.xlsx"),
               QStringLiteral("Типы"),
               {{"A1", true},
                {"B1", 1000.0},
                {"C1", 1.2e-05},
                {"D1", QStringLiteral("Ёлка")},
                {"A2", -0.5},
                {"A3", QStringLiteral("HV")},
                {"B3", QStringLiteral("встроенная")},
                {"C3", false}});
}

void TestWorkbookInterop::sheetJsCellsKeepTheirTypes() {
  compareCells(fixture("sheetjs.xlsx"),
               QStringLiteral("Типы"),
               {{"A1", true},
                {"B1", 1000.0},
                {"C1", -0.5},
                {"D1", 1.2e-05},
                {"A2", QStringLiteral("Ёж")},
                {"B2", QStringLiteral("#N/A")}});
}

void TestWorkbookInterop::openpyxlReadsEveryCellOfOurWorkbook() {
  const QString python = pythonWithOpenpyxl();
  if (python.isEmpty())
    QSKIP("python3 with openpyxl is not installed");
  const QList<Measurement> rows{Measurement(at(14, 5, 9), "HRC", 52.25, 0, 1),
                                Measurement(at(14, 6, 10), "Шкала 1", 1e-7, 0, 1),
                                Measurement(at(23, 59, 59), "HV", 123456.789, 0, 1)};
  const QString fileName = m_dir.filePath("ours.xlsx");
  QVERIFY(writeMeasurementWorkbook(fileName, rows));

  QProcess process;
  process.start(python, {QStringLiteral("-c"), QString::fromUtf8(dumpCells), fileName});
  QVERIFY(process.waitForFinished(60000));
  QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
  const QJsonObject dump = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
  QCOMPARE(dump.value("sheets").toArray(), QJsonArray{sheetName});
  const QJsonArray cells = dump.value("cells").toArray();
  QCOMPARE(cells.size(), 3 * rows.size());
  for (int i = 0; i < cells.size(); ++i) {
    const QJsonArray cell = cells[i].toArray();
    const Measurement& row = rows[i / 3];
    const QString place = cell[1].toString();
    QCOMPARE(cell[0].toString(), sheetName);
    QCOMPARE(place.mid(1).toInt(), i / 3 + 1);
    switch (place.front().toLatin1()) {
    case 'A':
      QCOMPARE(cell[2].toString(), QStringLiteral("s"));
      QCOMPARE(cell[3].toString(), row.dateTime().toString("hh:mm:ss dd.MM.yy"));
      break;
    case 'B':
      QCOMPARE(cell[2].toString(), QStringLiteral("n"));
      QCOMPARE(cell[3].toDouble(), row.hardness());
      break;
    case 'C':
      QCOMPARE(cell[2].toString(), QStringLiteral("s"));
      QCOMPARE(cell[3].toString(), row.scale());
      break;
    default:
      QFAIL(qPrintable("unexpected cell " + place));
    }
  }
}

void TestWorkbookInterop::libreOfficeShowsOurWorkbookCellByCell() {
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty())
    QSKIP("LibreOffice is not installed");
  const QString fileName = m_dir.filePath("calc.xlsx");
  QVERIFY(writeMeasurementWorkbook(fileName,
                                   {Measurement(at(14, 5, 9), "HRC", 52.25, 0, 1),
                                    Measurement(at(14, 6, 10), "HB", 250, 0, 1)}));
  // A profile of its own, so that a LibreOffice already running is not disturbed. Fields
  // split on ";": in a locale with the decimal comma Calc writes 52,25.
  QProcess process;
  process.start(
      soffice,
      {"-env:UserInstallation=" + QUrl::fromLocalFile(m_dir.filePath("profile")).toString(),
       "--headless",
       "--convert-to",
       "csv:Text - txt - csv (StarCalc):59,34,76",
       "--outdir",
       m_dir.path(),
       fileName});
  QVERIFY(process.waitForFinished(120000));
  QFile csv(m_dir.filePath("calc.csv"));
  QVERIFY2(csv.open(QIODevice::ReadOnly), process.readAllStandardError().constData());
  const QStringList lines = QString::fromUtf8(csv.readAll()).trimmed().split('\n');
  struct Row {
    QString time; // text in our workbook, so the same in any locale
    double hardness;
    QString scale;
  };
  const QList<Row> expected{{"14:05:09 21.03.24", 52.25, "HRC"}, {"14:06:10 21.03.24", 250, "HB"}};
  QCOMPARE(lines.size(), expected.size());
  for (int row = 0; row < expected.size(); ++row) {
    const QStringList cells = lines[row].trimmed().split(';');
    QCOMPARE(cells.size(), 3);
    QCOMPARE(cells[0], expected[row].time);
    bool number = false;
    const double hardness = QString(cells[1]).replace(',', '.').toDouble(&number);
    QVERIFY2(number, qPrintable(cells[1]));
    QCOMPARE(hardness, expected[row].hardness);
    QCOMPARE(cells[2], expected[row].scale);
  }
}

QTEST_GUILESS_MAIN(TestWorkbookInterop)
#include "tst_workbook_interop.moc"
