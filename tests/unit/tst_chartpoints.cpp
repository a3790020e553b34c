#include <QSignalSpy>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtTest>

#include <algorithm>

#include "app/chartpoints.h"
#include "models/measurementmodel.h"

using QtCharts::QLineSeries;
using QtCharts::QScatterSeries;

namespace {

Measurement meas(double hardness, int second = 0) {
  const QDateTime start(QDate(2024, 3, 21), QTime(14, 5, 9));
  return Measurement(start.addSecs(second), "HRC", hardness, 800.0, 1.0);
}

QList<Measurement> table(int rows) {
  QList<Measurement> records;
  for (int i = 0; i < rows; ++i)
    records.append(meas(40.0 + i % 11, i));
  return records;
}

} // namespace

class TestChartPoints : public QObject {
  Q_OBJECT

  MeasurementModel* model = nullptr;
  QLineSeries* line = nullptr;
  QScatterSeries* markers = nullptr;
  ChartPoints* points = nullptr;

  // The chart redraws once the event loop turns, as it does between frames.
  void settle() { QCoreApplication::processEvents(); }
  void view(qreal from, qreal to, int columns = 500) {
    points->setFrom(from);
    points->setTo(to);
    points->setColumns(columns);
    settle();
  }

private slots:
  void init() {
    model = new MeasurementModel(this);
    line = new QLineSeries(this);
    markers = new QScatterSeries(this);
    points = new ChartPoints(this);
    points->setModel(model);
    points->setLine(line);
    points->setMarkers(markers);
  }
  void cleanup() {
    delete points;
    delete line;
    delete markers;
    delete model;
  }

  void aSparseViewShowsEveryPointWithItsMarker() {
    model->replaceAll(table(40));
    view(0, 80, 600);
    QCOMPARE(line->count(), 40);
    QCOMPARE(markers->count(), 40);
    QCOMPARE(line->at(0), QPointF(1, 40.0));
    QCOMPARE(line->at(39), QPointF(40, 40.0 + 39 % 11));
    QVERIFY(points->markersShown());
  }

  // The points beside the view are drawn too, so the line runs on to the plot's edges.
  void onlyTheNumbersInViewAndOneEachSideAreDrawn() {
    model->replaceAll(table(1000));
    view(100, 140);
    QCOMPARE(line->count(), 43);
    QCOMPARE(line->at(0).x(), 99.0);
    QCOMPARE(line->at(42).x(), 141.0);
    QCOMPARE(markers->count(), 43);
    view(0, 5);
    QCOMPARE(line->at(0).x(), 1.0);
    QCOMPARE(line->count(), 6);
  }

  void aDenseViewKeepsEachColumnsExtremesAndDropsTheMarkers() {
    QList<Measurement> records = table(20000);
    records[12345] = meas(700.0, 12345);
    records[777] = meas(-1.0, 777);
    model->replaceAll(records);
    view(0, 40960, 500);
    QVERIFY(!points->markersShown());
    QCOMPARE(markers->count(), 0);
    QVERIFY2(line->count() <= 2 * 500 + 4, qPrintable(QString::number(line->count())));
    const QVector<QPointF> drawn = line->pointsVector();
    const auto [low, high] = std::minmax_element(
        drawn.cbegin(), drawn.cend(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    QCOMPARE(*high, QPointF(12346, 700.0));
    QCOMPARE(*low, QPointF(778, -1.0));
    QVERIFY(std::is_sorted(
        drawn.cbegin(), drawn.cend(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));

    // Zoomed in far enough, every point and its marker come back.
    view(12300, 12400, 500);
    QVERIFY(points->markersShown());
    QCOMPARE(markers->count(), 103);
  }

  // A bulk change reaches the series as one replacement, never as point after point.
  void aBulkChangeRedrawsOnceAndALiveRowAddsOnePoint() {
    view(0, 10240, 500);
    QSignalSpy replaced(line, &QLineSeries::pointsReplaced);
    QSignalSpy added(line, &QLineSeries::pointAdded);
    QSignalSpy removed(line, &QLineSeries::pointRemoved);
    model->replaceAll(table(5000));
    settle();
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(added.count() + removed.count(), 0);

    replaced.clear();
    model->clear();
    model->add(meas(50.0));
    settle();
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(line->count(), 1);

    replaced.clear();
    view(0, 5);
    replaced.clear();
    model->add(meas(51.0, 1));
    settle();
    QCOMPARE(added.count(), 1);
    QCOMPARE(replaced.count(), 0);
    QCOMPARE(line->at(1), QPointF(2, 51.0));
    QCOMPARE(markers->at(1), QPointF(2, 51.0));
  }

  void aLiveRowInADenseViewAdjustsTheLastColumnOnly() {
    model->replaceAll(table(5000));
    view(0, 10240, 100);
    QSignalSpy replaced(line, &QLineSeries::pointsReplaced);
    const int before = line->count();
    model->add(meas(900.0, 5000));
    model->add(meas(10.0, 5001));
    settle();
    QCOMPARE(replaced.count(), 0);
    QVERIFY(line->count() <= before + 2);
    const QVector<QPointF> drawn = line->pointsVector();
    QVERIFY(drawn.contains(QPointF(5001, 900.0)));
    QVERIFY(drawn.contains(QPointF(5002, 10.0)));
    QCOMPARE(markers->count(), 0);

    // The same drawing as a redraw from scratch would give.
    points->redraw();
    QCOMPARE(line->pointsVector(), drawn);
  }

  void removalsAndTicksKeepTheNumbersInOrder() {
    model->replaceAll({meas(10, 0), meas(20, 1), meas(30, 2)});
    view(0, 5);
    model->remove(0);
    settle();
    QCOMPARE(line->pointsVector(), (QVector<QPointF>{{1, 20}, {2, 30}}));
    QSignalSpy replaced(line, &QLineSeries::pointsReplaced);
    model->setData(model->index(0, 0), true);
    model->clearSelected();
    settle();
    QCOMPARE(replaced.count(), 0); // ticks change nothing drawn
    QCOMPARE(points->count(), 2);
  }
};

QTEST_MAIN(TestChartPoints)
#include "tst_chartpoints.moc"
