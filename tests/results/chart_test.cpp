#include "chart.h"

#include <gtest/gtest.h>

#include <vector>

#include "canvas_recording.h"

namespace {

using TPoints = std::vector<QPoint>;

struct ChartTest : testing::Test {
  static void SetUpTestSuite() {
    InitFrameworkTables();
    InitNorms();
  }
};

QPoint VertexAt(int k, double radius) {
  int dx, dy;
  HexagonVertex(k, radius, dx, dy);
  return QPoint(dx, dy);
}

// The lines drawn with the given pen colour (and width, when given), as the
// points they join: each line's start, then its end.
std::vector<TCanvasLine> LinesOf(const TRecordingCanvas& canvas, QColor colour, int width = 0) {
  std::vector<TCanvasLine> lines;
  for (const TCanvasLine& line : canvas.Lines())
    if (line.Pen.Color == colour && (width == 0 || line.Pen.Width == width)) lines.push_back(line);
  return lines;
}

TPoints Ends(const std::vector<TCanvasLine>& lines, std::size_t from, std::size_t count) {
  TPoints points{lines.at(from).From};
  for (std::size_t i = from; i < from + count; ++i) points.push_back(lines.at(i).To);
  return points;
}

const TCanvasText* TextOf(const TRecordingCanvas& canvas, const QString& text) {
  for (const TCanvasText& t : canvas.Texts())
    if (t.Text == text) return &t;
  return nullptr;
}

const TPoints OuterHexagon{{20, 244}, {120, 71}, {320, 71}, {420, 244}, {320, 417}, {120, 417}, {20, 244}};

}  // namespace

TEST_F(ChartTest, VertexAxisAndBandRules) {
  // Corners at radius 200, and halves going to the even neighbour, 0.866 taken exactly.
  const TPoints corners{{-100, -173}, {100, -173}, {200, 0}, {100, 173}, {-100, 173}, {-200, 0}};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(VertexAt(k, 200), corners[k]) << k;
  EXPECT_EQ(VertexAt(0, 25), QPoint(-12, -22));    // 12.5 and 21.65
  EXPECT_EQ(VertexAt(3, 750), QPoint(375, 650));   // 649.5
  EXPECT_EQ(VertexAt(1, 250), QPoint(125, -216));  // 216.5
  EXPECT_EQ(VertexAt(4, 23), QPoint(-12, 20));     // 11.5 negated, 19.918
  EXPECT_EQ(VertexAt(2, 213.5), QPoint(214, 0));
  EXPECT_EQ(VertexAt(5, 22.5), QPoint(-22, 0));

  struct Case {
    std::array<double, 6> scores;
    TScoreKind kind;
    int l, h;
  };
  const Case cases[] = {
      {{100, 100, 100, 100, 100, 100}, skPercentile, 70, 100},  // 130 cut to 100
      {{0, 0, 0, 0, 0, 0}, skPercentile, 0, 30},
      {{37, 45, 50, 52, 61, 68}, skTScore, 20, 80},
      {{42, 50, 58, 44, 51, 49}, skPercentile, 10, 90},
      {{60, 55, 41, 50, 50, 50}, skTScore, 30, 70},     // 60 is its own top, 41 opens 40
      {{60.02, 55, 40, 50, 50, 50}, skTScore, 30, 80},  // 40 is its own bottom
      {{95, 12, 50, 50, 50, 50}, skPercentile, 0, 100},
      {{104, 117, 96, 100, 88, 111}, skZScore, 70, 130},
      {{12, 47, 33, 25, 50, 10}, skRawScore, 0, 60},
      {{-40, -40, -40, -40, -40, -40}, skTScore, 0, 10},  // no norm gives this: kept drawable
  };
  for (const Case& c : cases) {
    double scores[6];
    std::copy(c.scores.begin(), c.scores.end(), scores);
    int l, h;
    ChartAxis(scores, c.kind, l, h);
    EXPECT_EQ(l, c.l) << c.scores[0] << " kind " << int(c.kind);
    EXPECT_EQ(h, c.h) << c.scores[0] << " kind " << int(c.kind);
  }

  const int screenRows[6] = {167, 100, 33, -33, -100, -167};
  const int pageRows[6] = {909, 546, 182, -182, -546, -909};  // 545.5 gives 546
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(ProfileRowOffset(s, 200), screenRows[s]);
    EXPECT_EQ(ProfileRowOffset(s, 1091), pageRows[s]);
  }
  EXPECT_EQ(AxisOffset(20, 20, 80, 360), 0);
  EXPECT_EQ(AxisOffset(80, 20, 80, 360), 360);
  EXPECT_EQ(AxisOffset(37, 20, 80, 360), 102);

  // Bands: ends cut to 0, percentile ends to 100; none for raw scores.
  const double percentiles[6] = {1, 99, 50, 50, 50, 50};
  long double lo[6], hi[6];
  ASSERT_TRUE(ChartBands(percentiles, skPercentile, lo, hi));
  EXPECT_EQ(lo[0], 0.0L);
  EXPECT_EQ(hi[1], 100.0L);
  EXPECT_EQ(lo[2], 50 - static_cast<long double>(ScoreBands[skPercentile][2]));
  const double t[6] = {37, 45, 50, 52, 61, 68};
  ASSERT_TRUE(ChartBands(t, skTScore, lo, hi));
  EXPECT_EQ(hi[5], 68 + static_cast<long double>(ScoreBands[skTScore][5]));
  lo[0] = hi[0] = -7;
  EXPECT_FALSE(ChartBands(t, skRawScore, lo, hi));
  EXPECT_EQ(lo[0], -7.0L);
  EXPECT_EQ(hi[0], -7.0L);
}

TEST_F(ChartTest, HexagonCoordinates) {
  const QColor ring(128, 128, 128), band(102, 102, 102), black(0, 0, 0);
  TRecordingCanvas canvas(441, 489);
  const double full[6] = {100, 100, 100, 100, 100, 100};
  DrawScoreChart(canvas, full, 61.4, 48.5, skPercentile, true);

  ASSERT_FALSE(canvas.Fills().empty());
  EXPECT_EQ(canvas.Fills()[0].Rect, QRect(0, 0, 441, 489));
  EXPECT_EQ(canvas.Fills()[0].Color, QColor(255, 255, 255));

  // Three diagonals, then ten rings, the last one the outer hexagon.
  const auto rings = LinesOf(canvas, ring, 1);
  ASSERT_EQ(rings.size(), 3u + 10 * 6);
  EXPECT_EQ(Ends(rings, 0, 1), (TPoints{{320, 417}, {120, 71}}));
  EXPECT_EQ(Ends(rings, 2, 1), (TPoints{{20, 244}, {420, 244}}));
  EXPECT_EQ(Ends(rings, 3, 6),
            (TPoints{{200, 244}, {210, 227}, {230, 227}, {240, 244}, {230, 261}, {210, 261}, {200, 244}}));
  EXPECT_EQ(Ends(rings, 57, 6), OuterHexagon);

  // The score polygon on the outer hexagon; the upper band cut to 100 lies there too.
  const auto score = LinesOf(canvas, black, 2);
  ASSERT_EQ(score.size(), 6u);
  EXPECT_EQ(Ends(score, 0, 6), OuterHexagon);
  const auto bands = LinesOf(canvas, band, 2);
  ASSERT_EQ(bands.size(), 12u);
  EXPECT_EQ(Ends(bands, 6, 6), OuterHexagon);

  // Ring labels up the I corner; letters centred on the corners at 213.5; the summary lines.
  const TCanvasText* label = TextOf(canvas, "100");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->At, QPoint(220 + 95 - label->Width / 2, 244 - 171));  // radius 190 and 198
  EXPECT_EQ(label->Font.Size, 6);
  EXPECT_EQ(label->Font.Color, ring);
  const TCanvasText* r = TextOf(canvas, "R");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->At, QPoint(113 - r->Width / 2, 59 - r->Height / 2));
  EXPECT_EQ(r->Font.Color, QColor(255, 0, 0));
  EXPECT_EQ(r->Font.Style, fsBold);
  EXPECT_EQ(r->Font.Name, "Arial");
  EXPECT_EQ(r->Font.Charset, 238);
  const TCanvasText* spread = TextOf(canvas, "Normovaná standardní odchylka (percentil): 48");
  const TCanvasText* range = TextOf(canvas, "Normované rozpětí škál (percentil): 61");
  ASSERT_TRUE(spread && range);
  EXPECT_EQ(spread->At, QPoint(220 - spread->Width / 2, 444));
  EXPECT_EQ(range->At, QPoint(220 - range->Width / 2, 466));
  EXPECT_EQ(range->Font.Color, black);
  EXPECT_EQ(range->Font.Size, 9);

  // Percentiles of 0: three rings, the polygon collapsed on the centre.
  TRecordingCanvas empty(441, 489);
  const double none[6] = {};
  DrawScoreChart(empty, none, 0, 0, skPercentile, true);
  EXPECT_EQ(LinesOf(empty, ring, 1).size(), 3u + 3 * 6);
  for (const TCanvasLine& line : LinesOf(empty, black, 2)) EXPECT_EQ(line.To, QPoint(220, 244));
}

TEST_F(ChartTest, ProfileCoordinates) {
  const QColor tick(119, 119, 119), band(102, 102, 102), black(0, 0, 0);
  TRecordingCanvas canvas(441, 489);
  const double t[6] = {37, 45, 50, 52, 61, 68};
  DrawScoreChart(canvas, t, 57, 44, skTScore, false);

  const int tops[6] = {77, 144, 211, 277, 344, 411};
  const auto grid = LinesOf(canvas, QColor(170, 170, 170), 1);
  ASSERT_EQ(grid.size(), 6u);
  for (int s = 0; s < 6; ++s) {
    const TCanvasText* letter = TextOf(canvas, QString(QLatin1Char("RIASEC"[s])));
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(letter->At, QPoint(20, tops[s]));
    EXPECT_EQ(grid[s].From, QPoint(38, tops[s] + 4));
    EXPECT_EQ(grid[s].To, QPoint(398, tops[s] + 4));
  }

  // Ticks 20 .. 80, 60 pixels apart, labels centred with their tops at 59.
  const auto ticks = LinesOf(canvas, tick, 1);
  ASSERT_EQ(ticks.size(), 7u);
  for (int k = 0; k < 7; ++k) {
    const int x = 38 + 60 * k;
    EXPECT_EQ(Ends(ticks, k, 1), (TPoints{{x, 72}, {x, 424}}));
    const TCanvasText* label = TextOf(canvas, QString::number(20 + 10 * k));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->At, QPoint(x - label->Width / 2, 59));
    EXPECT_EQ(label->Font.Color, tick);
  }

  // The score line, and three strokes per band.
  const auto x = [](long double v) { return 38 + AxisOffset(v, 20, 80, 360); };
  const auto score = LinesOf(canvas, black, 2);
  ASSERT_EQ(score.size(), 5u);
  TPoints expected;
  for (int s = 0; s < 6; ++s) expected.push_back(QPoint(x(t[s]), tops[s] + 4));
  EXPECT_EQ(Ends(score, 0, 5), expected);
  EXPECT_EQ(expected[0], QPoint(140, 81));
  const auto bands = LinesOf(canvas, band, 2);
  ASSERT_EQ(bands.size(), 18u);
  const long double b = ScoreBands[skTScore][scA];
  EXPECT_EQ(Ends(bands, 6, 1), (TPoints{{x(50 - b), 211}, {x(50 - b), 220}}));
  EXPECT_EQ(Ends(bands, 7, 1), (TPoints{{x(50 - b), 215}, {x(50 + b), 215}}));
  EXPECT_EQ(Ends(bands, 8, 1), (TPoints{{x(50 + b), 211}, {x(50 + b), 220}}));
  EXPECT_NE(TextOf(canvas, "Normovaná standardní odchylka (T-skór [M=50, S=10]): 44"), nullptr);
  EXPECT_NE(TextOf(canvas, "Normované rozpětí škál (T-skór [M=50, S=10]): 57"), nullptr);

  // A low percentile's band starts at the axis start, 0.
  TRecordingCanvas low(441, 489);
  const double p[6] = {1, 50, 50, 50, 50, 50};
  DrawScoreChart(low, p, 50, 50, skPercentile, false);
  EXPECT_EQ(LinesOf(low, band, 2).at(0).From, QPoint(38, 77));
}

TEST_F(ChartTest, ScoreViewConvertsForTheScreenAndThePrintFields) {
  TResultRecord record{};
  record.Sex = sxFemale;
  const int raw[6] = {22, 35, 41, 30, 18, 27};
  std::copy(std::begin(raw), std::end(raw), record.ScoreSheet.RawScores);
  TPrintFields print;
  QString labels[6];

  // Raw scores on screen, with no band in either chart and Z values in the
  // summary; the print fields get Z-scores.
  for (const bool hexagon : {true, false}) {
    TRecordingCanvas canvas(441, 489);
    DrawScoreView(canvas, record, skRawScore, hexagon, print, labels);
    EXPECT_TRUE(LinesOf(canvas, QColor(102, 102, 102)).empty());
    EXPECT_EQ(canvas.Calls()[2].ToString(), "FillRect(0,0,441,489)") << "the picture is cleared first";
    TScoreSheet z = record.ScoreSheet;
    ConvertScores(z, Norms[sxFemale], skZScore);
    for (int s = 0; s < 6; ++s) {
      EXPECT_EQ(record.ScoreSheet.Scores[s], raw[s]);
      EXPECT_EQ(labels[s], QString::number(raw[s]));
      EXPECT_EQ(print.Scores[s], z.Scores[s]);
    }
    EXPECT_EQ(print.ScaleRange, z.ScaleRange);
    EXPECT_EQ(record.ScoreSheet.ScaleRange, z.ScaleRange);
    const QString summary =
        QStringLiteral("Normované rozpětí škál (Z-skór [M=100, S=10]): %1").arg(RoundHalfEven(z.ScaleRange));
    EXPECT_NE(TextOf(canvas, summary), nullptr);
  }

  // Percentiles: whole numbers shown without decimals, the same values printed.
  TRecordingCanvas canvas(441, 489);
  DrawScoreView(canvas, record, skPercentile, true, print, labels);
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(labels[s], QString::number(static_cast<int>(record.ScoreSheet.Scores[s])));
    EXPECT_EQ(print.Scores[s], record.ScoreSheet.Scores[s]);
  }

  // A sex without norms reads no table: zeros everywhere.
  record.Sex = 7;
  DrawScoreView(canvas, record, skTScore, false, print, labels);
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(record.ScoreSheet.Scores[s], 0);
    EXPECT_EQ(print.Scores[s], 0);
    EXPECT_EQ(labels[s], "0");
  }
}
