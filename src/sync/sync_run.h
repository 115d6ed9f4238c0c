#pragma once

#include <cstdint>
#include <string>

#include "loop/threads.h"
#include "loop/timer.h"
#include "net/host_resolver.h"
#include "net/udp_endpoint.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/dial_link.h"
#include "sync/exchange.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"
#include "sync/run_state.h"
#include "sync/run_view.h"
#include "sync/sync_worker.h"

namespace tempiko::sync {

// Everything a synchronisation run works with; the main window owns all of it.
struct SyncRunPorts {
  RunView& view;               // what the user sees of the run
  loop::Timer& reply_timer;    // the reply timeout
  net::UdpEndpoint& endpoint;  // the upstream endpoint, local port 8263
  ClockReader& clock;
  net::HostResolver& resolver;
  loop::WindowThread& window;
  loop::WorkerStarter& workers;
  ProgramShell& shell;
  CorrectionRecord& record;  // LastTime, renewed by each clock setting
  DialLink& dial;
  RelayQueue& relay;
};

// The synchronisation run: from Connect through the worker that resolves the server and sends
// the request, to the reply that sets the clock or the timeout that gives up. It decides and
// computes; its RunView shows what happens.
//
// One run at a time: a trigger that comes while a run is in progress (the periodic timer, the
// dial-up watcher, a relay request) starts nothing. And only the server's answer counts: a
// datagram is taken as the reply only from the address and port the request went to, while the
// run awaits it.
//
// Under the unattended switch ("-d") the program lives for one run: every ending of the run
// (reply, timeout, a server that cannot be found or used, a refused dial, a failed send, a
// reply passed on to relay clients) closes the main window.
//
// The handlers run on the window thread, except where said otherwise.
class SyncRun final : private RunEndings {
 public:
  static constexpr std::uint32_t kReplyTimeoutOnlineMs = 5000;    // LAN or a link already up
  static constexpr std::uint32_t kReplyTimeoutDialledMs = 30000;  // a link just dialled

  // Binds the reply timer's tick and the endpoint's events to the handlers below, and leaves
  // the timer off with its first interval of 30000 ms.
  explicit SyncRun(const SyncRunPorts& ports);
  ~SyncRun();
  SyncRun(const SyncRun&) = delete;
  SyncRun& operator=(const SyncRun&) = delete;

  // Connect: starts a run for the server text unless it is empty or a run is in progress.
  // Under the unattended switch an empty server text closes the main window: there is no run
  // to wait for.
  void Start(const std::string& server_text);

  // The endpoint's events and the reply timeout.
  void OnReply(const net::ReceivedDatagram& datagram);
  void OnReplyTimeout();
  // The request has been handed to the socket: the send instant T1. Worker.
  void OnRequestSent();
  // The endpoint could not turn the server address into one it can send to. Worker, inside
  // SendDatagram: ends the run and abandons the send with the silent EAbort.
  void OnInvalidHost();
  // The endpoint's own progress reports. Either thread.
  void OnEndpointStatus(const std::string& status);

  // The state of the latest run; readable from any thread.
  bool RunInProgress() const { return state_.InProgress(); }
  int DialResult() const { return state_.DialResult(); }
  std::string ServerAddress() const { return state_.ServerAddress(); }
  DateTime T1() const { return state_.T1(); }

 private:
  // RunEndings, on the window thread.
  void EndRun() override;
  void ArmReplyTimeout(std::uint64_t run_number, int dial_result) override;

  void EvaluateReply(const MessageBuffer& message, const RunState::AwaitedRun& run, DateTime t4);
  // Sets the clock by the reply's offset: 0, or the platform's error.
  int CorrectClock(const DecodedReply& reply);
  CalendarFields CorrectedTimeOnWholeMillisecond(DateTime offset);
  void EndAfterReply(int dial_result);
  bool UnattendedRun();

  RunView& view_;
  loop::Timer& reply_timer_;
  net::UdpEndpoint& endpoint_;
  ClockReader& clock_;
  net::HostResolver& resolver_;
  loop::WindowThread& window_;
  loop::WorkerStarter& workers_;
  ProgramShell& shell_;
  CorrectionRecord& record_;
  DialLink& dial_;
  RelayQueue& relay_;
  RunState state_;
};

}  // namespace tempiko::sync
