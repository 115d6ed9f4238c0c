#pragma once

#include <string>

namespace tempiko::sync {

// The few things a synchronisation run asks of the program around it.
class ProgramShell {
 public:
  virtual ~ProgramShell() = default;

  // The first command-line argument ("" when there is none). Read afresh at every call: the
  // switch is never stored.
  virtual std::string FirstArgument() = 0;
  // Closes the main window. The close takes effect once the current handler has returned, so
  // the handler may still finish its work on the window.
  virtual void CloseMainWindow() = 0;
};

// The switch of an unattended run: one synchronisation, then the program ends.
inline constexpr char kUnattendedRunSwitch[] = "-d";

}  // namespace tempiko::sync
