// The results screen's score view on its 441 x 489 picture: the conversion,
// the clearing and the whole chart, painted with QPainter as the screen does
// it, for the hexagon and the profile graph; and the same drawing on the
// recording canvas, which leaves only the chart's own work and the text
// measuring.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "canvas_painter.h"
#include "canvas_recording.h"
#include "chart.h"

namespace {

TResultRecord SampleRecord() {
  TResultRecord record{};
  record.Sex = sxFemale;
  const int raw[ScaleCount] = {22, 35, 41, 30, 18, 27};
  std::copy(std::begin(raw), std::end(raw), record.ScoreSheet.RawScores);
  return record;
}

void BM_DrawScoreView(benchmark::State& state) {
  const bool hexagon = state.range(0) == 0;
  const auto kind = static_cast<TScoreKind>(state.range(1));
  TResultRecord record = SampleRecord();
  TPrintFields print;
  QString labels[ScaleCount];
  QImage picture(441, 489, QImage::Format_RGB32);
  for (auto _ : state) {
    TPainterCanvas canvas(picture);
    DrawScoreView(canvas, record, kind, hexagon, print, labels);
  }
  benchmark::DoNotOptimize(picture.constBits());
}
BENCHMARK(BM_DrawScoreView)
    ->ArgNames({"profile", "kind"})
    ->Args({0, skPercentile})
    ->Args({0, skTScore})
    ->Args({1, skPercentile})
    ->Args({1, skTScore})
    ->Unit(benchmark::kMicrosecond);

void BM_DrawScoreViewRecorded(benchmark::State& state) {
  TResultRecord record = SampleRecord();
  TPrintFields print;
  QString labels[ScaleCount];
  for (auto _ : state) {
    TRecordingCanvas canvas(441, 489);
    DrawScoreView(canvas, record, skPercentile, state.range(0) == 0, print, labels);
    benchmark::DoNotOptimize(canvas.Calls().data());
  }
}
BENCHMARK(BM_DrawScoreViewRecorded)->ArgName("profile")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  InitFrameworkTables();
  InitNorms();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
