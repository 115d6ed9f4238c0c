#pragma once

#include <string>

#include "sync/date_time.h"
#include "sync/locale.h"

namespace tempiko::sync {

// The text forms in which instants and durations are shown. Milliseconds always come from the
// same rounding as SplitDateTime.

// The regional short date, a blank and the regional long time; the date alone when hour,
// minute and second are all zero.
std::string DateTimeText(DateTime value, const Locale& locale);

// ".zzz": a full stop and the milliseconds as three digits.
std::string MillisecondSuffix(DateTime value);

// An instant as the program shows it: DateTimeText immediately followed by MillisecondSuffix.
std::string InstantText(DateTime value, const Locale& locale);

// "hh:mm:ss.zzz" of the time-of-day part of the duration's magnitude; whole days are dropped.
// The separators are always ":" and ".", whatever the locale.
std::string DurationText(DateTime duration);

// The duration text preceded by a literal sign, '+' or '-'.
std::string SignedDurationText(DateTime duration, char sign);

}  // namespace tempiko::sync
