#pragma once

#include <string>

namespace tempiko::app {

// The status text for a clock setting the system refused (SetSystemTime in the synchronisation
// run, SetLocalTime in the simple correction), from the platform's error number: a missing
// privilege or access right asks for an administrator, anything else names the error.
std::string ClockSettingFailureText(int error);

}  // namespace tempiko::app
