#pragma once

#include <cstddef>
#include <string_view>

#include "sync/date_time.h"
#include "sync/locale.h"
#include "sync/ntp_message.h"
#include "ui/controls.h"

namespace tempiko::sync {

// The report of a server's reply in the log: every header field and timestamp, one line each,
// the label immediately followed by its value. It keeps the server's Receive and Transmit
// Timestamps (T2, T3) for the delay and offset arithmetic and decides whether the reply can be
// used at all. Window thread.
class ReplyReport {
 public:
  ReplyReport(const Locale& locale, ui::TMemo& log) : locale_(locale), log_(log) {}

  // Writes the whole report of the reply in `message`; `t1` is our own send instant (UTC),
  // shown as the originate timestamp. Answers whether the reply is accepted: one from an
  // unsynchronised server (leap indicator 3, stratum 0 as in a kiss-o'-death, or no transmit
  // timestamp) is reported in full all the same and rejected.
  bool ShowReplyDetails(const MessageBuffer& message, DateTime t1);

  // Writes the line of the timestamp at `offset` (16, 32 or 40) and keeps the value as T2 (32)
  // or T3 (40).
  void ShowTimestamp(const MessageBuffer& message, std::size_t offset, std::string_view label);

  // The Receive and Transmit Timestamps of the last reported reply, UTC.
  DateTime T2() const { return t2_; }
  DateTime T3() const { return t3_; }

 private:
  void WriteLine(std::string_view label, std::string_view value);

  const Locale& locale_;
  ui::TMemo& log_;
  DateTime t2_ = 0;
  DateTime t3_ = 0;
};

}  // namespace tempiko::sync
