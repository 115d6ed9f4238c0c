#include "sync/text_forms.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "sync/date_format.h"

namespace tempiko::sync {
namespace {

// The milliseconds of the value as ".zzz" (snprintf rather than string concatenation, which
// trips a false -Wrestrict of GCC 12 at -O3).
std::string MillisecondText(int millisecond) {
  char text[8];
  std::snprintf(text, sizeof text, ".%03d", millisecond);
  return text;
}

}  // namespace

std::string DateTimeText(DateTime value, const Locale& locale) {
  return FormatDateTime("c", value, locale);
}

std::string MillisecondSuffix(DateTime value) {
  return MillisecondText(SplitDateTime(value).millisecond);
}

std::string InstantText(DateTime value, const Locale& locale) {
  return DateTimeText(value, locale) + MillisecondSuffix(value);
}

std::string DurationText(DateTime duration) {
  // A duration is shown by its magnitude; the time of day of a negative value would otherwise
  // read as its complement to a full day.
  const CalendarFields fields = SplitDateTime(std::fabs(duration));
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", fields.hour, fields.minute, fields.second,
                fields.millisecond);
  return text;
}

std::string SignedDurationText(DateTime duration, char sign) {
  std::string text(1, sign);
  text += DurationText(duration);
  return text;
}

}  // namespace tempiko::sync
