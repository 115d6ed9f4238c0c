// Fuzz target: a datagram of any length and from any sender reaches port 8263 while a run awaits
// its reply, and goes the whole way the program takes it: the UDP endpoint over a scripted
// socket layer, the run's check of the sender, decoding, the verdict against the tolerance,
// every report line, the clock setting and the labels. The same bytes with any two instants,
// NaNs and infinities included, also go straight through decoding, the verdict and the text
// forms.
//
// Input, numbers most significant byte first (missing bytes read as zero):
//   8  T1: microseconds into the span a Windows clock can read (taken modulo it)
//   8  T4 − T1 in microseconds (T4 kept within that span)
//   4  the tolerance in milliseconds, any int
//   4  the sender's address as it lies in the packet (192.0.2.10 is the server)
//   2  the sender's port (123 is the server's)
//   1  the zone: quarter hours east of UTC, within ±14 hours
//   2  the error the clock setting answers (0: it is set)
//   1  relay clients waiting for the reply (any but 0: one is)
//   …  the datagram

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/run_presenter.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_run_ports.h"
#include "fakes/fake_socket_layer.h"
#include "fakes/fake_window_thread.h"
#include "fakes/scripted_host_resolver.h"
#include "fakes/virtual_timer_host.h"
#include "fakes/watched_controls.h"
#include "fuzz_support.h"
#include "net/udp_endpoint.h"
#include "sync/exchange.h"
#include "sync/reply_report.h"
#include "sync/sync_run.h"
#include "sync/text_forms.h"

namespace {

using namespace tempiko;
using fuzz::IsOneLineOfText;
using fuzz::Require;

constexpr char kServerIp[] = "192.0.2.10";
const net::Ipv4Address kServerAddress = fakes::MakeAddress(192, 0, 2, 10);
constexpr std::uint16_t kNtpPort = 123;
constexpr int kInitialTolerance = 200;

constexpr char kCorrected[] = "補正完了";
constexpr char kNoResponse[] = "サーバからの応答がありませんでした";
constexpr char kDelayTooLong[] = "応答時間が長いため補正しませんでした";
constexpr char kWithinTolerance[] = "ms以内誤差のため補正しませんでした";

// LastTime before the run: a value no clock reading can take, so that any renewal shows.
constexpr sync::DateTime kNoLastTime = -1e6;

constexpr double kMicrosecondsPerDay = 86'400'000'000.0;
constexpr int kMaxZoneQuarters = 14 * 4;

// What a Windows clock can read: FILETIME's dates, 1601 to 30827.
const sync::DateTime kClockFirst = sync::EncodeDateTime({.year = 1601, .month = 1, .day = 1});
const sync::DateTime kClockLast = sync::EncodeDateTime(
    {.year = 30827, .month = 12, .day = 31, .hour = 23, .minute = 59, .second = 59});

struct Scenario {
  std::uint64_t t1_bits = 0;
  std::int64_t t4_after_t1_us = 0;
  int tolerance_ms = 0;
  net::Ipv4Address sender = 0;
  std::uint16_t sender_port = 0;
  double zone_shift = 0;  // days east of UTC
  int setting_error = 0;
  bool relay_clients_waiting = false;
  std::vector<std::uint8_t> datagram;

  sync::DateTime T1() const {
    const double span_us = (kClockLast - kClockFirst) * kMicrosecondsPerDay;
    const auto span = static_cast<std::uint64_t>(span_us);
    return kClockFirst + static_cast<double>(t1_bits % span) / kMicrosecondsPerDay;
  }
  sync::DateTime T4() const {
    const sync::DateTime t4 = T1() + static_cast<double>(t4_after_t1_us) / kMicrosecondsPerDay;
    return std::clamp(t4, kClockFirst, kClockLast);
  }
};

Scenario ReadScenario(fuzz::FuzzInput& input) {
  Scenario s;
  s.t1_bits = input.Take<std::uint64_t>();
  s.t4_after_t1_us = input.Take<std::int64_t>();
  s.tolerance_ms = input.Take<std::int32_t>();
  const auto address = input.TakeBytes(sizeof(net::Ipv4Address));
  std::memcpy(&s.sender, address.data(), address.size());
  s.sender_port = input.Take<std::uint16_t>();
  const int quarters =
      std::clamp<int>(input.Take<std::int8_t>(), -kMaxZoneQuarters, kMaxZoneQuarters);
  s.zone_shift = quarters / 96.0;
  s.setting_error = input.Take<std::uint16_t>();
  s.relay_clients_waiting = input.Take<std::uint8_t>() != 0;
  const auto rest = input.Rest();
  s.datagram.assign(rest.begin(), rest.end());
  return s;
}

// The run, its presenter and the real endpoint, wired as the main window wires them, over
// in-memory controls, a recording clock and a scripted socket layer. Fresh for every input.
struct World {
  World() {
    sockets.record_calls = false;
    client_endpoint.SetLocalPort(8263);
    client_endpoint.StartListening();
    record.last_time = kNoLastTime;
  }

  fakes::ThreadRoles roles;
  fakes::VirtualTimerHost timers{&roles};
  fakes::WatchedButton connect_button{roles, "Button1", "接続"};
  fakes::WatchedLabel offset_label{roles, "Label1", "±0"};
  fakes::WatchedLabel clock_label{roles, "Label4", "0"};
  fakes::WatchedStatusBar status_bar{roles, "StatusBar1"};
  fakes::WatchedMemo log{roles, "Memo1"};
  fakes::WatchedSpinEdit tolerance_field{roles, "SpinEdit1", kInitialTolerance};
  loop::Timer reply_timer{timers, 30000, false};
  fakes::FakeSockets sockets;
  fakes::FakeClock system_clock;
  sync::ClockReader clock{system_clock};
  net::UdpEndpoint client_endpoint{sockets.Factory(), [this] { return clock.UtcNow(); }};
  fakes::ScriptedHostResolver resolver;
  fakes::InlineWindowThread window{roles};
  fakes::FakeWorkerStarter workers{roles};
  sync::Locale locale = sync::Locale::Japanese();
  fakes::FakeProgramShell shell;
  sync::CorrectionRecord record;
  fakes::FakeDialLink dial;
  fakes::FakeRelayQueue relay;
  app::RunPresenter presenter{{.connect_button = connect_button,
                               .offset_label = offset_label,
                               .clock_label = clock_label,
                               .status_bar = status_bar,
                               .log = log,
                               .tolerance_ms = tolerance_field},
                              locale};
  sync::SyncRun run{{.view = presenter,
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

bool IsValidSetting(const sync::CalendarFields& f) {
  return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 && f.hour >= 0 &&
         f.hour <= 23 && f.minute >= 0 && f.minute <= 59 && f.second >= 0 && f.second <= 59 &&
         f.millisecond >= 0 && f.millisecond <= 999;
}

bool EveryLineIsOneLine(const std::vector<std::string>& lines) {
  return std::all_of(lines.begin(), lines.end(),
                     [](const std::string& line) { return IsOneLineOfText(line); });
}

// The datagram as the run takes it: its first 48 bytes in the zeroed message buffer.
sync::MessageBuffer MessageOf(const std::vector<std::uint8_t>& datagram) {
  sync::MessageBuffer message{};
  std::copy_n(datagram.begin(), std::min(datagram.size(), sync::kNtpMessageSize), message.begin());
  return message;
}

// Decoding, the verdict and the text forms with any two instants: nothing may crash, every
// text stays one line, and a tolerance of 0 corrects every usable reply that is not too slow.
void CheckAnyInstants(const Scenario& s) {
  double t1 = 0;
  double t4 = 0;
  std::memcpy(&t1, &s.t1_bits, sizeof t1);
  std::memcpy(&t4, &s.t4_after_t1_us, sizeof t4);
  const sync::Locale locale = sync::Locale::Japanese();
  const sync::DecodedReply reply = sync::DecodeReply(MessageOf(s.datagram), t1, t4);
  const sync::Verdict verdict = sync::Judge(reply, s.tolerance_ms);
  Require(verdict != sync::Verdict::kRejected || !reply.usable,
          "only an unusable reply is rejected");
  Require(sync::Judge(reply, 0) != sync::Verdict::kWithinTolerance,
          "a tolerance of 0 leaves no offset within it");
  Require(EveryLineIsOneLine(sync::ReplyReportLines(reply, locale)),
          "every report line is one line of text");
  Require(IsOneLineOfText(sync::InstantText(reply.t4, locale)) &&
              IsOneLineOfText(sync::DurationText(reply.delay)) &&
              IsOneLineOfText(sync::SignedDurationText(reply.offset, '-')),
          "the destination, delay and offset texts are one line each");
}

// The log's lines after the first `from`.
std::vector<std::string> LinesFrom(const ui::Memo& log, std::size_t from) {
  const std::vector<std::string> lines = log.Lines();
  return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end()};
}

// What the window shows after the awaited reply arrived, against what decoding and the verdict
// say of the same bytes and instants.
void CheckTakenReply(World& w, const Scenario& s, sync::DateTime t1, sync::DateTime t4,
                     std::size_t log_before) {
  const sync::DecodedReply reply = sync::DecodeReply(MessageOf(s.datagram), t1, t4);
  const sync::Verdict verdict = sync::Judge(reply, s.tolerance_ms);
  const std::vector<std::string> report = sync::ReplyReportLines(reply, w.locale);
  const std::vector<std::string> shown = LinesFrom(w.log, log_before);
  Require(shown.size() >= report.size() && std::equal(report.begin(), report.end(), shown.begin()),
          "the log reports the reply's bytes and instants as they arrived");
  const std::size_t settings = w.system_clock.SystemTimeSettings().size();
  switch (verdict) {
    case sync::Verdict::kRejected:
      Require(shown.size() == report.size(), "a rejected reply shows its report alone");
      Require(w.run.RunInProgress(), "a rejected reply leaves the run waiting");
      Require(settings == 0, "a rejected reply sets nothing");
      return;
    case sync::Verdict::kTooSlow:
      Require(w.status_bar.Text() == kDelayTooLong, "a slow reply says so");
      Require(settings == 0, "a slow reply sets nothing");
      break;
    case sync::Verdict::kWithinTolerance:
      Require(w.status_bar.Text() == std::to_string(s.tolerance_ms) + kWithinTolerance,
              "a reply within the tolerance says so");
      Require(settings == 0, "a reply within the tolerance sets nothing");
      break;
    case sync::Verdict::kCorrect:
      Require(settings == 1, "a correcting reply sets the clock once");
      Require(IsValidSetting(w.system_clock.SystemTimeSettings().front()),
              "the clock is given valid calendar fields");
      Require((s.setting_error == 0) == (w.status_bar.Text() == kCorrected),
              "補正完了 exactly when the clock was set");
      Require(
          w.record.last_time == (s.setting_error == 0 ? w.system_clock.LocalNow() : kNoLastTime),
          "LastTime is renewed exactly when the clock was set");
      break;
  }
  Require(!w.run.RunInProgress() && w.connect_button.Enabled(), "a judged reply ends the run");
}

// With relay clients waiting, the server's answer is theirs: passed on as it came, and the run
// ends without a report or a clock setting of its own.
void CheckForwardedReply(World& w, const Scenario& s, std::size_t log_before) {
  // A message buffer's last two bytes are never sent: the 48 that are must be the reply's.
  const sync::MessageBuffer expected = MessageOf(s.datagram);
  Require(w.relay.forwarded.size() == 1 &&
              std::equal(expected.begin(), expected.begin() + sync::kNtpMessageSize,
                         w.relay.forwarded.front().begin()),
          "the reply goes to the relay's clients as it came");
  Require(w.log.Lines().size() == log_before && w.system_clock.SystemTimeSettings().empty(),
          "a reply for the relay's clients is neither reported nor used here");
  Require(!w.run.RunInProgress() && w.connect_button.Enabled(), "a forwarded reply ends the run");
}

void CheckThroughTheEndpoint(const Scenario& s) {
  World w;
  w.tolerance_field.SetValue(s.tolerance_ms);
  w.system_clock.SetZoneShift(s.zone_shift);
  w.system_clock.SetLocalNow(s.T1() + s.zone_shift);
  w.system_clock.SetSettingError(s.setting_error);
  w.relay.waiting = s.relay_clients_waiting ? 1 : 0;
  w.clock.TakeBase();
  const sync::DateTime t1 = w.clock.UtcNow();  // the clock stands still until T4
  w.run.Start(kServerIp);
  Require(w.run.RunInProgress() && w.sockets.sent.size() == 1, "the request is on its way");
  Require(w.run.T1() == t1, "T1 is the clock's UTC reading at the send");

  w.system_clock.SetLocalNow(s.T4() + s.zone_shift);
  const sync::DateTime t4 = w.clock.UtcNow();
  const std::size_t log_before = w.log.Lines().size();
  w.sockets.incoming.push_back({s.datagram, s.sender, s.sender_port});
  w.sockets.DeliverAllReadable();
  Require(EveryLineIsOneLine(w.log.Lines()), "every log line is one line of text");
  Require(IsOneLineOfText(w.offset_label.Text()) && IsOneLineOfText(w.clock_label.Text()),
          "the labels hold one line of text");

  const bool awaited_sender = s.sender == kServerAddress && s.sender_port == kNtpPort;
  const bool whole_reply = s.datagram.size() >= sync::kNtpMessageSize &&
                           s.datagram.size() <= net::UdpEndpoint::kReceiveAreaSize;
  if (awaited_sender && whole_reply && s.relay_clients_waiting) {
    CheckForwardedReply(w, s, log_before);
  } else if (awaited_sender && whole_reply) {
    CheckTakenReply(w, s, t1, t4, log_before);
  } else {
    Require(w.log.Lines().size() == log_before && w.run.RunInProgress(),
            "anything but the awaited reply is dropped, and the run waits on");
  }

  // The timeout ends a run still waiting; the same datagram afterwards changes nothing.
  if (w.run.RunInProgress()) {
    w.timers.Advance(sync::SyncRun::kReplyTimeoutOnlineMs);
    Require(!w.run.RunInProgress() && w.status_bar.Text() == kNoResponse,
            "the timeout ends a run without a usable reply");
  }
  const std::size_t log_after = w.log.Lines().size();
  const std::size_t settings_after = w.system_clock.SystemTimeSettings().size();
  w.sockets.incoming.push_back({s.datagram, s.sender, s.sender_port});
  w.sockets.DeliverAllReadable();
  Require(w.log.Lines().size() == log_after &&
              w.system_clock.SystemTimeSettings().size() == settings_after &&
              w.relay.forwarded.size() <= 1,
          "a datagram after the run's end is dropped");
  Require(w.roles.violations.empty() && w.workers.escaped.empty(),
          "the worker touched no control and let nothing escape");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  const Scenario scenario = ReadScenario(input);
  CheckAnyInstants(scenario);
  CheckThroughTheEndpoint(scenario);
  return 0;
}
