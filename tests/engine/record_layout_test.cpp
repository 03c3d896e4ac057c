#include <gtest/gtest.h>

#include "framework.h"

TEST(Random, FixedSeedsGiveTheDocumentedDraws) {
  GeneratorSeed = 2222;
  EXPECT_EQ(RandomBelow(5), 3u);
  EXPECT_EQ(RandomBelow(4), 2u);

  GeneratorSeed = 1111;
  const unsigned expected[] = {240, 221, 84, 97, 74};
  for (unsigned e : expected) EXPECT_EQ(RandomBelow(279), e);

  for (std::uint32_t n : {1u, 2u, 26u, 1000000u, 0xFFFFFFFFu}) {
    GeneratorSeed = 0;
    EXPECT_EQ(RandomBelow(n), 0u) << n;
    EXPECT_EQ(GeneratorSeed, 1u);
  }
}

TEST(Random, DrawsStayBelowTheBound) {
  GeneratorSeed = 0xDEADBEEF;
  for (int i = 0; i < 10000; ++i) ASSERT_LT(RandomBelow(26), 26u);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(RandomBelow(1), 0u);
}

TEST(ShortString, AssignCutsAndComparesOnlyTheString) {
  TShortString<5> a{}, b{};
  a.assign("abcdefgh");
  EXPECT_EQ(a.Length, 5);
  EXPECT_EQ(a.str(), "abcde");
  std::memset(b.Chars, 'x', sizeof b.Chars);
  b.assign("abc");
  a.assign("abc");
  EXPECT_TRUE(a == b);  // the bytes after the string carry no meaning
  b.Length = 200;       // a damaged length byte never reads past the capacity
  EXPECT_EQ(b.str().size(), 5u);
}
