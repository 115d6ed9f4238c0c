// The synchronisation run end to end in virtual time, as the window shows it: the run and the
// window's presenter, the worker (on the test thread), the real UDP endpoint over the scripted
// socket layer, a recording clock, in-memory controls.

#include "sync/sync_run.h"

#include "app/run_presenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_run_ports.h"
#include "fakes/fake_socket_layer.h"
#include "fakes/fake_window_thread.h"
#include "fakes/ntp_replies.h"
#include "fakes/scripted_host_resolver.h"
#include "fakes/virtual_timer_host.h"
#include "fakes/watched_controls.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

using fakes::MakeAddress;
using fakes::NtpReplyFields;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr char kServerName[] = "ntp.example.jp";
constexpr char kServerIp[] = "192.0.2.10";
const net::Ipv4Address kServerAddress = MakeAddress(192, 0, 2, 10);
constexpr std::uint16_t kNtpPort = 123;

constexpr char kCorrected[] = "補正完了";
constexpr char kNoResponse[] = "サーバからの応答がありませんでした";
constexpr char kServerNotFound[] = "サーバーが見つかりません";
constexpr char kDelayTooLong[] = "応答時間が長いため補正しませんでした";
constexpr char kNotSent[] = "±0";

DateTime Utc(int hour, int minute, int second, int millisecond) {
  return EncodeDateTime({2020, 1, 1, hour, minute, second, millisecond});
}

// The run sends its request at this instant (UTC); the tests give the other instants relative
// to it, in milliseconds.
const DateTime kT1 = Utc(12, 0, 0, 0);
DateTime AfterT1(int ms) {
  return kT1 + ms / kMillisecondsPerDay;
}
CalendarFields FieldsAfterT1(int ms) {
  return SplitDateTime(AfterT1(ms));
}

// A reply of a stratum-2 server that received our request `receive_ms` after T1 and sent its
// answer `transmit_ms` after T1.
NtpReplyFields ReplyOf(int receive_ms, int transmit_ms) {
  NtpReplyFields fields;
  fields.reference = Utc(11, 0, 0, 0);
  fields.receive = AfterT1(receive_ms);
  fields.transmit = AfterT1(transmit_ms);
  return fields;
}

class SyncRunTest : public ::testing::Test {
 protected:
  SyncRunTest() {
    connect_button.OnClick = [this] {
      run.Start(server_box.Text());
    };  // as the main window binds it
    client_endpoint.SetLocalPort(8263);
    client_endpoint.StartListening();
    resolver.hosts[kServerName] = kServerAddress;
    SetUtcNow(kT1);
    clock.TakeBase();  // as the main window does when it is created
  }

  void TearDown() override {
    EXPECT_THAT(roles.violations, IsEmpty());
    EXPECT_THAT(workers.escaped, IsEmpty());
  }

  void SetUtcNow(DateTime utc) { system_clock.SetLocalNow(utc + fakes::FakeClock::kJapanShift); }

  // Types the server and presses Connect; the worker runs to its end at once.
  void StartRun(const std::string& server = kServerName) {
    server_box.Type(server);
    connect_button.Click();
  }

  // The datagram reaches port 8263 `arrival_ms` after T1.
  void Deliver(const NtpReplyFields& fields, int arrival_ms = 100,
               std::size_t length = kNtpMessageSize, net::Ipv4Address from = kServerAddress,
               std::uint16_t from_port = kNtpPort) {
    SetUtcNow(AfterT1(arrival_ms));
    sockets.incoming.push_back({fakes::DatagramOf(BuildNtpReply(fields), length), from, from_port});
    sockets.DeliverAllReadable();
  }

  // A reply that sets the clock with the default tolerance.
  void DeliverGoodReply() { Deliver(ReplyOf(3050, 3052)); }

  std::vector<std::string> Log() const { return log.Lines(); }
  std::size_t LogSize() const { return log.Lines().size(); }
  bool TimeoutArmed() const {
    return reply_timer.Enabled() && timers.DueTime(reply_timer).has_value();
  }

  // Ports. Those others refer to come first.
  fakes::ThreadRoles roles;
  fakes::VirtualTimerHost timers{&roles};
  fakes::WatchedButton connect_button{roles, "Button1", "接続"};
  fakes::WatchedComboBox server_box{roles, "ComboBox1"};
  fakes::WatchedLabel offset_label{roles, "Label1", kNotSent};
  fakes::WatchedLabel clock_label{roles, "Label4", "clock"};
  fakes::WatchedStatusBar status_bar{roles, "StatusBar1"};
  fakes::WatchedMemo log{roles, "Memo1"};
  fakes::WatchedSpinEdit tolerance_field{roles, "SpinEdit1", 200};
  loop::Timer reply_timer{timers, 30000, false};
  fakes::FakeSockets sockets;
  fakes::FakeClock system_clock;
  ClockReader clock{system_clock};
  // Stamps each datagram with the run's own clock reading, as the main window wires it.
  net::UdpEndpoint client_endpoint{sockets.Factory(), [this] { return clock.UtcNow(); }};
  fakes::ScriptedHostResolver resolver;
  fakes::InlineWindowThread window{roles};
  fakes::FakeWorkerStarter workers{roles};
  Locale locale = Locale::Japanese();
  fakes::FakeProgramShell shell;
  CorrectionRecord record;
  fakes::FakeDialLink dial;
  fakes::FakeRelayQueue relay;
  app::RunPresenter presenter{{.connect_button = connect_button,
                               .offset_label = offset_label,
                               .clock_label = clock_label,
                               .status_bar = status_bar,
                               .log = log,
                               .tolerance_ms = tolerance_field},
                              locale};
  SyncRun run{{.view = presenter,
               .reply_timer = reply_timer,
               .endpoint = client_endpoint,
               .clock = clock,
               .resolver = resolver,
               .window = window,
               .workers = workers,
               .shell = shell,
               .record = record,
               .dial = dial,
               .relay = relay}};
};

// --- The whole run ---

TEST_F(SyncRunTest, WorkedExampleSetsTheClockAndLogsEveryLine) {
  StartRun();
  NtpReplyFields reply = ReplyOf(3050, 3052);
  reply.stratum = 1;
  reply.reference_id = {'G', 'P', 'S', 0};
  reply.reference = Utc(11, 59, 0, 0);
  Deliver(reply, 100);

  EXPECT_THAT(Log(), ElementsAre("Request:2020/01/01 21:00:00",  // local time, UTC+9
                                 "NTPサーバ:ntp.example.jp", "IPアドレス:192.0.2.10",
                                 "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263", "Leap Indicator:0",
                                 "Version Number:4", "Mode:4", "Stratum:1", "Poll:6",
                                 "Precision:-20", "Reference Identifier:GPS",
                                 "Reference Timestamp(UTC):2020/01/01 11:59:00.000",
                                 "Originate Timestamp(UTC):2020/01/01 12:00:00.000",
                                 "Receive Timestamp(UTC):2020/01/01 12:00:03.050",
                                 "Transmit Timestamp(UTC):2020/01/01 12:00:03.052",
                                 "Destination Timestamp(UTC):2020/01/01 12:00:00.100",
                                 "往復遅延時間:00:00:00.098", "誤差:00:00:03.001", kCorrected));
  // The new time is the reading at the reply plus the offset.
  EXPECT_THAT(system_clock.SystemTimeSettings(), ElementsAre(FieldsAfterT1(100 + 3001)));
  EXPECT_EQ(offset_label.Text(), "-00:00:03.001");
  EXPECT_EQ(clock_label.Text(), "2020/01/01 21:00:00");
  EXPECT_EQ(status_bar.Text(), kCorrected);
  EXPECT_EQ(record.last_time, system_clock.LocalNow());
  EXPECT_EQ(run.T1(), kT1);
  EXPECT_EQ(run.DialResult(), drOnline);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_FALSE(run.RunInProgress());
}

TEST_F(SyncRunTest, RequestIs0x23And47ZerosToPort123OfTheServer) {
  status_bar.SetText("old status");
  offset_label.SetText("+00:00:09.000");
  StartRun();

  ASSERT_THAT(sockets.sent, SizeIs(1));
  std::vector<std::uint8_t> expected(48, 0);
  expected[0] = 0x23;
  EXPECT_EQ(sockets.sent[0].bytes, expected);
  EXPECT_EQ(sockets.sent[0].address, kServerAddress);
  EXPECT_EQ(sockets.sent[0].port, kNtpPort);
  // About to wait for the reply: Connect off, the timeout armed, the offset label reset.
  EXPECT_FALSE(connect_button.Enabled());
  EXPECT_TRUE(TimeoutArmed());
  EXPECT_EQ(offset_label.Text(), kNotSent);
  EXPECT_EQ(status_bar.Text(), "");
  EXPECT_TRUE(run.RunInProgress());
}

TEST_F(SyncRunTest, ConstructionLeavesTheTimeoutOffAt30000Ms) {
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_EQ(reply_timer.Interval(), 30000u);
  EXPECT_FALSE(run.RunInProgress());
}

// --- Judging the reply ---

struct JudgementCase {
  const char* name;
  int receive_ms;   // T2 − T1
  int transmit_ms;  // T3 − T1
  int arrival_ms;   // T4 − T1
  int tolerance_ms;
  std::string status;
  std::optional<std::string> offset_line;  // nothing: no "誤差:" line
  std::optional<CalendarFields> setting;   // nothing: the clock is not set
  std::string label;                       // "" when the case does not check it
};

void PrintTo(const JudgementCase& c, std::ostream* out) {
  *out << c.name;
}

class JudgementTest : public SyncRunTest, public ::testing::WithParamInterface<JudgementCase> {};

TEST_P(JudgementTest, DelayAndToleranceDecideTheCorrection) {
  const JudgementCase& c = GetParam();
  tolerance_field.SetValue(c.tolerance_ms);
  record.last_time = 40000.5;
  StartRun();
  Deliver(ReplyOf(c.receive_ms, c.transmit_ms), c.arrival_ms);

  EXPECT_EQ(status_bar.Text(), c.status);
  EXPECT_EQ(Log().back(), c.status);
  if (c.offset_line) {
    EXPECT_THAT(Log(), Contains(*c.offset_line));
  } else {
    EXPECT_THAT(Log(), Not(Contains(StartsWith("誤差:"))));
  }
  const auto settings = system_clock.SystemTimeSettings();
  if (c.setting) {
    EXPECT_THAT(settings, ElementsAre(*c.setting));
    EXPECT_EQ(record.last_time, system_clock.LocalNow());
  } else {
    EXPECT_THAT(settings, IsEmpty());
    EXPECT_EQ(record.last_time, 40000.5);
    EXPECT_EQ(offset_label.Text(), kNotSent);
  }
  if (!c.label.empty()) {
    EXPECT_EQ(offset_label.Text(), c.label);
  }
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
}

// Offsets are (T2 − T1 + T3 − T4) / 2: with T2 = T3 = x + 5 and T4 = 10, the offset is x.
INSTANTIATE_TEST_SUITE_P(
    Cases, JudgementTest,
    ::testing::Values(
        JudgementCase{"DelayOf2000MsIsTooLong", 1000, 1000, 2000, 0, kDelayTooLong, std::nullopt,
                      std::nullopt, ""},
        // The server's hold time does not count: 2.4 s on the way, 0.5 s of it at the server.
        JudgementCase{"HoldTimeIsSubtracted", 1000, 1500, 2400, 0, kCorrected, "誤差:00:00:00.050",
                      FieldsAfterT1(2450), "-00:00:00.050"},
        JudgementCase{"OffsetEqualToToleranceIsCorrected", 205, 205, 10, 200, kCorrected,
                      "誤差:00:00:00.200", FieldsAfterT1(210), "-00:00:00.200"},
        JudgementCase{"NegativeOffsetEqualToToleranceIsCorrected", -195, -195, 10, 200, kCorrected,
                      "誤差:00:00:00.200", FieldsAfterT1(-190), "+00:00:00.200"},
        JudgementCase{"OffsetOneMsBelowToleranceIsNot", 204, 204, 10, 200,
                      "200ms以内誤差のため補正しませんでした", "誤差:00:00:00.199", std::nullopt,
                      ""},
        JudgementCase{"ToleranceZeroCorrectsOffsetZero", 5, 5, 10, 0, kCorrected,
                      "誤差:00:00:00.000", FieldsAfterT1(10), "-00:00:00.000"},
        JudgementCase{"ComputerBehindShowsMinus", 1505, 1505, 10, 200, kCorrected,
                      "誤差:00:00:01.500", FieldsAfterT1(1510), "-00:00:01.500"},
        JudgementCase{"ComputerAheadShowsPlus", -1495, -1495, 10, 200, kCorrected,
                      "誤差:00:00:01.500", FieldsAfterT1(-1490), "+00:00:01.500"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- The destination instant T4 ---

struct ArrivalCase {
  const char* name;
  bool stamped_earlier;  // the layer took the datagram at T1 + 100, its handler runs later
  int handler_ms;        // the clock's reading (after T1) when the handler starts
  int per_log_line_ms;   // the time each log line takes to draw
  int corrected_at_ms;   // the reading at the correction
};

void PrintTo(const ArrivalCase& c, std::ostream* out) {
  *out << c.name;
}

class ArrivalTest : public SyncRunTest, public ::testing::WithParamInterface<ArrivalCase> {};

// The reply left the socket at T1 + 100 whatever kept the window thread from it: T4 is that
// instant, and only the correction itself reads the clock again.
TEST_P(ArrivalTest, T4IsTheInstantTheReplyLeftTheSocket) {
  const ArrivalCase& c = GetParam();
  tolerance_field.SetValue(0);
  StartRun();
  log.after_append = [this, &c] { system_clock.Advance(c.per_log_line_ms); };
  SetUtcNow(AfterT1(c.handler_ms));
  fakes::IncomingDatagram datagram{fakes::DatagramOf(BuildNtpReply(ReplyOf(3050, 3052))),
                                   kServerAddress, kNtpPort};
  if (c.stamped_earlier) {
    datagram.arrival = AfterT1(100);
  }
  sockets.incoming.push_back(datagram);
  sockets.DeliverAllReadable();
  log.after_append = nullptr;

  EXPECT_THAT(Log(), Contains("Destination Timestamp(UTC):2020/01/01 12:00:00.100"));
  EXPECT_THAT(Log(), Contains("往復遅延時間:00:00:00.098"));
  EXPECT_THAT(Log(), Contains("誤差:00:00:03.001"));
  EXPECT_THAT(system_clock.SystemTimeSettings(),
              ElementsAre(FieldsAfterT1(c.corrected_at_ms + 3001)));
}

// Ten report lines, then the destination, delay and offset lines come before the correction.
INSTANTIATE_TEST_SUITE_P(Cases, ArrivalTest,
                         ::testing::Values(ArrivalCase{"Immediate", false, 100, 0, 100},
                                           ArrivalCase{"HandlerRunsLater", true, 900, 0, 900},
                                           ArrivalCase{"ReportTakesTimeToDraw", false, 100, 10,
                                                       100 + 13 * 10},
                                           ArrivalCase{"BothLate", true, 700, 25, 700 + 13 * 25}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

// An odd delay makes a half-millisecond offset, so this case stands apart from the table.
TEST_F(SyncRunTest, DelayOf1999MsGoesOnToTheTolerance) {
  tolerance_field.SetValue(0);
  StartRun();
  Deliver(ReplyOf(1000, 1000), 1999);
  EXPECT_THAT(Log(), Contains("往復遅延時間:00:00:01.999"));
  EXPECT_THAT(system_clock.SystemTimeSettings(), SizeIs(1));
}

// The clock takes whole milliseconds: the run sets the one its corrected time reaches next,
// at the moment it reaches it, instead of rounding a time that has a fraction.
TEST_F(SyncRunTest, ClockIsSetOnTheWholeMillisecondTheCorrectedTimeReaches) {
  tolerance_field.SetValue(0);
  StartRun();
  // The reply arrives 100.4 ms after T1: the offset is 3000.8 ms, the corrected time has a
  // fraction of a millisecond, and a precise clock moves on 10 µs at each reading.
  SetUtcNow(AfterT1(100) + 0.4 / kMillisecondsPerDay);
  system_clock.SetStepPerReading(0.01);
  sockets.incoming.push_back(
      {fakes::DatagramOf(BuildNtpReply(ReplyOf(3050, 3052))), kServerAddress, kNtpPort});
  sockets.DeliverAllReadable();

  const auto settings = system_clock.SystemTimeSettings();
  ASSERT_THAT(settings, SizeIs(1));
  const DateTime set = EncodeDateTime(settings[0]);
  const DateTime true_time =
      system_clock.UtcAtSystemTimeSettings()[0] + 3000.8 / kMillisecondsPerDay;
  EXPECT_NEAR((set - true_time) * kMillisecondsPerDay, 0, 0.05);
  EXPECT_EQ(Log().back(), kCorrected);
}

// --- The timeout ---

struct TimeoutCase {
  const char* name;
  int dial_result;
  std::uint32_t interval_ms;
};

void PrintTo(const TimeoutCase& c, std::ostream* out) {
  *out << c.name;
}

class TimeoutIntervalTest : public SyncRunTest,
                            public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(TimeoutIntervalTest, DialResultSetsTheIntervalAndTheTimeoutEndsTheRun) {
  const TimeoutCase& c = GetParam();
  reply_timer.SetInterval(7000);  // as an earlier run left it
  dial.dial_result = c.dial_result;
  StartRun();
  ASSERT_EQ(reply_timer.Interval(), c.interval_ms);
  const std::size_t lines = LogSize();

  timers.Advance(c.interval_ms - 1);
  EXPECT_EQ(LogSize(), lines);
  EXPECT_FALSE(connect_button.Enabled());

  timers.Advance(1);
  EXPECT_EQ(Log().back(), kNoResponse);
  EXPECT_EQ(status_bar.Text(), kNoResponse);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_EQ(relay.clears, 1);
  EXPECT_FALSE(run.RunInProgress());
  EXPECT_EQ(shell.closes, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeoutIntervalTest,
                         ::testing::Values(TimeoutCase{"Online", drOnline, 5000},
                                           TimeoutCase{"LinkSeen", drLinkSeen, 5000},
                                           TimeoutCase{"Dialled", drDialled, 30000},
                                           TimeoutCase{"DialFailedKeepsTheLast", 691, 7000}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(SyncRunTest, TimeoutAfterTheReplyChangesNothing) {
  shell.first_argument = "-d";
  StartRun();
  DeliverGoodReply();
  ASSERT_EQ(shell.closes, 1);
  const auto lines = Log();

  run.OnReplyTimeout();  // a tick that was already on its way
  timers.Advance(60000);

  EXPECT_EQ(Log(), lines);
  EXPECT_EQ(shell.closes, 1);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_EQ(relay.clears, 0);
}

TEST_F(SyncRunTest, ReplyHandledBeforeTheWorkerArmsTheTimeoutLeavesItOff) {
  // A fast server: the reply reaches the window thread right after the send, before the
  // worker's last step.
  window.before_action = [this] {
    if (sockets.sent.size() == 1 && system_clock.SystemTimeSettings().empty()) {
      DeliverGoodReply();
    }
  };
  StartRun();
  window.before_action = nullptr;

  EXPECT_EQ(Log().back(), kCorrected);
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_EQ(reply_timer.Interval(), 5000u);
  const std::size_t lines = LogSize();
  timers.Advance(60000);
  EXPECT_EQ(LogSize(), lines);

  // And the next run works as usual.
  StartRun();
  EXPECT_THAT(sockets.sent, SizeIs(2));
  EXPECT_TRUE(TimeoutArmed());
}

TEST_F(SyncRunTest, ReplyHandledBeforeTheEndpointReportsTheSendIsStillTheReply) {
  // The reply can reach the window thread between the datagram leaving and the endpoint's
  // report of it (a server on the LAN, a busy worker): it is the run's reply all the same.
  sockets.during_send = [this] { window.Invoke([this] { DeliverGoodReply(); }); };
  StartRun();

  EXPECT_EQ(Log().back(), kCorrected);
  EXPECT_THAT(system_clock.SystemTimeSettings(), SizeIs(1));
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_TRUE(connect_button.Enabled());
}

// --- Replies that are not used ---

struct RejectedCase {
  const char* name;
  std::uint8_t first_byte;
  std::uint8_t stratum;
  bool zero_transmit;
};

void PrintTo(const RejectedCase& c, std::ostream* out) {
  *out << c.name;
}

class RejectedReplyTest : public SyncRunTest, public ::testing::WithParamInterface<RejectedCase> {};

TEST_P(RejectedReplyTest, IsReportedAndTheRunEndsByItsTimeout) {
  const RejectedCase& c = GetParam();
  StartRun();
  const std::size_t request_lines = LogSize();
  NtpReplyFields reply = ReplyOf(3050, 3052);
  reply.first_byte = c.first_byte;
  reply.stratum = c.stratum;
  if (c.zero_transmit) {
    reply.transmit = 0;
  }
  Deliver(reply);

  EXPECT_EQ(LogSize(), request_lines + 10);  // the report alone
  EXPECT_THAT(Log().back(), StartsWith("Transmit Timestamp(UTC):"));
  EXPECT_THAT(system_clock.SystemTimeSettings(), IsEmpty());
  EXPECT_FALSE(connect_button.Enabled());
  EXPECT_TRUE(TimeoutArmed());

  timers.Advance(5000);
  EXPECT_EQ(Log().back(), kNoResponse);
  EXPECT_TRUE(connect_button.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Cases, RejectedReplyTest,
                         ::testing::Values(RejectedCase{"LeapIndicator3", 0xDC, 2, false},
                                           RejectedCase{"Stratum0", 0x24, 0, false},
                                           RejectedCase{"ZeroTransmitTimestamp", 0x24, 2, true}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(SyncRunTest, DatagramOf47BytesIsIgnoredAndOf48Handled) {
  StartRun();
  const std::size_t lines = LogSize();

  Deliver(ReplyOf(3050, 3052), 100, 47);
  EXPECT_EQ(LogSize(), lines);
  EXPECT_TRUE(run.RunInProgress());

  Deliver(ReplyOf(3050, 3052), 100, 48);
  EXPECT_EQ(Log().back(), kCorrected);
}

struct StrangerCase {
  const char* name;
  net::Ipv4Address from;
  std::uint16_t port;
};

void PrintTo(const StrangerCase& c, std::ostream* out) {
  *out << c.name;
}

class StrangerDatagramTest : public SyncRunTest,
                             public ::testing::WithParamInterface<StrangerCase> {};

TEST_P(StrangerDatagramTest, IsDroppedAndTheServersReplyStillCounts) {
  const StrangerCase& c = GetParam();
  relay.waiting = 1;  // not even forwarded to waiting clients
  StartRun();
  const std::size_t lines = LogSize();

  NtpReplyFields forged = ReplyOf(60000, 60000);  // would move the clock a minute
  Deliver(forged, 100, kNtpMessageSize, c.from, c.port);
  EXPECT_EQ(LogSize(), lines);
  EXPECT_THAT(relay.forwarded, IsEmpty());
  EXPECT_TRUE(run.RunInProgress());

  relay.waiting = 0;
  DeliverGoodReply();
  EXPECT_EQ(Log().back(), kCorrected);
  EXPECT_THAT(system_clock.SystemTimeSettings(), ElementsAre(FieldsAfterT1(100 + 3001)));
}

INSTANTIATE_TEST_SUITE_P(Cases, StrangerDatagramTest,
                         ::testing::Values(StrangerCase{"OtherAddress", MakeAddress(192, 0, 2, 99),
                                                        kNtpPort},
                                           StrangerCase{"OtherPort", kServerAddress, 124},
                                           StrangerCase{"OurOwnPort", kServerAddress, 8263}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(SyncRunTest, DatagramWhileNoRunAwaitsAReplyIsDropped) {
  DeliverGoodReply();  // before any request
  EXPECT_THAT(Log(), IsEmpty());

  StartRun();
  DeliverGoodReply();
  const std::size_t lines = LogSize();
  DeliverGoodReply();  // the same answer once more, after the run has ended
  EXPECT_EQ(LogSize(), lines);
  EXPECT_THAT(system_clock.SystemTimeSettings(), SizeIs(1));
}

// --- The server ---

struct ServerCase {
  const char* name;
  std::string typed;
  std::string logged_address;
  std::vector<std::string> lookups;
};

void PrintTo(const ServerCase& c, std::ostream* out) {
  *out << c.name;
}

class ServerResolutionTest : public SyncRunTest,
                             public ::testing::WithParamInterface<ServerCase> {};

TEST_P(ServerResolutionTest, AddressIsUsedAsTypedOrLookedUp) {
  const ServerCase& c = GetParam();
  StartRun(c.typed);

  EXPECT_EQ(resolver.lookups, c.lookups);
  EXPECT_EQ(run.ServerAddress(), c.logged_address);
  EXPECT_THAT(Log(), Contains("NTPサーバ:" + c.typed));
  EXPECT_THAT(Log(), Contains("IPアドレス:" + c.logged_address));
  ASSERT_THAT(sockets.sent, SizeIs(1));
  EXPECT_EQ(sockets.sent[0].address, kServerAddress);
  // The reply is recognised by the address, however it was written.
  DeliverGoodReply();
  EXPECT_EQ(Log().back(), kCorrected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerResolutionTest,
    ::testing::Values(ServerCase{"Dotted", kServerIp, kServerIp, {}},
                      // inet_addr reads a part with a leading zero as octal: 012 is 10.
                      ServerCase{
                          "DottedWithLeadingZeros", "192.000.002.012", "192.000.002.012", {}},
                      ServerCase{"DottedInHexadecimal", "0xC0.0.0x2.0xA", "0xC0.0.0x2.0xA", {}},
                      ServerCase{"Name", kServerName, kServerIp, {kServerName}}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

class UnresolvableServerTest : public SyncRunTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(UnresolvableServerTest, EndsTheRunWithServerNotFound) {
  resolver.hosts["zero.example"] = MakeAddress(0, 0, 0, 0);
  shell.first_argument = "-d";
  StartRun(GetParam());

  EXPECT_THAT(Log(), ElementsAre(kServerNotFound));
  EXPECT_EQ(status_bar.Text(), kServerNotFound);
  EXPECT_THAT(sockets.sent, IsEmpty());
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_FALSE(run.RunInProgress());
  EXPECT_EQ(shell.closes, 1);  // an unattended start ends with its run
  EXPECT_EQ(relay.clears, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnresolvableServerTest,
                         ::testing::Values("unknown.example", "zero.example"));

TEST_F(SyncRunTest, EmptyServerBoxDoesNothing) {
  StartRun("");
  EXPECT_EQ(workers.started, 0);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_THAT(Log(), IsEmpty());
  EXPECT_FALSE(run.RunInProgress());
  EXPECT_EQ(shell.closes, 0);

  // An unattended start has no run to wait for.
  shell.first_argument = "-d";
  StartRun("");
  EXPECT_EQ(workers.started, 0);
  EXPECT_EQ(shell.closes, 1);
}

TEST_F(SyncRunTest, AddressTheEndpointCannotUseEndsTheRunAsInvalidHost) {
  // inet_addr refuses the broadcast address, the lookup hands it back, and the endpoint's own
  // lookup of it never succeeds.
  resolver.hosts["255.255.255.255"] = MakeAddress(255, 255, 255, 255);
  relay.waiting = 1;
  shell.first_argument = "-d";
  StartRun("255.255.255.255");

  EXPECT_EQ(Log().back(), kServerNotFound);
  EXPECT_EQ(status_bar.Text(), kServerNotFound);
  EXPECT_THAT(sockets.sent, IsEmpty());
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_FALSE(timers.DueTime(reply_timer).has_value());
  EXPECT_EQ(relay.clears, 1);
  EXPECT_FALSE(run.RunInProgress());

  const std::size_t lines = LogSize();
  timers.Advance(60000);
  EXPECT_EQ(LogSize(), lines);
  EXPECT_EQ(shell.closes, 1);  // once, at the ending; no timeout follows
}

// --- One run at a time ---

TEST_F(SyncRunTest, TriggerDuringARunStartsNoSecondOne) {
  workers.hold = true;
  StartRun();
  connect_button.Click();  // the periodic timer, the watcher or a relay request presses it too
  EXPECT_EQ(workers.started, 1);

  workers.RunHeld();
  connect_button.Click();  // awaiting the reply
  EXPECT_EQ(workers.started, 1);
  EXPECT_THAT(sockets.sent, SizeIs(1));

  DeliverGoodReply();
  connect_button.Click();
  EXPECT_EQ(workers.started, 2);
}

// --- Failures on the worker ---

struct WorkerFailureCase {
  const char* name;
  std::string typed;
  std::string dial_failure;
  std::string status;
};

void PrintTo(const WorkerFailureCase& c, std::ostream* out) {
  *out << c.name;
}

class WorkerFailureTest : public SyncRunTest,
                          public ::testing::WithParamInterface<WorkerFailureCase> {};

TEST_P(WorkerFailureTest, IsShownAndConnectIsUsableAgain) {
  const WorkerFailureCase& c = GetParam();
  dial.dial_failure = c.dial_failure;
  StartRun(c.typed);

  EXPECT_EQ(status_bar.Text(), c.status);
  EXPECT_EQ(Log().back(), c.status);
  EXPECT_THAT(sockets.sent, IsEmpty());
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_FALSE(run.RunInProgress());

  dial.dial_failure.clear();
  StartRun(kServerName);
  EXPECT_THAT(sockets.sent, SizeIs(1));
}

INSTANTIATE_TEST_SUITE_P(Cases, WorkerFailureTest,
                         ::testing::Values(WorkerFailureCase{"NullRemoteAddress", "0.0.0.0", "",
                                                             "Null Remote Address"},
                                           WorkerFailureCase{"DialDecisionFails", kServerName,
                                                             "RAS unavailable", "RAS unavailable"}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(SyncRunTest, WorkerEndsQuietlyWhenTheWindowIsShuttingDown) {
  window.shutting_down = true;
  StartRun();
  EXPECT_THAT(Log(), IsEmpty());
  EXPECT_THAT(sockets.sent, IsEmpty());
}

// --- Setting the clock ---

struct SettingCase {
  const char* name;
  int error;
  std::string status;
};

void PrintTo(const SettingCase& c, std::ostream* out) {
  *out << c.name;
}

class ClockSettingTest : public SyncRunTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(ClockSettingTest, RefusalIsReportedAndChangesNothing) {
  const SettingCase& c = GetParam();
  // On the 9x family the clock reading runs from its base; a renewed base shows in the reading.
  system_clock.SetPlatformId(fakes::FakeClock::kPlatformWin9x);
  system_clock.SetTickCount(1000);
  clock.TakeBase();  // T1 exactly
  record.last_time = 40000.5;
  system_clock.SetSettingError(c.error);
  shell.first_argument = "-d";
  StartRun();
  system_clock.SetTickCount(1000);  // the reply comes in the base's tick: reading = system clock
  DeliverGoodReply();

  EXPECT_THAT(system_clock.SystemTimeSettings(), ElementsAre(FieldsAfterT1(100 + 3001)));
  EXPECT_EQ(status_bar.Text(), c.status);
  EXPECT_EQ(Log().back(), c.status);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_EQ(shell.closes, 1);

  system_clock.SetTickCount(1001);
  const DateTime reading = clock.UtcNow();
  if (c.error == 0) {
    EXPECT_EQ(offset_label.Text(), "-00:00:03.001");
    EXPECT_EQ(record.last_time, system_clock.LocalNow());
    EXPECT_EQ(SplitDateTime(reading), FieldsAfterT1(101));  // from the base taken at the reply
  } else {
    EXPECT_THAT(Log(), Not(Contains(kCorrected)));
    EXPECT_EQ(offset_label.Text(), kNotSent);
    EXPECT_EQ(clock_label.Text(), "clock");
    EXPECT_EQ(record.last_time, 40000.5);
    EXPECT_EQ(SplitDateTime(reading), FieldsAfterT1(1));  // still from the old base
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockSettingTest,
    ::testing::Values(
        SettingCase{"Accepted", 0, kCorrected},
        SettingCase{"PrivilegeNotHeld", 1314, "時刻を設定できませんでした(管理者権限が必要です)"},
        SettingCase{"AccessDenied", 5, "時刻を設定できませんでした(管理者権限が必要です)"},
        SettingCase{"OtherError", 87, "時刻を設定できませんでした(エラー 87)"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- The unattended run ---

struct UnattendedCase {
  const char* name;
  std::optional<NtpReplyFields> reply;  // nothing: the timeout
  int arrival_ms;
  int closes;
};

void PrintTo(const UnattendedCase& c, std::ostream* out) {
  *out << c.name;
}

class UnattendedRunTest : public SyncRunTest,
                          public ::testing::WithParamInterface<UnattendedCase> {};

TEST_P(UnattendedRunTest, ClosesOnceTheReplyIsEvaluatedOrTimedOut) {
  const UnattendedCase& c = GetParam();
  tolerance_field.SetValue(5000);
  StartRun();
  shell.first_argument = "-d";  // read afresh at the end of the run
  if (c.reply) {
    Deliver(*c.reply, c.arrival_ms);
  }
  timers.Advance(5000);
  EXPECT_EQ(shell.closes, c.closes);
  EXPECT_TRUE(connect_button.Enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnattendedRunTest,
    ::testing::Values(
        UnattendedCase{"Corrected", ReplyOf(60000, 60000), 100, 1},
        UnattendedCase{"WithinTolerance", ReplyOf(100, 100), 100, 1},
        UnattendedCase{"DelayTooLong", ReplyOf(1000, 1000), 2500, 1},
        UnattendedCase{"Timeout", std::nullopt, 0, 1},
        // A rejected reply leaves the closing to the timeout: once.
        UnattendedCase{"RejectedThenTimeout",
                       NtpReplyFields{.first_byte = 0xE4, .stratum = 2, .transmit = kT1}, 100, 1}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- The dial-up link ---

struct LinkWaitCase {
  const char* name;
  int dial_result;
  int connected_at_query;
  int queries;
  bool dialled_line;
};

void PrintTo(const LinkWaitCase& c, std::ostream* out) {
  *out << c.name;
}

class LinkWaitTest : public SyncRunTest, public ::testing::WithParamInterface<LinkWaitCase> {};

TEST_P(LinkWaitTest, WorkerWaitsForADialledOrSeenLinkThenGoesOn) {
  const LinkWaitCase& c = GetParam();
  dial.dial_result = c.dial_result;
  dial.connected_at_query = c.connected_at_query;
  StartRun();

  EXPECT_EQ(dial.queries, c.queries);
  // One pause after each query but the 601st, always at least one.
  const int pauses = c.queries == 0 ? 0 : std::min(c.queries, 600);
  EXPECT_THAT(dial.pauses, SizeIs(pauses));
  EXPECT_THAT(dial.pauses, testing::Each(std::chrono::milliseconds(100)));
  EXPECT_EQ(Log().front() == "ダイアルアップ接続しました", c.dialled_line);
  EXPECT_THAT(sockets.sent, SizeIs(1));
  EXPECT_EQ(run.DialResult(), c.dial_result);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkWaitTest,
                         ::testing::Values(LinkWaitCase{"DialledUpAtOnce", drDialled, 1, 1, true},
                                           LinkWaitCase{"DialledUpLater", drDialled, 3, 3, true},
                                           LinkWaitCase{"DialledNeverUp", drDialled, 0, 601, true},
                                           LinkWaitCase{"LinkSeen", drLinkSeen, 2, 2, false},
                                           LinkWaitCase{"Online", drOnline, 0, 0, false},
                                           LinkWaitCase{"DialFailed", 691, 0, 0, false}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(SyncRunTest, DialDecisionStopEndsTheRunBeforeAnything) {
  dial.dial_result = drStop;
  StartRun();
  EXPECT_THAT(Log(), IsEmpty());
  EXPECT_THAT(sockets.sent, IsEmpty());
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(run.RunInProgress());
  EXPECT_THAT(resolver.lookups, IsEmpty());
}

TEST_F(SyncRunTest, UnattendedStartEndsAlsoWhenTheDialStepEndsTheRun) {
  shell.first_argument = "-d";
  dial.dial_result = drStop;  // refused: its own message stands
  StartRun();
  EXPECT_EQ(shell.closes, 1);

  dial.dial_failure = "RAS unavailable";
  StartRun();
  EXPECT_EQ(shell.closes, 2);
  EXPECT_THAT(sockets.sent, IsEmpty());
}

struct HangUpCase {
  const char* name;
  int dial_result;
  const char* argument;
  bool reply;  // false: the timeout
  int hang_ups;
  int hang_up_workers;
};

void PrintTo(const HangUpCase& c, std::ostream* out) {
  *out << c.name;
}

class HangUpTest : public SyncRunTest, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(HangUpTest, OnlyALinkThisRunDialledIsHungUp) {
  const HangUpCase& c = GetParam();
  dial.dial_result = c.dial_result;
  shell.first_argument = c.argument;
  StartRun();
  if (c.reply) {
    DeliverGoodReply();
  }
  timers.Advance(30000);
  EXPECT_EQ(dial.hang_ups, c.hang_ups);
  EXPECT_EQ(dial.hang_up_workers, c.hang_up_workers);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HangUpTest,
    ::testing::Values(HangUpCase{"ReplyByTheHangUpWorker", drDialled, "", true, 0, 1},
                      HangUpCase{"ReplyUnattendedAtOnce", drDialled, "-d", true, 1, 0},
                      HangUpCase{"TimeoutLeavesTheLinkUp", drDialled, "", false, 0, 0},
                      HangUpCase{"TimeoutUnattended", drDialled, "-d", false, 1, 0},
                      HangUpCase{"NotDialledReply", drLinkSeen, "-d", true, 0, 0},
                      HangUpCase{"NotDialledTimeout", drOnline, "-d", false, 0, 0}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// --- Relay clients ---

TEST_F(SyncRunTest, ReplyGoesToWaitingRelayClientsInsteadOfTheClock) {
  relay.waiting = 2;
  shell.first_argument = "-d";
  StartRun();
  const std::size_t lines = LogSize();
  const NtpReplyFields reply = ReplyOf(3050, 3052);
  Deliver(reply);

  ASSERT_THAT(relay.forwarded, SizeIs(1));
  EXPECT_EQ(relay.forwarded[0], BuildNtpReply(reply));
  EXPECT_EQ(LogSize(), lines);  // no report of ours
  EXPECT_THAT(system_clock.SystemTimeSettings(), IsEmpty());
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(reply_timer.Enabled());
  EXPECT_FALSE(run.RunInProgress());
  EXPECT_EQ(shell.closes, 1);  // an unattended start ends with its run, forwarded or not
}

}  // namespace
}  // namespace tempiko::sync
