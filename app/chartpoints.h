#pragma once

#include <QAbstractItemModel>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QVector>

namespace QtCharts {
class QXYSeries;
}

// Feeds the chart's line and marker series from a measurement table, for the numbers in view
// only. Up to markerLimit measurements in view are drawn as they are, with markers; more are
// drawn as the lowest and highest hardness of each pixel column (spikes stay visible), without
// markers. A series is handed its points in one piece, so a change of many rows costs one
// redraw; a row appended to the table adds one point, or adjusts the last column.
//
// Point x is the row plus one (the measurement's number), y the hardness of column 1.
class ChartPoints : public QObject {
  Q_OBJECT
  Q_PROPERTY(QAbstractItemModel* model READ model WRITE setModel NOTIFY modelChanged)
  Q_PROPERTY(QObject* line READ line WRITE setLine NOTIFY seriesChanged)
  Q_PROPERTY(QObject* markers READ markers WRITE setMarkers NOTIFY seriesChanged)
  Q_PROPERTY(qreal from READ from WRITE setFrom NOTIFY viewChanged)
  Q_PROPERTY(qreal to READ to WRITE setTo NOTIFY viewChanged)
  Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY viewChanged)
  Q_PROPERTY(int markerLimit READ markerLimit WRITE setMarkerLimit NOTIFY viewChanged)
  Q_PROPERTY(int count READ count NOTIFY countChanged)
  Q_PROPERTY(bool markersShown READ markersShown NOTIFY drawn)

public:
  explicit ChartPoints(QObject* parent = nullptr);

  QAbstractItemModel* model() const { return m_model; }
  void setModel(QAbstractItemModel* model);
  QObject* line() const;
  void setLine(QObject* series);
  QObject* markers() const;
  void setMarkers(QObject* series);
  qreal from() const { return m_from; }
  void setFrom(qreal from);
  qreal to() const { return m_to; }
  void setTo(qreal to);
  int columns() const { return m_columns; }
  void setColumns(int columns);
  int markerLimit() const { return m_markerLimit; }
  void setMarkerLimit(int limit);

  // Rows of the table, whether in view or not.
  int count() const { return m_hardness.size(); }
  bool markersShown() const { return m_markersShown; }

  // Draws now what a scheduled redraw would draw.
  Q_INVOKABLE void redraw();

signals:
  void modelChanged();
  void seriesChanged();
  void viewChanged();
  void countChanged();
  // After every redraw and every point appended.
  void drawn();

private:
  struct Column {
    int index = 0; // pixel column
    int low = 0;   // rows of its lowest and highest hardness
    int high = 0;
  };

  void readAll();
  void rowsInserted(int first, int last);
  void valuesChanged(int first, int last);
  void scheduleRedraw();
  bool appendToDrawing(int row);
  int columnOf(int row) const;
  // The points a column contributes, in row order.
  QVector<QPointF> columnPoints(const Column& column) const;
  QPointF point(int row) const { return QPointF(row + 1, m_hardness[row]); }
  // Rows drawn: those in view and one beyond each end, so the line runs to the plot's edges.
  int firstDrawnRow() const;
  int lastDrawnRow() const;
  int rowsInView() const;

  QPointer<QAbstractItemModel> m_model;
  QPointer<QtCharts::QXYSeries> m_line;
  QPointer<QtCharts::QXYSeries> m_markers;
  QVector<double> m_hardness;
  qreal m_from = 0;
  qreal m_to = 5;
  int m_columns = 1;
  int m_markerLimit = 300;
  bool m_markersShown = true;
  bool m_redrawPending = false;

  // What the last drawing holds, so an appended row can extend it.
  int m_drawnLast = -1;
  bool m_decimated = false;
  Column m_lastColumn;
  int m_lastColumnPoints = 0;
};
