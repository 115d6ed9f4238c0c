#pragma once

// What the fuzz targets share: a reader that takes a fuzz input apart front to back, the check
// that turns a broken property into a crash libFuzzer keeps, and the text checks the targets
// apply to everything the program would show.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

namespace tempiko::fuzz {

// A property of the program does not hold: a fault, which libFuzzer reports with the input.
inline void Require(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
  }
}

// Takes a fuzz input apart: fixed-width numbers, most significant byte first, then byte runs.
// Past the end every number reads as zero and every run as empty, so any input is a valid one
// and a short corpus file means what it says for the fields it has.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

  template <typename T>
  T Take() {
    static_assert(std::is_integral_v<T>);
    using Bits = std::make_unsigned_t<T>;
    Bits bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      bits = static_cast<Bits>(bits << 4 << 4);  // two steps: a one-byte type shifts by 8 too
      if (!rest_.empty()) {
        bits = static_cast<Bits>(bits | rest_.front());
        rest_ = rest_.subspan(1);
      }
    }
    return static_cast<T>(bits);
  }

  // Eight bytes as the bit pattern of a double: NaNs and infinities included.
  double TakeDouble() {
    const std::uint64_t bits = Take<std::uint64_t>();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // The next `count` bytes, fewer at the end of the input.
  std::span<const std::uint8_t> TakeBytes(std::size_t count) {
    const std::span<const std::uint8_t> taken = rest_.first(std::min(count, rest_.size()));
    rest_ = rest_.subspan(taken.size());
    return taken;
  }

  // The bytes up to the next zero byte (which is skipped), or up to the end.
  std::string_view TakeText() {
    const auto* begin = reinterpret_cast<const char*>(rest_.data());
    const auto zero = std::find(rest_.begin(), rest_.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(zero - rest_.begin());
    rest_ = rest_.subspan(std::min(length + 1, rest_.size()));
    return {begin, length};
  }

  std::span<const std::uint8_t> Rest() {
    const std::span<const std::uint8_t> rest = rest_;
    rest_ = {};
    return rest;
  }

  bool empty() const { return rest_.empty(); }

 private:
  std::span<const std::uint8_t> rest_;
};

// Whether the text is well-formed UTF-8: no stray or missing continuation byte, no overlong
// form, no surrogate, nothing beyond U+10FFFF.
inline bool IsUtf8(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the range of the first continuation byte
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (text.size() - at < length) {
      return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
      const auto byte = static_cast<unsigned char>(text[at + i]);
      const bool in_range = i == 1 ? (byte >= low && byte <= high) : (byte >= 0x80 && byte <= 0xBF);
      if (!in_range) {
        return false;
      }
    }
    at += length;
  }
  return true;
}

// One line of the log or one label: well-formed UTF-8 without control characters, so that
// bytes from outside can neither break a line nor garble what follows.
inline bool IsOneLineOfText(std::string_view text) {
  return IsUtf8(text) && std::none_of(text.begin(), text.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte < 0x20 || byte == 0x7F;
         });
}

}  // namespace tempiko::fuzz
