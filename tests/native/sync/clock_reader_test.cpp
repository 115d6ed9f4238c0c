#include "sync/clock_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_clock.h"

namespace tempiko::sync {
namespace {

using fakes::FakeClock;

constexpr DateTime kBaseTime = 43'831.5;  // 2020-01-01 12:00:00 local
constexpr DateTime kOneMs = 1 / kMillisecondsPerDay;

class ClockReaderTest : public ::testing::Test {
 protected:
  FakeClock clock_;
  ClockReader reader_{clock_};
};

TEST_F(ClockReaderTest, NtFamilyReadsTheSystemClockAndIgnoresTheTick) {
  clock_.SetPlatformId(FakeClock::kPlatformNt);
  clock_.SetLocalNow(kBaseTime);
  clock_.SetTickCount(1000);
  reader_.TakeBase();

  clock_.SetTickCount(6000);
  clock_.SetLocalNow(kBaseTime + 0.25);
  EXPECT_EQ(reader_.ClockNow(), kBaseTime + 0.25);
}

TEST_F(ClockReaderTest, Win9xFamilyAdvancesTheBaseByTheTicks) {
  clock_.SetPlatformId(FakeClock::kPlatformWin9x);
  clock_.SetLocalNow(kBaseTime);
  clock_.SetTickCount(1000);
  reader_.TakeBase();

  clock_.SetTickCount(1250);
  clock_.SetLocalNow(kBaseTime + 55 * kOneMs);  // the coarse system reading
  EXPECT_DOUBLE_EQ(reader_.ClockNow(), kBaseTime + 250 * kOneMs);
}

TEST_F(ClockReaderTest, Win9xFamilySurvivesAWrapOfTheTickCounter) {
  clock_.SetPlatformId(FakeClock::kPlatformWin9x);
  clock_.SetLocalNow(kBaseTime);
  clock_.SetTickCount(0xFFFF'FF00);
  reader_.TakeBase();

  clock_.Advance(0x200);  // the counter passes zero: it now reads 0x100
  clock_.SetLocalNow(kBaseTime - 0.5);
  EXPECT_DOUBLE_EQ(reader_.ClockNow(), kBaseTime + 0x200 * kOneMs);
}

TEST_F(ClockReaderTest, Win9xFamilyInTheSameTickAsTheBaseReadsTheSystemClock) {
  clock_.SetPlatformId(FakeClock::kPlatformWin9x);
  clock_.SetLocalNow(kBaseTime);
  clock_.SetTickCount(77);
  reader_.TakeBase();

  clock_.SetLocalNow(kBaseTime + 3.0 / kSecondsPerDay);  // the clock was just set
  EXPECT_EQ(reader_.ClockNow(), kBaseTime + 3.0 / kSecondsPerDay);
}

TEST_F(ClockReaderTest, UtcNowTakesTheZoneShiftAwayFromTheClockReading) {
  clock_.SetLocalNow(kBaseTime);
  clock_.SetZoneShift(FakeClock::kJapanShift);
  EXPECT_DOUBLE_EQ(reader_.UtcNow(), kBaseTime - 0.375);

  clock_.SetZoneShift(2.0 / 24);  // a zone in summer time: the real shift, not nine hours
  EXPECT_DOUBLE_EQ(reader_.UtcNow(), kBaseTime - 2.0 / 24);
}

class ZoneClock : public FakeClock {
 public:
  MOCK_METHOD(double, ZoneShift, (DateTime local), (override));
};

TEST(ClockReaderZoneTest, AsksForTheShiftAtTheLocalReading) {
  ZoneClock clock;
  clock.SetPlatformId(FakeClock::kPlatformWin9x);
  clock.SetLocalNow(kBaseTime);
  clock.SetTickCount(0);
  ClockReader reader(clock);
  reader.TakeBase();
  clock.Advance(1000);

  const DateTime local = kBaseTime + 1000 * kOneMs;
  EXPECT_CALL(clock, ZoneShift(::testing::DoubleEq(local))).WillOnce(::testing::Return(0.375));
  EXPECT_DOUBLE_EQ(reader.UtcNow(), local - 0.375);
}

}  // namespace
}  // namespace tempiko::sync
