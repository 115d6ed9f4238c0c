// The Win32 clock adapter reads the precise system time and the zone's real distance from UTC.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "sync/date_time.h"
#include "win32/win32_clock.h"

namespace tempiko {
namespace {

using win32::Win32Clock;

constexpr double kMinute = 1.0 / 1440.0;

TEST(Win32Clock, FileTimeRoundTripsThroughDateTime) {
  struct Case {
    SYSTEMTIME fields;
    sync::CalendarFields expected;
  };
  const Case cases[] = {
      {{1899, 12, 0, 30, 0, 0, 0, 0}, {1899, 12, 30, 0, 0, 0, 0}},
      {{2020, 1, 0, 1, 0, 0, 0, 500}, {2020, 1, 1, 0, 0, 0, 500}},
      {{2036, 2, 0, 7, 6, 28, 15, 999}, {2036, 2, 7, 6, 28, 15, 999}},
  };
  for (const Case& c : cases) {
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&c.fields, &ft));
    const std::uint64_t value = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    const sync::DateTime dt = win32::FileTimeToDateTime(value);
    EXPECT_EQ(sync::SplitDateTime(dt), c.expected);
    EXPECT_EQ(win32::DateTimeToFileTime(dt) / 10'000, value / 10'000);
  }
}

TEST(Win32Clock, LocalMinusZoneShiftIsUtc) {
  Win32Clock clock;
  const sync::DateTime local = clock.LocalNow();
  const sync::DateTime utc = clock.UtcNow();
  const double shift = clock.ZoneShift(local);
  EXPECT_LT(std::abs((local - shift) - utc) * sync::kSecondsPerDay, 1.0);
}

TEST(Win32Clock, ZoneShiftIsTheZonesRealDistanceFromUtc) {
  // The test prefix runs in Japan's zone (no daylight saving): the shift is 9 hours.
  TIME_ZONE_INFORMATION zone;
  const DWORD state = GetTimeZoneInformation(&zone);
  ASSERT_NE(state, TIME_ZONE_ID_INVALID);
  Win32Clock clock;
  const double shift = clock.ZoneShift(clock.LocalNow());
  if (state != TIME_ZONE_ID_DAYLIGHT) {
    EXPECT_NEAR(shift, -zone.Bias * kMinute, 1e-9);
  }
  if (zone.Bias == -540) {
    EXPECT_EQ(shift, 0.375);
  }
}

TEST(Win32Clock, ReadingCarriesSubMillisecondPart) {
  // The precise reading has 100-ns steps; among many reads some fall between milliseconds.
  Win32Clock clock;
  bool fraction_seen = false;
  for (int i = 0; i < 1000 && !fraction_seen; ++i) {
    const double ms = clock.LocalNow() * sync::kMillisecondsPerDay;
    fraction_seen = std::abs(ms - std::round(ms)) > 0.01;
  }
  EXPECT_TRUE(fraction_seen);
}

TEST(Win32Clock, ReportsTheNtFamily) {
  EXPECT_EQ(Win32Clock().PlatformId(), 2);
}

}  // namespace
}  // namespace tempiko
