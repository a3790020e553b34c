// The inspector's side of the program through the real interface: the statistics behind the
// average box, tolerance limits that mark rows in the list and on the chart, and the report
// saved through its dialog as PDF and CSV.
#include <QApplication>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include <cmath>

#include "apphost.h"
#include "device/device.h"
#include "models/hardnesstext.h"
#include "models/measurementmodel.h"
#include "models/measurementstatistics.h"
#include "models/tolerancelimits.h"
#include "simulator/testersimulator.h"
#include "tests/support/filedialoganswer.h"

namespace {

constexpr int Rows = 30;

QString pdfText(const QString& fileName) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), fileName, "-"});
  if (!process.waitForFinished(60000))
    return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class StatisticsReportEndToEnd : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void cleanup();

  void theAverageBoxOpensOneBlockAScaleAndTheReportSaysTheSame();
  void limitsSetInThePanelMarkRowsInTheListAndOnTheChart();
  void wrongLimitsAreRefusedWithAMessageAndChangeNothing();
  void tickedRowsAreCountedAloneAndLiveRowsFollow();
  void theReportDialogWritesAPdfWithEveryShownRowAndACsv();
  void theBoxCountsErrAsZeroThePanelLeavesItOutAndTheAxisFollows();

private:
  QQuickWindow* panel() const { return host.window("statisticsPanel"); }
  QObject* inPanel(const char* name) const { return host.find(QString(name), "statisticsPanel"); }
  // The list's rows on screen, each with whether it shows as outside its limits (red texts).
  QHash<int, bool> shownMarks() const;
  // The scale with the most rows, and the median hardness of its rows: a limit there leaves
  // rows on both sides.
  QString busiestScale() const;
  double medianHardness(const QString& scale) const;

  TesterSimulator sim;
  AppHost host;
  Device* device = nullptr;
  MeasurementModel* table = nullptr;
  MeasurementStatistics* statistics = nullptr;
  ToleranceLimits* limits = nullptr;
};

void StatisticsReportEndToEnd::initTestCase() {
  QVERIFY(sim.start());
  sim.seedMemory(Rows);
  qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
  QVERIFY(host.load());
  device = host.device();
  QVERIFY(device);
  table = device->measures();
  QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), Rows, 10000);
  QTRY_VERIFY_WITH_TIMEOUT(!host.window("waitDialog")->isVisible(), 10000);
  statistics = qobject_cast<MeasurementStatistics*>(host.find("statistics"));
  QVERIFY(statistics);
  limits = statistics->limits();
  QVERIFY(limits);
}

void StatisticsReportEndToEnd::cleanup() {
  const QStringList warnings = host.warnings();
  QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
}

QHash<int, bool> StatisticsReportEndToEnd::shownMarks() const {
  // Delegates belong to the list's items, not to its objects: walk the visual tree.
  QList<QQuickItem*> items{qobject_cast<QQuickItem*>(host.find(QStringLiteral("list")))};
  QHash<int, bool> marks;
  while (!items.isEmpty()) {
    QQuickItem* item = items.takeLast();
    if (item->property("textColor").isValid() && item->isVisible())
      marks.insert(item->property("rowIndex").toInt(), item->property("outside").toBool());
    items += item->childItems();
  }
  return marks;
}

QString StatisticsReportEndToEnd::busiestScale() const {
  QHash<QString, int> rows;
  for (int row = 0; row < table->rowCount(); ++row)
    ++rows[table->scale(row)];
  QString busiest;
  for (auto it = rows.cbegin(); it != rows.cend(); ++it)
    if (busiest.isEmpty() || it.value() > rows.value(busiest))
      busiest = it.key();
  return busiest;
}

double StatisticsReportEndToEnd::medianHardness(const QString& scale) const {
  QList<double> values;
  for (int row = 0; row < table->rowCount(); ++row)
    if (table->scale(row) == scale)
      values << table->hardness(row);
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void StatisticsReportEndToEnd::theAverageBoxOpensOneBlockAScaleAndTheReportSaysTheSame() {
  auto* box = qobject_cast<QQuickItem*>(host.find(QStringLiteral("averageBox")));
  QVERIFY(box);
  QQuickWindow* main = host.window("appWindow");
  QTRY_VERIFY(main->isExposed());
  const QPointF centre = box->mapToScene(QPointF(box->width() / 2, box->height() / 2));
  QTest::mouseClick(main, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
  QTRY_VERIFY(panel()->isVisible());

  // The memory mixes scales: each has its figures, against a count of our own over its rows.
  QMap<QString, QList<double>> byScale;
  double sum = 0.0;
  for (int row = 0; row < Rows; ++row) {
    byScale[table->scale(row)] << table->hardness(row);
    sum += table->hardness(row);
  }
  QVERIFY(byScale.size() > 1);
  const QList<ScaleFigures> figures = statistics->scaleFigures();
  QCOMPARE(figures.size(), byScale.size());
  for (const ScaleFigures& block : figures) {
    const QList<double> values = byScale.value(block.scale);
    double mean = 0.0;
    for (double v : values)
      mean += v / values.size();
    double squares = 0.0;
    for (double v : values)
      squares += std::pow(v - mean, 2);
    QCOMPARE(block.values.count(), values.size());
    QVERIFY(std::abs(block.values.mean() - mean) < 1e-9);
    if (values.size() > 1) {
      QVERIFY(std::abs(block.values.standardDeviation() -
                       std::sqrt(squares / (values.size() - 1))) < 1e-9);
    }
    QCOMPARE(block.values.minimum(), *std::min_element(values.begin(), values.end()));
    QCOMPARE(block.values.maximum(), *std::max_element(values.begin(), values.end()));
  }
  // The average box keeps its own arithmetic, over every shown row.
  QCOMPARE(statistics->averageText(), HardnessText::ofAverage(sum / Rows));
  QVERIFY(inPanel("covered")->property("text").toString().contains("все строки списка"));

  // What the panel shows, block by block: the scale, then "label:" and value pairs.
  QList<QStringList> shown;
  for (QQuickItem* block : qobject_cast<QQuickItem*>(inPanel("figures"))->childItems()) {
    if (block->objectName() != QLatin1String("scaleBlock"))
      continue;
    QStringList texts;
    QList<QQuickItem*> items{block};
    while (!items.isEmpty()) {
      QQuickItem* item = items.takeFirst();
      if (item->property("text").isValid())
        texts << item->property("text").toString();
      items = item->childItems() + items;
    }
    shown << texts;
  }
  QCOMPARE(shown.size(), figures.size());
  for (int i = 0; i < shown.size(); ++i) {
    QCOMPARE(shown[i].value(0), figures[i].scale);
    QCOMPARE(shown[i].mid(1, 4),
             QStringList({"С результатом:",
                          QString::number(figures[i].values.count()),
                          "Без результата (ERR):",
                          "0"}));
    QCOMPARE(shown[i].count("Среднее:"), 1); // its own mean, none across the scales
  }
  QVERIFY(QMetaObject::invokeMethod(panel(), "accept"));
  QVERIFY(!panel()->isVisible());

  // The report of the same rows: the same blocks, the counts worded as in the panel.
  if (QStandardPaths::findExecutable("pdftotext").isEmpty())
    QSKIP("no pdftotext (poppler-utils)");
  QTemporaryDir folder;
  const QString pdf = folder.filePath("память.pdf");
  answerFileDialog(this, pdf);
  QVERIFY(QMetaObject::invokeMethod(host.find(QStringLiteral("mainMenu")), "reportButtonClicked"));
  QTRY_VERIFY_WITH_TIMEOUT(pdfText(pdf).contains("Страница 1 из"), 10000);
  const QString text = pdfText(pdf);
  for (int i = 0; i < shown.size(); ++i)
    for (const QString& part : {"Шкала " + figures[i].scale,
                                shown[i][1] + " " + shown[i][2],
                                shown[i][3] + " " + shown[i][4],
                                "Среднее: " + figures[i].meanText()})
      QVERIFY2(text.contains(part), qPrintable(part));
  QCOMPARE(text.count("Среднее:"), figures.size()); // no mean across the scales
}

void StatisticsReportEndToEnd::limitsSetInThePanelMarkRowsInTheListAndOnTheChart() {
  QMetaObject::invokeMethod(host.root(), "openStatistics");
  QTRY_VERIFY(panel()->isVisible());
  // The rows mix scales: the limits are set for one of them, chosen in the panel.
  const QString scale = busiestScale();
  QObject* combo = inPanel("scaleCombo");
  const QStringList names = panel()->property("scaleNames").toStringList();
  QVERIFY(names.contains(scale));
  combo->setProperty("currentIndex", names.indexOf(scale));
  QMetaObject::invokeMethod(panel(), "loadLimits");
  QCOMPARE(panel()->property("limitScale").toString(), scale);

  const double median = medianHardness(scale);
  // A lower limit on the median, typed with a decimal comma: every row below it is marked.
  const QString lower = QString::number(median, 'f', 2).replace('.', ',');
  inPanel("lowerField")->setProperty("text", lower);
  inPanel("upperField")->setProperty("text", QString());
  QVariant applied;
  QVERIFY(QMetaObject::invokeMethod(panel(), "applyLimits", Q_RETURN_ARG(QVariant, applied)));
  QVERIFY(applied.toBool());
  QVERIFY(QMetaObject::invokeMethod(panel(), "accept"));

  // Rows of the other scales are never marked by this scale's limits.
  int below = 0, ofScale = 0;
  for (int row = 0; row < Rows; ++row) {
    if (table->scale(row) != scale)
      continue;
    ++ofScale;
    if (table->hardness(row) < QString(lower).replace(',', '.').toDouble())
      ++below;
  }
  QVERIFY(below > 0 && below < ofScale);
  QCOMPARE(statistics->outsideCount(), below);
  // Every row on screen shows as its scale's limits say.
  QTRY_VERIFY(!shownMarks().isEmpty());
  const QHash<int, bool> marks = shownMarks();
  for (auto it = marks.cbegin(); it != marks.cend(); ++it)
    QCOMPARE(it.value(), limits->isOutside(table->scale(it.key()), table->hardness(it.key())));
  QVERIFY(marks.values().contains(true) || marks.size() < 5);
  // 30 numbers fit the chart's view, so each marked row has its red marker.
  auto* outside = qobject_cast<QtCharts::QXYSeries*>(
      host.find(QStringLiteral("graph"))->property("outsideSeries").value<QObject*>());
  QVERIFY(outside);
  QTRY_COMPARE(outside->count(), below);
  for (const QPointF& point : outside->points())
    QVERIFY(limits->isOutside(scale, point.y()));
}

void StatisticsReportEndToEnd::wrongLimitsAreRefusedWithAMessageAndChangeNothing() {
  QMetaObject::invokeMethod(host.root(), "openStatistics");
  QTRY_VERIFY(panel()->isVisible());
  const QString scale = busiestScale();
  const QStringList names = panel()->property("scaleNames").toStringList();
  inPanel("scaleCombo")->setProperty("currentIndex", names.indexOf(scale));
  QMetaObject::invokeMethod(panel(), "loadLimits");
  const QString lowerBefore = limits->lowerText(scale);
  const int outsideBefore = statistics->outsideCount();
  inPanel("lowerField")->setProperty("text", "90");
  inPanel("upperField")->setProperty("text", "20"); // upper below lower
  QVariant applied;
  QVERIFY(QMetaObject::invokeMethod(panel(), "applyLimits", Q_RETURN_ARG(QVariant, applied)));
  QVERIFY(!applied.toBool());
  QVERIFY(!inPanel("limitsMessage")->property("text").toString().isEmpty());
  QCOMPARE(limits->lowerText(scale), lowerBefore);
  QCOMPARE(statistics->outsideCount(), outsideBefore);
  // Choosing the scale again shows what is in force, not what was refused.
  QMetaObject::invokeMethod(panel(), "loadLimits");
  QCOMPARE(inPanel("lowerField")->property("text").toString(), lowerBefore);
  QVERIFY(inPanel("limitsMessage")->property("text").toString().isEmpty());
  QVERIFY(QMetaObject::invokeMethod(panel(), "accept"));
}

void StatisticsReportEndToEnd::tickedRowsAreCountedAloneAndLiveRowsFollow() {
  table->setData(table->index(0, 0), true, MeasurementModel::CheckedRole);
  table->setData(table->index(1, 0), true, MeasurementModel::CheckedRole);
  QVERIFY(statistics->selectionOnly());
  QCOMPARE(statistics->count(), 2);
  QMetaObject::invokeMethod(host.root(), "openStatistics");
  QVERIFY(inPanel("covered")->property("text").toString().contains("выделенные строки"));
  QVERIFY(QMetaObject::invokeMethod(panel(), "accept"));
  table->clearSelected();
  QVERIFY(!statistics->selectionOnly());

  // The first live line replaces the memory rows; the figures follow the table.
  sim.measure(812.5);
  QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 3000);
  QCOMPARE(statistics->count(), 1);
  QCOMPARE(statistics->scaleFigures().value(0).deviationText(), QString("—"));
  sim.measure(812.5);
  QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, 3000);
  QCOMPARE(statistics->count(), 2);
  QCOMPARE(statistics->scaleFigures().value(0).values.standardDeviation(), 0.0); // equal rows
}

void StatisticsReportEndToEnd::theReportDialogWritesAPdfWithEveryShownRowAndACsv() {
  if (QStandardPaths::findExecutable("pdftotext").isEmpty())
    QSKIP("no pdftotext (poppler-utils)");
  for (int i = 0; i < 3; ++i)
    sim.measure(700.0 + 40 * i);
  QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 5, 5000);
  QTemporaryDir folder;
  const QString pdf = folder.filePath("смена.pdf");
  const std::shared_ptr<SeenFileDialog> seen = answerFileDialog(this, pdf);
  QObject* menu = host.find(QStringLiteral("mainMenu"));
  QVERIFY(QMetaObject::invokeMethod(menu, "reportButtonClicked"));
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf), 10000);
  QCOMPARE(seen->title, QString("Сохранить отчёт"));
  QCOMPARE(seen->filters, QStringList({"Отчёт PDF (*.pdf)", "Таблица CSV (*.csv)"}));

  QTRY_VERIFY_WITH_TIMEOUT(pdfText(pdf).contains("Страница 1 из 1"), 5000);
  const QString text = pdfText(pdf);
  QVERIFY(text.contains(QString("Измерений: %1").arg(table->rowCount())));
  QVERIFY(
      text.contains(QString("Среднее: %1").arg(statistics->scaleFigures().value(0).meanText())));
  QVERIFY(text.contains(device->property("deviceId").toString()) || text.contains("Прибор:"));
  for (int row = 0; row < table->rowCount(); ++row) {
    const QString time = table->dateTime(row).toString("hh:mm:ss");
    QVERIFY2(text.contains(time), qPrintable(time));
  }

  // The same through the CSV filter: a name without a suffix takes the chosen kind's.
  const QString csv = folder.filePath("смена.csv");
  answerFileDialog(this, csv);
  QVERIFY(QMetaObject::invokeMethod(menu, "reportButtonClicked"));
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(csv), 10000);
  QFile file(csv);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  // The mark, the header, one line a row and the last line break.
  QCOMPARE(lines.size(), table->rowCount() + 2);
  QVERIFY(lines[0].startsWith("\xEF\xBB\xBF"));
  QVERIFY(!host.window("reportFailedDialog")->isVisible());
}

void StatisticsReportEndToEnd::theBoxCountsErrAsZeroThePanelLeavesItOutAndTheAxisFollows() {
  const QDateTime at(QDate(2024, 3, 21), QTime(14, 5, 9));
  table->replaceAll(
      {Measurement(at, "HRC", 50.0, 800.0, 1.0), Measurement(at.addSecs(1), "HRC", 0.0, 0.0, 1.0)});
  QMetaObject::invokeMethod(host.root(), "openStatistics");
  QTRY_VERIFY(panel()->isVisible());
  // One object behind the box and the panel: 25.0 in the box, 50.0 and one ERR in the panel.
  QCOMPARE(panel()->property("statistics").value<QObject*>(), statistics);
  QCOMPARE(host.find(QStringLiteral("averageText"))->property("text").toString(),
           QString("<b>СРЕД. ЗНАЧЕНИЕ:</b> 25.0"));
  QCOMPARE(statistics->scaleFigures().value(0).meanText(), QString("50.0"));
  QCOMPARE(statistics->invalidCount(), 1);
  QCOMPARE(inPanel("invalidNote")->property("text").toString(),
           QString("Замеры без результата (ERR) в расчёт не входят"));
  QVERIFY(QMetaObject::invokeMethod(panel(), "accept"));

  // The hardness axis: a band of 50 about the box's average, taking in the extremes.
  QObject* axisY = host.find(QStringLiteral("graph"))->property("axisY").value<QObject*>();
  QVERIFY(axisY);
  const auto band = [axisY] {
    return qMakePair(axisY->property("min").toDouble(), axisY->property("max").toDouble());
  };
  QTRY_COMPARE(band(), qMakePair(0.0, 75.0));
  table->deleteRow(1);
  QTRY_COMPARE(band(), qMakePair(0.0, 100.0));
  table->add(Measurement(at.addSecs(2), "HRC", 120.0, 900.0, 1.0));
  QTRY_COMPARE(band(), qMakePair(35.0, 135.0));
}

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  StatisticsReportEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_statisticsreport.moc"
