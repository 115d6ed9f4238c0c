#include "sync/exchange.h"

#include <algorithm>
#include <cstdlib>

namespace tempiko::sync {
namespace {

constexpr int kLeapAlarm = 3;           // the server's clock is not synchronised
constexpr int kStratumUnspecified = 0;  // kiss-o'-death or an unsynchronised server

bool TransmitTimestampIsZero(const MessageBuffer& message) {
  const auto field = message.begin() + ntp_field::kTransmitTimestamp;
  return std::all_of(field, field + ntp_field::kTimestampSize,
                     [](std::uint8_t byte) { return byte == 0; });
}

}  // namespace

DecodedReply DecodeReply(const MessageBuffer& message, DateTime t1, DateTime t4) {
  DecodedReply reply;
  reply.header = DecodeHeader(message);
  reply.reference = NtpTimeToDateTime(message, ntp_field::kReferenceTimestamp);
  reply.t1 = t1;
  reply.t2 = NtpTimeToDateTime(message, ntp_field::kReceiveTimestamp);
  reply.t3 = NtpTimeToDateTime(message, ntp_field::kTransmitTimestamp);
  reply.t4 = t4;
  reply.delay = (reply.t4 - reply.t1) - (reply.t3 - reply.t2);
  reply.offset = ((reply.t2 - reply.t1) + (reply.t3 - reply.t4)) / 2;
  reply.usable = reply.header.leap_indicator != kLeapAlarm &&
                 reply.header.stratum != kStratumUnspecified && !TransmitTimestampIsZero(message);
  return reply;
}

Verdict Judge(const DecodedReply& reply, int tolerance_ms) {
  if (!reply.usable) {
    return Verdict::kRejected;
  }
  // Whole milliseconds, as shown: the instants carry rounding noise far below that.
  if (ToMilliseconds(reply.delay) >= kMaxDelayMs) {
    return Verdict::kTooSlow;
  }
  if (tolerance_ms > std::abs(ToMilliseconds(reply.offset))) {
    return Verdict::kWithinTolerance;
  }
  return Verdict::kCorrect;
}

}  // namespace tempiko::sync
