// One exchange as values: the decoded reply with T1–T4, delay and offset, and its verdict.

#include "sync/exchange.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "fakes/ntp_replies.h"

namespace tempiko::sync {
namespace {

using fakes::BuildNtpReply;
using fakes::NtpReplyFields;

DateTime Utc(int hour, int minute, int second, int millisecond) {
  return EncodeDateTime({2020, 1, 1, hour, minute, second, millisecond});
}

const DateTime kT1 = Utc(12, 0, 0, 0);
DateTime AfterT1(int ms) {
  return kT1 + ms / kMillisecondsPerDay;
}

// A stratum-2 reply: the server received our request `receive_ms` after T1 and answered
// `transmit_ms` after T1; it reached us `arrival_ms` after T1.
DecodedReply Exchange(int receive_ms, int transmit_ms, int arrival_ms) {
  NtpReplyFields fields;
  fields.reference = Utc(11, 0, 0, 0);
  fields.receive = AfterT1(receive_ms);
  fields.transmit = AfterT1(transmit_ms);
  return DecodeReply(BuildNtpReply(fields), kT1, AfterT1(arrival_ms));
}

TEST(ExchangeTest, WorkedExampleGivesDelayAndOffset) {
  // The server's clock is 3 s ahead; 100 ms on the way, 2 ms of them at the server.
  const DecodedReply reply = Exchange(3050, 3052, 100);
  EXPECT_EQ(reply.t1, kT1);
  EXPECT_EQ(ToMilliseconds(reply.t2), ToMilliseconds(AfterT1(3050)));
  EXPECT_EQ(ToMilliseconds(reply.t3), ToMilliseconds(AfterT1(3052)));
  EXPECT_EQ(reply.t4, AfterT1(100));
  EXPECT_EQ(ToMilliseconds(reply.reference), ToMilliseconds(Utc(11, 0, 0, 0)));
  EXPECT_EQ(ToMilliseconds(reply.delay), 98);
  EXPECT_EQ(ToMilliseconds(reply.offset), 3001);
  EXPECT_TRUE(reply.usable);
  EXPECT_EQ(Judge(reply, 200), Verdict::kCorrect);
}

TEST(ExchangeTest, TheReplysOwnOriginateFieldPlaysNoPart) {
  NtpReplyFields fields;
  fields.receive = AfterT1(5);
  fields.transmit = AfterT1(5);
  fields.originate = Utc(3, 0, 0, 0);
  const DecodedReply reply = DecodeReply(BuildNtpReply(fields), kT1, AfterT1(10));
  EXPECT_EQ(reply.t1, kT1);
  EXPECT_EQ(ToMilliseconds(reply.offset), 0);
}

struct VerdictCase {
  const char* name;
  int receive_ms;   // T2 − T1
  int transmit_ms;  // T3 − T1
  int arrival_ms;   // T4 − T1
  int tolerance_ms;
  Verdict verdict;
};

void PrintTo(const VerdictCase& c, std::ostream* out) {
  *out << c.name;
}

class VerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictTest, DelayAndToleranceDecide) {
  const VerdictCase& c = GetParam();
  EXPECT_EQ(Judge(Exchange(c.receive_ms, c.transmit_ms, c.arrival_ms), c.tolerance_ms), c.verdict);
}

// With T2 = T3 = x + 5 and T4 = 10 the offset is x and the delay 10 ms.
INSTANTIATE_TEST_SUITE_P(
    Cases, VerdictTest,
    ::testing::Values(
        VerdictCase{"DelayOf2000MsIsTooSlow", 1000, 1000, 2000, 0, Verdict::kTooSlow},
        VerdictCase{"DelayOf1999MsIsNot", 1000, 1000, 1999, 0, Verdict::kCorrect},
        // 2.4 s on the way, 0.5 s of it at the server: the hold time does not count.
        VerdictCase{"HoldTimeIsSubtracted", 1000, 1500, 2400, 0, Verdict::kCorrect},
        VerdictCase{"OffsetEqualToToleranceIsCorrected", 205, 205, 10, 200, Verdict::kCorrect},
        VerdictCase{"NegativeOffsetEqualToToleranceIsCorrected", -195, -195, 10, 200,
                    Verdict::kCorrect},
        VerdictCase{"OffsetOneMsBelowToleranceIsNot", 204, 204, 10, 200, Verdict::kWithinTolerance},
        VerdictCase{"NegativeOffsetBelowToleranceIsNot", -194, -194, 10, 200,
                    Verdict::kWithinTolerance},
        VerdictCase{"ToleranceZeroCorrectsOffsetZero", 5, 5, 10, 0, Verdict::kCorrect},
        // A reply judged against the origin (no request sent): far too slow.
        VerdictCase{"ReplyLongAfterT1IsTooSlow", 86'000'000, 86'000'000, 86'000'000, 0,
                    Verdict::kTooSlow}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

struct UnusableCase {
  const char* name;
  std::uint8_t first_byte;
  std::uint8_t stratum;
  bool zero_transmit;
};

void PrintTo(const UnusableCase& c, std::ostream* out) {
  *out << c.name;
}

class UnusableReplyTest : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(UnusableReplyTest, IsRejectedWhateverItsTimestampsSay) {
  const UnusableCase& c = GetParam();
  NtpReplyFields fields;
  fields.first_byte = c.first_byte;
  fields.stratum = c.stratum;
  fields.receive = AfterT1(5);
  fields.transmit = c.zero_transmit ? 0 : AfterT1(5);
  const DecodedReply reply = DecodeReply(BuildNtpReply(fields), kT1, AfterT1(10));
  EXPECT_FALSE(reply.usable);
  EXPECT_EQ(Judge(reply, 0), Verdict::kRejected);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnusableReplyTest,
                         ::testing::Values(UnusableCase{"LeapIndicator3", 0xDC, 2, false},
                                           UnusableCase{"Stratum0", 0x24, 0, false},
                                           UnusableCase{"ZeroTransmitTimestamp", 0x24, 2, true}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace tempiko::sync
