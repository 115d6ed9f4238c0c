// The UDP endpoint against the scripted socket layer: creation and socket replacement, status
// texts, error tolerance, sending, host lookup and receiving.

#include "net/udp_endpoint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

#include "fakes/fake_socket_layer.h"

namespace tempiko::net {
namespace {

using fakes::FakeSockets;
using fakes::IncomingDatagram;
using fakes::LookupScript;
using fakes::MakeAddress;
using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Bytes = std::vector<std::uint8_t>;

class NmudpTest : public ::testing::Test {
 protected:
  // Created and listening on `port`, as the main window leaves it; the call record starts
  // empty.
  std::unique_ptr<UdpEndpoint> MakeListening(std::int32_t port = 8263) {
    auto endpoint = std::make_unique<UdpEndpoint>(sockets.Factory(), arrival_clock);
    endpoint->SetLocalPort(port);
    endpoint->StartListening();
    sockets.calls.clear();
    return endpoint;
  }

  // Records every status text the endpoint lets through.
  void RecordStatus(UdpEndpoint& endpoint) {
    endpoint.OnStatus = [this](UdpEndpoint&, const std::string& status) {
      statuses.push_back(status);
    };
  }

  FakeSockets sockets;
  std::vector<std::string> statuses;
  // What the endpoint's arrival clock reads (a date-time value).
  double clock_reading = 43'831.5;
  const ArrivalClock arrival_clock = [this] { return clock_reading; };
};

// Runs `action` and answers the message of the exception it throws of exactly `Expected`'s
// type (a plain Exception is not to pass for a UdpSocketError, nor the reverse).
template <typename Expected, typename Action>
std::optional<std::string> FailureOf(Action action) {
  try {
    action();
  } catch (const Exception& failure) {
    if (typeid(failure) != typeid(Expected)) {
      ADD_FAILURE() << "unexpected exception type: " << failure.what();
    }
    return failure.what();
  }
  return std::nullopt;
}

// --- Creation, socket replacement, destruction ---

TEST_F(NmudpTest, CreationStartsLibraryAndMakesUnboundSocketWithDontLinger) {
  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);

  EXPECT_THAT(sockets.calls, ElementsAre("startup", "socket 1", "dontlinger 1"));
  EXPECT_EQ(endpoint.RemoteHost, "");
  EXPECT_EQ(endpoint.RemotePort, 0);
  EXPECT_EQ(endpoint.LocalPort(), 0);
  EXPECT_EQ(endpoint.ReportLevel, 1);
}

struct CreationCase {
  const char* name;
  int startup_error;
  int socket_error;
  std::vector<std::string> calls;
  std::optional<std::string> failure;
};

void PrintTo(const CreationCase& c, std::ostream* out) {
  *out << c.name;
}

class NmudpCreationTest : public NmudpTest, public ::testing::WithParamInterface<CreationCase> {};

TEST_P(NmudpCreationTest, FailuresOfStartupAndSocket) {
  const CreationCase& c = GetParam();
  if (c.startup_error != 0) {
    sockets.startup_errors.push_back(c.startup_error);
  }
  if (c.socket_error != 0) {
    sockets.socket_errors.push_back(c.socket_error);
  }

  const auto failure =
      FailureOf<UdpSocketError>([&] { UdpEndpoint endpoint(sockets.Factory(), arrival_clock); });

  EXPECT_EQ(failure, c.failure);
  // The destructor's cleanup runs only for an endpoint that was created.
  std::vector<std::string> expected = c.calls;
  if (!c.failure) {
    expected.push_back("cleanup");
  }
  EXPECT_EQ(sockets.calls, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NmudpCreationTest,
    ::testing::Values(
        CreationCase{"StartupRefused", 10091, 0, {"startup"}, "Unknown Error No. 10091"},
        // A tolerated start-up failure creates no socket, and nothing fails.
        CreationCase{"StartupTolerated", 10035, 0, {"startup"}, std::nullopt},
        // A failed socket() ends the library use it started before passing the error on.
        CreationCase{"SocketRefused",
                     0,
                     10024,
                     {"startup", "socket failed", "cleanup"},
                     "Unknown Error No. 10024"},
        CreationCase{"SocketTolerated",
                     0,
                     10047,
                     {"startup", "socket failed", "dontlinger invalid"},
                     std::nullopt}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(NmudpTest, SettingLocalPortReplacesSocketWithoutDontLingerAndListens) {
  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);
  sockets.calls.clear();

  endpoint.SetLocalPort(8263);

  EXPECT_THAT(sockets.calls, ElementsAre("close 1", "cleanup", "startup", "socket 2",
                                         "bind 2 0.0.0.0:8263", "select 2"));
  EXPECT_EQ(endpoint.LocalPort(), 8263);
}

TEST_F(NmudpTest, SettingLocalPortTwiceLeavesOneSocketOnSecondPort) {
  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);
  endpoint.SetLocalPort(8263);
  endpoint.SetLocalPort(123);

  EXPECT_EQ(sockets.open_sockets, 1);
  EXPECT_THAT(sockets.CallsStartingWith("close"), ElementsAre("close 1", "close 2"));
  EXPECT_EQ(sockets.calls.back(), "select 3");
  EXPECT_THAT(sockets.CallsStartingWith("bind"),
              ElementsAre("bind 2 0.0.0.0:8263", "bind 3 0.0.0.0:123"));
  EXPECT_EQ(endpoint.LocalPort(), 123);
}

TEST_F(NmudpTest, PortsUseOnlyTheirLowSixteenBits) {
  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);
  endpoint.SetLocalPort(0x10000 + 8263);
  endpoint.RemoteHost = "192.0.2.1";
  endpoint.RemotePort = 0x30000 + 123;
  endpoint.SendDatagram(Bytes(48), 48);

  EXPECT_EQ(endpoint.LocalPort(), 0x10000 + 8263);
  EXPECT_THAT(sockets.CallsStartingWith("bind"), ElementsAre("bind 2 0.0.0.0:8263"));
  EXPECT_THAT(sockets.CallsStartingWith("sendto"), ElementsAre("sendto 2 192.0.2.1:123"));
}

TEST_F(NmudpTest, FailedReplacementKeepsOldPortAndEndsLibraryUse) {
  auto endpoint = MakeListening(8263);
  sockets.socket_errors.push_back(10055);

  const auto failure = FailureOf<UdpSocketError>([&] { endpoint->SetLocalPort(123); });

  EXPECT_EQ(failure, "Unknown Error No. 10055");
  EXPECT_THAT(sockets.calls,
              ElementsAre("close 2", "cleanup", "startup", "socket failed", "cleanup"));
  EXPECT_EQ(endpoint->LocalPort(), 8263);
  // The closed socket is forgotten: setting the port again does not close it a second time.
  sockets.calls.clear();
  endpoint->SetLocalPort(123);
  EXPECT_THAT(sockets.CallsStartingWith("close"), IsEmpty());
}

TEST_F(NmudpTest, DestroyEndsLibraryUseOnceWithoutClosingSocket) {
  auto endpoint = MakeListening();
  endpoint.reset();
  EXPECT_THAT(sockets.calls, ElementsAre("cleanup"));
}

TEST_F(NmudpTest, CloseClosesSocketOnceAndStopsNotifications) {
  auto endpoint = MakeListening();
  sockets.incoming.push_back({Bytes{1}});

  endpoint->Close();
  endpoint->Close();

  EXPECT_THAT(sockets.calls, ElementsAre("close 2"));
  EXPECT_FALSE(sockets.DeliverReadable());
}

// --- Error tolerance: a bitwise containment test against 10035 ---

struct ToleranceCase {
  int error;
  std::optional<std::string> failure;
};

void PrintTo(const ToleranceCase& c, std::ostream* out) {
  *out << "error " << c.error;
}

class NmudpToleranceTest : public NmudpTest, public ::testing::WithParamInterface<ToleranceCase> {};

TEST_P(NmudpToleranceTest, SocketErrorPassesOnlyWhenItContainsEveryBitOf10035) {
  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);
  sockets.socket_errors.push_back(GetParam().error);
  sockets.calls.clear();

  const auto failure = FailureOf<UdpSocketError>([&] { endpoint.SetLocalPort(8263); });

  EXPECT_EQ(failure, GetParam().failure);
  if (!GetParam().failure) {
    // The endpoint goes on without a socket: port stored, listening attempted.
    EXPECT_EQ(endpoint.LocalPort(), 8263);
    EXPECT_EQ(sockets.calls.back(), "select invalid");
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, NmudpToleranceTest,
                         ::testing::Values(ToleranceCase{10035, std::nullopt},
                                           ToleranceCase{10039, std::nullopt},
                                           ToleranceCase{10043, std::nullopt},
                                           ToleranceCase{10047, std::nullopt},
                                           ToleranceCase{10048, "Unknown Error No. 10048"},
                                           ToleranceCase{10013, "Unknown Error No. 10013"},
                                           ToleranceCase{10036, "Unknown Error No. 10036"},
                                           // Error number 0 still fails, with no text.
                                           ToleranceCase{0, ""}));

// --- Status texts ---

struct StatusCase {
  std::int32_t report_level;
  std::vector<std::string> statuses;
};

void PrintTo(const StatusCase& c, std::ostream* out) {
  *out << "level " << c.report_level;
}

class NmudpStatusTest : public NmudpTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(NmudpStatusTest, ReportLevelFiltersStatusTexts) {
  auto endpoint = MakeListening();
  endpoint->ReportLevel = GetParam().report_level;
  RecordStatus(*endpoint);

  sockets.socket_errors.push_back(10048);
  EXPECT_THROW(endpoint->SetLocalPort(123), UdpSocketError);
  endpoint->RemoteHost = "192.0.2.1";
  endpoint->SendDatagram(Bytes(48), 48);

  EXPECT_EQ(statuses, GetParam().statuses);
}

// "Initializing Winsock" (level 8) cannot be seen: creation resets ReportLevel to 1 before it.
INSTANTIATE_TEST_SUITE_P(
    Levels, NmudpStatusTest,
    ::testing::Values(
        StatusCase{1, {}}, StatusCase{2, {"Sending Data"}},
        StatusCase{8, {"Looking Up Error MessageUnknown Error No. 10048", "Sending Data"}},
        StatusCase{16,
                   {"Checking Error In Error Manager",
                    "Looking Up Error MessageUnknown Error No. 10048", "Sending Data"}}));

TEST_F(NmudpTest, ToleratedErrorReportsOnlyTheCheck) {
  auto endpoint = MakeListening();
  endpoint->ReportLevel = 16;
  RecordStatus(*endpoint);
  sockets.socket_errors.push_back(10035);

  endpoint->SetLocalPort(123);

  EXPECT_THAT(statuses, ElementsAre("Checking Error In Error Manager"));
}

// --- Sending ---

TEST_F(NmudpTest, SendsFirstLengthBytesOfItsCopyToRemoteHostAndPort) {
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "192.0.2.7";
  endpoint->RemotePort = 123;
  int sends = 0;
  endpoint->OnDataSend = [&](UdpEndpoint& sender) {
    EXPECT_EQ(&sender, endpoint.get());
    ++sends;
  };
  Bytes message(50, 0);
  message[0] = 0x23;
  message[48] = 0xEE;  // beyond the length: must not be sent

  endpoint->SendDatagram(message, 48);

  ASSERT_EQ(sockets.sent.size(), 1u);
  EXPECT_EQ(sockets.sent[0].bytes, Bytes(message.begin(), message.begin() + 48));
  EXPECT_EQ(sockets.sent[0].address, MakeAddress(192, 0, 2, 7));
  EXPECT_EQ(sockets.sent[0].port, 123);
  EXPECT_EQ(sends, 1);
  EXPECT_THAT(sockets.CallsStartingWith("lookup"), IsEmpty());
}

TEST_F(NmudpTest, NullRemoteAddressSendsNothing) {
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "0.0.0.0";
  bool sent_event = false;
  endpoint->OnDataSend = [&](UdpEndpoint&) { sent_event = true; };

  EXPECT_EQ(FailureOf<UdpSocketError>([&] { endpoint->SendDatagram(Bytes(48), 48); }),
            "Null Remote Address");
  EXPECT_THAT(sockets.CallsStartingWith("sendto"), IsEmpty());
  EXPECT_FALSE(sent_event);
}

TEST_F(NmudpTest, FailedSendStillRaisesOnDataSend) {
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "192.0.2.7";
  sockets.send_error = 10065;
  int sends = 0;
  endpoint->OnDataSend = [&](UdpEndpoint&) { ++sends; };

  EXPECT_NO_THROW(endpoint->SendDatagram(Bytes(48), 48));
  EXPECT_EQ(sends, 1);
}

// What the OnBufferInvalid listener does, if one is bound.
enum class Repair { kNoListener, kUnhandled, kHandledKeepsZero, kFillsFour, kClaimsTooMuch };

struct BufferCase {
  const char* name;
  std::size_t buffer_size;
  std::int32_t length;
  Repair repair;
  std::optional<Bytes> sent;  // empty: "Invalid buffer"
  int listener_calls;
};

void PrintTo(const BufferCase& c, std::ostream* out) {
  *out << c.name;
}

class NmudpBufferTest : public NmudpTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(NmudpBufferTest, LengthChecksAndOneRepairChance) {
  const BufferCase& c = GetParam();
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "192.0.2.7";
  endpoint->ReportLevel = 16;
  RecordStatus(*endpoint);
  int listener_calls = 0;
  if (c.repair != Repair::kNoListener) {
    endpoint->OnBufferInvalid = [&](bool& handled, Bytes& buff, std::int32_t& length) {
      ++listener_calls;
      handled = c.repair != Repair::kUnhandled;
      if (c.repair == Repair::kFillsFour) {
        buff = {1, 2, 3, 4};
        length = 4;
      } else if (c.repair == Repair::kClaimsTooMuch) {
        length = static_cast<std::int32_t>(buff.size()) + 1;
      }
    };
  }
  bool send_event = false;
  endpoint->OnDataSend = [&](UdpEndpoint&) { send_event = true; };

  const auto failure =
      FailureOf<Exception>([&] { endpoint->SendDatagram(Bytes(c.buffer_size, 7), c.length); });

  EXPECT_EQ(listener_calls, c.listener_calls);
  if (c.sent) {
    EXPECT_EQ(failure, std::nullopt);
    ASSERT_EQ(sockets.sent.size(), 1u);
    EXPECT_EQ(sockets.sent[0].bytes, *c.sent);
  } else {
    EXPECT_EQ(failure, "Invalid buffer");
    EXPECT_THAT(sockets.calls, IsEmpty());
    EXPECT_THAT(statuses, IsEmpty());
    EXPECT_FALSE(send_event);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NmudpBufferTest,
    ::testing::Values(
        BufferCase{"ZeroWithoutListener", 50, 0, Repair::kNoListener, std::nullopt, 0},
        BufferCase{"ZeroListenerUnhandled", 50, 0, Repair::kUnhandled, std::nullopt, 1},
        BufferCase{"ZeroListenerLeavesZero", 50, 0, Repair::kHandledKeepsZero, std::nullopt, 1},
        BufferCase{"ZeroRepairedOnce", 50, 0, Repair::kFillsFour, Bytes{1, 2, 3, 4}, 1},
        BufferCase{"RepairBeyondBuffer", 50, 0, Repair::kClaimsTooMuch, std::nullopt, 1},
        BufferCase{"WholeBuffer", 50, 50, Repair::kNoListener, Bytes(50, 7), 0},
        BufferCase{"BeyondBuffer", 50, 51, Repair::kNoListener, std::nullopt, 0},
        BufferCase{"Negative", 50, -1, Repair::kFillsFour, std::nullopt, 0}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- Host lookup ---

TEST_F(NmudpTest, HostTextLimitIs130Characters) {
  auto endpoint = MakeListening();
  sockets.lookups.push_back({true, MakeAddress(192, 0, 2, 5)});

  endpoint->RemoteHost = std::string(130, 'h');
  endpoint->SendDatagram(Bytes(48), 48);
  EXPECT_THAT(sockets.CallsStartingWith("lookup"), ElementsAre("lookup " + std::string(130, 'h')));
  EXPECT_EQ(sockets.sent.size(), 1u);

  sockets.calls.clear();
  endpoint->RemoteHost = std::string(131, 'h');
  EXPECT_EQ(FailureOf<UdpSocketError>([&] { endpoint->SendDatagram(Bytes(48), 48); }),
            "Host Lookup Canceled");
  EXPECT_THAT(sockets.calls, IsEmpty());
}

// What the OnInvalidHost listener does, if one is bound.
enum class HostRepair { kNoListener, kUnhandled, kHandled };

struct LookupCase {
  const char* name;
  std::vector<LookupScript> lookups;
  HostRepair repair;
  std::optional<Ipv4Address> sent_to;  // empty: "Host Lookup Canceled"
  int lookups_made;
  int listener_calls;
  milliseconds waited;  // virtual time spent waiting for lookups
};

void PrintTo(const LookupCase& c, std::ostream* out) {
  *out << c.name;
}

class NmudpLookupTest : public NmudpTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(NmudpLookupTest, HostNameIsLookedUpAtMostTwice) {
  const LookupCase& c = GetParam();
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "time.example";
  sockets.lookups.assign(c.lookups.begin(), c.lookups.end());
  int listener_calls = 0;
  if (c.repair != HostRepair::kNoListener) {
    endpoint->OnInvalidHost = [&](bool& handled) {
      ++listener_calls;
      handled = c.repair == HostRepair::kHandled;
    };
  }

  const auto failure = FailureOf<UdpSocketError>([&] { endpoint->SendDatagram(Bytes(48), 48); });

  EXPECT_EQ(sockets.CallsStartingWith("lookup time.example").size(),
            static_cast<std::size_t>(c.lookups_made));
  EXPECT_EQ(listener_calls, c.listener_calls);
  EXPECT_EQ(sockets.now, c.waited);
  if (c.sent_to) {
    EXPECT_EQ(failure, std::nullopt);
    ASSERT_EQ(sockets.sent.size(), 1u);
    EXPECT_EQ(sockets.sent[0].address, *c.sent_to);
  } else {
    EXPECT_EQ(failure, "Host Lookup Canceled");
    EXPECT_THAT(sockets.sent, IsEmpty());
  }
}

const Ipv4Address kFound = MakeAddress(192, 0, 2, 9);
const Ipv4Address kFoundLater = MakeAddress(198, 51, 100, 1);
const LookupScript kFails{false, 0, milliseconds(30)};
const LookupScript kNeverFinishes{false, 0, std::nullopt};

INSTANTIATE_TEST_SUITE_P(Cases, NmudpLookupTest,
                         ::testing::Values(LookupCase{"Found",
                                                      {{true, kFound, milliseconds(40)}},
                                                      HostRepair::kNoListener,
                                                      kFound,
                                                      1,
                                                      0,
                                                      milliseconds(40)},
                                           LookupCase{"FailsWithoutListener",
                                                      {kFails},
                                                      HostRepair::kNoListener,
                                                      std::nullopt,
                                                      1,
                                                      0,
                                                      milliseconds(30)},
                                           LookupCase{"FailsListenerUnhandled",
                                                      {kFails},
                                                      HostRepair::kUnhandled,
                                                      std::nullopt,
                                                      1,
                                                      1,
                                                      milliseconds(30)},
                                           LookupCase{"FailsTwice",
                                                      {kFails, kFails},
                                                      HostRepair::kHandled,
                                                      std::nullopt,
                                                      2,
                                                      1,
                                                      milliseconds(60)},
                                           LookupCase{
                                               "FoundOnSecondLookup",
                                               {kFails, {true, kFoundLater, milliseconds(5)}},
                                               HostRepair::kHandled,
                                               kFoundLater,
                                               2,
                                               1,
                                               milliseconds(35)},
                                           // The wait for one lookup is bounded by ten seconds.
                                           LookupCase{"FinishesJustInTime",
                                                      {{true, kFound, milliseconds(10000)}},
                                                      HostRepair::kNoListener,
                                                      kFound,
                                                      1,
                                                      0,
                                                      milliseconds(10000)},
                                           LookupCase{"FinishesTooLate",
                                                      {{true, kFound, milliseconds(10001)}},
                                                      HostRepair::kNoListener,
                                                      std::nullopt,
                                                      1,
                                                      0,
                                                      milliseconds(10000)},
                                           LookupCase{"NeverFinishesTwice",
                                                      {kNeverFinishes, kNeverFinishes},
                                                      HostRepair::kHandled,
                                                      std::nullopt,
                                                      2,
                                                      1,
                                                      milliseconds(20000)}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(NmudpTest, AbortFromInvalidHostListenerPassesOutUnchanged) {
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "nowhere.example";
  sockets.lookups.push_back(kFails);
  endpoint->OnInvalidHost = [](bool&) { throw EAbort(); };

  EXPECT_THROW(endpoint->SendDatagram(Bytes(48), 48), EAbort);
  EXPECT_THAT(sockets.sent, IsEmpty());
}

TEST_F(NmudpTest, DatagramsAreHandledWhileWaitingForLookup) {
  auto endpoint = MakeListening();
  endpoint->RemoteHost = "time.example";
  sockets.lookups.push_back({true, kFound, milliseconds(100)});
  sockets.incoming.push_back({Bytes{9, 9}});
  sockets.during_wait = [&] { sockets.DeliverReadable(); };
  std::vector<std::int32_t> received;
  endpoint->OnDataReceived = [&](UdpEndpoint&, const ReceivedDatagram& datagram) {
    received.push_back(datagram.number_bytes);
  };

  endpoint->SendDatagram(Bytes(48), 48);

  EXPECT_THAT(received, ElementsAre(2));
  EXPECT_EQ(sockets.sent.size(), 1u);
}

// --- Receiving ---

TEST_F(NmudpTest, AnEndpointListeningToOneSenderDropsTheOthers) {
  auto endpoint = MakeListening();
  const Ipv4Address server = MakeAddress(192, 0, 2, 10);
  endpoint->AcceptOnlyFrom(server, 123);
  sockets.incoming.push_back({Bytes{1}, MakeAddress(203, 0, 113, 9), 123});  // someone else
  sockets.incoming.push_back({Bytes{2}, server, 124});                       // another port
  sockets.incoming.push_back({Bytes{3}, server, 123});
  std::vector<Bytes> received;
  endpoint->OnDataReceived = [&](UdpEndpoint&, const ReceivedDatagram& datagram) {
    received.emplace_back(datagram.bytes.begin(), datagram.bytes.end());
  };

  sockets.DeliverAllReadable();
  EXPECT_THAT(received, ElementsAre(Bytes{3}));
  EXPECT_TRUE(sockets.incoming.empty());  // the others left the socket all the same
}

TEST_F(NmudpTest, DeliversEachDatagramWithSenderArrivalAndOwnContents) {
  auto endpoint = MakeListening();
  // The first was taken from the socket earlier than its handler runs (a layer that receives
  // on a thread of its own); the second is stamped by the layer with the endpoint's clock.
  sockets.incoming.push_back({Bytes{1, 2, 3}, MakeAddress(192, 168, 1, 20), 123, 43'831.25});
  sockets.incoming.push_back({Bytes{4, 5}, MakeAddress(10, 0, 0, 255), 65535});
  struct Received {
    std::int32_t count;
    Ipv4Address from;
    std::uint16_t port;
    double arrival;
    Bytes handed;  // the datagram's bytes as the handler got them
    Bytes read;    // and as ReadDatagram copies them
  };
  std::vector<Received> received;
  endpoint->OnDataReceived = [&](UdpEndpoint& sender, const ReceivedDatagram& datagram) {
    std::array<std::uint8_t, 50> area{};
    const std::int32_t copied = sender.ReadDatagram(area);
    received.push_back({datagram.number_bytes, datagram.from, datagram.port, datagram.arrival,
                        Bytes(datagram.bytes.begin(), datagram.bytes.end()),
                        Bytes(area.begin(), area.begin() + copied)});
    clock_reading += 1;  // time passes while a handler runs
  };

  EXPECT_EQ(sockets.DeliverAllReadable(), 2);

  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].count, 3);
  EXPECT_EQ(received[0].from, MakeAddress(192, 168, 1, 20));
  EXPECT_EQ(received[0].port, 123);
  EXPECT_EQ(received[0].arrival, 43'831.25);
  EXPECT_EQ(received[0].handed, (Bytes{1, 2, 3}));
  EXPECT_EQ(received[0].read, (Bytes{1, 2, 3}));
  EXPECT_EQ(received[1].count, 2);
  EXPECT_EQ(received[1].from, MakeAddress(10, 0, 0, 255));
  EXPECT_EQ(received[1].port, 65535);
  EXPECT_EQ(received[1].arrival, 43'832.5);  // the reading when the layer took it
  EXPECT_EQ(received[1].handed, (Bytes{4, 5}));
  EXPECT_EQ(received[1].read, (Bytes{4, 5}));
}

TEST_F(NmudpTest, DatagramWithoutListenerIsConsumedAndLost) {
  auto endpoint = MakeListening();
  sockets.incoming.push_back({Bytes{1, 2, 3}});

  EXPECT_TRUE(sockets.DeliverReadable());
  EXPECT_THAT(sockets.calls, ElementsAre("recvfrom 2"));
  EXPECT_THAT(sockets.incoming, IsEmpty());

  int events = 0;
  endpoint->OnDataReceived = [&](UdpEndpoint&, const ReceivedDatagram&) { ++events; };
  sockets.DeliverAllReadable();
  EXPECT_EQ(events, 0);
}

struct ReadCase {
  const char* name;
  std::size_t datagram_size;
  std::size_t destination_size;
  std::int32_t number_bytes;
  std::int32_t copied;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
  *out << c.name;
}

class NmudpReadTest : public NmudpTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(NmudpReadTest, ReadDatagramNeverWritesPastDestination) {
  const ReadCase& c = GetParam();
  auto endpoint = MakeListening();
  Bytes datagram(c.datagram_size);
  for (std::size_t i = 0; i < datagram.size(); ++i) {
    datagram[i] = static_cast<std::uint8_t>(i % 251 + 1);
  }
  sockets.incoming.push_back({datagram});
  constexpr std::uint8_t kGuard = 0xA5;
  Bytes destination(c.destination_size + 16, kGuard);
  std::int32_t number_bytes = 0;
  std::int32_t copied = 0;
  Bytes handed;
  endpoint->OnDataReceived = [&](UdpEndpoint& sender, const ReceivedDatagram& received) {
    number_bytes = received.number_bytes;
    handed.assign(received.bytes.begin(), received.bytes.end());
    copied = sender.ReadDatagram(std::span(destination).first(c.destination_size));
  };

  sockets.DeliverReadable();

  EXPECT_EQ(number_bytes, c.number_bytes);
  EXPECT_EQ(copied, c.copied);
  // The handler gets the whole datagram, or nothing after a failed receive.
  EXPECT_EQ(handed, number_bytes > 0 ? datagram : Bytes{});
  const std::size_t written = copied > 0 ? static_cast<std::size_t>(copied) : 0;
  EXPECT_TRUE(std::equal(destination.begin(), destination.begin() + written, datagram.begin()));
  EXPECT_TRUE(std::all_of(destination.begin() + written, destination.end(),
                          [](std::uint8_t byte) { return byte == kGuard; }));
}

INSTANTIATE_TEST_SUITE_P(Cases, NmudpReadTest,
                         ::testing::Values(ReadCase{"FitsDestination", 48, 50, 48, 48},
                                           ReadCase{"LargerThanDestination", 2048, 50, 2048, 50},
                                           ReadCase{"LargerThanReceiveArea", 2049, 50, -1, -1},
                                           ReadCase{"Empty", 0, 50, 0, 0}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(NmudpTest, NotificationsBeforeCreationCompletedAreIgnored) {
  sockets.incoming.push_back({Bytes{1}});
  sockets.during_startup = [&] { sockets.events->OnReadable(); };

  UdpEndpoint endpoint(sockets.Factory(), arrival_clock);

  EXPECT_THAT(sockets.CallsStartingWith("recvfrom"), IsEmpty());
  EXPECT_EQ(sockets.incoming.size(), 1u);
}

}  // namespace
}  // namespace tempiko::net
