#pragma once
// A scored respondent for tests of the results: Jana Nováková, 16, with the
// answers on scale s around base[s] (1..5) and the raw scores computed.
#include <algorithm>

#include "cp1250.h"
#include "framework.h"

inline TResultRecord ScoredRecord(const int (&base)[ScaleCount]) {
  TResultRecord r{};
  r.Name.assign(Utf8ToCp1250("Jana Nováková"));
  r.Sex = sxFemale;
  r.Age = 16;
  r.Education = edSecondaryLeavingExam;
  r.ExpectedEducation = edUniversity;
  for (int i = 0; i < ItemCount; ++i)
    r.ScoreSheet.Answers[i] = static_cast<std::int16_t>(std::clamp(base[i % ScaleCount] + (i / 6) % 3 - 1, 1, 5));
  ComputeRawScores(r.ScoreSheet);
  return r;
}
