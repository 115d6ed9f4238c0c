#include "win32/process_start.h"

#include <shellapi.h>

#include "win32/text_encoding.h"

namespace tempiko::win32 {

InstanceMutex::InstanceMutex(const wchar_t* name)
    : mutex_(CreateMutexW(nullptr, FALSE, name)),
      // Read at once, before any other call sets the last error. When the mutex could not be
      // made at all, the program runs without the guard.
      another_is_running_(GetLastError() == ERROR_ALREADY_EXISTS) {}

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return WideToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string FirstArgument() {
  return FirstArgumentOf(GetCommandLineW());
}

std::string FirstArgumentOf(const wchar_t* command_line) {
  int count = 0;
  const UniqueLocalMemory<LPWSTR*> arguments(CommandLineToArgvW(command_line, &count));
  return arguments && count > 1 ? WideToUtf8(arguments.get()[1]) : "";
}

}  // namespace tempiko::win32
