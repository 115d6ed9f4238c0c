#include "sync/clock_setting_text.h"

#include "sync/system_clock.h"

namespace tempiko::sync {

std::string ClockSettingFailureText(int error) {
  if (error == kErrorPrivilegeNotHeld || error == kErrorAccessDenied)
    return "時刻を設定できませんでした(管理者権限が必要です)";
  return "時刻を設定できませんでした(エラー " + std::to_string(error) + ")";
}

}  // namespace tempiko::sync
