// The relay time server as the main window runs it: LAN clients ask on port 123, one exchange
// with the server answers all of them, each with its own Originate Timestamp, from port 123.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "main_form_fixture.h"

namespace tempiko::app::main_form_fixture {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kForwardedLog[] = "クライアントにデータを送信しました";
constexpr char kPortTaken[] = "ポート123を使用できないため代理サーバは動作しません";

// One datagram a client sends to port 123.
struct Request {
  net::Ipv4Address from;
  std::uint16_t port = 40000;
  std::uint8_t first_byte = 0x23;
  std::size_t length = 48;
  std::uint8_t tag = 1;  // fills its Transmit Timestamp, so each answer shows whose it is
};

const net::Ipv4Address kClientA = fakes::MakeAddress(192, 168, 1, 31);
const net::Ipv4Address kClientB = fakes::MakeAddress(192, 168, 1, 32);
const net::Ipv4Address kOwnAddress = fakes::MakeAddress(192, 168, 1, 20);  // kComputerIp

class RelayTest : public Form1Test {
 protected:
  // The program with the relay on or off, the test's server chosen.
  MainForm& CreateRelay(bool relay_on = true) {
    MainForm& f = Create(relay_on ? "Agent=1\r\n" : "Agent=0\r\n");
    server_box.Type(kServerIp);
    return f;
  }

  void Ask(const Request& request) {
    std::vector<std::uint8_t> bytes(request.length, 0);
    bytes[0] = request.first_byte;
    for (std::size_t i = 40; i < std::min<std::size_t>(48, bytes.size()); ++i)
      bytes[i] = request.tag;
    relay_sockets.incoming.push_back({bytes, request.from, request.port});
    relay_sockets.DeliverAllReadable();
  }

  // The requests that went to the server.
  std::size_t UpstreamRequests() const { return client_sockets.sent.size(); }

  int ForwardLines() {
    const auto lines = log.Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), kForwardedLog));
  }

  // The answer is the server's reply as received, but for the client's own Originate
  // Timestamp: the Transmit Timestamp of its request.
  void ExpectAnswer(const fakes::SentDatagram& answer, const Request& request) {
    EXPECT_EQ(answer.address, request.from);
    EXPECT_EQ(answer.port, request.port);
    ASSERT_EQ(answer.bytes.size(), 48u);
    for (std::size_t i = 0; i < 48; ++i) {
      const std::uint8_t expected = (i >= 24 && i < 32) ? request.tag : last_reply[i];
      EXPECT_EQ(answer.bytes[i], expected) << "byte " << i;
    }
  }

  // After a forward: nothing left waiting, the run over, the clock untouched.
  void ExpectForwardEnded(MainForm& f) {
    EXPECT_FALSE(f.Relay().HasWaitingClients());
    EXPECT_FALSE(f.Run().RunInProgress());
    EXPECT_FALSE(Running(f.reply_timer()));
    EXPECT_TRUE(connect_button.Enabled());
    EXPECT_THAT(system_clock.SystemTimeSettings(), IsEmpty());
    EXPECT_EQ(ForwardLines(), 1);
  }
};

// --- Which requests are answered ---

struct AcceptanceCase {
  const char* name;
  std::vector<Request> requests;
  std::vector<int> answered;  // indices into requests, in the order of the answers
};

void PrintTo(const AcceptanceCase& c, std::ostream* out) {
  *out << c.name;
}

class RelayAcceptanceTest : public RelayTest,
                            public ::testing::WithParamInterface<AcceptanceCase> {};

TEST_P(RelayAcceptanceTest, OneExchangeAnswersEveryAcceptedRequest) {
  const AcceptanceCase& c = GetParam();
  MainForm& f = CreateRelay();
  for (const Request& request : c.requests)
    Ask(request);

  if (c.answered.empty()) {
    EXPECT_EQ(workers.started, 0);
    EXPECT_EQ(UpstreamRequests(), 0u);
    EXPECT_FALSE(f.Relay().HasWaitingClients());
    return;
  }
  EXPECT_EQ(workers.started, 1);
  EXPECT_EQ(UpstreamRequests(), 1u);
  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), c.answered.size());
  for (std::size_t i = 0; i < c.answered.size(); ++i)
    ExpectAnswer(relay_sockets.sent[i], c.requests[c.answered[i]]);
  ExpectForwardEnded(f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RelayAcceptanceTest,
    ::testing::Values(
        AcceptanceCase{"TwoClients",
                       {{.from = kClientA, .tag = 1}, {.from = kClientB, .port = 123, .tag = 2}},
                       {0, 1}},
        AcceptanceCase{"SameClientTwice",
                       {{.from = kClientA, .tag = 1}, {.from = kClientA, .tag = 2}},
                       {0, 1}},
        // The leap bits describe the client's clock: unsynchronised clients ask with 0xE3.
        AcceptanceCase{
            "LeapBitsIgnored",
            {{.from = kClientA, .first_byte = 0xE3}, {.from = kClientB, .first_byte = 0x63}},
            {0, 1}},
        AcceptanceCase{"LongerRequestTakenAsItsFirst48Bytes",
                       {{.from = kClientA, .length = 49}, {.from = kClientB, .length = 2048}},
                       {0, 1}},
        AcceptanceCase{"OtherVersionsAndModesIgnored",
                       {{.from = kClientA, .first_byte = 0x1B},
                        {.from = kClientA, .first_byte = 0xDB},
                        {.from = kClientA, .first_byte = 0x24},
                        {.from = kClientA, .first_byte = 0x13},
                        {.from = kClientB, .tag = 7}},
                       {4}},
        AcceptanceCase{"ShortRequestsIgnored",
                       {{.from = kClientA, .length = 1}, {.from = kClientA, .length = 47}},
                       {}},
        AcceptanceCase{"OwnAddressIgnored", {{.from = kOwnAddress}}, {}},
        AcceptanceCase{"BroadcastSenderIgnored", {{.from = net::kAddressNone}}, {}}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- The queue's life ---

TEST_F(RelayTest, NoReplyEmptiesTheQueueAtTheTimeoutAndNobodyIsAnswered) {
  MainForm& f = CreateRelay();
  Ask({.from = kClientA, .tag = 1});
  timers.Advance(sync::SyncRun::kReplyTimeoutOnlineMs);

  EXPECT_FALSE(f.Relay().HasWaitingClients());
  EXPECT_EQ(status_bar.Text(), "サーバからの応答がありませんでした");
  // The next client's run answers that client alone.
  Ask({.from = kClientB, .tag = 2});
  EXPECT_EQ(UpstreamRequests(), 2u);
  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), 1u);
  ExpectAnswer(relay_sockets.sent[0], {.from = kClientB, .tag = 2});
}

TEST_F(RelayTest, OptionOffStartsNothingAndDrainsTheRequest) {
  MainForm& f = CreateRelay(/*relay_on=*/false);
  Ask({.from = kClientA});

  EXPECT_TRUE(relay_sockets.incoming.empty());  // taken from the socket all the same
  EXPECT_EQ(workers.started, 0);
  EXPECT_FALSE(f.Relay().HasWaitingClients());
  EXPECT_THAT(relay_sockets.sent, IsEmpty());
}

TEST_F(RelayTest, SwitchingOffWhileClientsWaitStillAnswersThem) {
  MainForm& f = CreateRelay();
  Ask({.from = kClientA, .tag = 1});
  relay_box.SetChecked(false);
  f.OnResidentOptionChanged();
  Ask({.from = kClientB, .tag = 2});  // no longer listened to

  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), 1u);
  ExpectAnswer(relay_sockets.sent[0], {.from = kClientA, .tag = 1});
  ExpectForwardEnded(f);
}

TEST_F(RelayTest, RequestDuringAUserRunJoinsItsAnswer) {
  MainForm& f = CreateRelay();
  f.PressConnect();
  Ask({.from = kClientA, .tag = 1});

  EXPECT_EQ(UpstreamRequests(), 1u);
  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), 1u);
  ExpectForwardEnded(f);  // the reply went to the client, not to this computer's clock
}

TEST_F(RelayTest, OnlyTheServersAnswerIsForwarded) {
  MainForm& f = CreateRelay();
  Ask({.from = kClientA, .tag = 1});
  // A forged reply from elsewhere, and one from the server's address but another port.
  const auto forged = fakes::DatagramOf(fakes::BuildNtpReply({.stratum = 1}));
  client_sockets.incoming.push_back({forged, fakes::MakeAddress(203, 0, 113, 9), 123});
  client_sockets.incoming.push_back({forged, kServerAddress, 124});
  client_sockets.DeliverAllReadable();

  EXPECT_THAT(relay_sockets.sent, IsEmpty());
  EXPECT_TRUE(f.Relay().HasWaitingClients());
  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), 1u);
  ExpectAnswer(relay_sockets.sent[0], {.from = kClientA, .tag = 1});
}

TEST_F(RelayTest, TheQueueHoldsAtMost256Clients) {
  MainForm& f = CreateRelay();
  const std::size_t asked = sync::RelayClients::kMaxWaiting + 1;
  for (std::size_t i = 0; i < asked; ++i)
    Ask({.from = kClientA, .port = static_cast<std::uint16_t>(1000 + i)});

  EXPECT_EQ(f.Relay().WaitingCount(), sync::RelayClients::kMaxWaiting);
  EXPECT_EQ(UpstreamRequests(), 1u);
  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), sync::RelayClients::kMaxWaiting);
  EXPECT_EQ(relay_sockets.sent.back().port, 1000 + sync::RelayClients::kMaxWaiting - 1);
}

TEST_F(RelayTest, AClientThatCannotBeSentToIsSkipped) {
  MainForm& f = CreateRelay();
  Ask({.from = fakes::MakeAddress(0, 0, 0, 0), .tag = 1});
  Ask({.from = kClientB, .tag = 2});

  DeliverReply(3000);
  ASSERT_EQ(relay_sockets.sent.size(), 1u);
  ExpectAnswer(relay_sockets.sent[0], {.from = kClientB, .tag = 2});
  ExpectForwardEnded(f);
  EXPECT_EQ(shell.Count("ShowError"), 0);
}

// --- Port 123 held by another program ---

TEST_F(RelayTest, ARelayWithoutItsPortSaysSoAtStartUp) {
  relay_sockets.bind_error = net::kWsaEAddrInUse;
  CreateRelay();

  EXPECT_EQ(status_bar.Text(), kPortTaken);
  EXPECT_EQ(log.Lines().back(), kPortTaken);
  EXPECT_THAT(log.Lines(), Contains("最終更新日＞不明"));  // the creation's line came first
}

TEST_F(RelayTest, ARelayWithoutItsPortSaysSoWhenTicked) {
  relay_sockets.bind_error = net::kWsaEAddrInUse;
  MainForm& f = CreateRelay(/*relay_on=*/false);
  EXPECT_THAT(log.Lines(), ::testing::Not(Contains(kPortTaken)));

  relay_box.SetChecked(true);
  f.OnResidentOptionChanged();
  EXPECT_EQ(status_bar.Text(), kPortTaken);
  period_field.SetValue(3);  // another change while on says nothing more
  f.OnResidentOptionChanged();
  const auto lines = log.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kPortTaken), 1);
}

TEST_F(RelayTest, ARelayWithItsPortSaysNothing) {
  CreateRelay();
  EXPECT_THAT(log.Lines(), ::testing::Not(Contains(kPortTaken)));
}

}  // namespace
}  // namespace tempiko::app::main_form_fixture
