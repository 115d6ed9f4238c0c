#pragma once

// A synchronisation run on the real Win32 adapters: the Winsock endpoint on port 8263, real
// worker threads, the window thread's message loop, and a recording clock that reads the real
// clock but only records the settings (this machine's clock is never set).

#include <atomic>
#include <cmath>
#include <optional>
#include <string>

#include "message_pump.h"
#include "net/nmudp.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/dial_link.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"
#include "sync/sync_run.h"
#include "ui/memory_controls.h"
#include "ui/timer.h"
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

struct SyncRunRig {
  explicit SyncRunRig(const std::string& server, int tolerance_ms = 0)
      : SpinEdit1(tolerance_ms, 0, 10000),
        NMUDP1(win32::WinsockLayer::Factory(), [this] { return last_arrival = reader.UtcNow(); }) {
    ComboBox1.SetText(server);
    NMUDP1.RemotePort = 123;
    NMUDP1.SetLocalPort(8263);
    reader.TakeBase();
  }
  ~SyncRunRig() { window_thread.Shutdown(); }

  // The offset the last run measured, in milliseconds, from its T1, T2, T3 and the arrival
  // instant of its reply: the clock's error as the exchange saw it, before the setting rounds
  // the new time to whole milliseconds.
  double MeasuredOffsetMs() const {
    const double t4 = last_arrival;
    return ((run.T2() - run.T1()) + (run.T3() - t4)) / 2 * sync::kMillisecondsPerDay;
  }

  // Presses Connect and runs the window's messages until the run has ended.
  bool RunOnce(unsigned limit_ms = 15'000) {
    clock.new_utc.reset();
    Button1.Click();
    return PumpMessagesUntil([&] { return !run.RunInProgress(); }, limit_ms);
  }

  RecordingWin32Clock clock;
  sync::ClockReader reader{clock};
  // The arrival instant of the latest datagram on port 8263 (stamped on the receiving thread).
  std::atomic<double> last_arrival{0};
  ui::MemoryButton Button1{"接続"};
  ui::MemoryComboBox ComboBox1;
  ui::MemoryLabel Label1{"±0"};
  ui::MemoryLabel Label4{"0"};
  ui::MemoryStatusBar StatusBar1;
  ui::MemoryMemo Memo1;
  ui::MemorySpinEdit SpinEdit1;
  win32::Win32WindowThread window_thread;
  ui::TTimer Timer2{window_thread, 30000, false};
  net::TNMUDP NMUDP1;
  win32::Win32HostResolver resolver;
  sync::Locale locale = win32::ReadUserLocale();
  InteractiveShell shell;
  sync::CorrectionRecord record;
  sync::LanLink dial;
  sync::NoRelayClients relay;
  // Joined before the window thread goes (members end in reverse order).
  win32::ThreadWorkerStarter workers;
  sync::SyncRun run{{Button1, ComboBox1, Label1, Label4, StatusBar1, Memo1, SpinEdit1, Timer2,
                     NMUDP1, reader, resolver, window_thread, workers, locale, shell, record, dial,
                     relay}};
};

}  // namespace tempiko::test
