#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/window_shell.h"
#include "sync/remote_access.h"
#include "win32/controls/button.h"
#include "win32/controls/combo_box.h"
#include "win32/controls/control_host.h"
#include "win32/controls/group_box.h"
#include "win32/controls/label.h"
#include "win32/controls/memo.h"
#include "win32/controls/panel.h"
#include "win32/controls/picture.h"
#include "win32/controls/spin_edit.h"
#include "win32/controls/status_bar.h"
#include "win32/owned.h"
#include "win32/win32_startup_shell.h"

namespace tempiko::win32 {

// What the main window stands on besides the window system: made by WinMain, living longer
// than the window.
struct MainWindowPorts {
  loop::TimerHost& timers;
  loop::WindowThread& window_thread;
  loop::WorkerStarter& workers;
  sync::SystemClock& clock;
  net::HostResolver& resolver;
  app::SettingsFile& settings;
  const sync::Locale& locale;
  net::SocketLayerFactory sockets;  // the socket layer of each UDP endpoint
  sync::RemoteAccess& dialler;      // the system's dialler (rasapi32)
};

// The real main window "TForm1": its controls at their places, the application's taskbar
// window, the tray icon and the menus. Every event goes to the handler of MainForm that has its
// name; MainForm reaches the window system back through WindowShell.
class MainWindow final : public app::WindowShell {
 public:
  static constexpr wchar_t kClassName[] = L"TForm1";
  static constexpr wchar_t kApplicationClass[] = L"TApplication";
  static constexpr wchar_t kTitle[] = L"Tempiko！";
  static constexpr UINT kTrayMessage = WM_USER + 101;  // 1125
  static constexpr int kClientHeight = 182;

  MainWindow(HINSTANCE instance, const MainWindowPorts& ports);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the windows and the controls, then MainForm and its creation sequence. Throws
  // WindowRefused when the system refuses a window, and net::UdpSocketError when the UDP
  // endpoints cannot be made; the program cannot run then.
  void Create();
  // Step 6 of the start: the switch's action.
  void ActOnSwitch() { form_->ActOnSwitch(); }
  // Shows the window as the message loop starts, unless creation kept it in the tray.
  void ShowAtStart(int show_command);
  HWND handle() const { return window_.get(); }

  // WindowShell.
  std::string FirstArgument() override;
  void ShowMainWindow() override;
  void HideMainWindow() override;
  void BringToFront() override;
  void CloseMainWindow() override;
  void SetClientWidth(int width) override;
  void SetDetailsVisible(bool visible) override;
  void ShowPage(int page) override;
  void KeepHiddenAtStart() override { keep_hidden_ = true; }
  void RestoreApplication() override;
  void MinimizeApplication() override;
  bool AddTrayIcon() override;
  void RemoveTrayIcon() override;
  void ShowTrayMenu() override;
  void OpenHelp() override;
  void ShowAboutBox() override;
  std::optional<std::string> AskPattern(const std::string& current) override;
  std::optional<std::string> AskCredential(Credential credential) override;
  void ShowError(const std::string& text) override;

 private:
  struct Controls;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ApplicationProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateApplicationWindow();
  void BuildControls();
  void BindEvents();
  void AppendSystemMenu();
  void OnTrayMessage(LPARAM lparam);
  void OnDpiChanged(UINT dpi);
  void Guarded(const std::function<void()>& handler);
  static std::string ComputerName();

  HINSTANCE instance_;
  MainWindowPorts ports_;
  UniqueWindow application_;
  // Destroyed by itself when closed; the owner forgets it then (WM_NCDESTROY).
  UniqueWindow window_;
  HICON icon_ = nullptr;  // the program's icon, shared (LoadIcon): never destroyed
  UINT taskbar_created_ = 0;
  int client_width_ = app::MainForm::kNarrowWidth;
  bool keep_hidden_ = false;
  POINT tray_cursor_{};
  std::vector<std::string> builtin_servers_;
  Win32StartupShell startup_shell_{[this] { return window_.get(); }};
  std::unique_ptr<ControlHost> host_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<app::MainForm> form_;
};

}  // namespace tempiko::win32
