#pragma once

// Server replies as the tests need them: a 48-byte NTP message built from its fields, with the
// timestamps given as UTC date-time values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "sync/date_time.h"
#include "sync/ntp_message.h"

namespace tempiko::fakes {

struct NtpReplyFields {
  std::uint8_t first_byte = 0x24;  // leap indicator 0, version 4, mode 4 (server)
  std::uint8_t stratum = 2;
  std::uint8_t poll = 6;
  std::uint8_t precision = 0xEC;  // -20
  std::array<std::uint8_t, 4> reference_id{};
  // UTC date-time values; 0 leaves the field's eight bytes zero.
  sync::DateTime reference = 0;
  sync::DateTime originate = 0;
  sync::DateTime receive = 0;
  sync::DateTime transmit = 0;
};

// Writes the value, rounded to the millisecond, as an NTP timestamp: the fraction is truncated
// to units of 2^-32 s, which converts back to the same millisecond.
inline void PutNtpTimestamp(sync::MessageBuffer& message, std::size_t offset, sync::DateTime utc) {
  constexpr std::int64_t kMsFrom1900To1899 = 2 * 86'400'000LL;
  const std::int64_t ms = sync::ToMilliseconds(utc) - kMsFrom1900To1899;
  const auto seconds = static_cast<std::uint32_t>(ms / 1000);
  const auto fraction =
      static_cast<std::uint32_t>((static_cast<std::uint64_t>(ms % 1000) << 32) / 1000);
  for (int i = 0; i < 4; ++i) {
    message[offset + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(seconds >> (24 - 8 * i));
    message[offset + 4 + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(fraction >> (24 - 8 * i));
  }
}

inline sync::MessageBuffer BuildNtpReply(const NtpReplyFields& fields) {
  sync::MessageBuffer message{};
  message[sync::ntp_field::kLeapVersionMode] = fields.first_byte;
  message[sync::ntp_field::kStratum] = fields.stratum;
  message[sync::ntp_field::kPoll] = fields.poll;
  message[sync::ntp_field::kPrecision] = fields.precision;
  for (std::size_t i = 0; i < fields.reference_id.size(); ++i) {
    message[sync::ntp_field::kReferenceId + i] = fields.reference_id[i];
  }
  const std::array<std::pair<std::size_t, sync::DateTime>, 4> stamps = {{
      {sync::ntp_field::kReferenceTimestamp, fields.reference},
      {sync::ntp_field::kOriginateTimestamp, fields.originate},
      {sync::ntp_field::kReceiveTimestamp, fields.receive},
      {sync::ntp_field::kTransmitTimestamp, fields.transmit},
  }};
  for (const auto& [offset, value] : stamps) {
    if (value != 0) {
      PutNtpTimestamp(message, offset, value);
    }
  }
  return message;
}

// The first `length` bytes of the message, as a datagram carries them.
inline std::vector<std::uint8_t> DatagramOf(const sync::MessageBuffer& message,
                                            std::size_t length = sync::kNtpMessageSize) {
  return {message.begin(), message.begin() + static_cast<std::ptrdiff_t>(length)};
}

}  // namespace tempiko::fakes
