#pragma once
// Score sheets for the engine tests.
#include <array>
#include <initializer_list>

#include "framework.h"

// Sets the answers of scale s, its k-th item (k = 0..9) being item 6k + s + 1.
inline void SetScale(TScoreSheet& sheet, int s, std::initializer_list<int> answers) {
  int k = 0;
  for (const int a : answers) sheet.Answers[6 * k++ + s] = static_cast<std::int16_t>(a);
}

// Every item answered with value.
inline TScoreSheet AllAnswered(int value) {
  TScoreSheet sheet{};
  for (auto& a : sheet.Answers) a = static_cast<std::int16_t>(value);
  return sheet;
}

// A sheet holding only the raw scores R I A S E C.
inline TScoreSheet RawSheet(const std::array<int, ScaleCount>& raw) {
  TScoreSheet sheet{};
  for (int s = 0; s < ScaleCount; ++s) sheet.RawScores[s] = raw[s];
  return sheet;
}

// Builds every engine table the tests read.
inline void InitEngineTables() {
  InitFrameworkTables();
  InitItems();
  InitPages();
  InitNorms();
}
