#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tempiko {

// The first byte of a double-byte character of code page 932 (Shift-JIS). Its trail byte may
// be any byte from 0x40 on, ASCII letters and ']' among them.
constexpr bool IsShiftJisLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr char FoldAsciiCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether two names are one name to the settings file: section and key names (server names
// among them) compare without regard to ASCII case, in the file's Shift-JIS bytes. Both bytes
// of a double-byte character compare exactly, so that two different kanji whose trail bytes
// differ only as 'A' and 'a' never match.
constexpr bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsShiftJisLeadByte(a[i])) {
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
        return false;
      ++i;
    } else if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) {
      return false;
    }
  }
  return true;
}

// The name with its single-byte letters in upper case and its double-byte characters as they
// are: two names are one name to the file exactly when these forms are equal, so that a long
// list can be told apart by a set instead of by comparing every pair.
inline std::string FoldNameCase(std::string_view name) {
  std::string folded(name);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (IsShiftJisLeadByte(folded[i]))
      ++i;  // the trail byte stays as it is
    else
      folded[i] = FoldAsciiCase(folded[i]);
  }
  return folded;
}

}  // namespace tempiko
