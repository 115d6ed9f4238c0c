// The main window's handlers: creation, the tray, the buttons, the menus, the clock label, the
// pattern dialog and the close.

#include <climits>
#include <cstdint>
#include <string>

#include "app/main_form.h"
#include "main_form_fixture.h"

namespace tempiko::app::main_form_fixture {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint64_t kHour = 3'600'000;

// --- Creation ---

struct TrayStartCase {
  const char* name;
  const char* options;
  bool tray;
  std::uint32_t period_ms;  // 0: no periodic run
};

void PrintTo(const TrayStartCase& c, std::ostream* out) {
  *out << c.name;
}

class TrayStartTest : public Form1Test, public ::testing::WithParamInterface<TrayStartCase> {};

TEST_P(TrayStartTest, RelayOrPeriodStartsHiddenInTheTray) {
  const TrayStartCase& c = GetParam();
  MainForm& f = Create(c.options);

  EXPECT_EQ(shell.kept_hidden_at_start, c.tray);
  EXPECT_EQ(shell.window_visible, !c.tray);
  EXPECT_EQ(shell.tray_icons, c.tray ? 1 : 0);
  EXPECT_EQ(f.TrayIconShown(), c.tray);
  EXPECT_EQ(Running(f.clock_timer()), !c.tray);  // the clock stands still while hidden
  EXPECT_EQ(Running(f.period_timer()), c.period_ms != 0);
  if (c.period_ms != 0) {
    EXPECT_EQ(f.period_timer().Interval(), c.period_ms);
  }
  EXPECT_EQ(shell.Count("CloseMainWindow"), 0);
  EXPECT_FALSE(Running(f.watcher_timer()));  // over the LAN there is nothing to watch
  f.OnShow();
  EXPECT_EQ(exit_button.Text(), c.tray ? "閉じる" : "終了");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrayStartTest,
    ::testing::Values(TrayStartCase{"Interactive", "Agent=0\r\nTimer=0\r\n", false, 0},
                      TrayStartCase{"Relay", "Agent=1\r\n", true, 0},
                      TrayStartCase{"Period", "Timer=2\r\n", true, 2 * 3'600'000},
                      TrayStartCase{"NegativePeriod", "Timer=-1\r\n", false, 0}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(Form1Test, StatusLineShowsTheLastSettingInTheDisplayPattern) {
  const struct {
    const char* options;
    const char* status;
  } cases[] = {
      {"", "最終更新日＞不明"},
      {"LastTime=2021/03/04 13:05:06\r\n", "最終更新日＞2021/03/04 午後 01:05:06"},
      {"LastTime=2021/03/04 13:05:06\r\nFormat=yyyy-mm-dd hh:nn\r\n",
       "最終更新日＞2021-03-04 13:05"},
      {"LastTime=2021/03/04 13:05:06\r\nFormat=\r\n", "最終更新日＞2021/03/04 13:05:06"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    form.reset();
    status_bar.SetText("最終更新日＞");
    log = fakes::WatchedMemo(roles, "Memo1");
    std::filesystem::remove(path);
    Create(c.options);
    EXPECT_EQ(status_bar.Text(), c.status);
    EXPECT_THAT(log.Lines(), ElementsAre(c.status));
  }
}

TEST_F(Form1Test, CreationFindsOwnAddressOrNone) {
  EXPECT_EQ(Create().OwnAddress(), kComputerIp);

  // A name that does not resolve: no sender's address equals an empty text.
  form.reset();
  resolver.hosts.clear();
  EXPECT_EQ(Create().OwnAddress(), "");
}

TEST_F(Form1Test, CreationLeavesTheConnectionBoxOnTheLan) {
  MainForm& f = Create("Entry=MyProvider\r\n");
  EXPECT_EQ(entry_box.Text(), "LAN経由接続");
  EXPECT_THAT(entry_box.Items(), ElementsAre("LAN経由接続"));
  EXPECT_TRUE(f.DialCheck());
}

// --- exit_button and the tray ---

TEST_F(Form1Test, Button2OutsideTrayModeCloses) {
  MainForm& f = Create();
  f.OnExitOrHideClick();
  EXPECT_EQ(shell.Count("CloseMainWindow"), 1);
  EXPECT_EQ(shell.Count("HideMainWindow"), 0);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 0);
  EXPECT_TRUE(Running(f.clock_timer()));
}

TEST_F(Form1Test, Button2ArmsThePeriodicRunWithTheHoursThenSet) {
  MainForm& f = Create("Timer=2\r\n");
  ASSERT_EQ(timers.DueTime(f.period_timer()), 2 * kHour);

  // Back and hidden again with the same hours: the count goes on.
  timers.Advance(kHour);
  f.TrayIconMessage(MainForm::kWmLButtonUp);
  f.OnExitOrHideClick();
  EXPECT_EQ(timers.DueTime(f.period_timer()), 2 * kHour);
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 1);  // the icon stayed

  // With new hours the count starts again.
  f.TrayIconMessage(MainForm::kWmLButtonUp);
  period_field.SetValue(3);
  f.OnExitOrHideClick();
  EXPECT_EQ(timers.DueTime(f.period_timer()), kHour + 3 * kHour);

  // Its tick presses Connect.
  timers.Advance(3 * kHour);
  EXPECT_EQ(workers.started, 1);
  EXPECT_EQ(client_sockets.sent.size(), 1u);
}

TEST_F(Form1Test, HoursSetToZeroLeaveThePeriodicRunGoing) {
  MainForm& f = Create("Timer=1\r\n");
  period_field.SetValue(0);
  f.OnResidentOptionChanged();  // period_field's change
  EXPECT_EQ(exit_button.Text(), "終了");
  EXPECT_TRUE(Running(f.period_timer()));
  timers.Advance(kHour);
  EXPECT_EQ(workers.started, 1);
}

TEST_F(Form1Test, RelayWithoutHoursHidesWithoutPeriodicRun) {
  MainForm& f = Create();
  relay_box.SetChecked(true);
  f.OnResidentOptionChanged();
  EXPECT_EQ(exit_button.Text(), "閉じる");
  f.OnExitOrHideClick();
  EXPECT_FALSE(shell.window_visible);
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_FALSE(Running(f.clock_timer()));
  EXPECT_FALSE(f.period_timer().Enabled());
}

TEST_F(Form1Test, PeriodIsClampedToTheLongestTimerInterval) {
  const struct {
    int hours;
    std::uint32_t interval;
  } cases[] = {
      {596, 596u * 3'600'000u},  // the longest period that fits
      {597, 0x7FFF'FFFFu},
      {1194, 0x7FFF'FFFFu},  // would wrap a 32-bit count into 0.2 hours
      {INT_MAX, 0x7FFF'FFFFu},
  };
  MainForm& f = Create("Timer=1\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hours);
    period_field.SetValue(c.hours);
    f.OnExitOrHideClick();
    EXPECT_EQ(f.period_timer().Interval(), c.interval);
    EXPECT_EQ(timers.DueTime(f.period_timer()), timers.Now() + c.interval);
  }
}

TEST_F(Form1Test, TrayCallbackBringsTheWindowBackOrOpensTheMenu) {
  const struct {
    int message;
    bool handled;
    std::vector<std::string> calls;
  } cases[] = {
      {514, true, {"BringToFront", "ShowMainWindow", "RestoreApplication"}},
      {517, true, {"BringToFront", "ShowTrayMenu"}},
      {512, false, {}},  // WM_MOUSEMOVE: the window's DefWindowProc
      {513, false, {}},
      {0, false, {}},
  };
  MainForm& f = Create("Agent=1\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    f.OnExitOrHideClick();
    shell.ClearCalls();
    EXPECT_EQ(f.TrayIconMessage(c.message), c.handled);
    EXPECT_EQ(shell.calls, c.calls);
    EXPECT_EQ(Running(f.clock_timer()), c.message == 514);  // the clock runs again when shown
  }
  EXPECT_EQ(shell.tray_icons, 1);
}

TEST_F(Form1Test, ClockComesBackWithTheWindow) {
  MainForm& f = Create("Agent=1\r\n");
  timers.Advance(100);
  EXPECT_EQ(clock_label.Text(), "0");
  f.OnShowCommand();
  timers.Advance(10);
  EXPECT_EQ(clock_label.Text(), "2020/01/01 午後 12:00:00");
}

// A hidden window's only way back is its icon.
TEST_F(Form1Test, TrayIconIsAddedAgainWhenTheTaskbarComesBack) {
  shell.tray_accepts = false;  // no taskbar yet at log-on
  MainForm& f = Create("Agent=1\r\n");
  EXPECT_FALSE(f.TrayIconShown());
  f.TaskbarCreated();  // still refused
  EXPECT_EQ(shell.tray_icons, 0);

  shell.tray_accepts = true;
  f.TaskbarCreated();
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_TRUE(f.TrayIconShown());

  // Explorer restarts and takes the icon with it.
  shell.LoseTaskbar();
  f.TaskbarCreated();
  EXPECT_EQ(shell.tray_icons, 1);
}

TEST_F(Form1Test, TrayIconRefusedAtAHideIsTriedAgainAtTheNext) {
  shell.tray_accepts = false;
  MainForm& f = Create();
  relay_box.SetChecked(true);
  f.OnExitOrHideClick();
  EXPECT_FALSE(f.TrayIconShown());

  shell.tray_accepts = true;
  f.OnShowCommand();
  f.OnExitOrHideClick();
  f.OnShowCommand();
  f.OnExitOrHideClick();
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 2);  // not again once it is there
}

TEST_F(Form1Test, TaskbarCreatedWithoutTrayUseAddsNothing) {
  MainForm& f = Create();
  f.TaskbarCreated();
  EXPECT_EQ(shell.Count("AddTrayIcon"), 0);
  f.OnDestroy();
  EXPECT_EQ(shell.Count("RemoveTrayIcon"), 0);
}

TEST_F(Form1Test, DestroyRemovesTheIconAndStopsTheTimers) {
  MainForm& f = Create("Timer=1\r\n");
  f.OnDestroy();
  EXPECT_EQ(shell.Count("RemoveTrayIcon"), 1);
  EXPECT_EQ(shell.tray_icons, 0);
  timers.Advance(2 * kHour);
  EXPECT_EQ(workers.started, 0);
}

// --- Details area and pages ---

TEST_F(Form1Test, Button6OpensTheDetailsAndRefillsTheConnectionBoxOnlyOnce) {
  MainForm& f = Create();
  entry_box.Type("MyProvider");  // no such phone-book entry

  f.OnDetailsClick();
  EXPECT_EQ(details_button.Text(), "<< 詳細");
  EXPECT_TRUE(page_button.Visible());
  EXPECT_TRUE(shell.details_visible);
  EXPECT_EQ(shell.client_width, 569);
  EXPECT_EQ(entry_box.Text(), "LAN経由接続");  // refilled: the entry is not listed
  EXPECT_TRUE(f.DetailsOpened());

  entry_box.Type("MyProvider");
  f.OnDetailsClick();
  EXPECT_EQ(details_button.Text(), "詳細 >>");
  EXPECT_FALSE(page_button.Visible());
  EXPECT_FALSE(shell.details_visible);
  EXPECT_EQ(shell.client_width, 297);

  f.OnDetailsClick();
  EXPECT_EQ(shell.client_width, 569);
  EXPECT_EQ(entry_box.Text(), "MyProvider");  // not refilled again
}

TEST_F(Form1Test, Button7SwitchesPagesAndItsCaptionNamesThePageInView) {
  MainForm& f = Create();
  f.OnPageClick();
  EXPECT_EQ(page_button.Text(), "状態");
  EXPECT_EQ(shell.page, 1);
  f.OnPageClick();
  EXPECT_EQ(page_button.Text(), "ｵﾌﾟｼｮﾝ");
  EXPECT_EQ(shell.page, 2);
}

// --- Menus ---

TEST_F(Form1Test, SystemMenuRunsTheTrayMenuItemWithThatCommand) {
  const struct {
    int command;
    std::vector<std::string> calls;
  } cases[] = {
      {MainForm::kHelpCommand, {"OpenHelp"}},
      {MainForm::kAboutCommand, {"ShowAboutBox"}},
      {0xF060, {}},  // SC_CLOSE: the standard handling has done it
      {0xF020, {}},  // SC_MINIMIZE
      {0x0120, {}},  // a separator has no action
  };
  MainForm& f = Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    shell.ClearCalls();
    f.SystemMenuCommand(c.command);
    EXPECT_EQ(shell.calls, c.calls);
  }
  // The entries the window appends to its system menu.
  EXPECT_STREQ(MainForm::kTrayMenu[0].caption, "ヘルプ");
  EXPECT_EQ(MainForm::kTrayMenu[0].command, MainForm::kHelpCommand);
  EXPECT_STREQ(MainForm::kTrayMenu[1].caption, "バージョン情報");
  EXPECT_EQ(MainForm::kTrayMenu[1].command, MainForm::kAboutCommand);
  for (const MenuItem& item : MainForm::kTrayMenu) {
    EXPECT_EQ(item.command % 16, 0) << item.name;  // the system menu masks the low four bits
    EXPECT_LT(item.command, 0xF000) << item.name;
  }
}

TEST_F(Form1Test, TrayMenuShowsTheWindowOrExits) {
  MainForm& f = Create("Agent=1\r\n");
  shell.ClearCalls();
  EXPECT_TRUE(f.OnTrayMenuCommand(MainForm::kShowCommand));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"ShowMainWindow", "RestoreApplication"}));
  EXPECT_TRUE(Running(f.clock_timer()));

  shell.ClearCalls();
  EXPECT_TRUE(f.OnTrayMenuCommand(MainForm::kExitCommand));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CloseMainWindow"}));
}

// --- The clock label and its pattern ---

TEST_F(Form1Test, Timer1ShowsTheTimeInTheDisplayPattern) {
  const struct {
    const char* options;
    const char* label;
  } cases[] = {
      {"", "2020/01/01 午後 12:00:00"},
      {"Format=hh:nn:ss.zzz\r\n", "12:00:00.250"},
      {"Format=\r\n", "2020/01/01 12:00:00"},  // empty: as "c"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    form.reset();
    std::filesystem::remove(path);
    system_clock.SetLocalNow(43'831.5);
    Create(c.options);
    system_clock.Advance(250);
    timers.Advance(10);
    EXPECT_EQ(clock_label.Text(), std::string(c.label));
  }
}

// The clock label follows the clock at the pattern's own resolution, and takes back its pattern
// at the next tick after anything else wrote it.
TEST_F(Form1Test, ClockLabelFollowsTheClockAtThePatternsResolution) {
  const struct {
    const char* pattern;
    int advance_ms;
    const char* label;
  } steps[] = {
      {"hh:nn:ss", 0, "12:00:00"},          {"hh:nn:ss", 990, "12:00:00"},
      {"hh:nn:ss", 10, "12:00:01"},         {"hh:nn:ss.zzz", 10, "12:00:01.010"},
      {"hh:nn:ss.zzz", 10, "12:00:01.020"},
  };
  MainForm& f = Create();
  for (const auto& step : steps) {
    shell.pattern_answer = step.pattern;
    f.OnClockDoubleClick();
    system_clock.Advance(static_cast<std::uint32_t>(step.advance_ms));
    timers.Advance(10);
    EXPECT_EQ(clock_label.Text(), step.label) << step.pattern << " +" << step.advance_ms;
  }
  shell.pattern_answer = "hh:nn:ss";
  f.OnClockDoubleClick();
  timers.Advance(10);
  EXPECT_EQ(clock_label.Text(), "12:00:01");
  // A run that sets the clock writes the label in a form of its own; the next tick puts the
  // pattern back, within the same second. (The fake clock is not moved by the setting.)
  f.PressConnect();
  DeliverReply(3000);
  const std::string written = clock_label.Text();
  EXPECT_NE(written, "12:00:01");
  timers.Advance(10);
  EXPECT_EQ(clock_label.Text(), "12:00:01") << "after the run wrote " << written;
}

TEST_F(Form1Test, PatternDialogStoresTheNewPatternAtOnce) {
  MainForm& f = Create("Format=hh:nn\r\n");
  shell.pattern_answer = "yyyy";
  f.OnClockDoubleClick();
  EXPECT_THAT(shell.pattern_asks, ElementsAre("hh:nn"));
  EXPECT_EQ(f.DisplayFormat(), "yyyy");
  EXPECT_EQ(Stored("Format"), "yyyy");
  timers.Advance(10);
  EXPECT_EQ(clock_label.Text(), "2020");

  // Cancelled: nothing changes.
  shell.pattern_answer.reset();
  f.OnClockDoubleClick();
  EXPECT_EQ(f.DisplayFormat(), "yyyy");
  EXPECT_EQ(Stored("Format"), "yyyy");

  // A file that cannot be written: the pattern is in use for this run all the same.
  profile.refuse_writes = true;
  shell.pattern_answer = "nn";
  f.OnClockDoubleClick();
  EXPECT_EQ(f.DisplayFormat(), "nn");
  EXPECT_THAT(shell.errors, ElementsAre(path + " に書き込めません"));
}

// --- Other handlers ---

TEST_F(Form1Test, FormClickEmptiesTheStatusLineButNotTheLog) {
  MainForm& f = Create();
  f.OnBackgroundClick();
  EXPECT_EQ(status_bar.Text(), "");
  EXPECT_THAT(log.Lines(), ElementsAre("最終更新日＞不明"));
}

TEST_F(Form1Test, Button5MakesTheZeroCorrection) {
  MainForm& f = Create();
  system_clock.SetLocalNow(sync::EncodeDateTime({2020, 1, 1, 12, 34, 31, 0}));
  f.OnZeroCorrectionPress();
  EXPECT_THAT(system_clock.LocalTimeSettings(),
              ElementsAre(sync::CalendarFields{2020, 1, 1, 12, 35, 0, 0}));
  EXPECT_TRUE(f.Record().has_last_time);
}

TEST_F(Form1Test, RelayOptionRunsTheDialUpWatcherOnlyWithEntriesToWatch) {
  const struct {
    const char* options;
    bool relay;
    bool entries;
    bool watching;
  } cases[] = {
      {"", true, true, true},
      {"DialCheck=0\r\n", true, true, false},
      {"", true, false, false},
      {"", false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.options << c.relay << c.entries);
    form.reset();
    std::filesystem::remove(path);
    relay_box.SetChecked(false);
    MainForm& f = Create(c.options);
    if (c.entries)
      entry_box.SetItems({"LAN経由接続", "MyProvider"});
    relay_box.SetChecked(c.relay);
    f.OnResidentOptionChanged();
    EXPECT_EQ(f.watcher_timer().Enabled(), c.watching);
    // Off again: the program is no longer resident and stops watching.
    relay_box.SetChecked(false);
    f.OnResidentOptionChanged();
    EXPECT_FALSE(f.watcher_timer().Enabled());
    EXPECT_EQ(exit_button.Text(), "終了");
  }
}

// --- The close ---

TEST_F(Form1Test, CloseQuerySavesTheSettings) {
  MainForm& f = Create();
  period_field.SetValue(5);
  relay_box.SetChecked(true);
  EXPECT_TRUE(f.OnCloseQuery());
  EXPECT_EQ(Stored("Timer"), "5");
  EXPECT_EQ(Stored("Agent"), "1");
  EXPECT_THAT(shell.errors, IsEmpty());
}

TEST_F(Form1Test, CloseQueryRefusesTheCloseWhenTheFileCannotBeWritten) {
  MainForm& f = Create();
  profile.refuse_writes = true;
  EXPECT_FALSE(f.OnCloseQuery());
  EXPECT_THAT(shell.errors, ElementsAre(path + " に書き込めません"));
}

TEST_F(Form1Test, EndOfTheLogOnClosesBothEndpointsAndTheWindow) {
  MainForm& f = Create();
  ASSERT_EQ(client_sockets.open_sockets, 1);
  ASSERT_EQ(relay_sockets.open_sockets, 1);
  shell.ClearCalls();
  EXPECT_TRUE(f.QueryEndSession());
  EXPECT_EQ(client_sockets.open_sockets, 0);
  EXPECT_EQ(relay_sockets.open_sockets, 0);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CloseMainWindow"}));
}

TEST_F(Form1Test, EndpointsListenOnTheirPorts) {
  MainForm& f = Create();
  EXPECT_EQ(f.client_endpoint().LocalPort(), 8263);
  EXPECT_EQ(f.client_endpoint().RemotePort, 123);
  EXPECT_EQ(f.relay_endpoint().LocalPort(), 123);
  EXPECT_EQ(f.relay_endpoint().RemotePort, 8263);
  EXPECT_EQ(client_sockets.CallsStartingWith("bind").back(), "bind 2 0.0.0.0:8263");
  EXPECT_EQ(relay_sockets.CallsStartingWith("bind").back(), "bind 2 0.0.0.0:123");
}

}  // namespace
}  // namespace tempiko::app::main_form_fixture
