// The program's entry: one instance at a time, the unattended switches with their start-up
// delay, the main window, and the window message loop until the main window closes.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <exception>

#include "app/program_start.h"
#include "app/settings_file.h"
#include "base/errors.h"
#include "win32/error_box.h"
#include "win32/main_window.h"
#include "win32/process_start.h"
#include "win32/text_encoding.h"
#include "win32/win32_clock.h"
#include "win32/win32_codec.h"
#include "win32/win32_host_resolver.h"
#include "win32/win32_locale.h"
#include "win32/win32_profile.h"
#include "win32/win32_remote_access.h"
#include "win32/win32_window_thread.h"
#include "win32/winsock_layer.h"
#include "win32/worker_threads.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"tempiko1996";
// The exit code of a start that failed before the message loop could run.
constexpr int kStartFailed = 1;

int RunProgram(HINSTANCE instance, int show_command) {
  using namespace tempiko;
  const std::string settings_path = app::SettingsPathFor(win32::ExecutablePath());
  win32::Win32Codec codec;
  win32::Win32Profile profile(settings_path);
  app::SettingsFile settings(profile, codec, settings_path);

  // An unattended start waits its delay before any window exists.
  const app::StartSwitch start_switch = app::ParseStartSwitch(win32::FirstArgument());
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
    win32::Win32RemoteAccess dialler;
    win32::MainWindow window(instance, {.timers = window_thread,
                                        .window_thread = window_thread,
                                        .workers = workers,
                                        .clock = clock,
                                        .resolver = resolver,
                                        .settings = settings,
                                        .locale = locale,
                                        .sockets = win32::WinsockLayer::Factory(),
                                        .dialler = dialler});
    window.Create();
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
  // The mutex marks this copy as running until the process ends. A second copy ends at once,
  // silently: no window, no file, no signal to the first.
  const tempiko::win32::InstanceMutex instance_mutex(kInstanceMutex);
  if (instance_mutex.AnotherIsRunning())
    return 0;

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const INITCOMMONCONTROLSEX controls{
      .dwSize = sizeof(INITCOMMONCONTROLSEX),
      .dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  int exit_code = kStartFailed;
  try {
    exit_code = RunProgram(instance, show_command);
  } catch (const tempiko::EAbort&) {
    // Silent by its nature; the start still failed.
  } catch (const std::exception& failure) {
    // The window or its UDP endpoints could not be made (WSAStartup failing, a socket refused):
    // the program cannot run. Say why once, then end.
    tempiko::win32::ShowErrorBox(nullptr, failure.what());
  }

  CoUninitialize();
  return exit_code;
}
