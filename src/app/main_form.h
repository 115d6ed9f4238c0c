#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/dial_presenter.h"
#include "app/main_controls.h"
#include "app/marking_label.h"
#include "app/run_presenter.h"
#include "app/settings_binding.h"
#include "app/settings_file.h"
#include "app/startup_registration.h"
#include "app/startup_shell.h"
#include "app/window_shell.h"
#include "loop/threads.h"
#include "loop/timer.h"
#include "net/host_resolver.h"
#include "net/socket_layer.h"
#include "net/udp_endpoint.h"
#include "sync/clock_reader.h"
#include "sync/correction_record.h"
#include "sync/dial_up_link.h"
#include "sync/locale.h"
#include "sync/program_shell.h"
#include "sync/relay_clients.h"
#include "sync/remote_access.h"
#include "sync/simple_correction.h"
#include "sync/sync_run.h"
#include "sync/system_clock.h"

namespace tempiko::app {

// What the main window's logic stands on: its controls, the window system around them, the
// event loop's timers and threads, the clock, the network and the settings file.
struct MainFormPorts {
  MainControls controls;
  WindowShell& shell;
  loop::TimerHost& timers;
  loop::WindowThread& window;
  loop::WorkerStarter& workers;
  sync::SystemClock& clock;
  net::HostResolver& resolver;
  // Makes the socket layer of each endpoint (the client's and the relay's).
  net::SocketLayerFactory sockets;
  SettingsFile& settings;
  const sync::Locale& locale;
  // The server list the window starts with when the settings file lists none.
  const std::vector<std::string>& builtin_servers;
  // This computer's name (GetComputerName), looked up once for OwnAddress.
  std::string computer_name;
  // The system's dialler: its phone-book fills the connection box.
  sync::RemoteAccess& dialler;
  // The worker's pause between two queries of a link's state.
  sync::DialUpLink::Sleeper pause;
  // The Startup folder's shortcut.
  StartupShell& startup;
};

// One item of the tray menu.
struct MenuItem {
  const char* name;
  const char* caption;  // "-": a separator
  int command;          // the item's command identifier
};

// The main window's logic, and the owner of everything that lives for the whole run: the
// timers, the two UDP endpoints, the synchronisation run, the simple correction, the record
// of the last clock setting, the display pattern and the tray icon's state. The window
// routes every event to the handler of the same name, on the window thread.
class MainForm final : public sync::ProgramShell {
 public:
  // Command identifiers are multiples of 16 below 0xF000: the system menu keeps the low four
  // bits of WM_SYSCOMMAND for itself and uses the values from 0xF000 for its own commands.
  static constexpr int kHelpCommand = 0x0100;
  static constexpr int kAboutCommand = 0x0110;
  static constexpr int kShowCommand = 0x0130;
  static constexpr int kExitCommand = 0x0150;
  // The tray menu, in order. Its first two items are also appended to the window's system
  // menu, with their captions and command identifiers.
  static constexpr std::array<MenuItem, 6> kTrayMenu = {{
      {"Help1", "ヘルプ", kHelpCommand},
      {"About1", "バージョン情報", kAboutCommand},
      {"N2", "-", 0x0120},
      {"N3", "設定", kShowCommand},
      {"N4", "-", 0x0140},
      {"Exit1", "終了", kExitCommand},
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

  // Makes the timers (clock_timer running), the endpoints (client_endpoint: local port 8263 to port
  // 123; relay_endpoint: local port 123 to port 8263), the run and the simple correction. A socket
  // library that cannot be started throws net::UdpSocketError.
  explicit MainForm(const MainFormPorts& ports);
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // --- The window's events ---
  // Creation: loads the settings, shows the last setting on the status line, fills the
  // connection box, hides to the tray in tray mode, finds OwnAddress, takes the clock's base.
  void OnCreate();
  void OnShow();
  // Under "-d" or "-s" the whole application is minimised each time the window is activated.
  void OnActivate();
  // A click on the background, a group box, the offset label or its caption, the clock's
  // caption, the computer picture or the status bar.
  void OnBackgroundClick();
  // Saves the settings; a failed write is shown and refuses the close.
  bool OnCloseQuery();
  void OnDestroy();
  // The tray icon's callback with the mouse message; false for one the window should pass to
  // DefWindowProc.
  bool TrayIconMessage(int mouse_message);
  // The taskbar was (re)created (the registered "TaskbarCreated" message): the icon went with
  // the old one.
  void TaskbarCreated();
  // WM_SYSCOMMAND after its standard handling: the tray menu's item with that command runs.
  void SystemMenuCommand(int command);
  // A command of the tray menu; answers whether an item with a click action ran.
  bool OnTrayMenuCommand(int command);
  // WM_QUERYENDSESSION: closes both endpoints and the window; answers that the log-off or
  // shut-down may go on.
  bool QueryEndSession();

  // --- The controls' events ---
  // Presses Connect, as the periodic timer, the unattended start and the relay do: the click's
  // handler runs also while the button is disabled.
  void PressConnect();
  // Connect's click: a run for the server box's text.
  void OnConnectClick();
  void OnExitOrHideClick();
  void OnZeroCorrectionPress();
  void OnDetailsClick();
  void OnPageClick();
  // 登録 and 削除: the shortcut in the Startup folder.
  void OnRegisterClick();
  void OnUnregisterClick();
  // relay_box's click and period_field's change: the relay option handler.
  void OnResidentOptionChanged();
  // A datagram on the relay's port while the relay is on: a LAN client asking for the time.
  void OnRelayRequest(const net::ReceivedDatagram& request);
  void OnClockDoubleClick();
  void OnClockTick();
  bool ClockLabelDue();  // any thread
  void OnWatcherTick();
  void OnHelpCommand();
  void OnAboutCommand();
  void OnShowCommand();
  void OnExitCommand();

  // --- The start sequence ---
  // After creation: "-d" presses Connect; "-s" applies the drift correction when a rate is set
  // and closes the window.
  void ActOnSwitch();

  // The status line: the status bar and a new line of the log.
  void ShowStatus(const std::string& text);

  // sync::ProgramShell. The program closes its window by itself only at the end of an unattended
  // start.
  std::string FirstArgument() override;
  void CloseMainWindow() override;

  // --- State, for the window and tests ---
  const std::string& DisplayFormat() const { return format_; }
  bool DialCheck() const { return dial_check_; }
  // Dotted; empty when this computer's name did not resolve.
  std::string OwnAddress() const { return own_address_ ? net::FormatAddress(*own_address_) : ""; }
  bool DetailsOpened() const { return details_opened_; }
  bool TrayIconShown() const { return tray_icon_shown_; }
  const sync::CorrectionRecord& Record() const { return record_; }
  const loop::Timer& clock_timer() const { return clock_timer_; }
  const loop::Timer& reply_timer() const { return reply_timer_; }
  const loop::Timer& period_timer() const { return period_timer_; }
  const loop::Timer& watcher_timer() const { return watcher_timer_; }
  net::UdpEndpoint& client_endpoint() { return client_endpoint_; }
  net::UdpEndpoint& relay_endpoint() { return relay_endpoint_; }
  sync::RelayClients& Relay() { return relay_clients_; }
  sync::DialUpLink& DialLink() { return dial_link_; }
  sync::SyncRun& Run() { return run_; }

 private:
  // Relay ticked or a period set: exit_button hides to the tray instead of closing.
  bool TrayMode() const;
  WindowSettings SettingsView();
  std::string LastTimeText() const;
  void ShowAgain();
  void AddTrayIcon();
  void ArmPeriodicRun();
  void ApplyDialWatcherRule();
  void SwitchRelayListener(bool on);
  void WarnIfRelayDeaf();
  void FillEntryList();
  std::optional<net::Ipv4Address> FindOwnAddress();

  MainControls c_;
  WindowShell& shell_;
  net::HostResolver& resolver_;
  SettingsFile& settings_;
  const sync::Locale& locale_;
  const std::vector<std::string>& builtin_servers_;
  const std::string computer_name_;
  sync::RemoteAccess& dialler_;

  loop::Timer clock_timer_;    // the clock label, every 10 ms while the window is shown
  loop::Timer reply_timer_;    // the reply timeout, run by the synchronisation run
  loop::Timer period_timer_;   // the periodic run
  loop::Timer watcher_timer_;  // the dial-up watcher
  // Before the endpoints: it stamps their datagrams, possibly on a thread of theirs, until
  // they are gone.
  sync::ClockReader clock_;
  net::UdpEndpoint client_endpoint_;  // the program's own exchange
  net::UdpEndpoint relay_endpoint_;   // the relay's port
  sync::CorrectionRecord record_;
  std::string format_;
  // The clock label's last tick: the pattern it used and the second it showed.
  std::string ticked_format_;
  bool format_shows_milliseconds_ = false;
  std::atomic<double> ticked_second_ = -1;
  std::string ticked_text_;
  // The label shows the pattern's text of ticked_second_, and the pattern has no milliseconds:
  // until the second changes, a tick has nothing to do. Cleared by whatever changes the
  // pattern or writes the label (the run, through run_clock_label_).
  std::atomic<bool> clock_label_settled_ = false;
  MarkingLabel run_clock_label_;
  bool dial_check_ = true;
  std::optional<net::Ipv4Address> own_address_;
  bool details_opened_ = false;
  bool created_ = false;  // the creation's status line has been shown
  bool relay_listening_ = false;
  // The icon is wanted from the first hide on; shown while the taskbar holds it.
  bool tray_icon_wanted_ = false;
  bool tray_icon_shown_ = false;
  // The window is closing at the end of an unattended start: nobody is there to answer for
  // settings that cannot be saved.
  bool ending_unattended_start_ = false;

  sync::RelayClients relay_clients_;
  DialPresenter dial_presenter_;
  sync::DialUpLink dial_link_;
  RunPresenter presenter_;
  sync::SyncRun run_;
  sync::SimpleCorrection simple_correction_;
  StartupRegistration startup_;
};

}  // namespace tempiko::app
