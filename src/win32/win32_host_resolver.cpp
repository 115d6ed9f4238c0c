#include "win32/win32_host_resolver.h"

#include <winsock2.h>

#include <cstring>

namespace tempiko::win32 {

Win32HostResolver::Win32HostResolver() {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

Win32HostResolver::~Win32HostResolver() {
  if (started_)
    WSACleanup();
}

net::Ipv4Address Win32HostResolver::ParseAddress(const std::string& text) {
  return inet_addr(text.c_str());
}

std::optional<net::Ipv4Address> Win32HostResolver::LookupHost(const std::string& name) {
  // Each thread has its own host entry, so the worker may use it until its next call.
  const hostent* entry = gethostbyname(name.c_str());
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0]) {
    return std::nullopt;
  }
  net::Ipv4Address address;
  std::memcpy(&address, entry->h_addr_list[0], sizeof(address));
  return address;
}

}  // namespace tempiko::win32
