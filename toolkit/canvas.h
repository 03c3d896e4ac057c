#pragma once
// The drawing canvas: the one surface that the score chart and the printed
// report draw on, in device pixels. TPainterCanvas paints with QPainter on a
// picture or a printer page; TRecordingCanvas keeps every call, so tests can
// check the coordinates exactly. The canvas keeps its pen, brush and font
// between calls, as a window's or a printer's canvas does.
//
// Text is drawn opaque: its box (TextWidth x TextHeight) is filled with the
// brush colour first, then the text is written with its top-left corner at
// the given point. TextWidth / TextHeight measure a text in the current font
// on the same surface (TextHeight is the font's character cell height,
// ascent + descent). A font size in points becomes Round(points x dpi / 72)
// pixels of em height at the surface's vertical resolution.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

enum class TPenStyle { Solid, Dot };

// Font style bits, combined with |.
enum TFontStyle : unsigned { fsNone = 0, fsBold = 1, fsItalic = 2, fsUnderline = 4 };

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  // Pen: colour, width in device pixels, style.
  virtual void SetPenColor(const QColor& color) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenStyle(TPenStyle style) = 0;
  // Brush: the fill colour of FillRect and of the box behind a text.
  virtual void SetBrushColor(const QColor& color) = 0;

  // Font: family name, character set (238 = Central European; kept and
  // reported, the text itself is Unicode), size in points or height in
  // device pixels (the character cell height; the last one set counts),
  // style bits and colour.
  virtual void SetFontName(const QString& name) = 0;
  virtual void SetFontCharset(int charset) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetFontHeight(int pixels) = 0;
  virtual void SetFontStyle(unsigned style) = 0;
  virtual void SetFontColor(const QColor& color) = 0;

  virtual void MoveTo(int x, int y) = 0;
  // A line from the pen position to (x, y); the pen position becomes (x, y).
  // A one-pixel pen leaves the end point itself out (so a closed outline
  // sets each corner once); a wider pen has round ends and joins.
  virtual void LineTo(int x, int y) = 0;
  // Fills the pixels of `rect`, x .. x + width - 1 and y .. y + height - 1,
  // with the brush colour.
  virtual void FillRect(const QRect& rect) = 0;
  virtual void TextOut(int x, int y, const QString& text) = 0;
  virtual int TextWidth(const QString& text) = 0;
  virtual int TextHeight(const QString& text) = 0;
  // Draws `picture` scaled into `rect`.
  virtual void StretchDraw(const QRect& rect, const QImage& picture) = 0;

  // The surface's size in device pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
