#include "sync/ntp_message.h"

#include <stdexcept>

namespace tempiko::sync {
namespace {

constexpr std::uint64_t kSecondsPerDayInt = 86'400;
constexpr std::uint64_t kFractionUnitsPerSecond = std::uint64_t{1} << 32;
constexpr std::uint64_t kFractionUnitsPerDay = kSecondsPerDayInt * kFractionUnitsPerSecond;

// The NTP epoch 1900-01-01 is two days after the date-time origin 1899-12-30.
constexpr double kNtpEpochDay = 2.0;

std::uint32_t ReadUint32(const MessageBuffer& buffer, std::size_t offset) {
  return (std::uint32_t{buffer[offset]} << 24) | (std::uint32_t{buffer[offset + 1]} << 16) |
         (std::uint32_t{buffer[offset + 2]} << 8) | std::uint32_t{buffer[offset + 3]};
}

}  // namespace

void BuildRequest(MessageBuffer& buffer) {
  buffer.fill(0);
  buffer[ntp_field::kLeapVersionMode] = kRequestFirstByte;
}

NtpHeader DecodeHeader(const MessageBuffer& buffer) {
  const std::uint8_t first = buffer[ntp_field::kLeapVersionMode];
  NtpHeader header;
  header.leap_indicator = (first >> 6) & 0x3;
  header.version = (first >> 3) & 0x7;
  header.mode = first & 0x7;
  header.stratum = buffer[ntp_field::kStratum];
  header.poll = static_cast<std::int8_t>(buffer[ntp_field::kPoll]);
  header.precision = static_cast<std::int8_t>(buffer[ntp_field::kPrecision]);
  for (std::size_t i = 0; i < header.reference_id.size(); ++i) {
    header.reference_id[i] = buffer[ntp_field::kReferenceId + i];
  }
  return header;
}

DateTime NtpTimeToDateTime(const MessageBuffer& buffer, std::size_t offset) {
  if (offset > kNtpMessageSize - ntp_field::kTimestampSize) {
    throw std::out_of_range("NTP timestamp offset outside the message");
  }
  // The timestamp as one 32.32 fixed-point count of seconds: exact in 64 bits. Whole days and
  // the remainder are split in integers, so the only roundings are the remainder's division
  // and the final addition, on every compiler alike (long double is no wider than double with
  // some of them).
  const std::uint64_t units =
      (std::uint64_t{ReadUint32(buffer, offset)} << 32) | ReadUint32(buffer, offset + 4);
  const std::uint64_t whole_days = units / kFractionUnitsPerDay;
  const std::uint64_t rest = units % kFractionUnitsPerDay;  // below 2^49: exact as a double
  const double day_fraction = static_cast<double>(rest) / static_cast<double>(kFractionUnitsPerDay);
  return static_cast<double>(whole_days) + kNtpEpochDay + day_fraction;
}

}  // namespace tempiko::sync
