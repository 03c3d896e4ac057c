#include "commatext.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(CommaText, JoinQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(JoinCommaText({}), "");
  EXPECT_EQ(JoinCommaText({""}), "\"\"");
  EXPECT_EQ(JoinCommaText({"abc"}), "abc");
  EXPECT_EQ(JoinCommaText({"a", "", "b", ""}), "a,,b,");
  EXPECT_EQ(JoinCommaText({"two words", "a,b", "say \"hi\"", "tab\there"}),
            "\"two words\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\"");
  EXPECT_EQ(JoinCommaText({"\x8a\xe8\x9e"}), "\x8a\xe8\x9e");  // letters above 127 need no quotes
}

TEST(CommaText, SplitUndoesQuotingAndSplitsAtBlanks) {
  EXPECT_EQ(SplitCommaText(""), Lines{});
  EXPECT_EQ(SplitCommaText("\"\""), Lines{""});
  EXPECT_EQ(SplitCommaText("a,,b,"), (Lines{"a", "", "b", ""}));
  EXPECT_EQ(SplitCommaText(",a"), (Lines{"", "a"}));
  // Unquoted blanks split; blanks around items and after commas are dropped.
  EXPECT_EQ(SplitCommaText("  one two , three,  "), (Lines{"one", "two", "three"}));
  EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\",x"), (Lines{"say \"hi\"", "x"}));
  EXPECT_EQ(SplitCommaText("\"ab\"cd"), (Lines{"ab", "cd"}));
  EXPECT_EQ(SplitCommaText("\"open to the end"), Lines{"open to the end"});
  EXPECT_EQ(SplitCommaText(std::string("a,b\0,c", 6)), (Lines{"a", "b"}));  // up to the NUL
}

TEST(CommaText, NotesSurviveTheRoundTrip) {
  const std::vector<Lines> cases = {
      {},
      {""},
      {"first line", "", "", "last, with comma"},
      {"", "leading empty"},
      {"trailing empty", ""},
      {"  indented", "quote \" inside", "\"\"", ",", "\x8a\xe1\xf8\xed"},
  };
  for (const auto& lines : cases) EXPECT_EQ(SplitCommaText(JoinCommaText(lines)), lines) << JoinCommaText(lines);
}
