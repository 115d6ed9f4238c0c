#include "sync/date_time.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace tempiko::sync {
namespace {

constexpr DateTime kNewYear2020 = 43'831.0;  // 2020-01-01 00:00:00

struct SplitCase {
  const char* name;
  DateTime value;
  CalendarFields fields;
};

class SplitDateTimeTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitDateTimeTest, GivesCalendarFields) {
  EXPECT_EQ(SplitDateTime(GetParam().value), GetParam().fields);
}

// Values of the form n/2048 day have an exact millisecond count ending in .5 (86 400 000 is
// 84 375 × 2^10), so they are true ties.
const SplitCase kSplitCases[] = {
    {"Origin", 0.0, {1899, 12, 30, 0, 0, 0, 0}},
    {"NtpEpoch", 2.0, {1900, 1, 1, 0, 0, 0, 0}},
    {"Year1900IsNoLeapYear", 61.0, {1900, 3, 1, 0, 0, 0, 0}},
    {"LeapDay2000", 36'585.0, {2000, 2, 29, 0, 0, 0, 0}},
    {"HalfSecond", kNewYear2020 + 0.5 / kSecondsPerDay, {2020, 1, 1, 0, 0, 0, 500}},
    {"LastMillisecondOfDay",
     kNewYear2020 - 1 / kMillisecondsPerDay,
     {2019, 12, 31, 23, 59, 59, 999}},
    {"RoundsIntoNextDay", kNewYear2020 - 0.4 / kMillisecondsPerDay, {2020, 1, 1, 0, 0, 0, 0}},
    {"TieRoundsUpToEven", kNewYear2020 + 1.0 / 2048, {2020, 1, 1, 0, 0, 42, 188}},   // .187.5
    {"TieRoundsDownToEven", kNewYear2020 + 3.0 / 2048, {2020, 1, 1, 0, 2, 6, 562}},  // .562.5
    // The double product × 86 400 000 of these lands exactly on a half although the value's
    // true millisecond count lies just above (first) or below (second) it.
    {"JustAboveHalf", 0x1.566e000000f89p+15, {2020, 1, 1, 0, 0, 0, 3}},
    {"JustBelowHalf", 0x1.566e000000952p+15, {2020, 1, 1, 0, 0, 0, 1}},
    {"QuarterDayBeforeOrigin", -0.25, {1899, 12, 29, 18, 0, 0, 0}},
    {"DayAndAHalfBeforeOrigin", -1.5, {1899, 12, 28, 12, 0, 0, 0}},
    {"NegativeTie", -1.0 / 2048, {1899, 12, 29, 23, 59, 17, 812}},  // -42 187.5 → -42 188
    {"FirstDayOfCommonEra", -693'593.0, {1, 1, 1, 0, 0, 0, 0}},
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<SplitCase>& case_info) {
  return case_info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Values, SplitDateTimeTest, ::testing::ValuesIn(kSplitCases), CaseName);

TEST(EncodeDateTimeTest, IsTheInverseOfTheSplit) {
  const CalendarFields cases[] = {
      {2020, 1, 1, 0, 0, 0, 0},    {2020, 1, 1, 13, 2, 3, 456}, {2000, 2, 29, 23, 59, 59, 999},
      {1899, 12, 29, 18, 0, 0, 1}, {1, 1, 1, 0, 0, 0, 0},       {9999, 12, 31, 23, 59, 59, 999},
  };
  for (const CalendarFields& fields : cases) {
    EXPECT_EQ(SplitDateTime(EncodeDateTime(fields)), fields) << fields.year << "-" << fields.month;
  }
  EXPECT_EQ(EncodeDateTime({2020, 1, 1, 0, 0, 0, 0}), kNewYear2020);
  EXPECT_EQ(EncodeDateTime({2020, 1, 1, 18, 0, 0, 0}), kNewYear2020 + 0.75);
}

TEST(EncodeDateTimeTest, CarriesOutOfRangeFieldsOver) {
  EXPECT_EQ(EncodeDateTime({2019, 13, 1, 0, 0, 0, 0}), kNewYear2020);
  EXPECT_EQ(EncodeDateTime({2019, 12, 31, 24, 0, 0, 0}), kNewYear2020);
}

TEST(DayOfWeekTest, CountsFromSunday) {
  EXPECT_EQ(DayOfWeek(kNewYear2020), 3);          // a Wednesday
  EXPECT_EQ(DayOfWeek(0.0), 6);                   // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfWeek(-0.25), 5);                 // the Friday before
  EXPECT_EQ(DayOfWeek(kNewYear2020 + 4.999), 0);  // Sunday evening
}

TEST(ToMillisecondsTest, ValuesWithoutAMeaningAreHandled) {
  EXPECT_EQ(ToMilliseconds(std::nan("")), 0);
  const DateTime infinity = std::numeric_limits<double>::infinity();
  EXPECT_GT(ToMilliseconds(infinity), 0);
  EXPECT_LT(ToMilliseconds(-infinity), 0);
  // The split of a clamped value still gives a valid calendar.
  const CalendarFields far = SplitDateTime(1e300);
  EXPECT_GE(far.month, 1);
  EXPECT_LE(far.month, 12);
}

}  // namespace
}  // namespace tempiko::sync
