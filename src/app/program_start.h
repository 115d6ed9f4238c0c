#pragma once

#include <string_view>

#include "app/settings_file.h"
#include "sync/program_shell.h"

namespace tempiko::app {

// The command-line switch of an unattended start, from the first argument alone.
enum class StartSwitch {
  kNone,              // an interactive start
  kNetworkRun,        // "-d": one synchronisation with the time server, then the program ends
  kSimpleCorrection,  // "-s": one drift correction, then the program ends
};

// The switch of an unattended simple correction ("-d" is sync::kUnattendedRunSwitch).
inline constexpr char kSimpleCorrectionSwitch[] = "-s";

// The switch the first argument names: exactly "-d" or "-s", case-sensitive; anything else
// ("-D", "/d", "-dx", nothing) is an interactive start.
StartSwitch ParseStartSwitch(std::string_view first_argument);

// The options page keeps the start-up delay within these seconds.
inline constexpr int kMaxStartDelaySeconds = 999;

// How long an unattended start waits before it creates the window, in seconds: the stored
// delay, brought into 0 to 999 as the options page shows it (a negative one would otherwise
// mean a wait of decades). An interactive start waits for nothing and does not read the file.
int StartDelaySeconds(StartSwitch start_switch, SettingsFile& settings);

}  // namespace tempiko::app
