#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/errors.h"
#include "net/socket_layer.h"

namespace tempiko::net {

// The socket library refused something; the text is "Unknown Error No. " and the number,
// "Host Lookup Canceled" or "Null Remote Address".
class UdpSocketError : public Exception {
 public:
  using Exception::Exception;
};

// One datagram as the endpoint took it from its socket.
struct ReceivedDatagram {
  std::int32_t number_bytes = -1;       // -1: the receive failed
  std::span<const std::uint8_t> bytes;  // the datagram (empty after a failed receive)
  Ipv4Address from = 0;                 // the sender, network byte order
  std::uint16_t port = 0;               // the sender's port
  double arrival = 0;                   // when it left the socket: date-time value, UTC
};

// The program's UDP endpoint: one IPv4 datagram socket bound to LocalPort on all interfaces. It
// sends single datagrams to RemoteHost:RemotePort and hands every arriving datagram, with the
// instant it was taken from the socket, to OnDataReceived on the window thread.
class UdpEndpoint final : private SocketEvents {
 public:
  static constexpr int kReceiveAreaSize = 2048;
  static constexpr std::size_t kMaxHostLength = 130;
  static constexpr auto kLookupLimit = std::chrono::seconds(10);

  // The datagram's bytes are the endpoint's receive area: valid until the handler returns.
  using ReceiveHandler = std::function<void(UdpEndpoint& sender, const ReceivedDatagram& datagram)>;
  using SendHandler = std::function<void(UdpEndpoint& sender)>;
  using StatusHandler = std::function<void(UdpEndpoint& sender, const std::string& status)>;
  using InvalidHostHandler = std::function<void(bool& handled)>;
  using BufferInvalidHandler =
      std::function<void(bool& handled, std::vector<std::uint8_t>& buff, std::int32_t& length)>;

  // Starts the socket library and creates the socket (not yet bound); throws UdpSocketError.
  // Each datagram's arrival instant is read from `arrival_clock` as soon as it has left the
  // socket, before any handler runs.
  UdpEndpoint(const SocketLayerFactory& make_layer, const ArrivalClock& arrival_clock);
  ~UdpEndpoint();
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  // Destination of the next send: a dotted IPv4 address or a host name.
  std::string RemoteHost;
  // Destination port of the next send; only its low 16 bits are used.
  std::int32_t RemotePort = 0;
  // A status text of level L reaches OnStatus only when L <= ReportLevel.
  std::int32_t ReportLevel = 1;

  ReceiveHandler OnDataReceived;
  SendHandler OnDataSend;
  StatusHandler OnStatus;
  InvalidHostHandler OnInvalidHost;
  BufferInvalidHandler OnBufferInvalid;

  std::int32_t LocalPort() const { return local_port_; }
  // Replaces the socket with a new one bound to the port and listening; throws UdpSocketError.
  void SetLocalPort(std::int32_t port);

  // Binds to 0.0.0.0:LocalPort and asks for read notifications. A port already in use leaves
  // the endpoint deaf; Bound() tells.
  void StartListening();
  // Whether the latest bind took LocalPort: false when another socket holds the port.
  bool Bound() const { return bound_; }

  // Sends the first `length` bytes of `buff` to RemoteHost:RemotePort. A length of 0 gets one
  // repair chance through OnBufferInvalid; a length beyond the buffer, or a host text longer
  // than 130 characters, is refused without touching anything beyond either. Throws Exception
  // ("Invalid buffer") or UdpSocketError.
  void SendDatagram(std::span<const std::uint8_t> buff, std::int32_t length);

  // Copies the last received datagram into `dest`, never past its end, and answers the number
  // of bytes copied (-1 when the last receive failed). Meant for use inside OnDataReceived.
  std::int32_t ReadDatagram(std::span<std::uint8_t> dest) const;

  // From now on only datagrams from address:port reach OnDataReceived; the others are taken
  // from the socket and dropped, if possible before they cost the window thread anything. For
  // an endpoint that awaits one server's replies only. Any thread.
  void AcceptOnlyFrom(Ipv4Address address, std::uint16_t port);

  // Closes the socket; the endpoint receives nothing more (used at the end of the log-on).
  // Datagrams taken from the socket but not yet handed on are dropped.
  void Close();

 private:
  void OnReadable() override;
  void OnLookupFinished(bool succeeded, Ipv4Address address) override;

  void ReportStatus(std::int32_t level, const std::string& text);
  void CheckSocketError(int tolerated);
  void CreateSocket(bool set_dont_linger);
  Ipv4Address ResolveRemoteHost();

  std::unique_ptr<SocketLayer> layer_;
  SocketHandle socket_ = kInvalidSocket;
  std::int32_t local_port_ = 0;
  bool ready_ = false;
  bool bound_ = false;
  bool lookup_finished_ = false;
  bool lookup_succeeded_ = false;
  Ipv4Address lookup_address_ = 0;
  int last_error_ = 0;
  std::int32_t last_byte_count_ = 0;
  // The one sender listened to (address << 16 | port, with bit 48 set), or 0 for everyone.
  std::atomic<std::uint64_t> accepted_sender_{0};
  std::array<std::uint8_t, kReceiveAreaSize> receive_area_{};
};

}  // namespace tempiko::net
