#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/ipv4_address.h"
#include "net/udp_endpoint.h"
#include "sync/ntp_message.h"
#include "sync/relay_queue.h"

namespace tempiko::sync {

// The relay time server's queue: the LAN clients that asked this computer for the time on port
// 123 and wait for the server's answer. The program never answers from its own clock: the
// first reply of the run the requests start goes, unchanged but for each client's own
// Originate Timestamp, to every client waiting, from port 123 to the port it asked from.
//
// The queue lives on the window thread; only HasWaitingClients may be asked from the worker.
class RelayClients final : public RelayQueue {
 public:
  // A flood of requests from made-up senders waits in memory no further than this.
  static constexpr std::size_t kMaxWaiting = 256;

  // `endpoint` is the relay's port (local port 123); `forwarded` runs once per forward, after
  // the sends, to log it.
  RelayClients(net::UdpEndpoint& endpoint, std::function<void()> forwarded);

  // Takes a datagram that reached port 123: queues its sender when it is an NTP client's
  // request (at least 48 bytes, version 4, client mode; the leap bits describe the client's own
  // clock and are not judged) from anyone but this computer (`own_address`; none when
  // unknown). Answers whether the client now waits.
  bool Accept(const net::ReceivedDatagram& request, std::optional<net::Ipv4Address> own_address);

  // RelayQueue
  bool HasWaitingClients() override;
  // A send refused for one client (an address nobody can be sent to) skips that client only.
  void Forward(const MessageBuffer& reply) override;
  void Clear() override;

  std::size_t WaitingCount() const { return waiting_.load(); }

 private:
  struct Client {
    net::Ipv4Address address;
    std::uint16_t port;
    std::array<std::uint8_t, 8> transmit;  // the request's Transmit Timestamp
  };

  void SendTo(const Client& client, const MessageBuffer& reply);
  void Publish() { waiting_.store(clients_.size()); }

  net::UdpEndpoint& endpoint_;
  std::function<void()> forwarded_;
  std::vector<Client> clients_;
  // The size of clients_, for the dial decision on the worker.
  std::atomic<std::size_t> waiting_{0};
};

}  // namespace tempiko::sync
