#pragma once

#include <optional>
#include <string>

namespace tempiko::app {

// What the main window's logic asks of the window system around its controls: the window
// itself, the application's taskbar window, the tray icon, menus and dialogs. The Win32 main
// window implements it; tests record the calls.
class WindowShell {
 public:
  virtual ~WindowShell() = default;

  // The first command-line argument ("" when none), read afresh at every call.
  virtual std::string FirstArgument() = 0;

  // The main window.
  virtual void ShowMainWindow() = 0;
  virtual void HideMainWindow() = 0;
  virtual void BringToFront() = 0;  // SetForegroundWindow
  // Closes the main window once the current handler has returned; the close query saves the
  // settings first and may abandon the close.
  virtual void CloseMainWindow() = 0;
  // Client width in 96-DPI pixels: 297 with the details area hidden, 569 with it shown.
  virtual void SetClientWidth(int width) = 0;
  // The details area (details_pages) and its two pages: 1 the log, 2 the options.
  virtual void SetDetailsVisible(bool visible) = 0;
  virtual void ShowPage(int page) = 0;
  // Creation in tray mode: the message loop does not show the window at its start.
  virtual void KeepHiddenAtStart() = 0;

  // The application's taskbar window: restore (SW_RESTORE) and minimise.
  virtual void RestoreApplication() = 0;
  virtual void MinimizeApplication() = 0;

  // The tray icon (tip "Tempiko！", callback 1125). Adding while it exists shows no second one;
  // answers whether the system took it.
  virtual bool AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
  // Opens the tray menu at the cursor position read when the tray callback began.
  virtual void ShowTrayMenu() = 0;

  // The help page "Tempiko.htm" through the shell, and the about box (modal).
  virtual void OpenHelp() = 0;
  virtual void ShowAboutBox() = 0;
  // The pattern dialog ("日時フォーマット", "詳細はヘルプを見て下さい"): the new text, or nothing
  // when cancelled.
  virtual std::optional<std::string> AskPattern(const std::string& current) = 0;
  // The prompts of a dial whose entry lacks a saved user name or password: "ユーザ名" with
  // "Enter new UserName", "パスワード" with "Enter new PassWord" (typed masked), an empty field
  // of at most 255 characters. The answer, or nothing when cancelled.
  enum class Credential { kUserName, kPassword };
  virtual std::optional<std::string> AskCredential(Credential credential) = 0;
  // The application's error box, captioned with its title.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace tempiko::app
