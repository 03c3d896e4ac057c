#include <gtest/gtest.h>

#include <cstring>

#include "framework_sheets.h"

namespace {
struct TConverted {
  std::array<double, ScaleCount> Scores;
  double Range, Spread;
};
TConverted Convert(TScoreSheet sheet, TSex sex, TScoreKind kind) {
  ConvertScores(sheet, Norms[sex], kind);
  TConverted c{};
  std::copy(std::begin(sheet.Scores), std::end(sheet.Scores), c.Scores.begin());
  c.Range = sheet.ScaleRange;
  c.Spread = sheet.ScaleSpread;
  return c;
}
void ExpectEntry(const TNormEntry& e, int z, int t, int p) {
  EXPECT_EQ(e.ZScore, z);
  EXPECT_EQ(e.TScore, t);
  EXPECT_EQ(e.Percentile, p);
}
}  // namespace

TEST(Norms, TablesHoldThePublishedRows) {
  InitNorms();
  const auto& maleR = Norms[sxMale].Entries[scR];
  ExpectEntry(maleR[10 - MinRawScore], 76, 26, 1);
  ExpectEntry(maleR[26 - MinRawScore], 100, 50, 49);
  ExpectEntry(maleR[50 - MinRawScore], 124, 74, 99);
  for (int raw = 45; raw <= 48; ++raw) EXPECT_EQ(maleR[raw - MinRawScore].TScore, 70);  // a plateau
  ExpectEntry(Norms[sxFemale].Entries[scR][50 - MinRawScore], 130, 80, 100);
  ExpectEntry(Norms[sxFemale].Entries[scS][10 - MinRawScore], 74, 24, 0);
  ExpectEntry(Norms[sxFemale].Entries[scC][44 - MinRawScore], 124, 74, 99);
  ExpectEntry(Norms[sxMale].Entries[scE][28 - MinRawScore], 100, 50, 50);
  ExpectEntry(RangeNorms[0], 68, 18, 0);
  ExpectEntry(RangeNorms[40], 129, 79, 100);
  EXPECT_EQ(SpreadNorms[0].Threshold, 10);
  ExpectEntry({SpreadNorms[0].ZScore, SpreadNorms[0].TScore, SpreadNorms[0].Percentile}, 68, 18, 0);
  EXPECT_EQ(SpreadNorms[29].Threshold, 155);
  ExpectEntry({SpreadNorms[29].ZScore, SpreadNorms[29].TScore, SpreadNorms[29].Percentile}, 132, 82, 100);

  // Every entry: Z = T + 50, percentiles 0..100, never falling with the raw score.
  for (const auto& block : Norms)
    for (const auto& scale : block.Entries)
      for (int r = 0; r < RawScoreCount; ++r) {
        EXPECT_EQ(scale[r].ZScore, scale[r].TScore + 50);
        EXPECT_GE(scale[r].Percentile, 0);
        EXPECT_LE(scale[r].Percentile, 100);
        if (r > 0) {
          EXPECT_GE(scale[r].TScore, scale[r - 1].TScore);
          EXPECT_GE(scale[r].Percentile, scale[r - 1].Percentile);
        }
      }
  for (int r = 0; r < SpreadNormCount; ++r) EXPECT_EQ(SpreadNorms[r].Threshold, 5 * (r + 1) + 5);
}

TEST(Norms, MaleProfileConvertsInEveryKind) {
  InitNorms();
  const TScoreSheet sheet = RawSheet({38, 30, 22, 25, 27, 20});
  const TConverted expected[] = {
      {{88, 70, 61, 54, 45, 35}, 48, 46},      // percentiles
      {{62, 55, 53, 51, 49, 46}, 49, 49},      // T-scores
      {{112, 105, 103, 101, 99, 96}, 99, 99},  // Z-scores
      {{38, 30, 22, 25, 27, 20}, 99, 99},      // raw scores, with range and spread as Z-scores
  };
  for (const TScoreKind kind : {skPercentile, skTScore, skZScore, skRawScore}) {
    const TConverted c = Convert(sheet, sxMale, kind);
    EXPECT_EQ(c.Scores, expected[kind].Scores) << int(kind);
    EXPECT_EQ(c.Range, expected[kind].Range) << int(kind);
    EXPECT_EQ(c.Spread, expected[kind].Spread) << int(kind);
  }

  // A later conversion leaves only its own kind; a kind beyond the raw score changes nothing.
  TScoreSheet twice = sheet;
  ConvertScores(twice, Norms[sxMale], skPercentile);
  ConvertScores(twice, Norms[sxMale], skTScore);
  EXPECT_EQ(twice.Scores[scR], 62);
  EXPECT_EQ(twice.ScaleRange, 49);
  const TScoreSheet before = twice;
  ConvertScores(twice, Norms[sxMale], static_cast<TScoreKind>(4));
  ConvertScores(twice, Norms[sxMale], static_cast<TScoreKind>(255));
  EXPECT_EQ(std::memcmp(&twice, &before, sizeof twice), 0);
}

TEST(Norms, RangeAndSpreadTakeTheirRowsAtTheEdges) {
  InitNorms();
  // Range and spread of a profile in the percentile, T and Z kinds, and the Z-scores themselves.
  struct TCase {
    TSex Sex;
    TScoreSheet Sheet;
    std::array<double, 6> Z;
    double Range[3], Spread[3];
  };
  const TCase cases[] = {
      // Six equal Z-scores: range 0, spread 0 -> the first entries.
      {sxMale, RawSheet({26, 25, 20, 24, 28, 23}), {100, 100, 100, 100, 100, 100}, {0, 18, 68}, {0, 18, 68}},
      // Range 56 and spread about 180: both beyond their tables, both take the last entry.
      {sxFemale, RawSheet({50, 10, 30, 30, 30, 30}), {130, 74, 106, 99, 99, 107}, {100, 79, 129}, {100, 82, 132}},
      // A spread of exactly 20 takes row 3, not row 4.
      {sxMale, RawSheet({21, 19, 16, 19, 26, 20}), {95, 92, 95, 94, 98, 96}, {3, 31, 81}, {2, 29, 79}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Convert(c.Sheet, c.Sex, skZScore).Scores, c.Z);
    for (const TScoreKind kind : {skPercentile, skTScore, skZScore}) {
      EXPECT_EQ(Convert(c.Sheet, c.Sex, kind).Range, c.Range[kind]) << int(kind);
      EXPECT_EQ(Convert(c.Sheet, c.Sex, kind).Spread, c.Spread[kind]) << int(kind);
    }
  }
}

TEST(Norms, RawScoresOutsideTheTablesConvertToZero) {
  InitNorms();
  for (const int bad : {0, 9, 51, -5, 1 << 30}) {
    TScoreSheet sheet = RawSheet({30, 30, bad, 30, 30, 30});
    sheet.Scores[0] = 5;
    sheet.ScaleRange = 5;
    sheet.ScaleSpread = 5;
    for (const TScoreKind kind : {skPercentile, skTScore, skZScore, skRawScore}) {
      const TConverted c = Convert(sheet, sxMale, kind);
      EXPECT_EQ(c.Scores, (std::array<double, 6>{})) << bad;
      EXPECT_EQ(c.Range, 0);
      EXPECT_EQ(c.Spread, 0);
    }
  }
}
