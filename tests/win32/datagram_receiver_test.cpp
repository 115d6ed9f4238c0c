// The receiver thread on real Winsock, on the loopback: datagrams are taken and stamped as they
// arrive, in order, wait in a queue of bounded size without being lost when it is full, and the
// thread stops promptly while blocked in its receive or watching for a reply. After a send it
// watches for the reply for a short while, then blocks again.
#include "win32/datagram_receiver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tempiko::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A UDP socket on 127.0.0.1, bound to a port the system chose (or not bound at all).
class LoopbackSocket {
 public:
  explicit LoopbackSocket(bool bound = true) : socket_(socket(AF_INET, SOCK_DGRAM, 0)) {
    if (!bound)
      return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      ADD_FAILURE() << "cannot bind a test socket: " << WSAGetLastError();
    }
    port = ntohs(address.sin_port);
  }
  ~LoopbackSocket() { closesocket(socket_); }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  void SendTo(std::uint16_t to_port, const Bytes& bytes) const {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(to_port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(
        sendto(socket_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
               0, reinterpret_cast<sockaddr*>(&address), sizeof(address)),
        static_cast<int>(bytes.size()));
  }

  SOCKET get() const { return socket_; }
  std::uint16_t port = 0;

 private:
  SOCKET socket_;
};

class DatagramReceiverTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data_), 0); }
  void TearDown() override { WSACleanup(); }

  // Counts its readings: reading n answers n.
  net::ArrivalClock CountingClock() {
    return [this] { return static_cast<double>(++clock_readings); };
  }
  std::function<void()> CountQueued() {
    return [this] { ++queued; };
  }

  // Waits (up to 10 s) until `count` datagrams have been queued, then a little longer, so
  // that one too many would show.
  bool WaitForQueued(int count) {
    for (int i = 0; i < 1000 && queued < count; ++i)
      Sleep(10);
    Sleep(100);
    return queued == count;
  }

  struct Taken {
    int count;
    int error;
    net::DatagramOrigin origin;
    Bytes bytes;
  };
  static Taken TakeFrom(DatagramReceiver& receiver, int capacity = DatagramReceiver::kAreaSize) {
    Taken taken{};
    taken.bytes.resize(DatagramReceiver::kAreaSize);
    taken.count = receiver.Take(taken.bytes.data(), capacity, &taken.origin, &taken.error);
    taken.bytes.resize(taken.count > 0 ? static_cast<std::size_t>(taken.count) : 0);
    return taken;
  }

  std::atomic<int> clock_readings{0};
  std::atomic<int> queued{0};

 private:
  WSADATA data_{};
};

TEST_F(DatagramReceiverTest, TakesEachDatagramInOrderWithSenderAndItsOwnStamp) {
  LoopbackSocket socket;
  LoopbackSocket peer;
  DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());

  peer.SendTo(socket.port, {1, 2, 3});
  peer.SendTo(socket.port, {4, 5});
  ASSERT_TRUE(WaitForQueued(2));

  const Taken first = TakeFrom(receiver);
  const Taken second = TakeFrom(receiver);
  EXPECT_EQ(first.count, 3);
  EXPECT_EQ(first.bytes, (Bytes{1, 2, 3}));
  EXPECT_EQ(first.origin.address, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(first.origin.port, peer.port);
  EXPECT_EQ(first.origin.arrival, 1.0);
  EXPECT_EQ(second.bytes, (Bytes{4, 5}));
  EXPECT_EQ(second.origin.arrival, 2.0);
  // Nothing is left: the next take answers "would block".
  EXPECT_EQ(TakeFrom(receiver).count, -1);
  EXPECT_FALSE(receiver.HasQueued());
}

TEST_F(DatagramReceiverTest, FullQueueLeavesTheRestInTheSocketUntilThereIsRoom) {
  LoopbackSocket socket;
  LoopbackSocket peer;
  DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());
  const int sent = static_cast<int>(DatagramReceiver::kQueueCapacity) + 10;
  for (int i = 0; i < sent; ++i)
    peer.SendTo(socket.port, {static_cast<std::uint8_t>(i)});

  // The queue holds no more than its capacity; the socket keeps the others.
  ASSERT_TRUE(WaitForQueued(static_cast<int>(DatagramReceiver::kQueueCapacity)));
  EXPECT_EQ(TakeFrom(receiver).bytes, Bytes{0});
  ASSERT_TRUE(WaitForQueued(static_cast<int>(DatagramReceiver::kQueueCapacity) + 1));

  // Every datagram comes through, in order, none lost.
  for (int i = 1; i < sent; ++i) {
    for (int wait = 0; wait < 1000 && !receiver.HasQueued(); ++wait)
      Sleep(10);
    ASSERT_EQ(TakeFrom(receiver).bytes, Bytes{static_cast<std::uint8_t>(i)}) << "datagram " << i;
  }
}

// Datagrams from elsewhere, with the window thread taking nothing meanwhile, leave the queue's
// room to the one sender listened to.
TEST_F(DatagramReceiverTest, ListeningToOneSenderKeepsAFloodFromCrowdingItOut) {
  LoopbackSocket socket;
  LoopbackSocket server;
  LoopbackSocket flooder;
  DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());
  receiver.AcceptOnlyFrom(htonl(INADDR_LOOPBACK), server.port);
  // More than the queue holds, but no more than the socket's own buffer keeps: the reply must
  // reach the receiver, which then has to pass over the others to queue it.
  for (std::size_t i = 0; i < 3 * DatagramReceiver::kQueueCapacity; ++i)
    flooder.SendTo(socket.port, Bytes(48, 0xEE));
  server.SendTo(socket.port, Bytes(48, 0x24));
  ASSERT_TRUE(WaitForQueued(1));

  const Taken reply = TakeFrom(receiver);
  EXPECT_EQ(reply.bytes, Bytes(48, 0x24));
  EXPECT_EQ(reply.origin.port, server.port);
  EXPECT_FALSE(receiver.HasQueued());
}

struct TooLargeCase {
  const char* name;
  std::size_t datagram_size;
  int capacity;
};

void PrintTo(const TooLargeCase& c, std::ostream* out) {
  *out << c.name;
}

class DatagramReceiverTooLargeTest : public DatagramReceiverTest,
                                     public testing::WithParamInterface<TooLargeCase> {};

TEST_P(DatagramReceiverTooLargeTest, IsTakenAndReportedAsAFailedReceiveAndTheNextComesIntact) {
  LoopbackSocket socket;
  LoopbackSocket peer;
  DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());
  peer.SendTo(socket.port, Bytes(GetParam().datagram_size, 0x11));
  peer.SendTo(socket.port, Bytes(48, 0x22));
  ASSERT_TRUE(WaitForQueued(2));

  const Taken failed = TakeFrom(receiver, GetParam().capacity);
  EXPECT_EQ(failed.count, -1);
  EXPECT_EQ(failed.error, WSAEMSGSIZE);
  EXPECT_EQ(TakeFrom(receiver, GetParam().capacity).bytes, Bytes(48, 0x22));
}

INSTANTIATE_TEST_SUITE_P(Cases, DatagramReceiverTooLargeTest,
                         testing::Values(TooLargeCase{"LargerThanTheArea",
                                                      DatagramReceiver::kAreaSize + 1,
                                                      DatagramReceiver::kAreaSize},
                                         TooLargeCase{"LargerThanTheCaller", 51, 50}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

struct StopCase {
  const char* name;
  bool reply_expected;  // stopped while watching for a reply, not while blocked
};

void PrintTo(const StopCase& c, std::ostream* out) {
  *out << c.name;
}

class DatagramReceiverStopTest : public DatagramReceiverTest,
                                 public testing::WithParamInterface<StopCase> {};

TEST_P(DatagramReceiverStopTest, StopsPromptlyAndLeavesTheSocketUsable) {
  LoopbackSocket socket;
  LoopbackSocket peer;
  {
    DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());
    Sleep(100);  // the thread is now waiting in its receive
    if (GetParam().reply_expected) {
      receiver.ExpectReply();
      Sleep(10);
    }
  }
  EXPECT_EQ(queued, 0);  // a cancelled receive is no datagram

  peer.SendTo(socket.port, {7});
  char byte = 0;
  EXPECT_EQ(recv(socket.get(), &byte, 1, 0), 1);
  EXPECT_EQ(byte, 7);
}

INSTANTIATE_TEST_SUITE_P(Cases, DatagramReceiverStopTest,
                         testing::Values(StopCase{"WhileBlocked", false},
                                         StopCase{"WhileWatchingForAReply", true}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

struct ReplyCase {
  const char* name;
  DWORD send_after_ms;     // after ExpectReply
  bool found_by_watching;  // rather than by the blocking receive
};

void PrintTo(const ReplyCase& c, std::ostream* out) {
  *out << c.name;
}

class DatagramReceiverReplyTest : public DatagramReceiverTest,
                                  public testing::WithParamInterface<ReplyCase> {};

TEST_P(DatagramReceiverReplyTest, IsDeliveredAndStampedAndTheThreadThenBlocksAgain) {
  LoopbackSocket socket;
  LoopbackSocket peer;
  DatagramReceiver receiver(socket.get(), CountingClock(), CountQueued());
  Sleep(100);
  EXPECT_EQ(clock_readings, 0);  // blocked: no look at the clock before a send

  receiver.ExpectReply();
  Sleep(GetParam().send_after_ms);
  const int before_send = clock_readings;
  peer.SendTo(socket.port, {9, 8});
  ASSERT_TRUE(WaitForQueued(1));
  const Taken reply = TakeFrom(receiver);
  EXPECT_EQ(reply.bytes, (Bytes{9, 8}));
  EXPECT_EQ(reply.origin.port, peer.port);

  const int readings = clock_readings;
  if (GetParam().found_by_watching) {
    // Woken out of its receive by the expected reply, the thread was already looking when the
    // datagram was sent; it was stamped by those looks: not before the send, nor as late as
    // the end of the look that found it.
    EXPECT_GT(before_send, 0);
    EXPECT_GE(reply.origin.arrival, before_send);
    EXPECT_LT(reply.origin.arrival, readings);
  } else {
    // The watch was over: the blocking receive stamped it right after it returned.
    EXPECT_EQ(reply.origin.arrival, before_send + 1);
    EXPECT_EQ(reply.origin.arrival, readings);
  }
  // No more looks once the reply has come or the watch is over.
  Sleep(2 * DatagramReceiver::kWatchMs);
  EXPECT_EQ(clock_readings, readings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatagramReceiverReplyTest,
    testing::Values(ReplyCase{"WhileWatching", DatagramReceiver::kWatchMs / 5, true},
                    ReplyCase{"AfterTheWatch", 3 * DatagramReceiver::kWatchMs, false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(DatagramReceiverTest, UnboundSocketStaysSilent) {
  LoopbackSocket unbound(/*bound=*/false);
  DatagramReceiver receiver(unbound.get(), CountingClock(), CountQueued());
  Sleep(100);
  EXPECT_EQ(queued, 0);
  EXPECT_FALSE(receiver.HasQueued());
}

}  // namespace
}  // namespace tempiko::win32
