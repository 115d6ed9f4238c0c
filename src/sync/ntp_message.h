#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "sync/date_time.h"

namespace tempiko::sync {

// The wire format of the one SNTP exchange: a 48-byte NTP message, every multi-byte field most
// significant byte first. The program holds it in a 50-byte buffer whose last two bytes are
// never sent and never read.
inline constexpr std::size_t kNtpMessageSize = 48;
inline constexpr std::size_t kMessageBufferSize = 50;
using MessageBuffer = std::array<std::uint8_t, kMessageBufferSize>;

namespace ntp_field {
inline constexpr std::size_t kLeapVersionMode = 0;  // LI bits 7-6, VN bits 5-3, Mode bits 2-0
inline constexpr std::size_t kStratum = 1;
inline constexpr std::size_t kPoll = 2;       // signed
inline constexpr std::size_t kPrecision = 3;  // signed
inline constexpr std::size_t kRootDelay = 4;
inline constexpr std::size_t kRootDispersion = 8;
inline constexpr std::size_t kReferenceId = 12;
inline constexpr std::size_t kReferenceTimestamp = 16;
inline constexpr std::size_t kOriginateTimestamp = 24;
inline constexpr std::size_t kReceiveTimestamp = 32;
inline constexpr std::size_t kTransmitTimestamp = 40;
inline constexpr std::size_t kTimestampSize = 8;
}  // namespace ntp_field

static_assert(ntp_field::kTransmitTimestamp + ntp_field::kTimestampSize == kNtpMessageSize);
static_assert(kNtpMessageSize <= kMessageBufferSize);

// The port an NTP server answers on.
inline constexpr int kNtpServerPort = 123;

// The request byte: leap indicator 0, version 4, mode 3 (client).
inline constexpr std::uint8_t kRequestFirstByte = 0x23;

// Fills the buffer with the client request: all 50 bytes zero, then byte 0 = 0x23.
void BuildRequest(MessageBuffer& buffer);

// The header fields of a reply, decoded from the first 16 bytes.
struct NtpHeader {
  int leap_indicator = 0;  // 0-3
  int version = 0;         // 0-7
  int mode = 0;            // 0-7
  int stratum = 0;         // 0-255
  int poll = 0;            // -128..127
  int precision = 0;       // -128..127
  std::array<std::uint8_t, 4> reference_id{};
};
NtpHeader DecodeHeader(const MessageBuffer& buffer);

// Converts the 64-bit timestamp at the given field offset (16, 24, 32 or 40) into a UTC
// date-time value: seconds since 1900-01-01 plus the fraction in units of 2^-32 s. There is no
// era handling, and eight zero bytes give exactly 2.0 (1900-01-01 00:00:00.000). Every byte
// pattern converts; an offset whose field does not lie within the 48-byte message is a
// programming error and throws std::out_of_range.
DateTime NtpTimeToDateTime(const MessageBuffer& buffer, std::size_t offset);

}  // namespace tempiko::sync
