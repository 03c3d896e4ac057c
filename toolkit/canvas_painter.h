#pragma once
// The canvas that paints with QPainter on a picture (QImage) or on the pages
// of a printer or PDF writer. One-pixel lines are drawn without antialiasing
// (they stay crisp and exact), wider lines and text with it. Font sizes in points follow the
// device's vertical resolution.
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <optional>

#include "canvas_state.h"

class TPainterCanvas : public TStateCanvas {
 public:
  // Starts painting on `device`; Active() tells whether that succeeded.
  explicit TPainterCanvas(QPaintDevice& device);
  ~TPainterCanvas() override;
  TPainterCanvas(const TPainterCanvas&) = delete;
  TPainterCanvas& operator=(const TPainterCanvas&) = delete;

  bool Active() const { return painter_.isActive(); }
  // Ends painting (a printer device then finishes its job); false on failure.
  bool End();

  void LineTo(int x, int y) override;
  void FillRect(const QRect& rect) override;
  void TextOut(int x, int y, const QString& text) override;
  int TextWidth(const QString& text) override;
  int TextHeight(const QString& text) override;
  void StretchDraw(const QRect& rect, const QImage& picture) override;
  int Width() const override { return device_.width(); }
  int Height() const override { return device_.height(); }

 private:
  const QFontMetrics& Metrics();

  QPaintDevice& device_;
  QPainter painter_;
  QFont font_;
  std::optional<QFontMetrics> metrics_;
  bool linePen_ = false;  // the painter holds the line pen, not the text colour
};
