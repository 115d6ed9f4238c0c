#pragma once

#include "net/host_resolver.h"

namespace tempiko::win32 {

// inet_addr and the blocking gethostbyname of Windows Sockets, for the synchronisation worker.
class Win32HostResolver final : public net::HostResolver {
 public:
  Win32HostResolver();
  ~Win32HostResolver() override;
  Win32HostResolver(const Win32HostResolver&) = delete;
  Win32HostResolver& operator=(const Win32HostResolver&) = delete;

  net::Ipv4Address ParseAddress(const std::string& text) override;
  std::optional<net::Ipv4Address> LookupHost(const std::string& name) override;

 private:
  bool started_ = false;
};

}  // namespace tempiko::win32
