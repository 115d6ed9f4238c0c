#include "sync/ntp_message.h"

#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

namespace tempiko::sync {
namespace {

using Field = std::array<std::uint8_t, ntp_field::kTimestampSize>;

MessageBuffer BufferWithField(std::size_t offset, const Field& field) {
  MessageBuffer buffer;
  buffer.fill(0xA5);  // whatever the neighbouring bytes hold must not leak into the value
  std::copy(field.begin(), field.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
  return buffer;
}

TEST(BuildRequestTest, IsTheClientByteAndZeros) {
  MessageBuffer buffer;
  buffer.fill(0xFF);  // a previous reply
  BuildRequest(buffer);
  EXPECT_EQ(buffer[0], 0x23);
  for (std::size_t i = 1; i < kMessageBufferSize; ++i) {
    EXPECT_EQ(buffer[i], 0) << "byte " << i;
  }
}

TEST(DecodeHeaderTest, SplitsTheFirstByteAndSignsPollAndPrecision) {
  MessageBuffer buffer{};
  buffer[0] = 0xE4;  // LI 3, VN 4, mode 4
  buffer[1] = 1;
  buffer[2] = 0xFA;
  buffer[3] = 0xEC;
  buffer[12] = 'G';
  buffer[13] = 'P';
  buffer[14] = 'S';
  const NtpHeader header = DecodeHeader(buffer);
  EXPECT_EQ(header.leap_indicator, 3);
  EXPECT_EQ(header.version, 4);
  EXPECT_EQ(header.mode, 4);
  EXPECT_EQ(header.stratum, 1);
  EXPECT_EQ(header.poll, -6);
  EXPECT_EQ(header.precision, -20);
  EXPECT_EQ(header.reference_id, (std::array<std::uint8_t, 4>{'G', 'P', 'S', 0}));

  buffer[0] = 0x1C;  // LI 0, VN 3, mode 4
  buffer[1] = 0xFF;
  buffer[2] = 0x7F;
  const NtpHeader other = DecodeHeader(buffer);
  EXPECT_EQ(other.leap_indicator, 0);
  EXPECT_EQ(other.version, 3);
  EXPECT_EQ(other.mode, 4);
  EXPECT_EQ(other.stratum, 255);
  EXPECT_EQ(other.poll, 127);
}

struct TimestampCase {
  const char* name;
  Field field;
  CalendarFields utc;
};

class NtpTimeToDateTimeTest : public ::testing::TestWithParam<TimestampCase> {};

TEST_P(NtpTimeToDateTimeTest, ConvertsEveryTimestampField) {
  for (std::size_t offset : {ntp_field::kReferenceTimestamp, ntp_field::kReceiveTimestamp,
                             ntp_field::kTransmitTimestamp}) {
    EXPECT_EQ(SplitDateTime(NtpTimeToDateTime(BufferWithField(offset, GetParam().field), offset)),
              GetParam().utc)
        << "offset " << offset;
  }
}

const TimestampCase kTimestampCases[] = {
    {"HalfSecondFromTheFractionAlone",
     {0xE1, 0xB6, 0x5F, 0x80, 0x80, 0x00, 0x00, 0x00},
     {2020, 1, 1, 0, 0, 0, 500}},
    {"AllZeroIsTheNtpEpoch", {}, {1900, 1, 1, 0, 0, 0, 0}},
    // No era handling: small counts stay in 1900, the largest rounds up to the era's end.
    {"OneSecond", {0, 0, 0, 1, 0, 0, 0, 0}, {1900, 1, 1, 0, 0, 1, 0}},
    {"LargestValue", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {2036, 2, 7, 6, 28, 16, 0}},
    {"FractionBelowHalfAMillisecond",
     {0xE1, 0xB6, 0x5F, 0x80, 0x00, 0x20, 0x00, 0x00},  // 0.488 ms
     {2020, 1, 1, 0, 0, 0, 0}},
};

void PrintTo(const TimestampCase& c, std::ostream* os) {
  *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<TimestampCase>& case_info) {
  return case_info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Fields, NtpTimeToDateTimeTest, ::testing::ValuesIn(kTimestampCases),
                         CaseName);

TEST(NtpTimeToDateTimeValueTest, IsTheExactDayCount) {
  const Field half_second = {0xE1, 0xB6, 0x5F, 0x80, 0x80, 0x00, 0x00, 0x00};
  EXPECT_DOUBLE_EQ(NtpTimeToDateTime(BufferWithField(32, half_second), 32),
                   (3'786'825'600.0 + 0.5) / 86'400.0 + 2.0);
  EXPECT_EQ(NtpTimeToDateTime(BufferWithField(40, Field{}), 40), 2.0);
}

TEST(NtpTimeToDateTimeValueTest, RefusesAFieldOutsideTheMessage) {
  const MessageBuffer buffer{};
  EXPECT_THROW(NtpTimeToDateTime(buffer, 41), std::out_of_range);
  EXPECT_THROW(NtpTimeToDateTime(buffer, static_cast<std::size_t>(-1)), std::out_of_range);
}

}  // namespace
}  // namespace tempiko::sync
