#pragma once

// The window system around the main window's controls, as a record of what the logic asked
// of it. Every call is kept, in order, as a short text such as "SetClientWidth 569"; the
// test scripts the answers (the first argument, the tray's acceptance, the pattern dialog).

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/window_shell.h"

namespace tempiko::fakes {

class RecordingWindowShell final : public app::WindowShell {
 public:
  // --- Script ---
  std::string first_argument;
  bool tray_accepts = true;                     // what AddTrayIcon answers
  std::optional<std::string> pattern_answer;    // nothing: the dialog is cancelled
  std::optional<std::string> user_name_answer;  // the prompts' answers; nothing: cancelled
  std::optional<std::string> password_answer;

  // --- Record ---
  std::vector<std::string> calls;
  std::vector<std::string> errors;        // texts of the error box
  std::vector<std::string> pattern_asks;  // the pattern each dialog opened with
  bool window_visible = true;
  bool kept_hidden_at_start = false;
  bool details_visible = false;
  int client_width = 297;
  int page = 2;        // the options page is in view at start
  int tray_icons = 0;  // icons the taskbar shows: never more than one

  int Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }
  void ClearCalls() { calls.clear(); }
  // The taskbar went away (Explorer restarted) and took the icon with it.
  void LoseTaskbar() { tray_icons = 0; }

  std::string FirstArgument() override { return first_argument; }

  void ShowMainWindow() override {
    calls.push_back("ShowMainWindow");
    window_visible = true;
  }
  void HideMainWindow() override {
    calls.push_back("HideMainWindow");
    window_visible = false;
  }
  void BringToFront() override { calls.push_back("BringToFront"); }
  void CloseMainWindow() override { calls.push_back("CloseMainWindow"); }
  void SetClientWidth(int width) override {
    calls.push_back("SetClientWidth " + std::to_string(width));
    client_width = width;
  }
  void SetDetailsVisible(bool visible) override {
    calls.push_back(std::string("SetDetailsVisible ") + (visible ? "1" : "0"));
    details_visible = visible;
  }
  void ShowPage(int shown) override {
    calls.push_back("ShowPage " + std::to_string(shown));
    page = shown;
  }
  void KeepHiddenAtStart() override {
    calls.push_back("KeepHiddenAtStart");
    kept_hidden_at_start = true;
  }
  void RestoreApplication() override { calls.push_back("RestoreApplication"); }
  void MinimizeApplication() override { calls.push_back("MinimizeApplication"); }

  bool AddTrayIcon() override {
    calls.push_back("AddTrayIcon");
    if (tray_accepts)
      tray_icons = 1;
    return tray_accepts;
  }
  void RemoveTrayIcon() override {
    calls.push_back("RemoveTrayIcon");
    tray_icons = 0;
  }
  void ShowTrayMenu() override { calls.push_back("ShowTrayMenu"); }

  void OpenHelp() override { calls.push_back("OpenHelp"); }
  void ShowAboutBox() override { calls.push_back("ShowAboutBox"); }
  std::optional<std::string> AskPattern(const std::string& current) override {
    calls.push_back("AskPattern");
    pattern_asks.push_back(current);
    return pattern_answer;
  }
  std::optional<std::string> AskCredential(Credential credential) override {
    const bool password = credential == Credential::kPassword;
    calls.push_back(password ? "AskPassword" : "AskUserName");
    return password ? password_answer : user_name_answer;
  }
  void ShowError(const std::string& text) override {
    calls.push_back("ShowError");
    errors.push_back(text);
  }
};

}  // namespace tempiko::fakes
