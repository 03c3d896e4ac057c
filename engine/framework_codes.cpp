#include "framework_codes.h"

#include <algorithm>

#include "framework_random.h"
#include "framework_tables.h"

namespace {
constexpr std::uint32_t CodeSeed = 2222;
constexpr std::size_t CodeLength = 3;
constexpr std::size_t MaxExactCodes = 4;

bool Contains(const TStringArray& list, const std::string& code) {
  return std::find(list.begin(), list.end(), code) != list.end();
}

// For each scale, the number of other scales it exceeds by more than the critical difference.
void DominanceCounts(const double (&z)[ScaleCount], const double (&crit)[ScaleCount][ScaleCount],
                     int (&counts)[ScaleCount]) {
  for (int i = 0; i < ScaleCount; ++i) {
    counts[i] = 0;
    for (int j = 0; j < ScaleCount; ++j)
      if (j != i && z[i] - z[j] > crit[i][j]) ++counts[i];
  }
}
}  // namespace

TStringArray CodePairs(const std::string& group) {
  TStringArray pairs;
  for (std::size_t i = 0; i < group.size(); ++i)
    for (std::size_t j = 0; j < group.size(); ++j)
      if (j != i) pairs.push_back({group[i], group[j]});
  return pairs;
}

TStringArray CodeTriples(const std::string& group) {
  TStringArray triples;
  for (std::size_t i = 0; i < group.size(); ++i)
    for (std::size_t j = 0; j < group.size(); ++j)
      for (std::size_t k = 0; k < group.size(); ++k)
        if (j != i && k != i && k != j) triples.push_back({group[i], group[j], group[k]});
  return triples;
}

TStringArray BuildTieCodes(const int (&counts)[ScaleCount]) {
  TStringArray candidates;
  std::size_t length = 0;
  // Levels run from 6 down; a count outside 0..5 belongs to no level and its scale is never chosen.
  for (int level = ScaleCount; level >= 0 && length < CodeLength; --level) {
    std::string group;
    for (int s = 0; s < ScaleCount; ++s)
      if (counts[s] == level) group += ScaleLetters[s];
    if (group.empty()) continue;

    const std::size_t need = CodeLength - length;
    TStringArray selections;
    if (need == 1 || group.size() == 1) {
      for (const char letter : group) selections.push_back(std::string(1, letter));
    } else if (need == 2 || group.size() == 2) {
      selections = CodePairs(group);
    } else {
      selections = CodeTriples(group);
    }

    if (candidates.empty()) {
      candidates = std::move(selections);
    } else {
      TStringArray joined;
      joined.reserve(candidates.size() * selections.size());
      for (const auto& old : candidates)
        for (const auto& sel : selections) joined.push_back(old + sel);
      candidates = std::move(joined);
    }
    length = candidates.front().size();
  }
  return candidates;
}

void AddCodeIfNew(const std::string& code, TStringArray& target, const TStringArray& ExactCodes,
                  const TStringArray& CoarseCodes, const TStringArray& PermutedCodes) {
  if (Contains(ExactCodes, code) || Contains(CoarseCodes, code) || Contains(PermutedCodes, code)) return;
  target.push_back(code);
}

void DeriveCodes(const TScoreSheet& sheet, const TNormBlock& block, TStringArray& ExactCodes, TStringArray& CoarseCodes,
                 TStringArray& PermutedCodes) {
  GeneratorSeed = CodeSeed;
  ExactCodes.clear();
  CoarseCodes.clear();
  PermutedCodes.clear();
  for (const std::int32_t raw : sheet.RawScores)
    if (raw < MinRawScore || raw > MaxRawScore) return;

  TScoreSheet copy = sheet;
  ConvertScores(copy, block, skZScore);
  double z[ScaleCount];
  std::copy(std::begin(copy.Scores), std::end(copy.Scores), z);

  int counts[ScaleCount];
  const auto pass = [&](const double(&crit)[ScaleCount][ScaleCount], TStringArray& target) {
    DominanceCounts(z, crit, counts);
    for (const auto& code : BuildTieCodes(counts)) AddCodeIfNew(code, target, ExactCodes, CoarseCodes, PermutedCodes);
  };
  pass(CritFine, ExactCodes);
  pass(CritCoarse, CoarseCodes);

  // Every other order of the letters of each code found so far.
  for (const TStringArray* list : {&ExactCodes, &CoarseCodes}) {
    for (const auto& c : *list) {
      for (const std::string& p :
           {std::string{c[0], c[2], c[1]}, std::string{c[1], c[0], c[2]}, std::string{c[1], c[2], c[0]},
            std::string{c[2], c[0], c[1]}, std::string{c[2], c[1], c[0]}})
        AddCodeIfNew(p, PermutedCodes, ExactCodes, CoarseCodes, PermutedCodes);
    }
  }

  // Trim to four exact codes; the first never moves, the others leave at random for the coarse list.
  while (ExactCodes.size() > MaxExactCodes) {
    const std::size_t n = ExactCodes.size();
    const std::size_t k = RandomBelow(static_cast<std::uint32_t>(n - 1)) + 1;
    CoarseCodes.push_back(ExactCodes[k]);
    ExactCodes[k] = ExactCodes.back();
    ExactCodes.pop_back();
  }
}
