// The dotted text of an address, as inet_ntoa writes it: each byte in decimal without leading
// zeros, in the order the bytes lie in memory.

#include "net/ipv4_address.h"

#include <gtest/gtest.h>

#include "fakes/fake_socket_layer.h"

namespace tempiko::net {
namespace {

using fakes::MakeAddress;

TEST(FormatAddressTest, WritesEachByteInDecimal) {
  const struct {
    Ipv4Address address;
    const char* text;
  } cases[] = {
      {MakeAddress(0, 0, 0, 0), "0.0.0.0"},
      {MakeAddress(127, 0, 0, 1), "127.0.0.1"},
      {MakeAddress(192, 168, 1, 20), "192.168.1.20"},
      {MakeAddress(10, 9, 99, 100), "10.9.99.100"},
      {kAddressNone, "255.255.255.255"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatAddress(c.address), c.text);
  }
}

}  // namespace
}  // namespace tempiko::net
