#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "net/socket_layer.h"
#include "posix/posix_event_loop.h"

namespace tempiko::posix {

// Answers the first IPv4 address (network byte order) of a host name, or nothing. It runs on a
// thread of its own, so it must be safe to call from any thread.
using Resolver = std::function<std::optional<net::Ipv4Address>(const std::string& host)>;

// getaddrinfo, IPv4 only.
Resolver SystemResolver();

// Translates an errno value into the Windows Sockets number the endpoint expects. Errors with
// a Windows Sockets counterpart map to it (EADDRINUSE → 10048, EWOULDBLOCK/EAGAIN → 10035,
// EACCES → 10013, EMSGSIZE → 10040, EBADF/ENOTSOCK → 10038, ...); anything else becomes
// WSAEINVAL (10022). Never WSASYSCALLFAILURE (10107): it would pass the endpoint's bitwise
// tolerance test for 10035 and be ignored.
int ToWsaError(int posix_error);

// The socket library of one endpoint on BSD sockets. Notifications reach `events` through
// `loop`, which must outlive the layer; each datagram is stamped with `arrival_clock` right
// after its receive; the layer must be made, used and destroyed on the loop's
// thread, except SendTo and LastError, which may also be called from another thread.
//
// Like Windows Sockets, the layer answers only for handles it opened itself (others get
// WSAENOTSOCK), fails calls before Startup (WSANOTINITIALISED) and closes its remaining sockets
// when the last Startup is matched by Cleanup. No SO_REUSEADDR: a port in use fails to bind.
class PosixSocketLayer final : public net::SocketLayer {
 public:
  PosixSocketLayer(PosixEventLoop& loop, net::SocketEvents& events, net::ArrivalClock arrival_clock,
                   Resolver resolver = SystemResolver());
  ~PosixSocketLayer() override;
  PosixSocketLayer(const PosixSocketLayer&) = delete;
  PosixSocketLayer& operator=(const PosixSocketLayer&) = delete;

  int Startup() override;
  void Cleanup() override;
  net::SocketHandle OpenDatagramSocket() override;
  void SetDontLinger(net::SocketHandle socket) override;
  int Bind(net::SocketHandle socket, net::Ipv4Address address, std::uint16_t port) override;
  void SelectRead(net::SocketHandle socket) override;
  void Close(net::SocketHandle socket) override;
  net::Ipv4Address ParseAddress(const char* text) override;
  void StartLookup(const char* host) override;
  bool ProcessEventsUntil(const std::function<bool()>& finished,
                          std::chrono::milliseconds limit) override;
  int SendTo(net::SocketHandle socket, const std::uint8_t* data, int length,
             net::Ipv4Address address, std::uint16_t port) override;
  int ReceiveFrom(net::SocketHandle socket, std::uint8_t* area, int capacity,
                  net::DatagramOrigin* origin) override;
  int LastError() override;

 private:
  struct LookupChannel;

  // The descriptor of a socket this layer opened and still holds, or -1 (and WSAENOTSOCK).
  int OwnDescriptor(net::SocketHandle socket);
  int FailWith(int wsa_error);
  int FailWithErrno();
  void CloseAll();

  PosixEventLoop& loop_;
  net::SocketEvents& events_;
  net::ArrivalClock arrival_clock_;
  Resolver resolver_;
  std::shared_ptr<LookupChannel> lookups_;

  std::mutex sockets_mutex_;
  std::set<int> sockets_;
  int startups_ = 0;
  std::atomic<int> last_error_{0};
};

// Makes a PosixSocketLayer on `loop` for each endpoint, stamping with the endpoint's clock.
net::SocketLayerFactory MakeSocketLayerFactory(PosixEventLoop& loop,
                                               Resolver resolver = SystemResolver());

}  // namespace tempiko::posix
