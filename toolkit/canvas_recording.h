#pragma once
// The canvas that draws nothing and keeps every call, for tests that check
// what a drawing routine does, coordinate by coordinate.
//
// Calls() is the full log, in order, including the measuring calls. The views
// Lines(), Texts(), Fills() and Pictures() give each drawn element with the
// pen, brush or font in effect when it was drawn, and the page it is on
// (NewPage() starts the next page, as a printer job would).
//
// Texts are measured with QFontMetrics on the font that the painting canvas
// would use on a surface of the given resolution (96 dpi unless told), so the
// measures are those of the installed fonts ("Arial" is served by fontconfig,
// Liberation Sans on a Debian system) and are the same on every run.
#include <QStringList>
#include <vector>

#include "canvas_state.h"

struct TCanvasCall {
  enum TKind {
    PenColor,
    PenWidth,
    PenStyle,
    BrushColor,
    FontName,
    FontCharset,
    FontSize,
    FontHeight,
    FontStyle,
    FontColor,
    MoveTo,
    LineTo,
    FillRect,
    TextOut,
    TextWidth,
    TextHeight,
    StretchDraw,
    NewPage,
  };
  TKind Kind;
  std::vector<int> Args;  // coordinates, a width, a size, style bits, a rectangle as x, y, width, height
  QColor Color;           // the colour calls
  QString Text;           // a font name or a text
  // "LineTo(120,71)", "PenColor(128,128,128)", "TextOut(20,77,R)", ...
  QString ToString() const;
};

struct TCanvasLine {
  QPoint From, To;
  TCanvasPenState Pen;
  int Page;
};

struct TCanvasText {
  QPoint At;
  QString Text;
  TCanvasFontState Font;
  QColor Brush;
  int Width, Height;  // as measured
  int Page;
};

struct TCanvasFill {
  QRect Rect;
  QColor Color;
  int Page;
};

struct TCanvasPicture {
  QRect Rect;
  QSize PictureSize;
  int Page;
};

class TRecordingCanvas : public TStateCanvas {
 public:
  TRecordingCanvas(int width, int height, int dpi = 96);

  void SetPenColor(const QColor& color) override;
  void SetPenWidth(int width) override;
  void SetPenStyle(TPenStyle style) override;
  void SetBrushColor(const QColor& color) override;
  void SetFontName(const QString& name) override;
  void SetFontCharset(int charset) override;
  void SetFontSize(int points) override;
  void SetFontHeight(int pixels) override;
  void SetFontStyle(unsigned style) override;
  void SetFontColor(const QColor& color) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void FillRect(const QRect& rect) override;
  void TextOut(int x, int y, const QString& text) override;
  int TextWidth(const QString& text) override;
  int TextHeight(const QString& text) override;
  void StretchDraw(const QRect& rect, const QImage& picture) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void NewPage();
  int Page() const { return page_; }  // 0 for the first page
  // Forgets everything recorded; the state (pen, font, ...) stays.
  void ClearRecord();

  const std::vector<TCanvasCall>& Calls() const { return calls_; }
  QStringList Log() const;  // Calls() as text
  const std::vector<TCanvasLine>& Lines() const { return lines_; }
  const std::vector<TCanvasText>& Texts() const { return texts_; }
  const std::vector<TCanvasFill>& Fills() const { return fills_; }
  const std::vector<TCanvasPicture>& Pictures() const { return pictures_; }

 private:
  void Record(TCanvasCall::TKind kind, std::vector<int> args, QColor color = {}, QString text = {});
  QFontMetrics Metrics() const;

  int width_, height_, dpi_;
  int page_ = 0;
  std::vector<TCanvasCall> calls_;
  std::vector<TCanvasLine> lines_;
  std::vector<TCanvasText> texts_;
  std::vector<TCanvasFill> fills_;
  std::vector<TCanvasPicture> pictures_;
};
