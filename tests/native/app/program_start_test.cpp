// The start sequence's decisions: which switch the first argument is, and how long an
// unattended start waits.
#include "app/program_start.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ini_profile.h"
#include "app/settings_file.h"
#include "posix/posix_text_codec.h"
#include "settings/temp_folder.h"

namespace tempiko::app {
namespace {

using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(ProgramStartTest, OnlyExactlyDashDOrDashSIsASwitch) {
  const struct {
    const char* argument;
    StartSwitch expected;
  } cases[] = {
      {"-d", StartSwitch::kNetworkRun}, {"-s", StartSwitch::kSimpleCorrection},
      {"", StartSwitch::kNone},         {"-D", StartSwitch::kNone},
      {"-S", StartSwitch::kNone},       {"/d", StartSwitch::kNone},
      {"-dx", StartSwitch::kNone},      {"-d ", StartSwitch::kNone},
      {" -s", StartSwitch::kNone},      {"d", StartSwitch::kNone},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseStartSwitch(c.argument), c.expected) << '"' << c.argument << '"';
}

// The portable profile, counting the reads.
class CountingProfile final : public IniProfile {
 public:
  using IniProfile::IniProfile;
  int reads = 0;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t buffer_size) override {
    ++reads;
    return IniProfile::GetString(section, key, default_value, buffer_size);
  }
};

TEST(ProgramStartTest, UnattendedStartWaitsTheStoredDelayWithinItsRange) {
  const struct {
    const char* file;  // nullptr: no settings file
    int seconds;
  } cases[] = {
      {nullptr, 0},
      {"[Option]\r\ndelay=30\r\n", 30},
      {"[Option]\r\ndelay=0x1F\r\n", 31},
      {"[Option]\r\ndelay=999\r\n", 999},
      {"[Option]\r\ndelay=1000\r\n", 999},
      {"[Option]\r\ndelay=-5\r\n", 0},  // would otherwise wait for decades
      {"[Option]\r\ndelay=soon\r\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no file");
    TempFolder folder;
    const std::string path = folder.File("tempiko.ini");
    if (c.file)
      WriteBytes(path, c.file);
    CountingProfile profile(path);
    posix::PosixTextCodec codec;
    SettingsFile settings(profile, codec, path);

    EXPECT_EQ(StartDelaySeconds(StartSwitch::kNetworkRun, settings), c.seconds);
    EXPECT_EQ(StartDelaySeconds(StartSwitch::kSimpleCorrection, settings), c.seconds);
    const int reads = profile.reads;
    // An interactive start neither waits nor reads the file.
    EXPECT_EQ(StartDelaySeconds(StartSwitch::kNone, settings), 0);
    EXPECT_EQ(profile.reads, reads);
  }
}

}  // namespace
}  // namespace tempiko::app
