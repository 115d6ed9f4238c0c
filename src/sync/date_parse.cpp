#include "sync/date_parse.h"

#include <array>
#include <string>

#include "sync/date_pattern.h"

namespace tempiko::sync {
namespace {

char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (ToUpperAscii(text[i]) != ToUpperAscii(prefix[i]))
      return false;
  }
  return true;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// What the text gave so far. -1: the element did not occur.
struct Reading {
  int year = -1;
  bool two_digit_year = false;
  int month = -1;
  int day = -1;
  int hour = -1;
  int minute = -1;
  int second = -1;
  int meridiem = 0;  // 0 none, 1 morning, 2 afternoon
};

// Reads a text against one regional format, piece by piece.
class FormatReader {
 public:
  FormatReader(std::string_view text, const Locale& locale, Reading& reading)
      : text_(text), locale_(locale), reading_(reading) {}

  // Matches the whole format at the text's start; false when the text does not follow it.
  bool Read(std::string_view format);
  std::string_view rest() const { return text_; }

 private:
  bool ReadToken(const PatternToken& token);
  bool ReadMonth(int width);
  bool ReadDay(int width);
  bool ReadAmPmLetters(const std::string& written);
  bool ReadNumber(int max_digits, int& value);
  bool ReadLiteral(std::string_view literal);
  bool ReadLettersNoCase(std::string_view letters);
  void SkipBlanks();
  bool ReadMarker();
  template <std::size_t N>
  bool ReadName(const std::array<std::string, N>& names, int* index);

  std::string_view text_;
  const Locale& locale_;
  Reading& reading_;
};

bool FormatReader::Read(std::string_view format) {
  for (const PatternToken& token : TokenizePattern(format)) {
    if (!ReadToken(token))
      return false;
  }
  return true;
}

bool FormatReader::ReadToken(const PatternToken& token) {
  switch (token.piece) {
    case PatternPiece::kText:
      return ReadLiteral(token.text);
    case PatternPiece::kLetters:
      return ReadLettersNoCase(token.text);
    case PatternPiece::kBlanks:
      SkipBlanks();
      return true;
    case PatternPiece::kYear:
      reading_.two_digit_year = token.width <= 2;
      return ReadNumber(token.width <= 2 ? 2 : 4, reading_.year);
    case PatternPiece::kMonth:
      return ReadMonth(token.width);
    case PatternPiece::kMinute:
      return ReadNumber(2, reading_.minute);
    case PatternPiece::kDay:
      return ReadDay(token.width);
    case PatternPiece::kHour:
      return ReadNumber(2, reading_.hour);
    case PatternPiece::kSecond:
      return ReadNumber(2, reading_.second);
    case PatternPiece::kMillisecond: {
      int milliseconds = 0;  // the fraction of a second is not kept
      return ReadNumber(3, milliseconds);
    }
    case PatternPiece::kAmPmMarker:
      return ReadMarker();
    case PatternPiece::kAmPmLetters:
      return ReadAmPmLetters(token.text);
    case PatternPiece::kDateSeparator:
      return ReadLiteral(locale_.date_separator);
    case PatternPiece::kTimeSeparator:
      return ReadLiteral(locale_.time_separator);
    case PatternPiece::kEraYear:
    case PatternPiece::kEraName:
    case PatternPiece::kTime:
    case PatternPiece::kDateTime:
      return false;  // eras and nested regional formats are not read back
  }
  return false;
}

bool FormatReader::ReadMonth(int width) {
  if (width <= 2)
    return ReadNumber(2, reading_.month);
  int index = 0;
  if (!(width == 3 ? ReadName(locale_.short_month_names, &index)
                   : ReadName(locale_.long_month_names, &index)))
    return false;
  reading_.month = index + 1;
  return true;
}

bool FormatReader::ReadDay(int width) {
  if (width == 3)
    return ReadName(locale_.short_day_names, nullptr);
  if (width == 4)
    return ReadName(locale_.long_day_names, nullptr);
  return width <= 2 && ReadNumber(2, reading_.day);  // nested regional dates: not read
}

// "am/pm" reads "AM" or "PM", "a/p" reads "A" or "P", in either case.
bool FormatReader::ReadAmPmLetters(const std::string& written) {
  const bool long_form = written.size() == 5;
  const std::string_view am = long_form ? "AM" : "A";
  const std::string_view pm = long_form ? "PM" : "P";
  if (StartsWithNoCase(text_, am) || StartsWithNoCase(text_, pm)) {
    reading_.meridiem = StartsWithNoCase(text_, am) ? 1 : 2;
    text_.remove_prefix(am.size());
    return true;
  }
  return false;
}

bool FormatReader::ReadNumber(int max_digits, int& value) {
  int digits = 0;
  int number = 0;
  while (digits < max_digits && !text_.empty() && text_.front() >= '0' && text_.front() <= '9') {
    number = number * 10 + (text_.front() - '0');
    text_.remove_prefix(1);
    ++digits;
  }
  if (digits == 0)
    return false;
  value = number;
  return true;
}

bool FormatReader::ReadLiteral(std::string_view literal) {
  if (text_.substr(0, literal.size()) != literal)
    return false;
  text_.remove_prefix(literal.size());
  return true;
}

// Letters that mean nothing stand for themselves, in either case.
bool FormatReader::ReadLettersNoCase(std::string_view letters) {
  if (!StartsWithNoCase(text_, letters))
    return false;
  text_.remove_prefix(letters.size());
  return true;
}

// A blank in a format matches any run of blanks, none included.
void FormatReader::SkipBlanks() {
  while (!text_.empty() && IsBlank(text_.front()))
    text_.remove_prefix(1);
}

bool FormatReader::ReadMarker() {
  const std::string& am = locale_.time_am;
  const std::string& pm = locale_.time_pm;
  // The longer marker first, in case one begins with the other.
  const bool am_first = am.size() >= pm.size();
  for (int pass = 0; pass < 2; ++pass) {
    const bool is_am = (pass == 0) == am_first;
    const std::string& marker = is_am ? am : pm;
    if (!marker.empty() && StartsWithNoCase(text_, marker)) {
      text_.remove_prefix(marker.size());
      reading_.meridiem = is_am ? 1 : 2;
      return true;
    }
  }
  return am.empty() && pm.empty();  // a locale without markers writes nothing there
}

template <std::size_t N>
bool FormatReader::ReadName(const std::array<std::string, N>& names, int* index) {
  std::size_t best = N;
  for (std::size_t i = 0; i < N; ++i) {
    if (!names[i].empty() && StartsWithNoCase(text_, names[i]) &&
        (best == N || names[i].size() > names[best].size()))
      best = i;
  }
  if (best == N)
    return false;
  text_.remove_prefix(names[best].size());
  if (index)
    *index = static_cast<int>(best);
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// The fields read, checked and turned into calendar fields.
std::optional<CalendarFields> Validate(Reading reading) {
  if (reading.year < 0 || reading.month < 0 || reading.day < 0)
    return std::nullopt;  // a regional date without year, month or day is not read back
  int year = reading.year;
  if (reading.two_digit_year && year < 100)
    year += year < 50 ? 2000 : 1900;
  int hour = reading.hour < 0 ? 0 : reading.hour;
  if (reading.meridiem != 0) {
    if (hour > 12)
      return std::nullopt;
    if (hour == 12)
      hour = 0;
    if (reading.meridiem == 2)
      hour += 12;
  }
  const int minute = reading.minute < 0 ? 0 : reading.minute;
  const int second = reading.second < 0 ? 0 : reading.second;
  if (year < 1 || year > 9999 || reading.month < 1 || reading.month > 12 || reading.day < 1 ||
      reading.day > DaysInMonth(year, reading.month) || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return CalendarFields{year, reading.month, reading.day, hour, minute, second, 0};
}

}  // namespace

std::optional<DateTime> ParseDateTimeText(std::string_view text, const Locale& locale) {
  Reading reading;
  FormatReader date(TrimBlanks(text), locale, reading);
  if (!date.Read(locale.short_date_format))
    return std::nullopt;
  std::string_view rest = date.rest();
  if (!rest.empty()) {
    // The time follows the date after at least one blank.
    if (!IsBlank(rest.front()))
      return std::nullopt;
    FormatReader time(TrimBlanks(rest), locale, reading);
    if (!time.Read(locale.long_time_format) || !time.rest().empty())
      return std::nullopt;
  }
  const std::optional<CalendarFields> fields = Validate(reading);
  if (!fields)
    return std::nullopt;
  return EncodeDateTime(*fields);
}

}  // namespace tempiko::sync
