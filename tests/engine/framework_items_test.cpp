#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cp1250.h"
#include "framework.h"

namespace {
// The activity text of item n, without its "<n>. " prefix.
std::string ActivityText(int n) {
  const std::string& shown = ItemTexts[0][n];
  return shown.substr(shown.find(". ") + 2);
}
// The item that shows text k (1..10) of scale s.
int ItemOf(int s, int k) {
  return 6 * (k - 1) + s + 1;
}
}  // namespace

TEST(Items, ScalesTextsAndPagesFollowTheItemNumbering) {
  InitItems();
  InitPages();
  EXPECT_EQ(ItemScale[1], scR);
  EXPECT_EQ(ItemScale[6], scC);
  EXPECT_EQ(ItemScale[7], scR);
  EXPECT_EQ(ItemScale[60], scC);

  for (int variant = 0; variant < 2; ++variant) {
    EXPECT_EQ(ItemTexts[variant][1], Utf8ToCp1250("1. Pracovat se stroji a technickými zařízeními, řídit auta"));
    EXPECT_EQ(ItemTexts[variant][2], Utf8ToCp1250("2. Provádět pokusy (experimenty) v laboratoři"));
  }
  for (int n = 1; n <= ItemCount; ++n) {
    EXPECT_EQ(ItemTexts[0][n], ItemTexts[1][n]) << n;
    EXPECT_EQ(ItemTexts[0][n].rfind(std::to_string(n) + ". ", 0), 0u) << n;
  }
  EXPECT_EQ(ItemOf(scS, 2), 10);
  EXPECT_EQ(ItemOf(scR, 10), 55);

  // Item 14 shows text 3 of I with all of its 21 trailing blanks.
  const std::string& item14 = ItemTexts[0][14];
  ASSERT_GT(item14.size(), 22u);
  EXPECT_EQ(item14.substr(item14.size() - 21), std::string(21, ' '));
  EXPECT_NE(item14[item14.size() - 22], ' ');

  EXPECT_EQ(Pages[1].Title, "Stranka c.1");
  EXPECT_EQ(Pages[1].First, 1);
  EXPECT_EQ(Pages[1].Last, 6);
  EXPECT_EQ(Pages[10].Title, "Stranka c.10");
  EXPECT_EQ(Pages[10].First, 55);
  EXPECT_EQ(Pages[10].Last, 60);
  int next = 1;
  for (int k = 1; k <= PageCount; ++k) {
    EXPECT_EQ(Pages[k].First, next);
    for (int n = Pages[k].First; n <= Pages[k].Last; ++n) EXPECT_EQ(ItemScale[n], n - Pages[k].First);
    next = Pages[k].Last + 1;
  }
  EXPECT_EQ(next, ItemCount + 1);

  // Building again gives the same tables.
  const auto before = ItemTexts;
  InitItems();
  EXPECT_EQ(ItemTexts, before);
}

TEST(Items, ContentKeepsItsLengthsBlanksAndUniqueness) {
  InitItems();
  // Texts that end in blanks, by scale and text number, and how many blanks.
  const std::map<std::pair<int, int>, std::size_t> trailing = {
      {{scR, 3}, 1}, {{scR, 5}, 1}, {{scR, 7}, 1}, {{scR, 8}, 1}, {{scR, 9}, 1}, {{scI, 3}, 21}, {{scI, 5}, 1},
      {{scI, 9}, 1}, {{scA, 3}, 1}, {{scA, 5}, 1}, {{scS, 9}, 1}, {{scE, 2}, 1}, {{scC, 2}, 1}};
  std::set<std::string> seen;
  for (int s = 0; s < ScaleCount; ++s) {
    for (int k = 1; k <= 10; ++k) {
      const std::string text = ActivityText(ItemOf(s, k));
      SCOPED_TRACE(Cp1250ToUtf8(text));
      EXPECT_GE(text.size(), 21u);
      EXPECT_LE(text.size(), 77u);
      const std::size_t blanks = text.size() - (text.find_last_not_of(' ') + 1);
      const auto it = trailing.find({s, k});
      EXPECT_EQ(blanks, it == trailing.end() ? 0u : it->second);
      EXPECT_GE(text.size() - blanks, 21u);
      EXPECT_NE(text.front(), ' ');
      EXPECT_EQ(text.find('?'), std::string::npos);  // every character exists in code page 1250
      EXPECT_TRUE(seen.insert(text.substr(0, text.size() - blanks)).second);
    }
  }
}
