#pragma once

// A scriptable socket layer for the UDP endpoint's tests. The test owns a FakeSockets object,
// hands its Factory() to the endpoint, scripts failures and lookups, queues incoming datagrams
// and reads back every call the endpoint made, in order, as short texts such as "bind 1
// 0.0.0.0:8263". Time is virtual: ProcessEventsUntil advances `now` instead of waiting.

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/ipv4_address.h"
#include "net/socket_layer.h"

namespace tempiko::fakes {

// Builds an address in network byte order from its four dotted parts.
inline net::Ipv4Address MakeAddress(int a, int b, int c, int d) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                  static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
  net::Ipv4Address address = 0;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

// inet_addr for dotted quads: each part decimal, octal with a leading 0 ("010" is 8) or
// hexadecimal with 0x, at most 255. Anything else, and "255.255.255.255" itself, is
// kAddressNone. (The shorter forms inet_addr also knows, such as "127.1", are left out.)
inline net::Ipv4Address ParseDottedQuad(const char* text) {
  int parts[4];
  const char* next = text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && *next++ != '.') {
      return net::kAddressNone;
    }
    // strtoul alone would also take a sign or leading blanks.
    if (!std::isdigit(static_cast<unsigned char>(*next))) {
      return net::kAddressNone;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(next, &end, 0);  // base from the prefix
    if (end == next || value > 255) {
      return net::kAddressNone;
    }
    parts[i] = static_cast<int>(value);
    next = end;
  }
  if (*next != '\0') {
    return net::kAddressNone;
  }
  const net::Ipv4Address address = MakeAddress(parts[0], parts[1], parts[2], parts[3]);
  return address;  // "255.255.255.255" gives kAddressNone by itself
}

struct SentDatagram {
  net::SocketHandle socket;
  std::vector<std::uint8_t> bytes;
  net::Ipv4Address address;
  std::uint16_t port;
};

struct IncomingDatagram {
  std::vector<std::uint8_t> bytes;
  net::Ipv4Address from_address = MakeAddress(127, 0, 0, 1);
  std::uint16_t from_port = 123;
  // When it was taken from the socket; unscripted, the layer reads its arrival clock at the
  // receive, as the real layers do.
  std::optional<double> arrival = std::nullopt;
};

// The outcome of one host lookup: it finishes `delay` after it started (never, when empty).
struct LookupScript {
  bool succeeded = false;
  net::Ipv4Address address = 0;
  std::optional<std::chrono::milliseconds> delay = std::chrono::milliseconds(0);
};

class FakeSockets {
 public:
  // --- Script ---
  // Results of the next Startup calls (0 when the queue is empty); a nonzero one is an error.
  std::deque<int> startup_errors;
  // Each entry fails one OpenDatagramSocket call with that error number, even 0 (a failure
  // the library gives no number for); an empty queue opens sockets.
  std::deque<int> socket_errors;
  // The error of every Bind (0: the port is ours).
  int bind_error = 0;
  // The error of every SendTo (0: the bytes are sent).
  int send_error = 0;
  // Outcomes of the next lookups; an unscripted lookup never finishes.
  std::deque<LookupScript> lookups;
  // Datagrams waiting in the socket, oldest first.
  std::deque<IncomingDatagram> incoming;
  // Runs inside the next Startup call, once (to deliver a notification at an awkward moment).
  std::function<void()> during_startup;
  // Runs once when ProcessEventsUntil begins, as another event of the window thread would.
  std::function<void()> during_wait;
  // Runs once inside SendTo, right after the bytes left: a reply that the window thread
  // handles before the endpoint has reported the send.
  std::function<void()> during_send;

  // --- Record ---
  std::vector<std::string> calls;
  bool record_calls = true;  // the fuzz targets read none, and a million inputs pay for them
  std::vector<SentDatagram> sent;
  std::chrono::milliseconds now{0};  // virtual time, advanced only by ProcessEventsUntil

  // --- Wiring ---
  net::SocketLayerFactory Factory();

  // The events of the layer made last (nullptr before the endpoint exists).
  net::SocketEvents* events = nullptr;
  net::SocketHandle selected_socket = net::kInvalidSocket;
  int last_error = 0;
  int open_sockets = 0;
  net::SocketHandle next_socket = 1;

  // One readiness notification, as the layer delivers it while data waits on a selected
  // socket; answers whether one was delivered.
  bool DeliverReadable() {
    if (events == nullptr || selected_socket == net::kInvalidSocket || incoming.empty()) {
      return false;
    }
    events->OnReadable();
    return true;
  }

  // Notifies again after each receive while data remains, as the real layers do. Stops when a
  // notification took nothing, so an endpoint that ignores them cannot loop forever.
  int DeliverAllReadable() {
    int delivered = 0;
    while (!incoming.empty()) {
      const std::size_t before = incoming.size();
      if (!DeliverReadable()) {
        break;
      }
      ++delivered;
      if (incoming.size() == before) {
        break;
      }
    }
    return delivered;
  }

  std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> matching;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(matching),
                 [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    return matching;
  }
};

class FakeSocketLayer final : public net::SocketLayer {
 public:
  FakeSocketLayer(FakeSockets& world, net::SocketEvents& events, net::ArrivalClock arrival_clock)
      : world_(world), arrival_clock_(std::move(arrival_clock)) {
    world_.events = &events;
  }
  ~FakeSocketLayer() override { world_.events = nullptr; }

  int Startup() override {
    Record([] { return std::string("startup"); });
    if (auto hook = std::exchange(world_.during_startup, nullptr)) {
      hook();
    }
    const int error = Pop(world_.startup_errors);
    if (error != 0) {
      world_.last_error = error;
    }
    return error;
  }

  void Cleanup() override { world_.calls.push_back("cleanup"); }

  net::SocketHandle OpenDatagramSocket() override {
    if (!world_.socket_errors.empty()) {
      Record([] { return std::string("socket failed"); });
      world_.last_error = Pop(world_.socket_errors);
      return net::kInvalidSocket;
    }
    const net::SocketHandle socket = world_.next_socket++;
    ++world_.open_sockets;
    Record([&] { return "socket " + Text(socket); });
    return socket;
  }

  void SetDontLinger(net::SocketHandle socket) override {
    Record([&] { return "dontlinger " + Text(socket); });
  }

  int Bind(net::SocketHandle socket, net::Ipv4Address address, std::uint16_t port) override {
    Record([&] {
      return "bind " + Text(socket) + " " + net::FormatAddress(address) + ":" +
             std::to_string(port);
    });
    if (world_.bind_error != 0) {
      world_.last_error = world_.bind_error;
    }
    return world_.bind_error;
  }

  void SelectRead(net::SocketHandle socket) override {
    Record([&] { return "select " + Text(socket); });
    world_.selected_socket = socket;
  }

  void Close(net::SocketHandle socket) override {
    Record([&] { return "close " + Text(socket); });
    --world_.open_sockets;
    if (world_.selected_socket == socket) {
      world_.selected_socket = net::kInvalidSocket;
    }
  }

  net::Ipv4Address ParseAddress(const char* text) override { return ParseDottedQuad(text); }

  // A new lookup supersedes a pending one, as the port requires.
  void StartLookup(const char* host) override {
    Record([&] { return std::string("lookup ") + host; });
    pending_lookup_ =
        world_.lookups.empty() ? LookupScript{false, 0, std::nullopt} : world_.lookups.front();
    if (!world_.lookups.empty()) {
      world_.lookups.pop_front();
    }
    lookup_started_ = world_.now;
  }

  bool ProcessEventsUntil(const std::function<bool()>& finished,
                          std::chrono::milliseconds limit) override {
    const auto deadline = world_.now + limit;
    if (auto hook = std::exchange(world_.during_wait, nullptr)) {
      hook();
    }
    if (finished()) {
      return true;
    }
    if (pending_lookup_ && pending_lookup_->delay &&
        lookup_started_ + *pending_lookup_->delay <= deadline) {
      const LookupScript done = *std::exchange(pending_lookup_, std::nullopt);
      world_.now = std::max(world_.now, lookup_started_ + *done.delay);
      world_.events->OnLookupFinished(done.succeeded, done.succeeded ? done.address : 0);
      if (finished()) {
        return true;
      }
    }
    world_.now = deadline;
    return finished();
  }

  int SendTo(net::SocketHandle socket, const std::uint8_t* data, int length,
             net::Ipv4Address address, std::uint16_t port) override {
    Record([&] {
      return "sendto " + Text(socket) + " " + net::FormatAddress(address) + ":" +
             std::to_string(port);
    });
    if (world_.send_error != 0) {
      world_.last_error = world_.send_error;
      return -1;
    }
    world_.sent.push_back({socket, std::vector<std::uint8_t>(data, data + length), address, port});
    if (auto hook = std::exchange(world_.during_send, nullptr)) {
      hook();
    }
    return length;
  }

  int ReceiveFrom(net::SocketHandle socket, std::uint8_t* area, int capacity,
                  net::DatagramOrigin* origin) override {
    Record([&] { return "recvfrom " + Text(socket); });
    if (world_.incoming.empty()) {
      world_.last_error = net::kWsaEWouldBlock;
      return -1;
    }
    const IncomingDatagram datagram = std::move(world_.incoming.front());
    world_.incoming.pop_front();
    origin->arrival = datagram.arrival ? *datagram.arrival : arrival_clock_();
    origin->address = datagram.from_address;
    origin->port = datagram.from_port;
    if (datagram.bytes.size() > static_cast<std::size_t>(capacity)) {
      world_.last_error = 10040;  // WSAEMSGSIZE: too large, taken and lost
      return -1;
    }
    std::copy(datagram.bytes.begin(), datagram.bytes.end(), area);
    return static_cast<int>(datagram.bytes.size());
  }

  int LastError() override { return world_.last_error; }

 private:
  static int Pop(std::deque<int>& queue) {
    if (queue.empty()) {
      return 0;
    }
    const int value = queue.front();
    queue.pop_front();
    return value;
  }

  static std::string Text(net::SocketHandle socket) {
    return socket == net::kInvalidSocket ? "invalid" : std::to_string(socket);
  }

  // Logs a call; its text is made only while calls are recorded.
  template <typename MakeText>
  void Record(const MakeText& make_text) {
    if (world_.record_calls)
      world_.calls.push_back(make_text());
  }

  FakeSockets& world_;
  net::ArrivalClock arrival_clock_;
  std::optional<LookupScript> pending_lookup_;
  std::chrono::milliseconds lookup_started_{0};
};

inline net::SocketLayerFactory FakeSockets::Factory() {
  return [this](net::SocketEvents& layer_events,
                const net::ArrivalClock& arrival_clock) -> std::unique_ptr<net::SocketLayer> {
    return std::make_unique<FakeSocketLayer>(*this, layer_events, arrival_clock);
  };
}

}  // namespace tempiko::fakes
