// Loading and saving the main window's settings.
#include "app/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ini_profile.h"
#include "base/errors.h"
#include "posix/posix_text_codec.h"
#include "sync/date_time.h"
#include "temp_folder.h"
#include "fakes/memory_controls.h"

namespace tempiko::app {
namespace {

using ::testing::ElementsAre;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// The portable profile, with writes of one key refused as by a full disk.
class RefusingProfile : public IniProfile {
 public:
  using IniProfile::IniProfile;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    return key != refused_key && IniProfile::WriteString(section, key, value);
  }
  std::string refused_key;
};

const char kEntryBytes[] = "LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1";  // LAN経由接続 in Shift-JIS

class SettingsTest : public ::testing::Test {
 protected:
  WindowSettings Window() {
    return {{radio_, entry_, tolerance_, amount_, hours_, delay_, relay_, servers_},
            record_,
            format_,
            dial_check_,
            locale_,
            builtin_,
            [this] { ++relay_handler_runs_; }};
  }
  void Load() {
    SettingsFile file(profile_, codec_, path_);
    LoadSettings(file, Window());
  }
  void Save() {
    SettingsFile file(profile_, codec_, path_);
    SaveSettings(file, Window());
  }
  void WriteOption(const std::string& lines) { WriteBytes(path_, "[Option]\r\n" + lines); }

  TempFolder folder_;
  std::string path_ = folder_.File("tempiko.ini");
  RefusingProfile profile_{path_};
  posix::PosixTextCodec codec_;

  ui::MemoryRadioGroup radio_{2, 0};
  ui::MemoryComboBox entry_;
  ui::MemorySpinEdit tolerance_{0, 0, 10000};
  ui::MemorySpinEdit amount_;
  ui::MemorySpinEdit hours_;
  ui::MemorySpinEdit delay_{0, 0, 999};
  ui::MemoryCheckBox relay_;
  ui::MemoryComboBox servers_;
  sync::CorrectionRecord record_;
  std::string format_;
  bool dial_check_ = false;
  sync::Locale locale_ = sync::Locale::Japanese();
  std::vector<std::string> builtin_ = {"ntp.one.example", "ntp.two.example"};
  int relay_handler_runs_ = 0;
};

TEST_F(SettingsTest, WithoutAFileEverySettingTakesItsDefault) {
  Load();
  EXPECT_EQ(radio_.ItemIndex(), 0);
  EXPECT_EQ(entry_.Text(), "LAN経由接続");
  EXPECT_EQ(tolerance_.Value(), 200);
  EXPECT_EQ(amount_.Value(), 0);
  EXPECT_FALSE(record_.HasLastTime);
  EXPECT_EQ(record_.LastTime, 0);
  EXPECT_FALSE(relay_.Checked());
  EXPECT_EQ(hours_.Value(), 0);
  EXPECT_EQ(delay_.Value(), 0);
  EXPECT_TRUE(dial_check_);
  EXPECT_EQ(servers_.Items(), builtin_);
  EXPECT_EQ(servers_.ItemIndex(), 0);
  EXPECT_EQ(format_, "yyyy/mm/dd AMPM hh:nn:ss");
  EXPECT_EQ(relay_handler_runs_, 0);
}

TEST_F(SettingsTest, AFileWrittenFromScratchHoldsTheKeysInTheirOrder) {
  Load();
  Save();
  EXPECT_EQ(ReadBytes(path_), std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                  "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\nAgent=0\r\nTimer=0\r\n"
                                  "delay=0\r\nServer=0\r\n[Server]\r\nntp.one.example=\r\n"
                                  "ntp.two.example=\r\n");

  // After a correction LastTime takes its place after HoseiMSec; the pattern comes last.
  std::filesystem::remove(path_);
  record_.LastTime = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 789});
  Save();
  SettingsFile file(profile_, codec_, path_);
  WriteFormat(file, "hh:nn");
  EXPECT_EQ(ReadBytes(path_), std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                  "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\n"
                                  "LastTime=2021/03/04 13:05:06\r\nAgent=0\r\nTimer=0\r\n"
                                  "delay=0\r\nServer=0\r\nFormat=hh:nn\r\n[Server]\r\n"
                                  "ntp.one.example=\r\nntp.two.example=\r\n");
}

TEST_F(SettingsTest, StoredValuesAreBroughtIntoTheirRanges) {
  const struct {
    const char* lines;
    int start, tolerance, delay;
  } cases[] = {
      {"Start=5\r\nHoseiGosa=20000\r\ndelay=5000\r\n", 1, 10000, 999},
      {"Start=-3\r\nHoseiGosa=-1\r\ndelay=-5\r\n", -1, 0, 0},
      {"Start=0x1\r\nHoseiGosa=0x1F\r\ndelay=x\r\n", 1, 31, 0},
  };
  for (const auto& c : cases) {
    WriteOption(c.lines);
    Load();
    EXPECT_EQ(radio_.ItemIndex(), c.start) << c.lines;
    EXPECT_EQ(tolerance_.Value(), c.tolerance) << c.lines;
    EXPECT_EQ(delay_.Value(), c.delay) << c.lines;
    Save();
    SettingsFile file(profile_, codec_, path_);
    EXPECT_EQ(file.ReadInteger("Option", "Start", 99), c.start) << c.lines;
    EXPECT_EQ(file.ReadInteger("Option", "HoseiGosa", 99), c.tolerance) << c.lines;
    EXPECT_EQ(file.ReadInteger("Option", "delay", 99), c.delay) << c.lines;
  }
}

TEST_F(SettingsTest, DialCheckIsReadAndNeverWritten) {
  WriteOption("DialCheck=0\r\nHoseiMSec=-250\r\nFormat=\r\n");
  Load();
  EXPECT_FALSE(dial_check_);
  EXPECT_EQ(amount_.Value(), -250);
  EXPECT_EQ(format_, "");  // an empty pattern stays empty
  dial_check_ = true;
  format_ = "changed";
  Save();
  const std::string saved = ReadBytes(path_);
  EXPECT_THAT(saved, ::testing::HasSubstr("DialCheck=0\r\n"));
  EXPECT_THAT(saved, ::testing::HasSubstr("Format=\r\n"));
}

TEST_F(SettingsTest, TheServerListComesFromItsSectionWhenItHoldsAKey) {
  const struct {
    const char* file;
    std::vector<std::string> items;
    int index;
  } cases[] = {
      {"[Option]\r\nServer=1\r\n", {"ntp.one.example", "ntp.two.example"}, 1},
      {"[Option]\r\nServer=1\r\n[Server]\r\n", {"ntp.one.example", "ntp.two.example"}, 1},
      {"[Server]\r\nlocal.ntp=\r\n10.0.0.1=\r\n[Option]\r\nServer=1\r\n",
       {"local.ntp", "10.0.0.1"},
       1},
      {"[Server]\r\na=\r\nb=\r\n[Option]\r\nServer=2\r\n", {"a", "b"}, 0},  // past the end
      {"[Server]\r\na=\r\nb=\r\n[Option]\r\nServer=-4\r\n", {"a", "b"}, -1},
  };
  for (const auto& c : cases) {
    WriteBytes(path_, c.file);
    Load();
    EXPECT_EQ(servers_.Items(), c.items) << c.file;
    EXPECT_EQ(servers_.ItemIndex(), c.index) << c.file;
  }
}

TEST_F(SettingsTest, ATypedServerIsSavedFirstAndSelectedAtTheNextStart) {
  Load();
  servers_.Type("my.own.server");
  Save();
  EXPECT_THAT(ReadBytes(path_), ::testing::EndsWith("Server=0\r\n[Server]\r\nmy.own.server=\r\n"
                                                    "ntp.one.example=\r\nntp.two.example=\r\n"));
  builtin_.clear();
  Load();
  EXPECT_THAT(servers_.Items(), ElementsAre("my.own.server", "ntp.one.example", "ntp.two.example"));
  EXPECT_EQ(servers_.ItemIndex(), 0);
  EXPECT_EQ(servers_.Text(), "my.own.server");
}

TEST_F(SettingsTest, AnEmptyFieldSavesTheFirstEntryAsSelected) {
  Load();
  servers_.Type("");
  Save();
  SettingsFile file(profile_, codec_, path_);
  EXPECT_EQ(file.ReadInteger("Option", "Server", 99), 0);
  EXPECT_THAT(file.ReadSection("Server"), ElementsAre("ntp.one.example", "ntp.two.example"));
}

TEST_F(SettingsTest, NamesEqualButForCaseAreSavedOnceAndTheSelectionFollows) {
  WriteBytes(path_, "[Server]\r\nntp.a=\r\nNTP.A=\r\nntp.b=\r\n");
  servers_.SetItems({"ntp.a", "NTP.A", "ntp.b"});
  servers_.SetItemIndex(2);
  Save();
  SettingsFile file(profile_, codec_, path_);
  EXPECT_THAT(file.ReadSection("Server"), ElementsAre("ntp.a", "ntp.b"));
  EXPECT_EQ(file.ReadInteger("Option", "Server", 99), 1);  // still ntp.b
}

TEST_F(SettingsTest, LastTimeIsWrittenOnlyWhenItChanged) {
  Load();
  Save();
  EXPECT_THAT(ReadBytes(path_), ::testing::Not(::testing::HasSubstr("LastTime")));

  const sync::DateTime midnight = sync::EncodeDateTime({2021, 12, 31});
  record_.LastTime = midnight;
  Save();
  EXPECT_THAT(ReadBytes(path_), ::testing::HasSubstr("LastTime=2021/12/31\r\n"));
  record_ = {};
  Load();
  EXPECT_TRUE(record_.HasLastTime);
  EXPECT_EQ(record_.LastTime, midnight);
}

TEST_F(SettingsTest, AnUnparsableLastTimeReadsAsNoneButExists) {
  WriteOption("LastTime=31.12.2021 10:00\r\n");
  Load();
  EXPECT_TRUE(record_.HasLastTime);
  EXPECT_EQ(record_.LastTime, 0);
  Save();  // unchanged in memory: the stored text stays as it was
  EXPECT_THAT(ReadBytes(path_), ::testing::HasSubstr("LastTime=31.12.2021 10:00\r\n"));
}

TEST_F(SettingsTest, LoadingRunsTheRelayHandlerForEachChange) {
  const struct {
    bool checked_before;
    int hours_before;
    const char* lines;
    int runs;
  } cases[] = {
      {false, 0, "Agent=0\r\nTimer=0\r\n", 0}, {false, 0, "Agent=1\r\nTimer=0\r\n", 1},
      {false, 0, "Agent=0\r\nTimer=3\r\n", 1}, {false, 0, "Agent=1\r\nTimer=3\r\n", 2},
      {true, 3, "Agent=1\r\nTimer=3\r\n", 0},  {true, 3, "", 2},
  };
  for (const auto& c : cases) {
    relay_.SetChecked(c.checked_before);
    hours_.SetValue(c.hours_before);
    relay_handler_runs_ = 0;
    WriteOption(c.lines);
    Load();
    EXPECT_EQ(relay_handler_runs_, c.runs) << c.lines;
  }
}

TEST_F(SettingsTest, AFileOfAnyBytesLoadsAsDefaults) {
  std::string every_byte;
  for (int i = 0; i < 256 * 4; ++i)
    every_byte += static_cast<char>(i % 256 == '[' ? 'x' : i % 256);
  std::string thousands_of_keys = "[Option]\r\n";
  for (int i = 0; i < 5000; ++i)
    thousands_of_keys += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  const std::string files[] = {
      every_byte,
      "[Option]\r\nEntry=" + std::string(1 << 20, '\x82'),  // a huge line of lead bytes
      "Start=1\r\nHoseiGosa=5\r\n",                         // keys outside any section
      thousands_of_keys,
  };
  for (const std::string& file : files) {
    WriteBytes(path_, file);
    Load();
    EXPECT_EQ(radio_.ItemIndex(), 0);
    EXPECT_EQ(tolerance_.Value(), 200);
    EXPECT_EQ(servers_.Items(), builtin_);
    EXPECT_FALSE(record_.HasLastTime);
  }
}

TEST_F(SettingsTest, AFailedWriteStopsTheSaveAtThatKey) {
  Load();
  profile_.refused_key = "Agent";
  try {
    Save();
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), path_ + " に書き込めません");
  }
  EXPECT_EQ(ReadBytes(path_), std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                  "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\n");
}

}  // namespace
}  // namespace tempiko::app
