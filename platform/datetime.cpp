#include "datetime.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <stdexcept>

#include "cp1250.h"

namespace {

constexpr long long MsPerDay = 86400000;
// Day 0 of a date-time, 30 December 1899, counted from 1 January 1970.
constexpr long long DayZero = -25569;
constexpr long long FirstDay = -693593;  // 1 January 0001
constexpr long long LastDay = 2958465;   // 31 December 9999

// Days since 1 January 1970 of a proleptic Gregorian date, and back.
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// The whole day and the milliseconds of the time of day, clamped to the range.
void SplitDateTime(double value, long long& day, long long& ms) {
  if (std::isnan(value)) value = 0;
  if (value <= static_cast<double>(FirstDay - 1)) {
    day = FirstDay;
    ms = 0;
    return;
  }
  if (value >= static_cast<double>(LastDay + 1)) {
    day = LastDay;
    ms = MsPerDay - 1;
    return;
  }
  const double whole = std::trunc(value);
  day = static_cast<long long>(whole);
  ms = std::llround(std::fabs(value - whole) * MsPerDay);
  if (ms >= MsPerDay) {
    ms -= MsPerDay;
    ++day;
  }
  if (day > LastDay) {
    day = LastDay;
    ms = MsPerDay - 1;
  }
}

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// The parts of a whole day and the milliseconds of its time.
TDateTimeParts PartsOf(long long day, long long ms) {
  TDateTimeParts p;
  CivilFromDays(day + DayZero, p.Year, p.Month, p.Day);
  p.Millisecond = static_cast<int>(ms % 1000);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Hour = static_cast<int>(ms / 3600000);
  return p;
}

// A C struct tm of a whole day and the milliseconds of its time, for strftime.
std::tm TmOf(long long day, long long ms) {
  const TDateTimeParts p = PartsOf(day, ms);
  std::tm tm{};
  tm.tm_year = p.Year - 1900;
  tm.tm_mon = p.Month - 1;
  tm.tm_mday = p.Day;
  tm.tm_hour = p.Hour;
  tm.tm_min = p.Minute;
  tm.tm_sec = p.Second;
  tm.tm_wday = static_cast<int>(((day + 6) % 7 + 7) % 7);  // day 0 was a Saturday
  tm.tm_yday = static_cast<int>(DaysFromCivil(p.Year, p.Month, p.Day) - DaysFromCivil(p.Year, 1, 1));
  tm.tm_isdst = -1;
  return tm;
}

// The locale that newlocale builds from the environment for the date and time
// formats, and whether it writes UTF-8. Building one reads locale files, so it
// is kept and rebuilt only when a variable that chooses it changes.
class TRegionalLocale {
 public:
  TRegionalLocale() = default;
  TRegionalLocale(const TRegionalLocale&) = delete;
  TRegionalLocale& operator=(const TRegionalLocale&) = delete;
  ~TRegionalLocale() {
    if (locale_) freelocale(locale_);
  }

  locale_t Get(bool& utf8) {
    if (!locale_ || !SameEnvironment()) Rebuild();
    utf8 = utf8_;
    return locale_;
  }

 private:
  // The variables newlocale reads for LC_TIME and LC_CTYPE, and where it finds locale files.
  static constexpr const char* Variables[] = {"LC_ALL", "LC_TIME", "LC_CTYPE", "LANG", "LOCPATH"};
  static constexpr std::size_t VariableCount = std::size(Variables);

  // The value of each variable as getenv gives it (the first entry of the name), in one pass over the
  // environment: every name begins with "L".
  static void ReadVariables(const char* (&values)[VariableCount]) {
    std::fill(std::begin(values), std::end(values), nullptr);
    for (char** entry = environ; *entry != nullptr; ++entry) {
      if ((*entry)[0] != 'L') continue;
      for (std::size_t i = 0; i < VariableCount; ++i) {
        const char* e = *entry;
        const char* name = Variables[i];
        while (*name != '\0' && *e == *name) ++e, ++name;
        if (*name == '\0' && *e == '=' && values[i] == nullptr) values[i] = e + 1;
      }
    }
  }

  bool SameEnvironment() const {
    const char* values[VariableCount];
    ReadVariables(values);
    for (std::size_t i = 0; i < VariableCount; ++i)
      if (values[i] == nullptr ? set_[i] : !set_[i] || values_[i] != values[i]) return false;
    return true;
  }

  void Rebuild() {
    const char* values[VariableCount];
    ReadVariables(values);
    for (std::size_t i = 0; i < VariableCount; ++i) {
      set_[i] = values[i] != nullptr;
      values_[i] = values[i] ? values[i] : "";
    }
    locale_t fresh = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!fresh) fresh = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    if (!fresh) throw std::runtime_error("Nelze zjistit místní formát data a času.");
    if (locale_) freelocale(locale_);
    locale_ = fresh;
    utf8_ = std::strcmp(nl_langinfo_l(CODESET, locale_), "UTF-8") == 0;
  }

  locale_t locale_ = nullptr;
  bool utf8_ = false;
  bool set_[VariableCount] = {};
  std::string values_[VariableCount];
};

// The date-time as the LC_TIME of the process's environment writes it with
// the given strftime conversion, in code page 1250.
std::string Regional(const char* conversion, double value) {
  thread_local TRegionalLocale regional;
  bool utf8;
  const locale_t locale = regional.Get(utf8);
  long long day, ms;
  SplitDateTime(value, day, ms);
  const std::tm tm = TmOf(day, ms);
  char buf[512];
  const std::size_t n = strftime_l(buf, sizeof buf, conversion, &tm, locale);
  const std::string_view text(buf, n);
  // ASCII, as most formats are, reads the same in both code pages.
  const bool ascii = std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
  return utf8 && !ascii ? Utf8ToCp1250(text) : std::string(text);
}

}  // namespace

double Now() {
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         std::min(local.tm_sec, 59), static_cast<int>(ts.tv_nsec / 1000000)});
}

std::optional<double> TryEncodeDateTime(const TDateTimeParts& p) {
  if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 || p.Day > DaysInMonth(p.Year, p.Month) ||
      p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59 ||
      p.Millisecond < 0 || p.Millisecond > 999)
    return std::nullopt;
  const double days = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day) - DayZero);
  const double time =
      static_cast<double>(((p.Hour * 60LL + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond) / MsPerDay;
  return days >= 0 ? days + time : days - time;
}

double EncodeDateTime(const TDateTimeParts& parts) {
  if (auto v = TryEncodeDateTime(parts)) return *v;
  throw std::out_of_range("Neplatné datum nebo čas.");
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  return EncodeDateTime({year, month, day, hour, minute, second, 0});
}

TDateTimeParts DecodeDateTime(double value) {
  long long day, ms;
  SplitDateTime(value, day, ms);
  return PartsOf(day, ms);
}

std::string FormatDateTime(std::string_view format, double value) {
  const TDateTimeParts p = DecodeDateTime(value);
  std::string out;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
    std::size_t run = 1;
    while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == c) ++run;
    if (c == 'y') {
      char buf[16];
      if (run <= 2)
        std::snprintf(buf, sizeof buf, "%02d", p.Year % 100);
      else
        std::snprintf(buf, sizeof buf, "%04d", p.Year);
      out += buf;
      i += run;
      continue;
    }
    int field;
    switch (c) {
      case 'd':
        field = p.Day;
        break;
      case 'm':
        field = p.Month;
        break;
      case 'h':
        field = p.Hour;
        break;
      case 'n':
        field = p.Minute;
        break;
      case 's':
        field = p.Second;
        break;
      default:
        out += format[i++];
        continue;
    }
    const bool twoDigits = run >= 2;
    out += twoDigits ? TwoDigits(field) : std::to_string(field);
    i += twoDigits ? 2 : 1;
  }
  return out;
}

std::string RegionalShortDate(double value) {
  return Regional("%x", value);
}

std::string RegionalLongTime(double value) {
  return Regional("%X", value);
}

std::string RegionalDateTime(double value) {
  long long day, ms;
  SplitDateTime(value, day, ms);
  const bool midnight = ms == 0;
  return Regional(midnight ? "%x" : "%x %X", value);
}
