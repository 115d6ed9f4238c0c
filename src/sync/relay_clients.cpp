#include "sync/relay_clients.h"

#include <algorithm>
#include <utility>

#include "base/errors.h"

namespace tempiko::sync {
namespace {

// The version and mode bits of a request's first byte: version 4, client mode.
constexpr std::uint8_t kVersionModeMask = 0x3F;

bool IsClientRequest(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kNtpMessageSize &&
         (bytes[ntp_field::kLeapVersionMode] & kVersionModeMask) == kRequestFirstByte;
}

}  // namespace

RelayClients::RelayClients(net::UdpEndpoint& endpoint, std::function<void()> forwarded)
    : endpoint_(endpoint), forwarded_(std::move(forwarded)) {}

bool RelayClients::Accept(const net::ReceivedDatagram& request,
                          std::optional<net::Ipv4Address> own_address) {
  // Only the first 48 bytes are read; a longer request is taken as its first 48.
  if (!IsClientRequest(request.bytes)) {
    return false;
  }
  // The broadcast address is no sender: an answer to it would be a lookup of the text, not a
  // send.
  if (request.from == net::kAddressNone || request.from == own_address) {
    return false;
  }
  if (clients_.size() >= kMaxWaiting) {
    return false;
  }
  Client client{.address = request.from, .port = request.port, .transmit = {}};
  std::copy_n(request.bytes.begin() + ntp_field::kTransmitTimestamp, client.transmit.size(),
              client.transmit.begin());
  clients_.push_back(client);
  Publish();
  return true;
}

bool RelayClients::HasWaitingClients() {
  return waiting_.load() > 0;
}

void RelayClients::Forward(const MessageBuffer& reply) {
  // The queue is emptied before the first send: whatever a send runs meanwhile finds it empty
  // and cannot pull it from under this loop.
  const std::vector<Client> clients = std::exchange(clients_, {});
  Publish();
  for (const Client& client : clients) {
    SendTo(client, reply);
  }
  if (forwarded_) {
    forwarded_();
  }
}

void RelayClients::SendTo(const Client& client, const MessageBuffer& reply) {
  // Each copy answers the client's own request: a client takes a reply only when its
  // Originate Timestamp is the Transmit Timestamp the client sent.
  MessageBuffer copy = reply;
  std::copy(client.transmit.begin(), client.transmit.end(),
            copy.begin() + ntp_field::kOriginateTimestamp);
  endpoint_.RemoteHost = net::FormatAddress(client.address);
  endpoint_.RemotePort = client.port;
  try {
    endpoint_.SendDatagram(copy, static_cast<std::int32_t>(kNtpMessageSize));
  } catch (const Exception&) {
    // An address nobody can be sent to ("Null Remote Address" for 0.0.0.0): that client alone
    // goes without.
  }
}

void RelayClients::Clear() {
  clients_.clear();
  Publish();
}

}  // namespace tempiko::sync
