#include "sync/date_pattern.h"

namespace tempiko::sync {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view upper_prefix) {
  if (text.size() - at < upper_prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < upper_prefix.size(); ++i) {
    if (ToUpperAscii(text[at + i]) != upper_prefix[i]) {
      return false;
    }
  }
  return true;
}

// Adds literal text of the piece's kind, joining it to a piece of the same kind before it.
void AppendLiteral(std::vector<PatternToken>& tokens, PatternPiece piece, std::string_view text) {
  if (tokens.empty() || tokens.back().piece != piece) {
    tokens.push_back({piece, 1, {}});
  }
  tokens.back().text.append(text);
}

// The pieces that start with "a": the AM/PM forms and the day names "aaa"/"aaaa". Returns the
// number of characters taken. A lone "a" is literal text, which a reader matches in the case
// written (unlike the other letters that mean nothing).
std::size_t TokenizeA(std::string_view pattern, std::size_t at, std::vector<PatternToken>& tokens) {
  if (StartsWithNoCase(pattern, at, "AM/PM")) {
    tokens.push_back({PatternPiece::kAmPmLetters, 1, std::string(pattern.substr(at, 5))});
    return 5;
  }
  if (StartsWithNoCase(pattern, at, "A/P")) {
    tokens.push_back({PatternPiece::kAmPmLetters, 1, std::string(pattern.substr(at, 3))});
    return 3;
  }
  if (StartsWithNoCase(pattern, at, "AMPM")) {
    tokens.push_back({PatternPiece::kAmPmMarker, 1, {}});
    return 4;
  }
  if (StartsWithNoCase(pattern, at, "AAAA")) {
    tokens.push_back({PatternPiece::kDay, 4, {}});
    return 4;
  }
  if (StartsWithNoCase(pattern, at, "AAA")) {
    tokens.push_back({PatternPiece::kDay, 3, {}});
    return 3;
  }
  AppendLiteral(tokens, PatternPiece::kText, pattern.substr(at, 1));
  return 1;
}

// The element a run of one letter (upper case) stands for; kLetters for a letter that means
// nothing. "m" means minutes when the letter run before it was an hour.
PatternPiece LetterPiece(char letter, char previous_letter) {
  switch (letter) {
    case 'Y':
      return PatternPiece::kYear;
    case 'M':
      return previous_letter == 'H' ? PatternPiece::kMinute : PatternPiece::kMonth;
    case 'N':
      return PatternPiece::kMinute;
    case 'D':
      return PatternPiece::kDay;
    case 'E':
      return PatternPiece::kEraYear;
    case 'G':
      return PatternPiece::kEraName;
    case 'H':
      return PatternPiece::kHour;
    case 'S':
      return PatternPiece::kSecond;
    case 'Z':
      return PatternPiece::kMillisecond;
    case 'T':
      return PatternPiece::kTime;
    case 'C':
      return PatternPiece::kDateTime;
    default:
      return PatternPiece::kLetters;
  }
}

// A quoted literal opening at `at`; returns the index just past its closing quote.
std::size_t TokenizeQuoted(std::string_view pattern, std::size_t at,
                           std::vector<PatternToken>& tokens) {
  std::size_t close = pattern.find(pattern[at], at + 1);
  if (close == std::string_view::npos) {
    close = pattern.size();  // an unclosed quote runs to the end of the pattern
  }
  AppendLiteral(tokens, PatternPiece::kText, pattern.substr(at + 1, close - at - 1));
  return close + 1;
}

}  // namespace

std::vector<PatternToken> TokenizePattern(std::string_view pattern) {
  std::vector<PatternToken> tokens;
  // The last letter run, upper case: only letters decide whether "m" means minutes, so quotes,
  // separators and other characters between an hour and an "m" do not matter.
  char previous_letter = 0;
  std::size_t at = 0;
  while (at < pattern.size()) {
    const char c = pattern[at];
    if (c == '"' || c == '\'') {
      at = TokenizeQuoted(pattern, at, tokens);
    } else if (c == '/') {
      tokens.push_back({PatternPiece::kDateSeparator, 1, {}});
      ++at;
    } else if (c == ':') {
      tokens.push_back({PatternPiece::kTimeSeparator, 1, {}});
      ++at;
    } else if (IsBlank(c)) {
      AppendLiteral(tokens, PatternPiece::kBlanks, pattern.substr(at, 1));
      ++at;
    } else if (!IsAsciiLetter(c)) {
      AppendLiteral(tokens, PatternPiece::kText, pattern.substr(at, 1));
      ++at;
    } else if (ToUpperAscii(c) == 'A') {
      at += TokenizeA(pattern, at, tokens);
      previous_letter = 'A';
    } else {
      const char letter = ToUpperAscii(c);
      std::size_t end = at + 1;
      while (end < pattern.size() && ToUpperAscii(pattern[end]) == letter) {
        ++end;
      }
      const PatternPiece piece = LetterPiece(letter, previous_letter);
      const std::string_view run = pattern.substr(at, end - at);
      if (piece == PatternPiece::kLetters) {
        AppendLiteral(tokens, piece, run);
      } else {
        tokens.push_back({piece, static_cast<int>(run.size()), {}});
      }
      previous_letter = letter;
      at = end;
    }
  }
  return tokens;
}

bool ShowsMilliseconds(const std::vector<PatternToken>& tokens) {
  for (const PatternToken& token : tokens) {
    if (token.piece == PatternPiece::kMillisecond) {
      return true;
    }
  }
  return false;
}

bool UsesTwelveHourClock(const std::vector<PatternToken>& tokens) {
  for (const PatternToken& token : tokens) {
    if (token.piece == PatternPiece::kAmPmMarker || token.piece == PatternPiece::kAmPmLetters) {
      return true;
    }
  }
  return false;
}

}  // namespace tempiko::sync
