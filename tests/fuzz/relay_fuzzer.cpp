// Fuzz target: requests of any length and from any sender reach the relay's port 123, in any
// number, between forwards of a server's reply and the giving up of a run. They go the way the
// program takes them: the relay's UDP endpoint over a scripted socket layer, the queue's
// acceptance, and the forward, whose answers leave through the same endpoint.
//
// The input is a series of steps; each begins with a byte that chooses the step (taken modulo
// the number of steps), its numbers most significant byte first:
//   request  4 sender address as it lies in the packet, 2 port, 2 length, that many bytes
//   burst    2 count (modulo 512), 4 first sender (the next ones count up), 2 port,
//            48 bytes of the request every one of them sends
//   forward  48 bytes: the server's reply, passed to every client waiting
//   clear    the run gave up: nobody waits any more
// The first byte of the input chooses whether this computer's own address is known.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fakes/fake_socket_layer.h"
#include "fuzz_support.h"
#include "net/ipv4_address.h"
#include "net/udp_endpoint.h"
#include "sync/ntp_message.h"
#include "sync/relay_clients.h"

namespace {

using namespace tempiko;
using fuzz::Require;

constexpr std::uint16_t kNtpPort = 123;
constexpr std::uint16_t kMaxBurst = 512;
const net::Ipv4Address kOwnAddress = fakes::MakeAddress(192, 168, 1, 20);

enum class Step : std::uint8_t { kRequest, kBurst, kForward, kClear, kCount };

// A client the queue should hold, as the requests that reached the endpoint describe it.
struct ExpectedClient {
  net::Ipv4Address address;
  std::uint16_t port;
  std::array<std::uint8_t, 8> transmit;
};

// The relay's endpoint and queue, wired as the main window wires them, with the clients every
// request should have queued kept beside them.
class Relay {
 public:
  explicit Relay(bool own_address_known)
      : own_address_(own_address_known ? std::optional(kOwnAddress) : std::nullopt) {
    sockets_.record_calls = false;
    endpoint_.SetLocalPort(kNtpPort);
    endpoint_.OnInvalidHost = [](bool&) { throw EAbort(); };
    endpoint_.OnDataReceived = [this](net::UdpEndpoint&, const net::ReceivedDatagram& request) {
      ++handled_;
      Require(clients_.Accept(request, own_address_) == accept_expected_,
              "a request waits exactly when it is a client's and there is room");
    };
  }

  // The datagram reaches port 123 and goes through the endpoint to the queue.
  void Deliver(std::span<const std::uint8_t> bytes, net::Ipv4Address from, std::uint16_t port) {
    accept_expected_ = Expect(bytes, from, port);
    const int handled_before = handled_;
    sockets_.incoming.push_back({{bytes.begin(), bytes.end()}, from, port});
    sockets_.DeliverAllReadable();
    Require(sockets_.incoming.empty() && handled_ == handled_before + 1,
            "every datagram leaves the socket and is handed on once");
    Require(clients_.WaitingCount() == expected_.size() &&
                clients_.WaitingCount() <= sync::RelayClients::kMaxWaiting,
            "the queue holds what it accepted, never more than its bound");
  }

  void Forward(const sync::MessageBuffer& reply) {
    const std::size_t sent_before = sockets_.sent.size();
    const int forwards_before = forwards_;
    clients_.Forward(reply);
    Require(forwards_ == forwards_before + 1, "every forward is logged once");
    Require(!clients_.HasWaitingClients() && clients_.WaitingCount() == 0,
            "a forward empties the queue");
    CheckAnswers(reply, sent_before);
    expected_.clear();
  }

  void Clear() {
    const std::size_t sent_before = sockets_.sent.size();
    clients_.Clear();
    expected_.clear();
    Require(!clients_.HasWaitingClients() && sockets_.sent.size() == sent_before,
            "giving up sends nothing and empties the queue");
  }

 private:
  // Whether the datagram as it was sent should now wait: a version 4 client's request of at
  // least 48 bytes, as one datagram the endpoint can take whole, from a real sender other
  // than this computer, while there is room. Records the client when it should.
  bool Expect(std::span<const std::uint8_t> bytes, net::Ipv4Address from, std::uint16_t port) {
    const bool client_request = bytes.size() >= sync::kNtpMessageSize &&
                                bytes.size() <= net::UdpEndpoint::kReceiveAreaSize &&
                                (bytes[0] & 0x3F) == 0x23;
    const bool real_sender =
        from != net::kAddressNone && !(own_address_.has_value() && from == kOwnAddress);
    if (!client_request || !real_sender || expected_.size() >= sync::RelayClients::kMaxWaiting)
      return false;
    ExpectedClient client{from, port, {}};
    std::copy_n(bytes.begin() + 40, 8, client.transmit.begin());
    expected_.push_back(client);
    return true;
  }

  // Each client that can be sent to gets the reply's 48 bytes, its own Transmit Timestamp as
  // the Originate Timestamp, at the address and port it asked from, in the order they asked.
  void CheckAnswers(const sync::MessageBuffer& reply, std::size_t sent_before) {
    std::vector<ExpectedClient> reachable;
    std::copy_if(expected_.begin(), expected_.end(), std::back_inserter(reachable),
                 [](const ExpectedClient& c) { return c.address != 0; });
    Require(sockets_.sent.size() - sent_before == reachable.size(),
            "one answer to each client that can be sent to");
    for (std::size_t i = 0; i < reachable.size(); ++i) {
      const fakes::SentDatagram& sent = sockets_.sent[sent_before + i];
      const ExpectedClient& client = reachable[i];
      Require(sent.address == client.address && sent.port == client.port,
              "the answer goes back where the request came from");
      Require(sent.bytes.size() == sync::kNtpMessageSize, "an answer is 48 bytes");
      std::array<std::uint8_t, sync::kNtpMessageSize> expected{};
      std::copy_n(reply.begin(), sync::kNtpMessageSize, expected.begin());
      std::copy(client.transmit.begin(), client.transmit.end(), expected.begin() + 24);
      Require(std::equal(expected.begin(), expected.end(), sent.bytes.begin()),
              "the answer is the server's reply with the client's own originate timestamp");
    }
  }

  std::optional<net::Ipv4Address> own_address_;
  fakes::FakeSockets sockets_;
  net::UdpEndpoint endpoint_{sockets_.Factory(), [] { return 43'831.5; }};
  int forwards_ = 0;
  int handled_ = 0;               // datagrams the endpoint handed on
  bool accept_expected_ = false;  // for the datagram being delivered
  sync::RelayClients clients_{endpoint_, [this] { ++forwards_; }};
  std::vector<ExpectedClient> expected_;
};

// The address a.b.c.d of the number a·2^24 + b·2^16 + c·2^8 + d.
net::Ipv4Address AddressOf(std::uint32_t dotted) {
  return fakes::MakeAddress(static_cast<int>(dotted >> 24), static_cast<int>((dotted >> 16) & 0xFF),
                            static_cast<int>((dotted >> 8) & 0xFF),
                            static_cast<int>(dotted & 0xFF));
}

// Four bytes: the address in the order it is written and lies in the packet.
net::Ipv4Address TakeAddress(fuzz::FuzzInput& input) {
  return AddressOf(input.Take<std::uint32_t>());
}

// Many senders in a row, as a LAN of clients or a flood of made-up senders would.
void Burst(Relay& relay, fuzz::FuzzInput& input) {
  const int count = input.Take<std::uint16_t>() % kMaxBurst;
  const std::uint32_t first = input.Take<std::uint32_t>();
  const std::uint16_t port = input.Take<std::uint16_t>();
  std::array<std::uint8_t, sync::kNtpMessageSize> request{};
  const auto given = input.TakeBytes(request.size());
  std::copy(given.begin(), given.end(), request.begin());
  for (int i = 0; i < count; ++i) {
    relay.Deliver(request, AddressOf(first + static_cast<std::uint32_t>(i)), port);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  Relay relay(/*own_address_known=*/input.Take<std::uint8_t>() % 2 == 0);
  while (!input.empty()) {
    const auto step =
        static_cast<Step>(input.Take<std::uint8_t>() % static_cast<std::uint8_t>(Step::kCount));
    switch (step) {
      case Step::kRequest: {
        const net::Ipv4Address from = TakeAddress(input);
        const std::uint16_t port = input.Take<std::uint16_t>();
        const std::uint16_t length = input.Take<std::uint16_t>();
        relay.Deliver(input.TakeBytes(length), from, port);
        break;
      }
      case Step::kBurst:
        Burst(relay, input);
        break;
      case Step::kForward: {
        sync::MessageBuffer reply{};
        const auto bytes = input.TakeBytes(sync::kNtpMessageSize);
        std::copy(bytes.begin(), bytes.end(), reply.begin());
        relay.Forward(reply);
        break;
      }
      case Step::kClear:
      case Step::kCount:
        relay.Clear();
        break;
    }
  }
  return 0;
}
