// The unattended starts as the main window acts on them: "-d" runs once and ends with its run,
// however it ends; "-s" corrects the drift and ends; both keep the application minimised.

#include <string>
#include <tuple>

#include "app/main_form.h"
#include "main_form_fixture.h"

namespace tempiko::app::main_form_fixture {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct EndingCase {
  const char* name;
  const char* server;
  enum { kNoReply, kFarAhead, kClose } reply;
  const char* status;  // the status line at the end
};

void PrintTo(const EndingCase& c, std::ostream* out) {
  *out << c.name;
}

class RunEndingTest : public Form1Test,
                      public ::testing::WithParamInterface<std::tuple<EndingCase, const char*>> {};

TEST_P(RunEndingTest, UnattendedStartEndsWithItsRunInteractiveOneStaysOpen) {
  const auto& [c, argument] = GetParam();
  const bool unattended = std::string(argument) == "-d";
  shell.first_argument = argument;
  resolver.hosts["255.255.255.255"] = fakes::MakeAddress(255, 255, 255, 255);
  MainForm& f = Create();
  server_box.Type(c.server);
  f.ActOnSwitch();
  if (!unattended)
    f.PressConnect();  // the user presses Connect
  if (c.reply == EndingCase::kFarAhead)
    DeliverReply(3000);
  else if (c.reply == EndingCase::kClose)
    DeliverReply(50);
  timers.Advance(30000);

  EXPECT_EQ(shell.Count("CloseMainWindow"), unattended ? 1 : 0);
  EXPECT_EQ(status_bar.Text(), c.status);
  EXPECT_TRUE(connect_button.Enabled());
  EXPECT_FALSE(f.Run().RunInProgress());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunEndingTest,
    ::testing::Combine(
        ::testing::Values(
            EndingCase{"Corrected", kServerIp, EndingCase::kFarAhead, "補正完了"},
            EndingCase{"WithinTolerance", kServerIp, EndingCase::kClose,
                       "200ms以内誤差のため補正しませんでした"},
            EndingCase{"Timeout", kServerIp, EndingCase::kNoReply,
                       "サーバからの応答がありませんでした"},
            EndingCase{"EmptyServerBox", "", EndingCase::kNoReply, "最終更新日＞不明"},
            EndingCase{"NameNotFound", "unknown.example", EndingCase::kNoReply,
                       "サーバーが見つかりません"},
            EndingCase{"InvalidHost", "255.255.255.255", EndingCase::kNoReply,
                       "サーバーが見つかりません"},
            EndingCase{"SendFails", "0.0.0.0", EndingCase::kNoReply, "Null Remote Address"}),
        ::testing::Values("", "-d")),
    [](const auto& test_case) {
      return std::string(std::get<0>(test_case.param).name) +
             (std::string(std::get<1>(test_case.param)).empty() ? "Interactive" : "Unattended");
    });

TEST_F(Form1Test, UnattendedStartPressesConnectOnce) {
  shell.first_argument = "-d";
  MainForm& f = Create("Timer=1\r\n");  // in the tray, with a period
  f.ActOnSwitch();
  EXPECT_EQ(workers.started, 1);
  ASSERT_EQ(client_sockets.sent.size(), 1u);
  EXPECT_EQ(client_sockets.sent[0].address, kServerAddress);
  EXPECT_EQ(client_sockets.sent[0].port, 123);
  EXPECT_EQ(shell.Count("CloseMainWindow"), 0);  // until the run ends
}

struct SimpleStartCase {
  const char* name;
  const char* options;
  int corrections;
  bool closes;
};

void PrintTo(const SimpleStartCase& c, std::ostream* out) {
  *out << c.name;
}

class SimpleCorrectionStartTest : public Form1Test,
                                  public ::testing::WithParamInterface<SimpleStartCase> {};

TEST_P(SimpleCorrectionStartTest, CorrectsWhenItCanAndClosesWhenARateIsSet) {
  const SimpleStartCase& c = GetParam();
  shell.first_argument = "-s";
  MainForm& f = Create(c.options);
  f.ActOnSwitch();
  EXPECT_EQ(system_clock.LocalTimeSettings().size(), static_cast<std::size_t>(c.corrections));
  EXPECT_EQ(shell.Count("CloseMainWindow"), c.closes ? 1 : 0);
  EXPECT_EQ(workers.started, 0);
  if (c.corrections != 0) {
    // Two days at 1000 ms a day, and LastTime moves to the setting.
    EXPECT_THAT(system_clock.LocalTimeSettings(),
                ElementsAre(sync::CalendarFields{2020, 1, 1, 12, 0, 2, 0}));
    EXPECT_EQ(f.Record().last_time, system_clock.LocalNow());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimpleCorrectionStartTest,
    ::testing::Values(SimpleStartCase{"NoRateStaysOpen",
                                      "HoseiMSec=0\r\nLastTime=2019/12/30 12:00:00\r\n", 0, false},
                      SimpleStartCase{"RateWithoutLastTimeCloses", "HoseiMSec=1000\r\n", 0, true},
                      SimpleStartCase{"RateAndLastTimeCorrectsAndCloses",
                                      "HoseiMSec=1000\r\nLastTime=2019/12/30 12:00:00\r\n", 1,
                                      true}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(Form1Test, ActivationMinimisesTheApplicationOnlyUnderASwitch) {
  const struct {
    const char* argument;
    bool minimised;
  } cases[] = {
      {"", false}, {"-d", true}, {"-s", true}, {"-D", false}, {"/d", false}, {"-dx", false},
  };
  MainForm& f = Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    shell.ClearCalls();
    shell.first_argument = c.argument;  // read afresh each time
    f.OnActivate();
    EXPECT_EQ(shell.Count("MinimizeApplication"), c.minimised ? 1 : 0);
  }
}

TEST_F(Form1Test, NoSwitchActsOnNothing) {
  for (const char* argument : {"", "-D", "/d", "-dx", "-S"}) {
    SCOPED_TRACE(argument);
    form.reset();
    shell = fakes::RecordingWindowShell();
    shell.first_argument = argument;
    MainForm& f = Create("HoseiMSec=1000\r\n");
    f.ActOnSwitch();
    EXPECT_EQ(workers.started, 0);
    EXPECT_THAT(system_clock.LocalTimeSettings(), IsEmpty());
    EXPECT_EQ(shell.Count("CloseMainWindow"), 0);
  }
}

// Settings that cannot be saved keep the window of a user, who can move the program somewhere
// writable; an unattended start has nobody to do that and ends all the same, after the error.
struct UnsavedCloseCase {
  const char* name;
  const char* argument;
  const char* options;
  bool program_closes;  // the start closes the window itself; otherwise the user closes it
};

void PrintTo(const UnsavedCloseCase& c, std::ostream* out) {
  *out << c.name;
}

class UnsavedCloseTest : public Form1Test,
                         public ::testing::WithParamInterface<UnsavedCloseCase> {};

TEST_P(UnsavedCloseTest, AnUnattendedStartEndsAfterTheErrorAUsersWindowStays) {
  const UnsavedCloseCase& c = GetParam();
  shell.first_argument = c.argument;
  MainForm& f = Create(c.options);
  f.ActOnSwitch();
  if (std::string(c.argument) == "-d" && c.program_closes)
    timers.Advance(30000);  // the run ends with its timeout
  ASSERT_EQ(shell.Count("CloseMainWindow"), c.program_closes ? 1 : 0);

  profile.refuse_writes = true;
  EXPECT_EQ(f.OnCloseQuery(), c.program_closes);
  EXPECT_THAT(shell.errors, ElementsAre(path + " に書き込めません"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnsavedCloseTest,
    ::testing::Values(
        UnsavedCloseCase{"NetworkRunAtItsEnd", "-d", "HoseiMSec=0\r\n", true},
        UnsavedCloseCase{"SimpleCorrection", "-s", "HoseiMSec=1000\r\n", true},
        UnsavedCloseCase{"UserDuringTheNetworkRun", "-d", "HoseiMSec=0\r\n", false},
        // Without a rate "-s" stays as an ordinary window.
        UnsavedCloseCase{"UserAfterSimpleCorrectionWithoutRate", "-s", "HoseiMSec=0\r\n", false},
        UnsavedCloseCase{"UserOfAnInteractiveStart", "", "HoseiMSec=1000\r\n", false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace tempiko::app::main_form_fixture
