#pragma once
// What both canvases share: the pen, brush, font and pen position that a
// canvas keeps between calls, and the Qt font that a font state means on a
// surface of a given resolution, so that the recording canvas measures texts
// exactly as the painting one does.
#include <QFont>
#include <QPoint>
#include <utility>

#include "canvas.h"

struct TCanvasFontState {
  QString Name = QStringLiteral("Arial");
  int Charset = 1;  // the default character set
  int Size = 10;    // points; 0 when a pixel height was set last
  int Height = 0;   // character cell height in pixels; 0 when a size was set last
  unsigned Style = fsNone;
  QColor Color = Qt::black;
};

struct TCanvasPenState {
  QColor Color = Qt::black;
  int Width = 1;
  TPenStyle Style = TPenStyle::Solid;
};

// The font of `font` on a surface of `dpi` dots per inch (vertical): the
// family, the style bits and the em height in pixels. A cell height is met
// by the largest em height whose cell (ascent + descent) is not taller.
QFont CanvasFont(const TCanvasFontState& font, int dpi);

// The canvas state and its setters; the drawing is left to the surface.
// FontChanged() / PenChanged() report a change since the last call.
class TStateCanvas : public TCanvas {
 public:
  void SetPenColor(const QColor& color) override;
  void SetPenWidth(int width) override;
  void SetPenStyle(TPenStyle style) override;
  void SetBrushColor(const QColor& color) override { brush_ = color; }
  void SetFontName(const QString& name) override;
  void SetFontCharset(int charset) override { font_.Charset = charset; }
  void SetFontSize(int points) override;
  void SetFontHeight(int pixels) override;
  void SetFontStyle(unsigned style) override;
  void SetFontColor(const QColor& color) override { font_.Color = color; }
  void MoveTo(int x, int y) override { position_ = QPoint(x, y); }

  const TCanvasPenState& Pen() const { return pen_; }
  const QColor& Brush() const { return brush_; }
  const TCanvasFontState& Font() const { return font_; }
  QPoint PenPosition() const { return position_; }

 protected:
  bool FontChanged() { return std::exchange(fontChanged_, false); }
  bool PenChanged() { return std::exchange(penChanged_, false); }
  void SetPenPosition(QPoint at) { position_ = at; }

 private:
  TCanvasPenState pen_;
  QColor brush_ = Qt::white;
  TCanvasFontState font_;
  QPoint position_;
  bool fontChanged_ = true;
  bool penChanged_ = true;
};
