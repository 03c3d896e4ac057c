#include "datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "recordfile_testutil.h"

namespace {

std::string Text(const TDateTimeParts& p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day, p.Hour, p.Minute,
                p.Second, p.Millisecond);
  return buf;
}

}  // namespace

TEST(DateTime, EncodeAndDecodeKnownDays) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDateTime(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDateTime(2026, 12, 8, 18, 0, 0), 46364.75);
  EXPECT_EQ(EncodeDateTime(1, 1, 1), MinDateTime);
  EXPECT_EQ(Text(DecodeDateTime(MaxDateTime)), "9999-12-31 23:59:59.999");
  EXPECT_EQ(Text(DecodeDateTime(46364.75)), "2026-12-08 18:00:00.000");
  EXPECT_EQ(Text(DecodeDateTime(60.0)), "1900-02-28 00:00:00.000");  // 1900 was no leap year
  EXPECT_EQ(Text(DecodeDateTime(61.0)), "1900-03-01 00:00:00.000");
  // Before day 0 the time of day is the fraction's magnitude.
  EXPECT_EQ(Text(DecodeDateTime(-1.25)), "1899-12-29 06:00:00.000");
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
  // A time a hair before midnight rounds to the next day, not to hour 24.
  EXPECT_EQ(Text(DecodeDateTime(1.0 - 1e-12)), "1899-12-31 00:00:00.000");

  EXPECT_FALSE(TryEncodeDateTime({2023, 2, 29, 0, 0, 0, 0}));
  EXPECT_TRUE(TryEncodeDateTime({2024, 2, 29, 0, 0, 0, 0}));
  EXPECT_FALSE(TryEncodeDateTime({0, 1, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(TryEncodeDateTime({2024, 13, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(TryEncodeDateTime({2024, 1, 1, 24, 0, 0, 0}));
  EXPECT_THROW(EncodeDateTime(2024, 4, 31), std::out_of_range);

  // Stored values that no clock gives are clamped, never undefined.
  EXPECT_EQ(Text(DecodeDateTime(1e300)), "9999-12-31 23:59:59.999");
  EXPECT_EQ(Text(DecodeDateTime(-1e300)), "0001-01-01 00:00:00.000");
  EXPECT_EQ(Text(DecodeDateTime(std::numeric_limits<double>::infinity())), "9999-12-31 23:59:59.999");
  EXPECT_EQ(Text(DecodeDateTime(std::nan(""))), "1899-12-30 00:00:00.000");

  for (const TDateTimeParts& p :
       {TDateTimeParts{1, 1, 1, 0, 0, 0, 1}, TDateTimeParts{1582, 10, 4, 23, 59, 59, 999},
        TDateTimeParts{1970, 1, 1, 12, 30, 45, 500}, TDateTimeParts{9999, 12, 31, 23, 59, 59, 999}})
    EXPECT_EQ(Text(DecodeDateTime(EncodeDateTime(p))), Text(p));
}

TEST(DateTime, NowIsTheLocalClock) {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  const double expected = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, std::min(local.tm_sec, 59));
  EXPECT_NEAR(Now(), expected, 5.0 / 86400);
}

TEST(DateTime, FixedFormats) {
  const double v = EncodeDateTime({2026, 3, 7, 9, 5, 4, 0});
  EXPECT_EQ(FormatDateTime("dd. mm. yyyy", v), "07. 03. 2026");
  EXPECT_EQ(FormatDateTime("d.m.yyyy - hh:nn:ss", v), "7.3.2026 - 09:05:04");
  EXPECT_EQ(FormatDateTime("yymmdd", v), "260307");
  EXPECT_EQ(FormatDateTime("h:n:s", v), "9:5:4");
  EXPECT_EQ(FormatDateTime("DD.MM.YYYY", v), "07.03.2026");
  EXPECT_EQ(FormatDateTime("yyy|ddd|x", v), "2026|077|x");  // runs split into known tokens
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDateTime(33, 1, 1)), "0033");
  EXPECT_EQ(FormatDateTime("d.m.yyyy - hh:nn:ss", EncodeDateTime({2026, 12, 31, 23, 59, 59, 999})),
            "31.12.2026 - 23:59:59");
}

TEST(DateTime, RegionalFormatsFollowTheLocale) {
  setenv("LC_ALL", "C", 1);
  const double v = EncodeDateTime(2026, 12, 8, 14, 3, 9);
  EXPECT_EQ(RegionalShortDate(v), "12/08/26");
  EXPECT_EQ(RegionalLongTime(v), "14:03:09");
  EXPECT_EQ(RegionalDateTime(v), "12/08/26 14:03:09");
  EXPECT_EQ(RegionalDateTime(EncodeDateTime(2026, 12, 8)), "12/08/26");  // midnight: the date alone
  EXPECT_EQ(RegionalDateTime(EncodeDateTime(1850, 7, 1, 12, 0, 0)), "07/01/50 12:00:00");
  setenv("LC_ALL", "no_such_LOCALE", 1);  // a missing locale falls back to C
  EXPECT_EQ(RegionalShortDate(v), "12/08/26");
  unsetenv("LC_ALL");
}

// The locale is built once and kept; a change of the variables that choose it must still take effect at
// the next call. A Czech locale is compiled into a folder of the test's own for this.
TEST(DateTime, RegionalFormatsFollowALocaleChange) {
  TTempDir dir;
  const std::string compile = "localedef -i cs_CZ -f UTF-8 " + dir.File("cs_CZ.UTF-8") + " >/dev/null 2>&1";
  if (std::system(compile.c_str()) != 0) GTEST_SKIP() << "localedef cannot build cs_CZ.UTF-8 here";
  const double v = EncodeDateTime(2026, 12, 8, 14, 3, 9);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(RegionalDateTime(v), "12/08/26 14:03:09");
  setenv("LOCPATH", dir.Path().c_str(), 1);
  setenv("LC_ALL", "cs_CZ.UTF-8", 1);
  EXPECT_EQ(RegionalDateTime(v), "8.12.2026 14:03:09");
  EXPECT_EQ(RegionalShortDate(v), "8.12.2026");
  EXPECT_EQ(RegionalDateTime(EncodeDateTime(2026, 12, 8)), "8.12.2026");
  unsetenv("LC_ALL");
  setenv("LC_TIME", "C", 1);  // LC_TIME alone chooses the formats too
  EXPECT_EQ(RegionalDateTime(v), "12/08/26 14:03:09");
  setenv("LC_TIME", "cs_CZ.UTF-8", 1);
  EXPECT_EQ(RegionalDateTime(v), "8.12.2026 14:03:09");
  unsetenv("LC_TIME");
  unsetenv("LOCPATH");
}
