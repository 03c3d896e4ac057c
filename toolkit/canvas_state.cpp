#include "canvas_state.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>
#include <map>
#include <tuple>

namespace {

QFont FontOfEmHeight(const TCanvasFontState& state, int pixels) {
  QFont font(state.Name);
  font.setPixelSize(std::max(1, pixels));
  font.setBold(state.Style & fsBold);
  font.setItalic(state.Style & fsItalic);
  font.setUnderline(state.Style & fsUnderline);
  return font;
}

// The em height whose cell height comes closest to `cell` without passing it.
int EmHeightForCell(const TCanvasFontState& state, int cell) {
  using Key = std::tuple<QString, unsigned, int>;
  static std::map<Key, int> known;
  const Key key{state.Name, state.Style & (fsBold | fsItalic), cell};
  if (const auto found = known.find(key); found != known.end()) return found->second;

  constexpr int reference = 1000;
  const double ratio = QFontMetricsF(FontOfEmHeight(state, reference)).height() / reference;
  int em = std::max(1, static_cast<int>(std::lround(cell / (ratio > 0 ? ratio : 1))));
  const auto cellOf = [&](int pixels) { return QFontMetrics(FontOfEmHeight(state, pixels)).height(); };
  while (em > 1 && cellOf(em) > cell) --em;
  while (cellOf(em + 1) <= cell) ++em;
  known.emplace(key, em);
  return em;
}

}  // namespace

QFont CanvasFont(const TCanvasFontState& state, int dpi) {
  if (state.Height > 0) return FontOfEmHeight(state, EmHeightForCell(state, state.Height));
  // Points to pixels as the platform's MulDiv does it: halves away from zero.
  const int pixels = static_cast<int>(std::lround(static_cast<double>(state.Size) * dpi / 72));
  return FontOfEmHeight(state, pixels);
}

void TStateCanvas::SetPenColor(const QColor& color) {
  pen_.Color = color;
  penChanged_ = true;
}

void TStateCanvas::SetPenWidth(int width) {
  pen_.Width = width;
  penChanged_ = true;
}

void TStateCanvas::SetPenStyle(TPenStyle style) {
  pen_.Style = style;
  penChanged_ = true;
}

void TStateCanvas::SetFontName(const QString& name) {
  font_.Name = name;
  fontChanged_ = true;
}

void TStateCanvas::SetFontSize(int points) {
  font_.Size = points;
  font_.Height = 0;
  fontChanged_ = true;
}

void TStateCanvas::SetFontHeight(int pixels) {
  font_.Height = pixels;
  font_.Size = 0;
  fontChanged_ = true;
}

void TStateCanvas::SetFontStyle(unsigned style) {
  font_.Style = style;
  fontChanged_ = true;
}
