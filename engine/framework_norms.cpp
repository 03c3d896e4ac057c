#include "framework_norms.h"

#include <algorithm>
#include <cmath>

std::array<TNormBlock, 2> Norms{};
std::array<TNormEntry, RangeNormCount> RangeNorms{};
std::array<TSpreadNormEntry, SpreadNormCount> SpreadNorms{};

namespace {
// The norms of pupils and students as published: T-scores and percentiles;
// every Z-score is the T-score plus 50.
// T-scores of the scale norms: [sex][scale][raw score - 10].
constexpr std::int8_t NormTScores[2][ScaleCount][RawScoreCount] = {
    {
        {26, 29, 31, 33, 34, 36, 38, 40, 41, 42, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54,
         55, 56, 57, 58, 59, 60, 61, 62, 63, 65, 66, 67, 69, 69, 70, 70, 70, 70, 71, 74},  // male R
        {26, 30, 32, 34, 35, 37, 38, 39, 40, 42, 43, 44, 46, 48, 49, 50, 51, 52, 54, 54, 55,
         57, 58, 59, 60, 62, 63, 65, 66, 66, 68, 69, 70, 70, 71, 71, 71, 71, 71, 71, 74},  // male I
        {30, 34, 38, 40, 43, 44, 45, 47, 48, 49, 50, 52, 53, 54, 55, 57, 58, 59, 60, 61, 63,
         64, 64, 65, 65, 66, 67, 68, 69, 69, 70, 70, 71, 71, 71, 71, 71, 71, 71, 72, 74},  // male A
        {28, 31, 32, 34, 36, 37, 39, 41, 42, 44, 45, 47, 48, 48, 50, 51, 52, 53, 55, 56, 57,
         58, 59, 60, 61, 62, 63, 65, 66, 68, 69, 70, 70, 70, 70, 70, 70, 71, 71, 72, 74},  // male S
        {24, 28, 29, 30, 32, 35, 36, 37, 38, 39, 41, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52,
         54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 64, 65, 66, 66, 67, 69, 70, 70, 74},  // male E
        {26, 29, 31, 32, 35, 37, 39, 41, 43, 44, 46, 47, 49, 50, 51, 52, 53, 54, 55, 56, 57,
         58, 59, 60, 62, 63, 64, 65, 66, 66, 67, 68, 69, 69, 70, 70, 70, 70, 71, 72, 74},  // male C
    },
    {
        {32, 38, 41, 43, 45, 46, 48, 49, 50, 51, 52, 53, 54, 56, 57, 58, 59, 60, 62, 63, 64,
         65, 66, 67, 68, 69, 70, 71, 71, 72, 72, 72, 72, 73, 76, 77, 80, 80, 80, 80, 80},  // female R
        {24, 29, 31, 33, 35, 37, 38, 39, 41, 42, 43, 45, 47, 48, 49, 50, 52, 53, 54, 55, 56,
         58, 59, 60, 62, 64, 65, 66, 67, 68, 69, 70, 71, 71, 73, 73, 73, 74, 76, 80, 80},  // female I
        {28, 32, 34, 36, 37, 39, 40, 41, 42, 44, 45, 46, 47, 49, 50, 51, 52, 54, 55, 56, 56,
         57, 58, 59, 60, 60, 61, 62, 63, 64, 65, 66, 68, 69, 69, 70, 71, 74, 75, 76, 80},  // female A
        {24, 27, 27, 28, 29, 30, 32, 34, 36, 38, 39, 40, 41, 42, 43, 43, 45, 46, 47, 48, 49,
         50, 52, 53, 54, 54, 55, 56, 57, 58, 59, 60, 61, 63, 64, 66, 67, 69, 72, 74, 77},  // female S
        {24, 27, 28, 29, 31, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
         50, 50, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 67, 69, 73, 80},  // female E
        {27, 30, 31, 34, 36, 37, 39, 40, 42, 43, 45, 46, 47, 49, 50, 51, 52, 53, 54, 55, 57,
         58, 60, 61, 62, 64, 65, 66, 68, 68, 69, 70, 71, 72, 74, 77, 77, 80, 80, 80, 80},  // female C
    },
};
// Percentiles of the scale norms: [sex][scale][raw score - 10].
constexpr std::int8_t NormPercentiles[2][ScaleCount][RawScoreCount] = {
    {
        {1,  2,  3,  4,  6,  8,  12, 16, 20, 23, 26, 30, 33, 38, 42, 45, 49, 54, 58, 62, 66,
         70, 72, 76, 78, 80, 84, 86, 88, 91, 93, 94, 96, 97, 97, 98, 98, 98, 98, 98, 99},  // male R
        {1,  2,  3,  5,  6,  9,  12, 15, 17, 20, 24, 28, 34, 40, 45, 50, 55, 60, 64, 67, 70,
         74, 78, 81, 85, 88, 91, 93, 94, 95, 96, 97, 98, 98, 98, 98, 98, 98, 98, 98, 99},  // male I
        {2,  6,  11, 17, 23, 28, 32, 37, 41, 46, 51, 57, 61, 65, 70, 75, 80, 82, 84, 87, 90,
         92, 93, 93, 93, 94, 96, 97, 97, 97, 98, 98, 98, 98, 98, 98, 98, 98, 98, 98, 99},  // male A
        {1,  3,  4,  6,  8,  10, 14, 18, 22, 27, 32, 37, 40, 44, 49, 54, 59, 64, 68, 71, 75,
         79, 82, 84, 87, 89, 91, 93, 95, 96, 97, 98, 98, 98, 98, 98, 98, 98, 98, 98, 99},  // male S
        {0,  1,  2,  3,  4,  6,  8,  10, 12, 14, 18, 23, 27, 29, 33, 38, 42, 45, 50, 56, 60,
         64, 68, 72, 75, 78, 81, 85, 87, 88, 90, 91, 93, 94, 95, 95, 96, 97, 98, 98, 99},  // male E
        {1,  2,  3,  4,  6,  10, 13, 18, 23, 29, 35, 40, 45, 49, 52, 57, 61, 65, 69, 73, 77,
         80, 82, 84, 88, 90, 92, 94, 94, 95, 95, 96, 97, 97, 98, 98, 98, 98, 98, 98, 99},  // male C
    },
    {
        {3,  11, 18, 24, 30, 35, 41, 46, 51, 56, 60, 63, 67, 72,  75,  78,  81,  84,  88,  90, 92,
         93, 94, 95, 96, 97, 98, 98, 98, 99, 99, 99, 99, 99, 100, 100, 100, 100, 100, 100, 100},  // female R
        {0,  2,  3,  5,  7,  9,  12, 15, 18, 21, 25, 31, 36, 41, 45, 51, 56, 60,  65,  70, 74,
         78, 81, 85, 89, 91, 93, 94, 95, 96, 97, 98, 98, 98, 99, 99, 99, 99, 100, 100, 100},  // female I
        {1,  4,  5,  8,  10, 13, 16, 19, 22, 26, 30, 35, 40, 45, 50, 55, 60, 64, 68,  71, 73,
         76, 79, 82, 83, 85, 87, 89, 91, 92, 93, 95, 96, 97, 97, 98, 98, 99, 99, 100, 100},  // female A
        {0,  1,  1,  1,  2,  2,  4,  5,  8,  11, 13, 15, 18, 21, 23, 25, 30, 35, 39, 43, 47,
         51, 57, 61, 64, 66, 69, 73, 76, 79, 82, 84, 87, 90, 92, 94, 96, 97, 99, 99, 100},  // female S
        {0,  1,  1,  2,  3,  4,  5,  7,  8,  10, 12, 15, 19, 22, 25, 28, 31, 34, 37, 41, 46,
         49, 52, 57, 61, 64, 68, 72, 75, 78, 81, 83, 85, 88, 90, 92, 94, 95, 97, 99, 100},  // female E
        {1,  2,  3,  5,  8,  10, 13, 17, 21, 24, 29, 34, 39, 45, 50,  53,  57,  61,  66,  71, 75,
         79, 83, 86, 89, 92, 93, 95, 96, 97, 97, 98, 98, 99, 99, 100, 100, 100, 100, 100, 100},  // female C
    },
};
// Range norms, range 0..40.
constexpr std::int8_t RangeTScores[RangeNormCount] = {18, 18, 18, 22, 25, 27, 31, 34, 37, 39, 41, 43, 44, 46,
                                                      47, 48, 49, 51, 52, 52, 53, 54, 55, 56, 57, 58, 59, 60,
                                                      62, 63, 64, 65, 66, 68, 70, 72, 74, 75, 77, 78, 79};
constexpr std::int8_t RangePercentiles[RangeNormCount] = {0,  0,  0,  0,  1,  1,  3,  5,  9,  13, 18,  24,  29, 33,
                                                          38, 43, 48, 52, 56, 59, 63, 67, 70, 73, 76,  79,  82, 85,
                                                          88, 91, 92, 93, 94, 96, 98, 99, 99, 99, 100, 100, 100};
// Spread norms, rows 1..30 (thresholds 10, 15, ..., 155).
constexpr std::int8_t SpreadTScores[SpreadNormCount] = {18, 25, 29, 33, 37, 39, 41, 44, 46, 47, 49, 51, 52, 53, 55,
                                                        56, 57, 58, 60, 62, 63, 64, 66, 68, 70, 71, 74, 77, 80, 82};
constexpr std::int8_t SpreadPercentiles[SpreadNormCount] = {0,  1,  2,  4,  9,  14, 20, 26,  34,  40,
                                                            46, 52, 57, 62, 67, 72, 75, 80,  84,  88,
                                                            90, 92, 94, 97, 98, 98, 99, 100, 100, 100};

constexpr std::int32_t ZScoreOffset = 50;

TNormEntry MakeEntry(int tScore, int percentile) {
  return TNormEntry{tScore + ZScoreOffset, tScore, percentile};
}

// The column of an entry that a kind selects; Z-scores for the raw kind.
double Column(const TNormEntry& e, TScoreKind kind) {
  switch (kind) {
    case skPercentile:
      return e.Percentile;
    case skTScore:
      return e.TScore;
    default:
      return e.ZScore;
  }
}
}  // namespace

void InitNorms() {
  for (int sex = 0; sex < 2; ++sex)
    for (int s = 0; s < ScaleCount; ++s)
      for (int r = 0; r < RawScoreCount; ++r)
        Norms[sex].Entries[s][r] = MakeEntry(NormTScores[sex][s][r], NormPercentiles[sex][s][r]);
  for (int r = 0; r < RangeNormCount; ++r) RangeNorms[r] = MakeEntry(RangeTScores[r], RangePercentiles[r]);
  for (int r = 0; r < SpreadNormCount; ++r) {
    const TNormEntry e = MakeEntry(SpreadTScores[r], SpreadPercentiles[r]);
    SpreadNorms[r] = TSpreadNormEntry{5 * (r + 1) + 5, e.ZScore, e.TScore, e.Percentile};
  }
}

void ConvertScores(TScoreSheet& sheet, const TNormBlock& block, TScoreKind kind) {
  if (kind > skRawScore) return;
  for (const std::int32_t raw : sheet.RawScores) {
    if (raw < MinRawScore || raw > MaxRawScore) {
      std::fill(std::begin(sheet.Scores), std::end(sheet.Scores), 0.0);
      sheet.ScaleRange = 0;
      sheet.ScaleSpread = 0;
      return;
    }
  }

  int z[ScaleCount];
  for (int s = 0; s < ScaleCount; ++s) {
    const TNormEntry& e = block.Entries[s][sheet.RawScores[s] - MinRawScore];
    z[s] = e.ZScore;
    sheet.Scores[s] = kind == skRawScore ? sheet.RawScores[s] : Column(e, kind);
  }

  const auto [zMin, zMax] = std::minmax_element(std::begin(z), std::end(z));
  int zSum = 0;
  for (const int v : z) zSum += v;
  double squares = 0;
  for (const int v : z) {
    const double d = v - zSum / 6.0;
    squares += d * d;
  }
  const double spread = 10 * std::sqrt(squares / 5);

  // A range above 40 takes the last entry (ranges reach 56), as does a spread above the last threshold.
  const int range = std::min(*zMax - *zMin, RangeNormCount - 1);
  sheet.ScaleRange = Column(RangeNorms[range], kind);
  const auto row = std::find_if(SpreadNorms.begin(), SpreadNorms.end() - 1,
                                [&](const TSpreadNormEntry& e) { return e.Threshold >= spread; });
  sheet.ScaleSpread = Column(TNormEntry{row->ZScore, row->TScore, row->Percentile}, kind);
}
