#pragma once

#include <cstdint>

#include "sync/system_clock.h"

namespace tempiko::win32 {

// FILETIME counts 100-ns intervals since 1601-01-01 UTC; these convert it to and from the
// program's date-time value without losing the sub-millisecond part.
sync::DateTime FileTimeToDateTime(std::uint64_t filetime);
std::uint64_t DateTimeToFileTime(sync::DateTime value);

// The system clock of Windows. Reads only; it never sets anything.
class Win32Clock : public sync::SystemClock {
 public:
  Win32Clock();

  // The precise system time (GetSystemTimePreciseAsFileTime where the system has it, from
  // Windows 8 on) shifted by the zone's bias at that instant.
  sync::DateTime LocalNow() override;
  sync::DateTime UtcNow();
  double ZoneShift(sync::DateTime local) override;
  std::uint32_t TickCount() override;
  int PlatformId() override;
  // Both enable the system-time privilege of the process token first: without it Windows
  // refuses the setting even to an administrator.
  int SetSystemTime(const sync::CalendarFields& utc) override;
  int SetLocalTime(const sync::CalendarFields& local) override;

 private:
  using PreciseTimeFunction = void(__stdcall*)(void*);
  PreciseTimeFunction precise_time_ = nullptr;
};

}  // namespace tempiko::win32
