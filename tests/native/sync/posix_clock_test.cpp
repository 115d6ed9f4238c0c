#include "posix/posix_clock.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace tempiko::posix {
namespace {

using sync::DateTime;
using sync::EncodeDateTime;

// Reads only: no test ever sets the machine's clock.
TEST(PosixClockTest, LocalNowLessTheZoneShiftIsTheUtcTime) {
  PosixClock clock;
  const DateTime local = clock.LocalNow();
  const DateTime utc = local - clock.ZoneShift(local);
  const DateTime expected = 25'569.0 + static_cast<double>(std::time(nullptr)) / 86'400.0;
  EXPECT_NEAR(utc, expected, 5.0 / 86'400.0);
}

// Puts the process in a zone given as a POSIX TZ rule (no zone database needed) and restores
// the previous one afterwards.
class PosixClockZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) {
      saved_tz_ = tz;
    }
  }
  void TearDown() override {
    if (saved_tz_) {
      setenv("TZ", saved_tz_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  static void UseZone(const char* rule) {
    setenv("TZ", rule, 1);
    tzset();
  }

  PosixClock clock_;
  std::optional<std::string> saved_tz_;
};

TEST_F(PosixClockZoneTest, JapanIsNineHoursAhead) {
  UseZone("JST-9");
  EXPECT_DOUBLE_EQ(clock_.ZoneShift(EncodeDateTime({2020, 1, 1, 12})), 0.375);
  EXPECT_DOUBLE_EQ(clock_.ZoneShift(EncodeDateTime({2020, 7, 1, 12})), 0.375);
}

TEST_F(PosixClockZoneTest, FollowsDaylightSavingAtTheGivenLocalTime) {
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_DOUBLE_EQ(clock_.ZoneShift(EncodeDateTime({2020, 1, 15, 12})), 1.0 / 24);
  EXPECT_DOUBLE_EQ(clock_.ZoneShift(EncodeDateTime({2020, 7, 15, 12})), 2.0 / 24);
}

TEST_F(PosixClockZoneTest, LocalNowIsInTheLocalZone) {
  UseZone("UTC0");
  const DateTime utc = clock_.LocalNow();
  UseZone("JST-9");
  const DateTime japan = clock_.LocalNow();
  EXPECT_NEAR(japan - utc, 0.375, 5.0 / 86'400.0);
}

}  // namespace
}  // namespace tempiko::posix
