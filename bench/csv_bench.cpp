// The CSV export of a 10,000-record database against one plain read of the
// same file, and the export's parts one by one, to show where its time goes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "datetime.h"
#include "framework.h"
#include "recordfile.h"

namespace {

constexpr int RecordCount = 10000;

// A database of respondents with answers around their own interest profile, dates and short notes, in a
// folder of its own.
struct TBenchDatabase {
  std::filesystem::path Dir;
  std::vector<TResultRecord> Records;

  TBenchDatabase() {
    InitFrameworkTables();
    InitItems();
    InitNorms();
    std::string pattern = (std::filesystem::temp_directory_path() / "zovi-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Dir = pattern;
    DatabaseFileName = (Dir / "zovi.db").string();
    std::mt19937 gen(42);
    Records.resize(RecordCount);
    for (int i = 0; i < RecordCount; ++i) {
      TResultRecord& r = Records[i];
      std::memset(&r, 0, sizeof r);
      r.Name.assign("Respondent " + std::to_string(i));
      r.Sex = static_cast<TSex>(gen() % 2);
      r.Age = 14 + static_cast<int>(gen() % 40);
      r.Education = static_cast<TEducation>(gen() % 7);
      r.ExpectedEducation = static_cast<TEducation>(gen() % 7);
      r.ScoreSheet.TestDate = 45000 + gen() % 1000 + (gen() % 2 ? 0.0 : (gen() % 86400) / 86400.0);
      // Each respondent leans to some scales and away from others, as real respondents do.
      double lean[ScaleCount];
      for (double& l : lean) l = std::uniform_real_distribution<double>(1.3, 4.7)(gen);
      std::normal_distribution<double> noise(0, 0.8);
      for (int item = 0; item < 60; ++item)
        r.ScoreSheet.Answers[item] =
            static_cast<std::int16_t>(std::clamp(std::lround(lean[item % 6] + noise(gen)), 1L, 5L));
      ComputeRawScores(r.ScoreSheet);
      std::strcpy(r.Notes, "poznamka k respondentovi,druhy radek");
      r.UniqueId.assign(std::string(50, static_cast<char>('a' + i % 26)));
    }
    TRecordFile file(DatabaseFileName, TRecordFileMode::Create, RecordSize);
    file.Write(Records.data(), Records.size());
    file.Close();
  }
  ~TBenchDatabase() { std::filesystem::remove_all(Dir); }
};

TBenchDatabase& Database() {
  static TBenchDatabase db;
  return db;
}

// Reading the database once: every whole record, as the export reads it.
void BM_ReadDatabase(benchmark::State& state) {
  Database();
  for (auto _ : state) {
    TRecordFile file(DatabaseFileName, TRecordFileMode::ReadOnly, RecordSize);
    std::int64_t sum = 0;
    file.Scan([&](const unsigned char* record, std::int64_t) {
      TResultRecord r;
      std::memcpy(&r, record, RecordSize);
      sum += r.ScoreSheet.RawScores[0];
      return true;
    });
    file.Close();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadDatabase)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
  const std::string target = (Database().Dir / "data_zovi.csv").string();
  for (auto _ : state) ExportCsv(target);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

// Writing a text of the export's size to the target, in the export's pieces: what the export costs besides
// the read and the lines.
void BM_WriteText(benchmark::State& state) {
  const std::string target = (Database().Dir / "written.csv").string();
  std::string text;
  for (const auto& r : Database().Records) AppendCsvLine(text, r);
  constexpr std::size_t chunk = 1 << 20;
  for (auto _ : state) {
    TRecordFile csv(target, TRecordFileMode::Create, 1);
    for (std::size_t at = 0; at < text.size(); at += chunk)
      csv.Write(text.data() + at, std::min(chunk, text.size() - at));
    csv.Close();
  }
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);

// The parts of the export, each over all 10,000 records held in memory.
void BM_Lines(benchmark::State& state) {
  const auto& records = Database().Records;
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (const auto& r : records) AppendCsvLine(out, r);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Lines)->Unit(benchmark::kMillisecond);

void BM_DeriveCodes(benchmark::State& state) {
  const auto& records = Database().Records;
  TStringArray exact, coarse, permuted;
  for (auto _ : state)
    for (const auto& r : records) DeriveCodes(r.ScoreSheet, Norms[r.Sex], exact, coarse, permuted);
}
BENCHMARK(BM_DeriveCodes)->Unit(benchmark::kMillisecond);

void BM_ConvertScoresTwice(benchmark::State& state) {
  const auto& records = Database().Records;
  for (auto _ : state)
    for (const auto& r : records) {
      TScoreSheet sheet = r.ScoreSheet;
      ConvertScores(sheet, Norms[r.Sex], skPercentile);
      ConvertScores(sheet, Norms[r.Sex], skTScore);
      benchmark::DoNotOptimize(sheet.Scores[0]);
    }
}
BENCHMARK(BM_ConvertScoresTwice)->Unit(benchmark::kMillisecond);

void BM_RegionalDateTime(benchmark::State& state) {
  const auto& records = Database().Records;
  for (auto _ : state)
    for (const auto& r : records) benchmark::DoNotOptimize(RegionalDateTime(r.ScoreSheet.TestDate));
}
BENCHMARK(BM_RegionalDateTime)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
