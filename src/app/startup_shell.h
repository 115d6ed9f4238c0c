#pragma once

#include <optional>
#include <string>

namespace tempiko::app {

// A shell link (.lnk) that starts a program: where it is saved and what it starts. Everything
// else a link can hold (description, icon, hot key, show command) keeps the shell's defaults.
struct Shortcut {
  std::string link_path;
  std::string target_path;
  std::string arguments;
  std::string working_directory;

  bool operator==(const Shortcut&) const = default;
};

// What registering in the Startup folder asks of the system: the running program's path, the
// current user's Startup folder, the shell link object, deleting a file and the message box of
// a refused command. Paths are UTF-8 here; the Win32 adapter hands them to the system as UTF-16,
// so any character a file name may hold goes through. Runs on the window thread.
class StartupShell {
 public:
  virtual ~StartupShell() = default;

  // The full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // The current user's Startup folder, or nothing when the shell cannot name it.
  virtual std::optional<std::string> StartupFolder() = 0;
  // Saves the link, replacing a file of that name. False when the link object could not save
  // it; throws tempiko::Exception, with the system's text, when there is no link object to ask.
  virtual bool SaveShortcut(const Shortcut& shortcut) = 0;
  // False when the file could not be deleted (as when there is none).
  virtual bool DeleteLink(const std::string& path) = 0;
  // A modal message box with an OK button, captioned with the application's title.
  virtual void ShowNotice(const std::string& text) = 0;
};

}  // namespace tempiko::app
