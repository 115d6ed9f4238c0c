#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/startup_shell.h"

namespace tempiko::win32 {

// The class and interface identifiers of the shell link object, as the program asks for them.
// The wide interface: paths cross as UTF-16 from end to end.
inline constexpr GUID kShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kShellLinkWideInterface = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kPersistFileInterface = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The Startup folder through the shell (CSIDL_STARTUP), links through the shell link object
// (IShellLinkW and IPersistFile), DeleteFileW and MessageBoxW. COM must be initialised on the
// calling thread; the window thread has it from the program's start to its end.
class Win32StartupShell final : public app::StartupShell {
 public:
  // `owner`: the window that owns the shell's dialogs and the message boxes (the main window).
  explicit Win32StartupShell(std::function<HWND()> owner) : owner_(std::move(owner)) {}

  std::string ExecutablePath() override;
  std::optional<std::string> StartupFolder() override;
  bool SaveShortcut(const app::Shortcut& shortcut) override;
  bool DeleteLink(const std::string& path) override;
  void ShowNotice(const std::string& text) override;

 private:
  std::function<HWND()> owner_;
};

// The system's text for an error code (HRESULT or Win32), without its line ending; the code in
// hexadecimal when the system has no text for it.
std::string SystemErrorText(HRESULT code);

}  // namespace tempiko::win32
