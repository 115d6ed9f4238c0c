#include "sync/date_time.h"

#include <cmath>

namespace tempiko::sync {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr std::int64_t kMsPerHour = 3'600'000;
constexpr std::int64_t kMsPerMinute = 60'000;
constexpr std::int64_t kMsPerSecond = 1'000;

// Beyond 2^53 ms (about 285 000 years) a double has no fractional milliseconds left and the
// count would soon overflow the integer; such values are clamped so that nothing downstream
// (calendar arithmetic, text forms) ever sees an undefined conversion.
constexpr double kMaxMilliseconds = 9'007'199'254'740'992.0;

// 1970-01-01 (the civil-day origin below) is this many days after 1899-12-30.
constexpr std::int64_t kUnixEpochDay = 25'569;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Rounds the exact product value × 86 400 000 to the nearest integer, ties to even. The product
// rounded to a double can land exactly on a half (or just miss one) when the true product does
// not; the fused multiply-add recovers the part the double product lost and settles those cases.
double RoundedProductMs(double value) {
  const double product = value * kMillisecondsPerDay;
  const double lost = std::fma(value, kMillisecondsPerDay, -product);
  double rounded = std::nearbyint(product);  // the default mode rounds ties to even
  const double off = product - rounded;      // exact: both lie within one unit of each other
  if (off == 0.5 && lost > 0) {
    rounded += 1;
  } else if (off == -0.5 && lost < 0) {
    rounded -= 1;
  }
  return rounded;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month may be any value).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year += FloorDiv(month - 1, 12);
  month -= 12 * FloorDiv(month - 1, 12);
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t year_of_era = year - era * 400;                              // [0, 399]
  const std::int64_t day_of_year = (153 * ((month + 9) % 12) + 2) / 5 + day - 1;  // from March
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;  // [0, 146096]
  return era * 146'097 + day_of_era - 719'468;
}

void CivilFromDays(std::int64_t days, CalendarFields& fields) {
  days += 719'468;
  const std::int64_t era = FloorDiv(days, 146'097);
  const std::int64_t day_of_era = days - era * 146'097;  // [0, 146096]
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36'524 - day_of_era / 146'096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);  // from March
  const std::int64_t month_index = (5 * day_of_year + 2) / 153;                // March = 0
  const std::int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
  fields.year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  fields.month = static_cast<int>(month);
  fields.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
}

}  // namespace

std::int64_t ToMilliseconds(DateTime value) {
  if (std::isnan(value)) {
    return 0;
  }
  const double ms = RoundedProductMs(value);
  if (ms >= kMaxMilliseconds) {
    return static_cast<std::int64_t>(kMaxMilliseconds);
  }
  if (ms <= -kMaxMilliseconds) {
    return -static_cast<std::int64_t>(kMaxMilliseconds);
  }
  return static_cast<std::int64_t>(ms);
}

CalendarFields SplitDateTime(DateTime value) {
  // Flooring the millisecond count keeps the calendar linear before 1899-12-30 too: -0.25 is
  // 1899-12-29 18:00, six hours before the origin.
  const std::int64_t ms = ToMilliseconds(value);
  const std::int64_t days = FloorDiv(ms, kMsPerDay);
  std::int64_t ms_of_day = ms - days * kMsPerDay;

  CalendarFields fields;
  CivilFromDays(days - kUnixEpochDay, fields);
  fields.hour = static_cast<int>(ms_of_day / kMsPerHour);
  ms_of_day %= kMsPerHour;
  fields.minute = static_cast<int>(ms_of_day / kMsPerMinute);
  ms_of_day %= kMsPerMinute;
  fields.second = static_cast<int>(ms_of_day / kMsPerSecond);
  fields.millisecond = static_cast<int>(ms_of_day % kMsPerSecond);
  return fields;
}

DateTime EncodeDateTime(const CalendarFields& fields) {
  const std::int64_t days = DaysFromCivil(fields.year, fields.month, fields.day) + kUnixEpochDay;
  const std::int64_t ms = days * kMsPerDay + fields.hour * kMsPerHour +
                          fields.minute * kMsPerMinute + fields.second * kMsPerSecond +
                          fields.millisecond;
  // One division of the exact count gives the double nearest to it, which splits back to the
  // same fields.
  return static_cast<double>(ms) / kMillisecondsPerDay;
}

int DayOfWeek(DateTime value) {
  const std::int64_t days = FloorDiv(ToMilliseconds(value), kMsPerDay);
  const std::int64_t weekday = (days + 6) % 7;  // 1899-12-30 was a Saturday
  return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

}  // namespace tempiko::sync
