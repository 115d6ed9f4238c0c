// The Startup folder's adapter on the real shell: links written through the shell link object's
// wide interface read back as written, whatever characters their paths hold, replace a link of
// the same name, and fail without a word where no file can be written; no link object at all
// is an error with the system's text.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "base/errors.h"
#include "shell_link_reading.h"
#include "win32/text_encoding.h"
#include "win32/win32_startup_shell.h"

namespace tempiko {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadShellLink;

// A folder of the test's own under the temporary folder. By default its name is one the ANSI
// code page (932) cannot spell: "ü" and the ohm sign "Ω" are not in it.
constexpr wchar_t kNonAnsiName[] = L" Zeit\u00FCberpr\u00FCfung \u2126";

class LinkFolder {
 public:
  explicit LinkFolder(const std::wstring& suffix = kNonAnsiName) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = fs::path(temp) / (L"tempiko-link-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++) + suffix);
    fs::create_directories(path_);
  }
  ~LinkFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Utf8(const std::wstring& name = L"") const {
    return win32::WideToUtf8(name.empty() ? path_.wstring() : (path_ / name).wstring());
  }
  int FileCount() const {
    return static_cast<int>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
  }

 private:
  fs::path path_;
};

class StartupShellTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  win32::Win32StartupShell shell{[] { return HWND{nullptr}; }};
  LinkFolder folder;
};

TEST_F(StartupShellTest, ALinkReadsBackAsWrittenWithNothingElseSetAndIsReplacedByTheNext) {
  const LinkFolder ansi_folder(L" Tempiko");
  for (const LinkFolder* at : {&ansi_folder, static_cast<const LinkFolder*>(&folder)}) {
    const std::string link_path = at->Utf8(L"tempiko.lnk");
    const std::string target = at->Utf8(L"tempiko.exe");
    const std::string directory = at->Utf8() + "\\";
    for (const char* arguments : {" -d", " -s"}) {
      SCOPED_TRACE(link_path + arguments);
      ASSERT_TRUE(shell.SaveShortcut({.link_path = link_path,
                                      .target_path = target,
                                      .arguments = arguments,
                                      .working_directory = directory}));
      const auto link = ReadShellLink(win32::Utf8ToWide(link_path));
      ASSERT_TRUE(link.has_value());
      EXPECT_EQ(link->target, target);
      // Wine keeps the raw path in the ANSI code page alone.
      if (at == &ansi_folder) {
        EXPECT_EQ(link->raw_target, target);
      }
      EXPECT_EQ(link->arguments, arguments);
      EXPECT_EQ(link->working_directory, directory);
      EXPECT_EQ(link->description, "");
      EXPECT_EQ(link->icon_location, "");
      EXPECT_EQ(link->hot_key, 0);
      EXPECT_EQ(link->show_command, SW_SHOWNORMAL);
      EXPECT_EQ(at->FileCount(), 1);
    }
  }
}

TEST_F(StartupShellTest, ALinkThatCannotBeWrittenIsReportedAndLeavesNoFile) {
  // No such folder; and a folder standing where the file should be.
  const std::string missing = folder.Utf8(L"missing") + "\\tempiko.lnk";
  const std::string occupied = folder.Utf8(L"tempiko.lnk");
  fs::create_directory(fs::path(win32::Utf8ToWide(occupied)));
  for (const std::string& path : {missing, occupied}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(shell.SaveShortcut({.link_path = path,
                                     .target_path = "C:\\tempiko.exe",
                                     .arguments = " -d",
                                     .working_directory = "C:\\"}));
  }
  EXPECT_FALSE(fs::exists(fs::path(win32::Utf8ToWide(missing))));
  EXPECT_TRUE(fs::is_directory(fs::path(win32::Utf8ToWide(occupied))));
  EXPECT_FALSE(shell.DeleteLink(occupied));
}

TEST_F(StartupShellTest, DeletingAnswersWhetherThereWasALinkToDelete) {
  const std::string link_path = folder.Utf8(L"tempiko.lnk");
  ASSERT_TRUE(shell.SaveShortcut({.link_path = link_path,
                                  .target_path = "C:\\tempiko.exe",
                                  .arguments = " -d",
                                  .working_directory = "C:\\"}));
  EXPECT_TRUE(shell.DeleteLink(link_path));
  EXPECT_EQ(folder.FileCount(), 0);
  EXPECT_FALSE(shell.DeleteLink(link_path));
}

TEST_F(StartupShellTest, TheStartupFolderIsAFolderThatExists) {
  const std::optional<std::string> startup = shell.StartupFolder();
  ASSERT_TRUE(startup.has_value());
  EXPECT_TRUE(fs::is_directory(fs::path(win32::Utf8ToWide(*startup)))) << *startup;
}

// On a thread that never initialised COM there is no link object to be had.
TEST(StartupShellWithoutCom, NoLinkObjectIsAnErrorWithTheSystemsTextAndWritesNothing) {
  LinkFolder folder;
  const std::string link_path = folder.Utf8(L"tempiko.lnk");
  std::string failure;
  std::thread([&] {
    win32::Win32StartupShell shell([] { return HWND{nullptr}; });
    try {
      shell.SaveShortcut({.link_path = link_path,
                          .target_path = "C:\\tempiko.exe",
                          .arguments = " -d",
                          .working_directory = "C:\\"});
      failure = "<saved>";
    } catch (const Exception& error) {
      failure = error.what();
    }
  }).join();
  EXPECT_EQ(failure, win32::SystemErrorText(CO_E_NOTINITIALIZED));
  EXPECT_EQ(folder.FileCount(), 0);
}

TEST(SystemErrorText, IsTheSystemsTextWithoutItsLineEndOrTheCodeWhenThereIsNone) {
  const std::string known = win32::SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(known.empty());
  EXPECT_NE(known.back(), '\n');
  EXPECT_NE(known.back(), '\r');
  EXPECT_EQ(known.find("0x"), std::string::npos) << known;
  // The same error as an HRESULT reads the same.
  EXPECT_EQ(win32::SystemErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), known);
  EXPECT_EQ(win32::SystemErrorText(static_cast<HRESULT>(0xA00DF00D)), "エラー 0xA00DF00D");
}

TEST(ShellLinkIdentifiers, AreTheSystemsOwn) {
  EXPECT_TRUE(IsEqualGUID(win32::kShellLinkClass, CLSID_ShellLink));
  EXPECT_TRUE(IsEqualGUID(win32::kShellLinkWideInterface, IID_IShellLinkW));
  EXPECT_TRUE(IsEqualGUID(win32::kPersistFileInterface, IID_IPersistFile));
}

}  // namespace
}  // namespace tempiko
