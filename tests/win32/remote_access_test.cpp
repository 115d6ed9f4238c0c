// The dialler adapter against the test-only rasapi32.dll (tests/win32/fake_ras) beside this
// program: what it passes (the first record layouts, byte counts, no phone-book, the names in
// the system's code page) and how it reads the answers. Each test writes the dll's script and
// reads back the dll's log of the calls. The suite WinesOwnDialler runs with Wine's own
// rasapi32 instead.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "win32/ras_records.h"
#include "win32/text_encoding.h"
#include "win32/win32_remote_access.h"

namespace tempiko::win32 {
namespace {

using sync::ActiveConnection;
using sync::ConnectionHandle;
using sync::DialParameters;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

// The bytes the dialler sees for a text of the program under a Japanese locale.
std::string Cp932(const std::string& utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(932, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(932, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i)
    repeated += text;
  return repeated;
}

std::wstring TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return Utf8ToWide(std::string(info->test_suite_name()) + "." + info->name());
}

// A folder of the test's own with the dll's script and log; the dll finds the script through
// TEMPIKO_FAKE_RAS.
class FakeDiallerScript {
 public:
  FakeDiallerScript() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"tempiko-ras-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              TestName();
    CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"\\ras.txt";
    DeleteFileW(path_.c_str());
    DeleteFileW(LogPath().c_str());
    SetEnvironmentVariableW(L"TEMPIKO_FAKE_RAS", path_.c_str());
  }
  ~FakeDiallerScript() {
    SetEnvironmentVariableW(L"TEMPIKO_FAKE_RAS", nullptr);
    DeleteFileW(path_.c_str());
    DeleteFileW(LogPath().c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  FakeDiallerScript(const FakeDiallerScript&) = delete;
  FakeDiallerScript& operator=(const FakeDiallerScript&) = delete;

  // Replaces the script at once, as the dll reads it anew on every call.
  void Write(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines)
      text += line + "\r\n";
    const std::wstring next = path_ + L".next";
    const HANDLE file = CreateFileW(next.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(MoveFileExW(next.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING));
  }

  // The calls logged since the last look.
  std::vector<std::string> TakeLog() {
    const std::string log = ReadAll(LogPath());
    std::vector<std::string> lines;
    std::size_t start = taken_;
    for (std::size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(log.substr(start, end - start));
    taken_ = start;
    return lines;
  }

 private:
  std::wstring LogPath() const { return path_ + L".log"; }

  static std::string ReadAll(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return {};
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
      bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
  }

  std::wstring folder_;
  std::wstring path_;
  std::size_t taken_ = 0;
};

class Win32RemoteAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "the tests expect a Japanese locale"; }

  // The saved parameters of an entry, as GetDialParameters reads them.
  DialParameters SavedParameters(const std::string& entry_name, int* result = nullptr) {
    DialParameters params;
    params.entry_name = entry_name;
    const int answer = dialler_.GetDialParameters(params);
    if (result)
      *result = answer;
    return params;
  }

  FakeDiallerScript script_;
  Win32RemoteAccess dialler_;
};

const std::string kJapaneseEntry = "ダイヤルアップ ｵﾌｨｽ";  // half-width katakana too

TEST_F(Win32RemoteAccessTest, ListsTheEntriesInTheDiallersOrderThroughTheFirstLayout) {
  script_.Write({"entry=Office", "entry=" + Cp932(kJapaneseEntry), "entry=Office"});
  EXPECT_THAT(dialler_.Entries(), Optional(ElementsAre("Office", kJapaneseEntry, "Office")));
  EXPECT_THAT(script_.TakeLog(),
              ElementsAre("RasEnumEntriesA reserved=null phonebook=null dwSize=264 cb=26400 -> 0 "
                          "cb=792 count=3"));
}

TEST_F(Win32RemoteAccessTest, AListingThatDoesNotFitOneHundredRecordsFails) {
  const struct {
    const char* name;
    int entries;
    std::vector<std::string> extra_lines;
    bool listed;
    const char* logged;
  } cases[] = {
      {"empty", 0, {}, true, "-> 0 cb=0 count=0"},
      {"one hundred", 100, {}, true, "-> 0 cb=26400 count=100"},
      {"one hundred and one", 101, {}, false, "-> 603 cb=26664 count=101"},
      {"no phone-book", 2, {"entries_result=625"}, false, "-> 625"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = c.extra_lines;
    for (int i = 0; i < c.entries; ++i)
      lines.push_back("entry=E" + std::to_string(i));
    script_.Write(lines);
    const auto entries = dialler_.Entries();
    ASSERT_EQ(entries.has_value(), c.listed);
    if (c.listed) {
      ASSERT_EQ(entries->size(), static_cast<std::size_t>(c.entries));
      if (c.entries > 0) {
        EXPECT_EQ(entries->back(), "E" + std::to_string(c.entries - 1));
      }
    }
    EXPECT_THAT(script_.TakeLog(),
                ElementsAre("RasEnumEntriesA reserved=null phonebook=null dwSize=264 cb=26400 " +
                            std::string(c.logged)));
  }
}

TEST_F(Win32RemoteAccessTest, ReadsAnEntryNameNoFurtherThanItsField) {
  // The dll writes a name this long over the whole field, without its terminating zero.
  script_.Write({"entry=" + std::string(300, 'x'), "entry=Next"});
  EXPECT_THAT(dialler_.Entries(), Optional(ElementsAre(std::string(256, 'x'), "Next")));
}

TEST_F(Win32RemoteAccessTest, ListsTheActiveConnectionsWithTheirHandles) {
  script_.Write(
      {"entry=Office", "connection=0x1234 Office", "connection=0x99 " + Cp932(kJapaneseEntry)});
  const std::vector<ActiveConnection> connections = dialler_.Connections();
  ASSERT_EQ(connections.size(), 2u);
  EXPECT_EQ(connections[0].handle, 0x1234u);
  EXPECT_EQ(connections[0].entry_name, "Office");
  EXPECT_EQ(connections[1].handle, 0x99u);
  EXPECT_EQ(connections[1].entry_name, kJapaneseEntry);
  // 416 bytes a record: the 8-byte handle packed right after the size field.
  EXPECT_THAT(script_.TakeLog(),
              ElementsAre("RasEnumConnectionsA dwSize=416 cb=41600 -> 0 cb=832 count=2"));
}

TEST_F(Win32RemoteAccessTest, AFailedListingOfConnectionsListsNone) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    const char* logged;
  } cases[] = {
      {"the dialler fails", {"connection=0x10 A", "connections_result=711"}, "-> 711"},
      {"more than one hundred", {}, "-> 603 cb=42016 count=101"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = c.lines;
    if (lines.empty()) {
      for (int i = 0; i < 101; ++i)
        lines.push_back("connection=" + std::to_string(i + 1) + " E" + std::to_string(i));
    }
    script_.Write(lines);
    EXPECT_THAT(dialler_.Connections(), IsEmpty());
    EXPECT_THAT(script_.TakeLog(),
                ElementsAre("RasEnumConnectionsA dwSize=416 cb=41600 " + std::string(c.logged)));
  }
}

TEST_F(Win32RemoteAccessTest, ReadsTheSavedDialParametersOfAnEntry) {
  const struct {
    const char* name;
    std::vector<std::string> entry_lines;
    int result;
    std::string user_name;
    std::string password;
    bool password_retrieved;
    const char* logged;
  } cases[] = {
      {"user name and password saved",
       {"user=" + Cp932("鈴木"), "password=secret", "phone=0312345678", "domain=CORP"},
       0,
       "鈴木",
       "secret",
       true,
       "-> 0 user=1 password=1 retrieved=1"},
      {"nothing saved", {}, 0, "", "", false, "-> 0 user=0 password=0 retrieved=0"},
      {"a saved password that is empty",
       {"user=alice", "password_retrieved=1"},
       0,
       "alice",
       "",
       true,
       "-> 0 user=1 password=0 retrieved=1"},
      {"the dialler fails", {"user=alice", "params_result=1003"}, 1003, "", "", false, "-> 1003"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = {"entry=" + Cp932(kJapaneseEntry)};
    lines.insert(lines.end(), c.entry_lines.begin(), c.entry_lines.end());
    script_.Write(lines);
    int result = -1;
    const DialParameters params = SavedParameters(kJapaneseEntry, &result);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(params.entry_name, kJapaneseEntry);
    EXPECT_EQ(params.user_name, c.user_name);
    EXPECT_EQ(params.password, c.password);
    EXPECT_EQ(params.password_retrieved, c.password_retrieved);
    EXPECT_THAT(script_.TakeLog(),
                ElementsAre("RasGetEntryDialParamsA phonebook=null dwSize=1052 entry=" +
                            Cp932(kJapaneseEntry) + " zeroed=1 " + c.logged));
  }
  script_.Write({"entry=Office", "phone=0312345678", "callback=0398765432", "domain=CORP"});
  const DialParameters office = SavedParameters("Office");
  EXPECT_EQ(office.phone_number, "0312345678");
  EXPECT_EQ(office.callback_number, "0398765432");
  EXPECT_EQ(office.domain, "CORP");
}

TEST_F(Win32RemoteAccessTest, ANameNoEntryCanBearIsNotPassedToTheDialler) {
  const struct {
    const char* name;
    std::string entry_name;
    bool passed;
  } cases[] = {
      {"256 bytes", std::string(256, 'x'), true},
      {"257 bytes", std::string(257, 'x'), false},
      {"128 double-byte characters", Repeat("あ", 128), true},
      {"129 double-byte characters (258 bytes)", Repeat("あ", 129), false},
      {"a character the code page lacks", "Caf\u00e9", false},
  };
  script_.Write({"entry=Office"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int result = -1;
    SavedParameters(c.entry_name, &result);
    EXPECT_EQ(result, sync::kEntryNotFound);  // the dialler's answer, or the adapter's own
    EXPECT_EQ(script_.TakeLog().size(), c.passed ? 1u : 0u);

    DialParameters params;
    params.entry_name = c.entry_name;
    params.password = "secret";
    ConnectionHandle handle = 0x42;
    EXPECT_EQ(dialler_.Dial(params, handle), sync::kEntryNotFound);
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(params.password.empty());
    EXPECT_EQ(script_.TakeLog().size(), c.passed ? 1u : 0u);
  }
}

TEST_F(Win32RemoteAccessTest, DialsSynchronouslyWithTheWholeRecordAndWipesTheParameters) {
  script_.Write({"entry=" + Cp932(kJapaneseEntry), "user=alice", "password=secret"});
  DialParameters params = SavedParameters(kJapaneseEntry);
  script_.TakeLog();
  ConnectionHandle handle = 0;
  EXPECT_EQ(dialler_.Dial(params, handle), 0);
  EXPECT_EQ(handle, 0x5000u);
  for (const std::string* text : {&params.entry_name, &params.user_name, &params.password})
    EXPECT_TRUE(text->empty());
  EXPECT_THAT(script_.TakeLog(),
              ElementsAre("RasDialA extensions=null phonebook=null dwSize=1052 entry=" +
                          Cp932(kJapaneseEntry) +
                          " phone=0 callback=0 user=1 password=1 domain=0 notifier_type=0 "
                          "notifier=null handle_in=null -> 0 handle=0x5000"));
  // The dialled link is up, and listed, until it is hung up.
  ASSERT_EQ(dialler_.Connections().size(), 1u);
  dialler_.HangUp(handle);
  EXPECT_THAT(dialler_.Connections(), IsEmpty());
  const auto log = script_.TakeLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], "RasHangUpA handle=0x5000 -> 0");
}

TEST_F(Win32RemoteAccessTest, PassesTheCredentialsTheDiallerExpectsInItsCodePage) {
  // 1 + 200 x 2 bytes: what fits the 256-byte field ends before the 129th "あ", which would
  // otherwise be split.
  const std::string long_password = "a" + Repeat("あ", 200);
  const struct {
    const char* name;
    std::string user_name;
    std::string password;
    std::string accepted_user;
    std::string accepted_password;
  } cases[] = {
      {"Japanese user name", "鈴木ｽｽﾞｷ", "pw", Cp932("鈴木ｽｽﾞｷ"), "pw"},
      {"empty answers of cancelled prompts", "", "", "", ""},
      {"a password longer than its field", "u", long_password, "u", Cp932("a" + Repeat("あ", 127))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script_.Write({"entry=Office", "accept_user=" + c.accepted_user,
                   "accept_password=" + c.accepted_password});
    DialParameters params;
    params.entry_name = "Office";
    params.user_name = c.user_name;
    params.password = c.password;
    ConnectionHandle handle = 0;
    EXPECT_EQ(dialler_.Dial(params, handle), 0);
    dialler_.HangUp(handle);
  }
}

TEST_F(Win32RemoteAccessTest, AFailedDialHandsBackTheHandleItMade) {
  const struct {
    const char* name;
    std::string handle_line;
    ConnectionHandle handle;
  } cases[] = {
      {"with a handle", "dial_handle=0x77", 0x77},
      {"without", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script_.Write({"entry=Office", "dial_result=678", c.handle_line});
    DialParameters params;
    params.entry_name = "Office";
    ConnectionHandle handle = 0x42;
    EXPECT_EQ(dialler_.Dial(params, handle), 678);
    EXPECT_EQ(handle, c.handle);
  }
  dialler_.HangUp(0x77);
  const auto log = script_.TakeLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "RasHangUpA handle=0x77 -> 0");
}

TEST_F(Win32RemoteAccessTest, EachStatusQueryStartsFromAZeroedRecord) {
  script_.Write({"entry=Office", "connect_after=2", "connection=0x99 Other"});
  DialParameters params;
  params.entry_name = "Office";
  ConnectionHandle handle = 0;
  ASSERT_EQ(dialler_.Dial(params, handle), 0);
  script_.TakeLog();
  EXPECT_FALSE(dialler_.Connected(handle));
  EXPECT_FALSE(dialler_.Connected(handle));
  EXPECT_TRUE(dialler_.Connected(handle));
  EXPECT_TRUE(dialler_.Connected(0x99));   // someone else's connection
  EXPECT_FALSE(dialler_.Connected(0x55));  // no connection: the query fails
  EXPECT_THAT(script_.TakeLog(),
              ElementsAre("RasGetConnectStatusA handle=0x5000 dwSize=160 zeroed=1 -> 0 state=0x2",
                          "RasGetConnectStatusA handle=0x5000 dwSize=160 zeroed=1 -> 0 state=0x2",
                          "RasGetConnectStatusA handle=0x5000 dwSize=160 zeroed=1 -> 0 "
                          "state=0x2000",
                          "RasGetConnectStatusA handle=0x99 dwSize=160 zeroed=1 -> 0 state=0x2000",
                          "RasGetConnectStatusA handle=0x55 dwSize=160 zeroed=1 -> 6"));
}

TEST_F(Win32RemoteAccessTest, ReadsTheDiallersErrorTextThroughAHundredByteBuffer) {
  const std::string japanese = "ﾓﾃﾞﾑが応答しません。";
  const struct {
    const char* name;
    std::string scripted;
    std::string text;
  } cases[] = {
      {"Japanese", Cp932(japanese), japanese},
      {"99 bytes", std::string(99, 'e'), std::string(99, 'e')},
      {"100 bytes: too long for the buffer", std::string(100, 'e'), ""},
      {"no text", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script_.Write({c.scripted.empty() ? "" : "error=678 " + c.scripted});
    EXPECT_EQ(dialler_.ErrorText(678), c.text);
    const auto log = script_.TakeLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], ::testing::StartsWith("RasGetErrorStringA code=678 cb=100 -> "));
  }
}

TEST(WipedRecordTest, WipesTheRecordWhenItEnds) {
  alignas(ras::DialParams) unsigned char storage[sizeof(ras::WipedRecord<ras::DialParams>)];
  auto* record = new (storage) ras::WipedRecord<ras::DialParams>();
  EXPECT_TRUE(std::all_of(storage, storage + sizeof storage, [](auto byte) { return byte == 0; }));
  std::memcpy(record->get().password, "secret", 7);
  record->~WipedRecord();
  EXPECT_TRUE(std::all_of(storage, storage + sizeof storage, [](auto byte) { return byte == 0; }));
}

// Run with Wine's own rasapi32, whose functions are stubs: a script stands ready, yet the
// program must see an empty phone-book and no connection, and the dll's log stays empty.
TEST(WinesOwnDialler, ListsNoEntryAndNoConnection) {
  FakeDiallerScript script;
  script.Write({"entry=Office", "connection=0x1234 Office"});
  Win32RemoteAccess dialler;
  const auto entries = dialler.Entries();
  EXPECT_TRUE(!entries || entries->empty());
  EXPECT_THAT(dialler.Connections(), IsEmpty());
  EXPECT_THAT(script.TakeLog(), IsEmpty());
}

}  // namespace
}  // namespace tempiko::win32
