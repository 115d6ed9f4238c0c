#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sync/date_time.h"
#include "sync/system_clock.h"

namespace tempiko::fakes {

// A recording clock whose readings the test sets. Local time, zone shift and tick count stand still
// until the test moves them (or the local time moves on by a step at each reading), so every
// reading is known in advance. The clock may be read from
// a worker thread while the test moves it, hence the lock.
class FakeClock : public sync::SystemClock {
 public:
  static constexpr double kJapanShift = 0.375;  // nine hours
  static constexpr int kPlatformNt = 2;
  static constexpr int kPlatformWin9x = 1;

  sync::DateTime LocalNow() override {
    std::lock_guard lock(mutex_);
    const sync::DateTime reading = local_now_;
    local_now_ += step_per_reading_;
    return reading;
  }
  double ZoneShift(sync::DateTime /*local*/) override {
    std::lock_guard lock(mutex_);
    return zone_shift_;
  }
  std::uint32_t TickCount() override {
    std::lock_guard lock(mutex_);
    return tick_count_;
  }
  int PlatformId() override {
    std::lock_guard lock(mutex_);
    return platform_id_;
  }

  // Records the setting; answers the error the test chose (0: accepted). The readings do not
  // move: the test decides what the clock reads afterwards.
  int SetSystemTime(const sync::CalendarFields& utc) override {
    std::lock_guard lock(mutex_);
    system_time_settings_.push_back(utc);
    utc_at_settings_.push_back(local_now_ - zone_shift_);
    return set_error_;
  }
  int SetLocalTime(const sync::CalendarFields& local) override {
    std::lock_guard lock(mutex_);
    local_time_settings_.push_back(local);
    return set_error_;
  }
  void SetSettingError(int error) {
    std::lock_guard lock(mutex_);
    set_error_ = error;
  }
  std::vector<sync::CalendarFields> SystemTimeSettings() {
    std::lock_guard lock(mutex_);
    return system_time_settings_;
  }
  // The clock's UTC reading at each SetSystemTime.
  std::vector<sync::DateTime> UtcAtSystemTimeSettings() {
    std::lock_guard lock(mutex_);
    return utc_at_settings_;
  }
  std::vector<sync::CalendarFields> LocalTimeSettings() {
    std::lock_guard lock(mutex_);
    return local_time_settings_;
  }

  void SetLocalNow(sync::DateTime local) {
    std::lock_guard lock(mutex_);
    local_now_ = local;
  }
  // From now on every reading of the local time moves it on by `milliseconds`, as a precise
  // clock moves between two readings.
  void SetStepPerReading(double milliseconds) {
    std::lock_guard lock(mutex_);
    step_per_reading_ = milliseconds / sync::kMillisecondsPerDay;
  }
  void SetZoneShift(double shift) {
    std::lock_guard lock(mutex_);
    zone_shift_ = shift;
  }
  void SetTickCount(std::uint32_t tick) {
    std::lock_guard lock(mutex_);
    tick_count_ = tick;
  }
  void SetPlatformId(int id) {
    std::lock_guard lock(mutex_);
    platform_id_ = id;
  }

  // Lets time pass: the local clock and the tick counter move on together (the counter wraps
  // as the real one does).
  void Advance(std::uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    local_now_ += milliseconds / sync::kMillisecondsPerDay;
    tick_count_ += milliseconds;
  }

 protected:
  std::mutex mutex_;
  sync::DateTime local_now_ = 43'831.5;  // 2020-01-01 12:00:00 local
  sync::DateTime step_per_reading_ = 0;
  double zone_shift_ = kJapanShift;
  std::uint32_t tick_count_ = 0;
  int platform_id_ = kPlatformNt;
  int set_error_ = 0;
  std::vector<sync::CalendarFields> system_time_settings_;
  std::vector<sync::DateTime> utc_at_settings_;
  std::vector<sync::CalendarFields> local_time_settings_;
};

}  // namespace tempiko::fakes
