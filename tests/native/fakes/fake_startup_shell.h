#pragma once

// The Startup folder as a map of link files in memory: what registering wrote, what it
// deleted, and the message boxes it showed. The test scripts the executable's path, the
// folder the shell names, whether saving works and whether the link object can be made.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/startup_shell.h"
#include "base/errors.h"

namespace tempiko::fakes {

class FakeStartupShell final : public app::StartupShell {
 public:
  // --- Script ---
  std::string executable_path = "C:\\Program Files\\Tempiko\\tempiko.exe";
  std::optional<std::string> startup_folder =
      "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  bool save_fails = false;
  // Set: the link object cannot be made, and this is the system's text for it.
  std::optional<std::string> link_object_failure;

  // --- Record ---
  std::map<std::string, app::Shortcut> links;  // by path: the files in the folder
  std::vector<std::string> notices;            // texts of the message boxes, in order
  int saves = 0;                               // calls of SaveShortcut

  std::string ExecutablePath() override { return executable_path; }
  std::optional<std::string> StartupFolder() override { return startup_folder; }

  bool SaveShortcut(const app::Shortcut& shortcut) override {
    ++saves;
    if (link_object_failure)
      throw Exception(*link_object_failure);
    if (save_fails)
      return false;
    links[shortcut.link_path] = shortcut;
    return true;
  }

  bool DeleteLink(const std::string& path) override { return links.erase(path) == 1; }

  void ShowNotice(const std::string& text) override { notices.push_back(text); }
};

}  // namespace tempiko::fakes
