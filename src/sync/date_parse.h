#pragma once

#include <optional>
#include <string_view>

#include "sync/date_time.h"
#include "sync/locale.h"

namespace tempiko::sync {

// Reads back a date-time written by DateTimeText under the same regional settings: the
// regional short date, or the short date, blanks and the regional long time. The two formats
// drive the reading: numbers where they have year, month, day, hour, minute and second
// elements (month and day names where they name them), the regional separators and marker
// texts where they have those, their literal text elsewhere; a blank in a format matches any
// run of blanks. Two-digit years fall in 1950–2049. Nothing else parses: std::nullopt.
std::optional<DateTime> ParseDateTimeText(std::string_view text, const Locale& locale);

}  // namespace tempiko::sync
