#include "net/udp_endpoint.h"

#include <algorithm>

namespace tempiko::net {

namespace {

// Every call site checks errors against WSAEWOULDBLOCK; see CheckSocketError for the odd test.
constexpr int kToleratedError = kWsaEWouldBlock;

// The levels of the endpoint's own status texts.
constexpr std::int32_t kLevelSending = 2;
constexpr std::int32_t kLevelLibrary = 8;
constexpr std::int32_t kLevelCheckingError = 16;

std::uint64_t SenderKey(Ipv4Address address, std::uint16_t port) {
  return std::uint64_t{1} << 48 | std::uint64_t{address} << 16 | port;
}

// Ports are held as 32-bit properties; the socket library sees only their low 16 bits.
std::uint16_t LowPortBits(std::int32_t port) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu);
}

}  // namespace

UdpEndpoint::UdpEndpoint(const SocketLayerFactory& make_layer, const ArrivalClock& arrival_clock) {
  ready_ = false;
  layer_ = make_layer(*this, arrival_clock);
  ReportLevel = 1;

  ReportStatus(kLevelLibrary, "Initializing Winsock");
  if (layer_->Startup() != 0) {
    // A tolerated failure leaves the endpoint without a socket, but created.
    CheckSocketError(kToleratedError);
  } else {
    CreateSocket(/*set_dont_linger=*/true);
  }
  ready_ = true;
}

UdpEndpoint::~UdpEndpoint() {
  // The socket is not closed here: ending this endpoint's use of the library releases it.
  layer_->Cleanup();
}

void UdpEndpoint::CreateSocket(bool set_dont_linger) {
  socket_ = layer_->OpenDatagramSocket();
  try {
    if (socket_ == kInvalidSocket) {
      CheckSocketError(kToleratedError);
    }
    if (set_dont_linger) {
      layer_->SetDontLinger(socket_);
    }
  } catch (...) {
    layer_->Cleanup();
    throw;
  }
}

void UdpEndpoint::SetLocalPort(std::int32_t port) {
  Close();
  layer_->Cleanup();
  if (layer_->Startup() != 0) {
    CheckSocketError(kToleratedError);
  }
  CreateSocket(/*set_dont_linger=*/false);
  local_port_ = port;
  StartListening();
}

void UdpEndpoint::StartListening() {
  const Ipv4Address any = layer_->ParseAddress("0.0.0.0");
  lookup_finished_ = false;
  // A port already in use leaves the endpoint deaf; only the relay has something to say about
  // that, so the result is kept, not thrown.
  bound_ = layer_->Bind(socket_, any, LowPortBits(local_port_)) == 0;
  layer_->SelectRead(socket_);
}

void UdpEndpoint::Close() {
  bound_ = false;
  if (socket_ != kInvalidSocket) {
    layer_->Close(socket_);
    // Forget the handle at once: the library may hand the same number to a later socket.
    socket_ = kInvalidSocket;
  }
}

void UdpEndpoint::SendDatagram(std::span<const std::uint8_t> buff, std::int32_t length) {
  std::vector<std::uint8_t> copy(buff.begin(), buff.end());

  // A zero length gets exactly one chance to be repaired by the listener.
  for (int attempt = 0; length == 0; ++attempt) {
    if (attempt != 0 || !OnBufferInvalid) {
      throw Exception("Invalid buffer");
    }
    bool handled = false;
    OnBufferInvalid(handled, copy, length);
    if (!handled) {
      throw Exception("Invalid buffer");
    }
  }
  // A negative length, or one beyond the bytes we hold, would make sendto read past the copy.
  if (length < 0 || static_cast<std::size_t>(length) > copy.size()) {
    throw Exception("Invalid buffer");
  }

  const Ipv4Address address = ResolveRemoteHost();
  if (address == 0) {
    throw UdpSocketError("Null Remote Address");
  }
  ReportStatus(kLevelSending, "Sending Data");
  // A failed send is not reported; the datagram counts as handed over either way.
  layer_->SendTo(socket_, copy.data(), length, address, LowPortBits(RemotePort));
  if (OnDataSend) {
    OnDataSend(*this);
  }
}

Ipv4Address UdpEndpoint::ResolveRemoteHost() {
  if (RemoteHost.size() > kMaxHostLength) {
    throw UdpSocketError("Host Lookup Canceled");
  }
  // The library sees the text up to its first zero byte, as a C string.
  const std::string host = RemoteHost.c_str();
  const Ipv4Address dotted = layer_->ParseAddress(host.c_str());
  if (dotted != kAddressNone) {
    return dotted;  // a dotted address never starts a lookup
  }

  for (int attempt = 0;; ++attempt) {
    lookup_finished_ = false;
    layer_->StartLookup(host.c_str());
    // Events of the window thread, datagrams included, are handled while we wait. A lookup
    // that does not finish in time counts as a failed one.
    const bool finished =
        layer_->ProcessEventsUntil([this] { return lookup_finished_; }, kLookupLimit);
    if (finished && lookup_succeeded_) {
      return lookup_address_;
    }
    if (attempt == 1) {
      throw UdpSocketError("Host Lookup Canceled");
    }
    bool handled = false;
    if (OnInvalidHost) {
      OnInvalidHost(handled);
    }
    if (!handled) {
      throw UdpSocketError("Host Lookup Canceled");
    }
  }
}

void UdpEndpoint::AcceptOnlyFrom(Ipv4Address address, std::uint16_t port) {
  accepted_sender_ = SenderKey(address, port);
  layer_->AcceptOnlyFrom(socket_, address, port);
}

void UdpEndpoint::OnReadable() {
  if (!ready_) {
    return;
  }
  // One receive per notification. The datagram leaves the socket even when nobody listens.
  DatagramOrigin origin;
  last_byte_count_ = layer_->ReceiveFrom(socket_, receive_area_.data(), kReceiveAreaSize, &origin);
  if (!OnDataReceived) {
    return;
  }
  const std::uint64_t accepted = accepted_sender_;
  if (accepted != 0 && last_byte_count_ >= 0 &&
      SenderKey(origin.address, origin.port) != accepted) {
    return;  // not the sender listened to
  }
  ReceivedDatagram datagram;
  datagram.number_bytes = last_byte_count_;
  if (last_byte_count_ > 0) {
    const auto count = std::min(static_cast<std::size_t>(last_byte_count_), receive_area_.size());
    datagram.bytes = std::span(receive_area_).first(count);
  }
  datagram.from = origin.address;
  datagram.port = origin.port;
  datagram.arrival = origin.arrival;
  OnDataReceived(*this, datagram);
}

void UdpEndpoint::OnLookupFinished(bool succeeded, Ipv4Address address) {
  if (!ready_) {
    return;
  }
  lookup_finished_ = true;
  lookup_succeeded_ = succeeded;
  lookup_address_ = address;
}

std::int32_t UdpEndpoint::ReadDatagram(std::span<std::uint8_t> dest) const {
  if (last_byte_count_ <= 0) {
    return last_byte_count_;  // nothing to copy; -1 after a failed receive
  }
  const std::size_t count = std::min(static_cast<std::size_t>(last_byte_count_), dest.size());
  std::copy_n(receive_area_.begin(), count, dest.begin());
  return static_cast<std::int32_t>(count);
}

void UdpEndpoint::CheckSocketError(int tolerated) {
  ReportStatus(kLevelCheckingError, "Checking Error In Error Manager");
  last_error_ = layer_->LastError();
  // Containment, not equality: every bit of the tolerated number must be set in the error, so
  // with 10035 the numbers 10039, 10043 and 10047 pass as well.
  if ((tolerated & last_error_) == tolerated) {
    return;
  }
  std::string message;
  if (last_error_ != 0) {
    message = "Unknown Error No. " + std::to_string(last_error_);
  }
  ReportStatus(kLevelLibrary, "Looking Up Error Message" + message);
  throw UdpSocketError(message);
}

void UdpEndpoint::ReportStatus(std::int32_t level, const std::string& text) {
  if (level <= ReportLevel && OnStatus) {
    OnStatus(*this, text);
  }
}

}  // namespace tempiko::net
