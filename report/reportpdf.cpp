// The PDF of the inspection report: A4 portrait, the summary and the chart on the first page,
// then the table of rows over as many pages as it needs, each page numbered.
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "models/hardnesstext.h"
#include "report/reportwriter.h"

namespace {

// Layout in points (the writer runs at 72 dots per inch).
constexpr int kDpi = 72;
constexpr qreal kLine = 15.0;
constexpr qreal kRow = 14.0;
constexpr qreal kFooter = 20.0;
constexpr qreal kChartHeight = 230.0;
const QColor kOutsideColor(0xde, 0x00, 0x09);

struct Column {
  QString title;
  qreal width;
};

class ReportPage {
public:
  ReportPage(QPainter& painter, qreal width, qreal height)
      : m_painter(painter), m_width(width), m_height(height) {}

  qreal y = 0.0;

  void text(const QString& line, int size, bool bold = false, const QColor& color = Qt::black) {
    QFont font = m_painter.font();
    font.setPixelSize(size);
    font.setBold(bold);
    m_painter.setFont(font);
    m_painter.setPen(color);
    m_painter.drawText(QRectF(0, y, m_width, size + 6), Qt::AlignLeft | Qt::AlignVCenter, line);
    y += size + 6;
  }

  void row(const QList<Column>& columns, const QStringList& cells, bool bold, const QColor& color) {
    QFont font = m_painter.font();
    font.setPixelSize(10);
    font.setBold(bold);
    m_painter.setFont(font);
    m_painter.setPen(color);
    qreal x = 0.0;
    for (int i = 0; i < columns.size(); ++i) {
      m_painter.drawText(QRectF(x + 2, y, columns[i].width - 4, kRow),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         cells.value(i));
      x += columns[i].width;
    }
    y += kRow;
    m_painter.setPen(QColor(0xb0, 0xb0, 0xb0));
    m_painter.drawLine(QPointF(0, y), QPointF(x, y));
  }

  void footer(const QString& line) {
    QFont font = m_painter.font();
    font.setPixelSize(9);
    font.setBold(false);
    m_painter.setFont(font);
    m_painter.setPen(Qt::darkGray);
    m_painter.drawText(
        QRectF(0, m_height - kFooter, m_width, kFooter), Qt::AlignRight | Qt::AlignVCenter, line);
  }

  qreal bottom() const { return m_height - kFooter - 4; }

private:
  QPainter& m_painter;
  qreal m_width;
  qreal m_height;
};

} // namespace

bool ReportWriter::writePdf(const QString& fileName, const ReportContent& content, QString* error) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error)
      *error = file.errorString();
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    writer.setTitle(tr("Протокол измерений твёрдости"));
    writer.setCreator(QStringLiteral("Brenmo"));
    QPainter painter;
    if (!painter.begin(&writer)) {
      if (error)
        *error = tr("Не удалось начать PDF.");
      file.cancelWriting();
      return false;
    }
    const QRect area = writer.pageLayout().paintRectPixels(kDpi);
    const qreal width = area.width();
    const qreal height = area.height();

    const QList<Column> columns{{tr("№"), 45},
                                {tr("Дата"), 85},
                                {tr("Время"), 70},
                                {tr("Твёрдость"), 80},
                                {tr("Шкала"), 80},
                                {tr("Допуск"), width - 360}};

    const RunningStatistics& s = content.statistics;
    const QString none = QStringLiteral("—");
    ReportPage page(painter, width, height);
    page.text(tr("Протокол измерений твёрдости"), 18, true);
    page.text(
        tr("Дата отчёта: %1").arg(content.created.toString(QStringLiteral("dd.MM.yyyy hh:mm"))),
        11);
    page.text(tr("Прибор: %1").arg(content.deviceId), 11);
    page.text(tr("Шкалы: %1").arg(content.filter), 11);
    page.y += 6;
    page.text(tr("Измерений: %1").arg(content.rows.size()), 11, true);
    page.text(tr("Без результата (ERR): %1").arg(content.invalidCount), 11);
    page.text(tr("Среднее: %1").arg(s.count() ? HardnessText::ofAverage(s.mean()) : none), 11);
    page.text(tr("Стандартное отклонение: %1")
                  .arg(s.count() > 1 ? HardnessText::ofDeviation(s.standardDeviation()) : none),
              11);
    page.text(tr("Минимум: %1").arg(s.count() ? HardnessText::ofMeasurement(s.minimum()) : none),
              11);
    page.text(tr("Максимум: %1").arg(s.count() ? HardnessText::ofMeasurement(s.maximum()) : none),
              11);
    page.text(
        tr("Размах: %1").arg(s.count() ? HardnessText::ofAverage(s.maximum() - s.minimum()) : none),
        11);
    page.text(content.limits.isEmpty()
                  ? tr("Допуски: не заданы")
                  : tr("Допуски: %1").arg(content.limits.join(QStringLiteral("; "))),
              11);
    page.text(tr("Вне допуска: %1").arg(content.outsideCount),
              11,
              false,
              content.outsideCount ? kOutsideColor : Qt::black);
    if (!content.chart.isNull()) {
      page.y += 6;
      QSizeF size = content.chart.size();
      size.scale(width, kChartHeight, Qt::KeepAspectRatio);
      painter.drawImage(QRectF(QPointF(0, page.y), size), content.chart);
      page.y += kChartHeight + 4;
    }
    // Count the pages before drawing the table, so that each can say "of N".
    const int firstRows = qMax(0, int((page.bottom() - page.y) / kRow) - 1);
    const int otherRows = qMax(1, int(page.bottom() / kRow) - 1);
    const int rest = qMax(0, content.rows.size() - firstRows);
    const int pages = 1 + (rest + otherRows - 1) / otherRows;

    const auto header = [&] {
      QStringList titles;
      for (const Column& column : columns)
        titles << column.title;
      page.row(columns, titles, true, Qt::black);
    };
    const auto footer = [&](int number) {
      page.footer(tr("Страница %1 из %2").arg(number).arg(pages));
    };

    int pageNumber = 1;
    header();
    for (const ReportContent::Row& row : content.rows) {
      if (page.y + kRow > page.bottom()) {
        footer(pageNumber++);
        writer.newPage();
        page.y = 0;
        header();
      }
      page.row(columns,
               {QString::number(row.number),
                row.dateTime.date().toString(QStringLiteral("dd.MM.yyyy")),
                row.dateTime.time().toString(QStringLiteral("hh:mm:ss")),
                HardnessText::ofMeasurement(row.hardness),
                row.scale,
                row.side < 0   ? tr("ниже допуска")
                : row.side > 0 ? tr("выше допуска")
                               : QString()},
               false,
               row.side != 0 ? kOutsideColor : Qt::black);
    }
    footer(pageNumber);
    painter.end();
  }
  if (!file.commit()) {
    if (error)
      *error = file.errorString();
    return false;
  }
  return true;
}
