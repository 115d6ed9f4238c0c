// The real main window when its UDP endpoints cannot be made (the socket library refuses to
// start): the start learns why, and nothing of the window is left to disturb the error box
// that reports it.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "fakes/fake_clock.h"
#include "fakes/fake_remote_access.h"
#include "fakes/fake_socket_layer.h"
#include "fakes/scripted_host_resolver.h"
#include "net/udp_endpoint.h"
#include "sync/locale.h"
#include "win32/main_window.h"
#include "win32/win32_codec.h"
#include "win32/win32_profile.h"
#include "win32/win32_window_thread.h"
#include "win32/worker_threads.h"

namespace tempiko {
namespace {

constexpr int kWsaSysNotReady = 10091;

// What the real main window stands on, with scripted sockets, clock and dialler, and a
// settings file that is never written.
struct WindowGround {
  fakes::FakeSockets sockets;
  fakes::FakeClock clock;
  fakes::ScriptedHostResolver resolver;
  const std::string settings_path = "C:\\tempiko-main-window-test-never-written.ini";
  win32::Win32Codec codec;
  win32::Win32Profile profile{settings_path};
  app::SettingsFile settings{profile, codec, settings_path};
  const sync::Locale locale = sync::Locale::Japanese();
  win32::Win32WindowThread window_thread;
  win32::ThreadWorkerStarter workers;
  fakes::FakeRemoteAccess dialler;

  win32::MainWindowPorts Ports() {
    return {.timers = window_thread,
            .window_thread = window_thread,
            .workers = workers,
            .clock = clock,
            .resolver = resolver,
            .settings = settings,
            .locale = locale,
            .sockets = sockets.Factory(),
            .dialler = dialler};
  }
};

TEST(MainWindowStart, RefusedEndpointsReachTheStartAndLeaveNoWindowNorQuitRequest) {
  WindowGround ground;
  ground.sockets.startup_errors = {kWsaSysNotReady};

  std::string failure;
  {
    win32::MainWindow window(GetModuleHandleW(nullptr), ground.Ports());
    try {
      window.Create();
    } catch (const net::UdpSocketError& e) {
      failure = e.what();
    }
  }
  EXPECT_EQ(failure, "Unknown Error No. 10091");
  EXPECT_EQ(FindWindowW(win32::MainWindow::kClassName, nullptr), nullptr);
  EXPECT_EQ(FindWindowW(win32::MainWindow::kApplicationClass, nullptr), nullptr);
  // A quit request left in the queue would end the error box the moment it opens.
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Tests and their probe find each control by its id: no two controls of the window may share
// one. (A drop-down list's own edit field is the list's part, with the id the system gives it.)
TEST(MainWindowControls, EachHasAnIdOfItsOwn) {
  WindowGround ground;
  win32::MainWindow window(GetModuleHandleW(nullptr), ground.Ports());
  window.Create();

  std::multimap<int, std::wstring> controls;  // id -> the control's text
  EnumChildWindows(
      window.handle(),
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t parent_class[32] = {};
        GetClassNameW(GetParent(child), parent_class, 32);
        const int id = GetDlgCtrlID(child);
        if (id > 0 && lstrcmpiW(parent_class, L"ComboBox") != 0) {
          wchar_t text[64] = {};
          GetWindowTextW(child, text, 64);
          reinterpret_cast<std::multimap<int, std::wstring>*>(found)->emplace(id, text);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  ASSERT_GT(controls.size(), 30u);
  for (const auto& [id, text] : controls)
    EXPECT_EQ(controls.count(id), 1u) << "id " << id << " is shared";
}

}  // namespace
}  // namespace tempiko
