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
TReportData ComputeReportData(const TResultRecord& R, TProfessionLevel EducationGroup, TScoreKind Kind);
