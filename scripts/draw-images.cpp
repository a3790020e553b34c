// Draws every picture of images/ with QPainter, so the artwork is reproducible from source.
// Built and run by scripts/draw-images.sh; the application build only uses the PNG files.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor red("#ed1c24");
const QColor nearBlack("#1d1d1d");
const QColor darkGrey("#4b4b4b");
const QColor white(Qt::white);

QString outputDir;

// Pixel size of our icons: the menu shows them scaled by about 1.2, so strokes near 2 px
// keep them readable without looking heavy.
constexpr qreal iconStroke = 1.8;

using Painter = std::function<void(QPainter&)>;

bool draw(const QString& file, int width, int height, const Painter& paint) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  paint(painter);
  painter.end();
  const QString path = outputDir + "/" + file;
  const bool saved = image.save(path, "PNG");
  std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED", qPrintable(path), width, height);
  return saved;
}

QPolygonF points(std::initializer_list<QPointF> list) {
  return QVector<QPointF>(list);
}

QPen whiteLine(qreal width = iconStroke) {
  return QPen(white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Text as a path scaled into a box, centred, keeping its proportions.
QPainterPath fittedText(const QString& text, const QFont& font, const QRectF& box) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF bounds = path.boundingRect();
  const qreal scale = qMin(box.width() / bounds.width(), box.height() / bounds.height());
  QTransform transform;
  transform.translate(box.center().x(), box.center().y());
  transform.scale(scale, scale);
  transform.translate(-bounds.center().x(), -bounds.center().y());
  return transform.map(path);
}

QFont boldFont(qreal pixelSize, bool condensed = false) {
  QFont font(condensed ? "DejaVu Sans Condensed" : "DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(qRound(pixelSize));
  if (condensed)
    font.setStretch(QFont::Condensed);
  return font;
}

void logo(QPainter& p) {
  QFont font = boldFont(40, true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  p.fillPath(fittedText("TIVOR", font, QRectF(0.5, 1.5, 46, 16)), white);
}

// Connect: data coming down from the tester into a tray.
void download(QPainter& p) {
  p.setPen(whiteLine());
  p.drawPolyline(points({{2, 10}, {2, 16}, {17, 16}, {17, 10}}));
  p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 11));
  p.drawPolyline(points({{5.5, 7.5}, {9.5, 11.5}, {13.5, 7.5}}));
}

void disket(QPainter& p) {
  p.setPen(whiteLine());
  QPainterPath body;
  body.moveTo(2, 2);
  body.lineTo(15, 2);
  body.lineTo(18, 5);
  body.lineTo(18, 18);
  body.lineTo(2, 18);
  body.closeSubpath();
  p.drawPath(body);
  // Shutter at the top, label at the bottom.
  p.drawPolyline(points({{6, 2}, {6, 7}, {13, 7}, {13, 2}}));
  p.drawRect(QRectF(5.5, 11, 9, 7));
}

void folder(QPainter& p) {
  p.setPen(whiteLine());
  QPainterPath back;
  back.moveTo(2, 17.5);
  back.lineTo(2, 2.5);
  back.lineTo(9, 2.5);
  back.lineTo(11, 5);
  back.lineTo(22, 5);
  back.lineTo(22, 7.5);
  p.drawPath(back);
  // The open front flap, leaning right.
  QPainterPath front;
  front.moveTo(2, 17.5);
  front.lineTo(5.5, 8);
  front.lineTo(25.5, 8);
  front.lineTo(22, 17.5);
  front.closeSubpath();
  p.drawPath(front);
}

// Report: a sheet with a turned-down corner, a few lines of text and a small bar chart.
void report(QPainter& p) {
  p.setPen(whiteLine());
  QPainterPath sheet;
  sheet.moveTo(3.5, 1.5);
  sheet.lineTo(12.5, 1.5);
  sheet.lineTo(16.5, 5.5);
  sheet.lineTo(16.5, 18.5);
  sheet.lineTo(3.5, 18.5);
  sheet.closeSubpath();
  p.drawPath(sheet);
  p.drawPolyline(points({{12.5, 1.5}, {12.5, 5.5}, {16.5, 5.5}}));
  p.setPen(whiteLine(1.2));
  p.drawLine(QPointF(6, 5), QPointF(10, 5));
  p.drawLine(QPointF(6, 8), QPointF(14, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawRect(QRectF(6, 12.5, 1.8, 3.5));
  p.drawRect(QRectF(9.1, 10.5, 1.8, 5.5));
  p.drawRect(QRectF(12.2, 13.5, 1.8, 2.5));
}

// Archive: a box of two drawers, each with a handle, under a lid.
void archive(QPainter& p) {
  p.setPen(whiteLine());
  p.drawRect(QRectF(2.5, 2.5, 15, 4));
  p.drawRect(QRectF(3.5, 6.5, 13, 11.5));
  p.drawLine(QPointF(3.5, 12.2), QPointF(16.5, 12.2));
  p.setPen(whiteLine(1.4));
  p.drawLine(QPointF(8, 9.3), QPointF(12, 9.3));
  p.drawLine(QPointF(8, 15), QPointF(12, 15));
}

void gear(QPainter& p) {
  const QPointF centre(10, 10.5);
  const int teeth = 8;
  const qreal outer = 9.3, inner = 7.0;
  QPainterPath wheel;
  for (int i = 0; i < teeth * 4; ++i) {
    // Each tooth: two points on the rim and two on the tip, a little narrower at the tip.
    const int phase = i % 4;
    const qreal step = 360.0 / teeth;
    const qreal base = (i / 4) * step;
    const qreal offsets[] = {-step * 0.30, -step * 0.17, step * 0.17, step * 0.30};
    const qreal radius = (phase == 0 || phase == 3) ? inner : outer;
    const qreal angle = qDegreesToRadians(base + offsets[phase]);
    const QPointF point = centre + QPointF(radius * qSin(angle), -radius * qCos(angle));
    if (i == 0)
      wheel.moveTo(point);
    else
      wheel.lineTo(point);
  }
  wheel.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(centre, 3.0, 3.0);
  p.fillPath(wheel.subtracted(hole), white);
}

void closeCross(QPainter& p) {
  p.setPen(whiteLine(2.0));
  p.drawLine(QPointF(4, 4), QPointF(17, 17));
  p.drawLine(QPointF(17, 4), QPointF(4, 17));
}

// A calibration weight: handle ring above a trapezoid body.
void weight(QPainter& p) {
  p.setPen(whiteLine(1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(5.5, 3.2), 2.2, 2.2);
  QPainterPath body;
  body.moveTo(2.5, 6);
  body.lineTo(8.5, 6);
  body.lineTo(10.8, 14.2);
  body.lineTo(0.2, 14.2);
  body.closeSubpath();
  p.setPen(Qt::NoPen);
  p.fillPath(body, white);
}

void warning(QPainter& p) {
  QPainterPath triangle;
  triangle.moveTo(20.5, 2.5);
  triangle.lineTo(39, 34);
  triangle.lineTo(2, 34);
  triangle.closeSubpath();
  p.setPen(QPen(red, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(red);
  p.drawPath(triangle);
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  QPainterPath bar;
  bar.moveTo(19, 12);
  bar.lineTo(22, 12);
  bar.lineTo(21.4, 25);
  bar.lineTo(19.6, 25);
  bar.closeSubpath();
  p.drawPath(bar);
  p.drawEllipse(QPointF(20.5, 29), 1.8, 1.8);
}

void arrow(QPainter& p) {
  p.setPen(QPen(nearBlack, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(points({{1, 1}, {5, 5}, {9, 1}}));
}

void cross(QPainter& p) {
  p.setPen(QPen(red, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(1, 1), QPointF(7, 7));
  p.drawLine(QPointF(7, 1), QPointF(1, 7));
}

// The settings dial; the hands are drawn over it at run time, turning about the centre.
void clockBase(QPainter& p) {
  const QPointF centre(250, 250);
  p.setPen(Qt::NoPen);
  p.setBrush(red);
  p.drawEllipse(centre, 248, 248);
  p.setBrush(white);
  p.drawEllipse(centre, 232, 232);

  p.translate(centre);
  for (int minute = 0; minute < 60; ++minute) {
    const bool hour = minute % 5 == 0;
    const bool quarter = minute % 15 == 0;
    if (quarter)
      p.setPen(QPen(red, 16, Qt::SolidLine, Qt::FlatCap));
    else if (hour)
      p.setPen(QPen(nearBlack, 10, Qt::SolidLine, Qt::FlatCap));
    else
      p.setPen(QPen(darkGrey, 4, Qt::SolidLine, Qt::FlatCap));
    const qreal length = quarter ? 44 : hour ? 34 : 14;
    p.drawLine(QPointF(0, -214), QPointF(0, -214 + length));
    p.rotate(6);
  }
  p.resetTransform();

  p.setPen(Qt::NoPen);
  p.setBrush(nearBlack);
  p.drawEllipse(centre, 12, 12);
}

void drawTester(QPainter& p) {
  // Cable from the tester to the probe.
  QPainterPath cable;
  cable.moveTo(100, 262);
  cable.cubicTo(100, 320, 40, 300, 52, 338);
  p.setPen(QPen(nearBlack, 5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(cable);

  // Probe: a pen-like body lying at an angle with a steel tip.
  p.save();
  p.translate(52, 338);
  p.rotate(-18);
  p.setPen(Qt::NoPen);
  p.setBrush(nearBlack);
  p.drawRoundedRect(QRectF(0, -9, 96, 18), 6, 6);
  p.setBrush(white);
  p.drawRect(QRectF(70, -9, 4, 18));
  p.setBrush(QColor("#cfcfcf"));
  QPainterPath tip;
  tip.moveTo(96, -6);
  tip.lineTo(116, -2);
  tip.lineTo(116, 2);
  tip.lineTo(96, 6);
  tip.closeSubpath();
  p.drawPath(tip);
  p.restore();

  // Body with a light rim.
  const QRectF body(40, 46, 120, 216);
  p.setPen(QPen(QColor("#3a3a3a"), 3));
  p.setBrush(nearBlack);
  p.drawRoundedRect(body, 18, 18);

  // Display with a reading.
  const QRectF screen(54, 64, 92, 74);
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawRoundedRect(screen, 6, 6);
  p.setPen(nearBlack);
  p.setFont(boldFont(28));
  p.drawText(screen.adjusted(0, 4, 0, -22), Qt::AlignCenter, "45.2");
  p.setPen(red);
  p.setFont(boldFont(13));
  p.drawText(screen.adjusted(0, 46, 0, -4), Qt::AlignCenter, "HRC");

  // Keypad: two rows of round keys and a wide red one.
  p.setPen(Qt::NoPen);
  p.setBrush(darkGrey);
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 3; ++col)
      p.drawEllipse(QPointF(70 + col * 30, 164 + row * 30), 10, 10);
  p.setBrush(red);
  p.drawRoundedRect(QRectF(58, 216, 84, 24), 12, 12);
}

void splash(QPainter& p) {
  const QRectF all(0, 0, 479, 370);
  QPainterPath frame;
  frame.addRoundedRect(all, 12, 12);
  p.fillPath(frame, white);
  p.setClipPath(frame);
  p.fillRect(QRectF(0, 0, 200, 370), red);
  drawTester(p);

  // Name and what the product is.
  p.setPen(Qt::NoPen);
  QFont title = boldFont(70);
  title.setLetterSpacing(QFont::AbsoluteSpacing, 4);
  p.fillPath(fittedText("TIVOR", title, QRectF(226, 104, 228, 62)), red);

  p.setPen(nearBlack);
  QFont name = boldFont(24);
  name.setLetterSpacing(QFont::AbsoluteSpacing, 7);
  p.setFont(name);
  p.drawText(QRectF(226, 178, 228, 32), Qt::AlignCenter, "BRENMO");

  p.fillRect(QRectF(246, 222, 188, 2), red);

  QFont plain("DejaVu Sans");
  plain.setPixelSize(15);
  p.setFont(plain);
  p.setPen(darkGrey);
  p.drawText(
      QRectF(216, 234, 248, 24), Qt::AlignCenter, QString::fromUtf8("ультразвуковой твердомер"));
  plain.setPixelSize(13);
  p.setFont(plain);
  p.drawText(QRectF(216, 322, 248, 24), Qt::AlignCenter, "HRC  \u00b7  HB  \u00b7  HV");

  // A hairline keeps the white half apart from a light desktop.
  p.setClipping(false);
  p.setPen(QPen(QColor("#bfbfbf"), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}

// Application icon: the square print a Vickers indenter leaves, on the theme red.
void appIcon(QPainter& p, int size) {
  const qreal s = size / 32.0;
  p.scale(s, s);
  p.setPen(Qt::NoPen);
  p.setBrush(red);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  const QPolygonF diamond = points({{16, 5}, {27, 16}, {16, 27}, {5, 16}});
  p.setBrush(QColor(255, 255, 255, 60));
  p.setPen(QPen(white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(diamond);
  p.setPen(QPen(white, 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 5), QPointF(16, 27));
  p.drawLine(QPointF(5, 16), QPointF(27, 16));
}

} // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

  bool ok = true;
  ok &= draw("TIVOR.png", 47, 19, logo);
  ok &= draw("download.png", 19, 18, download);
  ok &= draw("disket.png", 20, 20, disket);
  ok &= draw("folder.png", 27, 20, folder);
  ok &= draw("gear.png", 20, 21, gear);
  ok &= draw("report.png", 20, 20, report);
  ok &= draw("archive.png", 20, 20, archive);
  ok &= draw("close.png", 21, 21, closeCross);
  ok &= draw("weight.png", 11, 15, weight);
  ok &= draw("warning.png", 41, 36, warning);
  ok &= draw("arrow.png", 10, 6, arrow);
  ok &= draw("cross.png", 8, 8, cross);
  ok &= draw("clock-base.png", 500, 500, clockBase);
  ok &= draw("splash.png", 479, 370, splash);
  // The .ico is assembled from 16, 32, 48 and 256; the desktop icons take every hicolor size.
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString file = size == 32 ? "brenmo.png" : QString("brenmo-%1.png").arg(size);
    ok &= draw(file, size, size, [size](QPainter& p) { appIcon(p, size); });
  }
  return ok ? 0 : 1;
}
