#include "app/main_form.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/clock_setting_text.h"
#include "app/program_start.h"
#include "base/errors.h"
#include "sync/date_format.h"
#include "sync/date_pattern.h"

namespace tempiko::app {
namespace {

constexpr char kButton2Hides[] = "閉じる";
constexpr char kButton2Exits[] = "終了";
constexpr char kDetailsShow[] = "詳細 >>";
constexpr char kDetailsHide[] = "<< 詳細";
constexpr char kOptionsPageNext[] = "ｵﾌﾟｼｮﾝ";
constexpr char kLogPageNext[] = "状態";
constexpr char kNoLastTime[] = "不明";
constexpr char kRelayPortTaken[] = "ポート123を使用できないため代理サーバは動作しません";

constexpr int kLogPage = 1;      // TabSheet1
constexpr int kOptionsPage = 2;  // TabSheet2

constexpr std::int32_t kNtpPort = 123;
constexpr std::int32_t kClientPort = 8263;

// The period in milliseconds for a number of hours above 0, as long as a window timer can
// count: a longer one would wrap into a much shorter period.
std::uint32_t PeriodMs(int hours) {
  const std::int64_t ms = std::int64_t{hours} * MainForm::kHourMs;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, MainForm::kLongestTimerMs));
}

}  // namespace

MainForm::MainForm(const MainFormPorts& ports)
    : c_(ports.controls),
      shell_(ports.shell),
      resolver_(ports.resolver),
      settings_(ports.settings),
      locale_(ports.locale),
      builtin_servers_(ports.builtin_servers),
      computer_name_(ports.computer_name),
      dialler_(ports.dialler),
      clock_timer_(ports.timers, kClockIntervalMs, true),
      reply_timer_(ports.timers, sync::SyncRun::kReplyTimeoutDialledMs, false),
      period_timer_(ports.timers, kHourMs, false),
      watcher_timer_(ports.timers, kWatcherIntervalMs, false),
      clock_(ports.clock),
      client_endpoint_(ports.sockets, [this] { return clock_.UtcNow(); }),
      relay_endpoint_(ports.sockets, [this] { return clock_.UtcNow(); }),
      run_clock_label_(c_.clock_label, clock_label_settled_),
      relay_clients_(relay_endpoint_, [this] { presenter_.RelayForwarded(); }),
      dial_presenter_({.entry_box = c_.entry_box, .status_bar = c_.status_bar, .log = c_.log},
                      ports.shell),
      dial_link_(ports.dialler, dial_presenter_, relay_clients_, ports.window, ports.workers,
                 ports.pause),
      presenter_({.connect_button = c_.connect_button,
                  .offset_label = c_.offset_label,
                  .clock_label = run_clock_label_,
                  .status_bar = c_.status_bar,
                  .log = c_.log,
                  .tolerance_ms = c_.tolerance_field},
                 ports.locale),
      run_({.view = presenter_,
            .reply_timer = reply_timer_,
            .endpoint = client_endpoint_,
            .clock = clock_,
            .resolver = ports.resolver,
            .window = ports.window,
            .workers = ports.workers,
            .shell = *this,
            .record = record_,
            .dial = dial_link_,
            .relay = relay_clients_}),
      simple_correction_(clock_, record_,
                         [this](int error) { ShowStatus(ClockSettingFailureText(error)); }),
      startup_(ports.startup, c_.status_bar) {
  client_endpoint_.RemotePort = kNtpPort;
  client_endpoint_.SetLocalPort(kClientPort);
  relay_endpoint_.RemotePort = kClientPort;
  relay_endpoint_.SetLocalPort(kNtpPort);
  // Client addresses are dotted, so no lookup ever fails; should one, the send is abandoned.
  relay_endpoint_.OnInvalidHost = [](bool&) { throw EAbort(); };

  c_.connect_button.OnClick = [this] { OnConnectClick(); };
  clock_timer_.OnTimer = [this] { OnClockTick(); };
  clock_timer_.IsDue = [this] { return ClockLabelDue(); };
  period_timer_.OnTimer = [this] { PressConnect(); };
  watcher_timer_.OnTimer = [this] { OnWatcherTick(); };
  clock_timer_.Update();
}

MainForm::~MainForm() {
  clock_timer_.SetEnabled(false);  // its ticks may be asked on another thread: stopped first
  relay_endpoint_.OnDataReceived = nullptr;
  relay_endpoint_.OnInvalidHost = nullptr;
  c_.connect_button.OnClick = nullptr;
  clock_timer_.OnTimer = nullptr;
  period_timer_.OnTimer = nullptr;
  watcher_timer_.OnTimer = nullptr;
}

// --- Creation and the window's own events ---

void MainForm::OnCreate() {
  record_.has_last_time = false;
  ApplySettings(LoadSettings(settings_, locale_, builtin_servers_), SettingsView());
  clock_label_settled_ = false;  // the pattern may have changed
  ShowStatus(c_.status_bar.Text() + LastTimeText());
  FillEntryList();
  if (TrayMode()) {
    OnExitOrHideClick();
    shell_.KeepHiddenAtStart();
    ApplyDialWatcherRule();
  }
  own_address_ = FindOwnAddress();
  clock_.TakeBase();
  created_ = true;
  if (relay_listening_)
    WarnIfRelayDeaf();
}

void MainForm::OnShow() {
  if (TrayMode())
    c_.exit_button.SetText(kButton2Hides);
}

void MainForm::OnActivate() {
  if (ParseStartSwitch(FirstArgument()) != StartSwitch::kNone)
    shell_.MinimizeApplication();
}

void MainForm::OnBackgroundClick() {
  c_.status_bar.SetText("");  // the log keeps its lines
}

// Settings that cannot be saved keep the window open, so that the user can move the program
// somewhere writable first; an unattended start, with nobody to do that, shows the error and
// ends all the same rather than stay resident behind the error box.
bool MainForm::OnCloseQuery() {
  try {
    SaveWindowSettings(settings_, SettingsView(), locale_);
  } catch (const Exception& failure) {
    shell_.ShowError(failure.what());
    return ending_unattended_start_;
  }
  return true;
}

void MainForm::OnDestroy() {
  // Nothing may start a run or touch the controls once the window is going.
  clock_timer_.SetEnabled(false);
  period_timer_.SetEnabled(false);
  watcher_timer_.SetEnabled(false);
  if (tray_icon_shown_)
    shell_.RemoveTrayIcon();
  tray_icon_shown_ = false;
  tray_icon_wanted_ = false;
}

bool MainForm::TrayIconMessage(int mouse_message) {
  switch (mouse_message) {
    case kWmLButtonUp:
      shell_.BringToFront();
      ShowAgain();
      return true;
    case kWmRButtonUp:
      shell_.BringToFront();
      shell_.ShowTrayMenu();
      return true;
    default:
      return false;
  }
}

void MainForm::TaskbarCreated() {
  // A new taskbar knows no icons: add ours again if the window has one, or wanted one when
  // the taskbar was not there to take it.
  if (tray_icon_wanted_)
    tray_icon_shown_ = shell_.AddTrayIcon();
}

void MainForm::SystemMenuCommand(int command) {
  OnTrayMenuCommand(command);
}

bool MainForm::OnTrayMenuCommand(int command) {
  switch (command) {
    case kHelpCommand:
      OnHelpCommand();
      return true;
    case kAboutCommand:
      OnAboutCommand();
      return true;
    case kShowCommand:
      OnShowCommand();
      return true;
    case kExitCommand:
      OnExitCommand();
      return true;
    default:
      return false;  // a separator, or a command of the system's own
  }
}

bool MainForm::QueryEndSession() {
  // No worker may send once the log-on ends; the close saves the settings.
  client_endpoint_.Close();
  relay_endpoint_.Close();
  shell_.CloseMainWindow();
  return true;
}

// --- The controls' events ---

void MainForm::PressConnect() {
  c_.connect_button.Click();  // also while the button is disabled
}

void MainForm::OnConnectClick() {
  run_.Start(c_.server_box.Text());
}

void MainForm::OnExitOrHideClick() {
  if (!TrayMode()) {
    shell_.CloseMainWindow();
    return;
  }
  shell_.HideMainWindow();
  AddTrayIcon();
  clock_timer_.SetEnabled(false);  // nobody sees the clock while the window is hidden
  ArmPeriodicRun();
}

void MainForm::OnZeroCorrectionPress() {
  simple_correction_.ZeroCorrection();
}

void MainForm::OnDetailsClick() {
  const bool open = c_.details_button.Text() == kDetailsShow;
  shell_.SetDetailsVisible(open);
  c_.page_button.SetVisible(open);
  c_.details_button.SetText(open ? kDetailsHide : kDetailsShow);
  if (open && !details_opened_) {
    FillEntryList();
    details_opened_ = true;
  }
  shell_.SetClientWidth(open ? kWideWidth : kNarrowWidth);
}

void MainForm::OnPageClick() {
  // The caption names the page in view.
  if (c_.page_button.Text() == kOptionsPageNext) {
    c_.page_button.SetText(kLogPageNext);
    shell_.ShowPage(kLogPage);
  } else {
    c_.page_button.SetText(kOptionsPageNext);
    shell_.ShowPage(kOptionsPage);
  }
}

void MainForm::OnRegisterClick() {
  startup_.Register({.start_option = c_.start_option.ItemIndex(),
                     .dial_entry = c_.entry_box.Text(),
                     .drift_ms_per_day = c_.drift_field.Value(),
                     .has_last_time = record_.has_last_time});
}

void MainForm::OnUnregisterClick() {
  startup_.Unregister();
}

void MainForm::OnResidentOptionChanged() {
  c_.exit_button.SetText(TrayMode() ? kButton2Hides : kButton2Exits);
  ApplyDialWatcherRule();
  SwitchRelayListener(c_.relay_box.Checked());
}

void MainForm::OnRelayRequest(const net::ReceivedDatagram& request) {
  if (!relay_clients_.Accept(request, own_address_))
    return;
  // One exchange serves every client waiting: a request during a run joins its answer.
  if (!run_.RunInProgress())
    PressConnect();
}

void MainForm::OnClockDoubleClick() {
  const std::optional<std::string> pattern = shell_.AskPattern(format_);
  if (!pattern)
    return;
  format_ = *pattern;  // in use from the next tick, even if it cannot be stored
  clock_label_settled_ = false;
  try {
    WriteFormat(settings_, format_);
  } catch (const Exception& failure) {
    shell_.ShowError(failure.what());
  }
}

namespace {

// The second a clock reading shows. Whole milliseconds first, as the formatter rounds: a value
// a hair below a second's start shows that second.
double ShownSecond(sync::DateTime local) {
  return std::floor(std::round(local * sync::kMillisecondsPerDay) / 1000);
}

}  // namespace

// A hundred times a second while the window is shown, and asked first, possibly on another
// thread, whether there is anything to do: with a pattern without milliseconds the label
// changes once a second, and the tick then wakes the window thread only to write it.
bool MainForm::ClockLabelDue() {
  return !clock_label_settled_ || ShownSecond(clock_.clock().LocalNow()) != ticked_second_;
}

void MainForm::OnClockTick() {
  const sync::DateTime now = clock_.clock().LocalNow();
  if (format_ != ticked_format_) {
    ticked_format_ = format_;
    format_shows_milliseconds_ = sync::ShowsMilliseconds(sync::TokenizePattern(format_));
    ticked_second_ = -1;
  }
  // Settled before the label is looked at: a write after the look clears it again.
  clock_label_settled_ = !format_shows_milliseconds_;
  // (A run that sets the clock writes the label too: then the tick writes it again.)
  const double second = ShownSecond(now);
  if (!format_shows_milliseconds_ && second == ticked_second_ &&
      c_.clock_label.Text() == ticked_text_)
    return;
  ticked_second_ = second;
  ticked_text_ = sync::FormatDateTime(format_, now, locale_);
  c_.clock_label.SetText(ticked_text_);
}

// A listed entry that comes online (dialled by another program, say) starts one run, which
// uses that link and leaves it up.
void MainForm::OnWatcherTick() {
  if (dial_link_.WatcherSeesNewLink(dial_presenter_.ListedEntries(), run_.RunInProgress()))
    PressConnect();
}

void MainForm::OnHelpCommand() {
  shell_.OpenHelp();
}

void MainForm::OnAboutCommand() {
  shell_.ShowAboutBox();
}

void MainForm::OnShowCommand() {
  ShowAgain();
}

void MainForm::OnExitCommand() {
  shell_.CloseMainWindow();
}

// --- The start sequence ---

void MainForm::ActOnSwitch() {
  switch (ParseStartSwitch(FirstArgument())) {
    case StartSwitch::kNetworkRun:
      PressConnect();
      break;
    case StartSwitch::kSimpleCorrection:
      if (sync::RunSimpleCorrectionStart(simple_correction_, c_.drift_field.Value(), record_))
        CloseMainWindow();
      break;
    case StartSwitch::kNone:
      break;
  }
}

void MainForm::ShowStatus(const std::string& text) {
  presenter_.ShowStatus(text);
}

std::string MainForm::FirstArgument() {
  return shell_.FirstArgument();
}

void MainForm::CloseMainWindow() {
  ending_unattended_start_ = true;
  shell_.CloseMainWindow();
}

// --- Helpers ---

bool MainForm::TrayMode() const {
  return c_.relay_box.Checked() || c_.period_field.Value() > 0;
}

WindowSettings MainForm::SettingsView() {
  return {.controls = {.start_option = c_.start_option,
                       .entry_box = c_.entry_box,
                       .tolerance_field = c_.tolerance_field,
                       .drift_field = c_.drift_field,
                       .period_field = c_.period_field,
                       .delay_field = c_.delay_field,
                       .relay_box = c_.relay_box,
                       .server_box = c_.server_box},
          .record = record_,
          .display_format = format_,
          .dial_check = dial_check_,
          .resident_option_changed = [this] { OnResidentOptionChanged(); }};
}

std::string MainForm::LastTimeText() const {
  if (record_.last_time == 0)
    return kNoLastTime;
  return sync::FormatDateTime(format_, record_.last_time, locale_);
}

// Back from the tray: the clock runs again and the application comes out of its minimised
// state. The icon stays.
void MainForm::ShowAgain() {
  clock_timer_.SetEnabled(true);
  shell_.ShowMainWindow();
  shell_.RestoreApplication();
}

// A hidden window's only way back is the icon, so an add the system refused (no taskbar yet
// at log-on, say) is tried again at the next hide and when the taskbar appears.
void MainForm::AddTrayIcon() {
  tray_icon_wanted_ = true;
  if (!tray_icon_shown_)
    tray_icon_shown_ = shell_.AddTrayIcon();
}

// The hours now set: a changed interval restarts the count, an unchanged one leaves a running
// count alone. Nothing stops the periodic run once started, not even 0 hours later.
void MainForm::ArmPeriodicRun() {
  const int hours = c_.period_field.Value();
  if (hours <= 0)
    return;
  period_timer_.SetInterval(PeriodMs(hours));
  period_timer_.SetEnabled(true);
}

// The dial-up watcher runs while the program stays resident, may watch and has phone-book
// entries to watch; it stops when the program is no longer resident.
void MainForm::ApplyDialWatcherRule() {
  if (TrayMode()) {
    if (dial_check_ && c_.entry_box.Items().size() > 1)
      watcher_timer_.SetEnabled(true);
  } else {
    watcher_timer_.SetEnabled(false);
    // What the watcher saw may be gone when it next looks: until then runs dial as chosen.
    dial_link_.ForgetSeenLink();
  }
}

// relay_endpoint keeps port 123 either way: without the listener it drops what arrives.
// Switching off leaves the queue alone: the clients already waiting still get their answer.
void MainForm::SwitchRelayListener(bool on) {
  const bool switched_on = on && !relay_listening_;
  relay_listening_ = on;
  if (!on) {
    relay_endpoint_.OnDataReceived = nullptr;
    return;
  }
  relay_endpoint_.OnDataReceived = [this](net::UdpEndpoint&, const net::ReceivedDatagram& request) {
    OnRelayRequest(request);
  };
  // The creation shows its own status line first, and the warning after it.
  if (switched_on && created_)
    WarnIfRelayDeaf();
}

// Another program holding port 123 would leave the relay deaf without a word.
void MainForm::WarnIfRelayDeaf() {
  if (!relay_endpoint_.Bound())
    ShowStatus(kRelayPortTaken);
}

// The connection box from the phone-book. The chosen entry stays chosen while the phone-book
// lists it; otherwise the LAN is chosen.
void MainForm::FillEntryList() {
  const sync::EntryList list = sync::BuildEntryList(c_.entry_box.Text(), dialler_.Entries());
  c_.entry_box.SetItems(list.items);
  c_.entry_box.SetItemIndex(list.index);
}

// This computer's address, so the relay can ignore its own requests. A name that does not
// resolve leaves none, and no sender is taken for this computer.
std::optional<net::Ipv4Address> MainForm::FindOwnAddress() {
  if (computer_name_.empty())
    return std::nullopt;
  return resolver_.LookupHost(computer_name_);
}

}  // namespace tempiko::app
