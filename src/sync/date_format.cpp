#include "sync/date_format.h"

#include <cstdint>
#include <vector>

#include "sync/date_pattern.h"

namespace tempiko::sync {
namespace {

// A regional format may not expand another regional format inside it: the formats come from
// the system and could otherwise name each other endlessly.
constexpr int kMaxRegionalNesting = 1;

// The number in decimal with at least `digits` digits (a minus sign in front when negative).
std::string Number(std::int64_t value, int digits) {
  std::string text = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(text.size()) < digits) {
    text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  }
  if (value < 0) {
    text.insert(text.begin(), '-');
  }
  return text;
}

const Locale::Era* EraOf(DateTime value, const Locale& locale) {
  const Locale::Era* current = nullptr;
  for (const Locale::Era& era : locale.eras) {
    if (ToMilliseconds(era.start) <= ToMilliseconds(value)) {
      current = &era;
    }
  }
  return current;
}

// What one rendering needs besides the tokens.
struct Context {
  DateTime value;
  CalendarFields fields;
  const Locale& locale;
};

void Render(const std::vector<PatternToken>& tokens, const Context& context, bool twelve_hour,
            int nesting, std::string& out);

// Expands a regional format in place. The 12-hour clock carries into it from the pattern that
// names it ("AMPM t" shows 午後 1:02), and a regional format with an AM/PM element of its own
// uses it as well.
void RenderRegional(const std::string& format, const Context& context, bool twelve_hour,
                    int nesting, std::string& out) {
  if (nesting >= kMaxRegionalNesting) {
    return;
  }
  const std::vector<PatternToken> tokens = TokenizePattern(format);
  Render(tokens, context, twelve_hour || UsesTwelveHourClock(tokens), nesting + 1, out);
}

int Hour12(int hour) {
  if (hour == 0) {
    return 12;
  }
  return hour > 12 ? hour - 12 : hour;
}

void RenderDay(int width, const Context& context, bool twelve_hour, int nesting, std::string& out) {
  const Locale& locale = context.locale;
  switch (width) {
    case 1:
    case 2:
      out += Number(context.fields.day, width);
      break;
    case 3:
      out += locale.short_day_names[static_cast<std::size_t>(DayOfWeek(context.value))];
      break;
    case 4:
      out += locale.long_day_names[static_cast<std::size_t>(DayOfWeek(context.value))];
      break;
    case 5:
      RenderRegional(locale.short_date_format, context, twelve_hour, nesting, out);
      break;
    default:
      RenderRegional(locale.long_date_format, context, twelve_hour, nesting, out);
      break;
  }
}

void RenderMonth(int width, const Context& context, std::string& out) {
  const auto index = static_cast<std::size_t>(context.fields.month - 1);
  if (width <= 2) {
    out += Number(context.fields.month, width);
  } else if (width == 3) {
    out += context.locale.short_month_names[index];
  } else {
    out += context.locale.long_month_names[index];
  }
}

void RenderEra(const PatternToken& token, const Context& context, std::string& out) {
  const Locale::Era* era = EraOf(context.value, context.locale);
  if (token.piece == PatternPiece::kEraName) {
    if (era != nullptr) {
      out += token.width == 1 ? era->short_name : era->long_name;
    }
    return;
  }
  const int offset = era != nullptr ? era->year_offset : 0;
  out += Number(context.fields.year - offset, token.width == 1 ? 1 : 2);
}

// "am/pm" and "a/p" show the half of the written text that fits the hour, in its case.
std::string AmPmLetters(const std::string& written, int hour) {
  if (written.size() == 5) {
    return hour < 12 ? written.substr(0, 2) : written.substr(3, 2);
  }
  return hour < 12 ? written.substr(0, 1) : written.substr(2, 1);
}

void RenderToken(const PatternToken& token, const Context& context, bool twelve_hour, int nesting,
                 std::string& out) {
  const CalendarFields& fields = context.fields;
  const Locale& locale = context.locale;
  switch (token.piece) {
    case PatternPiece::kText:
    case PatternPiece::kLetters:
    case PatternPiece::kBlanks:
      out += token.text;
      break;
    case PatternPiece::kYear:
      out +=
          token.width <= 2 ? Number(((fields.year % 100) + 100) % 100, 2) : Number(fields.year, 4);
      break;
    case PatternPiece::kMonth:
      RenderMonth(token.width, context, out);
      break;
    case PatternPiece::kMinute:
      out += Number(fields.minute, token.width > 1 ? 2 : 1);
      break;
    case PatternPiece::kDay:
      RenderDay(token.width, context, twelve_hour, nesting, out);
      break;
    case PatternPiece::kEraYear:
    case PatternPiece::kEraName:
      RenderEra(token, context, out);
      break;
    case PatternPiece::kHour:
      out += Number(twelve_hour ? Hour12(fields.hour) : fields.hour, token.width > 1 ? 2 : 1);
      break;
    case PatternPiece::kSecond:
      out += Number(fields.second, token.width > 1 ? 2 : 1);
      break;
    case PatternPiece::kMillisecond:
      out += Number(fields.millisecond, token.width > 3 ? 3 : token.width);
      break;
    case PatternPiece::kTime:
      RenderRegional(token.width == 1 ? locale.short_time_format : locale.long_time_format, context,
                     twelve_hour, nesting, out);
      break;
    case PatternPiece::kDateTime:
      RenderRegional(locale.short_date_format, context, twelve_hour, nesting, out);
      if (fields.hour != 0 || fields.minute != 0 || fields.second != 0) {
        out += ' ';
        RenderRegional(locale.long_time_format, context, twelve_hour, nesting, out);
      }
      break;
    case PatternPiece::kAmPmMarker:
      out += fields.hour < 12 ? locale.time_am : locale.time_pm;
      break;
    case PatternPiece::kAmPmLetters:
      out += AmPmLetters(token.text, fields.hour);
      break;
    case PatternPiece::kDateSeparator:
      out += locale.date_separator;
      break;
    case PatternPiece::kTimeSeparator:
      out += locale.time_separator;
      break;
  }
}

void Render(const std::vector<PatternToken>& tokens, const Context& context, bool twelve_hour,
            int nesting, std::string& out) {
  for (const PatternToken& token : tokens) {
    RenderToken(token, context, twelve_hour, nesting, out);
  }
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& locale) {
  const std::vector<PatternToken> tokens =
      TokenizePattern(pattern.empty() ? std::string_view("c") : pattern);
  // One split serves every element, so the milliseconds and the calendar fields always come
  // from the same rounding.
  const Context context{value, SplitDateTime(value), locale};
  std::string out;
  Render(tokens, context, UsesTwelveHourClock(tokens), 0, out);
  return out;
}

}  // namespace tempiko::sync
