#include "report_chart.h"

#include <QPoint>

#include "chart.h"

namespace {

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor BandGrey(192, 192, 192);
const QColor TickGrey(119, 119, 119);
constexpr int ThickPen = 20;

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

void Pen(TCanvas& canvas, const QColor& color, int width) {
  canvas.SetPenColor(color);
  canvas.SetPenWidth(width);
}

void Font(TCanvas& canvas, const QColor& color, int height, unsigned style) {
  canvas.SetFontColor(color);
  canvas.SetFontHeight(height);
  canvas.SetFontStyle(style);
}

// The geometry of one chart on the page.
struct TChartFrame {
  int rad, u, cx, cy, bottom, top;
  bool band;
  long double lo[ScaleCount], hi[ScaleCount];
};

void DrawHexagon(TCanvas& canvas, const TChartFrame& f, const double (&scores)[ScaleCount]) {
  Pen(canvas, Black, 1);
  for (int k = 0; k < 3; ++k) {
    const QPoint from = HexagonPoint(f.cx, f.cy, k + 3, f.rad), to = HexagonPoint(f.cx, f.cy, k, f.rad);
    Line(canvas, from.x(), from.y(), to.x(), to.y());
  }
  const int rings = f.top / 10;
  for (int d = 1; d <= rings; ++d) DrawHexagonRing(canvas, f.cx, f.cy, ValueRadius(10 * d, f.rad, f.top));

  // The ring labels rise from the centre toward the I corner, each just below its ring's top edge.
  Font(canvas, Black, 3 * f.u / 4, fsNone);
  for (int d = 1; d <= rings; ++d) {
    const QString text = QString::number(10 * d);
    const QPoint across = HexagonPoint(f.cx, f.cy, 1, ValueRadius(10 * d - 5, f.rad, f.top));
    const QPoint down = HexagonPoint(f.cx, f.cy, 1, ValueRadius(10 * d - 1, f.rad, f.top));
    canvas.TextOut(across.x() - canvas.TextWidth(text) / 2, down.y(), text);
  }

  Font(canvas, Black, 5 * f.u / 3, fsBold);
  for (int s = 0; s < ScaleCount; ++s) {
    const QPoint at = HexagonPoint(f.cx, f.cy, s, 1.5 * f.u + f.rad);
    canvas.TextOut(at.x() - canvas.TextWidth(ScaleLetter(s)) / 2, at.y() - canvas.TextHeight(ScaleLetter(s)) / 2,
                   ScaleLetter(s));
  }

  long double values[ScaleCount];
  std::copy(std::begin(scores), std::end(scores), values);
  Pen(canvas, Black, ThickPen);
  DrawValuePolygon(canvas, f.cx, f.cy, values, f.rad, f.top);
  if (!f.band) return;
  Pen(canvas, BandGrey, ThickPen);
  DrawValuePolygon(canvas, f.cx, f.cy, f.lo, f.rad, f.top);
  DrawValuePolygon(canvas, f.cx, f.cy, f.hi, f.rad, f.top);
}

void DrawProfile(TCanvas& canvas, const TChartFrame& f, const double (&scores)[ScaleCount]) {
  const auto x = [&](long double v) { return AxisOffset(v, f.bottom, f.top, 2 * f.rad) + 2 * f.u + f.cx - f.rad; };
  const auto row = [&](int s) { return f.cy - ProfileRowOffset(s, f.rad); };
  const auto base = [&](int s) { return row(s) + f.u / 2; };

  Font(canvas, Black, f.u, fsBold);
  Pen(canvas, Black, 1);
  for (int s = 0; s < ScaleCount; ++s) {
    canvas.TextOut(f.cx - f.rad, row(s), ScaleLetter(s));
    Line(canvas, f.cx - f.rad + 2 * f.u, base(s), f.cx + f.rad + 2 * f.u, base(s));
  }

  // Tick lines reach from a unit above the top row's base line to a unit below the bottom row's.
  canvas.SetFontColor(TickGrey);
  const int reach = RoundHalfEven(5.0L * f.rad / 6);
  for (int k = f.bottom / 10; k <= f.top / 10; ++k) {
    const QString text = QString::number(10 * k);
    const int at = x(10 * k);
    canvas.TextOut(at - canvas.TextWidth(text) / 2, f.cy - reach - 2 * f.u, text);
    Line(canvas, at, f.cy - reach + f.u / 2 - f.u, at, f.cy + reach + f.u / 2 + f.u);
  }

  Pen(canvas, Black, ThickPen);
  canvas.MoveTo(x(scores[0]), base(0));
  for (int s = 1; s < ScaleCount; ++s) canvas.LineTo(x(scores[s]), base(s));

  if (!f.band) return;
  Pen(canvas, BandGrey, ThickPen);
  for (int s = 0; s < ScaleCount; ++s) {
    Line(canvas, x(f.lo[s]), row(s), x(f.lo[s]), row(s) + f.u);
    Line(canvas, x(f.lo[s]), base(s), x(f.hi[s]), base(s));
    Line(canvas, x(f.hi[s]), row(s), x(f.hi[s]), row(s) + f.u);
  }
}

}  // namespace

TScoreKind ReportScoreKind(const TPrintFields& fields) {
  return fields.ScoreKind >= skZScore ? skZScore : static_cast<TScoreKind>(fields.ScoreKind);
}

void DrawReportChart(TCanvas& canvas, int top, int pageWidth, int pageHeight, const TPrintFields& fields) {
  TChartFrame f{};
  f.rad = RoundHalfEven(0.22L * pageWidth);
  f.u = pageHeight / 80;
  f.cx = pageWidth / 2;
  f.cy = top + RoundHalfEven(1.25L * f.rad);

  canvas.SetBrushColor(White);
  canvas.SetPenColor(White);
  canvas.FillRect(QRect(0, top, pageWidth, RoundHalfEven(2.1L * f.rad + 2 * f.u)));

  const TScoreKind kind = ReportScoreKind(fields);
  ChartAxis(fields.Scores, kind, f.bottom, f.top);
  f.band = ChartBands(fields.Scores, kind, f.lo, f.hi);
  if (fields.ShowHexagon)
    DrawHexagon(canvas, f, fields.Scores);
  else
    DrawProfile(canvas, f, fields.Scores);
}
