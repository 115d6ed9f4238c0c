#pragma once

#include <cstdint>

#include "sync/system_clock.h"

namespace tempiko::posix {

// The native build's clock: reads the real clock and the local zone, and never sets anything.
class PosixClock : public sync::SystemClock {
 public:
  // The current local date-time from CLOCK_REALTIME, to the nanosecond the platform gives.
  sync::DateTime LocalNow() override;

  // The local zone's offset (tm_gmtoff) in force at the given local date-time, in days.
  double ZoneShift(sync::DateTime local) override;

  // CLOCK_MONOTONIC in milliseconds, cut to 32 bits like the tick counter it stands for.
  std::uint32_t TickCount() override;

  // Reports the NT family: the clock reading never falls back to counting ticks.
  int PlatformId() override { return 2; }

  // The native build never sets the clock: both answer "privilege not held".
  int SetSystemTime(const sync::CalendarFields&) override { return sync::kErrorPrivilegeNotHeld; }
  int SetLocalTime(const sync::CalendarFields&) override { return sync::kErrorPrivilegeNotHeld; }
};

}  // namespace tempiko::posix
