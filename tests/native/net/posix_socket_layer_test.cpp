// The BSD-socket layer on its own: Windows Sockets error numbers, handles it does not own,
// the library's start and end, and host lookups that are superseded or outlive the layer.

#include "posix/posix_socket_layer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "udp_test_support.h"

namespace tempiko::posix {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct RecordingEvents final : net::SocketEvents {
  void OnReadable() override { ++readable; }
  void OnLookupFinished(bool succeeded, net::Ipv4Address address) override {
    lookups.push_back(succeeded ? std::optional(address) : std::nullopt);
  }
  int readable = 0;
  std::vector<std::optional<net::Ipv4Address>> lookups;
};

using testing_support::BoundSocket;
using testing_support::FreePort;

net::Ipv4Address Loopback() {
  return htonl(INADDR_LOOPBACK);
}

TEST(ToWsaErrorTest, NamedTranslations) {
  EXPECT_EQ(ToWsaError(EADDRINUSE), 10048);
  EXPECT_EQ(ToWsaError(EWOULDBLOCK), 10035);
  EXPECT_EQ(ToWsaError(EAGAIN), 10035);
  EXPECT_EQ(ToWsaError(EMSGSIZE), 10040);
  EXPECT_EQ(ToWsaError(EBADF), 10038);
  EXPECT_EQ(ToWsaError(EDEADLK), 10022);  // no counterpart
}

TEST(ToWsaErrorTest, OnlyTheCounterpartsOfToleratedNumbersPassTheEndpointsTolerance) {
  // The endpoint ignores every error containing all bits of 10035: with Windows Sockets that
  // is 10035, 10043 and 10047. A careless translation (10000 + errno, or WSASYSCALLFAILURE
  // 10107) would silently hide other failures.
  for (int error = 1; error < 512; ++error) {
    const int translated = ToWsaError(error);
    const bool counterpart = error == EWOULDBLOCK || error == EAGAIN || error == EPROTONOSUPPORT ||
                             error == EAFNOSUPPORT;
    EXPECT_EQ((translated & 10035) == 10035, counterpart)
        << "errno " << error << " -> " << translated;
  }
}

class PosixSocketLayerTest : public ::testing::Test {
 protected:
  PosixEventLoop loop;
  RecordingEvents events;
  // Counts its readings: reading n answers n.
  int clock_readings = 0;
  net::ArrivalClock clock = [this] { return static_cast<double>(++clock_readings); };
};

TEST_F(PosixSocketLayerTest, BindToPortInUseAnswersAddressInUse) {
  BoundSocket holder(htonl(INADDR_ANY));
  PosixSocketLayer layer(loop, events, clock);
  ASSERT_EQ(layer.Startup(), 0);
  const net::SocketHandle socket = layer.OpenDatagramSocket();
  ASSERT_NE(socket, net::kInvalidSocket);

  EXPECT_EQ(layer.Bind(socket, htonl(INADDR_ANY), holder.port), 10048);
  EXPECT_EQ(layer.LastError(), 10048);
}

TEST_F(PosixSocketLayerTest, ReceiveWithNothingWaitingAnswersWouldBlock) {
  PosixSocketLayer layer(loop, events, clock);
  layer.Startup();
  const net::SocketHandle socket = layer.OpenDatagramSocket();
  ASSERT_EQ(layer.Bind(socket, Loopback(), 0), 0);
  layer.SelectRead(socket);
  std::uint8_t area[16];
  net::DatagramOrigin origin;

  EXPECT_EQ(layer.ReceiveFrom(socket, area, sizeof area, &origin), -1);
  EXPECT_EQ(layer.LastError(), 10035);
}

TEST_F(PosixSocketLayerTest, ReceiveGivesTheSenderAndReadsTheArrivalClockOnceAfterIt) {
  PosixSocketLayer layer(loop, events, clock);
  layer.Startup();
  const net::SocketHandle socket = layer.OpenDatagramSocket();
  const std::uint16_t port = FreePort();
  ASSERT_EQ(layer.Bind(socket, Loopback(), port), 0);
  layer.SelectRead(socket);
  const BoundSocket peer(Loopback());
  peer.SendTo(port, {1, 2, 3});
  ASSERT_TRUE(loop.RunUntil([&] { return events.readable > 0; }, seconds(30)));
  EXPECT_EQ(clock_readings, 0);  // being readable is not yet being received

  std::uint8_t area[16];
  net::DatagramOrigin origin;
  ASSERT_EQ(layer.ReceiveFrom(socket, area, sizeof area, &origin), 3);

  EXPECT_EQ(origin.address, Loopback());
  EXPECT_EQ(origin.port, peer.port);
  EXPECT_EQ(origin.arrival, 1.0);
  EXPECT_EQ(clock_readings, 1);
}

TEST_F(PosixSocketLayerTest, RefusesHandlesItDidNotOpenAndCallsBeforeStartup) {
  PosixSocketLayer layer(loop, events, clock);
  EXPECT_EQ(layer.OpenDatagramSocket(), net::kInvalidSocket);
  EXPECT_EQ(layer.LastError(), 10093);

  // Closing a descriptor that is not one of the layer's sockets must leave it open.
  BoundSocket foreign(Loopback());
  layer.Startup();
  layer.Close(static_cast<net::SocketHandle>(foreign.fd));
  EXPECT_EQ(layer.LastError(), 10038);
  EXPECT_GE(fcntl(foreign.fd, F_GETFD), 0);
  layer.Close(net::kInvalidSocket);
  EXPECT_EQ(layer.LastError(), 10038);
}

TEST_F(PosixSocketLayerTest, EndingLastLibraryUseReleasesTheSocketsPort) {
  PosixSocketLayer layer(loop, events, clock);
  layer.Startup();
  layer.Startup();
  const net::SocketHandle socket = layer.OpenDatagramSocket();
  const std::uint16_t port = FreePort();
  ASSERT_EQ(layer.Bind(socket, htonl(INADDR_ANY), port), 0);

  layer.Cleanup();  // one use remains: the socket stays
  PosixSocketLayer other(loop, events, clock);
  other.Startup();
  EXPECT_EQ(other.Bind(other.OpenDatagramSocket(), htonl(INADDR_ANY), port), 10048);

  layer.Cleanup();  // the last use: the socket goes with it
  EXPECT_EQ(other.Bind(other.OpenDatagramSocket(), htonl(INADDR_ANY), port), 0);
}

TEST_F(PosixSocketLayerTest, OnlyTheLatestLookupIsDelivered) {
  // Shared with the lookup threads, which may run on after the test's scope.
  auto release_slow = std::make_shared<std::promise<void>>();
  auto slow_returned = std::make_shared<std::promise<void>>();
  std::shared_future<void> slow_released = release_slow->get_future().share();
  std::future<void> has_returned = slow_returned->get_future();
  const net::Ipv4Address fast_address = inet_addr("127.0.0.2");
  PosixSocketLayer layer(loop, events, clock, [=](const std::string& host) {
    if (host == "slow.test") {
      slow_released.wait();
      slow_returned->set_value();
      return std::optional(inet_addr("127.0.0.3"));
    }
    return std::optional(fast_address);
  });

  layer.StartLookup("slow.test");
  layer.StartLookup("fast.test");
  ASSERT_TRUE(loop.RunUntil([&] { return !events.lookups.empty(); }, seconds(30)));

  release_slow->set_value();
  has_returned.wait();
  // The layer is alive, so the superseded answer is posted; run until it has been handled.
  EXPECT_TRUE(loop.RunOnce(seconds(30)));
  EXPECT_THAT(events.lookups, ElementsAre(std::optional(fast_address)));
}

TEST_F(PosixSocketLayerTest, LookupFinishingAfterLayerIsGoneDeliversNothing) {
  auto release = std::make_shared<std::promise<void>>();
  auto returned = std::make_shared<std::promise<void>>();
  std::shared_future<void> released = release->get_future().share();
  std::future<void> has_returned = returned->get_future();
  auto layer = std::make_unique<PosixSocketLayer>(loop, events, clock, [=](const std::string&) {
    released.wait();
    returned->set_value();
    return std::optional(inet_addr("127.0.0.1"));
  });

  layer->StartLookup("late.test");
  layer.reset();
  release->set_value();
  has_returned.wait();

  loop.RunUntil([] { return false; }, milliseconds(100));
  EXPECT_THAT(events.lookups, IsEmpty());
}

}  // namespace
}  // namespace tempiko::posix
