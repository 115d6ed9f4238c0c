// The endpoint on real sockets: PosixSocketLayer and PosixEventLoop on 127.0.0.1. The loop
// is driven with RunUntil and generous limits; nothing here depends on how long it takes.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "net/udp_endpoint.h"
#include "posix/posix_event_loop.h"
#include "posix/posix_socket_layer.h"
#include "udp_test_support.h"

namespace tempiko::net {
namespace {

using posix::MakeSocketLayerFactory;
using posix::PosixEventLoop;
using posix::Resolver;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::BoundSocket;
using testing_support::FreePort;

using Bytes = std::vector<std::uint8_t>;
constexpr auto kGenerous = std::chrono::seconds(30);

struct Received {
  std::int32_t number_bytes;
  Ipv4Address from;
  std::uint16_t port;
  Bytes bytes;
  double arrival;
  double handled;  // the clock's reading when the handler ran
};

Ipv4Address Loopback() {
  return htonl(INADDR_LOOPBACK);
}

class NmudpLoopbackTest : public ::testing::Test {
 protected:
  // An endpoint listening on a free port that records what it receives in `received`.
  std::unique_ptr<UdpEndpoint> MakeReceiver(Resolver resolver = posix::SystemResolver()) {
    auto endpoint =
        std::make_unique<UdpEndpoint>(MakeSocketLayerFactory(loop, std::move(resolver)), clock);
    endpoint->SetLocalPort(FreePort());
    endpoint->StartListening();
    endpoint->OnDataReceived = [this](UdpEndpoint& sender, const ReceivedDatagram& datagram) {
      Bytes area(UdpEndpoint::kReceiveAreaSize);
      const std::int32_t copied = sender.ReadDatagram(area);
      area.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
      received.push_back(
          {datagram.number_bytes, datagram.from, datagram.port, area, datagram.arrival, clock()});
    };
    return endpoint;
  }

  bool RunUntilReceived(std::size_t count) {
    return loop.RunUntil([&] { return received.size() >= count; }, kGenerous);
  }

  PosixEventLoop loop;
  std::vector<Received> received;
  // Counts its readings: reading n answers n.
  int clock_readings = 0;
  ArrivalClock clock = [this] { return static_cast<double>(++clock_readings); };
};

TEST_F(NmudpLoopbackTest, TwoDatagramsBackToBackGiveTwoEventsWithOwnContents) {
  auto endpoint = MakeReceiver();
  const BoundSocket peer(htonl(INADDR_LOOPBACK));
  const auto port = static_cast<std::uint16_t>(endpoint->LocalPort());

  peer.SendTo(port, {1, 2, 3});
  peer.SendTo(port, {4, 5});
  ASSERT_TRUE(RunUntilReceived(2));

  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].number_bytes, 3);
  EXPECT_EQ(received[0].bytes, (Bytes{1, 2, 3}));
  EXPECT_EQ(received[1].number_bytes, 2);
  EXPECT_EQ(received[1].bytes, (Bytes{4, 5}));
  for (const Received& each : received) {
    EXPECT_EQ(each.from, Loopback());
    EXPECT_EQ(each.port, peer.port);
  }
  // Each datagram is stamped once, when it is taken from the socket, before its handler runs.
  EXPECT_EQ(received[0].arrival, 1.0);
  EXPECT_EQ(received[0].handled, 2.0);
  EXPECT_EQ(received[1].arrival, 3.0);
  EXPECT_EQ(received[1].handled, 4.0);
}

TEST_F(NmudpLoopbackTest, DatagramTooLargeForReceiveAreaIsTakenAndReportedFailed) {
  auto endpoint = MakeReceiver();
  const BoundSocket peer(htonl(INADDR_LOOPBACK));
  const auto port = static_cast<std::uint16_t>(endpoint->LocalPort());

  peer.SendTo(port, Bytes(UdpEndpoint::kReceiveAreaSize + 1, 0x11));
  peer.SendTo(port, Bytes(UdpEndpoint::kReceiveAreaSize, 0x22));
  ASSERT_TRUE(RunUntilReceived(2));

  EXPECT_EQ(received[0].number_bytes, -1);
  EXPECT_THAT(received[0].bytes, IsEmpty());
  EXPECT_EQ(received[1].number_bytes, UdpEndpoint::kReceiveAreaSize);
  EXPECT_EQ(received[1].bytes, Bytes(UdpEndpoint::kReceiveAreaSize, 0x22));
}

TEST_F(NmudpLoopbackTest, PortHeldByAnotherSocketLeavesEndpointSilentlyDeaf) {
  const BoundSocket holder(htonl(INADDR_ANY));
  UdpEndpoint endpoint(MakeSocketLayerFactory(loop), clock);
  int events = 0;
  endpoint.OnDataReceived = [&](UdpEndpoint&, const ReceivedDatagram&) { ++events; };

  EXPECT_NO_THROW(endpoint.SetLocalPort(holder.port));
  EXPECT_NO_THROW(endpoint.StartListening());

  // The datagram goes to the holder; wait until it is there, then give the endpoint its turn.
  const BoundSocket peer(htonl(INADDR_LOOPBACK));
  peer.SendTo(holder.port, {7});
  bool holder_got_it = false;
  loop.WatchReadable(holder.fd, [&] { holder_got_it = true; });
  ASSERT_TRUE(loop.RunUntil([&] { return holder_got_it; }, kGenerous));
  loop.Unwatch(holder.fd);
  loop.RunOnce(std::chrono::milliseconds(0));

  EXPECT_EQ(events, 0);
  EXPECT_EQ(holder.Receive(), Bytes{7});
}

TEST_F(NmudpLoopbackTest, SendingToHostNameGoesThroughTheLookup) {
  auto receiver = MakeReceiver();
  auto lookups = std::make_shared<std::atomic<int>>(0);
  UdpEndpoint sender(MakeSocketLayerFactory(loop,
                                            [lookups](const std::string& host) {
                                              ++*lookups;
                                              return posix::SystemResolver()(host);
                                            }),
                     clock);
  sender.SetLocalPort(FreePort());
  sender.StartListening();
  sender.RemoteHost = "localhost";
  sender.RemotePort = receiver->LocalPort();

  Bytes message(50, 0);
  message[0] = 0x23;
  sender.SendDatagram(message, 48);
  ASSERT_TRUE(RunUntilReceived(1));

  EXPECT_EQ(*lookups, 1);
  EXPECT_EQ(received[0].bytes, Bytes(message.begin(), message.begin() + 48));
  EXPECT_EQ(received[0].from, Loopback());
  EXPECT_EQ(received[0].port, sender.LocalPort());
}

TEST_F(NmudpLoopbackTest, FailingLookupAsksInvalidHostThenCancels) {
  auto lookups = std::make_shared<std::atomic<int>>(0);
  UdpEndpoint sender(MakeSocketLayerFactory(loop,
                                            [lookups](const std::string&) {
                                              ++*lookups;
                                              return std::optional<Ipv4Address>();
                                            }),
                     clock);
  sender.SetLocalPort(FreePort());
  sender.StartListening();
  sender.RemoteHost = "no-such-host.invalid";
  sender.RemotePort = 123;
  int invalid_host_calls = 0;
  sender.OnInvalidHost = [&](bool& handled) {
    ++invalid_host_calls;
    handled = true;
  };
  bool sent = false;
  sender.OnDataSend = [&](UdpEndpoint&) { sent = true; };

  try {
    sender.SendDatagram(Bytes(48), 48);
    ADD_FAILURE() << "the send went ahead";
  } catch (const UdpSocketError& failure) {
    EXPECT_STREQ(failure.what(), "Host Lookup Canceled");
  }

  EXPECT_EQ(*lookups, 2);
  EXPECT_EQ(invalid_host_calls, 1);
  EXPECT_FALSE(sent);
}

}  // namespace
}  // namespace tempiko::net
