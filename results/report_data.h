#pragma once
// The results of one respondent as the results screen, the printed report
// and the Word export show them, computed from the record alone: no window,
// no Qt. Texts are code page 1250.
#include <cstdint>
#include <string>
#include <vector>

#include "framework.h"

struct TReportData {
  std::string PersonLines[3];
  std::string ConsistencyTexts[ScaleCount];
  double Scores[ScaleCount]; double ScaleRange; double ScaleSpread;
  std::string CodeText;
  TStringArray CodeExplanation;   // the lines of kodmemo
  TStringArray ProfessionLines, OtherProfessionLines, OtherProfessionLevels;
  std::vector<std::uint8_t> Selected, MatchMark;
};
// Everything the results show about the record R: person lines, consistency
// words, the scores of kind Kind (raw scores as Z-scores), the exact codes and
// their explanation, and the professions of the catalogue that match the
// codes, thinned by education level (EducationGroup at most 12, each other
// level at most 8) with a fixed-seed draw, so one record always gives the
// same lists. Selected and MatchMark run parallel to Professions. A record
// that IsScorableSheet refuses (sex other than 0 or 1, a raw score outside
// the norms, a scale with fewer than two answers) gets its person lines only:
// everything else stays empty or zero, and the caller tells the counsellor.
TReportData ComputeReportData(const TResultRecord& R, TProfessionLevel EducationGroup, TScoreKind Kind);

// Per scale the lower and upper limit of the answers' standard deviation:
// below the lower limit the answers are consistent ("vysoká"), from the upper
// limit on they are not ("nízká"), in between "střední".
extern const double ConsistencyLimits[ScaleCount][2];
const std::string& ConsistencyWord(TScale s, double sd);
