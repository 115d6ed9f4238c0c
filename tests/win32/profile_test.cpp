// The Win32 profile adapter against the portable implementation: for the same settings and the
// same calls both write the same bytes (Shift-JIS), and each reads what the other wrote.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/ini_profile.h"
#include "app/settings.h"
#include "base/errors.h"
#include "sync/date_time.h"
#include "win32/text_encoding.h"
#include "win32/win32_codec.h"
#include "win32/win32_profile.h"

namespace tempiko {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// A folder of the test's own under the Windows temporary folder, removed when the test ends.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& suffix = L"") {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = fs::path(temp) / (L"tempiko-profile-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++) + suffix);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string File(const std::wstring& name) const {
    return win32::WideToUtf8((path_ / name).wstring());
  }

 private:
  fs::path path_;
};

std::string ReadBytes(const std::string& utf8_path) {
  std::ifstream in(fs::path(win32::Utf8ToWide(utf8_path)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& utf8_path, const std::string& bytes) {
  std::ofstream(fs::path(win32::Utf8ToWide(utf8_path)), std::ios::binary) << bytes;
}

// One file seen through each implementation.
struct Pair {
  std::string win32_path;
  std::string portable_path;
  win32::Win32Profile win32{win32_path};
  app::IniProfile portable{portable_path};
};

app::Settings Filled() {
  app::Settings s;
  s.start_option = 1;
  s.dial_entry = "LAN経由接続";
  s.tolerance_ms = 300;
  s.drift_ms_per_day = -150;
  s.last_time = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 789});
  s.relay_on = true;
  s.period_hours = 3;
  s.start_delay_s = 10;
  s.server_list = {"ntp.nict.jp", "NTP.NICT.JP", "時刻.example", "10.0.0.1"};
  s.server_index = 3;
  return s;
}

void SaveThrough(app::Profile& profile, const std::string& path, const app::Settings& settings) {
  win32::Win32Codec codec;
  app::SettingsFile file(profile, codec, path);
  app::SaveSettings(file, settings, sync::Locale::Japanese());
  app::WriteFormat(file, "yyyy年m月d日 hh:nn");
}

app::Settings LoadThrough(app::Profile& profile, const std::string& path) {
  win32::Win32Codec codec;
  app::SettingsFile file(profile, codec, path);
  return app::LoadSettings(file, sync::Locale::Japanese(), {"ntp.builtin.example"});
}

void ExpectLoadedAsFilled(const app::Settings& loaded) {
  EXPECT_EQ(loaded.start_option, 1);
  EXPECT_EQ(loaded.dial_entry, "LAN経由接続");
  EXPECT_EQ(loaded.tolerance_ms, 300);
  EXPECT_EQ(loaded.drift_ms_per_day, -150);
  EXPECT_TRUE(loaded.has_last_time);
  EXPECT_EQ(loaded.last_time, sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 0}));
  EXPECT_TRUE(loaded.relay_on);
  EXPECT_EQ(loaded.period_hours, 3);
  EXPECT_EQ(loaded.start_delay_s, 10);
  EXPECT_TRUE(loaded.dial_check);
  EXPECT_THAT(loaded.server_list, ElementsAre("ntp.nict.jp", "時刻.example", "10.0.0.1"));
  EXPECT_EQ(loaded.server_index, 2);
  EXPECT_EQ(loaded.display_format, "yyyy年m月d日 hh:nn");
}

TEST(Win32Profile, BothImplementationsWriteTheSameSettingsFile) {
  TempFolder folder;
  Pair pair{folder.File(L"win32.ini"), folder.File(L"portable.ini")};
  SaveThrough(pair.win32, pair.win32_path, Filled());
  SaveThrough(pair.portable, pair.portable_path, Filled());

  const std::string written = ReadBytes(pair.win32_path);
  EXPECT_EQ(written, ReadBytes(pair.portable_path));
  EXPECT_EQ(written,
            "[Option]\r\nStart=1\r\nEntry=LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1\r\n"
            "HoseiGosa=300\r\nHoseiMSec=-150\r\nLastTime=2021/03/04 13:05:06\r\nAgent=1\r\n"
            "Timer=3\r\ndelay=10\r\nServer=2\r\n"
            "Format=yyyy\x94\x4e"
            "m\x8c\x8e"
            "d\x93\xfa hh:nn\r\n"
            "[Server]\r\nntp.nict.jp=\r\n\x8e\x9e\x8d\x8f.example=\r\n10.0.0.1=\r\n");

  // Each reads the other's file.
  ExpectLoadedAsFilled(LoadThrough(pair.portable, pair.win32_path));
  ExpectLoadedAsFilled(LoadThrough(pair.win32, pair.portable_path));
}

// The same calls on the same hand-edited file leave the same bytes after every step.
TEST(Win32Profile, BothImplementationsEditAFileAlike) {
  TempFolder folder;
  Pair pair{folder.File(L"win32.ini"), folder.File(L"portable.ini")};
  const std::string hand_written =
      "junk before\r\n\r\n  [ Option ]  trailing\r\n ; comment\r\n  Key1  =  v1  \r\n"
      "novalue\r\n\r\n[Server]\r\na=\r\n\r\n[option]\r\nDup=1\r\n";
  WriteBytes(pair.win32_path, hand_written);
  WriteBytes(pair.portable_path, hand_written);

  const std::vector<std::function<bool(app::Profile&)>> steps = {
      [](app::Profile& p) { return p.WriteString("Option", "New", "1"); },
      [](app::Profile& p) { return p.WriteString("OPTION", "key1", "  v2 "); },
      [](app::Profile& p) { return p.WriteString(" Third ", "\x83\x41", "\x83\x61"); },
      [](app::Profile& p) { return p.WriteString("Third", "\x83\x61", "other kana"); },
      [](app::Profile& p) { return p.WriteString("Third", "quoted", "\"q\""); },
      [](app::Profile& p) { return p.DeleteKey("option", "NEW"); },
      [](app::Profile& p) { return p.EraseSection("server"); },
      [](app::Profile& p) { return p.WriteString("Server", "b", ""); },
      [](app::Profile& p) { return p.EraseSection("Option"); },  // both copies go
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_TRUE(steps[i](pair.win32)) << i;
    EXPECT_TRUE(steps[i](pair.portable)) << i;
    EXPECT_EQ(ReadBytes(pair.win32_path), ReadBytes(pair.portable_path)) << "after step " << i;
  }
}

TEST(Win32Profile, BothImplementationsReadAFileAlike) {
  TempFolder folder;
  Pair pair{folder.File(L"same.ini"), folder.File(L"same.ini")};
  std::string file =
      "[Option]\r\nA=1\r\n=noname\r\n[Option\r\nB=2\r\n[X]]y]z\r\nC=3\r\n[option]\r\nA=dup\r\n"
      "D=4\r\n\x1a\r\n[Q]\r\nE= 'q' \r\nF=\"a\r\nG='b\"\r\nH=\"\"\r\nnovalue\r\n"
      "J=LAN\x8c\x6f\x97\x52\r\nK=\"quoted\"\r\n\x83\x41=kana\r\n";
  file += std::string("I=a\0b\r\n", 7);
  file += "\r\r\n\n[Empty]\r\n[Server]\r\n";
  for (int i = 0; i < 2000; ++i)
    file += "host" + std::to_string(1000 + i) + "=\r\n";
  WriteBytes(pair.win32_path, file);

  const struct {
    const char* section;
    const char* key;
    std::size_t size;
  } reads[] = {
      {"Option", "A", 2048},  {"option", "b", 2048},
      {"Option", "D", 2048},  {"Option", "", 2048},
      {"X]]y", "C", 2048},    {"Q", "E", 2048},
      {"Q", "F", 2048},       {"Q", "G", 2048},
      {"Q", "H", 2048},       {"Q", "I", 2048},
      {"Q", "novalue", 2048}, {"Q", "J", 6},
      {"Q", "J", 5},          {"Q", "K", 8},
      {"Q", "K", 5},          {"Q", "\x83\x41", 100},
      {"Q", "\x83\x61", 100}, {"Empty", "x", 2048},
      {"Missing", "x", 3},    {"Server", "host1000", 10},
  };
  for (const auto& r : reads) {
    EXPECT_EQ(pair.win32.GetString(r.section, r.key, "DEF", r.size),
              pair.portable.GetString(r.section, r.key, "DEF", r.size))
        << r.section << "/" << r.key << " " << r.size;
    EXPECT_EQ(pair.win32.HasKey(r.section, r.key), pair.portable.HasKey(r.section, r.key))
        << r.section << "/" << r.key;
  }
  for (const char* section : {"Option", "Q", "Empty", "Missing", "Server"}) {
    for (std::size_t size : {16384u, 13u, 7u}) {
      EXPECT_EQ(pair.win32.KeyNames(section, size), pair.portable.KeyNames(section, size))
          << section << " " << size;
    }
  }
  EXPECT_EQ(pair.win32.KeyNames("Server", 16384).size(), 1820u);
}

TEST(Win32Profile, AFileThatCannotBeWrittenFailsTheSave) {
  TempFolder folder;
  const std::string path = folder.File(L"blocked.ini");
  fs::create_directory(fs::path(win32::Utf8ToWide(path)));  // a folder where the file should be
  win32::Win32Profile profile(path);
  EXPECT_FALSE(profile.WriteString("Option", "Start", "0"));

  try {
    SaveThrough(profile, path, Filled());
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
  }
}

TEST(Win32Profile, APathOutsideTheAnsiCodePageIsGivenInItsShortForm) {
  TempFolder folder(L"-\uD55C\uAE00");  // Hangul: not in code page 932
  const std::string path = folder.File(L"\uD55C.ini");
  win32::Win32Profile profile(path);
  EXPECT_TRUE(profile.WriteString("Option", "Start", "1"));
  EXPECT_EQ(ReadBytes(path), "[Option]\r\nStart=1\r\n");
  EXPECT_EQ(profile.GetString("Option", "Start", "", 10), "1");
}

TEST(Win32Codec, ConvertsBetweenUtf8AndShiftJis) {
  win32::Win32Codec codec;
  EXPECT_EQ(codec.Utf8ToShiftJis("LAN経由接続"), "LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1");
  EXPECT_EQ(codec.Utf8ToShiftJis("ｵﾌﾟｼｮﾝ"), "\xb5\xcc\xdf\xbc\xae\xdd");
  EXPECT_EQ(codec.Utf8ToShiftJis("é😀"), "??");
  EXPECT_EQ(codec.ShiftJisToUtf8("LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1"), "LAN経由接続");
  EXPECT_EQ(codec.ShiftJisToUtf8("\xb5\xcc\xdf\xbc\xae\xdd"), "ｵﾌﾟｼｮﾝ");
  EXPECT_EQ(codec.ShiftJisToUtf8("\x8c"), "・");
}

}  // namespace
}  // namespace tempiko
