#include <gtest/gtest.h>

#include <set>

#include "framework_sheets.h"

namespace {
struct TCodes {
  TStringArray Exact, Coarse, Permuted;
};
TCodes Derive(const TScoreSheet& sheet, TSex sex = sxMale) {
  TCodes c;
  DeriveCodes(sheet, Norms[sex], c.Exact, c.Coarse, c.Permuted);
  return c;
}
// A small reproducible generator of test sheets: next(n) is one of 0..n-1.
struct TDice {
  std::uint32_t State;
  int operator()(std::uint32_t n) {
    State = State * 1664525u + 1013904223u;
    return static_cast<int>((static_cast<std::uint64_t>(State) * n) >> 32);
  }
};
// The five other orders of each code, in the order the derivation adds them.
TStringArray OtherOrders(const TStringArray& codes) {
  TStringArray out;
  for (const auto& c : codes)
    for (const char* p : {"021", "102", "120", "201", "210"})
      out.push_back({c[p[0] - '0'], c[p[1] - '0'], c[p[2] - '0']});
  return out;
}
}  // namespace

TEST(Codes, WorkedExamplesGiveTheirExactLists) {
  InitEngineTables();
  // One clear code; the coarse pass ties E with C at exactly 12.0.
  TCodes c = Derive(RawSheet({21, 21, 22, 41, 38, 22}));
  EXPECT_EQ(c.Exact, (TStringArray{"SEA"}));
  EXPECT_EQ(c.Coarse, (TStringArray{"SER", "SEI", "SEC"}));
  EXPECT_EQ(c.Permuted, OtherOrders({"SEA", "SER", "SEI", "SEC"}));
  EXPECT_EQ(c.Permuted.size(), 20u);

  // Three tied leaders: six triples, trimmed to four by the generator.
  c = Derive(RawSheet({35, 34, 20, 33, 21, 22}));
  EXPECT_EQ(c.Exact, (TStringArray{"RIS", "RSI", "IRS", "SIR"}));
  EXPECT_EQ(c.Coarse, (TStringArray{"SRI", "ISR"}));
  EXPECT_TRUE(c.Permuted.empty());

  // One leader above a four-way tie.
  c = Derive(RawSheet({10, 12, 11, 11, 14, 17}));
  EXPECT_EQ(c.Exact, (TStringArray{"CIA", "CIS", "CEI", "CEA"}));
  EXPECT_EQ(c.Coarse, (TStringArray{"CRI", "CRA", "CRS", "CRE", "CIR", "CAR", "CSR", "CER", "CSE", "CSI", "CSA", "CAS",
                                    "CIE", "CAI", "CES", "CAE"}));
  EXPECT_EQ(c.Permuted.size(), 40u);

  // Six equal Z-scores: all 120 triples, 116 of them drawn out to the coarse list.
  const TScoreSheet flat = RawSheet({26, 25, 20, 24, 28, 23});
  c = Derive(flat);
  EXPECT_EQ(c.Exact, (TStringArray{"RIA", "CRA", "ERS", "ASI"}));
  ASSERT_EQ(c.Coarse.size(), 116u);
  EXPECT_TRUE(c.Permuted.empty());
  // Between them the two lists hold each of the 120 triples once.
  const TStringArray all = CodeTriples("RIASEC");
  EXPECT_EQ(TStringArray(all.begin(), all.begin() + 5), (TStringArray{"RIA", "RIS", "RIE", "RIC", "RAI"}));
  std::set<std::string> found(c.Exact.begin(), c.Exact.end());
  found.insert(c.Coarse.begin(), c.Coarse.end());
  EXPECT_EQ(found, std::set<std::string>(all.begin(), all.end()));
  EXPECT_EQ(c.Coarse.front(), [] {
    GeneratorSeed = 2222;  // the first draw picks the first triple to move
    return CodeTriples("RIASEC")[RandomBelow(119) + 1];
  }());

  // The sheet is not touched, and a second call after other draws gives the same lists.
  TScoreSheet copy = flat;
  GeneratorSeed = 12345;
  RandomBelow(7);
  const TCodes again = Derive(copy);
  EXPECT_EQ(std::memcmp(&copy, &flat, sizeof copy), 0);
  EXPECT_EQ(again.Exact, c.Exact);
  EXPECT_EQ(again.Coarse, c.Coarse);
}

TEST(Codes, SelectionsAndTheDuplicateRule) {
  EXPECT_EQ(CodePairs("RIS"), (TStringArray{"RI", "RS", "IR", "IS", "SR", "SI"}));
  EXPECT_EQ(CodePairs("E").size(), 0u);
  EXPECT_EQ(CodeTriples("RIAS").size(), 24u);
  EXPECT_EQ(CodeTriples("RIA"), (TStringArray{"RIA", "RAI", "IRA", "IAR", "ARI", "AIR"}));

  // Counts 5, 4 and a three-way tie for the last letter.
  EXPECT_EQ(BuildTieCodes({0, 0, 0, 5, 4, 0}), (TStringArray{"SER", "SEI", "SEA", "SEC"}));
  // A pair tie on top, then one letter.
  EXPECT_EQ(BuildTieCodes({3, 3, 1, 0, 0, 0}), (TStringArray{"RIA", "IRA"}));
  // A leader, then a four-way tie supplying two letters.
  EXPECT_EQ(BuildTieCodes({0, 1, 1, 1, 1, 5}).size(), 12u);

  TStringArray exact{"RIA"}, coarse{"SEC"}, permuted{"AIR"};
  AddCodeIfNew("RIA", coarse, exact, coarse, permuted);
  AddCodeIfNew("AIR", exact, exact, coarse, permuted);
  AddCodeIfNew("ria", permuted, exact, coarse, permuted);  // case matters
  AddCodeIfNew("IRA", coarse, exact, coarse, permuted);
  EXPECT_EQ(exact, (TStringArray{"RIA"}));
  EXPECT_EQ(coarse, (TStringArray{"SEC", "IRA"}));
  EXPECT_EQ(permuted, (TStringArray{"AIR", "ria"}));
}

TEST(Codes, UnscorableSheetHasNoCode) {
  InitEngineTables();
  TCodes c{{"X"}, {"Y"}, {"Z"}};
  for (const int bad : {0, 9, 51, -1}) {
    DeriveCodes(RawSheet({30, 30, 30, bad, 30, 30}), Norms[sxMale], c.Exact, c.Coarse, c.Permuted);
    EXPECT_TRUE(c.Exact.empty() && c.Coarse.empty() && c.Permuted.empty()) << bad;
  }
}

TEST(Codes, RandomSheetsGiveStableDistinctCodes) {
  InitEngineTables();
  TDice next{20261208u};
  std::size_t exactSizes[5] = {};
  for (int round = 0; round < 2000; ++round) {
    TScoreSheet sheet{};
    for (auto& a : sheet.Answers) a = static_cast<std::int16_t>(1 + next(5));
    ASSERT_TRUE(ComputeRawScores(sheet));
    const TSex sex = static_cast<TSex>(next(2));
    const TCodes first = Derive(sheet, sex);
    const TCodes second = Derive(sheet, sex);
    ASSERT_EQ(first.Exact, second.Exact);
    ASSERT_EQ(first.Coarse, second.Coarse);
    ASSERT_EQ(first.Permuted, second.Permuted);
    ASSERT_GE(first.Exact.size(), 1u);
    ASSERT_LE(first.Exact.size(), 4u);
    ++exactSizes[first.Exact.size()];

    std::set<std::string> seen;
    for (const TStringArray* list : {&first.Exact, &first.Coarse, &first.Permuted})
      for (const auto& code : *list) {
        ASSERT_EQ(code.size(), 3u);
        for (const char letter : code) ASSERT_NE(ScaleLetters.find(letter), std::string_view::npos) << code;
        ASSERT_TRUE(code[0] != code[1] && code[0] != code[2] && code[1] != code[2]) << code;
        ASSERT_TRUE(seen.insert(code).second) << code;
      }
    // Every order of every exact or coarse code is somewhere in the three lists.
    for (const auto& code : OtherOrders(first.Exact)) ASSERT_TRUE(seen.count(code)) << code;
  }
  // The sample reaches every size of the exact list.
  for (int n = 1; n <= 4; ++n) EXPECT_GT(exactSizes[n], 0u) << n;
}

namespace {
// The derivation written out plainly, step by step, with strings and linear searches: the fast one must
// give the same three lists in the same order and leave the generator where this one does.
TCodes ReferenceCodes(const TScoreSheet& sheet, const TNormBlock& block) {
  GeneratorSeed = 2222;
  TCodes c;
  TScoreSheet copy = sheet;
  ConvertScores(copy, block, skZScore);
  const auto addIfNew = [&](const std::string& code, TStringArray& target) {
    for (const TStringArray* list : {&c.Exact, &c.Coarse, &c.Permuted})
      for (const auto& have : *list)
        if (have == code) return;
    target.push_back(code);
  };
  const auto pass = [&](const double(&crit)[ScaleCount][ScaleCount], TStringArray& target) {
    int counts[ScaleCount];
    for (int i = 0; i < ScaleCount; ++i) {
      counts[i] = 0;
      for (int j = 0; j < ScaleCount; ++j)
        if (j != i && copy.Scores[i] - copy.Scores[j] > crit[i][j]) ++counts[i];
    }
    TStringArray candidates;
    std::size_t length = 0;
    for (int level = 6; level >= 0 && length < 3; --level) {
      std::string group;
      for (int s = 0; s < ScaleCount; ++s)
        if (counts[s] == level) group += "RIASEC"[s];
      if (group.empty()) continue;
      const std::size_t need = 3 - length, g = group.size();
      TStringArray selections;
      for (std::size_t i = 0; i < g; ++i) {
        if (need == 1 || g == 1) {
          selections.push_back(std::string(1, group[i]));
          continue;
        }
        for (std::size_t j = 0; j < g; ++j) {
          if (j == i) continue;
          if (need == 2 || g == 2) {
            selections.push_back(std::string{group[i], group[j]});
            continue;
          }
          for (std::size_t k = 0; k < g; ++k)
            if (k != i && k != j) selections.push_back(std::string{group[i], group[j], group[k]});
        }
      }
      if (candidates.empty()) {
        candidates = selections;
      } else {
        TStringArray joined;
        for (const auto& old : candidates)
          for (const auto& sel : selections) joined.push_back(old + sel);
        candidates = joined;
      }
      length = candidates[0].size();
    }
    for (const auto& code : candidates) addIfNew(code, target);
  };
  pass(CritFine, c.Exact);
  pass(CritCoarse, c.Coarse);
  for (const TStringArray* list : {&c.Exact, &c.Coarse})
    for (const auto& x : *list)
      for (const std::string& p :
           {std::string{x[0], x[2], x[1]}, std::string{x[1], x[0], x[2]}, std::string{x[1], x[2], x[0]},
            std::string{x[2], x[0], x[1]}, std::string{x[2], x[1], x[0]}})
        addIfNew(p, c.Permuted);
  while (c.Exact.size() > 4) {
    const std::size_t n = c.Exact.size();
    const std::size_t k = RandomBelow(static_cast<std::uint32_t>(n - 1)) + 1;
    c.Coarse.push_back(c.Exact[k]);
    c.Exact[k] = c.Exact[n - 1];
    c.Exact.pop_back();
  }
  return c;
}
}  // namespace

TEST(Codes, DerivationMatchesThePlainAlgorithmOnRandomSheets) {
  InitEngineTables();
  TDice next{977u};
  std::size_t drawnSheets = 0, permutedCodes = 0;
  for (int round = 0; round < 6000; ++round) {
    TScoreSheet sheet{};
    if (round % 3 == 0) {  // answered at random
      for (auto& a : sheet.Answers) a = static_cast<std::int16_t>(1 + next(5));
      ASSERT_TRUE(ComputeRawScores(sheet));
    } else if (round % 3 == 1) {  // any raw scores
      for (auto& raw : sheet.RawScores) raw = 10 + next(41);
    } else {  // close together, so that many scales tie
      const int base = 12 + next(35);
      for (auto& raw : sheet.RawScores) raw = base + next(5) - 2;
    }
    const TSex sex = static_cast<TSex>(next(2));
    const TCodes expected = ReferenceCodes(sheet, Norms[sex]);
    const std::uint32_t seedAfter = GeneratorSeed;
    const TCodes got = Derive(sheet, sex);
    ASSERT_EQ(got.Exact, expected.Exact) << round;
    ASSERT_EQ(got.Coarse, expected.Coarse) << round;
    ASSERT_EQ(got.Permuted, expected.Permuted) << round;
    ASSERT_EQ(GeneratorSeed, seedAfter) << round;
    drawnSheets += seedAfter != 2222;
    permutedCodes += got.Permuted.size();
  }
  // The sample exercises the trim and the permutations, not only single clear codes.
  EXPECT_GT(drawnSheets, 100u);
  EXPECT_GT(permutedCodes, 6000u);
}
