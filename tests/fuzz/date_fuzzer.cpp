// Fuzz target: a date-time pattern of any bytes with any instant through the formatter (the
// clock label's display pattern, which the settings file and the pattern dialog hand over
// unchecked), and any text through the reader of LastTime, under the regional settings of
// several countries or under regional formats of any bytes.
//
// Properties, each a fault when broken:
// - the formatter turns well-formed UTF-8 into well-formed UTF-8;
// - what the reader accepts is a whole second of the years 1 to 9999, and the reader reads
//   what the writer makes of it back as the same value;
// - LastTime round trip: what the program writes for an instant its clock can show, the
//   reader reads back to the same second.
//
// Input: 8 bytes (the instant, as the bits of a double; where that lies outside the round
// trip's years, the bits count 100-ns ticks into them), 1 byte choosing the regional settings (past
// the real ones: formats from the input), then zero-ended texts: the display pattern, the text for
// the reader, and for formats from the input the short date, long time, date separator, time
// separator, morning and afternoon markers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "fakes/regional_formats.h"
#include "fuzz_support.h"
#include "sync/date_format.h"
#include "sync/date_parse.h"
#include "sync/date_pattern.h"
#include "sync/text_forms.h"

namespace {

using namespace tempiko;
using fuzz::IsUtf8;
using fuzz::Require;

constexpr double kTicksPerDay = 864'000'000'000.0;  // 100-ns ticks, the Windows clock's unit

struct Regional {
  sync::Locale locale;
  bool real = true;  // a country's settings, not formats of any bytes
};

Regional ReadRegional(fuzz::FuzzInput& input, std::uint8_t choice) {
  constexpr std::size_t kReal = std::size(fakes::kRegionalFormats);
  if (choice % (kReal + 1) < kReal)
    return {fakes::MakeLocale(fakes::kRegionalFormats[choice % (kReal + 1)]), true};
  sync::Locale locale = fakes::EnglishNames(sync::Locale::Japanese());
  locale.short_date_format = input.TakeText();
  locale.long_time_format = input.TakeText();
  locale.date_separator = input.TakeText();
  locale.time_separator = input.TakeText();
  locale.time_am = input.TakeText();
  locale.time_pm = input.TakeText();
  return {locale, false};
}

bool AllTextsAreUtf8(const sync::Locale& l) {
  return IsUtf8(l.short_date_format) && IsUtf8(l.long_date_format) && IsUtf8(l.short_time_format) &&
         IsUtf8(l.long_time_format) && IsUtf8(l.date_separator) && IsUtf8(l.time_separator) &&
         IsUtf8(l.time_am) && IsUtf8(l.time_pm);
}

// The years whose instants the locale's LastTime text keeps: a two-digit year reads back into
// 1950-2049 only; four digits hold the years of a Windows clock up to 9999.
struct Years {
  sync::DateTime first;
  sync::DateTime last;

  // The instant itself when it lies within the years, else the instant its bits count in
  // 100-ns ticks into them (modulo their span).
  sync::DateTime Within(double instant, std::uint64_t bits) const {
    if (instant >= first && instant <= last)
      return instant;
    const auto span = static_cast<std::uint64_t>((last - first) * kTicksPerDay);
    return first + static_cast<double>(bits % span) / kTicksPerDay;
  }
};

Years RoundTripYears(const sync::Locale& locale) {
  const auto tokens = sync::TokenizePattern(locale.short_date_format);
  const bool two_digit = std::any_of(tokens.begin(), tokens.end(), [](const auto& token) {
    return token.piece == sync::PatternPiece::kYear && token.width <= 2;
  });
  const int first = two_digit ? 1950 : 1601;
  const int last = two_digit ? 2049 : 9999;
  return {sync::EncodeDateTime({.year = first, .month = 1, .day = 1}),
          sync::EncodeDateTime(
              {.year = last, .month = 12, .day = 31, .hour = 23, .minute = 59, .second = 59})};
}

// The clock label: any pattern with any instant, and with an instant of the clock's years.
void CheckFormatter(std::string_view pattern, sync::DateTime any, sync::DateTime clock_reading,
                    const Regional& regional) {
  const std::string text = sync::FormatDateTime(pattern, any, regional.locale);
  const std::string shown = sync::FormatDateTime(pattern, clock_reading, regional.locale);
  if (IsUtf8(pattern) && AllTextsAreUtf8(regional.locale)) {
    Require(IsUtf8(text) && IsUtf8(shown), "a UTF-8 pattern formats into UTF-8");
  }
}

// LastTime as the settings file holds it: any text the user may have typed there.
void CheckReader(std::string_view text, const Regional& regional) {
  const std::optional<sync::DateTime> read = sync::ParseDateTimeText(text, regional.locale);
  if (!read)
    return;
  const sync::CalendarFields fields = sync::SplitDateTime(*read);
  Require(fields.millisecond == 0 && fields.year >= 1 && fields.year <= 9999,
          "the reader gives a whole second of the years 1 to 9999");
  if (regional.real) {
    const std::string written = sync::DateTimeText(*read, regional.locale);
    Require(sync::ParseDateTimeText(written, regional.locale) == read,
            "what the reader gave is written so that it reads back the same");
  }
}

// What the close writes for LastTime reads back at the next start to the same second.
void CheckLastTimeRoundTrip(sync::DateTime value, const Regional& regional) {
  sync::CalendarFields second = sync::SplitDateTime(value);
  second.millisecond = 0;
  const std::string written = sync::DateTimeText(value, regional.locale);
  Require(sync::ParseDateTimeText(written, regional.locale) == sync::EncodeDateTime(second),
          "LastTime reads back to the same second");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  const std::uint64_t instant_bits = input.Take<std::uint64_t>();
  const auto choice = input.Take<std::uint8_t>();
  const std::string_view pattern = input.TakeText();
  const std::string_view stored_text = input.TakeText();
  const Regional regional = ReadRegional(input, choice);

  double any = 0;
  std::memcpy(&any, &instant_bits, sizeof any);
  const sync::DateTime clock_reading = RoundTripYears(regional.locale).Within(any, instant_bits);
  CheckFormatter(pattern, any, clock_reading, regional);
  CheckReader(stored_text, regional);
  if (regional.real)
    CheckLastTimeRoundTrip(clock_reading, regional);
  return 0;
}
