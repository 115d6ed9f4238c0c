#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "net/host_resolver.h"
#include "net/nmudp.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/date_time.h"
#include "sync/dial_link.h"
#include "sync/locale.h"
#include "sync/ntp_message.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"
#include "sync/reply_report.h"
#include "ui/controls.h"
#include "ui/timer.h"
#include "ui/window_thread.h"

namespace tempiko::sync {

// Everything a synchronisation run works with; the main window owns all of it.
struct SyncRunPorts {
  ui::TButton& Button1;        // "接続": starts a run; disabled while one is in progress
  ui::TComboBox& ComboBox1;    // the server: a host name or a dotted IPv4 address
  ui::TLabel& Label1;          // the offset label
  ui::TLabel& Label4;          // the clock label
  ui::TStatusBar& StatusBar1;  // the status line
  ui::TMemo& Memo1;            // the log
  ui::TSpinEdit& SpinEdit1;    // the tolerance in milliseconds
  ui::TTimer& Timer2;          // the reply timeout
  net::TNMUDP& NMUDP1;         // the upstream endpoint, local port 8263
  ClockReader& clock;
  net::HostResolver& resolver;
  ui::WindowThread& window;
  ui::WorkerStarter& workers;
  const Locale& locale;
  ProgramShell& shell;
  CorrectionRecord& record;  // LastTime, renewed by each clock setting
  DialLink& dial;
  RelayQueue& relay;
};

// The synchronisation run: from the Connect button through the worker that resolves the server
// and sends the request, to the reply that sets the clock or the timeout that gives up.
//
// One run at a time: a trigger that comes while a run is in progress (the periodic timer, the
// dial-up watcher, a relay request) starts nothing, so a reply is only ever judged against the
// send instant of its own run. And only the server's answer counts: a datagram is taken as the
// reply only from the address and port the request went to, while the run awaits it.
//
// Under the unattended switch ("-d") the program lives for one run: every ending of the run
// (reply, timeout, a server that cannot be found or used, a refused dial, a failed send, a
// reply passed on to relay clients) closes the main window.
//
// The handlers run on the window thread, except where said otherwise. The worker (TRASThreed)
// makes every change to the window through WindowThread::Invoke, in order, waiting for each.
class SyncRun {
 public:
  static constexpr std::int32_t kServerPort = 123;
  static constexpr std::uint32_t kReplyTimeoutOnlineMs = 5000;    // LAN or a link already up
  static constexpr std::uint32_t kReplyTimeoutDialledMs = 30000;  // a link just dialled
  // A reply that took this long or longer is too stale to set the clock with.
  static constexpr std::int64_t kMaxDelayMs = 2000;

  // Binds Button1's click, Timer2's tick and NMUDP1's events to the handlers below, and
  // leaves Timer2 disabled with its first interval of 30000 ms.
  explicit SyncRun(const SyncRunPorts& ports);
  ~SyncRun();
  SyncRun(const SyncRun&) = delete;
  SyncRun& operator=(const SyncRun&) = delete;

  // Starts a run when the server box is not empty and no run is in progress. Under the
  // unattended switch an empty server box closes the main window: there is no run to wait for.
  void Button1Click();
  // The reply timeout.
  void Timer2Timer();
  // The request has been handed to the socket: the send instant T1. Worker.
  void NMUDP1DataSend(net::TNMUDP& sender);
  // A datagram on the client port; judged with the instant it left the socket as T4.
  void NMUDP1DataReceived(net::TNMUDP& sender, const net::ReceivedDatagram& datagram);
  // The endpoint could not turn the server address into one it can send to. Worker, inside
  // SendDatagram: ends the run and abandons the send with the silent EAbort.
  void NMUDP1InvalidHost(bool& handled);
  // The endpoint's own progress reports. Either thread.
  void NMUDP1Status(net::TNMUDP& sender, const std::string& status);
  // The status line: the text on the status bar and as a new line of the log.
  void ShowStatus(const std::string& text);

  // The state of the latest run; readable from any thread.
  bool RunInProgress() const;
  int DialResult() const;
  std::string ServerAddress() const;
  DateTime T1() const;
  // Window thread.
  DateTime T2() const { return report_.T2(); }
  DateTime T3() const { return report_.T3(); }
  const MessageBuffer& Message() const { return message_; }

 private:
  friend class TRASThreed;

  enum class Phase { kIdle, kWorking, kAwaitingReply };

  // What the reply handler needs of the run that awaits a reply.
  struct AwaitedRun {
    DateTime t1 = 0;
    int dial_result = drOnline;
  };
  // What the evaluation of a reply ends with: a text for the status line after the ending.
  using Outcome = std::optional<std::string>;

  // Worker: turns the server text of the run into ServerAddress; true when that failed (the
  // failure has been shown and the run ended).
  bool ResolveServer();
  // Worker, right before the request is sent: from now on the server's reply is awaited, with
  // the instant before the send as T1 until NMUDP1DataSend records the send itself. A fast
  // reply may be handled on the window thread before the endpoint reports the send.
  void ExpectReply();
  // Window thread: the interval for the run's dial result, and arming, unless the reply has
  // already been handled (or another run has begun meanwhile).
  void ArmReplyTimeout(std::uint64_t run_number, int dial_result);

  std::optional<AwaitedRun> AwaitedRunFor(net::Ipv4Address from, std::uint16_t port) const;
  void EvaluateReply(const AwaitedRun& run, DateTime t4);
  Outcome JudgeAndCorrect(const AwaitedRun& run, DateTime t4);
  Outcome CorrectClock(DateTime offset);
  void EndAfterReply(int dial_result);
  // Window thread: every ending: the run is over, Connect usable again, the timeout off, and
  // under the unattended switch the main window closes.
  void EndRun();
  // Worker: a failure the worker did not expect ends the run with its text on the status line.
  void EndAfterWorkerFailure(const std::string& text);
  bool UnattendedRun();

  ui::TButton& Button1;
  ui::TComboBox& ComboBox1;
  ui::TLabel& Label1;
  ui::TLabel& Label4;
  ui::TStatusBar& StatusBar1;
  ui::TMemo& Memo1;
  ui::TSpinEdit& SpinEdit1;
  ui::TTimer& Timer2;
  net::TNMUDP& NMUDP1;
  ClockReader& clock_;
  net::HostResolver& resolver_;
  ui::WindowThread& window_;
  ui::WorkerStarter& workers_;
  const Locale& locale_;
  ProgramShell& shell_;
  CorrectionRecord& record_;
  DialLink& dial_;
  RelayQueue& relay_;

  // The run's state, shared by the window thread and the worker.
  mutable std::mutex state_lock_;
  Phase phase_ = Phase::kIdle;
  std::uint64_t run_number_ = 0;
  int dial_result_ = drOnline;
  std::string server_text_;               // the server box's text when the run started
  std::string server_address_;            // ServerAddress: dotted, as typed or as looked up
  net::Ipv4Address server_endpoint_ = 0;  // the same address as a value
  DateTime t1_ = 0;

  // The NTP message: the request while it is built and sent (worker), then the reply (window
  // thread). Runs never overlap, so the two never touch it at once.
  MessageBuffer message_{};
  ReplyReport report_;
};

}  // namespace tempiko::sync
