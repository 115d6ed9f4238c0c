// What the start stands on: the instance mutex, the first argument, the owners of what the
// program opens, and the text of the application's error box.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "win32/error_box.h"
#include "win32/owned.h"
#include "win32/process_start.h"

namespace tempiko {
namespace {

TEST(InstanceMutex, OnlyTheFirstCopyRunsAndTheNameIsFreeOnceItEnds) {
  // A name of the test's own: a running program holds the real one.
  const wchar_t name[] = L"tempiko-test-instance-mutex";
  {
    const win32::InstanceMutex first(name);
    EXPECT_FALSE(first.AnotherIsRunning());
    {
      const win32::InstanceMutex second(name);
      EXPECT_TRUE(second.AnotherIsRunning());
    }
    EXPECT_TRUE(win32::InstanceMutex(name).AnotherIsRunning());  // the second let go, not the first
  }
  EXPECT_FALSE(win32::InstanceMutex(name).AnotherIsRunning());
}

TEST(FirstArgument, IsTheArgumentAfterTheProgramsName) {
  const struct {
    const wchar_t* command_line;
    const char* first;
  } cases[] = {
      {L"tempiko.exe", ""},
      {L"tempiko.exe -d", "-d"},
      {L"\"C:\\Program Files\\Tempiko\\tempiko.exe\" -s", "-s"},  // a quoted name with blanks
      {L"tempiko.exe -d -s", "-d"},                               // later ones are ignored
      {L"tempiko.exe \"-d\"", "-d"},
      {L"tempiko.exe \"a b\" -d", "a b"},
      {L"tempiko.exe -D", "-D"},  // as written: the switch is compared case-sensitively later
      {L"tempiko.exe 設定", "設定"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(win32::FirstArgumentOf(c.command_line), c.first) << c.first;
}

// Counts releases instead of closing anything.
std::vector<int> released;
struct CountingTraits {
  using Handle = int;
  static Handle None() { return 0; }
  static void Release(Handle handle) { released.push_back(handle); }
};
using Counted = win32::UniqueOwner<CountingTraits>;

TEST(UniqueOwner, ReleasesEachHandleExactlyOnce) {
  released.clear();
  {
    Counted a(1);
    Counted b(std::move(a));  // b takes over: nothing released
    Counted c(3);
    c = std::move(b);  // 3 goes, 1 moves on
    Counted& alias = c;
    c = std::move(alias);  // onto itself: nothing changes
    Counted d(4);
    EXPECT_EQ(d.release(), 4);  // given up: never released here
    Counted e;                  // none: nothing to release
    c.reset(5);                 // 1 goes
  }                             // 5 goes with c
  EXPECT_EQ(released, (std::vector<int>{3, 1, 5}));
}

TEST(ErrorBoxText, AFullStopFollowsATextEndingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Unknown Error No. 10048", "Unknown Error No. 10048."},
      {"Null Remote Address", "Null Remote Address."},
      {"already.", "already."},
      {"ends in a comma,", "ends in a comma,"},  // ',' sorts before '.'
      {"ends in a minus -", "ends in a minus -"},
      {"ends in a slash /", "ends in a slash /."},  // '/' sorts after '.'
      {"C:\\tempiko.ini に書き込めません", "C:\\tempiko.ini に書き込めません."},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(win32::ErrorBoxText(c.message), c.shown) << c.message;
}

}  // namespace
}  // namespace tempiko
