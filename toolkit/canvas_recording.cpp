#include "canvas_recording.h"

#include <QFontMetrics>

namespace {

const char* KindName(TCanvasCall::TKind kind) {
  static const char* const names[] = {"PenColor", "PenWidth",   "PenStyle",  "BrushColor", "FontName",    "FontCharset",
                                      "FontSize", "FontHeight", "FontStyle", "FontColor",  "MoveTo",      "LineTo",
                                      "FillRect", "TextOut",    "TextWidth", "TextHeight", "StretchDraw", "NewPage"};
  return names[kind];
}

}  // namespace

QString TCanvasCall::ToString() const {
  QStringList parts;
  if (Color.isValid())
    parts << QString::number(Color.red()) << QString::number(Color.green()) << QString::number(Color.blue());
  for (const int a : Args) parts << QString::number(a);
  if (!Text.isNull()) parts << Text;
  return QStringLiteral("%1(%2)").arg(QLatin1String(KindName(Kind)), parts.join(QLatin1Char(',')));
}

TRecordingCanvas::TRecordingCanvas(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi) {}

void TRecordingCanvas::Record(TCanvasCall::TKind kind, std::vector<int> args, QColor color, QString text) {
  calls_.push_back(TCanvasCall{kind, std::move(args), color, std::move(text)});
}

QFontMetrics TRecordingCanvas::Metrics() const {
  return QFontMetrics(CanvasFont(Font(), dpi_));
}

void TRecordingCanvas::SetPenColor(const QColor& color) {
  TStateCanvas::SetPenColor(color);
  Record(TCanvasCall::PenColor, {}, color);
}

void TRecordingCanvas::SetPenWidth(int width) {
  TStateCanvas::SetPenWidth(width);
  Record(TCanvasCall::PenWidth, {width});
}

void TRecordingCanvas::SetPenStyle(TPenStyle style) {
  TStateCanvas::SetPenStyle(style);
  Record(TCanvasCall::PenStyle, {static_cast<int>(style)});
}

void TRecordingCanvas::SetBrushColor(const QColor& color) {
  TStateCanvas::SetBrushColor(color);
  Record(TCanvasCall::BrushColor, {}, color);
}

void TRecordingCanvas::SetFontName(const QString& name) {
  TStateCanvas::SetFontName(name);
  Record(TCanvasCall::FontName, {}, {}, name);
}

void TRecordingCanvas::SetFontCharset(int charset) {
  TStateCanvas::SetFontCharset(charset);
  Record(TCanvasCall::FontCharset, {charset});
}

void TRecordingCanvas::SetFontSize(int points) {
  TStateCanvas::SetFontSize(points);
  Record(TCanvasCall::FontSize, {points});
}

void TRecordingCanvas::SetFontHeight(int pixels) {
  TStateCanvas::SetFontHeight(pixels);
  Record(TCanvasCall::FontHeight, {pixels});
}

void TRecordingCanvas::SetFontStyle(unsigned style) {
  TStateCanvas::SetFontStyle(style);
  Record(TCanvasCall::FontStyle, {static_cast<int>(style)});
}

void TRecordingCanvas::SetFontColor(const QColor& color) {
  TStateCanvas::SetFontColor(color);
  Record(TCanvasCall::FontColor, {}, color);
}

void TRecordingCanvas::MoveTo(int x, int y) {
  TStateCanvas::MoveTo(x, y);
  Record(TCanvasCall::MoveTo, {x, y});
}

void TRecordingCanvas::LineTo(int x, int y) {
  lines_.push_back(TCanvasLine{PenPosition(), QPoint(x, y), Pen(), page_});
  SetPenPosition(QPoint(x, y));
  Record(TCanvasCall::LineTo, {x, y});
}

void TRecordingCanvas::FillRect(const QRect& rect) {
  fills_.push_back(TCanvasFill{rect, Brush(), page_});
  Record(TCanvasCall::FillRect, {rect.x(), rect.y(), rect.width(), rect.height()});
}

void TRecordingCanvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics metrics = Metrics();
  texts_.push_back(
      TCanvasText{QPoint(x, y), text, Font(), Brush(), metrics.horizontalAdvance(text), metrics.height(), page_});
  Record(TCanvasCall::TextOut, {x, y}, {}, text);
}

int TRecordingCanvas::TextWidth(const QString& text) {
  Record(TCanvasCall::TextWidth, {}, {}, text);
  return Metrics().horizontalAdvance(text);
}

int TRecordingCanvas::TextHeight(const QString& text) {
  Record(TCanvasCall::TextHeight, {}, {}, text);
  return Metrics().height();
}

void TRecordingCanvas::StretchDraw(const QRect& rect, const QImage& picture) {
  pictures_.push_back(TCanvasPicture{rect, picture.size(), page_});
  Record(TCanvasCall::StretchDraw, {rect.x(), rect.y(), rect.width(), rect.height()});
}

void TRecordingCanvas::NewPage() {
  ++page_;
  Record(TCanvasCall::NewPage, {});
}

void TRecordingCanvas::ClearRecord() {
  calls_.clear();
  lines_.clear();
  texts_.clear();
  fills_.clear();
  pictures_.clear();
}

QStringList TRecordingCanvas::Log() const {
  QStringList log;
  for (const TCanvasCall& call : calls_) log << call.ToString();
  return log;
}
