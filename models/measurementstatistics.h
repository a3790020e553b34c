#pragma once

#include <vector>

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

#include "models/runningstatistics.h"

class MeasurementModel;
class ToleranceLimits;
class QModelIndex;

// Every figure of the shown rows, kept in one pass over them:
// - the statistics panel's, scale by scale: count, mean, standard deviation, minimum, maximum
//   and range, with the rows outside the tolerance limits and those without a valid result
//   counted apart. They cover the ticked rows while any row is ticked, every shown row
//   otherwise, and leave the rows without a result out;
// - the average box's and the chart axis': average, minimum and maximum of every shown row,
//   ticked or not, a row without a result counting as 0;
// - the report's: the panel's figures over every shown row.
//
// They follow the model's own notifications row by row; only a reset or a layout change of
// the whole model (a filter change, a memory read) reads it again.
class MeasurementStatistics : public QObject {
  Q_OBJECT
  Q_PROPERTY(MeasurementModel* model READ model WRITE setModel NOTIFY modelChanged)
  Q_PROPERTY(ToleranceLimits* limits READ limits WRITE setLimits NOTIFY limitsObjectChanged)
  // Grows with every change: a binding that calls isRowOutside() names it to be re-evaluated.
  Q_PROPERTY(int revision READ revision NOTIFY changed)
  Q_PROPERTY(bool selectionOnly READ selectionOnly NOTIFY changed)
  Q_PROPERTY(int rowCount READ rowCount NOTIFY changed)
  Q_PROPERTY(int count READ count NOTIFY changed)
  Q_PROPERTY(int invalidCount READ invalidCount NOTIFY changed)
  Q_PROPERTY(int outsideCount READ outsideCount NOTIFY changed)
  Q_PROPERTY(QString scale READ scale NOTIFY changed)
  // One map a scale of the covered rows, by scale name: scale, count, invalidCount,
  // outsideCount, meanText, deviationText, minimumText, maximumText, rangeText.
  Q_PROPERTY(QVariantList blocks READ blocks NOTIFY changed)
  // The average box's figures, over every shown row.
  Q_PROPERTY(int shownCount READ shownCount NOTIFY changed)
  Q_PROPERTY(qreal average READ average NOTIFY changed)
  Q_PROPERTY(qreal minimum READ minimum NOTIFY changed)
  Q_PROPERTY(qreal maximum READ maximum NOTIFY changed)
  // "0" without rows.
  Q_PROPERTY(QString averageText READ averageText NOTIFY changed)

public:
  explicit MeasurementStatistics(QObject* parent = nullptr);

  MeasurementModel* model() const;
  void setModel(MeasurementModel* model);
  ToleranceLimits* limits() const;
  void setLimits(ToleranceLimits* limits);

  int revision() const { return m_revision; }
  bool selectionOnly() const { return m_ticked.rows() > 0; }
  // Rows covered, with and without a valid result.
  int rowCount() const { return covered().rows(); }
  // Rows with a valid result (hardness above 0): the ones the figures are taken over.
  int count() const { return covered().rows() - covered().invalid; }
  int invalidCount() const { return covered().invalid; }
  int outsideCount() const { return covered().outside; }
  // The one scale of the covered rows; empty when they mix scales or there are none.
  QString scale() const;
  // The figures of each scale of the covered rows, by scale name.
  QList<ScaleFigures> scaleFigures() const;
  QVariantList blocks() const;
  // The figures of each scale of every shown row, ticked or not, by scale name.
  QList<ScaleFigures> shownScaleFigures() const { return m_all.scales.values(); }

  int shownCount() const { return m_all.rows(); }
  double average() const;
  double minimum() const;
  double maximum() const;
  QString averageText() const;

  // Whether a shown row lies outside its scale's limits (for the list and the chart).
  Q_INVOKABLE bool isRowOutside(int row) const;
  // The chart's points (number, hardness) of the rows outside their limits with a number from
  // `from` to `to`.
  Q_INVOKABLE QVariantList outsidePoints(qreal from, qreal to) const;

signals:
  void modelChanged();
  void limitsObjectChanged();
  void changed();

private:
  struct Row {
    double hardness = 0.0;
    bool checked = false;
    bool outside = false;
    QString scale;
  };
  struct Aggregate {
    int rowCount = 0;
    int invalid = 0;
    int outside = 0;
    QMap<QString, ScaleFigures> scales;
    int rows() const { return rowCount; }
    void add(const Row& row);
    void remove(const Row& row);
    void clear();
  };

  const Aggregate& covered() const { return selectionOnly() ? m_ticked : m_all; }
  Row readRow(int row) const;
  void addRow(const Row& row);
  void removeRow(const Row& row);
  void rebuild();
  void announce();
  void rowsInserted(const QModelIndex& parent, int first, int last);
  void rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
  void rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);

  QPointer<MeasurementModel> m_model;
  QPointer<ToleranceLimits> m_limits;
  std::vector<Row> m_rows; // a copy of what each shown row held when last seen
  Aggregate m_all;
  Aggregate m_ticked;
  int m_revision = 0;
};
