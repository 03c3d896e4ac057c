#pragma once
// The profession catalogue: 279 professions with their Holland code and the
// education levels at which they are open, built once at program start from
// the catalogue text and only read afterwards. The index of an entry is its
// identity: the results keep arrays parallel to the catalogue and the seeded
// thinning of the match list draws catalogue indices.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework_types.h"

// A set of TProfessionLevel in one byte: bit n stands for level n.
struct TProfessionLevels {
  std::uint8_t Bits = 0;

  constexpr bool contains(TProfessionLevel l) const { return (Bits >> l) & 1u; }
  constexpr void insert(TProfessionLevel l) { Bits = static_cast<std::uint8_t>(Bits | (1u << l)); }
  constexpr bool empty() const { return Bits == 0; }
  constexpr bool operator==(const TProfessionLevels&) const = default;
};
static_assert(sizeof(TProfessionLevels) == 1);

// One catalogue entry; the strings are code page 1250.
struct TProfession {
  std::string Name;  // lower-case, trimmed, at most ProfessionNameMax characters
  std::string Code;  // three letters of R I A S E C, taken from the line as they stand
  TProfessionLevels Levels;
};

constexpr std::size_t ProfessionNameMax = 50;

// The catalogue in its own order; empty until InitProfessions runs.
extern std::vector<TProfession> Professions;

// Parses one catalogue line (code page 1250): the name up to the first control
// character, blanks or TABs, three code characters, then the level digits 1, 2
// and 3 among anything else. A line that breaks this form gives what it holds
// (a short code, no levels) and is never read past its end.
TProfession ParseProfessionLine(std::string_view line);

// Appends one entry to Professions for each line of the catalogue text
// (UTF-8, converted to code page 1250 here), in line order; blank lines are
// not entries.
void InitProfessions();
