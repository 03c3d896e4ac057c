#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "cp1250.h"
#include "framework_sheets.h"

namespace {
std::string U(const char* utf8) {
  return Utf8ToCp1250(utf8);
}

// Runs body with the given working directory, restoring the previous one afterwards.
template <class F>
void InDirectory(const std::filesystem::path& dir, F body) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  body();
  std::filesystem::current_path(previous);
}
}  // namespace

TEST(Tables, LookupTextsAndLetters) {
  EXPECT_EQ(EducationText(0), U("Základní škola"));
  EXPECT_EQ(EducationText(1), U("Střední škola (bez maturity, bez výučního listu)"));
  EXPECT_EQ(EducationText(5), U("Vyšší odborná škola"));
  EXPECT_EQ(EducationText(6), U("Vysoká škola "));
  EXPECT_EQ(EducationText(7), "???");
  EXPECT_EQ(EducationText(255), "???");
  EXPECT_EQ(SexText(0), U("Muž"));
  EXPECT_EQ(SexText(1), U("Žena"));
  EXPECT_EQ(SexText(2), "???");
  EXPECT_EQ(LevelText(0), U("zácvik, zaškolení pro práci"));
  EXPECT_EQ(LevelText(1), U("SŠ s výučním listem nebo maturitou"));
  EXPECT_EQ(LevelText(2), U("VOŠ, VŠ"));
  EXPECT_EQ(LevelText(3), "???");

  EXPECT_EQ(ScaleLetters, "RIASEC");
  for (int s = 0; s < ScaleCount; ++s) {
    EXPECT_EQ(ScaleIndexOfLetter(ScaleLetters[s]), s);
    EXPECT_EQ(ScaleIndexOfLetter(static_cast<char>(ScaleLetters[s] - 'A' + 'a')), s);
  }
  EXPECT_EQ(ScaleIndexOfLetter('s'), scS);
  EXPECT_EQ(ScaleIndexOfLetter('/'), -1);
  EXPECT_EQ(ScaleIndexOfLetter('\0'), -1);
}

TEST(Tables, ConstantTablesAndTheDefaultDatabasePath) {
  InitFrameworkTables();
  EXPECT_EQ(CritFine[scR][scR], 4.6);
  EXPECT_EQ(CritFine[scI][scC], 5.6);
  EXPECT_EQ(CritFine[scC][scC], 5.4);
  EXPECT_EQ(CritCoarse[scE][scC], 12.0);
  EXPECT_EQ(CritCoarse[scI][scI], 13.3);
  EXPECT_EQ(CritCoarse[scA][scE], 11.4);
  for (int i = 0; i < ScaleCount; ++i)
    for (int j = 0; j < ScaleCount; ++j) {
      EXPECT_EQ(CritFine[i][j], CritFine[j][i]);
      EXPECT_EQ(CritCoarse[i][j], CritCoarse[j][i]);
      EXPECT_LT(CritFine[i][j], CritCoarse[i][j]);
    }
  EXPECT_EQ(ScoreBands[skPercentile][scR], 18.6);
  EXPECT_EQ(ScoreBands[skPercentile][scC], 21.9);
  EXPECT_EQ(ScoreBands[skTScore][scI], 7.9);
  for (int s = 0; s < ScaleCount; ++s) EXPECT_EQ(ScoreBands[skZScore][s], ScoreBands[skTScore][s]);

  const auto dir = std::filesystem::temp_directory_path() / ("zovi_tables_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  InDirectory(dir, [&] {
    InitFrameworkTables();
    EXPECT_EQ(DatabaseFileName, std::filesystem::current_path().string() + "/zovi.db");
  });
  InDirectory("/", [] {
    InitFrameworkTables();
    EXPECT_EQ(DatabaseFileName, "/zovi.db");
  });
  std::filesystem::remove_all(dir);
}

TEST(Tables, CodeTextsKeepTheirForm) {
  InitFrameworkTables();
  const char* titles[ScaleCount] = {
      "Kód R (Realistic): řemeslně a technicky zdatný", "Kód I (Investigative): zvídavý a zkoumající",
      "Kód A (Artistic): umělecký a tvořivý",           "Kód S (Social): vychovávající a pečující",
      "Kód E (Enterprising): vůdčí a prodávající",      "Kód C (Conventional): uspořádávající a spravující"};
  EXPECT_EQ(CodeTexts[scR][1], U("Osoby tohoto typu rády pracují rukama a s konkrétními předměty, zajímají se o "
                                 "nářadí a stroje. Jsou rády venku a dávají přednost fyzické práci."));
  const std::string describes = U("Osoby tohoto typu");
  const std::string traits = U("Typičtí představitelé");
  for (int s = 0; s < ScaleCount; ++s) {
    SCOPED_TRACE(ScaleLetters[s]);
    EXPECT_EQ(CodeTexts[s][0], U(titles[s]));
    const std::string& description = CodeTexts[s][1];
    const std::string& line = CodeTexts[s][2];
    EXPECT_GE(description.size(), 124u);
    EXPECT_LE(description.size(), 182u);
    EXPECT_EQ(description.rfind(describes, 0), 0u);
    EXPECT_GE(line.size(), 149u);
    EXPECT_LE(line.size(), 191u);
    EXPECT_EQ(line.rfind(traits, 0), 0u);
    for (int t = 0; t < 3; ++t) {
      EXPECT_EQ(CodeTexts[s][t].find_first_of("\r\n?"), std::string::npos);
      EXPECT_NE(CodeTexts[s][t].back(), ' ');
    }

    // The traits line ends in a list "a, b, c." of single words after its last colon.
    ASSERT_EQ(line.back(), '.');
    const std::size_t colon = line.rfind(": ");
    ASSERT_NE(colon, std::string::npos);
    std::string list = line.substr(colon + 2, line.size() - colon - 3);
    int items = 0;
    for (std::size_t start = 0;;) {
      const std::size_t comma = list.find(", ", start);
      const std::string item = list.substr(start, comma - start);
      EXPECT_FALSE(item.empty());
      EXPECT_EQ(item.find_first_of(" .,:;"), std::string::npos) << item;
      ++items;
      if (comma == std::string::npos) break;
      start = comma + 2;
    }
    EXPECT_GE(items, 4);
  }
}
