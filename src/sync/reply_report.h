#pragma once

#include <string>
#include <vector>

#include "sync/exchange.h"
#include "sync/locale.h"

namespace tempiko::sync {

// The report of a server's reply as the log shows it: every header field and timestamp, one
// line each, the label immediately followed by its value. The Reference Identifier line is
// there for a stratum-1 server only; the originate line shows our own send instant T1, since
// our request carries no transmit timestamp for the server to echo.
std::vector<std::string> ReplyReportLines(const DecodedReply& reply, const Locale& locale);

}  // namespace tempiko::sync
