#include "chart.h"

#include <QLocale>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int OuterRadius = 200;  // the screen chart's outer hexagon
const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor RingGrey(128, 128, 128);
const QColor GridGrey(170, 170, 170);
const QColor TickGrey(119, 119, 119);
const QColor BandGrey(102, 102, 102);

void Line(TCanvas& canvas, QPoint from, QPoint to) {
  canvas.MoveTo(from.x(), from.y());
  canvas.LineTo(to.x(), to.y());
}

void DrawHexagon(TCanvas& canvas, int cx, int cy, int top, const double (&scores)[ScaleCount], bool band,
                 const long double (&lo)[ScaleCount], const long double (&hi)[ScaleCount]) {
  canvas.SetPenWidth(1);
  canvas.SetPenColor(RingGrey);
  for (int k = 0; k < 3; ++k)
    Line(canvas, HexagonPoint(cx, cy, k + 3, OuterRadius), HexagonPoint(cx, cy, k, OuterRadius));
  for (int k = 1; k <= top / 10; ++k) DrawHexagonRing(canvas, cx, cy, ValueRadius(10 * k, OuterRadius, top));

  canvas.SetFontColor(RingGrey);
  canvas.SetFontSize(6);
  canvas.SetFontStyle(fsNone);
  for (int k = 1; k <= top / 10; ++k) {
    const QString text = QString::number(10 * k);
    int dx, dy, unused;
    HexagonVertex(1, ValueRadius(10 * k - 5, OuterRadius, top), dx, unused);
    HexagonVertex(1, ValueRadius(10 * k - 1, OuterRadius, top), unused, dy);
    canvas.TextOut(cx + dx - canvas.TextWidth(text) / 2, cy + dy, text);
  }

  canvas.SetFontColor(Red);
  canvas.SetFontSize(9);
  canvas.SetFontStyle(fsBold);
  for (int s = 0; s < ScaleCount; ++s) {
    const QPoint at = HexagonPoint(cx, cy, s, 213.5);
    canvas.TextOut(at.x() - canvas.TextWidth(ScaleLetter(s)) / 2, at.y() - canvas.TextHeight(ScaleLetter(s)) / 2,
                   ScaleLetter(s));
  }

  long double values[ScaleCount];
  std::copy(std::begin(scores), std::end(scores), values);
  canvas.SetPenWidth(2);
  canvas.SetPenColor(Black);
  DrawValuePolygon(canvas, cx, cy, values, OuterRadius, top);
  if (!band) return;
  canvas.SetPenWidth(2);
  canvas.SetPenColor(BandGrey);
  DrawValuePolygon(canvas, cx, cy, lo, OuterRadius, top);
  DrawValuePolygon(canvas, cx, cy, hi, OuterRadius, top);
}

void DrawProfile(TCanvas& canvas, int cx, int cy, int bottom, int top, const double (&scores)[ScaleCount], bool band,
                 const long double (&lo)[ScaleCount], const long double (&hi)[ScaleCount]) {
  const int start = cx - 182;
  const auto x = [&](long double v) { return start + AxisOffset(v, bottom, top, 360); };
  const auto row = [&](int s) { return cy - ProfileRowOffset(s, OuterRadius); };
  const auto base = [&](int s) { return row(s) + 4; };

  canvas.SetFontColor(Red);
  canvas.SetFontSize(9);
  canvas.SetFontStyle(fsBold);
  canvas.SetPenWidth(1);
  canvas.SetPenColor(GridGrey);
  for (int s = 0; s < ScaleCount; ++s) {
    canvas.TextOut(cx - 200, row(s), ScaleLetter(s));
    Line(canvas, QPoint(start, base(s)), QPoint(cx + 178, base(s)));
  }

  canvas.SetFontColor(TickGrey);
  canvas.SetPenColor(TickGrey);
  canvas.SetPenWidth(1);
  for (int k = bottom / 10; k <= top / 10; ++k) {
    const QString text = QString::number(10 * k);
    canvas.TextOut(x(10 * k) - canvas.TextWidth(text) / 2, cy - 185, text);
    Line(canvas, QPoint(x(10 * k), cy - 172), QPoint(x(10 * k), cy + 180));
  }

  canvas.SetPenWidth(2);
  canvas.SetPenColor(Black);
  canvas.MoveTo(x(scores[0]), base(0));
  for (int s = 1; s < ScaleCount; ++s) canvas.LineTo(x(scores[s]), base(s));

  if (!band) return;
  canvas.SetPenColor(BandGrey);
  canvas.SetPenWidth(2);
  for (int s = 0; s < ScaleCount; ++s) {
    Line(canvas, QPoint(x(lo[s]), row(s)), QPoint(x(lo[s]), row(s) + 9));
    Line(canvas, QPoint(x(lo[s]), base(s)), QPoint(x(hi[s]), base(s)));
    Line(canvas, QPoint(x(hi[s]), row(s)), QPoint(x(hi[s]), row(s) + 9));
  }
}

QString SummarySuffix(TScoreKind kind) {
  switch (kind) {
    case skPercentile:
      return QStringLiteral("(percentil): ");
    case skTScore:
      return QStringLiteral("(T-skór [M=50, S=10]): ");
    default:
      return QStringLiteral("(Z-skór [M=100, S=10]): ");
  }
}

// The sheet's scores in `kind` with the norms of `sex`; a sex without norms
// gives zeros, as raw scores without norms do.
void Convert(TScoreSheet& sheet, TSex sex, TScoreKind kind) {
  if (sex <= sxFemale) {
    ConvertScores(sheet, Norms[sex], kind);
    return;
  }
  std::fill(std::begin(sheet.Scores), std::end(sheet.Scores), 0.0);
  sheet.ScaleRange = 0;
  sheet.ScaleSpread = 0;
}

}  // namespace

int RoundHalfEven(long double value) {
  const long double rounded = std::nearbyintl(value);  // the default rounding mode: halves to even
  if (!(rounded > INT_MIN)) return INT_MIN;
  if (!(rounded < INT_MAX)) return INT_MAX;
  return static_cast<int>(rounded);
}

void HexagonVertex(int K, double Radius, int& DX, int& DY) {
  const int half = RoundHalfEven(0.5L * Radius);
  const int full = RoundHalfEven(Radius);
  const int slant = RoundHalfEven(static_cast<long double>(Radius) * 866 / 1000);
  const int dx[ScaleCount] = {-half, half, full, half, -half, -full};
  const int dy[ScaleCount] = {-slant, -slant, 0, slant, slant, 0};
  const int k = (K % ScaleCount + ScaleCount) % ScaleCount;  // callers pass 0..5; nothing is read outside
  DX = dx[k];
  DY = dy[k];
}

QPoint HexagonPoint(int CX, int CY, int K, double Radius) {
  int dx, dy;
  HexagonVertex(K, Radius, dx, dy);
  return QPoint(CX + dx, CY + dy);
}

QString ScaleLetter(int K) {
  return QString(QLatin1Char(ScaleLetters[K]));
}

void DrawHexagonRing(TCanvas& Canvas, int CX, int CY, double Radius) {
  const QPoint start = HexagonPoint(CX, CY, 5, Radius);
  Canvas.MoveTo(start.x(), start.y());
  for (int k = 0; k < ScaleCount; ++k) {
    const QPoint to = HexagonPoint(CX, CY, k, Radius);
    Canvas.LineTo(to.x(), to.y());
  }
}

double ValueRadius(long double Value, int Radius, int Top) {
  return static_cast<double>(Value * Radius / Top);
}

void DrawValuePolygon(TCanvas& Canvas, int CX, int CY, const long double (&Values)[ScaleCount], int Radius, int Top) {
  const QPoint start = HexagonPoint(CX, CY, 5, ValueRadius(Values[5], Radius, Top));
  Canvas.MoveTo(start.x(), start.y());
  for (int s = 0; s < ScaleCount; ++s) {
    const QPoint to = HexagonPoint(CX, CY, s, ValueRadius(Values[s], Radius, Top));
    Canvas.LineTo(to.x(), to.y());
  }
}

void ChartAxis(const double (&Scores)[ScaleCount], TScoreKind Kind, int& L, int& H) {
  // The result of raising H (lowering L) in steps of 10 over every score in
  // turn depends only on the highest (lowest) score; the first step count is
  // worked out, then the exact comparisons decide. Scores are bounded to a
  // range far wider than any norm gives.
  constexpr long double bound = 1e6L;
  long double high = -bound, low = bound;
  for (const double score : Scores) {
    if (std::isnan(score)) continue;
    high = std::max(high, std::min<long double>(score, bound));
    low = std::min(low, std::max<long double>(score, -bound));
  }
  H = -1000;
  if (H + 0.01L < high) {
    H += 10 * std::max(0, static_cast<int>(std::floor((high + 1000) / 10)) - 1);
    while (H + 0.01L < high) H += 10;
  }
  L = 1000;
  if (L - 0.01L > low) {
    L -= 10 * std::max(0, static_cast<int>(std::floor((1000 - low) / 10)) - 1);
    while (L - 0.01L > low) L -= 10;
  }

  const int widening = Kind == skPercentile ? 30 : 10;
  L -= widening;
  H += widening;
  if (L < 0) L = 0;
  if (Kind == skPercentile && H > 100) H = 100;
  if (H < L + 10) H = L + 10;
}

bool ChartBands(const double (&Scores)[ScaleCount], TScoreKind Kind, long double (&Lo)[ScaleCount],
                long double (&Hi)[ScaleCount]) {
  if (Kind > skZScore) return false;
  const auto clip = [Kind](long double v) {
    if (v < 0) return 0.0L;
    if (Kind == skPercentile && v > 100) return 100.0L;
    return v;
  };
  for (int s = 0; s < ScaleCount; ++s) {
    const long double b = ScoreBands[Kind][s];
    Lo[s] = clip(Scores[s] - b);
    Hi[s] = clip(Scores[s] + b);
  }
  return true;
}

int AxisOffset(long double Value, int L, int H, int Span) {
  return RoundHalfEven((Value - L) * Span / (H - L));
}

int ProfileRowOffset(int Scale, int Radius) {
  return RoundHalfEven((2.5L - Scale) * 2 * Radius / 6);
}

void DrawScoreChart(TCanvas& Canvas, const double (&Scores)[ScaleCount], double ScaleRange, double ScaleSpread,
                    TScoreKind Kind, bool Hexagon) {
  const int cx = Canvas.Width() / 2, cy = Canvas.Height() / 2;
  Canvas.SetBrushColor(White);
  Canvas.SetPenColor(White);
  Canvas.FillRect(QRect(0, 0, Canvas.Width(), Canvas.Height()));
  Canvas.SetFontName(QStringLiteral("Arial"));
  Canvas.SetFontCharset(238);

  int bottom, top;
  ChartAxis(Scores, Kind, bottom, top);
  long double lo[ScaleCount] = {}, hi[ScaleCount] = {};
  const bool band = ChartBands(Scores, Kind, lo, hi);
  if (Hexagon)
    DrawHexagon(Canvas, cx, cy, top, Scores, band, lo, hi);
  else
    DrawProfile(Canvas, cx, cy, bottom, top, Scores, band, lo, hi);

  // The charts leave the font at 9 points, bold.
  Canvas.SetFontColor(Black);
  const QString spread = QStringLiteral("Normovaná standardní odchylka ") + SummarySuffix(Kind) +
                         QString::number(RoundHalfEven(ScaleSpread));
  Canvas.TextOut(cx - Canvas.TextWidth(spread) / 2, cy + 200, spread);
  const QString range =
      QStringLiteral("Normované rozpětí škál ") + SummarySuffix(Kind) + QString::number(RoundHalfEven(ScaleRange));
  Canvas.TextOut(cx - Canvas.TextWidth(range) / 2, cy + 222, range);
}

void DrawScoreView(TCanvas& Canvas, TResultRecord& Record, TScoreKind ScoreKind, bool Hexagon, TPrintFields& Print,
                   QString (&LabelCaptions)[ScaleCount]) {
  TScoreSheet& sheet = Record.ScoreSheet;
  Convert(sheet, Record.Sex, ScoreKind == skRawScore ? skZScore : ScoreKind);
  std::copy(std::begin(sheet.Scores), std::end(sheet.Scores), Print.Scores);
  Print.ScaleRange = sheet.ScaleRange;
  Print.ScaleSpread = sheet.ScaleSpread;

  Convert(sheet, Record.Sex, ScoreKind);
  DrawScoreChart(Canvas, sheet.Scores, sheet.ScaleRange, sheet.ScaleSpread, ScoreKind, Hexagon);

  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  for (int s = 0; s < ScaleCount; ++s) LabelCaptions[s] = locale.toString(sheet.Scores[s], 'g', 15);
}
