#include "sync/sync_run.h"

#include <cstdlib>

#include "base/errors.h"
#include "sync/clock_setting_text.h"
#include "sync/sync_worker.h"
#include "sync/system_clock.h"
#include "sync/text_forms.h"

namespace tempiko::sync {
namespace {

constexpr char kServerNotFound[] = "サーバーが見つかりません";
constexpr char kNoResponse[] = "サーバからの応答がありませんでした";
constexpr char kDelayTooLong[] = "応答時間が長いため補正しませんでした";
constexpr char kWithinTolerance[] = "ms以内誤差のため補正しませんでした";
constexpr char kCorrected[] = "補正完了";

// The label shows the computer's error before the correction: "-" when it was behind (or
// exact), "+" when it was ahead.
std::string OffsetLabelText(DateTime offset, std::int64_t offset_ms) {
  return SignedDurationText(offset, offset_ms >= 0 ? '-' : '+');
}

}  // namespace

SyncRun::SyncRun(const SyncRunPorts& ports)
    : Button1(ports.Button1),
      ComboBox1(ports.ComboBox1),
      Label1(ports.Label1),
      Label4(ports.Label4),
      StatusBar1(ports.StatusBar1),
      Memo1(ports.Memo1),
      SpinEdit1(ports.SpinEdit1),
      Timer2(ports.Timer2),
      NMUDP1(ports.NMUDP1),
      clock_(ports.clock),
      resolver_(ports.resolver),
      window_(ports.window),
      workers_(ports.workers),
      locale_(ports.locale),
      shell_(ports.shell),
      record_(ports.record),
      dial_(ports.dial),
      relay_(ports.relay),
      report_(ports.locale, ports.Memo1) {
  Timer2.SetEnabled(false);
  Timer2.SetInterval(kReplyTimeoutDialledMs);
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Button1.OnClick = [this] { Button1Click(); };
  NMUDP1.OnDataSend = [this](net::TNMUDP& sender) { NMUDP1DataSend(sender); };
  NMUDP1.OnDataReceived = [this](net::TNMUDP& sender, const net::ReceivedDatagram& datagram) {
    NMUDP1DataReceived(sender, datagram);
  };
  NMUDP1.OnStatus = [this](net::TNMUDP& sender, const std::string& status) {
    NMUDP1Status(sender, status);
  };
  NMUDP1.OnInvalidHost = [this](bool& handled) { NMUDP1InvalidHost(handled); };
}

SyncRun::~SyncRun() {
  Timer2.OnTimer = nullptr;
  Button1.OnClick = nullptr;
  NMUDP1.OnDataSend = nullptr;
  NMUDP1.OnDataReceived = nullptr;
  NMUDP1.OnStatus = nullptr;
  NMUDP1.OnInvalidHost = nullptr;
}

// --- Start ---

void SyncRun::Button1Click() {
  const std::string server = ComboBox1.Text();
  if (server.empty()) {
    // Nothing to run; an unattended start has nothing left to wait for.
    if (UnattendedRun()) {
      shell_.CloseMainWindow();
    }
    return;
  }
  std::uint64_t run_number;
  {
    std::lock_guard lock(state_lock_);
    if (phase_ != Phase::kIdle) {
      return;  // one run at a time
    }
    phase_ = Phase::kWorking;
    run_number = ++run_number_;
    server_text_ = server;
  }
  Button1.SetEnabled(false);
  workers_.Start([this, run_number] { TRASThreed(*this, run_number).Execute(); });
}

bool SyncRun::ResolveServer() {
  std::string text;
  {
    std::lock_guard lock(state_lock_);
    text = server_text_;
  }
  std::string address = text;  // a dotted text is used exactly as typed
  std::optional<net::Ipv4Address> endpoint;
  const net::Ipv4Address dotted = resolver_.ParseAddress(text);
  if (dotted != net::kAddressNone) {
    endpoint = dotted;
  } else if (const auto found = resolver_.LookupHost(text)) {
    address = net::FormatAddress(*found);
    if (*found != 0) {
      endpoint = found;
    }
  }
  if (!endpoint) {
    window_.Invoke([this] {
      ShowStatus(kServerNotFound);
      EndRun();
    });
    return true;
  }
  std::lock_guard lock(state_lock_);
  server_address_ = address;
  server_endpoint_ = *endpoint;
  return false;
}

void SyncRun::ArmReplyTimeout(std::uint64_t run_number, int dial_result) {
  bool awaiting;
  {
    std::lock_guard lock(state_lock_);
    if (run_number != run_number_) {
      return;
    }
    awaiting = phase_ == Phase::kAwaitingReply;
  }
  if (dial_result == drOnline || dial_result == drLinkSeen) {
    Timer2.SetInterval(kReplyTimeoutOnlineMs);
  } else if (dial_result == drDialled) {
    Timer2.SetInterval(kReplyTimeoutDialledMs);
  }  // a failed dial keeps the interval the last run left
  // A fast server may have answered before the worker came here; its run is over.
  if (awaiting) {
    Timer2.SetEnabled(true);
  }
}

void SyncRun::ExpectReply() {
  const DateTime before_send = clock_.UtcNow();
  std::lock_guard lock(state_lock_);
  t1_ = before_send;  // until NMUDP1DataSend records the send itself
  if (phase_ == Phase::kWorking) {
    phase_ = Phase::kAwaitingReply;
  }
}

void SyncRun::NMUDP1DataSend(net::TNMUDP& /*sender*/) {
  const DateTime t1 = clock_.UtcNow();
  std::lock_guard lock(state_lock_);
  t1_ = t1;
  if (phase_ == Phase::kWorking) {
    phase_ = Phase::kAwaitingReply;
  }
}

// --- Reply ---

void SyncRun::NMUDP1DataReceived(net::TNMUDP& sender, const net::ReceivedDatagram& datagram) {
  if (datagram.number_bytes < static_cast<std::int32_t>(kNtpMessageSize)) {
    return;  // too short to be a reply; the run keeps waiting
  }
  const std::optional<AwaitedRun> run = AwaitedRunFor(datagram.from, datagram.port);
  if (!run) {
    return;  // not the server's answer to a run awaiting one: dropped
  }
  sender.ReadDatagram(message_);
  if (relay_.HasWaitingClients()) {
    relay_.Forward(message_);
    EndRun();
    return;
  }
  if (!report_.ShowReplyDetails(message_, run->t1)) {
    return;  // unusable: the run ends by its timeout
  }
  EvaluateReply(*run, datagram.arrival);
}

std::optional<SyncRun::AwaitedRun> SyncRun::AwaitedRunFor(net::Ipv4Address from,
                                                          std::uint16_t port) const {
  std::lock_guard lock(state_lock_);
  if (phase_ != Phase::kAwaitingReply || port != kServerPort || from != server_endpoint_) {
    return std::nullopt;
  }
  return AwaitedRun{t1_, dial_result_};
}

// T4 is the instant the reply left the socket, not the moment this handler came round to it:
// the window thread may have been busy, and the report's lines take their time to draw.
void SyncRun::EvaluateReply(const AwaitedRun& run, DateTime t4) {
  Memo1.Append("Destination Timestamp(UTC):" + InstantText(t4, locale_));
  Outcome outcome;
  try {
    outcome = JudgeAndCorrect(run, t4);
  } catch (...) {
    EndAfterReply(run.dial_result);  // the ending runs whatever happens
    throw;
  }
  EndAfterReply(run.dial_result);
  if (outcome) {
    ShowStatus(*outcome);
  }
}

SyncRun::Outcome SyncRun::JudgeAndCorrect(const AwaitedRun& run, DateTime t4) {
  const DateTime t1 = run.t1;
  const DateTime t2 = report_.T2();
  const DateTime t3 = report_.T3();
  // The round trip without the time the server held the request.
  const DateTime delay = (t4 - t1) - (t3 - t2);
  Memo1.Append("往復遅延時間:" + DurationText(delay));
  // Judged in whole milliseconds, as shown: the instants carry rounding noise well below that.
  if (ToMilliseconds(delay) >= kMaxDelayMs) {
    ShowStatus(kDelayTooLong);
    return std::nullopt;
  }
  const DateTime offset = ((t2 - t1) + (t3 - t4)) / 2;  // positive: the computer is behind
  Memo1.Append("誤差:" + DurationText(offset));
  const int tolerance_ms = SpinEdit1.Value();
  if (tolerance_ms > std::abs(ToMilliseconds(offset))) {
    ShowStatus(std::to_string(tolerance_ms) + kWithinTolerance);
    return std::nullopt;
  }
  return CorrectClock(offset);
}

SyncRun::Outcome SyncRun::CorrectClock(DateTime offset) {
  const DateTime corrected = clock_.UtcNow() + offset;
  const int error = clock_.clock().SetSystemTime(SplitDateTime(corrected));
  if (error != 0) {
    return ClockSettingFailureText(error);  // the clock, LastTime and the labels stay as they were
  }
  clock_.TakeBase();
  record_.LastTime = clock_.ClockNow();
  Label1.SetText(OffsetLabelText(offset, ToMilliseconds(offset)));
  Label4.SetText(DateTimeText(clock_.clock().LocalNow(), locale_));
  return std::string(kCorrected);
}

void SyncRun::EndAfterReply(int dial_result) {
  if (dial_result == drDialled) {
    // An unattended run closes right after: no hang-up worker would outlive it.
    if (UnattendedRun()) {
      dial_.HangUp();
    } else {
      dial_.StartHangUpWorker();
    }
  }
  EndRun();
}

// --- Other endings ---

void SyncRun::Timer2Timer() {
  Timer2.SetEnabled(false);
  int dial_result;
  {
    std::lock_guard lock(state_lock_);
    if (phase_ != Phase::kAwaitingReply) {
      return;  // a late tick: the run has already ended
    }
    dial_result = dial_result_;
  }
  if (dial_result == drDialled && UnattendedRun()) {
    dial_.HangUp();
  }
  EndRun();
  relay_.Clear();
  ShowStatus(kNoResponse);
}

void SyncRun::NMUDP1InvalidHost(bool& /*handled*/) {
  window_.Invoke([this] {
    ShowStatus(kServerNotFound);
    relay_.Clear();
    EndRun();
  });
  throw EAbort();  // no send, no timeout, no further message
}

void SyncRun::NMUDP1Status(net::TNMUDP& /*sender*/, const std::string& status) {
  window_.Invoke([this, &status] { ShowStatus(status); });
}

void SyncRun::EndAfterWorkerFailure(const std::string& text) {
  try {
    window_.Invoke([this, &text] {
      if (!text.empty()) {
        ShowStatus(text);
      }
      EndRun();
    });
  } catch (...) {
    // The window is going away; nobody is left to tell.
  }
}

void SyncRun::EndRun() {
  {
    std::lock_guard lock(state_lock_);
    phase_ = Phase::kIdle;
  }
  Button1.SetEnabled(true);
  Timer2.SetEnabled(false);
  // An unattended start ends with its run, however the run ended: otherwise a failure before
  // the request would leave the program running, minimised, with nobody to close it.
  if (UnattendedRun()) {
    shell_.CloseMainWindow();
  }
}

void SyncRun::ShowStatus(const std::string& text) {
  StatusBar1.SetText(text);
  Memo1.Append(text);
}

bool SyncRun::UnattendedRun() {
  return shell_.FirstArgument() == kUnattendedRunSwitch;
}

// --- State ---

bool SyncRun::RunInProgress() const {
  std::lock_guard lock(state_lock_);
  return phase_ != Phase::kIdle;
}

int SyncRun::DialResult() const {
  std::lock_guard lock(state_lock_);
  return dial_result_;
}

std::string SyncRun::ServerAddress() const {
  std::lock_guard lock(state_lock_);
  return server_address_;
}

DateTime SyncRun::T1() const {
  std::lock_guard lock(state_lock_);
  return t1_;
}

}  // namespace tempiko::sync
