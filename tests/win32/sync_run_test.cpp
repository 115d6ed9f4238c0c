// One complete synchronisation run on the real Win32 adapters against a real NTP server that
// shares this machine's clock: the clock would be set to within 2 ms of the true UTC.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sync_run_rig.h"

namespace tempiko {
namespace {

std::string NtpServer() {
  const char* server = std::getenv("TEMPIKO_NTP_SERVER");
  return server ? server : "";
}

TEST(Win32SyncRun, CompleteRunAgainstRealServerSetsTheTrueTime) {
  if (NtpServer().empty())
    GTEST_SKIP() << "TEMPIKO_NTP_SERVER names no NTP server";
  test::SyncRunRig rig(NtpServer());
  ASSERT_TRUE(rig.RunOnce());

  EXPECT_EQ(rig.status_bar.Text(), "補正完了");
  EXPECT_TRUE(rig.connect_button.Enabled());
  EXPECT_FALSE(rig.reply_timer.Enabled());
  const auto error = rig.clock.ErrorMs();
  ASSERT_TRUE(error.has_value()) << "the run never set the clock";
  EXPECT_LE(std::abs(*error), 2.0);
  EXPECT_NE(rig.record.last_time, 0.0);

  const auto lines = rig.log.Lines();
  ASSERT_GE(lines.size(), 15u);
  EXPECT_EQ(lines[1], "NTPサーバ:" + NtpServer());
  EXPECT_EQ(lines[3], "ﾘｸｴｽﾄ送信:ServerPort=123 LocalPort=8263");
  EXPECT_EQ(lines.back(), "補正完了");
}

TEST(Win32SyncRun, NoServerAnswerEndsByTheTimeout) {
  // Nobody serves NTP on this loopback address; the run gives up after 5 s.
  test::SyncRunRig rig("127.0.0.2");
  ASSERT_TRUE(rig.RunOnce(20'000));
  EXPECT_EQ(rig.status_bar.Text(), "サーバからの応答がありませんでした");
  EXPECT_FALSE(rig.clock.ErrorMs().has_value());
}

}  // namespace
}  // namespace tempiko
