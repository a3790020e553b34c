// The inspection report as another program reads it: the CSV through python3's csv module, the
// PDF through pdftotext.
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "models/measurementmodel.h"
#include "models/tolerancelimits.h"
#include "report/reportwriter.h"

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

  void csvReadsBackInASpreadsheetsShapeWithADecimalPoint() {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
      QSKIP("no python3");
    MeasurementModel model;
    model.add(meas(52.25, "HRC", 0));
    model.add(meas(0.0, "HRC", 61));
    model.add(meas(245.0, "HB;2", 3600 * 24));
    const QString fileName = m_folder.filePath("отчёт.csv");
    ReportWriter writer;
    QVERIFY2(writer.writeReport(fileName, &model, nullptr, "BRENMO #00001", "Все шкалы", {}),
             qPrintable(writer.errorString()));

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(3) == QByteArray("\xEF\xBB\xBF"));
    const QString script =
        QStringLiteral("import csv, json, sys\n"
                       "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                       "    print(json.dumps(list(csv.reader(f, delimiter=';'))))\n");
    int exitCode = -1;
    const QString out = run(python, {"-c", script, fileName}, &exitCode);
    QCOMPARE(exitCode, 0);
    const QJsonArray rows = QJsonDocument::fromJson(out.toUtf8()).array();
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0].toArray().toVariantList(),
             QVariantList({"Дата", "Время", "Твёрдость", "Шкала"}));
    QCOMPARE(rows[1].toArray().toVariantList(),
             QVariantList({"21.03.2024", "14:05:09", "52.25", "HRC"}));
    QCOMPARE(rows[2].toArray().toVariantList(),
             QVariantList({"21.03.2024", "14:06:10", "ERR", "HRC"}));
    QCOMPARE(rows[3].toArray().toVariantList(),
             QVariantList({"22.03.2024", "14:05:09", "245", "HB;2"}));
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
    QImage chart(400, 200, QImage::Format_RGB32);
    chart.fill(Qt::white);

    const QString fileName = m_folder.filePath("отчёт.pdf");
    ReportWriter writer;
    QVERIFY2(writer.writeReport(fileName, &model, &limits, "BRENMO #12345\n", "HRC", chart),
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

  void aFailedWriteSaysWhyAndLeavesTheOldFile() {
    MeasurementModel model;
    model.add(meas(50.0, "HRC", 0));
    ReportWriter writer;
    QVERIFY(
        !writer.writeReport(m_folder.filePath("нет/такой/папки.csv"), &model, nullptr, "", "", {}));
    QVERIFY(!writer.errorString().isEmpty());

    // A name taken by a folder cannot become the report; the folder keeps what it held.
    QVERIFY(QDir(m_folder.path()).mkpath("taken.pdf/inside"));
    QVERIFY(!writer.writeReport(m_folder.filePath("taken.pdf"), &model, nullptr, "", "", {}));
    QVERIFY(!writer.errorString().isEmpty());
    QVERIFY(QFileInfo(m_folder.filePath("taken.pdf/inside")).isDir());
  }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
