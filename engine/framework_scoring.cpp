#include "framework_scoring.h"

#include <cmath>

#include "framework_items.h"

namespace {
// The number of answered items (answer > 0) of each scale.
void CountAnswers(const TScoreSheet& sheet, int (&answered)[ScaleCount]) {
  for (int& a : answered) a = 0;
  for (int n = 1; n <= ItemCount; ++n)
    if (sheet.Answers[n - 1] > 0) ++answered[ItemScale[n]];
}
}  // namespace

bool ComputeRawScores(TScoreSheet& sheet) {
  int sum[ScaleCount] = {};
  int items[ScaleCount] = {};
  int answered[ScaleCount];
  CountAnswers(sheet, answered);
  for (int n = 1; n <= ItemCount; ++n) {
    sum[ItemScale[n]] += sheet.Answers[n - 1];
    ++items[ItemScale[n]];
  }

  bool scorable = true;
  for (int s = 0; s < ScaleCount; ++s) {
    sheet.RawScores[s] = 0;
    if (answered[s] >= 1) {
      // Prorated to all of the scale's items; the default rounding mode sends a half to the even neighbour.
      const double prorated = static_cast<double>(sum[s] * items[s]) / answered[s];
      sheet.RawScores[s] = static_cast<std::int32_t>(std::nearbyint(prorated));
    }
    if (answered[s] + 1 < items[s]) scorable = false;
  }
  return scorable;
}

double ScaleAnswerSD(const TScoreSheet& sheet, TScale s) {
  int k = 0;
  double sum = 0;
  for (int n = 1; n <= ItemCount; ++n) {
    if (ItemScale[n] == s && sheet.Answers[n - 1] > 0) {
      ++k;
      sum += sheet.Answers[n - 1];
    }
  }
  if (k < 2) return 0;
  const double mean = sum / k;
  double squares = 0;
  for (int n = 1; n <= ItemCount; ++n) {
    if (ItemScale[n] == s && sheet.Answers[n - 1] > 0) {
      const double d = sheet.Answers[n - 1] - mean;
      squares += d * d;
    }
  }
  return std::sqrt(squares / (k - 1));
}

bool IsScorableSheet(const TResultRecord& r) {
  if (r.Sex != sxMale && r.Sex != sxFemale) return false;
  for (const std::int32_t raw : r.ScoreSheet.RawScores)
    if (raw < MinRawScore || raw > MaxRawScore) return false;
  int answered[ScaleCount];
  CountAnswers(r.ScoreSheet, answered);
  for (const int a : answered)
    if (a < 2) return false;
  return true;
}
