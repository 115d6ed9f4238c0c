#pragma once

#include <cstdint>
#include <string>

namespace tempiko::net {

// An IPv4 address in network byte order, as in_addr holds it. Addresses are compared as these
// values: the same address can be written in more than one way ("127.000.000.001").
using Ipv4Address = std::uint32_t;
// What inet_addr answers for a text that is not a dotted address (all 32 bits set).
inline constexpr Ipv4Address kAddressNone = 0xFFFFFFFFu;

// inet_ntoa: the address as dotted decimal text, byte by byte as it lies in memory.
std::string FormatAddress(Ipv4Address address);

}  // namespace tempiko::net
