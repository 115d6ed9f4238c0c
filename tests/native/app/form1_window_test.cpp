// The main window's handlers: creation, the tray, the buttons, the menus, the clock label, the
// pattern dialog and the close.

#include <climits>
#include <cstdint>
#include <string>

#include "app/form1.h"
#include "form1_fixture.h"

namespace tempiko::app::form1_fixture {
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
  TForm1& f = Create(c.options);

  EXPECT_EQ(shell.kept_hidden_at_start, c.tray);
  EXPECT_EQ(shell.window_visible, !c.tray);
  EXPECT_EQ(shell.tray_icons, c.tray ? 1 : 0);
  EXPECT_EQ(f.TrayIconShown(), c.tray);
  EXPECT_EQ(Running(f.Timer1()), !c.tray);  // the clock stands still while hidden
  EXPECT_EQ(Running(f.Timer3()), c.period_ms != 0);
  if (c.period_ms != 0) {
    EXPECT_EQ(f.Timer3().Interval(), c.period_ms);
  }
  EXPECT_EQ(shell.Count("CloseMainWindow"), 0);
  EXPECT_FALSE(Running(f.Timer4()));  // over the LAN there is nothing to watch
  f.FormShow();
  EXPECT_EQ(Button2.Text(), c.tray ? "閉じる" : "終了");
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
    StatusBar1.SetText("最終更新日＞");
    Memo1 = fakes::WatchedMemo(roles, "Memo1");
    std::filesystem::remove(path);
    Create(c.options);
    EXPECT_EQ(StatusBar1.Text(), c.status);
    EXPECT_THAT(Memo1.Lines(), ElementsAre(c.status));
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
  TForm1& f = Create("Entry=MyProvider\r\n");
  EXPECT_EQ(ComboBox2.Text(), "LAN経由接続");
  EXPECT_THAT(ComboBox2.Items(), ElementsAre("LAN経由接続"));
  EXPECT_TRUE(f.DialCheck());
}

// --- Button2 and the tray ---

TEST_F(Form1Test, Button2OutsideTrayModeCloses) {
  TForm1& f = Create();
  f.Button2Click();
  EXPECT_EQ(shell.Count("CloseMainWindow"), 1);
  EXPECT_EQ(shell.Count("HideMainWindow"), 0);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 0);
  EXPECT_TRUE(Running(f.Timer1()));
}

TEST_F(Form1Test, Button2ArmsThePeriodicRunWithTheHoursThenSet) {
  TForm1& f = Create("Timer=2\r\n");
  ASSERT_EQ(timers.DueTime(f.Timer3()), 2 * kHour);

  // Back and hidden again with the same hours: the count goes on.
  timers.Advance(kHour);
  f.TrayIconMessage(TForm1::kWmLButtonUp);
  f.Button2Click();
  EXPECT_EQ(timers.DueTime(f.Timer3()), 2 * kHour);
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 1);  // the icon stayed

  // With new hours the count starts again.
  f.TrayIconMessage(TForm1::kWmLButtonUp);
  SpinEdit3.SetValue(3);
  f.Button2Click();
  EXPECT_EQ(timers.DueTime(f.Timer3()), kHour + 3 * kHour);

  // Its tick presses Connect.
  timers.Advance(3 * kHour);
  EXPECT_EQ(workers.started, 1);
  EXPECT_EQ(client_sockets.sent.size(), 1u);
}

TEST_F(Form1Test, HoursSetToZeroLeaveThePeriodicRunGoing) {
  TForm1& f = Create("Timer=1\r\n");
  SpinEdit3.SetValue(0);
  f.CheckBox1Click();  // SpinEdit3's change
  EXPECT_EQ(Button2.Text(), "終了");
  EXPECT_TRUE(Running(f.Timer3()));
  timers.Advance(kHour);
  EXPECT_EQ(workers.started, 1);
}

TEST_F(Form1Test, RelayWithoutHoursHidesWithoutPeriodicRun) {
  TForm1& f = Create();
  CheckBox1.SetChecked(true);
  f.CheckBox1Click();
  EXPECT_EQ(Button2.Text(), "閉じる");
  f.Button2Click();
  EXPECT_FALSE(shell.window_visible);
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_FALSE(Running(f.Timer1()));
  EXPECT_FALSE(f.Timer3().Enabled());
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
  TForm1& f = Create("Timer=1\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hours);
    SpinEdit3.SetValue(c.hours);
    f.Button2Click();
    EXPECT_EQ(f.Timer3().Interval(), c.interval);
    EXPECT_EQ(timers.DueTime(f.Timer3()), timers.Now() + c.interval);
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
  TForm1& f = Create("Agent=1\r\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    f.Button2Click();
    shell.ClearCalls();
    EXPECT_EQ(f.TrayIconMessage(c.message), c.handled);
    EXPECT_EQ(shell.calls, c.calls);
    EXPECT_EQ(Running(f.Timer1()), c.message == 514);  // the clock runs again when shown
  }
  EXPECT_EQ(shell.tray_icons, 1);
}

TEST_F(Form1Test, ClockComesBackWithTheWindow) {
  TForm1& f = Create("Agent=1\r\n");
  timers.Advance(100);
  EXPECT_EQ(Label4.Text(), "0");
  f.N3Click();
  timers.Advance(10);
  EXPECT_EQ(Label4.Text(), "2020/01/01 午後 12:00:00");
}

// A hidden window's only way back is its icon.
TEST_F(Form1Test, TrayIconIsAddedAgainWhenTheTaskbarComesBack) {
  shell.tray_accepts = false;  // no taskbar yet at log-on
  TForm1& f = Create("Agent=1\r\n");
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
  TForm1& f = Create();
  CheckBox1.SetChecked(true);
  f.Button2Click();
  EXPECT_FALSE(f.TrayIconShown());

  shell.tray_accepts = true;
  f.N3Click();
  f.Button2Click();
  f.N3Click();
  f.Button2Click();
  EXPECT_EQ(shell.tray_icons, 1);
  EXPECT_EQ(shell.Count("AddTrayIcon"), 2);  // not again once it is there
}

TEST_F(Form1Test, TaskbarCreatedWithoutTrayUseAddsNothing) {
  TForm1& f = Create();
  f.TaskbarCreated();
  EXPECT_EQ(shell.Count("AddTrayIcon"), 0);
  f.FormDestroy();
  EXPECT_EQ(shell.Count("RemoveTrayIcon"), 0);
}

TEST_F(Form1Test, DestroyRemovesTheIconAndStopsTheTimers) {
  TForm1& f = Create("Timer=1\r\n");
  f.FormDestroy();
  EXPECT_EQ(shell.Count("RemoveTrayIcon"), 1);
  EXPECT_EQ(shell.tray_icons, 0);
  timers.Advance(2 * kHour);
  EXPECT_EQ(workers.started, 0);
}

// --- Details area and pages ---

TEST_F(Form1Test, Button6OpensTheDetailsAndRefillsTheConnectionBoxOnlyOnce) {
  TForm1& f = Create();
  ComboBox2.Type("MyProvider");  // no such phone-book entry

  f.Button6Click();
  EXPECT_EQ(Button6.Text(), "<< 詳細");
  EXPECT_TRUE(Button7.Visible());
  EXPECT_TRUE(shell.details_visible);
  EXPECT_EQ(shell.client_width, 569);
  EXPECT_EQ(ComboBox2.Text(), "LAN経由接続");  // refilled: the entry is not listed
  EXPECT_TRUE(f.DetailsOpened());

  ComboBox2.Type("MyProvider");
  f.Button6Click();
  EXPECT_EQ(Button6.Text(), "詳細 >>");
  EXPECT_FALSE(Button7.Visible());
  EXPECT_FALSE(shell.details_visible);
  EXPECT_EQ(shell.client_width, 297);

  f.Button6Click();
  EXPECT_EQ(shell.client_width, 569);
  EXPECT_EQ(ComboBox2.Text(), "MyProvider");  // not refilled again
}

TEST_F(Form1Test, Button7SwitchesPagesAndItsCaptionNamesThePageInView) {
  TForm1& f = Create();
  f.Button7Click();
  EXPECT_EQ(Button7.Text(), "状態");
  EXPECT_EQ(shell.page, 1);
  f.Button7Click();
  EXPECT_EQ(Button7.Text(), "ｵﾌﾟｼｮﾝ");
  EXPECT_EQ(shell.page, 2);
}

// --- Menus ---

TEST_F(Form1Test, SystemMenuRunsTheTrayMenuItemWithThatCommand) {
  const struct {
    int command;
    std::vector<std::string> calls;
  } cases[] = {
      {TForm1::kHelp1Command, {"OpenHelp"}},
      {TForm1::kAbout1Command, {"ShowAboutBox"}},
      {0xF060, {}},  // SC_CLOSE: the standard handling has done it
      {0xF020, {}},  // SC_MINIMIZE
      {0x0120, {}},  // a separator has no action
  };
  TForm1& f = Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    shell.ClearCalls();
    f.SystemMenuCommand(c.command);
    EXPECT_EQ(shell.calls, c.calls);
  }
  // The entries the window appends to its system menu.
  EXPECT_STREQ(TForm1::kPopupMenu1[0].caption, "ヘルプ");
  EXPECT_EQ(TForm1::kPopupMenu1[0].command, TForm1::kHelp1Command);
  EXPECT_STREQ(TForm1::kPopupMenu1[1].caption, "バージョン情報");
  EXPECT_EQ(TForm1::kPopupMenu1[1].command, TForm1::kAbout1Command);
  for (const MenuItem& item : TForm1::kPopupMenu1) {
    EXPECT_EQ(item.command % 16, 0) << item.name;  // the system menu masks the low four bits
    EXPECT_LT(item.command, 0xF000) << item.name;
  }
}

TEST_F(Form1Test, TrayMenuShowsTheWindowOrExits) {
  TForm1& f = Create("Agent=1\r\n");
  shell.ClearCalls();
  EXPECT_TRUE(f.PopupMenu1Command(TForm1::kN3Command));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"ShowMainWindow", "RestoreApplication"}));
  EXPECT_TRUE(Running(f.Timer1()));

  shell.ClearCalls();
  EXPECT_TRUE(f.PopupMenu1Command(TForm1::kExit1Command));
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
    EXPECT_EQ(Label4.Text(), std::string(c.label));
  }
}

TEST_F(Form1Test, PatternDialogStoresTheNewPatternAtOnce) {
  TForm1& f = Create("Format=hh:nn\r\n");
  shell.pattern_answer = "yyyy";
  f.Label4DblClick();
  EXPECT_THAT(shell.pattern_asks, ElementsAre("hh:nn"));
  EXPECT_EQ(f.Format(), "yyyy");
  EXPECT_EQ(Stored("Format"), "yyyy");
  timers.Advance(10);
  EXPECT_EQ(Label4.Text(), "2020");

  // Cancelled: nothing changes.
  shell.pattern_answer.reset();
  f.Label4DblClick();
  EXPECT_EQ(f.Format(), "yyyy");
  EXPECT_EQ(Stored("Format"), "yyyy");

  // A file that cannot be written: the pattern is in use for this run all the same.
  profile.refuse_writes = true;
  shell.pattern_answer = "nn";
  f.Label4DblClick();
  EXPECT_EQ(f.Format(), "nn");
  EXPECT_THAT(shell.errors, ElementsAre(path + " に書き込めません"));
}

// --- Other handlers ---

TEST_F(Form1Test, FormClickEmptiesTheStatusLineButNotTheLog) {
  TForm1& f = Create();
  f.FormClick();
  EXPECT_EQ(StatusBar1.Text(), "");
  EXPECT_THAT(Memo1.Lines(), ElementsAre("最終更新日＞不明"));
}

TEST_F(Form1Test, Button5MakesTheZeroCorrection) {
  TForm1& f = Create();
  system_clock.SetLocalNow(sync::EncodeDateTime({2020, 1, 1, 12, 34, 31, 0}));
  f.Button5MouseDown();
  EXPECT_THAT(system_clock.LocalTimeSettings(),
              ElementsAre(sync::CalendarFields{2020, 1, 1, 12, 35, 0, 0}));
  EXPECT_TRUE(f.Record().HasLastTime);
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
    CheckBox1.SetChecked(false);
    TForm1& f = Create(c.options);
    if (c.entries)
      ComboBox2.SetItems({"LAN経由接続", "MyProvider"});
    CheckBox1.SetChecked(c.relay);
    f.CheckBox1Click();
    EXPECT_EQ(f.Timer4().Enabled(), c.watching);
    // Off again: the program is no longer resident and stops watching.
    CheckBox1.SetChecked(false);
    f.CheckBox1Click();
    EXPECT_FALSE(f.Timer4().Enabled());
    EXPECT_EQ(Button2.Text(), "終了");
  }
}

// --- The close ---

TEST_F(Form1Test, CloseQuerySavesTheSettings) {
  TForm1& f = Create();
  SpinEdit3.SetValue(5);
  CheckBox1.SetChecked(true);
  EXPECT_TRUE(f.FormCloseQuery());
  EXPECT_EQ(Stored("Timer"), "5");
  EXPECT_EQ(Stored("Agent"), "1");
  EXPECT_THAT(shell.errors, IsEmpty());
}

TEST_F(Form1Test, CloseQueryRefusesTheCloseWhenTheFileCannotBeWritten) {
  TForm1& f = Create();
  profile.refuse_writes = true;
  EXPECT_FALSE(f.FormCloseQuery());
  EXPECT_THAT(shell.errors, ElementsAre(path + " に書き込めません"));
}

TEST_F(Form1Test, EndOfTheLogOnClosesBothEndpointsAndTheWindow) {
  TForm1& f = Create();
  ASSERT_EQ(client_sockets.open_sockets, 1);
  ASSERT_EQ(relay_sockets.open_sockets, 1);
  shell.ClearCalls();
  EXPECT_TRUE(f.QueryEndSession());
  EXPECT_EQ(client_sockets.open_sockets, 0);
  EXPECT_EQ(relay_sockets.open_sockets, 0);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CloseMainWindow"}));
}

TEST_F(Form1Test, EndpointsListenOnTheirPorts) {
  TForm1& f = Create();
  EXPECT_EQ(f.NMUDP1().LocalPort(), 8263);
  EXPECT_EQ(f.NMUDP1().RemotePort, 123);
  EXPECT_EQ(f.NMUDP2().LocalPort(), 123);
  EXPECT_EQ(f.NMUDP2().RemotePort, 8263);
  EXPECT_EQ(client_sockets.CallsStartingWith("bind").back(), "bind 2 0.0.0.0:8263");
  EXPECT_EQ(relay_sockets.CallsStartingWith("bind").back(), "bind 2 0.0.0.0:123");
}

}  // namespace
}  // namespace tempiko::app::form1_fixture
