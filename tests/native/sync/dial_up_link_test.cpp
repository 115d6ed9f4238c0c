// The dial decision of each run, step by step, against a scripted dialler; the connection box
// as the phone-book fills it.

#include "sync/dial_up_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_remote_access.h"
#include "fakes/fake_run_ports.h"
#include "fakes/fake_window_thread.h"

namespace tempiko::sync {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The window as the dial decision sees it; every call must come on the window thread.
class FakeDialView final : public DialView {
 public:
  explicit FakeDialView(fakes::ThreadRoles& roles) : roles_(roles) {}

  std::string chosen;
  std::vector<std::string> listed;
  std::optional<std::string> user_answer;  // nothing: the prompt is cancelled
  std::optional<std::string> password_answer;
  std::vector<std::string> calls;

  std::string ChosenEntry() override { return Note("ChosenEntry"), chosen; }
  std::vector<std::string> ListedEntries() override { return Note("ListedEntries"), listed; }
  void NoEntryChosen() override { Note("NoEntryChosen"); }
  void DialStatus(const std::string& text) override { Note("DialStatus " + text); }
  std::string AskUserName() override { return Note("AskUserName"), user_answer.value_or(""); }
  std::string AskPassword() override { return Note("AskPassword"), password_answer.value_or(""); }
  void HungUp() override { Note("HungUp"); }

 private:
  void Note(const std::string& call) {
    if (roles_.worker_depth > 0 && roles_.invoke_depth == 0)
      roles_.violations.push_back(call + " on the worker");
    calls.push_back(call);
  }
  fakes::ThreadRoles& roles_;
};

class DialUpLinkTest : public ::testing::Test {
 protected:
  // The decision as the worker takes it.
  int Decide() {
    int result = -1;
    workers.Start([&] { result = link.DialEntry(); });
    return result;
  }

  void TearDown() override { EXPECT_THAT(roles.violations, IsEmpty()); }

  fakes::ThreadRoles roles;
  fakes::InlineWindowThread window{roles};
  fakes::FakeWorkerStarter workers{roles};
  fakes::FakeRemoteAccess dialler;
  FakeDialView view{roles};
  fakes::FakeRelayQueue relay;
  std::vector<std::chrono::milliseconds> pauses;
  DialUpLink link{dialler, view,    relay,
                  window,  workers, [this](std::chrono::milliseconds p) { pauses.push_back(p); }};
};

// --- The decision, step by step ---

struct DecisionCase {
  const char* name = "";
  std::string chosen{};
  std::vector<sync::ActiveConnection> online{};
  int relay_waiting = 0;
  std::map<std::string, fakes::FakeRemoteAccess::SavedParameters> saved{};
  std::optional<std::string> user_answer{};
  std::optional<std::string> password_answer{};
  std::map<std::string, fakes::FakeRemoteAccess::DialOutcome> outcomes{};
  int result = 0;
  std::vector<std::string> dialler_calls{};
  std::vector<std::string> view_calls{};  // but ChosenEntry and ListedEntries
  std::string dialled_user = "";
  std::string dialled_password = "";
};

void PrintTo(const DecisionCase& c, std::ostream* out) {
  *out << c.name;
}

const std::vector<std::string> kListed = {"Office", "Home"};
constexpr ConnectionHandle kHomeLink = 0x77;

class DialDecisionTest : public DialUpLinkTest,
                         public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(DialDecisionTest, StepsRunInOrderAndTheFirstThatAnswersEndsTheDecision) {
  const DecisionCase& c = GetParam();
  view.chosen = c.chosen;
  view.listed = kListed;
  dialler.connections = c.online;
  relay.waiting = c.relay_waiting;
  dialler.saved = c.saved;
  dialler.dial_outcomes = c.outcomes;
  dialler.error_texts = {{623, "ｴﾝﾄﾘが見つかりません"}, {680, "ダイヤルトーンがありません"}};
  view.user_answer = c.user_answer;
  view.password_answer = c.password_answer;

  EXPECT_EQ(Decide(), c.result);
  EXPECT_EQ(dialler.calls, c.dialler_calls);
  std::vector<std::string> view_calls = view.calls;
  std::erase_if(view_calls, [](const std::string& call) {
    return call == "ChosenEntry" || call == "ListedEntries";
  });
  EXPECT_EQ(view_calls, c.view_calls);
  if (!dialler.dialled.empty()) {
    EXPECT_EQ(dialler.dialled[0].entry_name, c.chosen);
    EXPECT_EQ(dialler.dialled[0].user_name, c.dialled_user);
    EXPECT_EQ(dialler.dialled[0].password, c.dialled_password);
  }
}

const fakes::FakeRemoteAccess::SavedParameters kSavedBoth{
    .user_name = "taro", .password = "secret", .password_retrieved = true};

INSTANTIATE_TEST_SUITE_P(
    Cases, DialDecisionTest,
    ::testing::Values(
        DecisionCase{.name = "Lan", .chosen = kLanEntry, .result = drOnline},
        DecisionCase{.name = "ListedEntryOnlineServesAnyChoice",
                     .chosen = "Office",
                     .online = {{0x55, "Elsewhere"}, {kHomeLink, "Home"}},
                     .result = drOnline,
                     .dialler_calls = {"Connections"}},
        DecisionCase{.name = "OnlineTestComesBeforeTheEmptyText",
                     .chosen = "",
                     .online = {{kHomeLink, "Home"}},
                     .result = drOnline,
                     .dialler_calls = {"Connections"}},
        DecisionCase{.name = "EmptyTextOffline",
                     .chosen = "",
                     .result = drStop,
                     .dialler_calls = {"Connections"},
                     .view_calls = {"NoEntryChosen"}},
        DecisionCase{.name = "RelayClientsWaitingNeverDial",
                     .chosen = "Office",
                     .relay_waiting = 1,
                     .saved = {{"Office", kSavedBoth}},
                     .result = drStop,
                     .dialler_calls = {"Connections"}},
        DecisionCase{.name = "UnknownEntryShowsTheDiallersText",
                     .chosen = "Typed",
                     .result = drStop,
                     .dialler_calls = {"Connections", "GetDialParameters Typed", "ErrorText 623"},
                     .view_calls = {"DialStatus ｴﾝﾄﾘが見つかりません"}},
        DecisionCase{.name = "SavedCredentialsDialWithoutPrompts",
                     .chosen = "Office",
                     .saved = {{"Office", kSavedBoth}},
                     .result = drDialled,
                     .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office"},
                     .view_calls = {"DialStatus Dialing...", "DialStatus Connected"},
                     .dialled_user = "taro",
                     .dialled_password = "secret"},
        DecisionCase{.name = "MissingUserNameIsAskedCancelDialsEmpty",
                     .chosen = "Office",
                     .saved = {{"Office", {.password = "secret", .password_retrieved = true}}},
                     .result = drDialled,
                     .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office"},
                     .view_calls = {"AskUserName", "DialStatus Dialing...", "DialStatus Connected"},
                     .dialled_password = "secret"},
        DecisionCase{.name = "RetrievedEmptyPasswordIsAsked",
                     .chosen = "Office",
                     .saved = {{"Office", {.user_name = "taro", .password_retrieved = true}}},
                     .password_answer = "typed",
                     .result = drDialled,
                     .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office"},
                     .view_calls = {"AskPassword", "DialStatus Dialing...", "DialStatus Connected"},
                     .dialled_user = "taro",
                     .dialled_password = "typed"},
        DecisionCase{.name = "NoRetrievedPasswordIsNotAsked",
                     .chosen = "Office",
                     .saved = {{"Office", {.password_retrieved = false}}},
                     .user_answer = "hanako",
                     .result = drDialled,
                     .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office"},
                     .view_calls = {"AskUserName", "DialStatus Dialing...", "DialStatus Connected"},
                     .dialled_user = "hanako"},
        DecisionCase{
            .name = "FailedDialHangsUpTheHandleItMade",
            .chosen = "Office",
            .saved = {{"Office", kSavedBoth}},
            .outcomes = {{"Office", {.result = 680, .handle = 0x99}}},
            .result = 680,
            .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office",
                              "HangUp 153", "ErrorText 680"},
            .view_calls = {"DialStatus Dialing...", "DialStatus ダイヤルトーンがありません"},
            .dialled_user = "taro",
            .dialled_password = "secret"},
        DecisionCase{
            .name = "FailedDialWithoutHandleHangsUpNothing",
            .chosen = "Office",
            .saved = {{"Office", kSavedBoth}},
            .outcomes = {{"Office", {.result = 680, .handle = 0}}},
            .result = 680,
            .dialler_calls = {"Connections", "GetDialParameters Office", "Dial Office",
                              "ErrorText 680"},
            .view_calls = {"DialStatus Dialing...", "DialStatus ダイヤルトーンがありません"},
            .dialled_user = "taro",
            .dialled_password = "secret"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(DialUpLinkTest, ALinkTheWatcherSawIsUsedWithoutAsking) {
  view.listed = kListed;
  dialler.connections = {{kHomeLink, "Home"}};
  ASSERT_TRUE(link.WatcherSeesNewLink(kListed, /*run_in_progress=*/false));
  dialler.calls.clear();
  view.chosen = "Office";

  EXPECT_EQ(Decide(), drLinkSeen);
  EXPECT_THAT(dialler.calls, IsEmpty());
  EXPECT_THAT(view.calls, IsEmpty());
}

TEST_F(DialUpLinkTest, TheOnlineLinkBecomesTheLinkActedOn) {
  view.chosen = "Office";
  view.listed = kListed;
  dialler.connections = {{kHomeLink, "Home"}, {0x55, "NotListed"}};
  EXPECT_EQ(Decide(), drOnline);
  EXPECT_EQ(link.Connection(), kHomeLink);
}

TEST_F(DialUpLinkTest, TheDialledParametersAreWipedOnceTheDialReturns) {
  view.chosen = "Office";
  dialler.saved = {{"Office", kSavedBoth}};
  EXPECT_EQ(Decide(), drDialled);
  // What the decision holds is gone; only the dialler's copy (a test's record) remains.
  ASSERT_EQ(dialler.dialled.size(), 1u);
  for (const std::string& call : view.calls) {
    EXPECT_EQ(call.find("secret"), std::string::npos) << call;
    EXPECT_EQ(call.find("taro"), std::string::npos) << call;
  }
}

// --- The watcher's view ---

TEST_F(DialUpLinkTest, WatcherAsksForOneRunPerLinkThatComesOnline) {
  const struct {
    std::vector<sync::ActiveConnection> online;
    bool run_in_progress;
    bool run_wanted;
  } ticks[] = {
      {{}, false, false},
      {{{kHomeLink, "Home"}}, false, true},   // comes online
      {{{kHomeLink, "Home"}}, false, false},  // stays
      {{{0x55, "NotListed"}}, false, false},  // only an entry of another list
      {{{kHomeLink, "Home"}}, false, true},   // back again
      {{}, false, false},
      {{{kHomeLink, "Home"}}, true, false},   // a run in progress is the run for it
      {{{kHomeLink, "Home"}}, false, false},  // and it is not asked for later
  };
  int tick = 0;
  for (const auto& t : ticks) {
    dialler.connections = t.online;
    EXPECT_EQ(link.WatcherSeesNewLink(kListed, t.run_in_progress), t.run_wanted) << "tick " << tick;
    ++tick;
  }
}

TEST_F(DialUpLinkTest, HangUpWorkerHangsUpAndThenLogs) {
  view.chosen = "Office";
  dialler.saved = {{"Office", kSavedBoth}};
  ASSERT_EQ(Decide(), drDialled);
  const ConnectionHandle dialled = link.Connection();
  dialler.calls.clear();
  view.calls.clear();

  link.StartHangUpWorker();
  EXPECT_THAT(dialler.calls, ElementsAre("HangUp " + std::to_string(dialled)));
  EXPECT_THAT(view.calls, ElementsAre("HungUp"));
}

// --- The connection box ---

TEST(BuildEntryList, KeepsTheRememberedEntryWhileListed) {
  const struct {
    const char* name;
    std::string remembered;
    std::optional<std::vector<std::string>> entries;
    std::vector<std::string> items;
    int index;
  } cases[] = {
      {"Listed",
       "Home",
       std::vector<std::string>{"Office", "Home"},
       {kLanEntry, "Office", "Home"},
       2},
      {"GoneFromThePhoneBook", "Old", std::vector<std::string>{"Office"}, {kLanEntry, "Office"}, 0},
      {"ListedTwiceTakesTheLater",
       "Home",
       std::vector<std::string>{"Home", "Office", "Home"},
       {kLanEntry, "Home", "Office", "Home"},
       3},
      {"CaseMatters", "home", std::vector<std::string>{"Home"}, {kLanEntry, "Home"}, 0},
      {"PhoneBookCannotBeListed", "Home", std::nullopt, {kLanEntry}, 0},
      {"NoPhoneBookEntries", kLanEntry, std::vector<std::string>{}, {kLanEntry}, 0},
  };
  for (const auto& c : cases) {
    const EntryList list = BuildEntryList(c.remembered, c.entries);
    EXPECT_EQ(list.items, c.items) << c.name;
    EXPECT_EQ(list.index, c.index) << c.name;
  }
}

}  // namespace
}  // namespace tempiko::sync
