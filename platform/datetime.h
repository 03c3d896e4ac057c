#pragma once
// Date and time as one double: the days since 30 December 1899 00:00 (local
// time), the fraction being the time of day. A value before that day keeps
// its day in the whole part and its time of day in the fraction's magnitude
// (-1.25 is 29 December 1899 06:00).
#include <optional>
#include <string>
#include <string_view>

struct TDateTimeParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The first and last moments a date-time can hold: 1 January 0001 00:00 and
// 31 December 9999 23:59:59.999.
constexpr double MinDateTime = -693593.0;
constexpr double MaxDateTime = 2958465.0 + 86399999.0 / 86400000.0;

// The current local date and time.
double Now();

// The date-time of the parts; nullopt when a part is out of range (year
// 1..9999, a real day of the month, hour 0..23, minute and second 0..59,
// millisecond 0..999).
std::optional<double> TryEncodeDateTime(const TDateTimeParts& parts);
// The same, throwing std::out_of_range for parts out of range.
double EncodeDateTime(const TDateTimeParts& parts);
double EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// The parts of a date-time, to the nearest millisecond. Values beyond the
// first or last moment give that moment; a NaN gives 30 December 1899 00:00.
TDateTimeParts DecodeDateTime(double value);

// The date-time as the format says. Tokens (upper or lower case): d, dd the
// day without / with a leading zero; m, mm the month; yy the year's last two
// digits, yyyy (any run of three or more y) the four-digit year; h, hh the
// hour (24-hour); n, nn the minute; s, ss the second. Every other character
// is copied as it stands.
std::string FormatDateTime(std::string_view format, double value);

// The date, the time, and both, as the process locale's LC_TIME writes them
// (its date format and its time format). RegionalDateTime gives the date, one
// blank and the time, or the date alone when the time is exactly midnight.
std::string RegionalShortDate(double value);
std::string RegionalLongTime(double value);
std::string RegionalDateTime(double value);
