// The dial-up link as the main window runs it: the connection box from the phone-book, the
// watcher over virtual time, and the hang-up of a link a run dialled.

#include <string>
#include <tuple>

#include "app/main_form.h"
#include "main_form_fixture.h"

namespace tempiko::app::main_form_fixture {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kHungUpLog[] = "ダイアルアップ切断しました";
constexpr sync::ConnectionHandle kOtherProgramsLink = 0x77;

class DialUpTest : public Form1Test {
 protected:
  DialUpTest() {
    dialler.entries = std::vector<std::string>{"Office", "Home"};
    dialler.saved["Office"] = {.user_name = "taro", .password = "pw", .password_retrieved = true};
  }

  // Resident (so the watcher may run), with the test's server chosen.
  MainForm& CreateResident(const std::string& more_lines = "") {
    MainForm& f = Create("Agent=1\r\n" + more_lines);
    server_box.Type(kServerIp);
    return f;
  }

  int HangUps() const {
    return static_cast<int>(
        std::count_if(dialler.calls.begin(), dialler.calls.end(),
                      [](const auto& call) { return call.starts_with("HangUp"); }));
  }
  // Runs that sent their request.
  int Runs() {
    const auto lines = log.Lines();
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [](const auto& line) { return line.starts_with("Request:"); }));
  }
  int HungUpLines() {
    const auto lines = log.Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), kHungUpLog));
  }
};

// --- The connection box ---

TEST_F(DialUpTest, TheBoxListsThePhoneBookAndKeepsTheSavedChoice) {
  Create("Entry=Home\r\n");
  EXPECT_THAT(entry_box.Items(), ElementsAre("LAN経由接続", "Office", "Home"));
  EXPECT_EQ(entry_box.Text(), "Home");
}

TEST_F(DialUpTest, AnEntryGoneFromThePhoneBookTurnsIntoTheLanAndIsSavedSo) {
  MainForm& f = Create("Entry=Old\r\n");
  EXPECT_EQ(entry_box.Text(), "LAN経由接続");
  ASSERT_TRUE(f.OnCloseQuery());
  EXPECT_EQ(Stored("Entry"), "LAN経由接続");
}

TEST_F(DialUpTest, TheFirstOpeningOfTheDetailsReadsThePhoneBookAgainOnlyOnce) {
  MainForm& f = Create();
  dialler.entries = std::vector<std::string>{"New"};
  f.OnDetailsClick();  // open
  EXPECT_THAT(entry_box.Items(), ElementsAre("LAN経由接続", "New"));
  f.OnDetailsClick();  // close
  dialler.entries = std::vector<std::string>{"Newer"};
  f.OnDetailsClick();  // open again
  EXPECT_THAT(entry_box.Items(), ElementsAre("LAN経由接続", "New"));
}

// --- The watcher ---

TEST_F(DialUpTest, ALinkThatComesOnlineStartsOneRunUntilItDropsAndReturns) {
  MainForm& f = CreateResident();
  ASSERT_TRUE(Running(f.watcher_timer()));
  timers.Advance(2000);
  EXPECT_EQ(workers.started, 0);

  dialler.connections = {{kOtherProgramsLink, "Home"}};
  timers.Advance(2000);
  EXPECT_EQ(workers.started, 1);
  EXPECT_EQ(f.Run().DialResult(), sync::drLinkSeen);
  EXPECT_THAT(pauses, Not(IsEmpty()));  // it waited for the link to read connected

  timers.Advance(10000);  // the run times out; the link stays up
  EXPECT_EQ(workers.started, 1);
  EXPECT_EQ(HangUps(), 0);  // another program's link

  dialler.connections.clear();
  timers.Advance(2000);
  dialler.connections = {{kOtherProgramsLink, "Home"}};
  timers.Advance(2000);
  EXPECT_EQ(workers.started, 2);
}

TEST_F(DialUpTest, AWatcherTickDuringARunStartsNothing) {
  MainForm& f = CreateResident("Entry=Office\r\n");
  f.PressConnect();  // dials Office
  ASSERT_EQ(f.Run().DialResult(), sync::drDialled);
  ASSERT_TRUE(f.Run().RunInProgress());

  timers.Advance(2000);  // the watcher sees the link this run dialled
  EXPECT_EQ(Runs(), 1);
  DeliverReply(3000);  // the run hangs up what it dialled
  EXPECT_EQ(HangUps(), 1);
  timers.Advance(4000);
  EXPECT_EQ(Runs(), 1);
}

TEST_F(DialUpTest, WithoutDialCheckTheWatcherNeverRuns) {
  MainForm& f = CreateResident("DialCheck=0\r\n");
  EXPECT_FALSE(Running(f.watcher_timer()));
}

TEST_F(DialUpTest, SwitchingTheWatcherOffForgetsTheLinkItSaw) {
  MainForm& f = CreateResident("Entry=Office\r\n");
  dialler.connections = {{kOtherProgramsLink, "Home"}};
  timers.Advance(2000);
  ASSERT_TRUE(f.DialLink().LinkSeen());
  timers.Advance(6000);  // that run ends by its timeout
  ASSERT_FALSE(f.Run().RunInProgress());

  dialler.connections.clear();  // the link drops while nobody watches
  relay_box.SetChecked(false);
  f.OnResidentOptionChanged();
  EXPECT_FALSE(Running(f.watcher_timer()));
  f.PressConnect();
  EXPECT_EQ(f.Run().DialResult(), sync::drDialled);  // not a wait on a link that is gone
}

// --- Hanging up ---

struct HangUpCase {
  const char* name;
  bool reply;            // else the run times out
  const char* argument;  // "" or "-d"
  bool dial;             // else the chosen entry was online already
  int hang_ups;
  int log_lines;  // "ダイアルアップ切断しました"
};

void PrintTo(const HangUpCase& c, std::ostream* out) {
  *out << c.name;
}

class LinkHangUpTest : public DialUpTest, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(LinkHangUpTest, OnlyALinkTheRunDialledIsHungUp) {
  const HangUpCase& c = GetParam();
  shell.first_argument = c.argument;
  if (!c.dial)
    dialler.connections = {{kOtherProgramsLink, "Office"}};
  MainForm& f = Create("Entry=Office\r\n");
  server_box.Type(kServerIp);
  f.PressConnect();
  ASSERT_EQ(f.Run().DialResult(), c.dial ? sync::drDialled : sync::drOnline);
  if (c.reply)
    DeliverReply(3000);
  else
    timers.Advance(30000);

  EXPECT_EQ(HangUps(), c.hang_ups);
  EXPECT_EQ(HungUpLines(), c.log_lines);
  EXPECT_THAT(log.Lines(), Contains("ダイアルアップ接続しました").Times(c.dial ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkHangUpTest,
    ::testing::Values(HangUpCase{"ReplyAfterADialHangsUpOnAWorker", true, "", true, 1, 1},
                      HangUpCase{"ReplyAfterADialUnattendedHangsUpAtOnce", true, "-d", true, 1, 0},
                      HangUpCase{"TimeoutAfterADialLeavesTheLinkUp", false, "", true, 0, 0},
                      HangUpCase{"TimeoutAfterADialUnattendedHangsUp", false, "-d", true, 1, 0},
                      HangUpCase{"ReplyOverALinkAlreadyUp", true, "", false, 0, 0},
                      HangUpCase{"ReplyOverALinkAlreadyUpUnattended", true, "-d", false, 0, 0}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(DialUpTest, AFailedDialsTextStaysOnTheStatusBarWhileTheRunGoesOn) {
  dialler.dial_outcomes["Office"] = {.result = 680, .handle = 0x99};
  dialler.error_texts[680] = "ダイヤルトーンが検出されませんでした";
  MainForm& f = Create("Entry=Office\r\n");
  server_box.Type(kServerIp);
  f.PressConnect();

  EXPECT_EQ(f.Run().DialResult(), 680);
  EXPECT_THAT(dialler.calls, Contains("HangUp 153"));      // the handle the failed dial made
  EXPECT_THAT(client_sockets.sent, ::testing::SizeIs(1));  // the request goes all the same
  EXPECT_EQ(status_bar.Text(), "ダイヤルトーンが検出されませんでした");
  EXPECT_THAT(log.Lines(), Not(Contains("ダイヤルトーンが検出されませんでした")));
  timers.Advance(30000);
  EXPECT_EQ(status_bar.Text(), "サーバからの応答がありませんでした");
}

TEST_F(DialUpTest, TheCredentialsNeverReachTheWindow) {
  dialler.saved["Office"] = {.password_retrieved = true};
  shell.user_name_answer = "hanako";
  shell.password_answer = "s3cret";
  MainForm& f = Create("Entry=Office\r\n");
  server_box.Type(kServerIp);
  f.PressConnect();
  DeliverReply(3000);
  ASSERT_TRUE(f.OnCloseQuery());

  EXPECT_THAT(shell.calls, Contains("AskUserName"));
  EXPECT_THAT(shell.calls, Contains("AskPassword"));
  ASSERT_EQ(dialler.dialled.size(), 1u);
  EXPECT_EQ(dialler.dialled[0].password, "s3cret");
  for (const std::string& line : log.Lines()) {
    EXPECT_EQ(line.find("hanako"), std::string::npos) << line;
    EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
  }
  const std::string file = tempiko::testing_support::ReadBytes(path);
  EXPECT_EQ(file.find("hanako"), std::string::npos);
  EXPECT_EQ(file.find("s3cret"), std::string::npos);
}

}  // namespace
}  // namespace tempiko::app::main_form_fixture
