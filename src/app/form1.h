#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_controls.h"
#include "app/run_presenter.h"
#include "app/settings_binding.h"
#include "app/settings_file.h"
#include "app/window_shell.h"
#include "loop/threads.h"
#include "loop/timer.h"
#include "net/host_resolver.h"
#include "net/nmudp.h"
#include "net/socket_layer.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/dial_link.h"
#include "sync/locale.h"
#include "sync/program_shell.h"
#include "sync/relay_queue.h"
#include "sync/simple_correction.h"
#include "sync/sync_run.h"
#include "sync/system_clock.h"

namespace tempiko::app {

// What the main window's logic stands on: its controls, the window system around them, the
// event loop's timers and threads, the clock, the network and the settings file.
struct Form1Ports {
  MainControls controls;
  WindowShell& shell;
  loop::TimerHost& timers;
  loop::WindowThread& window;
  loop::WorkerStarter& workers;
  sync::SystemClock& clock;
  net::HostResolver& resolver;
  net::SocketLayerFactory sockets;  // makes the socket layer of NMUDP1 and of NMUDP2
  SettingsFile& settings;
  const sync::Locale& locale;
  // The server list the window starts with when the settings file lists none.
  const std::vector<std::string>& builtin_servers;
  // This computer's name (GetComputerName), looked up once for OwnAddress.
  std::string computer_name;
};

// One item of PopupMenu1, the tray menu.
struct MenuItem {
  const char* name;
  const char* caption;  // "-": a separator
  int command;          // the item's command identifier
};

// The main window's logic, and the owner of everything that lives for the whole run: the
// timers, the two UDP endpoints, the synchronisation run, the simple correction, the record
// of the last clock setting, the display pattern and the tray icon's state. The window
// routes every event to the handler of the same name, on the window thread.
class TForm1 final : public sync::ProgramShell {
 public:
  // Command identifiers are multiples of 16 below 0xF000: the system menu keeps the low four
  // bits of WM_SYSCOMMAND for itself and uses the values from 0xF000 for its own commands.
  static constexpr int kHelp1Command = 0x0100;
  static constexpr int kAbout1Command = 0x0110;
  static constexpr int kN3Command = 0x0130;
  static constexpr int kExit1Command = 0x0150;
  // The tray menu, in order. Its first two items are also appended to the window's system
  // menu, with their captions and command identifiers.
  static constexpr std::array<MenuItem, 6> kPopupMenu1 = {{
      {"Help1", "ヘルプ", kHelp1Command},
      {"About1", "バージョン情報", kAbout1Command},
      {"N2", "-", 0x0120},
      {"N3", "設定", kN3Command},
      {"N4", "-", 0x0140},
      {"Exit1", "終了", kExit1Command},
  }};
  static constexpr int kSystemMenuEntries = 2;

  // The mouse messages the tray icon's callback reports.
  static constexpr int kWmLButtonUp = 514;
  static constexpr int kWmRButtonUp = 517;

  static constexpr std::uint32_t kClockIntervalMs = 10;
  static constexpr std::uint32_t kHourMs = 3'600'000;
  static constexpr std::uint32_t kWatcherIntervalMs = 2000;
  // The longest interval a window timer takes (USER_TIMER_MAXIMUM): about 24.8 days.
  static constexpr std::uint32_t kLongestTimerMs = 0x7FFF'FFFF;
  static constexpr int kNarrowWidth = 297;  // client width without the details area
  static constexpr int kWideWidth = 569;    // and with it

  // Makes the timers (Timer1 running), the endpoints (NMUDP1: local port 8263 to port 123;
  // NMUDP2: local port 123 to port 8263), the run and the simple correction. A socket library
  // that cannot be started throws net::UDPSockError.
  explicit TForm1(const Form1Ports& ports);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // --- The window's events ---
  // Creation: loads the settings, shows the last setting on the status line, fills the
  // connection box, hides to the tray in tray mode, finds OwnAddress, takes the clock's base.
  void FormCreate();
  void FormShow();
  // Under "-d" or "-s" the whole application is minimised each time the window is activated.
  void FormActivate();
  // A click on the background, a group box, Label1 to Label3, Image2 or the status bar.
  void FormClick();
  // Saves the settings; a failed write is shown and refuses the close.
  bool FormCloseQuery();
  void FormDestroy();
  // The tray icon's callback with the mouse message; false for one the window should pass to
  // DefWindowProc.
  bool TrayIconMessage(int mouse_message);
  // The taskbar was (re)created (the registered "TaskbarCreated" message): the icon went with
  // the old one.
  void TaskbarCreated();
  // WM_SYSCOMMAND after its standard handling: the tray menu's item with that command runs.
  void SystemMenuCommand(int command);
  // A command of PopupMenu1; answers whether an item with a click action ran.
  bool PopupMenu1Command(int command);
  // WM_QUERYENDSESSION: closes both endpoints and the window; answers that the log-off or
  // shut-down may go on.
  bool QueryEndSession();

  // --- The controls' events ---
  // Presses Connect, as the periodic timer, the unattended start and the relay do: the click's
  // handler runs also while the button is disabled.
  void Button1Click();
  // Connect's click: a run for the server box's text.
  void OnConnectClick();
  void Button2Click();
  void Button5MouseDown();
  void Button6Click();
  void Button7Click();
  // CheckBox1's click and SpinEdit3's change: the relay option handler.
  void CheckBox1Click();
  void Label4DblClick();
  void Timer1Timer();
  void Timer4Timer();
  void Help1Click();
  void About1Click();
  void N3Click();
  void Exit1Click();

  // --- The start sequence ---
  // After creation: "-d" presses Connect; "-s" applies the drift correction when a rate is set
  // and closes the window.
  void ActOnSwitch();

  // The status line: the status bar and a new line of the log.
  void ShowStatus(const std::string& text);

  // sync::ProgramShell
  std::string FirstArgument() override;
  void CloseMainWindow() override;

  // --- State, for the window and tests ---
  const std::string& Format() const { return format_; }
  bool DialCheck() const { return dial_check_; }
  const std::string& OwnAddress() const { return own_address_; }
  bool DetailsOpened() const { return details_opened_; }
  bool TrayIconShown() const { return tray_icon_shown_; }
  const sync::CorrectionRecord& Record() const { return record_; }
  const loop::Timer& Timer1() const { return timer1_; }
  const loop::Timer& Timer3() const { return timer3_; }
  const loop::Timer& Timer4() const { return timer4_; }
  net::TNMUDP& NMUDP1() { return nmudp1_; }
  net::TNMUDP& NMUDP2() { return nmudp2_; }
  sync::SyncRun& Run() { return run_; }

 private:
  // Relay ticked or a period set: Button2 hides to the tray instead of closing.
  bool TrayMode() const;
  WindowSettings SettingsView();
  std::string LastTimeText() const;
  void ShowAgain();
  void AddTrayIcon();
  void ArmPeriodicRun();
  void ApplyDialWatcherRule();
  void SwitchRelayListener(bool on);
  void FillEntryList();
  std::string FindOwnAddress();

  MainControls c_;
  WindowShell& shell_;
  net::HostResolver& resolver_;
  SettingsFile& settings_;
  const sync::Locale& locale_;
  const std::vector<std::string>& builtin_servers_;
  const std::string computer_name_;

  loop::Timer timer1_;  // the clock label, every 10 ms while the window is shown
  loop::Timer timer2_;  // the reply timeout, run by the synchronisation run
  loop::Timer timer3_;  // the periodic run
  loop::Timer timer4_;  // the dial-up watcher
  // Before the endpoints: it stamps their datagrams, possibly on a thread of theirs, until
  // they are gone.
  sync::ClockReader clock_;
  net::TNMUDP nmudp1_;  // the program's own exchange
  net::TNMUDP nmudp2_;  // the relay's port
  sync::CorrectionRecord record_;
  std::string format_;
  bool dial_check_ = true;
  std::string own_address_;
  bool details_opened_ = false;
  // The icon is wanted from the first hide on; shown while the taskbar holds it.
  bool tray_icon_wanted_ = false;
  bool tray_icon_shown_ = false;

  // The dial-up link and the relay queue of a computer on the LAN without the relay.
  sync::LanLink dial_link_;
  sync::NoRelayClients relay_queue_;
  RunPresenter presenter_;
  sync::SyncRun run_;
  sync::SimpleCorrection simple_correction_;
};

}  // namespace tempiko::app
