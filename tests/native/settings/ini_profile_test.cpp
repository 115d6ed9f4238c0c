// The portable profile implementation: the semantics and the bytes of the private-profile
// functions as Wine implements them (the expected files were measured under Wine).
#include "app/ini_profile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace tempiko::app {
namespace {

using ::testing::ElementsAre;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

class IniProfileTest : public ::testing::Test {
 protected:
  std::string Get(std::string_view section, std::string_view key, std::size_t size = 2048) {
    return profile_.GetString(section, key, "DEF", size);
  }

  TempFolder folder_;
  std::string path_ = folder_.File("tempiko.ini");
  IniProfile profile_{path_};
};

TEST_F(IniProfileTest, WritesANewFileInWinesLayout) {
  EXPECT_TRUE(profile_.EraseSection("Server"));  // nothing to erase: no file is created
  EXPECT_FALSE(std::filesystem::exists(path_));

  EXPECT_TRUE(profile_.WriteString("Option", "Start", "0"));
  EXPECT_TRUE(profile_.WriteString("Option", "Entry", "LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1"));
  EXPECT_TRUE(profile_.WriteString("  Option ", " Lead  ", "  spaced  "));
  // Leading blanks go at once, trailing ones when the file is read again.
  EXPECT_THAT(ReadBytes(path_), ::testing::EndsWith("Lead  =spaced  \r\n"));
  EXPECT_EQ(Get("Option", "lead"), "spaced");
  EXPECT_TRUE(profile_.WriteString("Server", "ntp.a", ""));
  EXPECT_TRUE(profile_.WriteString("Server", "NTP.A", ""));  // the same key: one line
  EXPECT_TRUE(profile_.WriteString("Server", "ntp.b", ""));
  EXPECT_TRUE(profile_.WriteString("option", "server", "1"));
  EXPECT_TRUE(profile_.WriteString("Option", "Start", "1"));  // changed in place
  EXPECT_TRUE(profile_.DeleteKey("Option", "lead"));

  EXPECT_EQ(ReadBytes(path_),
            "[Option]\r\nStart=1\r\nEntry=LAN\x8c\x6f\x97\x52\x90\xda\x91\xb1\r\nserver=1\r\n"
            "[Server]\r\nntp.a=\r\nntp.b=\r\n");
}

TEST_F(IniProfileTest, RewritesAHandEditedFileAsWineDoes) {
  WriteBytes(path_,
             "junk before\r\n\r\n  [ Option ]  trailing\r\n ; comment\r\n  Key1  =  v1  \r\n"
             "novalue\r\n\r\n[Server]\r\na=\r\n\r\n");
  EXPECT_EQ(Get("Option", "Key1"), "v1");
  EXPECT_THAT(profile_.KeyNames("Option", 16384), ElementsAre("Key1"));

  EXPECT_TRUE(profile_.WriteString("Option", "New", "1"));
  EXPECT_EQ(ReadBytes(path_),
            "junk before\r\n[Option]\r\n; comment\r\nKey1=v1\r\nnovalue\r\nNew=1\r\n"
            "[Server]\r\na=\r\n");
}

TEST_F(IniProfileTest, AnUnchangedValueLeavesTheFileAlone) {
  const std::string hand_written = "[Option]\n  Start =   0   \n\n";
  WriteBytes(path_, hand_written);
  EXPECT_TRUE(profile_.WriteString("Option", "Start", "0"));
  EXPECT_TRUE(profile_.DeleteKey("Option", "Missing"));
  EXPECT_TRUE(profile_.EraseSection("Missing"));
  EXPECT_EQ(ReadBytes(path_), hand_written);
}

// Lookups keep the parsed text only while the file's bytes stay the same: a change by another
// program, or by this profile, is seen by the next lookup of every kind.
TEST_F(IniProfileTest, EachLookupSeesTheFileAsItIsNow) {
  WriteBytes(path_, "[Option]\r\nStart=1\r\n");
  EXPECT_EQ(Get("Option", "Start"), "1");
  WriteBytes(path_, "[Option]\r\nStart=2\r\nNew=x\r\n");  // another program's edit
  EXPECT_EQ(Get("Option", "Start"), "2");
  EXPECT_TRUE(profile_.HasKey("Option", "New"));
  EXPECT_THAT(profile_.KeyNames("Option", 2048), ::testing::ElementsAre("Start", "New"));
  EXPECT_TRUE(profile_.DeleteKey("Option", "New"));
  EXPECT_FALSE(profile_.HasKey("Option", "New"));
  std::filesystem::remove(path_);
  EXPECT_EQ(Get("Option", "Start"), "DEF");
}

// Everything the lookups answer about these sections and keys.
std::vector<std::string> Lookups(IniProfile& profile, const std::vector<std::string>& sections,
                                 const std::vector<std::string>& keys) {
  std::vector<std::string> seen;
  for (const std::string& section : sections) {
    for (const std::string& name : profile.KeyNames(section, 16384))
      seen.push_back(section + ": " + name + "=" + profile.GetString(section, name, "-", 2048));
    for (const std::string& key : keys) {
      seen.push_back(section + "/" + key + (profile.HasKey(section, key) ? " is " : " is not ") +
                     profile.GetString(section, key, "-", 2048));
    }
  }
  return seen;
}

// A change keeps the document it wrote only when the written text parses back to it: names
// and values that do not come back from their line as they are must not be seen as written,
// neither by the next lookup nor by the next change.
TEST_F(IniProfileTest, AfterEachChangeTheLookupsAnswerAsTheWrittenFileReads) {
  const struct {
    const char* section;
    std::string key;
    std::string value;
  } writes[] = {
      {"Option", "Entry", "LAN"},               // reads back
      {"Option", "a=b", "1"},                   // the line splits at the first '='
      {"Option", "Trail", "v  "},               // trailing blanks go when read
      {"Option", "Tab\t", "v"},                 // so do those of a name
      {"Option", "Lines", "x\r\ny=2"},          // a line end makes two lines
      {"Option", std::string("k\0z", 3), "1"},  // a zero byte ends the name
      {"Option", "Zero", std::string("v\0w", 3)},
      {"Option", "  ", "blank"},             // a nameless line
      {"Option", "[Server]", "1"},           // a line that reads as a header
      {"Option", "Eof", "\x1a"},             // ^Z is a blank
      {"", "Key", "in a nameless section"},  // no header: joins the section above
      {"Opt\x81", "Key", "1"},               // the lead byte takes the closing bracket
      {"New ", "Key", "1"},                  // a header's trailing blank goes too
  };
  const std::vector<std::string> sections = {"Option", "Server", "Opt\x81", "Opt\x81]", "New"};
  const std::vector<std::string> keys = {"Start", "Entry", "a",     "a=b",  "Trail", "Tab",
                                         "Lines", "y",     "k",     "Zero", "",      "[Server]",
                                         "Key",   "Eof",   "ntp.a", "ntp.b"};
  for (const auto& write : writes) {
    SCOPED_TRACE(write.section + std::string(" / ") + write.key + " = " + write.value);
    WriteBytes(path_, "[Option]\r\nStart=0\r\n[Server]\r\nntp.a=\r\n");
    IniProfile kept(path_);
    ASSERT_TRUE(kept.WriteString("Option", "Start", "1"));  // the document is kept from here
    ASSERT_TRUE(kept.WriteString(write.section, write.key, write.value));
    IniProfile fresh(path_);
    EXPECT_EQ(Lookups(kept, sections, keys), Lookups(fresh, sections, keys));
    ASSERT_TRUE(kept.WriteString("Server", "ntp.b", ""));
    IniProfile fresh_again(path_);
    EXPECT_EQ(Lookups(kept, sections, keys), Lookups(fresh_again, sections, keys));
  }
}

// The file reads but does not take the change (a full disk): the change fails, and the lookups
// go on answering from the file as it is, not from the document the change made.
TEST_F(IniProfileTest, AChangeThatWasNotWrittenIsNotSeen) {
  class FullDisk : public IniProfile {
   public:
    using IniProfile::IniProfile;
    bool full = false;

   protected:
    bool WriteText(const std::string& text) override {
      return !full && IniProfile::WriteText(text);
    }
  };
  WriteBytes(path_, "[Option]\r\nStart=0\r\n");
  FullDisk profile(path_);
  ASSERT_TRUE(profile.WriteString("Option", "Start", "1"));
  profile.full = true;
  EXPECT_FALSE(profile.WriteString("Option", "Start", "2"));
  EXPECT_FALSE(profile.WriteString("Option", "New", "x"));
  EXPECT_EQ(profile.GetString("Option", "Start", "DEF", 2048), "1");
  EXPECT_FALSE(profile.HasKey("Option", "New"));
  EXPECT_EQ(ReadBytes(path_), "[Option]\r\nStart=1\r\n");
}

TEST_F(IniProfileTest, ReadsValuesAsWineDoes) {
  std::string file =
      "[Option]\r\nA=1\r\n=noname\r\n[Option\r\nB=2\r\n[X]]y]z\r\nC=3\r\n[option]\r\nA=dup\r\n"
      "D=4\r\n\x1a\r\n[Q]\r\nE= 'q' \r\nF=\"a\r\nG='b\"\r\nH=\"\"\r\nnovalue\r\n";
  file += std::string("I=a\0b\r\n", 7);
  file += "\r\r\n\n[Empty]\r\n";
  WriteBytes(path_, file);

  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"Option", "A", "1"},      // the first of two sections of one name answers
      {"OPTION", "b", "2"},      // "[Option" without its bracket is a line of the section
      {"Option", "D", "DEF"},    // the second section of that name is never searched
      {"Option", "", "noname"},  //
      {"X]]y", "C", "3"},        // the name runs to the last closing bracket
      {"Q", "E", "q"},           // blanks, then one pair of quotes, removed
      {"Q", "F", "\"a"},         // an unpaired quote stays
      {"Q", "G", "'b\""},        //
      {"Q", "H", ""},            //
      {"Q", "I", "a"},           // a zero byte ends the value
      {"Q", "novalue", "DEF"},   // a line without an equals sign has no value
      {"Empty", "x", "DEF"},     //
      {"Missing", "A", "DEF"},   //
  };
  for (const Case& c : cases)
    EXPECT_EQ(Get(c.section, c.key), c.value) << c.section << "/" << c.key;

  EXPECT_TRUE(profile_.HasKey("q", "h"));
  EXPECT_FALSE(profile_.HasKey("Q", "novalue"));
  EXPECT_FALSE(profile_.HasKey("Option", "D"));
  EXPECT_THAT(profile_.KeyNames("Option", 16384), ElementsAre("A", "B"));
  EXPECT_THAT(profile_.KeyNames("Empty", 16384), ElementsAre());
}

TEST_F(IniProfileTest, CutsValuesToTheBufferByteByByte) {
  WriteBytes(path_, "[S]\r\nE=LAN\x8c\x6f\x97\x52\r\nQ=\"quoted\"\r\n");
  EXPECT_EQ(Get("S", "E", 6), "LAN\x8c\x6f");
  EXPECT_EQ(Get("S", "E", 5), "LAN");  // no half character
  EXPECT_EQ(Get("S", "Q", 8), "quoted");
  EXPECT_EQ(Get("S", "Q", 5), "quot");
  EXPECT_EQ(Get("S", "missing", 3), "DE");
}

TEST_F(IniProfileTest, FoldsTheCaseOfSingleByteLettersOnly) {
  // 0x83 0x41 is katakana A and 0x83 0x61 another character: their trail bytes are 'A' and
  // 'a'. A ']' as a trail byte closes no section.
  WriteBytes(path_, "[Sec]\r\n\x83\x41=kana\r\n[\x81\x5d\r\nAb=1\r\n");
  EXPECT_EQ(Get("sEC", "\x83\x41"), "kana");
  EXPECT_EQ(Get("Sec", "\x83\x61"), "DEF");
  EXPECT_EQ(Get("Sec", "aB"), "1");
  EXPECT_EQ(Get("\x81", "Ab"), "DEF");
}

TEST_F(IniProfileTest, KeepsTheKeyNamesThatFitTheBufferWhole) {
  WriteBytes(path_, "[Server]\r\nntp.a=\r\nntp.b=\r\n;comment=\r\n");
  const struct {
    std::size_t size;
    std::vector<std::string> names;
  } cases[] = {
      {13, {"ntp.a", "ntp.b"}},  // 6 + 6 bytes and the list's own zero byte
      {12, {"ntp.a"}},
      {7, {"ntp.a"}},
      {6, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(profile_.KeyNames("server", c.size), c.names) << c.size;
}

TEST_F(IniProfileTest, AFileThatCannotBeWrittenFails) {
  std::filesystem::create_directory(path_);  // a folder where the file should be
  EXPECT_FALSE(profile_.WriteString("Option", "Start", "0"));
  EXPECT_FALSE(profile_.EraseSection("Server"));
  EXPECT_EQ(Get("Option", "Start"), "DEF");

  IniProfile nowhere(folder_.File("missing/tempiko.ini"));
  EXPECT_FALSE(nowhere.WriteString("Option", "Start", "0"));
}

}  // namespace
}  // namespace tempiko::app
