#pragma once

#include <optional>
#include <string>

#include "net/ipv4_address.h"

namespace tempiko::net {

// Turning the server text into an address on the synchronisation worker: inet_addr for a
// dotted text and the blocking gethostbyname for a name.
class HostResolver {
 public:
  virtual ~HostResolver() = default;
  // inet_addr: the address, or kAddressNone when the text is not a dotted address.
  virtual Ipv4Address ParseAddress(const std::string& text) = 0;
  // gethostbyname: the host's first IPv4 address, or nothing.
  virtual std::optional<Ipv4Address> LookupHost(const std::string& name) = 0;
};

}  // namespace tempiko::net
