// A table of 5,000 rows through the real interface: the memory read, the first live lines, a
// workbook and the bulk actions reach the list and the chart as one change each, so a view
// that rebuilds per row (seconds to minutes at this size) fails here, not in the user's hands.
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include "apphost.h"
#include "device/device.h"
#include "files/measurementworkbook.h"
#include "models/measurementmodel.h"
#include "simulator/testersimulator.h"

using QtCharts::QXYSeries;

namespace {
constexpr int Rows = 5000;
}

class LargeTableEndToEnd : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void cleanup();

  void aMemoryOf5000RecordsReachesTheListAndTheChartInOnePiece();
  void theFirstLiveLineReplacesTheTableAndTheNextAddsOnePoint();
  void aWorkbookAndTheBulkActionsRedrawTheChartOnceEach();

private:
  QXYSeries* series(const char* name) const;
  // Draws already scheduled are done once the event loop has turned.
  void settle() { QTest::qWait(50); }

  TesterSimulator sim;
  AppHost host;
  Device* device = nullptr;
  MeasurementModel* table = nullptr;
  QObject* list = nullptr;
  std::unique_ptr<QSignalSpy> replaced;
  std::unique_ptr<QSignalSpy> added;
  std::unique_ptr<QSignalSpy> resets;
  std::unique_ptr<QSignalSpy> inserts;
};

QXYSeries* LargeTableEndToEnd::series(const char* name) const {
  QObject* points = host.find(QStringLiteral("points"));
  return points ? qobject_cast<QXYSeries*>(points->property(name).value<QObject*>()) : nullptr;
}

void LargeTableEndToEnd::initTestCase() {
  QVERIFY(sim.start());
  sim.seedMemory(Rows);
  qputenv("BRENMO_TESTER_PORT", sim.portName().toLocal8Bit());
  QVERIFY(host.load());
  device = host.device();
  QVERIFY(device);
  table = device->measures();
  list = host.find(QStringLiteral("list"));
  QVERIFY(list);
  QVERIFY(series("line") && series("markers"));
  // Watched from before the splash ends, so the connection's notifications are all seen.
  replaced = std::make_unique<QSignalSpy>(series("line"), &QXYSeries::pointsReplaced);
  added = std::make_unique<QSignalSpy>(series("line"), &QXYSeries::pointAdded);
  resets = std::make_unique<QSignalSpy>(table, &QAbstractItemModel::modelReset);
  inserts = std::make_unique<QSignalSpy>(table, &QAbstractItemModel::rowsInserted);
}

void LargeTableEndToEnd::cleanup() {
  const QStringList warnings = host.warnings();
  QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
}

void LargeTableEndToEnd::aMemoryOf5000RecordsReachesTheListAndTheChartInOnePiece() {
  QQuickWindow* main = host.window("appWindow");
  QTRY_VERIFY_WITH_TIMEOUT(main->isVisible(), 5000);
  QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), Rows, 20000);
  QTRY_VERIFY_WITH_TIMEOUT(!host.window("waitDialog")->isVisible(), 20000);
  settle();

  QCOMPARE(resets->count(), 1);
  QCOMPARE(inserts->count(), 0);
  QCOMPARE(added->count(), 0);
  QVERIFY2(replaced->count() <= 3, qPrintable(QString::number(replaced->count())));

  // The whole table is in view, thinned to the plot's columns, without markers.
  QObject* axisX = host.find(QStringLiteral("graph"))->property("axisX").value<QObject*>();
  QCOMPARE(axisX->property("max").toDouble(), 5120.0);
  const qreal plotWidth =
      host.find(QStringLiteral("graph"))->property("plotArea").toRectF().width();
  QVERIFY(plotWidth > 100);
  QVERIFY2(series("line")->count() <= 2 * plotWidth + 4,
           qPrintable(QString::number(series("line")->count())));
  QVERIFY(series("line")->count() > plotWidth / 2);
  QCOMPARE(series("markers")->count(), 0);

  // The list came to the end: it was there (empty) when the rows arrived.
  QCOMPARE(list->property("count").toInt(), Rows);
  QVERIFY(list->property("atYEnd").toBool());
}

void LargeTableEndToEnd::theFirstLiveLineReplacesTheTableAndTheNextAddsOnePoint() {
  replaced->clear();
  added->clear();
  sim.measure(sim.randomFrequency());
  QTRY_COMPARE(table->rowCount(), 1);
  settle();
  QCOMPARE(series("line")->count(), 1);
  QCOMPARE(series("markers")->count(), 1);
  QVERIFY(replaced->count() <= 2);

  replaced->clear();
  added->clear();
  sim.measure(sim.randomFrequency());
  QTRY_COMPARE(table->rowCount(), 2);
  settle();
  // One point added; a redraw may still follow when the refitted axis changes the plot's width.
  QCOMPARE(added->count(), 1);
  QVERIFY(replaced->count() <= 1);
  QCOMPARE(series("line")->at(1), QPointF(2, table->hardness(1)));
  QCOMPARE(series("markers")->count(), 2);
}

void LargeTableEndToEnd::aWorkbookAndTheBulkActionsRedrawTheChartOnceEach() {
  QTemporaryDir dir;
  const QString fileName = dir.filePath(QStringLiteral("large.xlsx"));
  QList<Measurement> rows;
  const QDateTime start(QDate(2024, 3, 21), QTime(8, 0));
  for (int i = 0; i < Rows; ++i)
    rows.append(Measurement(start.addSecs(i), i % 2 ? "HB" : "HRC", 40.0 + i % 30, 0.0, 1.0));
  QVERIFY(writeMeasurementWorkbook(fileName, rows));

  replaced->clear();
  added->clear();
  table->openFromXlsx(fileName);
  QVERIFY(QMetaObject::invokeMethod(host.find(QStringLiteral("graph")), "updateAxis"));
  settle();
  QCOMPARE(table->rowCount(), Rows);
  QCOMPARE(added->count(), 0);
  QVERIFY2(replaced->count() <= 2, qPrintable(QString::number(replaced->count())));

  // The list stays where the user put it, through calibration mode and a resize.
  QVERIFY(QMetaObject::invokeMethod(
      list, "positionViewAtIndex", Q_ARG(int, 1000), Q_ARG(int, 1 /* ListView.Beginning */)));
  const qreal place = list->property("contentY").toReal();
  QVERIFY(place > 0);
  QObject* menu = host.find(QStringLiteral("mainMenu"));
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(host.window("appWindow")->property("calibMode").toBool());
  settle();
  QVERIFY(QMetaObject::invokeMethod(menu, "calibButtonClicked"));
  QVERIFY(!host.window("appWindow")->property("calibMode").toBool());
  QQuickWindow* main = host.window("appWindow");
  main->resize(main->width() + 40, main->height() + 40);
  settle();
  QCOMPARE(list->property("contentY").toReal(), place);

  // Every other row ticked: 2,500 separate runs leave as one change.
  for (int row = 0; row < Rows; row += 2)
    table->setData(table->index(row, 0), true);
  replaced->clear();
  QMetaObject::invokeMethod(table, "removeChecked");
  settle();
  QCOMPARE(table->rowCount(), Rows / 2);
  QVERIFY(replaced->count() <= 2);

  replaced->clear();
  QObject* filter = host.find(QStringLiteral("filter"));
  const int hb = filter->property("count").toInt() > 2 ? 2 : 1;
  filter->setProperty("currentIndex", hb);
  settle();
  QVERIFY(replaced->count() <= 2);
  filter->setProperty("currentIndex", 0);

  replaced->clear();
  QMetaObject::invokeMethod(table, "clear");
  settle();
  QCOMPARE(series("line")->count(), 0);
  QVERIFY(replaced->count() <= 1);
}

int main(int argc, char** argv) {
  AppHost::prepareEnvironment();
  QApplication app(argc, argv);
  LargeTableEndToEnd test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "tst_largetable.moc"
