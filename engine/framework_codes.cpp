#include "framework_codes.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>

#include "framework_random.h"
#include "framework_tables.h"

// The derivation runs once for every record of a CSV export, so it works on
// scale numbers in fixed arrays: a code is one number holding its scales as
// digits in base 6 (R I A S E C = 0..5, the first scale the highest digit), a
// list a counted array, and "stands in one of the three lists already" one
// bit per possible code. Only the finished lists become strings.

namespace {
constexpr std::uint32_t CodeSeed = 2222;
constexpr std::size_t CodeLength = 3;
constexpr std::size_t MaxExactCodes = 4;
// Codes of three different letters out of six; no list, and no candidate list, can hold more.
constexpr std::size_t MaxCodes = ScaleCount * (ScaleCount - 1) * (ScaleCount - 2);
constexpr std::size_t CodeKeys = ScaleCount * ScaleCount * ScaleCount;

using TCode = std::uint8_t;

constexpr TCode Code(int a, int b, int c) {
  return static_cast<TCode>((a * ScaleCount + b) * ScaleCount + c);
}

// A list of codes in the order they were added.
struct TCodeList {
  std::array<TCode, MaxCodes> Items;
  std::size_t Count = 0;
  void Add(TCode code) { Items[Count++] = code; }
};

// The candidates of one pass: all of one length (up to three scales).
struct TCandidates {
  TCodeList List;
  std::size_t Length = 0;
};

// Calls emit(positions) for every ordered choice of `take` (1..3) different positions of a group of `size`:
// for each first position, within it each second, within that each third.
template <class Emit>
void ForEachOrderedChoice(std::size_t size, std::size_t take, Emit emit) {
  std::size_t pos[CodeLength];
  for (pos[0] = 0; pos[0] < size; ++pos[0]) {
    if (take == 1) {
      emit(pos);
      continue;
    }
    for (pos[1] = 0; pos[1] < size; ++pos[1]) {
      if (pos[1] == pos[0]) continue;
      if (take == 2) {
        emit(pos);
        continue;
      }
      for (pos[2] = 0; pos[2] < size; ++pos[2])
        if (pos[2] != pos[0] && pos[2] != pos[1]) emit(pos);
    }
  }
}

// The letters of a group taken at each ordered choice of `take` positions.
TStringArray OrderedChoices(const std::string& group, std::size_t take) {
  TStringArray choices;
  ForEachOrderedChoice(group.size(), take, [&](const std::size_t* pos) {
    std::string choice;
    for (std::size_t t = 0; t < take; ++t) choice += group[pos[t]];
    choices.push_back(std::move(choice));
  });
  return choices;
}

// The tie candidates of the dominance counts.
void TieCandidates(const int (&counts)[ScaleCount], TCandidates& out) {
  out.List.Count = 0;
  out.Length = 0;
  // The scales of each level, in scale order. Levels run from 6 down; a count outside 0..6 belongs to no
  // level and its scale is never chosen.
  int groups[ScaleCount + 1][ScaleCount];
  std::size_t sizes[ScaleCount + 1] = {};
  for (int s = 0; s < ScaleCount; ++s)
    if (counts[s] >= 0 && counts[s] <= ScaleCount) groups[counts[s]][sizes[counts[s]]++] = s;

  TCodeList joined;
  for (int level = ScaleCount; level >= 0 && out.Length < CodeLength; --level) {
    const int* group = groups[level];
    const std::size_t size = sizes[level];
    if (size == 0) continue;

    // All ordered choices of as many letters of the group as are still needed (or it has), each appended
    // to every candidate so far; the first group's choices start the list.
    const std::size_t take = std::min(CodeLength - out.Length, size);
    const std::size_t oldCount = std::max<std::size_t>(out.List.Count, 1);
    joined.Count = 0;
    for (std::size_t o = 0; o < oldCount; ++o) {
      const int old = out.List.Count > 0 ? out.List.Items[o] : 0;
      ForEachOrderedChoice(size, take, [&](const std::size_t* pos) {
        int code = old;
        for (std::size_t t = 0; t < take; ++t) code = code * ScaleCount + group[pos[t]];
        joined.Add(static_cast<TCode>(code));
      });
    }
    out.List = joined;
    out.Length += take;
  }
}

// The letters of a code of the given length.
std::string CodeText(int code, std::size_t length) {
  std::string text(length, ' ');
  for (std::size_t i = length; i-- > 0; code /= ScaleCount) text[i] = ScaleLetters[code % ScaleCount];
  return text;
}

// The letters of each code as a set, one bit per scale: the six orders of three letters share it.
const std::array<std::uint8_t, CodeKeys> LetterSets = [] {
  std::array<std::uint8_t, CodeKeys> sets{};
  for (std::size_t code = 0; code < CodeKeys; ++code)
    sets[code] = static_cast<std::uint8_t>((1 << code / (ScaleCount * ScaleCount)) |
                                           (1 << code / ScaleCount % ScaleCount) | (1 << code % ScaleCount));
  return sets;
}();
constexpr std::size_t OrdersOfThree = 6;

// The three lists of one derivation, the codes standing in any of them, and how many orders of each set
// of letters stand there.
struct TCodeLists {
  TCodeList Exact, Coarse, Permuted;
  std::bitset<CodeKeys> Present;
  std::array<std::uint8_t, 1 << ScaleCount> OrdersPresent{};

  void AddIfNew(TCode code, TCodeList& target) {
    if (Present[code]) return;
    Present[code] = true;
    ++OrdersPresent[LetterSets[code]];
    target.Add(code);
  }
  bool AllOrdersPresent(TCode code) const { return OrdersPresent[LetterSets[code]] == OrdersOfThree; }
};

void StoreList(const TCodeList& list, TStringArray& out) {
  // The letters of every three-scale code, worked out once.
  static const std::array<std::array<char, CodeLength>, CodeKeys> texts = [] {
    std::array<std::array<char, CodeLength>, CodeKeys> t;
    for (std::size_t code = 0; code < CodeKeys; ++code) {
      const std::string text = CodeText(static_cast<int>(code), CodeLength);
      std::copy(text.begin(), text.end(), t[code].begin());
    }
    return t;
  }();
  out.resize(list.Count);
  for (std::size_t i = 0; i < list.Count; ++i) {
    const char* text = texts[list.Items[i]].data();
    if (out[i].size() == CodeLength)  // a string kept from the caller's last use: only its letters change
      std::copy_n(text, CodeLength, out[i].begin());
    else
      out[i].assign(text, CodeLength);
  }
}

// For each scale, the number of other scales it exceeds by more than the critical difference.
void DominanceCounts(const double (&z)[ScaleCount], const double (&crit)[ScaleCount][ScaleCount],
                     int (&counts)[ScaleCount]) {
  for (int i = 0; i < ScaleCount; ++i) {
    int count = 0;
    for (int j = 0; j < ScaleCount; ++j) count += (j != i) & (z[i] - z[j] > crit[i][j]);
    counts[i] = count;
  }
}
}  // namespace

TStringArray CodePairs(const std::string& group) {
  return OrderedChoices(group, 2);
}

TStringArray CodeTriples(const std::string& group) {
  return OrderedChoices(group, 3);
}

TStringArray BuildTieCodes(const int (&counts)[ScaleCount]) {
  TCandidates candidates;
  TieCandidates(counts, candidates);
  TStringArray codes;
  codes.reserve(candidates.List.Count);
  for (std::size_t i = 0; i < candidates.List.Count; ++i)
    codes.push_back(CodeText(candidates.List.Items[i], candidates.Length));
  return codes;
}

void AddCodeIfNew(const std::string& code, TStringArray& target, const TStringArray& ExactCodes,
                  const TStringArray& CoarseCodes, const TStringArray& PermutedCodes) {
  for (const TStringArray* list : {&ExactCodes, &CoarseCodes, &PermutedCodes})
    if (std::find(list->begin(), list->end(), code) != list->end()) return;
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

  TCodeLists lists;
  TCandidates candidates;
  int counts[ScaleCount];
  const auto pass = [&](const double(&crit)[ScaleCount][ScaleCount], TCodeList& target) {
    DominanceCounts(z, crit, counts);
    TieCandidates(counts, candidates);
    for (std::size_t i = 0; i < candidates.List.Count; ++i) lists.AddIfNew(candidates.List.Items[i], target);
  };
  pass(CritFine, lists.Exact);
  pass(CritCoarse, lists.Coarse);

  // Every other order of the letters of each code found so far.
  for (const TCodeList* list : {&lists.Exact, &lists.Coarse}) {
    for (std::size_t i = 0; i < list->Count; ++i) {
      const int code = list->Items[i];
      if (lists.AllOrdersPresent(list->Items[i])) continue;  // each of them would be turned away
      const int a = code / (ScaleCount * ScaleCount), b = code / ScaleCount % ScaleCount, c = code % ScaleCount;
      for (const TCode p : {Code(a, c, b), Code(b, a, c), Code(b, c, a), Code(c, a, b), Code(c, b, a)})
        lists.AddIfNew(p, lists.Permuted);
    }
  }

  // Trim to four exact codes; the first never moves, the others leave at random for the coarse list.
  TCodeList& exact = lists.Exact;
  while (exact.Count > MaxExactCodes) {
    const std::size_t k = RandomBelow(static_cast<std::uint32_t>(exact.Count - 1)) + 1;
    lists.Coarse.Add(exact.Items[k]);
    exact.Items[k] = exact.Items[exact.Count - 1];
    --exact.Count;
  }

  StoreList(lists.Exact, ExactCodes);
  StoreList(lists.Coarse, CoarseCodes);
  StoreList(lists.Permuted, PermutedCodes);
}
