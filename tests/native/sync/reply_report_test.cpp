// The reply report: every header field and timestamp of a server's reply as a line of the log,
// and whether a decoded reply is usable at all.

#include "sync/reply_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "fakes/ntp_replies.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

using fakes::BuildNtpReply;
using fakes::NtpReplyFields;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ::testing::StartsWith;

DateTime Utc(int hour, int minute, int second, int millisecond) {
  return EncodeDateTime({2020, 1, 1, hour, minute, second, millisecond});
}

const DateTime kT1 = Utc(12, 0, 0, 0);
const DateTime kReceive = Utc(12, 0, 3, 50);
const DateTime kTransmit = Utc(12, 0, 3, 52);

class ReplyReportTest : public ::testing::Test {
 protected:
  // A plausible reply of a stratum-2 server.
  static NtpReplyFields Reply() {
    NtpReplyFields fields;
    fields.reference = Utc(11, 59, 0, 0);
    fields.receive = kReceive;
    fields.transmit = kTransmit;
    return fields;
  }

  // Reports the reply and answers whether it can be used.
  bool Show(const NtpReplyFields& fields) {
    const DecodedReply reply = DecodeReply(BuildNtpReply(fields), kT1, kT1);
    lines = ReplyReportLines(reply, locale);
    return reply.usable;
  }

  // The line that starts with the label, without the label.
  std::optional<std::string> ValueOf(const std::string& label) const {
    for (const std::string& line : lines) {
      if (line.rfind(label, 0) == 0) {
        return line.substr(label.size());
      }
    }
    return std::nullopt;
  }

  Locale locale = Locale::Japanese();
  std::vector<std::string> lines;
};

TEST_F(ReplyReportTest, StratumOneReplyIsReportedLineByLine) {
  NtpReplyFields fields = Reply();
  fields.stratum = 1;
  fields.reference_id = {'G', 'P', 'S', 0};
  fields.originate = Utc(3, 4, 5, 6);  // not ours: the line shows our own send instant

  EXPECT_TRUE(Show(fields));

  EXPECT_THAT(lines, ElementsAre("Leap Indicator:0", "Version Number:4", "Mode:4", "Stratum:1",
                                 "Poll:6", "Precision:-20", "Reference Identifier:GPS",
                                 "Reference Timestamp(UTC):2020/01/01 11:59:00.000",
                                 "Originate Timestamp(UTC):2020/01/01 12:00:00.000",
                                 "Receive Timestamp(UTC):2020/01/01 12:00:03.050",
                                 "Transmit Timestamp(UTC):2020/01/01 12:00:03.052"));
}

TEST_F(ReplyReportTest, ZeroReferenceTimestampShowsTheNtpEpochDateAlone) {
  NtpReplyFields fields = Reply();
  fields.reference = 0;
  Show(fields);
  EXPECT_EQ(ValueOf("Reference Timestamp(UTC):"), "1900/01/01.000");
}

// --- Header fields and acceptance ---

struct HeaderCase {
  const char* name;
  std::uint8_t first_byte;
  std::uint8_t stratum;
  std::uint8_t poll;
  std::uint8_t precision;
  bool zero_transmit;
  std::array<const char*, 6> lines;
  bool accepted;
};

void PrintTo(const HeaderCase& c, std::ostream* out) {
  *out << c.name;
}

class ReplyHeaderTest : public ReplyReportTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(ReplyHeaderTest, FieldsAreReportedAsTheyAreAndDecideAcceptance) {
  const HeaderCase& c = GetParam();
  NtpReplyFields fields = Reply();
  fields.first_byte = c.first_byte;
  fields.stratum = c.stratum;
  fields.poll = c.poll;
  fields.precision = c.precision;
  if (c.zero_transmit) {
    fields.transmit = 0;
  }

  EXPECT_EQ(Show(fields), c.accepted);

  // Rejected or not, the report is complete.
  ASSERT_EQ(lines.size(), 10u);
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    EXPECT_EQ(lines[i], c.lines[i]);
  }
  EXPECT_THAT(lines[9], StartsWith("Transmit Timestamp(UTC):"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplyHeaderTest,
    ::testing::Values(HeaderCase{"ServerReply",
                                 0x24,
                                 2,
                                 0x06,
                                 0xEC,
                                 false,
                                 {"Leap Indicator:0", "Version Number:4", "Mode:4", "Stratum:2",
                                  "Poll:6", "Precision:-20"},
                                 true},
                      HeaderCase{"LeapIndicatorThreeIsRejected",
                                 0xDC,
                                 2,
                                 0x0A,
                                 0x00,
                                 false,
                                 {"Leap Indicator:3", "Version Number:3", "Mode:4", "Stratum:2",
                                  "Poll:10", "Precision:0"},
                                 false},
                      // Odd values are shown as they are and do not matter by themselves.
                      HeaderCase{"UnusualVersionModeAndStratum",
                                 0x7F,
                                 255,
                                 0x80,
                                 0x7F,
                                 false,
                                 {"Leap Indicator:1", "Version Number:7", "Mode:7", "Stratum:255",
                                  "Poll:-128", "Precision:127"},
                                 true},
                      // A kiss-o'-death or a server that is not synchronised.
                      HeaderCase{"StratumZeroIsRejected",
                                 0x24,
                                 0,
                                 0x06,
                                 0xEC,
                                 false,
                                 {"Leap Indicator:0", "Version Number:4", "Mode:4", "Stratum:0",
                                  "Poll:6", "Precision:-20"},
                                 false},
                      HeaderCase{"ZeroTransmitTimestampIsRejected",
                                 0x24,
                                 2,
                                 0x06,
                                 0xEC,
                                 true,
                                 {"Leap Indicator:0", "Version Number:4", "Mode:4", "Stratum:2",
                                  "Poll:6", "Precision:-20"},
                                 false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- Reference identifier ---

struct IdentifierCase {
  const char* name;
  std::uint8_t stratum;
  std::array<std::uint8_t, 4> bytes;
  std::optional<std::string> shown;  // nothing: no identifier line
};

void PrintTo(const IdentifierCase& c, std::ostream* out) {
  *out << c.name;
}

class ReferenceIdentifierTest : public ReplyReportTest,
                                public ::testing::WithParamInterface<IdentifierCase> {};

TEST_P(ReferenceIdentifierTest, ShownForStratumOneUpToTheFirstZeroByte) {
  const IdentifierCase& c = GetParam();
  NtpReplyFields fields = Reply();
  fields.stratum = c.stratum;
  fields.reference_id = c.bytes;

  Show(fields);

  EXPECT_EQ(ValueOf("Reference Identifier:"), c.shown);
  if (!c.shown) {
    EXPECT_THAT(lines, Not(Contains(StartsWith("Reference Identifier"))));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceIdentifierTest,
    ::testing::Values(
        IdentifierCase{"ThreeLetters", 1, {'G', 'P', 'S', 0}, "GPS"},
        IdentifierCase{"FourLetters", 1, {'N', 'I', 'S', 'T'}, "NIST"},
        IdentifierCase{"EndsAtTheFirstZero", 1, {'A', 0, 'B', 'C'}, "A"},
        IdentifierCase{"AllZero", 1, {0, 0, 0, 0}, ""},
        // Bytes from the network that are no visible text keep the line one line of text.
        IdentifierCase{"InvisibleBytes", 1, {'\n', 'X', 0xFF, 0}, "?X?"},
        IdentifierCase{"StratumTwoHasNoLine", 2, {192, 0, 2, 1}, std::nullopt}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace tempiko::sync
