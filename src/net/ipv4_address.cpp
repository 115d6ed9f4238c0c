#include "net/ipv4_address.h"

#include <array>
#include <charconv>
#include <cstring>

namespace tempiko::net {

std::string FormatAddress(Ipv4Address address) {
  // Network byte order: the bytes stand in memory in the order they are written.
  std::array<std::uint8_t, 4> bytes;
  std::memcpy(bytes.data(), &address, bytes.size());
  // At most 15 characters: the text stays within the string's own small buffer, so the relay's
  // answer to each of hundreds of waiting clients costs no allocation for its address.
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0)
      text += '.';
    std::array<char, 3> digits;
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), bytes[i]);
    text.append(digits.data(), written.ptr);
  }
  return text;
}

}  // namespace tempiko::net
