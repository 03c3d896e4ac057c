#include <gtest/gtest.h>

#include <cmath>

#include "framework_sheets.h"

TEST(Scoring, RawScoresFollowTheMissingAnswerRule) {
  InitItems();
  TScoreSheet sheet = AllAnswered(3);
  sheet.Scores[0] = 7;
  EXPECT_TRUE(ComputeRawScores(sheet));
  for (const auto raw : sheet.RawScores) EXPECT_EQ(raw, 30);
  EXPECT_EQ(sheet.Scores[0], 7);  // nothing but the raw scores is touched

  // One unanswered item in every scale: nine answers prorated to ten.
  sheet = TScoreSheet{};
  SetScale(sheet, scR, {0, 3, 3, 3, 3, 3, 4, 4, 4, 4});  // sum 31 -> 34.44 -> 34
  SetScale(sheet, scI, {5, 5, 5, 5, 0, 5, 5, 5, 5, 5});  // nine 5s -> 50
  SetScale(sheet, scA, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0});  // nine 1s -> 10
  SetScale(sheet, scS, {2, 2, 2, 2, 2, 2, 2, 0, 2, 2});  // 18 -> 20
  SetScale(sheet, scE, {4, 4, 4, 4, 4, 4, 0, 4, 4, 4});  // 36 -> 40
  SetScale(sheet, scC, {0, 4, 4, 4, 4, 4, 4, 4, 4, 5});  // 37 -> 41.1 -> 41
  EXPECT_TRUE(ComputeRawScores(sheet));
  EXPECT_EQ(sheet.RawScores[scR], 34);
  EXPECT_EQ(sheet.RawScores[scI], 50);
  EXPECT_EQ(sheet.RawScores[scA], 10);
  EXPECT_EQ(sheet.RawScores[scS], 20);
  EXPECT_EQ(sheet.RawScores[scE], 40);
  EXPECT_EQ(sheet.RawScores[scC], 41);

  // Two gaps in one scale make the sheet unevaluable, but every score is still written,
  // and a prorated half goes to the even neighbour.
  sheet = AllAnswered(2);
  sheet.RawScores[scC] = 99;
  SetScale(sheet, scS, {0, 0, 4, 4, 3, 3, 3, 3, 3, 3});  // 26 * 10 / 8 = 32.5 -> 32
  SetScale(sheet, scE, {4, 4, 4, 4, 4, 4, 3, 3, 0, 0});  // 30 * 10 / 8 = 37.5 -> 38
  EXPECT_FALSE(ComputeRawScores(sheet));
  EXPECT_EQ(sheet.RawScores[scS], 32);
  EXPECT_EQ(sheet.RawScores[scE], 38);
  EXPECT_EQ(sheet.RawScores[scR], 20);
  EXPECT_EQ(sheet.RawScores[scC], 20);

  sheet = AllAnswered(0);
  for (auto& raw : sheet.RawScores) raw = 42;
  EXPECT_FALSE(ComputeRawScores(sheet));
  for (const auto raw : sheet.RawScores) EXPECT_EQ(raw, 0);
}

TEST(Scoring, AnswerSpreadIsTheSampleDeviationOfTheGivenAnswers) {
  InitItems();
  TScoreSheet sheet = AllAnswered(4);
  SetScale(sheet, scA, {1, 2, 3, 4, 5, 1, 2, 3, 4, 5});
  EXPECT_NEAR(ScaleAnswerSD(sheet, scA), std::sqrt(20.0 / 9.0), 1e-12);
  EXPECT_NEAR(ScaleAnswerSD(sheet, scA), 1.4907, 1e-4);
  EXPECT_EQ(ScaleAnswerSD(sheet, scR), 0.0);

  // An unanswered item takes no part: 1 2 3 4 5 1 2 3 4 has mean 25/9.
  SetScale(sheet, scA, {1, 2, 3, 4, 5, 1, 2, 3, 4, 0});
  double squares = 0;
  for (int a : {1, 2, 3, 4, 5, 1, 2, 3, 4}) squares += (a - 25.0 / 9) * (a - 25.0 / 9);
  EXPECT_NEAR(ScaleAnswerSD(sheet, scA), std::sqrt(squares / 8), 1e-12);

  // Fewer than two answers have no spread; the result is 0, never a division by zero.
  SetScale(sheet, scC, {0, 0, 0, 0, 5, 0, 0, 0, 0, 0});
  EXPECT_EQ(ScaleAnswerSD(sheet, scC), 0.0);
  SetScale(sheet, scC, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(ScaleAnswerSD(sheet, scC), 0.0);
}

TEST(Scoring, ScorableSheetNeedsASexRawScoresInRangeAndTwoAnswersPerScale) {
  InitItems();
  TResultRecord r{};
  r.ScoreSheet = AllAnswered(1);
  ASSERT_TRUE(ComputeRawScores(r.ScoreSheet));
  EXPECT_TRUE(IsScorableSheet(r));
  r.Sex = sxFemale;
  EXPECT_TRUE(IsScorableSheet(r));
  r.Sex = 2;
  EXPECT_FALSE(IsScorableSheet(r));
  r.Sex = sxMale;

  for (const int bad : {9, 51, 0, -1, 1000}) {
    TResultRecord copy = r;
    copy.ScoreSheet.RawScores[scE] = bad;
    EXPECT_FALSE(IsScorableSheet(copy)) << bad;
  }
  TResultRecord copy = r;
  copy.ScoreSheet.RawScores[scE] = 50;
  copy.ScoreSheet.RawScores[scR] = 10;
  EXPECT_TRUE(IsScorableSheet(copy));

  // Raw scores in range but only one answer left in a scale (a damaged import).
  SetScale(r.ScoreSheet, scI, {0, 0, 0, 0, 0, 0, 0, 0, 0, 5});
  EXPECT_FALSE(IsScorableSheet(r));
  SetScale(r.ScoreSheet, scI, {0, 0, 0, 0, 0, 0, 0, 0, 4, 5});
  EXPECT_TRUE(IsScorableSheet(r));
}
