#pragma once
// The Holland interest code: the three most pronounced scales, highest first,
// with every order that ties under the critical differences allow.
#include <string>

#include "framework_norms.h"
#include "framework_record.h"
#include "framework_types.h"

// Empties and fills the three code lists of the sheet: ExactCodes (one to four
// codes, from the fine critical differences), CoarseCodes (further codes of
// the coarse differences, then the exact codes trimmed away beyond four) and
// PermutedCodes (the other orders of the letters of both). Reseeds the random
// generator with 2222 first, so one sheet always gives the same lists; the
// sheet is not changed. A sheet with a raw score outside 10..50 has no code:
// the three lists stay empty.
void DeriveCodes(const TScoreSheet& sheet, const TNormBlock& block, TStringArray& ExactCodes, TStringArray& CoarseCodes,
                 TStringArray& PermutedCodes);

// Every three-letter code that the dominance counts (0..5 per scale) allow:
// the scales are taken in groups of falling count, and a group larger than
// the letters still needed gives every ordered choice of them.
TStringArray BuildTieCodes(const int (&counts)[ScaleCount]);

// Every ordered pair, or triple, of different letters of the group.
TStringArray CodePairs(const std::string& group);
TStringArray CodeTriples(const std::string& group);

// Appends code to target unless it stands in one of the three lists already.
void AddCodeIfNew(const std::string& code, TStringArray& target, const TStringArray& ExactCodes,
                  const TStringArray& CoarseCodes, const TStringArray& PermutedCodes);
