#include "win32/win32_clock.h"

#include <windows.h>

#include <cmath>

#include "win32/owned.h"

namespace tempiko::win32 {
namespace {

constexpr double kFileTimeUnitsPerDay = 864'000'000'000.0;
// Days from 1601-01-01 (FILETIME's origin) to 1899-12-30 (the date-time value's origin).
constexpr double kFileTimeOriginInDays = 109'205.0;

std::uint64_t ToUint64(const FILETIME& ft) {
  return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

// local − UTC at the given UTC instant, in 100-ns units, as the zone rules of that moment say.
std::int64_t LocalBiasAtUtc(std::uint64_t utc_filetime) {
  const FILETIME utc = ToFileTime(utc_filetime);
  SYSTEMTIME utc_fields;
  SYSTEMTIME local_fields;
  FILETIME utc_whole_ms;
  FILETIME local_whole_ms;
  if (!FileTimeToSystemTime(&utc, &utc_fields) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc_fields, &local_fields) ||
      !SystemTimeToFileTime(&utc_fields, &utc_whole_ms) ||
      !SystemTimeToFileTime(&local_fields, &local_whole_ms)) {
    return 0;
  }
  return static_cast<std::int64_t>(ToUint64(local_whole_ms)) -
         static_cast<std::int64_t>(ToUint64(utc_whole_ms));
}

SYSTEMTIME ToSystemTime(const sync::CalendarFields& fields) {
  return SYSTEMTIME{.wYear = static_cast<WORD>(fields.year),
                    .wMonth = static_cast<WORD>(fields.month),
                    .wDayOfWeek = 0,  // not filled: the setting calls ignore it
                    .wDay = static_cast<WORD>(fields.day),
                    .wHour = static_cast<WORD>(fields.hour),
                    .wMinute = static_cast<WORD>(fields.minute),
                    .wSecond = static_cast<WORD>(fields.second),
                    .wMilliseconds = static_cast<WORD>(fields.millisecond)};
}

// Enables SE_SYSTEMTIME_NAME in the process token; answers 0 or the error that prevented it.
int EnableSystemTimePrivilege() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    return static_cast<int>(GetLastError());
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  int error = 0;
  if (!LookupPrivilegeValueW(nullptr, L"SeSystemtimePrivilege", &privileges.Privileges[0].Luid) ||
      !AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    error = static_cast<int>(GetLastError());
  } else if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
    error = ERROR_PRIVILEGE_NOT_HELD;  // the account does not hold it at all
  }
  return error;
}

template <typename SetFunction>
int SetClock(SetFunction set, const sync::CalendarFields& fields) {
  // A privilege that cannot be enabled is not final: the setting itself gives the verdict.
  EnableSystemTimePrivilege();
  const SYSTEMTIME st = ToSystemTime(fields);
  if (set(&st))
    return 0;
  const auto error = static_cast<int>(GetLastError());
  return error != 0 ? error : ERROR_PRIVILEGE_NOT_HELD;
}

FILETIME ReadSystemTime(void(__stdcall* precise)(void*)) {
  FILETIME now;
  if (precise) {
    precise(&now);
  } else {
    GetSystemTimeAsFileTime(&now);
  }
  return now;
}

}  // namespace

sync::DateTime FileTimeToDateTime(std::uint64_t filetime) {
  const double whole_days = std::floor(static_cast<double>(filetime / 864'000'000'000ull));
  const double rest = static_cast<double>(filetime % 864'000'000'000ull) / kFileTimeUnitsPerDay;
  return (whole_days - kFileTimeOriginInDays) + rest;
}

std::uint64_t DateTimeToFileTime(sync::DateTime value) {
  const double units = (value + kFileTimeOriginInDays) * kFileTimeUnitsPerDay;
  return units <= 0 ? 0 : static_cast<std::uint64_t>(std::llround(units));
}

Win32Clock::Win32Clock() {
  // Windows 7 lacks the precise reading; there the ordinary one (about 1-16 ms steps) serves.
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    precise_time_ = reinterpret_cast<PreciseTimeFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")));
  }
}

sync::DateTime Win32Clock::UtcNow() {
  return FileTimeToDateTime(ToUint64(ReadSystemTime(precise_time_)));
}

sync::DateTime Win32Clock::LocalNow() {
  const std::uint64_t utc = ToUint64(ReadSystemTime(precise_time_));
  constexpr std::uint64_t kUnitsPerSecond = 10'000'000;
  const std::uint64_t second = utc / kUnitsPerSecond;
  std::int64_t bias = 0;
  {
    std::lock_guard lock(bias_mutex_);
    if (second != bias_second_) {
      bias_ = LocalBiasAtUtc(second * kUnitsPerSecond);
      bias_second_ = second;
    }
    bias = bias_;
  }
  return FileTimeToDateTime(static_cast<std::uint64_t>(static_cast<std::int64_t>(utc) + bias));
}

double Win32Clock::ZoneShift(sync::DateTime local) {
  // Which UTC instant shows this local time: ask the zone rules in the other direction.
  const FILETIME local_ft = ToFileTime(DateTimeToFileTime(local));
  SYSTEMTIME local_fields;
  SYSTEMTIME utc_fields;
  FILETIME utc_ft;
  if (!FileTimeToSystemTime(&local_ft, &local_fields) ||
      !TzSpecificLocalTimeToSystemTime(nullptr, &local_fields, &utc_fields) ||
      !SystemTimeToFileTime(&utc_fields, &utc_ft)) {
    return 0;
  }
  const auto bias = static_cast<double>(static_cast<std::int64_t>(ToUint64(local_ft)) -
                                        static_cast<std::int64_t>(ToUint64(utc_ft)));
  // Zones are whole minutes apart from UTC; the round trip must not add the sub-ms part.
  return std::round(bias / 600'000'000.0) / 1440.0;
}

int Win32Clock::SetSystemTime(const sync::CalendarFields& utc) {
  return SetClock(::SetSystemTime, utc);
}

int Win32Clock::SetLocalTime(const sync::CalendarFields& local) {
  return SetClock(::SetLocalTime, local);
}

std::uint32_t Win32Clock::TickCount() {
  return GetTickCount();
}

int Win32Clock::PlatformId() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExW(&info))
    return VER_PLATFORM_WIN32_NT;
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
  return static_cast<int>(info.dwPlatformId);
}

}  // namespace tempiko::win32
