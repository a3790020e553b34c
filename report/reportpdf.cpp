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
constexpr qreal kBlock = 9 * 17.0 + 6; // a scale's title and its eight figures
const QColor kOutsideColor(0xde, 0x00, 0x09);

struct Column {
  QString title;
  qreal width;
};

// Lays the report out page by page. Without a painter it only measures, so that the pages
// can be counted before any is drawn and each can say "of N".
class ReportPage {
public:
  ReportPage(QPainter* painter,
             QPdfWriter* writer,
             qreal width,
             qreal height,
             const QString& footerPattern,
             int pages)
      : m_painter(painter), m_writer(writer), m_width(width), m_height(height),
        m_footerPattern(footerPattern), m_pages(pages), columnWidth(width) {}

  qreal x = 0.0;
  qreal y = 0.0;
  int number = 1;

  qreal width() const { return m_width; }
  qreal bottom() const { return m_height - kFooter - 4; }

  void text(const QString& line, int size, bool bold = false, const QColor& color = Qt::black) {
    if (m_painter) {
      setFont(size, bold);
      m_painter->setPen(color);
      m_painter->drawText(
          QRectF(x, y, columnWidth, size + 6), Qt::AlignLeft | Qt::AlignVCenter, line);
    }
    y += size + 6;
  }

  void row(const QList<Column>& columns, const QStringList& cells, bool bold, const QColor& color) {
    qreal right = 0.0;
    for (const Column& column : columns)
      right += column.width;
    if (m_painter) {
      setFont(10, bold);
      m_painter->setPen(color);
      qreal left = 0.0;
      for (int i = 0; i < columns.size(); ++i) {
        m_painter->drawText(QRectF(left + 2, y, columns[i].width - 4, kRow),
                            Qt::AlignLeft | Qt::AlignVCenter,
                            cells.value(i));
        left += columns[i].width;
      }
      m_painter->setPen(QColor(0xb0, 0xb0, 0xb0));
      m_painter->drawLine(QPointF(0, y + kRow), QPointF(right, y + kRow));
    }
    y += kRow;
  }

  void image(const QImage& picture, qreal height) {
    if (m_painter) {
      QSizeF size = picture.size();
      size.scale(m_width, height, Qt::KeepAspectRatio);
      m_painter->drawImage(QRectF(QPointF(0, y), size), picture);
    }
    y += height;
  }

  // A new page unless this much still fits on the current one.
  void needRoom(qreal height) {
    if (y > 0 && y + height > bottom())
      breakPage();
  }

  void breakPage() {
    footer();
    if (m_writer)
      m_writer->newPage();
    ++number;
    x = y = 0.0;
  }

  void footer() {
    if (!m_painter)
      return;
    setFont(9, false);
    m_painter->setPen(Qt::darkGray);
    m_painter->drawText(QRectF(0, m_height - kFooter, m_width, kFooter),
                        Qt::AlignRight | Qt::AlignVCenter,
                        m_footerPattern.arg(number).arg(m_pages));
  }

private:
  void setFont(int size, bool bold) {
    QFont font = m_painter->font();
    font.setPixelSize(size);
    font.setBold(bold);
    m_painter->setFont(font);
  }

  QPainter* m_painter;
  QPdfWriter* m_writer;
  qreal m_width;
  qreal m_height;
  QString m_footerPattern;
  int m_pages;

public:
  qreal columnWidth;
};

} // namespace

bool ReportWriter::writePdf(const QString& fileName, const ReportContent& content, QString* error) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error)
      *error = failedWrite(fileName, file.errorString());
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

    // The counts are worded as the statistics panel words them.
    const auto scaleBlock = [&](ReportPage& page, const ScaleFigures& figures) {
      page.text(tr("Шкала %1").arg(figures.scale), 12, true);
      page.text(tr("С результатом: %1").arg(figures.values.count()), 11);
      page.text(tr("Без результата (ERR): %1").arg(figures.invalid), 11);
      page.text(tr("Среднее: %1").arg(figures.meanText()), 11);
      page.text(tr("Стандартное отклонение: %1").arg(figures.deviationText()), 11);
      page.text(tr("Минимум: %1").arg(figures.minimumText()), 11);
      page.text(tr("Максимум: %1").arg(figures.maximumText()), 11);
      page.text(tr("Размах: %1").arg(figures.rangeText()), 11);
      page.text(tr("Вне допуска: %1").arg(figures.outside),
                11,
                false,
                figures.outside ? kOutsideColor : Qt::black);
    };
    const auto layOut = [&](ReportPage& page) {
      page.text(tr("Протокол измерений твёрдости"), 18, true);
      page.text(
          tr("Дата отчёта: %1").arg(content.created.toString(QStringLiteral("dd.MM.yyyy hh:mm"))),
          11);
      page.text(tr("Прибор: %1").arg(content.deviceId), 11);
      page.text(tr("Шкалы: %1").arg(content.filter), 11);
      if (!content.context.isEmpty())
        page.text(content.context, 11);
      page.text(content.limits.isEmpty()
                    ? tr("Допуски: не заданы")
                    : tr("Допуски: %1").arg(content.limits.join(QStringLiteral("; "))),
                11);
      page.y += 6;
      page.text(tr("Измерений: %1").arg(content.rows.size()), 11, true);
      // Each scale's figures in a block of their own, two blocks side by side.
      page.columnWidth = page.width() / 2;
      for (int i = 0; i < content.scales.size(); i += 2) {
        page.needRoom(kBlock);
        const qreal top = page.y + 6;
        for (int j = i; j < qMin(i + 2, content.scales.size()); ++j) {
          page.x = (j - i) * page.columnWidth;
          page.y = top;
          scaleBlock(page, content.scales[j]);
        }
        page.x = 0;
      }
      page.columnWidth = page.width();
      if (!content.chart.isNull()) {
        page.y += 6;
        page.needRoom(kChartHeight);
        page.image(content.chart, kChartHeight);
        page.y += 4;
      }
      const auto header = [&] {
        QStringList titles;
        for (const Column& column : columns)
          titles << column.title;
        page.row(columns, titles, true, Qt::black);
      };
      page.needRoom(4 * kRow);
      header();
      for (const ReportContent::Row& row : content.rows) {
        if (page.y + kRow > page.bottom()) {
          page.breakPage();
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
      page.footer();
    };

    const QString footer = tr("Страница %1 из %2");
    ReportPage measure(nullptr, nullptr, width, height, footer, 0);
    layOut(measure);
    ReportPage page(&painter, &writer, width, height, footer, measure.number);
    layOut(page);
    painter.end();
  }
  if (!file.commit()) {
    if (error)
      *error = failedWrite(fileName, file.errorString());
    return false;
  }
  return true;
}
