#include "app/program_start.h"

#include <algorithm>

#include "app/settings.h"

namespace tempiko::app {

StartSwitch ParseStartSwitch(std::string_view first_argument) {
  if (first_argument == sync::kUnattendedRunSwitch)
    return StartSwitch::kNetworkRun;
  if (first_argument == kSimpleCorrectionSwitch)
    return StartSwitch::kSimpleCorrection;
  return StartSwitch::kNone;
}

int StartDelaySeconds(StartSwitch start_switch, SettingsFile& settings) {
  if (start_switch == StartSwitch::kNone)
    return 0;
  return std::clamp(ReadStartDelay(settings), 0, kMaxStartDelaySeconds);
}

}  // namespace tempiko::app
