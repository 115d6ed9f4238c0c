#pragma once

#include <cstdint>

#include "sync/date_time.h"
#include "sync/ntp_message.h"

namespace tempiko::sync {

// A server's reply as one exchange measured it: the header, the server's timestamps and our
// own two instants, with the round-trip delay and the clock's offset they give. All instants
// are UTC date-time values; delay and offset are in days.
struct DecodedReply {
  NtpHeader header;
  DateTime reference = 0;  // the server's Reference Timestamp
  DateTime t1 = 0;         // our request left
  DateTime t2 = 0;         // the server received it (Receive Timestamp)
  DateTime t3 = 0;         // the server answered (Transmit Timestamp)
  DateTime t4 = 0;         // the reply was taken from our socket
  // The round trip without the time the server held the request: (T4 − T1) − (T3 − T2).
  DateTime delay = 0;
  // How far our clock is behind the server's: ((T2 − T1) + (T3 − T4)) / 2; negative when ahead.
  DateTime offset = 0;
  // False for a reply of an unsynchronised server: leap indicator 3, stratum 0 (as in a
  // kiss-o'-death), or no transmit timestamp. Such a reply is reported but never used.
  bool usable = false;
};

// Decodes the 48-byte reply in `message`, given our send instant `t1` and its arrival `t4`.
DecodedReply DecodeReply(const MessageBuffer& message, DateTime t1, DateTime t4);

// What a usable reply does to the clock.
enum class Verdict {
  kRejected,         // not usable at all: the run waits on, and ends by its timeout
  kTooSlow,          // a delay of 2 s or more: the reply is too stale to set the clock with
  kWithinTolerance,  // the offset is smaller than the user's tolerance: nothing to correct
  kCorrect,          // set the clock by the offset
};

// A reply that took this long or longer is too stale to set the clock with.
inline constexpr std::int64_t kMaxDelayMs = 2000;

// Judges the reply against the tolerance in milliseconds. The bounds are judged in whole
// milliseconds, as the log shows delay and offset: an offset exactly equal to the tolerance
// is corrected, and a tolerance of 0 corrects every usable reply.
Verdict Judge(const DecodedReply& reply, int tolerance_ms);

}  // namespace tempiko::sync
