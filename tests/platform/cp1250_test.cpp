#include "cp1250.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

// What the C library's own converter makes of one code page 1250 byte, or "" when it has no mapping.
std::string IconvUtf8(unsigned char byte) {
  iconv_t cd = iconv_open("UTF-8", "CP1250");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "no-iconv";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* pin = in;
  char* pout = out;
  size_t inLeft = 1, outLeft = sizeof out;
  const size_t r = iconv(cd, &pin, &inLeft, &pout, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return "";
  return std::string(out, sizeof out - outLeft);
}

}  // namespace

TEST(Cp1250, EveryDefinedByteMatchesTheSystemConverter) {
  if (IconvUtf8('a') == "no-iconv") GTEST_SKIP() << "the C library has no CP1250 converter";
  int defined = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string expected = IconvUtf8(static_cast<unsigned char>(b));
    if (expected.empty()) continue;  // one of the five undefined bytes
    ++defined;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Cp1250ToUtf8(one), expected) << "byte " << b;
    EXPECT_EQ(Utf8ToCp1250(expected), one) << "byte " << b;
  }
  EXPECT_GE(defined, 251);
}

TEST(Cp1250, EveryByteStringSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf16ToCp1250(Cp1250ToUtf16(all)), all);
  EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
}

TEST(Cp1250, CzechTextAndUnmappableCharacters) {
  const std::string czech = Utf8ToCp1250("Příliš žluťoučký kůň úpěl ďábelské ódy");
  EXPECT_EQ(czech.size(), 38u);
  EXPECT_EQ(static_cast<unsigned char>(czech[1]), 0xF8);  // ř
  EXPECT_EQ(Cp1250ToUtf8(czech), "Příliš žluťoučký kůň úpěl ďábelské ódy");
  // Characters outside the code page, a surrogate pair and broken UTF-8 each become one "?".
  EXPECT_EQ(Utf8ToCp1250("a€b"),
            "a\x80"
            "b");
  EXPECT_EQ(Utf8ToCp1250("日本"), "??");
  EXPECT_EQ(Utf16ToCp1250(u"x\U0001F600y"), "x?y");
  EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToCp1250("\xFF"
                         "b"),
            "?b");
}
