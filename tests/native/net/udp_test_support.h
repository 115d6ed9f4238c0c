#pragma once

// Plain loopback sockets for the tests of the POSIX socket layer and of the endpoint on it.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace tempiko::testing_support {

// A UDP socket bound to `address` on a port the system chose.
class BoundSocket {
 public:
  explicit BoundSocket(in_addr_t address) : fd(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_addr.s_addr = address;
    socklen_t length = sizeof record;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&record), length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&record), &length) != 0) {
      ADD_FAILURE() << "cannot bind a test socket: errno " << errno;
    }
    port = ntohs(record.sin_port);
  }
  ~BoundSocket() { close(fd); }
  BoundSocket(const BoundSocket&) = delete;
  BoundSocket& operator=(const BoundSocket&) = delete;

  void SendTo(std::uint16_t to_port, const std::vector<std::uint8_t>& bytes) const {
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_port = htons(to_port);
    record.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&record),
                     sizeof record),
              static_cast<ssize_t>(bytes.size()));
  }

  // One waiting datagram (the socket is blocking: call only when one is known to wait).
  std::vector<std::uint8_t> Receive(std::uint16_t* from_port = nullptr) const {
    std::vector<std::uint8_t> bytes(4096);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t count =
        recvfrom(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    bytes.resize(count < 0 ? 0 : static_cast<std::size_t>(count));
    if (from_port != nullptr) {
      *from_port = ntohs(sender.sin_port);
    }
    return bytes;
  }

  int fd;
  std::uint16_t port = 0;
};

// A port free on all interfaces at this moment, so parallel test runs do not clash.
inline std::uint16_t FreePort() {
  const BoundSocket probe(htonl(INADDR_ANY));
  return probe.port;
}

}  // namespace tempiko::testing_support
