#pragma once

#include <windows.h>

#include <string>

#include "win32/owned.h"

namespace tempiko::win32 {

// The named mutex that marks a running copy of the program for as long as its owner lives.
// Nobody waits on it: only whether it already existed when this copy started matters.
class InstanceMutex {
 public:
  explicit InstanceMutex(const wchar_t* name);

  // Another copy made the mutex first: this one is to end at once, silently.
  bool AnotherIsRunning() const { return another_is_running_; }

 private:
  // Never owned, so there is nothing to release: closing the handle lets the name go.
  UniqueHandle mutex_;
  bool another_is_running_;
};

// The full path of the running executable (UTF-8), however long.
std::string ExecutablePath();

// The first argument of the program's command line (UTF-8), or "" when it has none. Every place
// that tests the start switch reads it afresh.
std::string FirstArgument();

// The same for a command line given as text (the program's name first).
std::string FirstArgumentOf(const wchar_t* command_line);

}  // namespace tempiko::win32
