#include "app/form1.h"

#include <algorithm>
#include <optional>

#include "app/clock_setting_text.h"
#include "app/program_start.h"
#include "base/errors.h"
#include "sync/date_format.h"

namespace tempiko::app {
namespace {

constexpr char kButton2Hides[] = "閉じる";
constexpr char kButton2Exits[] = "終了";
constexpr char kDetailsShow[] = "詳細 >>";
constexpr char kDetailsHide[] = "<< 詳細";
constexpr char kOptionsPageNext[] = "ｵﾌﾟｼｮﾝ";
constexpr char kLogPageNext[] = "状態";
constexpr char kNoLastTime[] = "不明";

constexpr int kLogPage = 1;      // TabSheet1
constexpr int kOptionsPage = 2;  // TabSheet2

constexpr std::int32_t kNtpPort = 123;
constexpr std::int32_t kClientPort = 8263;

// The period in milliseconds for a number of hours above 0, as long as a window timer can
// count: a longer one would wrap into a much shorter period.
std::uint32_t PeriodMs(int hours) {
  const std::int64_t ms = std::int64_t{hours} * TForm1::kHourMs;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, TForm1::kLongestTimerMs));
}

}  // namespace

TForm1::TForm1(const Form1Ports& ports)
    : c_(ports.controls),
      shell_(ports.shell),
      resolver_(ports.resolver),
      settings_(ports.settings),
      locale_(ports.locale),
      builtin_servers_(ports.builtin_servers),
      computer_name_(ports.computer_name),
      timer1_(ports.timers, kClockIntervalMs, true),
      timer2_(ports.timers, sync::SyncRun::kReplyTimeoutDialledMs, false),
      timer3_(ports.timers, kHourMs, false),
      timer4_(ports.timers, kWatcherIntervalMs, false),
      clock_(ports.clock),
      nmudp1_(ports.sockets, [this] { return clock_.UtcNow(); }),
      nmudp2_(ports.sockets, [this] { return clock_.UtcNow(); }),
      presenter_({.connect_button = c_.Button1,
                  .offset_label = c_.Label1,
                  .clock_label = c_.Label4,
                  .status_bar = c_.StatusBar1,
                  .log = c_.Memo1,
                  .tolerance_ms = c_.SpinEdit1},
                 ports.locale),
      run_({.view = presenter_,
            .reply_timer = timer2_,
            .endpoint = nmudp1_,
            .clock = clock_,
            .resolver = ports.resolver,
            .window = ports.window,
            .workers = ports.workers,
            .shell = *this,
            .record = record_,
            .dial = dial_link_,
            .relay = relay_queue_}),
      simple_correction_(clock_, record_,
                         [this](int error) { ShowStatus(ClockSettingFailureText(error)); }) {
  nmudp1_.RemotePort = kNtpPort;
  nmudp1_.SetLocalPort(kClientPort);
  nmudp2_.RemotePort = kClientPort;
  nmudp2_.SetLocalPort(kNtpPort);

  c_.Button1.OnClick = [this] { OnConnectClick(); };
  timer1_.OnTimer = [this] { Timer1Timer(); };
  timer3_.OnTimer = [this] { Button1Click(); };
  timer4_.OnTimer = [this] { Timer4Timer(); };
  timer1_.Update();
}

TForm1::~TForm1() {
  c_.Button1.OnClick = nullptr;
  timer1_.OnTimer = nullptr;
  timer3_.OnTimer = nullptr;
  timer4_.OnTimer = nullptr;
}

// --- Creation and the window's own events ---

void TForm1::FormCreate() {
  record_.HasLastTime = false;
  ApplySettings(LoadSettings(settings_, locale_, builtin_servers_), SettingsView());
  ShowStatus(c_.StatusBar1.Text() + LastTimeText());
  FillEntryList();
  if (TrayMode()) {
    Button2Click();
    shell_.KeepHiddenAtStart();
    ApplyDialWatcherRule();
  }
  own_address_ = FindOwnAddress();
  clock_.TakeBase();
}

void TForm1::FormShow() {
  if (TrayMode())
    c_.Button2.SetText(kButton2Hides);
}

void TForm1::FormActivate() {
  if (ParseStartSwitch(FirstArgument()) != StartSwitch::kNone)
    shell_.MinimizeApplication();
}

void TForm1::FormClick() {
  c_.StatusBar1.SetText("");  // the log keeps its lines
}

bool TForm1::FormCloseQuery() {
  try {
    SaveWindowSettings(settings_, SettingsView(), locale_);
  } catch (const Exception& failure) {
    shell_.ShowError(failure.what());
    return false;
  }
  return true;
}

void TForm1::FormDestroy() {
  // Nothing may start a run or touch the controls once the window is going.
  timer1_.SetEnabled(false);
  timer3_.SetEnabled(false);
  timer4_.SetEnabled(false);
  if (tray_icon_shown_)
    shell_.RemoveTrayIcon();
  tray_icon_shown_ = false;
  tray_icon_wanted_ = false;
}

bool TForm1::TrayIconMessage(int mouse_message) {
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

void TForm1::TaskbarCreated() {
  // A new taskbar knows no icons: add ours again if the window has one, or wanted one when
  // the taskbar was not there to take it.
  if (tray_icon_wanted_)
    tray_icon_shown_ = shell_.AddTrayIcon();
}

void TForm1::SystemMenuCommand(int command) {
  PopupMenu1Command(command);
}

bool TForm1::PopupMenu1Command(int command) {
  switch (command) {
    case kHelp1Command:
      Help1Click();
      return true;
    case kAbout1Command:
      About1Click();
      return true;
    case kN3Command:
      N3Click();
      return true;
    case kExit1Command:
      Exit1Click();
      return true;
    default:
      return false;  // a separator, or a command of the system's own
  }
}

bool TForm1::QueryEndSession() {
  // No worker may send once the log-on ends; the close saves the settings.
  nmudp1_.Close();
  nmudp2_.Close();
  shell_.CloseMainWindow();
  return true;
}

// --- The controls' events ---

void TForm1::Button1Click() {
  c_.Button1.Click();  // also while the button is disabled
}

void TForm1::OnConnectClick() {
  run_.Start(c_.ComboBox1.Text());
}

void TForm1::Button2Click() {
  if (!TrayMode()) {
    shell_.CloseMainWindow();
    return;
  }
  shell_.HideMainWindow();
  AddTrayIcon();
  timer1_.SetEnabled(false);  // nobody sees the clock while the window is hidden
  ArmPeriodicRun();
}

void TForm1::Button5MouseDown() {
  simple_correction_.ZeroCorrection();
}

void TForm1::Button6Click() {
  const bool open = c_.Button6.Text() == kDetailsShow;
  shell_.SetDetailsVisible(open);
  c_.Button7.SetVisible(open);
  c_.Button6.SetText(open ? kDetailsHide : kDetailsShow);
  if (open && !details_opened_) {
    FillEntryList();
    details_opened_ = true;
  }
  shell_.SetClientWidth(open ? kWideWidth : kNarrowWidth);
}

void TForm1::Button7Click() {
  // The caption names the page in view.
  if (c_.Button7.Text() == kOptionsPageNext) {
    c_.Button7.SetText(kLogPageNext);
    shell_.ShowPage(kLogPage);
  } else {
    c_.Button7.SetText(kOptionsPageNext);
    shell_.ShowPage(kOptionsPage);
  }
}

void TForm1::CheckBox1Click() {
  c_.Button2.SetText(TrayMode() ? kButton2Hides : kButton2Exits);
  ApplyDialWatcherRule();
  SwitchRelayListener(c_.CheckBox1.Checked());
}

void TForm1::Label4DblClick() {
  const std::optional<std::string> pattern = shell_.AskPattern(format_);
  if (!pattern)
    return;
  format_ = *pattern;  // in use from the next tick, even if it cannot be stored
  try {
    WriteFormat(settings_, format_);
  } catch (const Exception& failure) {
    shell_.ShowError(failure.what());
  }
}

void TForm1::Timer1Timer() {
  c_.Label4.SetText(sync::FormatDateTime(format_, clock_.clock().LocalNow(), locale_));
}

void TForm1::Timer4Timer() {
  // The dial-up watcher's tick. Over the LAN no phone-book entry can come online; the watcher
  // proper comes with the dial-up link.
}

void TForm1::Help1Click() {
  shell_.OpenHelp();
}

void TForm1::About1Click() {
  shell_.ShowAboutBox();
}

void TForm1::N3Click() {
  ShowAgain();
}

void TForm1::Exit1Click() {
  shell_.CloseMainWindow();
}

// --- The start sequence ---

void TForm1::ActOnSwitch() {
  switch (ParseStartSwitch(FirstArgument())) {
    case StartSwitch::kNetworkRun:
      Button1Click();
      break;
    case StartSwitch::kSimpleCorrection:
      if (sync::RunSimpleCorrectionStart(simple_correction_, c_.SpinEdit2.Value(), record_))
        CloseMainWindow();
      break;
    case StartSwitch::kNone:
      break;
  }
}

void TForm1::ShowStatus(const std::string& text) {
  presenter_.ShowStatus(text);
}

std::string TForm1::FirstArgument() {
  return shell_.FirstArgument();
}

void TForm1::CloseMainWindow() {
  shell_.CloseMainWindow();
}

// --- Helpers ---

bool TForm1::TrayMode() const {
  return c_.CheckBox1.Checked() || c_.SpinEdit3.Value() > 0;
}

WindowSettings TForm1::SettingsView() {
  return {{c_.RadioGroup1, c_.ComboBox2, c_.SpinEdit1, c_.SpinEdit2, c_.SpinEdit3, c_.SpinEdit4,
           c_.CheckBox1, c_.ComboBox1},
          record_,
          format_,
          dial_check_,
          [this] { CheckBox1Click(); }};
}

std::string TForm1::LastTimeText() const {
  if (record_.LastTime == 0)
    return kNoLastTime;
  return sync::FormatDateTime(format_, record_.LastTime, locale_);
}

// Back from the tray: the clock runs again and the application comes out of its minimised
// state. The icon stays.
void TForm1::ShowAgain() {
  timer1_.SetEnabled(true);
  shell_.ShowMainWindow();
  shell_.RestoreApplication();
}

// A hidden window's only way back is the icon, so an add the system refused (no taskbar yet
// at log-on, say) is tried again at the next hide and when the taskbar appears.
void TForm1::AddTrayIcon() {
  tray_icon_wanted_ = true;
  if (!tray_icon_shown_)
    tray_icon_shown_ = shell_.AddTrayIcon();
}

// The hours now set: a changed interval restarts the count, an unchanged one leaves a running
// count alone. Nothing stops the periodic run once started, not even 0 hours later.
void TForm1::ArmPeriodicRun() {
  const int hours = c_.SpinEdit3.Value();
  if (hours <= 0)
    return;
  timer3_.SetInterval(PeriodMs(hours));
  timer3_.SetEnabled(true);
}

// The dial-up watcher runs while the program stays resident, may watch and has phone-book
// entries to watch; it stops when the program is no longer resident.
void TForm1::ApplyDialWatcherRule() {
  if (TrayMode()) {
    if (dial_check_ && c_.ComboBox2.Items().size() > 1)
      timer4_.SetEnabled(true);
  } else {
    timer4_.SetEnabled(false);
  }
}

void TForm1::SwitchRelayListener(bool /*on*/) {
  // The relay's listener on NMUDP2 comes with the relay; until then NMUDP2 keeps port 123 and
  // drops what arrives.
}

// The connection box from the phone-book. Without dial-up entries it holds only the LAN, which
// is then the chosen entry whatever was stored.
void TForm1::FillEntryList() {
  c_.ComboBox2.SetItems({kDefaultEntry});
  c_.ComboBox2.SetItemIndex(0);
}

// This computer's address, so the relay can ignore its own requests. A name that does not
// resolve leaves it empty, which no sender's address equals.
std::string TForm1::FindOwnAddress() {
  if (computer_name_.empty())
    return "";
  const std::optional<net::Ipv4Address> address = resolver_.LookupHost(computer_name_);
  return address ? net::FormatAddress(*address) : "";
}

}  // namespace tempiko::app
