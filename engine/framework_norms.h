#pragma once
// Norm tables (pupils and students, by sex) and the conversion of raw scores
// into percentiles, T-scores and Z-scores.
#include <array>
#include <cstdint>

#include "framework_record.h"
#include "framework_scoring.h"
#include "framework_types.h"

constexpr int RawScoreCount = MaxRawScore - MinRawScore + 1;  // 41
constexpr int RangeNormCount = 41;                            // ranges 0..40
constexpr int SpreadNormCount = 30;                           // rows 1..30

struct TNormEntry {
  std::int32_t ZScore;  // mean 100, standard deviation 10; always TScore + 50
  std::int32_t TScore;  // mean 50, standard deviation 10
  std::int32_t Percentile;
};

// The norms of one sex: Entries[scale][raw score - 10].
struct TNormBlock {
  TNormEntry Entries[ScaleCount][RawScoreCount];
};

struct TSpreadNormEntry {
  std::int32_t Threshold;  // ten times a standard deviation
  std::int32_t ZScore;
  std::int32_t TScore;
  std::int32_t Percentile;
};

// Norms[sex]: the norm block of men (0) and women (1).
extern std::array<TNormBlock, 2> Norms;
// RangeNorms[range], range 0..40 of the six Z-scores (highest minus lowest).
extern std::array<TNormEntry, RangeNormCount> RangeNorms;
// Row r (1..30) is SpreadNorms[r - 1]; its Threshold is 5r + 5.
extern std::array<TSpreadNormEntry, SpreadNormCount> SpreadNorms;

// Fills Norms, RangeNorms and SpreadNorms.
void InitNorms();

// Writes the sheet's Scores, ScaleRange and ScaleSpread in the given kind
// from its RawScores and the norm block of the respondent's sex. The range
// and spread are those of the six Z-scores, normed as Z-scores for the raw
// kind. A kind above skRawScore changes nothing. A sheet with a raw score
// outside 10..50 has no norms: all six Scores, ScaleRange and ScaleSpread
// are then set to 0.
void ConvertScores(TScoreSheet& sheet, const TNormBlock& block, TScoreKind kind);
