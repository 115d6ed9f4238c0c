// The settings file's value encodings over the portable profile and the iconv codec.
#include "app/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ini_profile.h"
#include "base/ascii_case.h"
#include "base/errors.h"
#include "posix/posix_text_codec.h"
#include "sync/date_time.h"
#include "temp_folder.h"

namespace tempiko::app {
namespace {

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

class SettingsFileTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string path_ = folder_.File("tempiko.ini");
  IniProfile profile_{path_};
  posix::PosixTextCodec codec_;
  SettingsFile file_{profile_, codec_, path_};
  sync::Locale locale_ = sync::Locale::Japanese();
};

TEST(SettingsInteger, ReadsDecimalAndTheHexadecimalForm) {
  const struct {
    const char* text;
    bool parses;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"-3", true, -3},
      {"+7", true, 7},
      {"0x1F", true, 31},
      {"0X1f", true, 31},
      {"0xFFFFFFFF", true, -1},  // the 32 bits of the value
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"0x100000000", false, 0},
      {"0x", false, 0},  // two characters: decimal, and not a number
      {"0x1G", false, 0},
      {"1F", false, 0},
      {"12 ", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"$1F", false, 0},
  };
  for (const auto& c : cases) {
    int value = 12345;
    EXPECT_EQ(ParseSettingsInteger(c.text, value), c.parses) << c.text;
    if (c.parses) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(SettingsPath, ReplacesTheExtensionOfTheExecutable) {
  EXPECT_EQ(SettingsPathFor("C:\\Tools\\Tempiko.exe"), "C:\\Tools\\Tempiko.ini");
  EXPECT_EQ(SettingsPathFor("C:\\v1.2\\tempiko"), "C:\\v1.2\\tempiko.ini");
  EXPECT_EQ(SettingsPathFor("/opt/時刻/tempiko.x.exe"), "/opt/時刻/tempiko.x.ini");
}

TEST_F(SettingsFileTest, AValueThatDoesNotParseTakesTheDefault) {
  WriteBytes(path_, "[Option]\r\nA=0x1F\r\nB=abc\r\nC=5\r\nD=\r\nE=0x\r\n");
  EXPECT_EQ(file_.ReadInteger("Option", "A", 7), 31);
  EXPECT_EQ(file_.ReadInteger("Option", "B", 7), 7);
  EXPECT_EQ(file_.ReadInteger("Option", "D", 7), 7);
  EXPECT_EQ(file_.ReadInteger("Option", "E", 7), 7);
  EXPECT_EQ(file_.ReadInteger("Option", "Missing", 7), 7);
  EXPECT_TRUE(file_.ReadBool("Option", "C", false));  // any non-zero number is true
  EXPECT_FALSE(file_.ReadBool("Option", "B", false));
  EXPECT_TRUE(file_.ReadBool("Option", "Missing", true));
}

TEST_F(SettingsFileTest, TextsAreShiftJisOnDiskAndUtf8InTheProgram) {
  file_.WriteString("Option", "Entry", "LAN経由接続");
  file_.WriteString("Option", "Kana", "ｵﾌﾟｼｮﾝ");
  file_.WriteString("Option", "Foreign", "é😀");  // code page 932 lacks both
  EXPECT_EQ(ReadBytes(path_),
            "[Option]\r\nEntry=LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1\r\n"
            "Kana=\xb5\xcc\xdf\xbc\xae\xdd\r\nForeign=??\r\n");
  EXPECT_EQ(file_.ReadString("Option", "Entry", ""), "LAN経由接続");
  EXPECT_EQ(file_.ReadString("Option", "Kana", ""), "ｵﾌﾟｼｮﾝ");
  EXPECT_EQ(file_.ReadString("Option", "Missing", "既定"), "既定");
}

TEST_F(SettingsFileTest, BytesThatAreNotShiftJisReadAsMiddleDots) {
  WriteBytes(path_,
             "[Option]\r\nBad=a\x81\x0b"
             "b\xff\r\nCut=\x8c\r\n");
  EXPECT_EQ(file_.ReadString("Option", "Bad", ""),
            "a・\x0b"
            "b・");
  EXPECT_EQ(file_.ReadString("Option", "Cut", ""), "・");
}

TEST_F(SettingsFileTest, TextComesThroughA2048CharacterBuffer) {
  file_.WriteString("Option", "Long", std::string(3000, 'x'));
  EXPECT_EQ(file_.ReadString("Option", "Long", ""), std::string(2047, 'x'));
}

TEST_F(SettingsFileTest, DateTimesUseTheRegionalFormats) {
  const sync::DateTime afternoon = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 789});
  const sync::DateTime midnight = sync::EncodeDateTime({2021, 3, 4});
  file_.WriteDateTime("Option", "A", afternoon, locale_);
  file_.WriteDateTime("Option", "M", midnight, locale_);
  EXPECT_EQ(ReadBytes(path_), "[Option]\r\nA=2021/03/04 13:05:06\r\nM=2021/03/04\r\n");
  EXPECT_EQ(file_.ReadDateTime("Option", "A", -1, locale_),
            sync::EncodeDateTime({2021, 3, 4, 13, 5, 6, 0}));  // the fraction is lost
  EXPECT_EQ(file_.ReadDateTime("Option", "M", -1, locale_), midnight);
  EXPECT_EQ(file_.ReadDateTime("Option", "Missing", -1, locale_), -1);
}

TEST_F(SettingsFileTest, KeyNamesComeThroughA16384ByteBuffer) {
  std::string file = "[Server]\r\n";
  for (int i = 0; i < 2000; ++i)
    file += "host" + std::to_string(1000 + i) + "=\r\n";  // 9 bytes each in the buffer
  WriteBytes(path_, file);
  const std::vector<std::string> names = file_.ReadSection("Server");
  ASSERT_EQ(names.size(), 1820u);  // (16384 − 1) / 9
  EXPECT_EQ(names.back(), "host2819");
}

TEST_F(SettingsFileTest, AFailedWriteNamesTheFile) {
  std::filesystem::create_directory(path_);
  try {
    file_.WriteInteger("Option", "Start", 0);
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), path_ + " に書き込めません");
  }
  EXPECT_THROW(file_.EraseSection("Server"), Exception);
}

// Names are one key when they differ only in the case of single-byte letters; the bytes of a
// double-byte character compare exactly, though its trail byte may look like a letter.
TEST_F(SettingsFileTest, KeysAreOneWhenTheFileTakesTheNamesAsOne) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"ntp.example.jp", "NTP.Example.JP", true},
      {"ntp.a", "ntp.b", false},
      {"ntp.a", "ntp.a ", false},
      {"サーバ", "サーバ", true},
      {"ア.jp", "ヂ.jp", false},  // 83 41 and 83 61: trail bytes 'A' and 'a'
      {"ｱ.JP", "ｱ.jp", true},     // a half-width kana is a single byte
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(file_.KeyOf(c.a) == file_.KeyOf(c.b), c.same) << c.a << " / " << c.b;
    const std::string a = codec_.Utf8ToShiftJis(c.a);
    const std::string b = codec_.Utf8ToShiftJis(c.b);
    EXPECT_EQ(SameNameIgnoringCase(a, b), c.same) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace tempiko::app
