#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tempiko::sync {

// What one piece of a date-time pattern stands for. The formatter writes these pieces and the
// reader of stored dates reads them back, so both cut a pattern the same way. Letters are
// matched without regard to case; a run of one letter is one piece, its length the width.
enum class PatternPiece {
  kText,     // literal text: quoted, a lone "a", or other characters that are no element
             // (UTF-8 bytes included); a reader matches it exactly
  kLetters,  // a run of a letter that means nothing, standing for itself as written; a reader
             // matches it in either case
  kBlanks,   // unquoted blanks or tabs; a reader takes any run of blanks for them
  kYear,     // width 1-2: two digits; 3+: four digits
  kMonth,    // width 1-2: number; 3: short name; 4+: long name
  kMinute,   // "n", or "m" right after an hour element
  kDay,      // width 1-2: number; 3-4: short / long day name ("aaa" / "aaaa" too);
             // 5: regional short date; 6+: regional long date
  kEraYear,
  kEraName,
  kHour,
  kSecond,
  kMillisecond,
  kTime,           // width 1: regional short time; 2+: regional long time
  kDateTime,       // "c": regional short date, then the long time unless at exact midnight
  kAmPmMarker,     // "ampm": the regional morning/afternoon marker
  kAmPmLetters,    // "am/pm" or "a/p", kept in `text` as written
  kDateSeparator,  // "/"
  kTimeSeparator,  // ":"
};

struct PatternToken {
  PatternPiece piece = PatternPiece::kText;
  int width = 1;
  std::string text;  // the literal kinds and the AM/PM letters

  friend bool operator==(const PatternToken&, const PatternToken&) = default;
};

// Cuts a pattern into its pieces, left to right. Adjacent literal text is joined into one
// piece. A quote opens literal text up to the same quote, or to the end when unclosed.
std::vector<PatternToken> TokenizePattern(std::string_view pattern);

// Whether the hours are on the 12-hour clock: an AM/PM element occurs anywhere in the pattern.
bool UsesTwelveHourClock(const std::vector<PatternToken>& tokens);
// Whether the pattern shows anything finer than a second: otherwise its text stays the same
// all through each second.
bool ShowsMilliseconds(const std::vector<PatternToken>& tokens);

}  // namespace tempiko::sync
