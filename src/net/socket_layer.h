#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "net/ipv4_address.h"

namespace tempiko::net {

// A socket handle as the socket library gives it (SOCKET is pointer-sized on Win64).
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};

// Answers the program's UTC reading as a date-time value (days since 1899-12-30). A layer
// reads it right after each receive, possibly on a thread of its own, so it must be safe to
// call from any thread.
using ArrivalClock = std::function<double()>;

// Where a received datagram came from, and when.
struct DatagramOrigin {
  Ipv4Address address = 0;  // the sender, network byte order
  std::uint16_t port = 0;   // the sender's port, host order
  double arrival = 0;       // the arrival clock's reading right after the datagram left the socket
};

// Socket library error numbers the endpoint cares about (Windows Sockets numbering, which the
// POSIX adapter translates into).
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEAddrInUse = 10048;

// The notifications an endpoint receives from its socket layer. They are delivered on the
// window thread, inside its event loop, never during a call into the layer.
class SocketEvents {
 public:
  // The socket is readable: one receive is expected per notification. After a receive the
  // layer notifies again while data remains.
  virtual void OnReadable() = 0;
  // A host lookup started with StartLookup has finished; on success `address` is the first
  // IPv4 address of the host.
  virtual void OnLookupFinished(bool succeeded, Ipv4Address address) = 0;

 protected:
  ~SocketEvents() = default;
};

// The socket library as one endpoint uses it. Each endpoint has a layer of its own, which owns
// the endpoint's notification channel (on Windows, a hidden window receiving message 1125).
// Calls mirror Windows Sockets 1.1; results are returned, never thrown.
class SocketLayer {
 public:
  virtual ~SocketLayer() = default;

  // WSAStartup(1.1): 0 on success, else the error number (also kept for LastError).
  virtual int Startup() = 0;
  virtual void Cleanup() = 0;

  // A new IPv4 datagram socket, or kInvalidSocket (see LastError).
  virtual SocketHandle OpenDatagramSocket() = 0;
  // Sets "do not linger"; the endpoint ignores the result.
  virtual void SetDontLinger(SocketHandle socket) = 0;
  // Binds to address:port (port in host order); 0 on success, else an error number.
  virtual int Bind(SocketHandle socket, Ipv4Address address, std::uint16_t port) = 0;
  // Asks for read notifications (OnReadable) from now on. Asking again for the same socket
  // changes nothing.
  virtual void SelectRead(SocketHandle socket) = 0;
  virtual void Close(SocketHandle socket) = 0;

  // inet_addr: the dotted address in the text, or kAddressNone.
  virtual Ipv4Address ParseAddress(const char* text) = 0;
  // Starts an asynchronous lookup of the host name; completion arrives as OnLookupFinished.
  // A new lookup supersedes one still pending: only the latest lookup's completion is
  // delivered, so a late answer for an abandoned (timed-out) lookup never passes for it.
  virtual void StartLookup(const char* host) = 0;
  // Runs the window thread's pending events until `finished` answers true or `limit` has
  // passed; answers whether `finished` became true.
  virtual bool ProcessEventsUntil(const std::function<bool()>& finished,
                                  std::chrono::milliseconds limit) = 0;

  // sendto: the byte count sent or -1 (see LastError). Port in host order.
  virtual int SendTo(SocketHandle socket, const std::uint8_t* data, int length, Ipv4Address address,
                     std::uint16_t port) = 0;
  // recvfrom into `area`: the byte count or -1; a datagram larger than `capacity` is taken
  // from the socket and counts as a failed receive. `origin` gets the sender and the instant
  // the datagram was taken from the socket, which may be earlier than this call: a layer may
  // take datagrams on a thread of its own and keep them until the window thread asks.
  virtual int ReceiveFrom(SocketHandle socket, std::uint8_t* area, int capacity,
                          DatagramOrigin* origin) = 0;

  // WSAGetLastError: the number of the last error of this layer.
  virtual int LastError() = 0;

  // From now on only datagrams from address:port (port in host order) matter on this socket: a
  // layer that takes datagrams on a thread of its own may drop the others there, cheaply, so
  // that a flood from elsewhere cannot crowd out the one awaited. The endpoint drops them
  // anyway. Any thread.
  virtual void AcceptOnlyFrom(SocketHandle /*socket*/, Ipv4Address /*address*/,
                              std::uint16_t /*port*/) {}
};

// Makes the layer of one endpoint, wired to deliver its notifications to `events` and to stamp
// each datagram it receives with `arrival_clock`.
using SocketLayerFactory = std::function<std::unique_ptr<SocketLayer>(
    SocketEvents& events, const ArrivalClock& arrival_clock)>;

}  // namespace tempiko::net
