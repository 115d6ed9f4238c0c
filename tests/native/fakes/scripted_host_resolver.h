#pragma once

// A host resolver whose names the test scripts: inet_addr for plain dotted quads, and a table
// of names for the lookup. Every lookup is recorded.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_socket_layer.h"
#include "net/host_resolver.h"

namespace tempiko::fakes {

class ScriptedHostResolver final : public net::HostResolver {
 public:
  // Names the lookup finds; any other name is not found.
  std::map<std::string, net::Ipv4Address> hosts;
  std::vector<std::string> lookups;

  // inet_addr for dotted quads (see ParseDottedQuad). Like inet_addr, it answers INADDR_NONE
  // for "255.255.255.255", which then goes to the lookup.
  net::Ipv4Address ParseAddress(const std::string& text) override {
    return ParseDottedQuad(text.c_str());
  }

  std::optional<net::Ipv4Address> LookupHost(const std::string& name) override {
    lookups.push_back(name);
    const auto found = hosts.find(name);
    if (found == hosts.end()) {
      return std::nullopt;
    }
    return found->second;
  }
};

}  // namespace tempiko::fakes
