#include "app/clock_setting_text.h"

#include "sync/system_clock.h"

namespace tempiko::app {

std::string ClockSettingFailureText(int error) {
  if (error == sync::kErrorPrivilegeNotHeld || error == sync::kErrorAccessDenied)
    return "時刻を設定できませんでした(管理者権限が必要です)";
  return "時刻を設定できませんでした(エラー " + std::to_string(error) + ")";
}

}  // namespace tempiko::app
