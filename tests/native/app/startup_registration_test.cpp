// 登録 and 削除 on the options page: the checks in their order and their message boxes, the
// link's path, target, arguments and folder, the status texts, and the failures around them.

#include <optional>
#include <string>

#include "app/startup_registration.h"
#include "main_form_fixture.h"

namespace tempiko::app::main_form_fixture {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kStoredLastTime[] = "LastTime=2021/03/04 13:05:06\r\n";

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += piece;
  return text;
}

// --- The link's path, arguments and folder ---

TEST(StartupLinkPath, IsTheFolderAndTheProgramsNameWithLnkWhileItFitsThePathLimit) {
  // A folder of 247 units leaves the path at 259, the most the 260-unit buffers hold.
  const std::string fits = "C:\\" + Repeat("a", 244);
  const struct {
    const char* name;
    std::optional<std::string> folder;
    const char* executable;
    std::optional<std::string> link;
  } cases[] = {
      {"Usual", "C:\\Startup", "C:\\Tempiko\\tempiko.exe", "C:\\Startup\\tempiko.lnk"},
      {"OtherName", "C:\\Startup", "D:\\t\\Clock.EXE", "C:\\Startup\\Clock.lnk"},
      {"NoExtension", "C:\\Startup", "C:\\bin\\tempiko", "C:\\Startup\\tempiko.lnk"},
      {"DotInTheFolderOnly", "C:\\Startup", "C:\\v1.4\\tempiko", "C:\\Startup\\tempiko.lnk"},
      {"LastDotOnly", "C:\\Startup", "C:\\t\\tempiko.v2.exe", "C:\\Startup\\tempiko.v2.lnk"},
      {"DriveRoot", "D:\\", "C:\\t\\tempiko.exe", "D:\\tempiko.lnk"},
      {"NonAnsiNames", "C:\\Users\\Jürgen\\Startup", "C:\\Ωmega\\tempiko.exe",
       "C:\\Users\\Jürgen\\Startup\\tempiko.lnk"},
      {"NoFolder", std::nullopt, "C:\\t\\tempiko.exe", std::nullopt},
      {"EmptyFolder", "", "C:\\t\\tempiko.exe", std::nullopt},
      {"AtTheLimit", fits, "C:\\t\\tempiko.exe", fits + "\\tempiko.lnk"},
      {"OneUnitOver", fits + "b", "C:\\t\\tempiko.exe", std::nullopt},
      {"LongerName", fits, "C:\\t\\tempikos.exe", std::nullopt},
      // Counted in UTF-16 units, not bytes: 244 two-byte characters still fit...
      {"UnitsNotBytes", "C:\\" + Repeat("ü", 244), "C:\\t\\tempiko.exe",
       "C:\\" + Repeat("ü", 244) + "\\tempiko.lnk"},
      // ...and a character beyond the first plane takes two.
      {"SurrogatePairs", "C:\\" + Repeat("😀", 122), "C:\\t\\tempiko.exe",
       "C:\\" + Repeat("😀", 122) + "\\tempiko.lnk"},
      {"SurrogatePairsOver", "C:\\" + Repeat("😀", 122) + "a", "C:\\t\\tempiko.exe", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StartupLinkPath(c.folder, c.executable), c.link);
  }
}

TEST(StartupLinkPath, ArgumentsAndFolderFollowTheOptionAndTheProgram) {
  EXPECT_EQ(ShortcutArguments(0), " -d");
  EXPECT_EQ(ShortcutArguments(1), " -s");
  EXPECT_EQ(ShortcutArguments(-1), " -s");  // no option selected
  EXPECT_EQ(ExecutableFolder("C:\\Program Files\\Tempiko\\tempiko.exe"),
            "C:\\Program Files\\Tempiko\\");
  EXPECT_EQ(ExecutableFolder("C:\\tempiko.exe"), "C:\\");
  EXPECT_EQ(ExecutableFolder("\\\\server\\share\\Zeitüberprüfung Ω\\tempiko.exe"),
            "\\\\server\\share\\Zeitüberprüfung Ω\\");
}

// --- 登録 ---

class StartupTest : public Form1Test {
 protected:
  std::string LinkPath() const { return *startup_shell.startup_folder + "\\tempiko.lnk"; }

  Shortcut ExpectedLink(const char* arguments) const {
    return {.link_path = LinkPath(),
            .target_path = startup_shell.executable_path,
            .arguments = arguments,
            .working_directory = "C:\\Program Files\\Tempiko\\"};
  }

  // The one link in the folder, with the arguments, and the status bar saying so.
  void ExpectRegistered(const char* arguments) {
    ASSERT_EQ(startup_shell.links.size(), 1u);
    EXPECT_EQ(startup_shell.links.begin()->second, ExpectedLink(arguments));
    EXPECT_EQ(status_bar.Text(), kShortcutCreated);
    EXPECT_THAT(startup_shell.notices, IsEmpty());
  }
};

struct CheckCase {
  const char* name;
  std::string options;               // section Option of the settings file
  std::optional<std::string> entry;  // the connection box's text; nothing: as the window filled it
  const char* notice;                // the refusal, or nullptr for a registration
  const char* arguments;
};

void PrintTo(const CheckCase& c, std::ostream* out) {
  *out << c.name;
}

class RegisterChecksTest : public StartupTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(RegisterChecksTest, TheFirstFailedCheckShowsItsBoxAndWritesNothing) {
  const CheckCase& c = GetParam();
  MainForm& f = Create(c.options + "Entry=ISDN\r\n");
  if (c.entry)
    entry_box.SetText(*c.entry);
  const std::string status_before = status_bar.Text();
  const std::vector<std::string> log_before = log.Lines();

  f.OnRegisterClick();

  if (c.notice) {
    EXPECT_THAT(startup_shell.notices, ElementsAre(c.notice));
    EXPECT_EQ(startup_shell.saves, 0);
    EXPECT_THAT(startup_shell.links, IsEmpty());
    EXPECT_EQ(status_bar.Text(), status_before);
  } else {
    ExpectRegistered(c.arguments);
  }
  EXPECT_EQ(log.Lines(), log_before);  // neither the boxes nor the status text are logged
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterChecksTest,
    ::testing::Values(
        // The connection box holds "LAN経由接続" whatever the file said: an entry all the same.
        CheckCase{"LanEntry", "Start=0\r\n", std::nullopt, nullptr, " -d"},
        CheckCase{"DialEntry", "Start=0\r\n", "My ISP", nullptr, " -d"},
        CheckCase{"EmptiedEntry", "Start=0\r\n", "", kNeedDialEntry, nullptr},
        CheckCase{"EmptiedEntryWithRateAndLastTime",
                  std::string("Start=0\r\nHoseiMSec=1000\r\n") + kStoredLastTime, "",
                  kNeedDialEntry, nullptr},
        CheckCase{"NoRateWithLastTime", std::string("Start=1\r\n") + kStoredLastTime, std::nullopt,
                  kNeedDriftRate, nullptr},
        CheckCase{"NoRateNoLastTime", "Start=1\r\n", std::nullopt, kNeedDriftRate, nullptr},
        CheckCase{"RateNoLastTime", "Start=1\r\nHoseiMSec=1000\r\n", std::nullopt,
                  kNeedZeroCorrection, nullptr},
        CheckCase{"RateAndLastTime", "Start=1\r\nHoseiMSec=1000\r\nLastTime=2021/03/04\r\n", "",
                  nullptr, " -s"},
        CheckCase{"NegativeRate", "Start=1\r\nHoseiMSec=-300\r\nLastTime=2021/03/04\r\n",
                  std::nullopt, nullptr, " -s"},
        // The key counts, even when its text does not read as a date.
        CheckCase{"UnreadableLastTime",
                  "Start=1\r\nHoseiMSec=1000\r\nLastTime=31.12.2021 10:00\r\n", std::nullopt,
                  nullptr, " -s"},
        // Only reachable through the file: no check applies, and the link gets "-s".
        CheckCase{"NoOptionSelected", "Start=-3\r\n", "", nullptr, " -s"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

enum class EarlierInThisRun {
  kNothing,
  kZeroCorrection,
  kRefusedZeroCorrection,
  kServerCorrection
};

struct LastTimeCase {
  const char* name;
  EarlierInThisRun earlier;
  bool registers;
};

void PrintTo(const LastTimeCase& c, std::ostream* out) {
  *out << c.name;
}

class LastTimeTest : public StartupTest, public ::testing::WithParamInterface<LastTimeCase> {};

// With no LastTime in the file at start, only a zero correction made in this run counts.
TEST_P(LastTimeTest, OnlyAZeroCorrectionInThisRunMakesTheSimpleCorrectionRegistrable) {
  const LastTimeCase& c = GetParam();
  MainForm& f = Create("Start=1\r\nHoseiMSec=1000\r\n");
  switch (c.earlier) {
    case EarlierInThisRun::kNothing:
      break;
    case EarlierInThisRun::kZeroCorrection:
      f.OnZeroCorrectionPress();
      break;
    case EarlierInThisRun::kRefusedZeroCorrection:
      system_clock.SetSettingError(sync::kErrorPrivilegeNotHeld);
      f.OnZeroCorrectionPress();
      break;
    case EarlierInThisRun::kServerCorrection:
      tolerance_field.SetValue(0);
      f.PressConnect();
      DeliverReply(3000);
      ASSERT_EQ(status_bar.Text(), "補正完了");
      ASSERT_NE(f.Record().last_time, 0);
      break;
  }
  f.OnRegisterClick();
  if (c.registers) {
    ExpectRegistered(" -s");
  } else {
    EXPECT_THAT(startup_shell.notices, ElementsAre(kNeedZeroCorrection));
    EXPECT_THAT(startup_shell.links, IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LastTimeTest,
    ::testing::Values(LastTimeCase{"Nothing", EarlierInThisRun::kNothing, false},
                      LastTimeCase{"ZeroCorrection", EarlierInThisRun::kZeroCorrection, true},
                      LastTimeCase{"ZeroCorrectionTheSystemRefused",
                                   EarlierInThisRun::kRefusedZeroCorrection, false},
                      LastTimeCase{"CorrectionFromAServer", EarlierInThisRun::kServerCorrection,
                                   false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(StartupTest, RegisteringAgainReplacesTheLinkWithTheOptionNowSet) {
  MainForm& f = Create();
  f.OnRegisterClick();
  ExpectRegistered(" -d");

  f.OnZeroCorrectionPress();
  start_option.SetItemIndex(1);
  drift_field.SetValue(500);
  status_bar.SetText("");
  f.OnRegisterClick();
  ExpectRegistered(" -s");
  EXPECT_EQ(startup_shell.saves, 2);
}

TEST_F(StartupTest, ALinkThatCannotBeSavedIsReportedOnTheStatusBar) {
  MainForm& f = Create();
  startup_shell.save_fails = true;
  const std::vector<std::string> log_before = log.Lines();
  f.OnRegisterClick();
  EXPECT_EQ(startup_shell.saves, 1);
  EXPECT_EQ(status_bar.Text(), kShortcutNotCreated);
  EXPECT_EQ(log.Lines(), log_before);
  EXPECT_THAT(startup_shell.links, IsEmpty());
}

TEST_F(StartupTest, NoLinkObjectIsAnErrorWithTheSystemsText) {
  MainForm& f = Create();
  startup_shell.link_object_failure = "クラスが登録されていません";
  const std::string status_before = status_bar.Text();
  try {
    f.OnRegisterClick();
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "クラスが登録されていません");
  }
  EXPECT_EQ(status_bar.Text(), status_before);
  EXPECT_THAT(startup_shell.links, IsEmpty());
}

TEST_F(StartupTest, AStartupFolderThatCannotBeFoundWritesAndDeletesNothing) {
  const struct {
    const char* name;
    std::optional<std::string> folder;
  } cases[] = {
      {"NoFolder", std::nullopt},
      {"EmptyFolder", ""},
      {"PathTooLong", "C:\\" + Repeat("長", 250)},
  };
  MainForm& f = Create();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    startup_shell.startup_folder = c.folder;
    startup_shell.links = {{"C:\\elsewhere\\tempiko.lnk", {}}};
    status_bar.SetText("unchanged");
    for (void (MainForm::*handler)() : {&MainForm::OnRegisterClick, &MainForm::OnUnregisterClick}) {
      try {
        (f.*handler)();
        ADD_FAILURE() << "no error";
      } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), kStartupFolderNotFound);
      }
    }
    EXPECT_EQ(startup_shell.saves, 0);
    EXPECT_EQ(startup_shell.links.size(), 1u);
    EXPECT_EQ(status_bar.Text(), "unchanged");
  }
}

// --- 削除 ---

TEST_F(StartupTest, DeletingSaysSoOrEmptiesTheStatusBarWhenThereWasNoLink) {
  MainForm& f = Create();
  f.OnRegisterClick();
  startup_shell.links["C:\\other.lnk"] = {};  // not ours: stays
  const std::vector<std::string> log_before = log.Lines();

  f.OnUnregisterClick();
  EXPECT_EQ(status_bar.Text(), kShortcutDeleted);
  EXPECT_EQ(startup_shell.links.count(LinkPath()), 0u);
  EXPECT_EQ(startup_shell.links.size(), 1u);

  f.OnUnregisterClick();
  EXPECT_EQ(status_bar.Text(), "");
  EXPECT_EQ(log.Lines(), log_before);
  EXPECT_THAT(startup_shell.notices, IsEmpty());
}

}  // namespace
}  // namespace tempiko::app::main_form_fixture
