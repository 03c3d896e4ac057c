#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cp1250.h"
#include "framework.h"

namespace {

TProfessionLevels Levels(std::initializer_list<TProfessionLevel> ls) {
  TProfessionLevels s;
  for (auto l : ls) s.insert(l);
  return s;
}

void ExpectEntry(const std::string& utf8Line, const std::string& name, const std::string& code,
                 TProfessionLevels levels) {
  const TProfession p = ParseProfessionLine(Utf8ToCp1250(utf8Line));
  EXPECT_EQ(Cp1250ToUtf8(p.Name), name) << utf8Line;
  EXPECT_EQ(p.Code, code) << utf8Line;
  EXPECT_EQ(p.Levels.Bits, levels.Bits) << utf8Line;
}

// Primary weights of Czech alphabetical order: ch is one letter after h; č ř š ž
// follow c r s z; the other accented letters sort with their base letter; a blank
// or punctuation sorts before every letter.
std::vector<int> CzechKey(const std::u16string& s) {
  static const std::u16string letters = u"abcčdefghHijklmnopqrřsštuvwxyzž";  // H stands for ch
  static const std::map<char16_t, char16_t> fold = {{u'á', u'a'}, {u'ď', u'd'}, {u'é', u'e'}, {u'ě', u'e'},
                                                    {u'í', u'i'}, {u'ň', u'n'}, {u'ó', u'o'}, {u'ť', u't'},
                                                    {u'ú', u'u'}, {u'ů', u'u'}, {u'ý', u'y'}};
  std::vector<int> key;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == u'c' && i + 1 < s.size() && s[i + 1] == u'h') {
      c = u'H';
      ++i;
    } else if (auto f = fold.find(c); f != fold.end()) {
      c = f->second;
    }
    const auto pos = letters.find(c);
    key.push_back(pos == std::u16string::npos ? c : 1000 + static_cast<int>(pos));
  }
  return key;
}

}  // namespace

TEST(ProfessionLine, ParsesTheCatalogueFormAndItsVariants) {
  ExpectEntry("agronom\tIRS\t\t\t2,3", "agronom", "IRS", Levels({plSecondary, plHigher}));
  ExpectEntry("betonář\tRCE\t\t\t1,2\t", "betonář", "RCE", Levels({plTraining, plSecondary}));
  ExpectEntry("archeolog\tIAR\t\t\t3\t", "archeolog", "IAR", Levels({plHigher}));

  // Blanks after the name, around the code and at the ends of the line carry no meaning.
  ExpectEntry("pomocný dělník                      \tRCS\t\t\t1", "pomocný dělník", "RCS", Levels({plTraining}));
  ExpectEntry("  tesař\t RIC \t\t\t2\t\r", "tesař", "RIC", Levels({plSecondary}));
  ExpectEntry("lékař\t\t  ISR\t\t\t1,2,3", "lékař", "ISR", Levels({plTraining, plSecondary, plHigher}));

  // Nothing after the code leaves the level set empty; other characters among the digits are ignored.
  ExpectEntry("zedník\tRCE", "zedník", "RCE", Levels({}));
  ExpectEntry("zedník\tRCE\t\t\t", "zedník", "RCE", Levels({}));
  ExpectEntry("zedník\tRCE\t\t\t4, 0x3;3", "zedník", "RCE", Levels({plHigher}));

  // The code is taken as it stands, even when it is not three RIASEC letters.
  ExpectEntry("tesař\tr i\t2", "tesař", "r i", Levels({plSecondary}));
  ExpectEntry("tesař\tRI2,3", "tesař", "RI2", Levels({plHigher}));
}

TEST(ProfessionLine, BrokenLinesGiveWhatTheyHoldWithoutReadingPastTheirEnd) {
  ExpectEntry("", "", "", Levels({}));
  ExpectEntry("\t\t \r", "", "", Levels({}));
  ExpectEntry("jen název bez kódu", "jen název bez kódu", "", Levels({}));
  ExpectEntry("tesař\tRI", "tesař", "RI", Levels({}));
  ExpectEntry("\tRCE\t2", "RCE", "2", Levels({}));  // the leading TAB is trimmed, so the code becomes the name

  // A name longer than 50 characters keeps its first 50, trimmed again; the rest of the name is dropped.
  const std::string longName(49, 'x');
  ExpectEntry(longName + " yyyyyyyy\tRIE\t\t\t2", longName, "RIE", Levels({plSecondary}));
  ExpectEntry(longName + "zyyyyyyyy\tRIE\t\t\t2", longName + "z", "RIE", Levels({plSecondary}));

  // A view cut out of a longer buffer is read only up to its own end.
  const std::string buffer =
      "tesař\tRI"
      "C\t\t\t2";
  const TProfession p = ParseProfessionLine(std::string_view(Utf8ToCp1250(buffer)).substr(0, 8));
  EXPECT_EQ(p.Code, "RI");
  EXPECT_TRUE(p.Levels.empty());
}

TEST(ProfessionCatalogue, HasTheShapeOfTheShippedCatalogue) {
  Professions.clear();
  InitProfessions();
  ASSERT_EQ(Professions.size(), 279u);

  // The order is data (the thinning of the match list draws catalogue indices): a few entries pin it.
  const std::pair<std::size_t, std::string> pinned[] = {{0, "advokát"},
                                                        {69, "historik"},
                                                        {139, "modelář"},
                                                        {209, "sekretářka"},
                                                        {278, "zubní technik, asistent zubního technika"}};
  for (const auto& [index, name] : pinned) EXPECT_EQ(Cp1250ToUtf8(Professions[index].Name), name) << index;

  const std::u16string allowed = u"abcdefghijklmnopqrstuvwxyzáčďéěíňóřšťúůýž ,()-";
  std::set<std::string> names;
  std::map<std::string, int> codes;
  std::map<int, int> levelSets;
  std::size_t longest = 0;
  int outOfOrder = 0;
  for (std::size_t i = 0; i < Professions.size(); ++i) {
    const TProfession& p = Professions[i];
    const std::u16string name = Cp1250ToUtf16(p.Name);
    EXPECT_GE(name.size(), 5u) << p.Name;
    longest = std::max(longest, name.size());
    for (char16_t c : name) EXPECT_NE(allowed.find(c), std::u16string::npos) << Cp1250ToUtf8(p.Name);
    EXPECT_TRUE(names.insert(p.Name).second) << "twice: " << Cp1250ToUtf8(p.Name);

    ASSERT_EQ(p.Code.size(), 3u) << Cp1250ToUtf8(p.Name);
    EXPECT_EQ(std::set<char>(p.Code.begin(), p.Code.end()).size(), 3u) << p.Code;
    for (char c : p.Code) EXPECT_NE(std::string("RIASEC").find(c), std::string::npos) << p.Code;
    ++codes[p.Code];
    ++levelSets[p.Levels.Bits];

    if (i > 0 && CzechKey(name) < CzechKey(Cp1250ToUtf16(Professions[i - 1].Name))) ++outOfOrder;
  }

  // Screens and reports are laid out for the longest name.
  EXPECT_EQ(longest, 48u);

  EXPECT_EQ(codes.size(), 91u);
  EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](const auto& c) { return c.second == 1; }), 42);
  std::vector<std::pair<int, std::string>> byCount;
  for (const auto& [code, count] : codes) byCount.emplace_back(count, code);
  std::sort(byCount.rbegin(), byCount.rend());
  EXPECT_EQ(byCount[0], std::make_pair(17, std::string("IRE")));
  EXPECT_EQ(byCount[1], std::make_pair(16, std::string("RCE")));
  EXPECT_EQ(byCount[2], std::make_pair(14, std::string("RIE")));
  EXPECT_LT(byCount[3].first, 14);

  // Bit 0 training, bit 1 secondary, bit 2 higher.
  const std::map<int, int> expectedSets = {{0b010, 125}, {0b110, 59}, {0b100, 51}, {0b011, 33}, {0b001, 9}, {0b111, 2}};
  EXPECT_EQ(levelSets, expectedSets);

  // Alphabetical in Czech order, with a few exceptions.
  EXPECT_GE(outOfOrder, 1);
  EXPECT_LE(outOfOrder, 5);
  Professions.clear();
}

TEST(ProfessionCatalogue, TextKeepsItsLineFormAndItsQuirks) {
  const TEmbeddedFile* file = FindEmbedded(EngineDataFiles(), "professions.txt");
  ASSERT_NE(file, nullptr);
  std::vector<std::string> lines;
  std::string text(file->Text());
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 279u);
  for (const char* given : {"agronom\tIRS\t\t\t2,3", "betonář\tRCE\t\t\t1,2\t", "archeolog\tIAR\t\t\t3\t"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), given), lines.end()) << given;

  std::size_t mostBlanks = 0;
  int padded = 0, blankAroundCode = 0, finalTab = 0;
  for (const std::string& line : lines) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const std::size_t nameEnd = line.find_last_not_of(' ', tab - 1) + 1;
    mostBlanks = std::max(mostBlanks, tab - nameEnd);
    padded += tab > nameEnd;
    blankAroundCode += line[tab + 1] == ' ' || line.find(" \t", tab) != std::string::npos;
    finalTab += line.back() == '\t';
  }
  EXPECT_EQ(mostBlanks, 22u);
  EXPECT_GT(padded, 1);
  EXPECT_GT(blankAroundCode, 0);
  EXPECT_GT(finalTab, 0);
  EXPECT_LT(finalTab, 279);
}
