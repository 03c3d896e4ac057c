#pragma once
// The report data that the print dialog carries: everything the printed
// report and the Word export need, written by the results screen before the
// dialog is shown. The outputs read only these fields, never the record.
// Texts are code page 1250. No Qt.
#include <cstdint>
#include <string>

#include "framework.h"

struct TPrintFields {
  double Scores[ScaleCount] = {};  // R I A S E C, of the kind ScoreKind
  std::uint8_t ScoreKind = skPercentile;  // 0 percentile, 1 T-score, 2 Z-score (3 turned into 2 on show)
  std::string ConsistencyTexts[ScaleCount];  // "vysoká", "střední" or "nízká"
  TStringArray NoteLines;              // the counsellor's notes, one entry per line
  TStringArray ProfessionLines;        // name + mark ("", "*", "**")
  TStringArray OtherProfessionLines;   // the same form
  TStringArray OtherProfessionLevels;  // parallel: "ZŠ,SŠ" and the like
  std::string CodeText;                // the exact codes joined by "/"
  std::string PersonLines[3];
  double ScaleRange = 0;
  double ScaleSpread = 0;
  bool ShowHexagon = true;  // the report's chart: hexagon, else the profile graph
};
