#pragma once

#include <cstdint>
#include <mutex>

#include "sync/date_time.h"
#include "sync/system_clock.h"

namespace tempiko::sync {

// ClockNow and the clock-reading base (BaseTick/BaseTime). The base is written on the window
// thread and read by the synchronisation worker, hence the lock.
class ClockReader {
 public:
  explicit ClockReader(SystemClock& clock) : clock_(clock) {}

  // The program's local clock reading. On the 9x family it advances from the base by the tick
  // counter (a wrap of the counter still gives the true difference); elsewhere, and in the
  // same tick as the base, it is the system's local date-time.
  DateTime ClockNow();

  // Takes a new base: BaseTick from the tick counter, BaseTime right after from the clock.
  void TakeBase();

  // The local zone's distance from UTC at the given local date-time (UtcShift), in days: the
  // zone's real offset at that moment, daylight saving included (0.375 in Japan), so that T1
  // and T4 are true UTC whatever the computer's zone.
  double UtcShift(DateTime local);

  // ClockNow − UtcShift: the UTC instant the program's T1 and T4 are made of.
  DateTime UtcNow();

  SystemClock& clock() { return clock_; }

 private:
  SystemClock& clock_;
  std::mutex base_lock_;
  std::uint32_t base_tick_ = 0;
  DateTime base_time_ = 0;
};

}  // namespace tempiko::sync
