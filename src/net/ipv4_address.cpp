#include "net/ipv4_address.h"

#include <array>
#include <cstring>

namespace tempiko::net {

std::string FormatAddress(Ipv4Address address) {
  // Network byte order: the bytes stand in memory in the order they are written.
  std::array<std::uint8_t, 4> bytes;
  std::memcpy(bytes.data(), &address, bytes.size());
  return std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.' +
         std::to_string(bytes[2]) + '.' + std::to_string(bytes[3]);
}

}  // namespace tempiko::net
