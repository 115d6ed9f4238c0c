// The status text of a clock setting the system refused.

#include "app/clock_setting_text.h"

#include <gtest/gtest.h>

namespace tempiko::app {
namespace {

TEST(ClockSettingTextTest, AMissingRightAsksForAnAdministratorAnythingElseNamesTheError) {
  const struct {
    int error;
    const char* text;
  } cases[] = {
      {1314, "時刻を設定できませんでした(管理者権限が必要です)"},  // privilege not held
      {5, "時刻を設定できませんでした(管理者権限が必要です)"},     // access denied
      {87, "時刻を設定できませんでした(エラー 87)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClockSettingFailureText(c.error), c.text) << c.error;
  }
}

}  // namespace
}  // namespace tempiko::app
