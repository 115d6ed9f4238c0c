// The zero correction, the drift correction and the "-s" start, on a recording clock.
#include "sync/simple_correction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_clock.h"

namespace tempiko::sync {
namespace {

using ::testing::ElementsAre;

constexpr DateTime kNoon = 43'831.5;  // 2020-01-01 12:00:00 local
constexpr DateTime kOneMs = 1 / kMillisecondsPerDay;

DateTime At(int hour, int minute, int second, int millisecond = 0) {
  return EncodeDateTime({2020, 1, 1, hour, minute, second, millisecond});
}

class SimpleCorrectionTest : public ::testing::Test {
 protected:
  fakes::FakeClock clock_;
  ClockReader reader_{clock_};
  CorrectionRecord record_;
  std::vector<int> refusals_;
  SimpleCorrection correction_{reader_, record_, [this](int error) { refusals_.push_back(error); }};
};

TEST_F(SimpleCorrectionTest, ZeroCorrectionSetsTheNearestWholeMinute) {
  const struct {
    DateTime now;
    CalendarFields set;
  } cases[] = {
      {At(12, 34, 29, 400), {2020, 1, 1, 12, 34, 0, 0}},
      {At(12, 34, 29) + 999.6 * kOneMs, {2020, 1, 1, 12, 35, 0, 0}},  // rounds to 30.000 first
      {At(12, 34, 30), {2020, 1, 1, 12, 35, 0, 0}},
      {EncodeDateTime({2020, 12, 31, 23, 59, 45, 0}), {2021, 1, 1, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    fakes::FakeClock clock;
    ClockReader reader(clock);
    CorrectionRecord record;
    SimpleCorrection correction(reader, record, nullptr);
    clock.SetLocalNow(c.now);
    correction.ZeroCorrection();
    EXPECT_THAT(clock.LocalTimeSettings(), ElementsAre(c.set));
    EXPECT_TRUE(record.has_last_time);
    EXPECT_EQ(record.last_time, c.now);  // the clock of the fake does not move
  }
}

TEST_F(SimpleCorrectionTest, ZeroCorrectionTakesANewBaseForTheClockReading) {
  clock_.SetPlatformId(fakes::FakeClock::kPlatformWin9x);
  clock_.SetTickCount(5000);
  clock_.SetLocalNow(kNoon);
  correction_.ZeroCorrection();
  clock_.SetTickCount(5100);
  EXPECT_DOUBLE_EQ(reader_.ClockNow(), kNoon + 100 * kOneMs);
}

TEST_F(SimpleCorrectionTest, DriftCorrectionMovesTheClockByTheRateTimesTheDays) {
  const struct {
    int rate;
    DateTime since;
    std::vector<CalendarFields> set;
  } cases[] = {
      {1000, kNoon - 2, {{2020, 1, 1, 12, 0, 2, 0}}},
      {-1000, kNoon - 2, {{2020, 1, 1, 11, 59, 58, 0}}},
      {86'400, kNoon - 0.25, {{2020, 1, 1, 12, 0, 21, 600}}},  // exactly 6 hours: corrected
      {86'400, kNoon - 0.25 + 60'000 * kOneMs, {}},            // 5 h 59 min: not yet
  };
  for (const auto& c : cases) {
    fakes::FakeClock clock;
    ClockReader reader(clock);
    CorrectionRecord record{c.since, true};
    SimpleCorrection correction(reader, record, nullptr);
    clock.SetLocalNow(kNoon);
    correction.ApplySimpleCorrection(c.since, c.rate);
    EXPECT_EQ(clock.LocalTimeSettings(), c.set) << c.rate << " " << c.since;
    EXPECT_EQ(record.last_time, c.set.empty() ? c.since : kNoon);
  }
}

TEST_F(SimpleCorrectionTest, ARefusedSettingIsReportedAndRenewsNothing) {
  for (const int error : {1314, 5, 87}) {
    refusals_.clear();
    record_ = {};
    clock_.SetSettingError(error);
    clock_.SetLocalNow(kNoon);
    correction_.ZeroCorrection();
    correction_.ApplySimpleCorrection(kNoon - 1, 1000);
    EXPECT_THAT(refusals_, ElementsAre(error, error));
    EXPECT_EQ(record_.last_time, 0);
    EXPECT_FALSE(record_.has_last_time);
  }
}

TEST_F(SimpleCorrectionTest, TheSimpleCorrectionStart) {
  clock_.SetLocalNow(kNoon);
  // No drift rate: nothing happens and the window stays.
  EXPECT_FALSE(RunSimpleCorrectionStart(correction_, 0, {kNoon - 1, true}));
  // A rate but no LastTime: no correction, the window closes.
  EXPECT_TRUE(RunSimpleCorrectionStart(correction_, 500, {0, false}));
  EXPECT_TRUE(clock_.LocalTimeSettings().empty());
  // A rate and a LastTime a day ago: corrected, and the window closes.
  record_ = {kNoon - 1, true};
  EXPECT_TRUE(RunSimpleCorrectionStart(correction_, 500, record_));
  EXPECT_THAT(clock_.LocalTimeSettings(), ElementsAre(CalendarFields{2020, 1, 1, 12, 0, 0, 500}));
  EXPECT_EQ(record_.last_time, kNoon);
}

}  // namespace
}  // namespace tempiko::sync
