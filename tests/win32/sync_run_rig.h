#pragma once

// A synchronisation run on the real Win32 adapters: the Winsock endpoint on port 8263, real
// worker threads, the window thread's message loop, and a recording clock that reads the real
// clock but only records the settings (this machine's clock is never set).

#include <cmath>
#include <optional>
#include <string>

#include "app/run_presenter.h"
#include "fakes/memory_controls.h"
#include "loop/timer.h"
#include "message_pump.h"
#include "net/udp_endpoint.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/dial_link.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"
#include "sync/sync_run.h"
#include "win32/win32_clock.h"
#include "win32/win32_host_resolver.h"
#include "win32/win32_locale.h"
#include "win32/win32_window_thread.h"
#include "win32/winsock_layer.h"
#include "win32/worker_threads.h"

namespace tempiko::test {

class RecordingWin32Clock final : public win32::Win32Clock {
 public:
  int SetSystemTime(const sync::CalendarFields& utc) override {
    // The host's UTC at the moment the program would have set the clock.
    utc_at_setting = UtcNow();
    new_utc = sync::EncodeDateTime(utc);
    return 0;
  }
  int SetLocalTime(const sync::CalendarFields&) override { return sync::kErrorPrivilegeNotHeld; }

  // The error of the time the run would have set, in milliseconds.
  std::optional<double> ErrorMs() const {
    if (!new_utc)
      return std::nullopt;
    return (*new_utc - utc_at_setting) * sync::kMillisecondsPerDay;
  }

  std::optional<sync::DateTime> new_utc;
  sync::DateTime utc_at_setting = 0;
};

class InteractiveShell final : public sync::ProgramShell {
 public:
  std::string FirstArgument() override { return ""; }
  void CloseMainWindow() override { closed = true; }
  bool closed = false;
};

// The window's presenter, and the last reply the run decoded (window thread).
class ObservedView final : public sync::RunView {
 public:
  explicit ObservedView(app::RunPresenter& presenter) : presenter_(presenter) {}

  int ToleranceMs() override { return presenter_.ToleranceMs(); }
  void RunStarted() override { presenter_.RunStarted(); }
  void LinkDialled() override { presenter_.LinkDialled(); }
  void RequestPrepared(const sync::RequestRecord& request) override {
    presenter_.RequestPrepared(request);
  }
  void RequestSending(bool dial_failed) override { presenter_.RequestSending(dial_failed); }
  void ReplyJudged(const sync::DecodedReply& reply, sync::Verdict verdict,
                   int tolerance_ms) override {
    last_reply = reply;
    presenter_.ReplyJudged(reply, verdict, tolerance_ms);
  }
  void ClockCorrected(const sync::DecodedReply& reply, sync::DateTime local_now) override {
    presenter_.ClockCorrected(reply, local_now);
  }
  void CorrectionFinished(int error) override { presenter_.CorrectionFinished(error); }
  void ServerNotFound() override { presenter_.ServerNotFound(); }
  void NoResponse() override { presenter_.NoResponse(); }
  void RunFailed(const std::string& text) override { presenter_.RunFailed(text); }
  void EndpointStatus(const std::string& text) override { presenter_.EndpointStatus(text); }
  void RunEnded() override { presenter_.RunEnded(); }

  std::optional<sync::DecodedReply> last_reply;

 private:
  app::RunPresenter& presenter_;
};

struct SyncRunRig {
  explicit SyncRunRig(const std::string& server, int tolerance_ms = 0)
      : tolerance_field(tolerance_ms, 0, 10000) {
    connect_button.OnClick = [this] { run.Start(server_box.Text()); };
    server_box.SetText(server);
    client_endpoint.RemotePort = 123;
    client_endpoint.SetLocalPort(8263);
    reader.TakeBase();
  }
  ~SyncRunRig() { window_thread.Shutdown(); }

  // The offset the last run measured, in milliseconds, from its T1, T2, T3 and the arrival
  // instant of its reply: the clock's error as the exchange saw it, before the setting rounds
  // the new time to whole milliseconds.
  double MeasuredOffsetMs() const {
    return view.last_reply ? view.last_reply->offset * sync::kMillisecondsPerDay : 0;
  }

  // Presses Connect and runs the window's messages until the run has ended.
  bool RunOnce(unsigned limit_ms = 15'000) {
    clock.new_utc.reset();
    connect_button.Click();
    return PumpMessagesUntil([&] { return !run.RunInProgress(); }, limit_ms);
  }

  RecordingWin32Clock clock;
  sync::ClockReader reader{clock};
  ui::MemoryButton connect_button{"接続"};
  ui::MemoryComboBox server_box;
  ui::MemoryLabel offset_label{"±0"};
  ui::MemoryLabel clock_label{"0"};
  ui::MemoryStatusBar status_bar;
  ui::MemoryMemo log;
  ui::MemorySpinEdit tolerance_field;
  win32::Win32WindowThread window_thread;
  loop::Timer reply_timer{window_thread, 30000, false};
  net::UdpEndpoint client_endpoint{win32::WinsockLayer::Factory(),
                                   [this] { return reader.UtcNow(); }};
  win32::Win32HostResolver resolver;
  sync::Locale locale = win32::ReadUserLocale();
  InteractiveShell shell;
  sync::CorrectionRecord record;
  sync::LanLink dial;
  sync::NoRelayClients relay;
  // Joined before the window thread goes (members end in reverse order).
  win32::ThreadWorkerStarter workers;
  app::RunPresenter presenter{{.connect_button = connect_button,
                               .offset_label = offset_label,
                               .clock_label = clock_label,
                               .status_bar = status_bar,
                               .log = log,
                               .tolerance_ms = tolerance_field},
                              locale};
  ObservedView view{presenter};
  sync::SyncRun run{{.view = view,
                     .reply_timer = reply_timer,
                     .endpoint = client_endpoint,
                     .clock = reader,
                     .resolver = resolver,
                     .window = window_thread,
                     .workers = workers,
                     .shell = shell,
                     .record = record,
                     .dial = dial,
                     .relay = relay}};
};

}  // namespace tempiko::test
