// The results of a record without any window: person lines, consistency,
// scores, code and explanation, and the profession matching with its marks,
// thinning and lists, on hand-made catalogues and on the real one.
#include "report_data.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "cp1250.h"

namespace {

std::string Cp(const char* utf8) {
  return Utf8ToCp1250(utf8);
}

void InitTables() {
  static const bool done = [] {
    InitFrameworkTables();
    InitItems();
    InitNorms();
    InitProfessions();
    return true;
  }();
  (void)done;
}

// A male pupil, every item answered 3, with the given raw scores.
TResultRecord Record(const std::array<int, ScaleCount>& raw) {
  TResultRecord r{};
  r.Name.assign("Jan Novak");
  r.Sex = sxMale;
  r.Age = 15;
  r.Education = edBasicSchool;
  r.ExpectedEducation = edSecondaryLeavingExam;
  for (auto& a : r.ScoreSheet.Answers) a = 3;
  for (int s = 0; s < ScaleCount; ++s) r.ScoreSheet.RawScores[s] = raw[s];
  return r;
}

// Male norms: exact code SEA; coarse SER, SEI, SEC; permuted the other orders
// of these four, those of SEA first (SAE, ESA, EAS, ASE, AES, SRE, ...).
const std::array<int, ScaleCount> kSea = {21, 21, 22, 41, 38, 22};
// Male norms: exact codes RIS, RSI, IRS, SIR.
const std::array<int, ScaleCount> kFourCodes = {35, 34, 20, 33, 21, 22};

TProfession Job(const char* name, const char* code, std::initializer_list<TProfessionLevel> levels) {
  TProfession p{name, code, {}};
  for (const TProfessionLevel l : levels) p.Levels.insert(l);
  return p;
}

// Runs with a hand-made catalogue in place of the real one.
class HandMadeCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTables();
    saved_ = std::exchange(Professions, {});
  }
  void TearDown() override { Professions = std::move(saved_); }

 private:
  std::vector<TProfession> saved_;
};

}  // namespace

TEST(ReportData, PersonLinesAndConsistency) {
  InitTables();
  TResultRecord r = Record(kSea);
  r.Name.assign(Cp("Jana Dvořáková"));
  r.Sex = sxFemale;
  r.Education = edGrammarSchool;
  r.ExpectedEducation = edNotChosen;
  // R: answers 1 and 5 in turn; I: 2, 2, 4, 4, 3 and five gaps, a deviation of exactly 1.0.
  for (int k = 0; k < 10; ++k) r.ScoreSheet.Answers[6 * k + scR] = k % 2 ? 5 : 1;
  const int i[10] = {2, 2, 4, 4, 3, 0, 0, 0, 0, 0};
  for (int k = 0; k < 10; ++k) r.ScoreSheet.Answers[6 * k + scI] = static_cast<std::int16_t>(i[k]);
  ASSERT_EQ(ScaleAnswerSD(r.ScoreSheet, scI), 1.0);

  TReportData d = ComputeReportData(r, plSecondary, skPercentile);
  EXPECT_EQ(d.PersonLines[0], Cp("Jana Dvořáková, žena, 15 let"));
  EXPECT_EQ(d.PersonLines[1], Cp("Dosažené vzdělání: gymnázium"));
  EXPECT_EQ(d.PersonLines[2], Cp("Předpokládané vzdělání: ???"));
  EXPECT_EQ(d.ConsistencyTexts[scR], Cp("nízká"));
  EXPECT_EQ(d.ConsistencyTexts[scI], Cp("střední"));  // at the lower limit
  EXPECT_EQ(d.ConsistencyTexts[scA], Cp("vysoká"));

  for (const int age : {0, -1}) {
    r.Age = age;
    r.Sex = sxMale;
    r.Education = edUniversity;
    d = ComputeReportData(r, plHigher, skPercentile);
    EXPECT_EQ(d.PersonLines[0], Cp("Jana Dvořáková, muž, ")) << age;
    EXPECT_EQ(d.PersonLines[1], Cp("Dosažené vzdělání: vysoká škola ")) << age;
  }

  // Each limit belongs to the word above it.
  for (int s = 0; s < ScaleCount; ++s) {
    const auto scale = static_cast<TScale>(s);
    const double lower = ConsistencyLimits[s][0], upper = ConsistencyLimits[s][1];
    EXPECT_EQ(ConsistencyWord(scale, std::nextafter(lower, 0.0)), Cp("vysoká")) << s;
    EXPECT_EQ(ConsistencyWord(scale, lower), Cp("střední")) << s;
    EXPECT_EQ(ConsistencyWord(scale, std::nextafter(upper, 0.0)), Cp("střední")) << s;
    EXPECT_EQ(ConsistencyWord(scale, upper), Cp("nízká")) << s;
  }
  EXPECT_EQ(ConsistencyLimits[scI][1], 1.37);
}

TEST(ReportData, ScoresCodeAndExplanation) {
  InitTables();
  const TResultRecord r = Record(kSea);
  TScoreSheet z = r.ScoreSheet, t = r.ScoreSheet;
  ConvertScores(z, Norms[sxMale], skZScore);
  ConvertScores(t, Norms[sxMale], skTScore);
  // Raw scores are reported as Z-scores.
  const TReportData raw = ComputeReportData(r, plTraining, skRawScore);
  const TReportData tScores = ComputeReportData(r, plTraining, skTScore);
  for (int s = 0; s < ScaleCount; ++s) {
    EXPECT_EQ(raw.Scores[s], z.Scores[s]);
    EXPECT_EQ(tScores.Scores[s], t.Scores[s]);
  }
  EXPECT_EQ(raw.ScaleRange, z.ScaleRange);
  EXPECT_EQ(raw.ScaleSpread, z.ScaleSpread);
  EXPECT_EQ(tScores.ScaleSpread, t.ScaleSpread);

  // One code: no "/", three blocks separated by one empty line each, none at the end.
  const auto block = [](TScale s) { return TStringArray{CodeTexts[s][0], CodeTexts[s][1], CodeTexts[s][2]}; };
  const auto joined = [&](std::initializer_list<TScale> scales) {
    TStringArray lines;
    for (const TScale s : scales) {
      if (!lines.empty()) lines.push_back("");
      for (auto& line : block(s)) lines.push_back(line);
    }
    return lines;
  };
  EXPECT_EQ(raw.CodeText, "SEA");
  EXPECT_EQ(raw.CodeExplanation, joined({scS, scE, scA}));
  // Four codes of the same three letters: each letter once, in the order first met.
  const TReportData four = ComputeReportData(Record(kFourCodes), plTraining, skPercentile);
  EXPECT_EQ(four.CodeText, "RIS/RSI/IRS/SIR");
  EXPECT_EQ(four.CodeExplanation, joined({scR, scI, scS}));
}

TEST_F(HandMadeCatalogue, MarksOnlyWhereTheExactCodeFallsShort) {
  // The exact code alone gives 8 at level 1 and at least 2 at every level: no further pass.
  Professions = {Job("s1", "SEA", {plSecondary}),
                 Job("s2", "SEA", {plSecondary}),
                 Job("z", "SEA", {plTraining}),
                 Job("s3", "SEA", {plSecondary}),
                 Job("s4", "SEA", {plSecondary}),
                 Job("s5", "SEA", {plSecondary}),
                 Job("ms", "SEA", {plTraining, plSecondary}),
                 Job("s6", "SEA", {plSecondary}),
                 Job("r", "SER", {plSecondary}),
                 Job("v", "SEA", {plHigher}),
                 Job("m", "SEA", {plTraining, plSecondary, plHigher}),
                 Job("zv", "SEA", {plTraining, plHigher}),
                 Job("p", "ASE", {plSecondary}),
                 Job("x", "RIC", {plTraining, plSecondary, plHigher})};
  TReportData d = ComputeReportData(Record(kSea), plSecondary, skPercentile);
  EXPECT_EQ(d.ProfessionLines, (TStringArray{"s1", "s2", "s3", "s4", "s5", "ms", "s6", "m"}));
  EXPECT_EQ(d.OtherProfessionLines, (TStringArray{"z", "v", "zv"}));
  EXPECT_EQ(d.OtherProfessionLevels, (TStringArray{Cp("ZŠ"), Cp("VŠ/VOŠ"), Cp("ZŠ,VŠ/VOŠ")}));
  EXPECT_EQ(d.Selected, (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0, 0}));
  EXPECT_EQ(d.MatchMark, std::vector<std::uint8_t>(14, 0));

  // For level 2 only 3 are open: the coarse pass takes r ("*"), which the thinning
  // of level 1 (9 open, at most 8) then removes first; the multi-level ones stay listed once.
  d = ComputeReportData(Record(kSea), plHigher, skPercentile);
  EXPECT_EQ(d.ProfessionLines, (TStringArray{"v", "m", "zv"}));
  EXPECT_EQ(d.OtherProfessionLines, (TStringArray{"s1", "s2", "z", "s3", "s4", "s5", "ms", "s6"}));
  EXPECT_EQ(d.OtherProfessionLevels[2], Cp("ZŠ"));
  EXPECT_EQ(d.OtherProfessionLevels[6], Cp("ZŠ,SŠ"));
  EXPECT_EQ(d.Selected[8], 0);
  EXPECT_EQ(d.MatchMark[8], 1);
}

TEST_F(HandMadeCatalogue, PassesInListOrderAndThePermutedPassStopsInTime) {
  Professions = {Job("c3", "AES", {plTraining}),  Job("a1", "SEA", {plTraining}),
                 Job("c2", "ASE", {plSecondary}), Job("b1", "SER", {plTraining}),
                 Job("c1", "ESA", {plTraining}),  Job("b2", "SEC", {plHigher}),
                 Job("c4", "SRE", {plSecondary}), Job("x", "RIC", {plTraining, plSecondary, plHigher})};
  // After the coarse pass level 0 has 2 and level 1 none: ESA (earlier in the permuted list
  // than AES, though later in the catalogue) brings level 0 to 3, ASE level 1 to 1, and then
  // nothing more is taken.
  const TReportData d = ComputeReportData(Record(kSea), plTraining, skPercentile);
  EXPECT_EQ(d.ProfessionLines, (TStringArray{"a1", "b1*", "c1**"}));
  EXPECT_EQ(d.OtherProfessionLines, (TStringArray{"c2**", "b2*"}));
  EXPECT_EQ(d.OtherProfessionLevels, (TStringArray{Cp("SŠ"), Cp("VŠ/VOŠ")}));
  EXPECT_EQ(d.Selected, (std::vector<std::uint8_t>{0, 1, 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ(d.MatchMark, (std::vector<std::uint8_t>{0, 0, 2, 1, 2, 1, 0, 0}));
}

TEST_F(HandMadeCatalogue, ThinningRemovesTheWeakestOnlyAtTheGroupFirst) {
  // Level 1 gets 10 exact, 1 coarse and 4 permuted matches (15); three of the
  // permuted are open at level 1 alone and go; the one also open at level 2 stays.
  for (int k = 0; k < 10; ++k) {
    Professions.push_back(Job("a", "SEA", {plSecondary}));
    Professions.back().Name += std::to_string(k);
    if (k % 3 == 0) Professions.push_back(Job("c", "ASE", {plSecondary}));
  }
  Professions.push_back(Job("b", "SER", {plSecondary}));
  Professions.push_back(Job("d", "ESA", {plSecondary, plHigher}));
  ASSERT_EQ(Professions.size(), 16u);
  GeneratorSeed = 77;
  const TReportData d = ComputeReportData(Record(kSea), plSecondary, skPercentile);
  TStringArray expected;
  for (int k = 0; k < 10; ++k) expected.push_back("a" + std::to_string(k));
  expected.insert(expected.end(), {"b*", "d**"});
  EXPECT_EQ(d.ProfessionLines, expected);
  EXPECT_TRUE(d.OtherProfessionLines.empty());
  for (std::size_t k = 0; k < Professions.size(); ++k)
    if (Professions[k].Name == "c") {
      EXPECT_TRUE(d.Selected[k] == 0 && d.MatchMark[k] == 2) << k;
    }
}

TEST_F(HandMadeCatalogue, EachThinningDrawsFromSeed1111) {
  // 15 exact matches at level 1 alone and 10 at level 0 alone: level 1 keeps 12 and
  // level 0 keeps 8, each drawn from the generator seeded with 1111 for that thinning.
  for (int k = 0; k < 25; ++k) Professions.push_back(Job("p", "SEA", {k < 15 ? plSecondary : plTraining}));
  std::vector<std::uint8_t> expected(25, 1);
  for (const auto& [from, to, keep] : {std::tuple{0u, 15u, 12}, std::tuple{15u, 25u, 8}}) {
    GeneratorSeed = 1111;
    for (int left = static_cast<int>(to - from); left > keep;) {
      const std::uint32_t p = RandomBelow(25);
      if (p >= from && p < to && expected[p]) expected[p] = 0, --left;
    }
  }
  const TReportData d = ComputeReportData(Record(kSea), plSecondary, skPercentile);
  EXPECT_EQ(d.Selected, expected);
  EXPECT_EQ(d.ProfessionLines.size(), 12u);
  EXPECT_EQ(d.OtherProfessionLines.size(), 8u);
}

TEST(ReportData, RealCatalogueRunsAreRepeatableAndWithinTheLimits) {
  InitTables();
  std::uint32_t dice = 20240611u;
  for (int round = 0; round < 300; ++round) {
    TResultRecord r = Record(kSea);
    for (auto& a : r.ScoreSheet.Answers) {
      dice = dice * 1664525u + 1013904223u;
      a = static_cast<std::int16_t>(1 + (dice >> 29) % 5);
    }
    ASSERT_TRUE(ComputeRawScores(r.ScoreSheet));
    r.Sex = static_cast<TSex>(round % 2);
    const auto group = static_cast<TProfessionLevel>(round % 3);
    const TReportData first = ComputeReportData(r, group, skTScore);
    GeneratorSeed = dice;  // a generator left anywhere changes nothing
    const TReportData second = ComputeReportData(r, group, skTScore);
    ASSERT_EQ(first.Selected, second.Selected);
    ASSERT_EQ(first.MatchMark, second.MatchMark);
    ASSERT_EQ(first.ProfessionLines, second.ProfessionLines);
    ASSERT_EQ(first.OtherProfessionLines, second.OtherProfessionLines);

    ASSERT_EQ(first.Selected.size(), Professions.size());
    ASSERT_LE(first.ProfessionLines.size(), 12u);
    int open[3] = {}, selected = 0;
    for (std::size_t k = 0; k < Professions.size(); ++k) {
      if (!first.Selected[k]) continue;
      ++selected;
      ASSERT_LE(first.MatchMark[k], 2);
      for (int l = 0; l < 3; ++l) open[l] += Professions[k].Levels.contains(static_cast<TProfessionLevel>(l));
    }
    for (int l = 0; l < 3; ++l) ASSERT_LE(open[l], l == group ? 12 : 8) << round;
    ASSERT_EQ(first.ProfessionLines.size(), static_cast<std::size_t>(open[group]));
    ASSERT_EQ(first.ProfessionLines.size() + first.OtherProfessionLines.size(), static_cast<std::size_t>(selected));
    ASSERT_EQ(first.OtherProfessionLevels.size(), first.OtherProfessionLines.size());
  }
}

TEST(ReportData, ARecordOutsideTheLimitsGetsItsPersonLinesOnly) {
  InitTables();
  std::vector<TResultRecord> bad(3, Record(kSea));
  bad[0].Sex = 2;
  for (int k = 1; k < 10; ++k) bad[1].ScoreSheet.Answers[6 * k + scE] = 0;  // one answer left on E
  bad[2].ScoreSheet.RawScores[scC] = 9;
  for (const TResultRecord& r : bad) {
    ASSERT_FALSE(IsScorableSheet(r));
    const TReportData d = ComputeReportData(r, plTraining, skRawScore);
    EXPECT_EQ(d.PersonLines[0], r.Sex == 2 ? "Jan Novak, 15 let" : Cp("Jan Novak, muž, 15 let"));
    EXPECT_EQ(d.PersonLines[2], Cp("Předpokládané vzdělání: střední škola s maturitou"));
    for (int s = 0; s < ScaleCount; ++s) EXPECT_TRUE(d.ConsistencyTexts[s].empty() && d.Scores[s] == 0);
    EXPECT_TRUE(d.CodeText.empty() && d.CodeExplanation.empty() && d.ProfessionLines.empty() &&
                d.OtherProfessionLines.empty());
    EXPECT_EQ(d.Selected, std::vector<std::uint8_t>(Professions.size(), 0));
  }
}
