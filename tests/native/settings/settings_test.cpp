// The settings as a value: loading and saving through the settings file.
#include "app/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>

#include "base/errors.h"
#include "posix/posix_text_codec.h"
#include "refusing_profile.h"
#include "sync/date_time.h"
#include "temp_folder.h"

namespace tempiko::app {

void PrintTo(const Settings& s, std::ostream* out) {
  *out << "{Start=" << s.start_option << " Entry=" << s.dial_entry
       << " HoseiGosa=" << s.tolerance_ms << " HoseiMSec=" << s.drift_ms_per_day
       << " LastTime=" << s.last_time << (s.has_last_time ? " (stored)" : " (absent)")
       << " Agent=" << s.relay_on << " Timer=" << s.period_hours << " delay=" << s.start_delay_s
       << " DialCheck=" << s.dial_check << " Server=" << s.server_index << " of "
       << ::testing::PrintToString(s.server_list) << " typed=" << s.typed_server
       << " Format=" << s.display_format << "}";
}

namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::ReadBytes;
using testing_support::RefusingProfile;
using testing_support::TempFolder;
using testing_support::WriteBytes;

const char kEntryBytes[] = "LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1";  // LAN経由接続 in Shift-JIS

class SettingsTest : public ::testing::Test {
 protected:
  Settings Load() { return LoadSettings(file_, locale_, builtin_); }
  void Save(const Settings& settings, const ServerListSaving& on_server_list = {}) {
    SaveSettings(file_, settings, locale_, on_server_list);
  }
  void WriteOption(const std::string& lines) { WriteBytes(path_, "[Option]\r\n" + lines); }

  // What loading gives without a file.
  Settings Defaults() const {
    Settings s;
    s.start_option = 0;
    s.dial_entry = "LAN経由接続";
    s.tolerance_ms = 200;
    s.drift_ms_per_day = 0;
    s.last_time = 0;
    s.has_last_time = false;
    s.relay_on = false;
    s.period_hours = 0;
    s.start_delay_s = 0;
    s.dial_check = true;
    s.server_list = builtin_;
    s.server_index = 0;
    s.display_format = "yyyy/mm/dd AMPM hh:nn:ss";
    return s;
  }

  TempFolder folder_;
  std::string path_ = folder_.File("tempiko.ini");
  RefusingProfile profile_{path_};
  posix::PosixTextCodec codec_;
  SettingsFile file_{profile_, codec_, path_};
  sync::Locale locale_ = sync::Locale::Japanese();
  std::vector<std::string> builtin_ = {"ntp.one.example", "ntp.two.example"};
};

TEST_F(SettingsTest, WithoutAFileEverySettingTakesItsDefault) {
  EXPECT_EQ(Load(), Defaults());
}

// Each key feeds its own field, read with its encoding, its default and its range; every other
// field keeps its default.
TEST_F(SettingsTest, EachKeyIsReadWithItsEncodingDefaultAndRange) {
  const sync::DateTime stored_time = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6});
  const struct {
    const char* lines;
    std::function<void(Settings&)> expect;
  } cases[] = {
      {"Start=1", [](Settings& s) { s.start_option = 1; }},
      {"Start=5", [](Settings& s) { s.start_option = 1; }},
      {"Start=-3", [](Settings& s) { s.start_option = -1; }},  // no option selected
      {"Start=0x1", [](Settings& s) { s.start_option = 1; }},
      {"Start=one", [](Settings&) {}},
      {"Entry=MyProvider", [](Settings& s) { s.dial_entry = "MyProvider"; }},
      {"Entry=", [](Settings& s) { s.dial_entry = ""; }},  // stored empty is not absent
      {"HoseiGosa=0x1F", [](Settings& s) { s.tolerance_ms = 31; }},
      {"HoseiGosa=0X1f", [](Settings& s) { s.tolerance_ms = 31; }},
      {"HoseiGosa=20000", [](Settings& s) { s.tolerance_ms = 10000; }},
      {"HoseiGosa=-1", [](Settings& s) { s.tolerance_ms = 0; }},
      {"HoseiGosa=1F", [](Settings&) {}},
      {"HoseiMSec=-250", [](Settings& s) { s.drift_ms_per_day = -250; }},
      {"HoseiMSec=-2147483648", [](Settings& s) { s.drift_ms_per_day = INT_MIN; }},
      {"HoseiMSec=0xFFFFFFFF", [](Settings& s) { s.drift_ms_per_day = -1; }},
      {"LastTime=2021/03/04 13:05:06",
       [&](Settings& s) {
         s.last_time = stored_time;
         s.has_last_time = true;
       }},
      {"LastTime=31.12.2021 10:00", [](Settings& s) { s.has_last_time = true; }},
      {"LastTime=", [](Settings& s) { s.has_last_time = true; }},
      {"Agent=1", [](Settings& s) { s.relay_on = true; }},
      {"Agent=-7", [](Settings& s) { s.relay_on = true; }},
      {"Agent=0x0", [](Settings&) {}},
      {"Agent=yes", [](Settings&) {}},
      {"Timer=-1", [](Settings& s) { s.period_hours = -1; }},
      {"Timer=2000", [](Settings& s) { s.period_hours = 2000; }},  // no bounds
      {"delay=5000", [](Settings& s) { s.start_delay_s = 999; }},
      {"delay=-5", [](Settings& s) { s.start_delay_s = 0; }},
      {"delay=x", [](Settings&) {}},
      {"DialCheck=0", [](Settings& s) { s.dial_check = false; }},
      {"DialCheck=2", [](Settings&) {}},
      {"DialCheck=off", [](Settings&) {}},
      {"Server=1", [](Settings& s) { s.server_index = 1; }},
      {"Server=2", [](Settings&) {}},  // past the end: the first entry
      {"Server=-4", [](Settings& s) { s.server_index = -1; }},
      {"Format=", [](Settings& s) { s.display_format = ""; }},
      {"Format=hh:nn", [](Settings& s) { s.display_format = "hh:nn"; }},
      {"format=z", [](Settings& s) { s.display_format = "z"; }},  // names ignore case
  };
  for (const auto& c : cases) {
    WriteOption(std::string(c.lines) + "\r\n");
    Settings expected = Defaults();
    c.expect(expected);
    EXPECT_EQ(Load(), expected) << c.lines;
  }
}

TEST_F(SettingsTest, AFileWrittenFromScratchHoldsTheKeysInTheirOrder) {
  Save(Load());
  EXPECT_EQ(ReadBytes(path_), std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                  "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\nAgent=0\r\nTimer=0\r\n"
                                  "delay=0\r\nServer=0\r\n[Server]\r\nntp.one.example=\r\n"
                                  "ntp.two.example=\r\n");

  // After a correction LastTime takes its place after HoseiMSec; the pattern comes last.
  std::filesystem::remove(path_);
  Settings corrected = Defaults();
  corrected.last_time = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 789});
  Save(corrected);
  WriteFormat(file_, "hh:nn");
  EXPECT_EQ(ReadBytes(path_), std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                  "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\n"
                                  "LastTime=2021/03/04 13:05:06\r\nAgent=0\r\nTimer=0\r\n"
                                  "delay=0\r\nServer=0\r\nFormat=hh:nn\r\n[Server]\r\n"
                                  "ntp.one.example=\r\nntp.two.example=\r\n");
}

TEST_F(SettingsTest, ValuesBroughtIntoTheirRangesAreSavedSo) {
  const struct {
    const char* lines;
    const char* saved;
  } cases[] = {
      {"Start=5\r\nHoseiGosa=20000\r\ndelay=5000\r\n", "Start=1 HoseiGosa=10000 delay=999"},
      {"Start=-3\r\nHoseiGosa=-1\r\ndelay=-5\r\n", "Start=-1 HoseiGosa=0 delay=0"},
      {"Start=0x1\r\nHoseiGosa=0x1F\r\ndelay=x\r\n", "Start=1 HoseiGosa=31 delay=0"},
  };
  for (const auto& c : cases) {
    WriteOption(c.lines);
    Save(Load());
    const std::string saved = "Start=" + file_.ReadString("Option", "Start", "?") +
                              " HoseiGosa=" + file_.ReadString("Option", "HoseiGosa", "?") +
                              " delay=" + file_.ReadString("Option", "delay", "?");
    EXPECT_EQ(saved, c.saved) << c.lines;
  }
}

TEST_F(SettingsTest, DialCheckAndThePatternAreNeverWrittenAtTheClose) {
  WriteOption("DialCheck=0\r\nFormat=\r\n");
  Settings changed = Load();
  changed.dial_check = true;
  changed.display_format = "changed";
  Save(changed);
  const std::string saved = ReadBytes(path_);
  EXPECT_THAT(saved, HasSubstr("DialCheck=0\r\n"));
  EXPECT_THAT(saved, HasSubstr("Format=\r\n"));
}

TEST_F(SettingsTest, TheServerListComesFromItsSectionWhenItHoldsAKey) {
  const struct {
    const char* file;
    std::vector<std::string> items;
    int index;
  } cases[] = {
      {"[Option]\r\nServer=1\r\n", {"ntp.one.example", "ntp.two.example"}, 1},
      {"[Option]\r\nServer=1\r\n[Server]\r\n", {"ntp.one.example", "ntp.two.example"}, 1},
      {"[Server]\r\n;comment=\r\n", {"ntp.one.example", "ntp.two.example"}, 0},
      {"[Server]\r\nlocal.ntp=\r\n10.0.0.1=\r\n[Option]\r\nServer=1\r\n",
       {"local.ntp", "10.0.0.1"},
       1},
      {"[Server]\r\na=\r\nb=\r\n[Option]\r\nServer=2\r\n", {"a", "b"}, 0},  // past the end
      {"[Server]\r\na=\r\nb=\r\n[Option]\r\nServer=-4\r\n", {"a", "b"}, -1},
  };
  for (const auto& c : cases) {
    WriteBytes(path_, c.file);
    const Settings loaded = Load();
    EXPECT_EQ(loaded.server_list, c.items) << c.file;
    EXPECT_EQ(loaded.server_index, c.index) << c.file;
  }

  // Without any list at all, nothing can be selected.
  builtin_.clear();
  WriteBytes(path_, "[Option]\r\nServer=0\r\n");
  EXPECT_EQ(Load().server_index, -1);
}

TEST(ServersToSave, ATypedNameGoesFirstAndWithNothingSelectedTheFirstEntryIs) {
  const struct {
    std::vector<std::string> list;
    int index;
    const char* typed;
    ServerChoice saved;
  } cases[] = {
      {{"a", "b"}, 1, "", {{"a", "b"}, 1}},
      {{"a", "b"}, 1, "typed", {{"a", "b"}, 1}},  // a picked entry wins
      {{"a", "b"}, -1, "typed", {{"typed", "a", "b"}, 0}},
      {{"a", "b"}, -1, "", {{"a", "b"}, 0}},
      {{"a", "b"}, 2, "typed", {{"typed", "a", "b"}, 0}},  // no such entry: none picked
      {{}, -1, "typed", {{"typed"}, 0}},
      {{}, -1, "", {{}, -1}},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.server_list = c.list;
    settings.server_index = c.index;
    settings.typed_server = c.typed;
    const ServerChoice saved = ServersToSave(settings);
    EXPECT_EQ(saved.names, c.saved.names) << c.index << " " << c.typed;
    EXPECT_EQ(saved.selected, c.saved.selected) << c.index << " " << c.typed;
  }
}

TEST_F(SettingsTest, ATypedServerIsSavedFirstAndSelectedAtTheNextStart) {
  Settings typed = Load();
  typed.server_index = -1;
  typed.typed_server = "my.own.server";
  Save(typed);
  EXPECT_THAT(ReadBytes(path_), EndsWith("Server=0\r\n[Server]\r\nmy.own.server=\r\n"
                                         "ntp.one.example=\r\nntp.two.example=\r\n"));
  builtin_.clear();
  const Settings next = Load();
  EXPECT_THAT(next.server_list, ElementsAre("my.own.server", "ntp.one.example", "ntp.two.example"));
  EXPECT_EQ(next.server_index, 0);
}

TEST_F(SettingsTest, AnEmptyFieldSavesTheFirstEntryAsSelected) {
  Settings empty_field = Load();
  empty_field.server_index = -1;
  Save(empty_field);
  EXPECT_EQ(file_.ReadInteger("Option", "Server", 99), 0);
  EXPECT_THAT(file_.ReadSection("Server"), ElementsAre("ntp.one.example", "ntp.two.example"));
}

// The file has one line for names equal but for ASCII case, and the stored index counts lines,
// so the same server is selected at the next start. Kana whose Shift-JIS trail bytes are 'A'
// and 'a' (ア, ヂ) are different names.
TEST_F(SettingsTest, NamesEqualButForCaseAreSavedOnceAndTheSelectionFollows) {
  const struct {
    std::vector<std::string> list;
    int index;
    std::vector<std::string> lines;
    int stored_index;
  } cases[] = {
      {{"ntp.a", "NTP.A", "ntp.b"}, 2, {"ntp.a", "ntp.b"}, 1},
      {{"ntp.a", "ntp.b", "NTP.A"}, 2, {"ntp.a", "ntp.b"}, 0},
      {{"ア.jp", "ヂ.jp", "ntp.b"}, 2, {"ア.jp", "ヂ.jp", "ntp.b"}, 2},
  };
  for (const auto& c : cases) {
    Settings settings = Defaults();
    settings.server_list = c.list;
    settings.server_index = c.index;
    Save(settings);
    EXPECT_EQ(file_.ReadSection("Server"), c.lines) << c.list[1];
    EXPECT_EQ(file_.ReadInteger("Option", "Server", 99), c.stored_index) << c.list[1];
    const std::string& chosen = c.list[static_cast<std::size_t>(c.index)];
    const std::string selected_next = Load().server_list[static_cast<std::size_t>(c.stored_index)];
    EXPECT_EQ(file_.KeyOf(selected_next), file_.KeyOf(chosen))
        << selected_next << " for " << chosen;
  }
}

TEST_F(SettingsTest, LastTimeIsWrittenOnlyWhenItChanged) {
  Save(Load());
  EXPECT_THAT(ReadBytes(path_), Not(HasSubstr("LastTime")));

  const sync::DateTime midnight = sync::EncodeDateTime({2021, 12, 31});
  Settings corrected = Load();
  corrected.last_time = midnight;
  Save(corrected);
  EXPECT_THAT(ReadBytes(path_), HasSubstr("LastTime=2021/12/31\r\n"));
  const Settings next = Load();
  EXPECT_TRUE(next.has_last_time);
  EXPECT_EQ(next.last_time, midnight);
}

TEST_F(SettingsTest, AnUnparsableLastTimeStaysAsItWasWhenNothingChanged) {
  WriteOption("LastTime=31.12.2021 10:00\r\n");
  Save(Load());
  EXPECT_THAT(ReadBytes(path_), HasSubstr("LastTime=31.12.2021 10:00\r\n"));
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
    const Settings loaded = Load();
    EXPECT_EQ(loaded.start_option, 0);
    EXPECT_EQ(loaded.tolerance_ms, 200);
    EXPECT_EQ(loaded.server_list, builtin_);
    EXPECT_FALSE(loaded.has_last_time);
  }
}

// The save stops at the key whose write fails; the window hears of the server list only when
// the save gets that far.
TEST_F(SettingsTest, AFailedWriteStopsTheSaveAtThatKey) {
  const std::string first_keys = std::string("[Option]\r\nStart=0\r\nEntry=") + kEntryBytes +
                                 "\r\nHoseiGosa=200\r\nHoseiMSec=0\r\n";
  const struct {
    const char* refused;
    std::string written;
    int server_list_notices;
  } cases[] = {
      {"Start", "", 0},
      {"Agent", first_keys, 0},
      {"ntp.two.example",
       first_keys + "Agent=0\r\nTimer=0\r\ndelay=0\r\n[Server]\r\nntp.one.example=\r\n", 1},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(path_);
    profile_.refused_key = c.refused;
    int notices = 0;
    try {
      Save(Defaults(), [&](const ServerChoice&) { ++notices; });
      ADD_FAILURE() << "no error refusing " << c.refused;
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()), path_ + " に書き込めません");
    }
    EXPECT_EQ(ReadBytes(path_), c.written) << c.refused;
    EXPECT_EQ(notices, c.server_list_notices) << c.refused;
  }
}

}  // namespace
}  // namespace tempiko::app
