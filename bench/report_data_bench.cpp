// Speed of the results computation of one record (person lines, consistency,
// scores, codes, matching, thinning, lists) with the real catalogue.
#include <benchmark/benchmark.h>

#include "report_data.h"

namespace {

void InitTables() {
  InitFrameworkTables();
  InitItems();
  InitNorms();
  InitProfessions();
}

// A pupil with varied answers: 0, a typical record, two exact codes and a few
// coarse ones; 1, raw scores of six equal Z-scores, 120 tied codes, the most
// matching there is.
TResultRecord Respondent(bool flat) {
  TResultRecord r{};
  r.Name.assign("Jan Novak");
  r.Age = 15;
  r.Sex = sxMale;
  r.Education = edBasicSchool;
  r.ExpectedEducation = edSecondaryLeavingExam;
  const int typical[ScaleCount][10] = {{2, 3, 2, 1, 2, 3, 2, 2, 1, 2}, {2, 2, 3, 2, 1, 2, 2, 3, 2, 2},
                                       {3, 2, 2, 3, 2, 2, 3, 2, 2, 3}, {5, 4, 5, 4, 5, 5, 4, 4, 5, 4},
                                       {4, 4, 3, 4, 5, 4, 3, 4, 4, 4}, {2, 3, 2, 2, 3, 2, 2, 3, 2, 2}};
  for (int s = 0; s < ScaleCount; ++s)
    for (int k = 0; k < 10; ++k) r.ScoreSheet.Answers[6 * k + s] = static_cast<std::int16_t>(flat ? 3 : typical[s][k]);
  ComputeRawScores(r.ScoreSheet);
  if (flat) {
    const int equalZ[ScaleCount] = {26, 25, 20, 24, 28, 23};
    for (int s = 0; s < ScaleCount; ++s) r.ScoreSheet.RawScores[s] = equalZ[s];
  }
  return r;
}

void BM_ComputeReportData(benchmark::State& state) {
  InitTables();
  const TResultRecord r = Respondent(state.range(0) == 1);
  for (auto _ : state) {
    TReportData d = ComputeReportData(r, plSecondary, skTScore);
    benchmark::DoNotOptimize(d.ProfessionLines.data());
  }
  const TReportData d = ComputeReportData(r, plSecondary, skTScore);
  state.SetLabel(d.CodeText.substr(0, 15));
  state.counters["listed"] = static_cast<double>(d.ProfessionLines.size() + d.OtherProfessionLines.size());
}
BENCHMARK(BM_ComputeReportData)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
