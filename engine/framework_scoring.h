#pragma once
// Scoring: the raw scale scores with the missing-answer rule, the spread of
// the answers within one scale, and the check that a stored record can be
// converted and coded at all.
#include "framework_record.h"
#include "framework_types.h"

constexpr int MinRawScore = 10;
constexpr int MaxRawScore = 50;

// Writes all six RawScores of the sheet from its Answers (reading ItemScale):
// the answer sum of each scale prorated to its ten items, halves rounded to
// the even neighbour, and 0 for a scale without any answer. Returns true
// when every scale has at most one unanswered item; the raw scores are
// written either way. Touches no other field.
bool ComputeRawScores(TScoreSheet& sheet);

// The sample standard deviation of the answered items (answer > 0) of scale s.
// Fewer than two answered items have no spread to measure: the result is 0.
double ScaleAnswerSD(const TScoreSheet& sheet, TScale s);

// Whether a record can be converted and coded: Sex is 0 or 1 (so Norms has
// a block for it), every raw score lies in 10..50 (the rows of the norm
// tables) and every scale has at least two answers (so ScaleAnswerSD is
// defined). Records that a test run stores always pass; imported or restored
// records may not, and callers check them before using the results routines.
bool IsScorableSheet(const TResultRecord& r);
