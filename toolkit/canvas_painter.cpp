#include "canvas_painter.h"

TPainterCanvas::TPainterCanvas(QPaintDevice& device) : device_(device), painter_(&device) {
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

TPainterCanvas::~TPainterCanvas() {
  if (painter_.isActive()) painter_.end();
}

bool TPainterCanvas::End() {
  return painter_.isActive() && painter_.end();
}

const QFontMetrics& TPainterCanvas::Metrics() {
  if (FontChanged() || !metrics_) {
    font_ = CanvasFont(Font(), device_.logicalDpiY());
    painter_.setFont(font_);
    metrics_.emplace(font_, &device_);
  }
  return *metrics_;
}

void TPainterCanvas::LineTo(int x, int y) {
  if (PenChanged() || !linePen_) {
    const TCanvasPenState& pen = Pen();
    const Qt::PenStyle style = pen.Style == TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine;
    // A cosmetic one-pixel pen with flat ends leaves the end point out.
    if (pen.Width <= 1)
      painter_.setPen(QPen(pen.Color, 0, style, Qt::FlatCap, Qt::MiterJoin));
    else
      painter_.setPen(QPen(pen.Color, pen.Width, style, Qt::RoundCap, Qt::RoundJoin));
    painter_.setRenderHint(QPainter::Antialiasing, pen.Width > 1);
    linePen_ = true;
  }
  painter_.drawLine(PenPosition(), QPoint(x, y));
  SetPenPosition(QPoint(x, y));
}

void TPainterCanvas::FillRect(const QRect& rect) {
  painter_.fillRect(rect, Brush());
}

void TPainterCanvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics& metrics = Metrics();
  painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), Brush());
  painter_.setPen(Font().Color);
  linePen_ = false;
  painter_.drawText(QPoint(x, y + metrics.ascent()), text);
}

int TPainterCanvas::TextWidth(const QString& text) {
  return Metrics().horizontalAdvance(text);
}

int TPainterCanvas::TextHeight(const QString&) {
  return Metrics().height();
}

void TPainterCanvas::StretchDraw(const QRect& rect, const QImage& picture) {
  painter_.drawImage(rect, picture);
}
