#include "sync/text_forms.h"

#include <gtest/gtest.h>

#include "sync/ntp_message.h"

namespace tempiko::sync {
namespace {

constexpr DateTime kNewYear2020 = 43'831.0;
constexpr DateTime kOneMs = 1 / kMillisecondsPerDay;

DateTime Seconds(double seconds) {
  return seconds / kSecondsPerDay;
}

class InstantTextTest : public ::testing::Test {
 protected:
  const Locale locale_ = Locale::Japanese();
};

TEST_F(InstantTextTest, AllZeroTimestampIsTheDateAloneAndZeroMilliseconds) {
  const MessageBuffer zeros{};
  const DateTime value = NtpTimeToDateTime(zeros, ntp_field::kTransmitTimestamp);
  EXPECT_EQ(DateTimeText(value, locale_), "1900/01/01");
  EXPECT_EQ(InstantText(value, locale_), "1900/01/01.000");
}

TEST_F(InstantTextTest, IsTheShortDateTheLongTimeAndTheMilliseconds) {
  const DateTime value = EncodeDateTime({2020, 1, 1, 13, 2, 3, 456});
  EXPECT_EQ(DateTimeText(value, locale_), "2020/01/01 13:02:03");
  EXPECT_EQ(MillisecondSuffix(value), ".456");
  EXPECT_EQ(InstantText(value, locale_), "2020/01/01 13:02:03.456");
  // Only a whole second leaves the time out when it is exactly midnight.
  EXPECT_EQ(InstantText(kNewYear2020 + 7 * kOneMs, locale_), "2020/01/01.007");
}

TEST_F(InstantTextTest, MillisecondsComeFromTheSameRoundingAsTheSeconds) {
  // 999.6 ms round up to the next second: the seconds and the suffix agree.
  EXPECT_EQ(InstantText(kNewYear2020 + Seconds(0.9996), locale_), "2020/01/01 0:00:01.000");
  // 23:59:59.9996 rounds into the next day, shown as its date alone.
  EXPECT_EQ(InstantText(kNewYear2020 - 0.4 * kOneMs, locale_), "2020/01/01.000");
}

struct DurationCase {
  DateTime duration;
  const char* text;
};

TEST(DurationTextTest, ShowsTheTimeOfDayPartOfTheMagnitude) {
  const DurationCase cases[] = {
      {0.0, "00:00:00.000"},
      {Seconds(1.5), "00:00:01.500"},
      {Seconds(25 * 3600), "01:00:00.000"},  // whole days are dropped
      {Seconds(0.102), "00:00:00.102"},
      {Seconds(3.001), "00:00:03.001"},
      {Seconds(-1.5), "00:00:01.500"},
      {Seconds(23 * 3600 + 59 * 60 + 59.999), "23:59:59.999"},
      {1.0 / 2048, "00:00:42.188"},  // 42 187.5 ms: a tie rounds to the even count
      {3.0 / 2048, "00:02:06.562"},  // 126 562.5 ms
  };
  for (const DurationCase& c : cases) {
    EXPECT_EQ(DurationText(c.duration), c.text) << c.duration;
  }
}

TEST(SignedDurationTextTest, PutsTheSignBeforeTheDuration) {
  EXPECT_EQ(SignedDurationText(Seconds(3.001), '-'), "-00:00:03.001");
  EXPECT_EQ(SignedDurationText(Seconds(0.25), '+'), "+00:00:00.250");
  EXPECT_EQ(SignedDurationText(Seconds(-0.25), '+'), "+00:00:00.250");
  EXPECT_EQ(SignedDurationText(0.0, '-'), "-00:00:00.000");
}

}  // namespace
}  // namespace tempiko::sync
