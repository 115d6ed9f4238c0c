#include "posix/posix_clock.h"

#include <time.h>

namespace tempiko::posix {
namespace {

// 1970-01-01 is this many days after the date-time origin 1899-12-30.
constexpr double kUnixEpochDay = 25'569.0;
constexpr long kNanosecondsPerSecond = 1'000'000'000;

timespec ReadClock(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

// The zone offset in force at an instant, in seconds east of UTC.
long OffsetAt(time_t instant) {
  tm local{};
  if (localtime_r(&instant, &local) == nullptr) {
    return 0;
  }
  return local.tm_gmtoff;
}

}  // namespace

sync::DateTime PosixClock::LocalNow() {
  const timespec now = ReadClock(CLOCK_REALTIME);
  // Whole local seconds and the sub-second part are added separately so that the nanoseconds
  // are not lost in one large sum.
  const auto local_seconds = static_cast<long long>(now.tv_sec) + OffsetAt(now.tv_sec);
  const long long days =
      local_seconds >= 0 ? local_seconds / 86'400 : -((-local_seconds + 86'399) / 86'400);
  const long long second_of_day = local_seconds - days * 86'400;
  const double fraction =
      (static_cast<double>(second_of_day) +
       static_cast<double>(now.tv_nsec) / static_cast<double>(kNanosecondsPerSecond)) /
      sync::kSecondsPerDay;
  return static_cast<double>(days) + kUnixEpochDay + fraction;
}

double PosixClock::ZoneShift(sync::DateTime local) {
  // Let mktime find the instant of this local time (it decides for daylight saving and the
  // ambiguous or missing hour of a change), then take the offset in force then.
  const sync::CalendarFields fields = sync::SplitDateTime(local);
  tm broken_down{};
  broken_down.tm_year = fields.year - 1900;
  broken_down.tm_mon = fields.month - 1;
  broken_down.tm_mday = fields.day;
  broken_down.tm_hour = fields.hour;
  broken_down.tm_min = fields.minute;
  broken_down.tm_sec = fields.second;
  broken_down.tm_isdst = -1;
  time_t instant = mktime(&broken_down);
  if (instant == static_cast<time_t>(-1)) {
    instant = ReadClock(CLOCK_REALTIME).tv_sec;  // outside time_t's reach: today's offset
  }
  return static_cast<double>(OffsetAt(instant)) / sync::kSecondsPerDay;
}

std::uint32_t PosixClock::TickCount() {
  const timespec now = ReadClock(CLOCK_MONOTONIC);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000U;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace tempiko::posix
