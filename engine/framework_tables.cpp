#include "framework_tables.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "cp1250.h"
#include "framework_content.h"
#include "framework_items.h"
#include "framework_norms.h"
#include "framework_professions.h"
#include "framework_record.h"

double CritFine[ScaleCount][ScaleCount];
double CritCoarse[ScaleCount][ScaleCount];
double ScoreBands[skZScore + 1][ScaleCount];
std::string CodeTexts[ScaleCount][3];

namespace {
// Critical differences of the interest-code passes: [ranked scale][compared scale], R I A S E C.
constexpr double CritFineValues[ScaleCount][ScaleCount] = {
    {4.6, 5.2, 4.8, 4.7, 4.7, 5.0},  // R
    {5.2, 5.7, 5.3, 5.3, 5.3, 5.6},  // I
    {4.8, 5.3, 4.9, 4.9, 4.9, 5.2},  // A
    {4.7, 5.3, 4.9, 4.8, 4.8, 5.1},  // S
    {4.7, 5.3, 4.9, 4.8, 4.8, 5.1},  // E
    {5.0, 5.6, 5.2, 5.1, 5.1, 5.4},  // C
};
constexpr double CritCoarseValues[ScaleCount][ScaleCount] = {
    {10.7, 12.1, 11.1, 11.0, 11.0, 11.8},  // R
    {12.1, 13.3, 12.4, 12.3, 12.3, 13.0},  // I
    {11.1, 12.4, 11.4, 11.3, 11.4, 12.1},  // A
    {11.0, 12.3, 11.3, 11.2, 11.3, 12.0},  // S
    {11.0, 12.3, 11.4, 11.3, 11.3, 12.0},  // E
    {11.8, 13.0, 12.1, 12.0, 12.0, 12.7},  // C
};

// Half-widths of the error bands: percentile, T-score and Z-score rows.
constexpr double ScoreBandValues[skZScore + 1][ScaleCount] = {
    {18.6, 23.0, 19.8, 19.5, 19.6, 21.9},
    {6.4, 7.9, 6.8, 6.6, 6.7, 7.5},
    {6.4, 7.9, 6.8, 6.6, 6.7, 7.5},
};

constexpr int CodeTextsPerScale = 3;

// The working directory with one trailing '/' (none added when it already ends in one);
// empty when the directory cannot be read, so the file is then looked for relative to it.
std::string CurrentDirectoryWithDelimiter() {
  const std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
  if (cwd == nullptr) return {};
  std::string dir = cwd.get();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// A fixed list of UTF-8 texts in code page 1250, converted once when first looked up.
template <std::size_t N>
std::array<std::string, N> Cp1250Texts(const std::array<const char*, N>& utf8) {
  std::array<std::string, N> texts;
  for (std::size_t i = 0; i < N; ++i) texts[i] = Utf8ToCp1250(utf8[i]);
  return texts;
}

// The text of value in a list; "???" beyond the list.
template <std::size_t N>
const std::string& LookupText(const std::array<std::string, N>& texts, unsigned value) {
  static const std::string unknown = "???";
  return value < N ? texts[value] : unknown;
}
}  // namespace

void InitFrameworkTables() {
  std::copy(&CritFineValues[0][0], &CritFineValues[0][0] + ScaleCount * ScaleCount, &CritFine[0][0]);
  std::copy(&CritCoarseValues[0][0], &CritCoarseValues[0][0] + ScaleCount * ScaleCount, &CritCoarse[0][0]);
  std::copy(&ScoreBandValues[0][0], &ScoreBandValues[0][0] + (skZScore + 1) * ScaleCount, &ScoreBands[0][0]);

  const std::vector<std::string> texts = ReadScaleTexts("codetexts.txt", CodeTextsPerScale);
  for (int s = 0; s < ScaleCount; ++s)
    for (int t = 0; t < CodeTextsPerScale; ++t) CodeTexts[s][t] = texts[s * CodeTextsPerScale + t];

  DatabaseFileName = CurrentDirectoryWithDelimiter() + "zovi.db";
}

int ScaleIndexOfLetter(char letter) {
  const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
  const std::size_t at = ScaleLetters.find(upper);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::vector<int> ScalesOfCodeText(std::string_view codeText) {
  std::vector<int> scales;
  bool named[ScaleCount] = {};
  for (const char c : codeText) {
    const std::size_t s = ScaleLetters.find(c);
    if (s == std::string_view::npos || named[s]) continue;
    named[s] = true;
    scales.push_back(static_cast<int>(s));
  }
  return scales;
}

const std::string& EducationText(TEducation value) {
  static const auto texts = Cp1250Texts<7>({
      "Základní škola",
      "Střední škola (bez maturity, bez výučního listu)",
      "Střední škola s výučním listem",
      "Gymnázium",
      "Střední škola s maturitou",
      "Vyšší odborná škola",
      "Vysoká škola ",
  });
  return LookupText(texts, value);
}

const std::string& SexText(TSex value) {
  static const auto texts = Cp1250Texts<2>({"Muž", "Žena"});
  return LookupText(texts, value);
}

const std::string& LevelText(std::uint8_t value) {
  static const auto texts = Cp1250Texts<3>({
      "zácvik, zaškolení pro práci",
      "SŠ s výučním listem nebo maturitou",
      "VOŠ, VŠ",
  });
  return LookupText(texts, value);
}

void InitContentTables() {
  InitItems();
  InitProfessions();
  InitPages();
  InitNorms();
}
