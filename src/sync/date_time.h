#pragma once

#include <cstdint>

namespace tempiko::sync {

// The program's date-time value: days since 1899-12-30 00:00:00, the fraction being the time
// of day. Each use says whether it holds local time or UTC.
using DateTime = double;

inline constexpr double kMillisecondsPerDay = 86'400'000.0;
inline constexpr double kSecondsPerDay = 86'400.0;

// The seven fields a clock setting passes to the platform (day of week is never filled).
struct CalendarFields {
  int year = 1899;
  int month = 12;  // 1-12
  int day = 30;    // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  friend bool operator==(const CalendarFields&, const CalendarFields&) = default;
};

// The value in whole milliseconds since 1899-12-30: the exact value of the double times
// 86 400 000, rounded to the nearest with ties to even. NaN counts as 0; beyond ±2^53 ms
// (about 285 000 years) the count is clamped.
std::int64_t ToMilliseconds(DateTime value);

// Splits the value, rounded to the millisecond (ties to even), into proleptic Gregorian
// calendar fields. Values before the origin count backwards linearly: -0.25 is
// 1899-12-29 18:00:00.000.
CalendarFields SplitDateTime(DateTime value);

// The inverse of SplitDateTime for valid fields. Out-of-range fields carry over linearly
// (month 13 is January of the next year, hour 24 the next day).
DateTime EncodeDateTime(const CalendarFields& fields);

// The day of the week of the value's date (after the same rounding), 0 = Sunday … 6 = Saturday.
int DayOfWeek(DateTime value);

}  // namespace tempiko::sync
