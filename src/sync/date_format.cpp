#include "sync/date_format.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tempiko::sync {
namespace {

// A pattern is first cut into elements, then rendered: the 12-hour clock depends on whether an
// AM/PM element occurs anywhere in it, which is only known after the whole pattern was read.
enum class Kind {
  kLiteral,
  kYear,
  kMonth,
  kMinute,
  kDay,  // count 1-2 the day, 3-4 a day name, 5 regional short date, 6+ regional long date
  kEraYear,
  kEraName,
  kHour,
  kSecond,
  kMillisecond,
  kTime,      // count 1 regional short time, 2+ regional long time
  kDateTime,  // "c"
  kAmPmMarker,
  kAmPmLetters,  // text holds "am/pm" or "a/p" as written
  kDateSeparator,
  kTimeSeparator,
};

struct Element {
  Kind kind = Kind::kLiteral;
  int count = 1;
  std::string text;
};

// A regional format may not expand another regional format inside it: the formats come from
// the system and could otherwise name each other endlessly.
constexpr int kMaxRegionalNesting = 1;

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (ToUpperAscii(text[at + i]) != prefix[i]) {
      return false;
    }
  }
  return true;
}

void AppendLiteral(std::vector<Element>& elements, std::string_view text) {
  if (elements.empty() || elements.back().kind != Kind::kLiteral) {
    elements.push_back({Kind::kLiteral, 1, {}});
  }
  elements.back().text.append(text);
}

// The elements that start with "a": AM/PM forms and the day names "aaa"/"aaaa". Returns the
// number of characters taken; a lone "a" is a literal.
std::size_t ParseA(std::string_view pattern, std::size_t at, std::vector<Element>& elements) {
  if (StartsWithNoCase(pattern, at, "AM/PM")) {
    elements.push_back({Kind::kAmPmLetters, 1, std::string(pattern.substr(at, 5))});
    return 5;
  }
  if (StartsWithNoCase(pattern, at, "A/P")) {
    elements.push_back({Kind::kAmPmLetters, 1, std::string(pattern.substr(at, 3))});
    return 3;
  }
  if (StartsWithNoCase(pattern, at, "AMPM")) {
    elements.push_back({Kind::kAmPmMarker, 1, {}});
    return 4;
  }
  if (StartsWithNoCase(pattern, at, "AAAA")) {
    elements.push_back({Kind::kDay, 4, {}});
    return 4;
  }
  if (StartsWithNoCase(pattern, at, "AAA")) {
    elements.push_back({Kind::kDay, 3, {}});
    return 3;
  }
  AppendLiteral(elements, pattern.substr(at, 1));
  return 1;
}

// The element of a run of one letter (any case), or a literal for a letter that means nothing.
// "m" means minutes when the letter element before it was an hour.
Element LetterElement(char letter, int count, char previous_letter) {
  switch (letter) {
    case 'Y':
      return {Kind::kYear, count, {}};
    case 'M':
      return {previous_letter == 'H' ? Kind::kMinute : Kind::kMonth, count, {}};
    case 'N':
      return {Kind::kMinute, count, {}};
    case 'D':
      return {Kind::kDay, count, {}};
    case 'E':
      return {Kind::kEraYear, count, {}};
    case 'G':
      return {Kind::kEraName, count, {}};
    case 'H':
      return {Kind::kHour, count, {}};
    case 'S':
      return {Kind::kSecond, count, {}};
    case 'Z':
      return {Kind::kMillisecond, count, {}};
    case 'T':
      return {Kind::kTime, count, {}};
    case 'C':
      return {Kind::kDateTime, count, {}};
    default:
      return {Kind::kLiteral, count, {}};
  }
}

std::vector<Element> Parse(std::string_view pattern) {
  std::vector<Element> elements;
  char previous_letter = 0;  // the last letter element, upper case; "m" after an hour is 'N'
  std::size_t at = 0;
  while (at < pattern.size()) {
    const char c = pattern[at];
    if (c == '"' || c == '\'') {
      std::size_t close = pattern.find(c, at + 1);
      if (close == std::string_view::npos) {
        close = pattern.size();  // an unclosed quote runs to the end of the pattern
      }
      AppendLiteral(elements, pattern.substr(at + 1, close - at - 1));
      at = close + 1;
    } else if (c == '/') {
      elements.push_back({Kind::kDateSeparator, 1, {}});
      ++at;
    } else if (c == ':') {
      elements.push_back({Kind::kTimeSeparator, 1, {}});
      ++at;
    } else if (!IsAsciiLetter(c)) {
      AppendLiteral(elements, pattern.substr(at, 1));  // also every byte of a UTF-8 character
      ++at;
    } else if (ToUpperAscii(c) == 'A') {
      at += ParseA(pattern, at, elements);
      previous_letter = 'A';
    } else {
      const char letter = ToUpperAscii(c);
      std::size_t end = at + 1;
      while (end < pattern.size() && ToUpperAscii(pattern[end]) == letter) {
        ++end;
      }
      Element element = LetterElement(letter, static_cast<int>(end - at), previous_letter);
      if (element.kind == Kind::kLiteral) {
        element.text = std::string(pattern.substr(at, end - at));
        AppendLiteral(elements, element.text);
      } else {
        elements.push_back(std::move(element));
      }
      previous_letter = (letter == 'M' && previous_letter == 'H') ? 'N' : letter;
      at = end;
    }
  }
  return elements;
}

bool HasAmPmElement(const std::vector<Element>& elements) {
  for (const Element& element : elements) {
    if (element.kind == Kind::kAmPmMarker || element.kind == Kind::kAmPmLetters) {
      return true;
    }
  }
  return false;
}

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

// What one rendering needs besides the elements.
struct Context {
  DateTime value;
  CalendarFields fields;
  const Locale& locale;
};

void Render(const std::vector<Element>& elements, const Context& context, bool twelve_hour,
            int nesting, std::string& out);

// Expands a regional format in place. The 12-hour clock carries into it from the pattern that
// names it ("AMPM t" shows 午後 1:02), and a regional format with an AM/PM element of its own
// uses it as well.
void RenderRegional(const std::string& format, const Context& context, bool twelve_hour,
                    int nesting, std::string& out) {
  if (nesting >= kMaxRegionalNesting) {
    return;
  }
  const std::vector<Element> elements = Parse(format);
  Render(elements, context, twelve_hour || HasAmPmElement(elements), nesting + 1, out);
}

int Hour12(int hour) {
  if (hour == 0) {
    return 12;
  }
  return hour > 12 ? hour - 12 : hour;
}

void RenderDay(int count, const Context& context, bool twelve_hour, int nesting, std::string& out) {
  const Locale& locale = context.locale;
  switch (count) {
    case 1:
    case 2:
      out += Number(context.fields.day, count);
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

void RenderMonth(int count, const Context& context, std::string& out) {
  const auto index = static_cast<std::size_t>(context.fields.month - 1);
  if (count <= 2) {
    out += Number(context.fields.month, count);
  } else if (count == 3) {
    out += context.locale.short_month_names[index];
  } else {
    out += context.locale.long_month_names[index];
  }
}

void RenderEra(const Element& element, const Context& context, std::string& out) {
  const Locale::Era* era = EraOf(context.value, context.locale);
  if (element.kind == Kind::kEraName) {
    if (era != nullptr) {
      out += element.count == 1 ? era->short_name : era->long_name;
    }
    return;
  }
  const int offset = era != nullptr ? era->year_offset : 0;
  out += Number(context.fields.year - offset, element.count == 1 ? 1 : 2);
}

// "am/pm" and "a/p" show the half of the written text that fits the hour, in its case.
std::string AmPmLetters(const std::string& written, int hour) {
  if (written.size() == 5) {
    return hour < 12 ? written.substr(0, 2) : written.substr(3, 2);
  }
  return hour < 12 ? written.substr(0, 1) : written.substr(2, 1);
}

void RenderElement(const Element& element, const Context& context, bool twelve_hour, int nesting,
                   std::string& out) {
  const CalendarFields& fields = context.fields;
  const Locale& locale = context.locale;
  switch (element.kind) {
    case Kind::kLiteral:
      out += element.text;
      break;
    case Kind::kYear:
      out += element.count <= 2 ? Number(((fields.year % 100) + 100) % 100, 2)
                                : Number(fields.year, 4);
      break;
    case Kind::kMonth:
      RenderMonth(element.count, context, out);
      break;
    case Kind::kMinute:
      out += Number(fields.minute, element.count > 1 ? 2 : 1);
      break;
    case Kind::kDay:
      RenderDay(element.count, context, twelve_hour, nesting, out);
      break;
    case Kind::kEraYear:
    case Kind::kEraName:
      RenderEra(element, context, out);
      break;
    case Kind::kHour:
      out += Number(twelve_hour ? Hour12(fields.hour) : fields.hour, element.count > 1 ? 2 : 1);
      break;
    case Kind::kSecond:
      out += Number(fields.second, element.count > 1 ? 2 : 1);
      break;
    case Kind::kMillisecond:
      out += Number(fields.millisecond, element.count > 3 ? 3 : element.count);
      break;
    case Kind::kTime:
      RenderRegional(element.count == 1 ? locale.short_time_format : locale.long_time_format,
                     context, twelve_hour, nesting, out);
      break;
    case Kind::kDateTime:
      RenderRegional(locale.short_date_format, context, twelve_hour, nesting, out);
      if (fields.hour != 0 || fields.minute != 0 || fields.second != 0) {
        out += ' ';
        RenderRegional(locale.long_time_format, context, twelve_hour, nesting, out);
      }
      break;
    case Kind::kAmPmMarker:
      out += fields.hour < 12 ? locale.time_am : locale.time_pm;
      break;
    case Kind::kAmPmLetters:
      out += AmPmLetters(element.text, fields.hour);
      break;
    case Kind::kDateSeparator:
      out += locale.date_separator;
      break;
    case Kind::kTimeSeparator:
      out += locale.time_separator;
      break;
  }
}

void Render(const std::vector<Element>& elements, const Context& context, bool twelve_hour,
            int nesting, std::string& out) {
  for (const Element& element : elements) {
    RenderElement(element, context, twelve_hour, nesting, out);
  }
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, DateTime value, const Locale& locale) {
  const std::vector<Element> elements = Parse(pattern.empty() ? std::string_view("c") : pattern);
  // One split serves every element, so the milliseconds and the calendar fields always come
  // from the same rounding.
  const Context context{value, SplitDateTime(value), locale};
  std::string out;
  Render(elements, context, HasAmPmElement(elements), 0, out);
  return out;
}

}  // namespace tempiko::sync
