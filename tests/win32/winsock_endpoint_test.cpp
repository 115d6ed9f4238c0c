// The UDP endpoint on real Winsock: the program's request from port 8263 to a real NTP server,
// and the reply arriving as an event on the window thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "message_pump.h"
#include "net/udp_endpoint.h"
#include "sync/ntp_message.h"
#include "win32/win32_clock.h"
#include "win32/winsock_layer.h"

namespace tempiko {
namespace {

using net::UdpEndpoint;
using win32::WinsockLayer;

struct Received {
  std::int32_t number_bytes = 0;
  net::Ipv4Address from = 0;
  std::uint16_t port = 0;
  DWORD thread = 0;
  std::vector<std::uint8_t> bytes;
  double arrival = 0;  // as the endpoint stamped it
  double handled = 0;  // the clock's reading when the handler ran
};

// The host's UTC as a date-time value, as the program's clock reads it.
double UtcNow() {
  return win32::Win32Clock().UtcNow();
}

// An endpoint configured as the program's client endpoint, recording what arrives.
class ClientEndpoint {
 public:
  explicit ClientEndpoint(std::int32_t local_port) : udp(WinsockLayer::Factory(), &UtcNow) {
    udp.RemotePort = 123;
    udp.SetLocalPort(local_port);
    udp.OnDataReceived = [this](UdpEndpoint& sender, const net::ReceivedDatagram& datagram) {
      Received r{datagram.number_bytes, datagram.from, datagram.port, GetCurrentThreadId(), {},
                 datagram.arrival,      UtcNow()};
      r.bytes.resize(sync::kMessageBufferSize);
      const std::int32_t copied = sender.ReadDatagram(r.bytes);
      r.bytes.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
      received.push_back(std::move(r));
    };
  }

  void SendRequest(const std::string& host) {
    sync::MessageBuffer request;
    sync::BuildRequest(request);
    udp.RemoteHost = host;
    udp.SendDatagram(request, sync::kNtpMessageSize);
  }

  UdpEndpoint udp;
  std::vector<Received> received;
};

// An endpoint on loopback port `local_port` that sends to the client's port 8263.
struct LoopbackSender {
  explicit LoopbackSender(std::int32_t local_port) {
    udp.SetLocalPort(local_port);
    udp.RemoteHost = "127.0.0.1";
    udp.RemotePort = 8263;
  }
  UdpEndpoint udp{WinsockLayer::Factory(), &UtcNow};
};

std::string NtpServer() {
  const char* server = std::getenv("TEMPIKO_NTP_SERVER");
  return server ? server : "";
}

class WinsockEndpointTest : public testing::Test {
 protected:
  void SetUp() override {
    if (NtpServer().empty())
      GTEST_SKIP() << "TEMPIKO_NTP_SERVER names no NTP server";
  }
};

TEST_F(WinsockEndpointTest, ReplyOfRealServerArrivesOnWindowThreadAndDecodesToNow) {
  ClientEndpoint client(8263);
  client.SendRequest(NtpServer());
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !client.received.empty(); }))
      << "no reply from the NTP server at " << NtpServer();

  const Received& reply = client.received.front();
  EXPECT_EQ(reply.thread, GetCurrentThreadId());
  EXPECT_EQ(reply.number_bytes, 48);
  EXPECT_EQ(reply.from, inet_addr(NtpServer().c_str()));
  EXPECT_EQ(reply.port, 123);
  ASSERT_EQ(reply.bytes.size(), sync::kNtpMessageSize);

  sync::MessageBuffer message{};
  std::copy(reply.bytes.begin(), reply.bytes.end(), message.begin());
  const sync::NtpHeader header = sync::DecodeHeader(message);
  EXPECT_EQ(header.mode, 4);  // server
  EXPECT_EQ(header.stratum, 8);
  // The server shares this machine's clock.
  const double transmit = sync::NtpTimeToDateTime(message, sync::ntp_field::kTransmitTimestamp);
  const double host_utc = win32::Win32Clock().UtcNow();
  EXPECT_LT(std::abs(transmit - host_utc) * sync::kSecondsPerDay, 1.0);
}

TEST_F(WinsockEndpointTest, ArrivalOfRealReplyLiesBetweenTheSendAndItsHandler) {
  ClientEndpoint client(8263);
  const double before_send = UtcNow();
  client.SendRequest(NtpServer());
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !client.received.empty(); }));

  const Received& reply = client.received.front();
  EXPECT_EQ(reply.number_bytes, 48);
  EXPECT_LE(before_send, reply.arrival);
  EXPECT_LE(reply.arrival, reply.handled);
}

TEST_F(WinsockEndpointTest, ReplyIsTakenAndStampedWhileTheWindowThreadIsBusy) {
  ClientEndpoint client(8263);
  client.SendRequest(NtpServer());
  Sleep(300);  // the window thread is kept from its messages, as by a repaint or a long handler
  const double window_thread_free = UtcNow();
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !client.received.empty(); }));

  const Received& reply = client.received.front();
  EXPECT_EQ(reply.thread, GetCurrentThreadId());
  EXPECT_LT(reply.arrival, window_thread_free);
  EXPECT_GT(reply.handled, window_thread_free);
}

TEST_F(WinsockEndpointTest, HostNameIsLookedUpAsynchronously) {
  ClientEndpoint client(8263);
  client.SendRequest("localhost");
  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !client.received.empty(); }));
  EXPECT_EQ(client.received.front().from, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(client.received.front().number_bytes, 48);
}

TEST_F(WinsockEndpointTest, TwoDatagramsBackToBackGiveTwoEvents) {
  ClientEndpoint client(8263);
  LoopbackSender sender(8264);
  const std::vector<std::uint8_t> first(60, 0x11);
  const std::vector<std::uint8_t> second(30, 0x22);
  sender.udp.SendDatagram(first, 60);
  sender.udp.SendDatagram(second, 30);

  ASSERT_TRUE(test::PumpMessagesUntil([&] { return client.received.size() == 2; }));
  EXPECT_EQ(client.received[0].number_bytes, 60);
  EXPECT_EQ(client.received[0].bytes.size(), 50u);  // the destination's capacity, no more
  EXPECT_EQ(client.received[0].bytes.front(), 0x11);
  EXPECT_EQ(client.received[1].number_bytes, 30);
  EXPECT_EQ(client.received[1].bytes, second);
  EXPECT_EQ(client.received[1].port, 8264);
}

TEST_F(WinsockEndpointTest, PortAlreadyInUseLeavesSecondEndpointSilentlyDeaf) {
  ClientEndpoint holder(8263);
  ClientEndpoint deaf(8263);  // created without any failure

  LoopbackSender sender(8265);
  const std::vector<std::uint8_t> datagram(48, 0x33);
  sender.udp.SendDatagram(datagram, 48);

  ASSERT_TRUE(test::PumpMessagesUntil([&] { return !holder.received.empty(); }));
  // Give a stray second delivery every chance to show up.
  test::PumpMessagesUntil([] { return false; }, 200);
  EXPECT_TRUE(deaf.received.empty());
}

TEST_F(WinsockEndpointTest, CloseDropsWhatWasTakenAndReceivesNothingMore) {
  ClientEndpoint client(8263);
  LoopbackSender sender(8266);
  sender.udp.SendDatagram(std::vector<std::uint8_t>(48, 0x44), 48);
  Sleep(200);  // taken from the socket, its notice waiting for the window thread

  client.udp.Close();  // as at the end of the log-on
  sender.udp.SendDatagram(std::vector<std::uint8_t>(48, 0x55), 48);
  test::PumpMessagesUntil([] { return false; }, 200);

  EXPECT_TRUE(client.received.empty());
}

// A flood from elsewhere fills the socket's buffer before a run; the window thread is too busy
// to take anything, so the receiver's queue is full too. The run then listens to its server
// alone, and the server answers at once: its reply must find room, not be dropped for a buffer
// full of what was sent before.
TEST_F(WinsockEndpointTest, ReplyFindsRoomInABufferAFloodFilledBeforeTheRun) {
  ClientEndpoint client(8263);
  LoopbackSender flooder(8267);
  const std::vector<std::uint8_t> junk(48, 0x66);
  for (int i = 0; i < 1000; ++i)  // several times what the buffer holds
    flooder.udp.SendDatagram(junk, 48);

  constexpr std::uint16_t kServerPort = 8268;
  LoopbackSender server(kServerPort);
  client.udp.AcceptOnlyFrom(htonl(INADDR_LOOPBACK), kServerPort);
  server.udp.SendDatagram(std::vector<std::uint8_t>(48, 0x77), 48);
  flooder.udp.SendDatagram(junk, 48);  // and the flood goes on

  const auto from_server = [&] {
    return std::ranges::any_of(client.received,
                               [](const Received& r) { return r.port == kServerPort; });
  };
  ASSERT_TRUE(test::PumpMessagesUntil(from_server, 5000));
  const auto reply = std::ranges::find_if(client.received,
                                          [](const Received& r) { return r.port == kServerPort; });
  EXPECT_EQ(reply->bytes, std::vector<std::uint8_t>(48, 0x77));
}

TEST_F(WinsockEndpointTest, NullRemoteAddressSendsNothing) {
  ClientEndpoint client(8263);
  bool sent = false;
  client.udp.OnDataSend = [&](UdpEndpoint&) { sent = true; };
  EXPECT_THROW(client.SendRequest("0.0.0.0"), net::UdpSocketError);
  EXPECT_FALSE(sent);
}

}  // namespace
}  // namespace tempiko
