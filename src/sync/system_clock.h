#pragma once

#include <cstdint>

#include "sync/date_time.h"

namespace tempiko::sync {

// The platform's clock as the program reads it. Implemented by the Win32 and POSIX adapters
// and by recording test clocks; no test clock ever reaches the machine's real clock.
class SystemClock {
 public:
  virtual ~SystemClock() = default;

  // The current local date-time, as precise as the platform reads it (sub-millisecond where
  // the platform allows).
  virtual DateTime LocalNow() = 0;

  // The local zone's distance from UTC at the given local date-time, in days: local − UTC
  // (0.375 in Japan, which has no daylight saving).
  virtual double ZoneShift(DateTime local) = 0;

  // The millisecond tick counter (GetTickCount): wraps every 49.7 days.
  virtual std::uint32_t TickCount() = 0;

  // The platform identifier the operating system reports: 1 for the Windows 95/98/Me family,
  // 2 for the NT family (every Windows this program runs on today).
  virtual int PlatformId() = 0;

  // Sets the system clock from a UTC date and time (SetSystemTime), having first enabled the
  // privilege the system asks for. Answers 0 on success, else the platform's error number.
  virtual int SetSystemTime(const CalendarFields& utc) = 0;
  // The same from a local date and time (SetLocalTime).
  virtual int SetLocalTime(const CalendarFields& local) = 0;
};

// Platform error numbers a refused clock setting is reported with.
inline constexpr int kErrorAccessDenied = 5;
inline constexpr int kErrorPrivilegeNotHeld = 1314;

}  // namespace tempiko::sync
