// Speed of the per-record work of the results screen and the CSV export:
// converting a sheet and deriving its interest codes.
#include <benchmark/benchmark.h>

#include "framework.h"

namespace {
TScoreSheet RawSheet(std::initializer_list<int> raw) {
  TScoreSheet sheet{};
  int s = 0;
  for (const int r : raw) sheet.RawScores[s++] = r;
  return sheet;
}

void InitTables() {
  InitFrameworkTables();
  InitNorms();
}

// Profile 0: six equal Z-scores, 120 exact candidates and 116 draws, the slowest profile there is.
// Profile 1: a typical profile with one clear code and a few coarse ties.
void BM_DeriveCodes(benchmark::State& state) {
  InitTables();
  const TScoreSheet sheet =
      state.range(0) == 0 ? RawSheet({26, 25, 20, 24, 28, 23}) : RawSheet({21, 21, 22, 41, 38, 22});
  TStringArray exact, coarse, permuted;
  for (auto _ : state) {
    DeriveCodes(sheet, Norms[sxMale], exact, coarse, permuted);
    benchmark::DoNotOptimize(coarse.data());
  }
}
BENCHMARK(BM_DeriveCodes)->Arg(0)->Arg(1);

void BM_ConvertScores(benchmark::State& state) {
  InitTables();
  TScoreSheet sheet = RawSheet({38, 30, 22, 25, 27, 20});
  for (auto _ : state) {
    ConvertScores(sheet, Norms[sxMale], skTScore);
    benchmark::DoNotOptimize(sheet.ScaleSpread);
  }
}
BENCHMARK(BM_ConvertScores);
}  // namespace

BENCHMARK_MAIN();
