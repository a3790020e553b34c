// The inspection report as another program reads it: the CSV through python3's csv module and
// LibreOffice, the PDF through pdftotext.
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/tolerancelimits.h"
#include "report/reportwriter.h"
#include "support/filedialoganswer.h"
#include "support/openpyxl.h"

namespace {

Measurement meas(double hardness, const QString& scale, int second) {
  const QDateTime start(QDate(2024, 3, 21), QTime(14, 5, 9));
  return Measurement(start.addSecs(second), scale, hardness, 800.0 + second, 1.0);
}

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000))
    return QString();
  if (exitCode)
    *exitCode = process.exitCode();
  return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class ReportTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_folder;

private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.filePath("config"));
  }

  void csvFollowsTheInterfacesLanguageAndItsSpreadsheetsReadNumbers_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QString>("hardness"); // 52.25 as written
    QTest::addColumn<int>("language");     // LibreOffice's code of the locale it imports in
    QTest::newRow("Russian") << false << ";" << QStringList{"Дата", "Время", "Твёрдость", "Шкала"}
                             << "52,25" << 1049;
    QTest::newRow("English") << true << "," << QStringList{"Date", "Time", "Hardness", "Scale"}
                             << "52.25" << 1033;
  }

  void csvFollowsTheInterfacesLanguageAndItsSpreadsheetsReadNumbers() {
    QFETCH(bool, english);
    QFETCH(QString, separator);
    QFETCH(QStringList, header);
    QFETCH(QString, hardness);
    QFETCH(int, language);
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
      QSKIP("no python3");
    QTranslator catalogue;
    if (english) {
      QVERIFY(catalogue.load(QStringLiteral(BRENMO_BUILT_CATALOGUE)));
      QCoreApplication::installTranslator(&catalogue);
    }
    MeasurementModel model;
    model.add(meas(52.25, "HRC", 0));
    model.add(meas(0.0, "HRC", 61));
    model.add(meas(245.0, "HB;2,5", 3600 * 24)); // the tester's text may hold either separator
    MeasurementStatistics statistics;
    statistics.setModel(&model);
    const QString fileName = m_folder.filePath(QStringLiteral("отчёт-%1.csv").arg(language));
    ReportWriter writer;
    const bool written = writer.writeReport(fileName, &statistics, "BRENMO", "Все шкалы", {});
    QCoreApplication::removeTranslator(&catalogue);
    QVERIFY2(written, qPrintable(writer.errorString()));

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(3) == QByteArray("\xEF\xBB\xBF"));
    const QString script =
        QStringLiteral("import csv, json, sys\n"
                       "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                       "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2]))))\n");
    int exitCode = -1;
    const QString out = run(python, {"-c", script, fileName, separator}, &exitCode);
    QCOMPARE(exitCode, 0);
    const QJsonArray rows = QJsonDocument::fromJson(out.toUtf8()).array();
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0].toArray().toVariantList(), QVariant(header).toList());
    QCOMPARE(rows[1].toArray().toVariantList(),
             QVariantList({"21.03.2024", "14:05:09", hardness, "HRC"}));
    QCOMPARE(rows[2].toArray().toVariantList(),
             QVariantList({"21.03.2024", "14:06:10", "ERR", "HRC"}));
    QCOMPARE(rows[3].toArray().toVariantList(),
             QVariantList({"22.03.2024", "14:05:09", "245", "HB;2,5"}));

    // A spreadsheet importing it in that language takes every hardness for a number.
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
      QSKIP("LibreOffice is not installed");
    const QString openpyxl = pythonWithOpenpyxl();
    if (openpyxl.isEmpty())
      QSKIP("no python3-openpyxl");
    const QString outDir = m_folder.filePath(QStringLiteral("calc-%1").arg(language));
    // The import's options: separator, quote, UTF-8, from line 1, no column formats, locale.
    const QString filter =
        QStringLiteral("CSV:%1,34,76,1,,%2").arg(int(separator.at(0).unicode())).arg(language);
    run(soffice,
        {"-env:UserInstallation=" + QUrl::fromLocalFile(m_folder.filePath("profile")).toString(),
         "--headless",
         "--infilter=" + filter,
         "--convert-to",
         "xlsx",
         "--outdir",
         outDir,
         fileName});
    const QString workbook = outDir + '/' + QFileInfo(fileName).completeBaseName() + ".xlsx";
    QVERIFY2(QFile::exists(workbook), qPrintable(workbook));
    const QString cells = run(openpyxl,
                              {"-c",
                               "import openpyxl, sys\n"
                               "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                               "for row in sheet.iter_rows(min_row=2, min_col=3):\n"
                               "    print(' '.join(c.data_type + '=' + str(c.value) for c in "
                               "row))\n",
                               workbook});
    QCOMPARE(cells.split('\n', Qt::SkipEmptyParts),
             QStringList({"n=52.25 s=HRC", "s=ERR s=HRC", "n=245 s=HB;2,5"}));
  }

  void pdfHoldsTheFiguresTheLimitsAndEveryShownRowOnNumberedPages() {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
      QSKIP("no pdftotext (poppler-utils)");
    MeasurementModel model;
    // 120 rows: more than one page. HRC 40.0 … 51.9, one HB row that the filter hides.
    for (int i = 0; i < 120; ++i)
      model.add(meas(40.0 + i / 10.0, "HRC", i * 60));
    model.add(meas(300.0, "HB", 99999));
    model.setScaleFilter("HRC");
    ToleranceLimits limits;
    QVERIFY(limits.setLimits("HRC", "41", "51,5"));
    MeasurementStatistics statistics;
    statistics.setModel(&model);
    statistics.setLimits(&limits);
    QImage chart(400, 200, QImage::Format_RGB32);
    chart.fill(Qt::white);

    const QString fileName = m_folder.filePath("отчёт.pdf");
    ReportWriter writer;
    QVERIFY2(writer.writeReport(fileName, &statistics, "BRENMO #12345\n", "HRC", chart),
             qPrintable(writer.errorString()));
    int exitCode = -1;
    const QString text = run(pdftotext, {"-layout", fileName, "-"}, &exitCode);
    QCOMPARE(exitCode, 0);
    const auto has = [&text](const QString& part) {
      if (!text.contains(part))
        qWarning().noquote() << "missing:" << part;
      return text.contains(part);
    };
    QVERIFY(has("Протокол измерений твёрдости"));
    QVERIFY(has("Прибор: BRENMO #12345\n")); // on a line of its own, line feed dropped
    QVERIFY(has("Прибор: BRENMO #12345\nШкалы: HRC"));
    QVERIFY(has("Шкалы: HRC"));
    QVERIFY(has("Измерений: 120"));
    QVERIFY(has("Среднее: 46.0"));                // (40.0 + 51.9) / 2
    QVERIFY(has("Стандартное отклонение: 3.48")); // 0.1 · sqrt(120 · 121 / 12)
    QVERIFY(has("Минимум: 40.0"));
    QVERIFY(has("Максимум: 51.9"));
    QVERIFY(has("Размах: 11.9"));
    QVERIFY(has("HRC: 41 … 51.5"));
    QVERIFY(has("Вне допуска: 14")); // 40.0 … 40.9 and 51.6 … 51.9
    QVERIFY(!text.contains("300"));
    const int pages = text.count(QChar('\f'));
    QVERIFY(pages >= 2);
    QVERIFY(has(QString("Страница 1 из %1").arg(pages)));
    QVERIFY(has(QString("Страница %1 из %1").arg(pages)));
    for (int i = 0; i < 120; ++i) {
      const QDateTime at = QDateTime(QDate(2024, 3, 21), QTime(14, 5, 9)).addSecs(i * 60);
      const QString line = QString("%1 +%2 +%3 +%4 +HRC")
                               .arg(i + 1)
                               .arg(at.toString("dd\\.MM\\.yyyy"), at.toString("hh:mm:ss"))
                               .arg(QString::number(40.0 + i / 10.0, 'f', 1).replace(".", "\\."));
      QVERIFY2(text.contains(QRegularExpression(line)), qPrintable(line));
    }
    QCOMPARE(text.count("ниже допуска"), 10);
    QCOMPARE(text.count("выше допуска"), 4);
  }

  // The dialog and the failures speak the interface's language; the system's detail follows.
  void aFailedWriteSaysWhyInTheInterfacesLanguageAndLeavesTheOldFile() {
    MeasurementModel model;
    model.add(meas(50.0, "HRC", 0));
    MeasurementStatistics statistics;
    statistics.setModel(&model);
    ReportWriter writer;
    QVERIFY(!writer.writeReport(m_folder.filePath("нет/такой/папки.csv"), &statistics, "", "", {}));
    QVERIFY2(writer.errorString().startsWith("Не удалось записать файл «"),
             qPrintable(writer.errorString()));
    QVERIFY(!writer.errorString().endsWith(": "));

    // A name taken by a folder cannot become the report; the folder keeps what it held.
    QVERIFY(QDir(m_folder.path()).mkpath("taken.pdf/inside"));
    QVERIFY(!writer.writeReport(m_folder.filePath("taken.pdf"), &statistics, "", "", {}));
    QVERIFY(writer.errorString().startsWith("Не удалось записать файл «"));
    QVERIFY(QFileInfo(m_folder.filePath("taken.pdf/inside")).isDir());

    QTranslator catalogue;
    QVERIFY(catalogue.load(QStringLiteral(BRENMO_BUILT_CATALOGUE)));
    QCoreApplication::installTranslator(&catalogue);
    QVERIFY(!writer.writeReport(m_folder.filePath("taken.pdf"), &statistics, "", "", {}));
    const QString english = writer.errorString();
    const std::shared_ptr<SeenFileDialog> seen = answerFileDialog(this, QString());
    QVERIFY(!writer.saveReport(&statistics, "", "", {}));
    QCoreApplication::removeTranslator(&catalogue);
    QVERIFY2(english.startsWith("Could not write the file “" +
                                QDir::toNativeSeparators(m_folder.filePath("taken.pdf")) + "”: "),
             qPrintable(english));
    QVERIFY(english.size() > english.indexOf("”: ") + 3);
    QCOMPARE(seen->title, QString("Save report"));
    QCOMPARE(seen->filters, QStringList({"PDF report (*.pdf)", "CSV table (*.csv)"}));
  }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
