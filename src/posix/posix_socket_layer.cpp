#include "posix/posix_socket_layer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

namespace tempiko::posix {

namespace {

// Windows Sockets numbers without a named constant in the port.
constexpr int kWsaEIntr = 10004;
constexpr int kWsaEAcces = 10013;
constexpr int kWsaEFault = 10014;
constexpr int kWsaEInval = 10022;
constexpr int kWsaEMFile = 10024;
constexpr int kWsaENotSock = 10038;
constexpr int kWsaEMsgSize = 10040;
constexpr int kWsaEProtoNoSupport = 10043;
constexpr int kWsaEOpNotSupp = 10045;
constexpr int kWsaEAfNoSupport = 10047;
constexpr int kWsaEAddrNotAvail = 10049;
constexpr int kWsaENetDown = 10050;
constexpr int kWsaENetUnreach = 10051;
constexpr int kWsaEConnReset = 10054;
constexpr int kWsaENoBufs = 10055;
constexpr int kWsaEConnRefused = 10061;
constexpr int kWsaEHostUnreach = 10065;
constexpr int kWsaNotInitialised = 10093;

sockaddr_in MakeSocketAddress(net::Ipv4Address address, std::uint16_t port) {
  sockaddr_in record{};
  record.sin_family = AF_INET;
  record.sin_port = htons(port);
  record.sin_addr.s_addr = address;
  return record;
}

}  // namespace

int ToWsaError(int posix_error) {
  switch (posix_error) {
    case 0:
      return 0;
    case EWOULDBLOCK:
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
      return net::kWsaEWouldBlock;
    case EADDRINUSE:
      return net::kWsaEAddrInUse;
    case EADDRNOTAVAIL:
      return kWsaEAddrNotAvail;
    case EINTR:
      return kWsaEIntr;
    case EACCES:
    case EPERM:
      return kWsaEAcces;
    case EFAULT:
      return kWsaEFault;
    case EMFILE:
    case ENFILE:
      return kWsaEMFile;
    case EBADF:
    case ENOTSOCK:
      return kWsaENotSock;
    case EMSGSIZE:
      return kWsaEMsgSize;
    case EPROTONOSUPPORT:
      return kWsaEProtoNoSupport;
    case EOPNOTSUPP:
      return kWsaEOpNotSupp;
    case EAFNOSUPPORT:
      return kWsaEAfNoSupport;
    case ENETDOWN:
      return kWsaENetDown;
    case ENETUNREACH:
      return kWsaENetUnreach;
    case ECONNRESET:
      return kWsaEConnReset;
    case ENOBUFS:
    case ENOMEM:
      return kWsaENoBufs;
    case ECONNREFUSED:
      return kWsaEConnRefused;
    case EHOSTUNREACH:
      return kWsaEHostUnreach;
    default:
      return kWsaEInval;
  }
}

Resolver SystemResolver() {
  return [](const std::string& host) -> std::optional<net::Ipv4Address> {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
      return std::nullopt;
    }
    sockaddr_in first{};
    std::memcpy(&first, found->ai_addr, sizeof first);
    freeaddrinfo(found);
    return first.sin_addr.s_addr;
  };
}

// What a lookup thread shares with its layer. The layer may be destroyed while a lookup runs;
// it then clears `loop` and `events`, and a finished lookup delivers nothing.
struct PosixSocketLayer::LookupChannel {
  std::mutex mutex;
  PosixEventLoop* loop = nullptr;
  net::SocketEvents* events = nullptr;
  std::uint64_t latest = 0;

  // On the lookup's thread: hand the result to the loop, unless the layer is gone.
  static void Post(const std::shared_ptr<LookupChannel>& channel, std::uint64_t lookup,
                   std::optional<net::Ipv4Address> address) {
    std::lock_guard lock(channel->mutex);
    if (channel->loop != nullptr) {
      channel->loop->Post([channel, lookup, address] { Deliver(*channel, lookup, address); });
    }
  }

  // On the loop's thread, where the layer is destroyed too, so `events` cannot go meanwhile.
  static void Deliver(LookupChannel& channel, std::uint64_t lookup,
                      std::optional<net::Ipv4Address> address) {
    net::SocketEvents* events = nullptr;
    {
      std::lock_guard lock(channel.mutex);
      if (lookup != channel.latest) {
        return;  // superseded by a newer lookup
      }
      events = channel.events;
    }
    if (events != nullptr) {
      events->OnLookupFinished(address.has_value(), address.value_or(0));
    }
  }
};

PosixSocketLayer::PosixSocketLayer(PosixEventLoop& loop, net::SocketEvents& events,
                                   net::ArrivalClock arrival_clock, Resolver resolver)
    : loop_(loop),
      events_(events),
      arrival_clock_(std::move(arrival_clock)),
      resolver_(std::move(resolver)),
      lookups_(std::make_shared<LookupChannel>()) {
  lookups_->loop = &loop_;
  lookups_->events = &events_;
}

PosixSocketLayer::~PosixSocketLayer() {
  {
    std::lock_guard lock(lookups_->mutex);
    lookups_->loop = nullptr;
    lookups_->events = nullptr;
  }
  CloseAll();
}

int PosixSocketLayer::FailWith(int wsa_error) {
  last_error_ = wsa_error;
  return -1;
}

int PosixSocketLayer::FailWithErrno() {
  return FailWith(ToWsaError(errno));
}

int PosixSocketLayer::OwnDescriptor(net::SocketHandle socket) {
  std::lock_guard lock(sockets_mutex_);
  if (socket > static_cast<net::SocketHandle>(INT_MAX) ||
      sockets_.count(static_cast<int>(socket)) == 0) {
    return FailWith(kWsaENotSock);
  }
  return static_cast<int>(socket);
}

int PosixSocketLayer::Startup() {
  ++startups_;
  return 0;
}

void PosixSocketLayer::Cleanup() {
  if (startups_ == 0) {
    FailWith(kWsaNotInitialised);
    return;
  }
  // As with Windows Sockets, ending the last use of the library releases its sockets.
  if (--startups_ == 0) {
    CloseAll();
  }
}

void PosixSocketLayer::CloseAll() {
  std::set<int> open;
  {
    std::lock_guard lock(sockets_mutex_);
    open.swap(sockets_);
  }
  for (int fd : open) {
    loop_.Unwatch(fd);
    close(fd);
  }
}

net::SocketHandle PosixSocketLayer::OpenDatagramSocket() {
  if (startups_ == 0) {
    FailWith(kWsaNotInitialised);
    return net::kInvalidSocket;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    FailWithErrno();
    return net::kInvalidSocket;
  }
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  std::lock_guard lock(sockets_mutex_);
  sockets_.insert(fd);
  return static_cast<net::SocketHandle>(fd);
}

void PosixSocketLayer::SetDontLinger(net::SocketHandle socket) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return;
  }
  // Windows' SO_DONTLINGER is SO_LINGER switched off.
  const linger off{0, 0};
  if (setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off) != 0) {
    FailWithErrno();
  }
}

int PosixSocketLayer::Bind(net::SocketHandle socket, net::Ipv4Address address, std::uint16_t port) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return last_error_;
  }
  const sockaddr_in record = MakeSocketAddress(address, port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&record), sizeof record) != 0) {
    FailWithErrno();
    return last_error_;
  }
  return 0;
}

void PosixSocketLayer::SelectRead(net::SocketHandle socket) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
    FailWithErrno();
    return;
  }
  // Level-triggered: the loop notifies again after each receive while data remains.
  loop_.WatchReadable(fd, [this] { events_.OnReadable(); });
}

void PosixSocketLayer::Close(net::SocketHandle socket) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return;
  }
  {
    std::lock_guard lock(sockets_mutex_);
    sockets_.erase(fd);
  }
  loop_.Unwatch(fd);
  close(fd);
}

net::Ipv4Address PosixSocketLayer::ParseAddress(const char* text) {
  return inet_addr(text);
}

void PosixSocketLayer::StartLookup(const char* host) {
  std::uint64_t lookup = 0;
  {
    std::lock_guard lock(lookups_->mutex);
    lookup = ++lookups_->latest;
  }
  auto run = [channel = lookups_, resolver = resolver_, name = std::string(host), lookup] {
    std::optional<net::Ipv4Address> address;
    try {
      address = resolver(name);
    } catch (...) {
      // A resolver that throws has simply not found the host.
    }
    LookupChannel::Post(channel, lookup, address);
  };
  try {
    // Not joined: a slow name server must not hold up the layer's destruction.
    std::thread(run).detach();
  } catch (const std::system_error&) {
    LookupChannel::Post(lookups_, lookup, std::nullopt);
  }
}

bool PosixSocketLayer::ProcessEventsUntil(const std::function<bool()>& finished,
                                          std::chrono::milliseconds limit) {
  return loop_.RunUntil(finished, limit);
}

int PosixSocketLayer::SendTo(net::SocketHandle socket, const std::uint8_t* data, int length,
                             net::Ipv4Address address, std::uint16_t port) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return -1;
  }
  if (length < 0) {
    return FailWith(kWsaEInval);
  }
  const sockaddr_in record = MakeSocketAddress(address, port);
  const ssize_t sent = sendto(fd, data, static_cast<std::size_t>(length), 0,
                              reinterpret_cast<const sockaddr*>(&record), sizeof record);
  return sent < 0 ? FailWithErrno() : static_cast<int>(sent);
}

int PosixSocketLayer::ReceiveFrom(net::SocketHandle socket, std::uint8_t* area, int capacity,
                                  net::DatagramOrigin* origin) {
  const int fd = OwnDescriptor(socket);
  if (fd < 0) {
    return -1;
  }
  sockaddr_in sender{};
  iovec vector{area, static_cast<std::size_t>(capacity < 0 ? 0 : capacity)};
  msghdr message{};
  message.msg_name = &sender;
  message.msg_namelen = sizeof sender;
  message.msg_iov = &vector;
  message.msg_iovlen = 1;
  const ssize_t received = recvmsg(fd, &message, 0);
  if (received < 0) {
    return FailWithErrno();
  }
  origin->arrival = arrival_clock_();  // first, before anything else takes time
  origin->address = sender.sin_addr.s_addr;
  origin->port = ntohs(sender.sin_port);
  // Windows Sockets takes a datagram too large for the area from the socket and fails the
  // receive with WSAEMSGSIZE; the kernel has dropped the excess, so do the same.
  if (message.msg_flags & MSG_TRUNC) {
    return FailWith(kWsaEMsgSize);
  }
  return static_cast<int>(received);
}

int PosixSocketLayer::LastError() {
  return last_error_;
}

net::SocketLayerFactory MakeSocketLayerFactory(PosixEventLoop& loop, Resolver resolver) {
  return [&loop, resolver = std::move(resolver)](
             net::SocketEvents& events,
             const net::ArrivalClock& arrival_clock) -> std::unique_ptr<net::SocketLayer> {
    return std::make_unique<PosixSocketLayer>(loop, events, arrival_clock, resolver);
  };
}

}  // namespace tempiko::posix
