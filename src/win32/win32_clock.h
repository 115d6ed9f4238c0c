#pragma once

#include <cstdint>
#include <mutex>

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
  // Windows 8 on) shifted by the zone's bias at that instant. The bias is asked of the zone
  // rules once per UTC second: the clock label reads the time a hundred times a second, and
  // under Wine each answer of the rules costs about as much as the rest of the tick. A zone
  // changes its bias only on a whole second, so the bias of the second holds throughout it.
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
  // The bias of one UTC second (FILETIME units), for LocalNow; any thread.
  std::mutex bias_mutex_;
  std::uint64_t bias_second_ = ~std::uint64_t{0};
  std::int64_t bias_ = 0;
};

}  // namespace tempiko::win32
