// The program's entry: one instance at a time, the unattended switches with their start-up
// delay, the main window, and the window message loop until the main window closes.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/program_start.h"
#include "app/settings_file.h"
#include "win32/main_window.h"
#include "win32/text_encoding.h"
#include "win32/win32_clock.h"
#include "win32/win32_codec.h"
#include "win32/win32_host_resolver.h"
#include "win32/win32_locale.h"
#include "win32/win32_profile.h"
#include "win32/win32_window_thread.h"
#include "win32/worker_threads.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"tempiko1996";

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return tempiko::win32::WideToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string FirstArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string first = arguments && count > 1 ? tempiko::win32::WideToUtf8(arguments[1]) : "";
  LocalFree(arguments);
  return first;
}

int RunProgram(HINSTANCE instance, int show_command) {
  using namespace tempiko;
  const std::string settings_path = app::SettingsPathFor(ExecutablePath());
  win32::Win32Codec codec;
  win32::Win32Profile profile(settings_path);
  app::SettingsFile settings(profile, codec, settings_path);

  // An unattended start waits its delay before any window exists.
  const app::StartSwitch start_switch = app::ParseStartSwitch(FirstArgument());
  if (start_switch != app::StartSwitch::kNone) {
    Sleep(static_cast<DWORD>(app::StartDelaySeconds(start_switch, settings)) * 1000);
  }

  win32::Win32Clock clock;
  win32::Win32HostResolver resolver;
  const sync::Locale locale = win32::ReadUserLocale();
  win32::Win32WindowThread window_thread;
  int exit_code = 0;
  {
    win32::ThreadWorkerStarter workers;
    win32::MainWindow window(
        instance, {window_thread, window_thread, workers, clock, resolver, settings, locale});
    if (!window.Create())
      return 1;
    window.ActOnSwitch();
    window.ShowAtStart(show_command);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!window.handle() || !IsDialogMessageW(window.handle(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    exit_code = static_cast<int>(msg.wParam);
    // The window's logic goes with `window`: first every worker still inside it must end.
    window_thread.Shutdown();
    workers.JoinAll();
  }
  return exit_code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  // A second instance ends at once, silently: no window, no file, no signal to the first.
  if (HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex)) {
    CloseHandle(running);
    return 0;
  }
  // Without the mutex the program still runs, only unguarded.
  HANDLE instance_mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  const int exit_code = RunProgram(instance, show_command);

  CoUninitialize();
  if (instance_mutex)
    ReleaseMutex(instance_mutex);
  return exit_code;
}
