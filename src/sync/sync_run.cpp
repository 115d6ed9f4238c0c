#include "sync/sync_run.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"

namespace tempiko::sync {
namespace {

// Enough readings of a precise clock to pass a millisecond boundary many times over; a clock
// that does not advance (a test's, or a coarse one) is not waited for longer.
constexpr int kMaxBoundaryReadings = 10000;

}  // namespace

SyncRun::SyncRun(const SyncRunPorts& ports)
    : view_(ports.view),
      reply_timer_(ports.reply_timer),
      endpoint_(ports.endpoint),
      clock_(ports.clock),
      resolver_(ports.resolver),
      window_(ports.window),
      workers_(ports.workers),
      shell_(ports.shell),
      record_(ports.record),
      dial_(ports.dial),
      relay_(ports.relay) {
  reply_timer_.SetEnabled(false);
  reply_timer_.SetInterval(kReplyTimeoutDialledMs);
  reply_timer_.OnTimer = [this] { OnReplyTimeout(); };
  endpoint_.OnDataSend = [this](net::UdpEndpoint&) { OnRequestSent(); };
  endpoint_.OnDataReceived = [this](net::UdpEndpoint&, const net::ReceivedDatagram& datagram) {
    OnReply(datagram);
  };
  endpoint_.OnStatus = [this](net::UdpEndpoint&, const std::string& status) {
    OnEndpointStatus(status);
  };
  endpoint_.OnInvalidHost = [this](bool&) { OnInvalidHost(); };
}

SyncRun::~SyncRun() {
  reply_timer_.OnTimer = nullptr;
  endpoint_.OnDataSend = nullptr;
  endpoint_.OnDataReceived = nullptr;
  endpoint_.OnStatus = nullptr;
  endpoint_.OnInvalidHost = nullptr;
}

// --- Start ---

void SyncRun::Start(const std::string& server_text) {
  if (server_text.empty()) {
    // Nothing to run; an unattended start has nothing left to wait for.
    if (UnattendedRun()) {
      shell_.CloseMainWindow();
    }
    return;
  }
  const std::optional<std::uint64_t> run_number = state_.Begin(server_text);
  if (!run_number) {
    return;  // one run at a time
  }
  view_.RunStarted();
  const SyncWorkerPorts worker{.state = state_,
                               .endings = *this,
                               .view = view_,
                               .dial = dial_,
                               .resolver = resolver_,
                               .endpoint = endpoint_,
                               .clock = clock_,
                               .window = window_};
  workers_.Start([worker, number = *run_number] { SyncWorker(worker, number).Run(); });
}

void SyncRun::OnRequestSent() {
  state_.RecordSend(clock_.UtcNow());
}

void SyncRun::ArmReplyTimeout(std::uint64_t run_number, int dial_result) {
  if (!state_.IsLatest(run_number)) {
    return;
  }
  if (dial_result == drOnline || dial_result == drLinkSeen) {
    reply_timer_.SetInterval(kReplyTimeoutOnlineMs);
  } else if (dial_result == drDialled) {
    reply_timer_.SetInterval(kReplyTimeoutDialledMs);
  }  // a failed dial keeps the interval the last run left
  // A fast server may have answered before the worker came here; its run is over.
  if (state_.StillAwaiting(run_number)) {
    reply_timer_.SetEnabled(true);
  }
}

// --- Reply ---

void SyncRun::OnReply(const net::ReceivedDatagram& datagram) {
  if (datagram.number_bytes < static_cast<std::int32_t>(kNtpMessageSize)) {
    return;  // too short to be a reply; the run keeps waiting
  }
  const std::optional<RunState::AwaitedRun> run =
      state_.AwaitingReplyFrom(datagram.from, datagram.port);
  if (!run) {
    return;  // not the server's answer to a run awaiting one: dropped
  }
  MessageBuffer message{};
  std::copy_n(datagram.bytes.begin(), std::min(datagram.bytes.size(), message.size()),
              message.begin());
  if (relay_.HasWaitingClients()) {
    relay_.Forward(message);
    EndRun();
    return;
  }
  EvaluateReply(message, *run, datagram.arrival);
}

void SyncRun::EvaluateReply(const MessageBuffer& message, const RunState::AwaitedRun& run,
                            DateTime t4) {
  const DecodedReply reply = DecodeReply(message, run.t1, t4);
  const int tolerance_ms = view_.ToleranceMs();
  const Verdict verdict = Judge(reply, tolerance_ms);
  if (verdict == Verdict::kRejected) {
    view_.ReplyJudged(reply, verdict, tolerance_ms);
    return;  // unusable: the run ends by its timeout
  }
  int error = 0;
  try {
    view_.ReplyJudged(reply, verdict, tolerance_ms);
    if (verdict == Verdict::kCorrect) {
      error = CorrectClock(reply);
    }
  } catch (...) {
    EndAfterReply(run.dial_result);  // the ending runs whatever happens
    throw;
  }
  EndAfterReply(run.dial_result);
  if (verdict == Verdict::kCorrect) {
    view_.CorrectionFinished(error);
  }
}

int SyncRun::CorrectClock(const DecodedReply& reply) {
  const int error = clock_.clock().SetSystemTime(CorrectedTimeOnWholeMillisecond(reply.offset));
  if (error != 0) {
    return error;  // the clock, LastTime and the labels stay as they were
  }
  clock_.TakeBase();
  record_.last_time = clock_.ClockNow();
  view_.ClockCorrected(reply, clock_.clock().LocalNow());
  return 0;
}

// The system clock takes whole milliseconds. Rounding the corrected time would leave an error of
// up to half a millisecond; instead the correction waits (a millisecond at most) until the
// corrected time reaches the next whole millisecond and sets that one. The zone's shift is
// taken once, so that each reading in the wait is a plain clock reading.
CalendarFields SyncRun::CorrectedTimeOnWholeMillisecond(DateTime offset) {
  const DateTime local = clock_.ClockNow();
  const DateTime to_utc = offset - clock_.UtcShift(local);
  const double start_ms = (local + to_utc) * kMillisecondsPerDay;
  const double boundary_ms = std::ceil(start_ms);
  double now_ms = start_ms;
  for (int reading = 0; now_ms < boundary_ms && reading < kMaxBoundaryReadings; ++reading) {
    now_ms = (clock_.ClockNow() + to_utc) * kMillisecondsPerDay;
  }
  // Nearest, not down: a wait that overslept (the thread was preempted) loses no more than
  // rounding would have.
  return SplitDateTime(std::round(now_ms) / kMillisecondsPerDay);
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

void SyncRun::OnReplyTimeout() {
  reply_timer_.SetEnabled(false);
  const std::optional<RunState::AwaitedRun> run = state_.AwaitingReply();
  if (!run) {
    return;  // a late tick: the run has already ended
  }
  if (run->dial_result == drDialled && UnattendedRun()) {
    dial_.HangUp();
  }
  EndRun();
  relay_.Clear();
  view_.NoResponse();
}

void SyncRun::OnInvalidHost() {
  window_.Invoke([this] {
    view_.ServerNotFound();
    relay_.Clear();
    EndRun();
  });
  throw EAbort();  // no send, no timeout, no further message
}

void SyncRun::OnEndpointStatus(const std::string& status) {
  window_.Invoke([this, &status] { view_.EndpointStatus(status); });
}

void SyncRun::EndRun() {
  state_.End();
  view_.RunEnded();
  reply_timer_.SetEnabled(false);
  // An unattended start ends with its run, however the run ended: otherwise a failure before
  // the request would leave the program running, minimised, with nobody to close it.
  if (UnattendedRun()) {
    shell_.CloseMainWindow();
  }
}

bool SyncRun::UnattendedRun() {
  return shell_.FirstArgument() == kUnattendedRunSwitch;
}

}  // namespace tempiko::sync
