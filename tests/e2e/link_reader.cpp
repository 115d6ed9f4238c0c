// A test-only reader of shell links, through the shell link object as the shell uses it:
//   link_reader LINK      prints the link's fields, one "name=value" a line (UTF-8): target
//                         (from the link's item list), raw_target (the raw path), arguments,
//                         directory, description, icon, hotkey, show
//   link_reader startup   prints the current user's Startup folder
//   link_reader start LINK SECONDS
//                         starts what the link holds as the shell starts a link at log-on: the
//                         item list's target with the link's arguments in its working folder;
//                         waits up to SECONDS for it to end and prints "exit=N"
// Exits 1 when the file does not load as a link (or what it starts does not end in time), 2 on
// a wrong command line.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "shell_link_reading.h"
#include "win32/owned.h"
#include "win32/text_encoding.h"

namespace {

void PrintLine(const std::string& name, const std::string& value) {
  const std::string line = name + "=" + value + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

int PrintStartupFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, path)))
    return 1;
  const std::string utf8 = tempiko::win32::WideToUtf8(path) + "\n";
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return 0;
}

int PrintLink(const wchar_t* path) {
  const auto fields = tempiko::testing_support::ReadShellLink(path);
  if (!fields)
    return 1;
  PrintLine("target", fields->target);
  PrintLine("raw_target", fields->raw_target);
  PrintLine("arguments", fields->arguments);
  PrintLine("directory", fields->working_directory);
  PrintLine("description", fields->description);
  PrintLine("icon", fields->icon_location + "," + std::to_string(fields->icon_index));
  PrintLine("hotkey", std::to_string(fields->hot_key));
  PrintLine("show", std::to_string(fields->show_command));
  return 0;
}

int StartLink(const wchar_t* path, int seconds) {
  tempiko::win32::UniqueCom<IShellLinkW> link;
  tempiko::win32::UniqueCom<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.put()))) ||
      FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
      FAILED(file.get()->Load(path, STGM_READ)))
    return 1;
  LPITEMIDLIST items = nullptr;
  wchar_t arguments[4096] = {};
  wchar_t directory[4096] = {};
  if (FAILED(link.get()->GetIDList(&items)) || !items)
    return 1;
  link.get()->GetArguments(arguments, 4096);
  link.get()->GetWorkingDirectory(directory, 4096);
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_IDLIST | SEE_MASK_NOCLOSEPROCESS;
  start.lpIDList = items;
  start.lpParameters = arguments;
  start.lpDirectory = directory;
  start.nShow = SW_SHOWNORMAL;
  const BOOL started = ShellExecuteExW(&start);
  CoTaskMemFree(items);
  if (!started || !start.hProcess)
    return 1;
  const tempiko::win32::UniqueHandle process(start.hProcess);
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(seconds) * 1000) != WAIT_OBJECT_0)
    return 1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  PrintLine("exit", std::to_string(code));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (argc != 2 && !(argc == 4 && command == L"start")) {
    std::fputs("usage: link_reader LINK | startup | start LINK SECONDS\n", stderr);
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 0;
  if (command == L"startup")
    status = PrintStartupFolder();
  else if (command == L"start")
    status = StartLink(argv[2], static_cast<int>(std::wcstol(argv[3], nullptr, 10)));
  else
    status = PrintLink(argv[1]);
  CoUninitialize();
  return status;
}
