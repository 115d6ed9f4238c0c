#include "sync/clock_reader.h"

namespace tempiko::sync {
namespace {

// The platform identifier of the Windows 95/98/Me family, whose clock reading is coarse enough
// that the program counts ticks from a base instead.
constexpr int kPlatformWin9x = 1;

}  // namespace

DateTime ClockReader::ClockNow() {
  const DateTime reading = clock_.LocalNow();
  if (clock_.PlatformId() != kPlatformWin9x) {
    return reading;
  }
  const std::uint32_t tick = clock_.TickCount();
  std::uint32_t base_tick;
  DateTime base_time;
  {
    std::lock_guard lock(base_lock_);
    base_tick = base_tick_;
    base_time = base_time_;
  }
  // Unsigned 32-bit difference: a wrap of the counter between base and reading still gives the
  // true elapsed milliseconds.
  const std::uint32_t elapsed_ms = tick - base_tick;
  if (elapsed_ms == 0) {
    // Same tick as the base (right after a clock setting): the system reading is fresher.
    return reading;
  }
  return base_time + elapsed_ms / kMillisecondsPerDay;
}

void ClockReader::TakeBase() {
  const std::uint32_t tick = clock_.TickCount();
  const DateTime time = clock_.LocalNow();
  std::lock_guard lock(base_lock_);
  base_tick_ = tick;
  base_time_ = time;
}

double ClockReader::UtcShift(DateTime local) {
  return clock_.ZoneShift(local);
}

DateTime ClockReader::UtcNow() {
  const DateTime local = ClockNow();
  return local - UtcShift(local);
}

}  // namespace tempiko::sync
