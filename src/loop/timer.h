#pragma once

#include <cstdint>
#include <functional>

namespace tempiko::loop {

class Timer;

// The window's timer facility: the real window's WM_TIMER, or virtual time in tests. Ticks
// arrive on the window thread.
class TimerHost {
 public:
  virtual ~TimerHost() = default;
  // (Re)starts the periodic count for the timer: its first tick comes `interval_ms` from now.
  virtual void StartTimer(Timer& timer, std::uint32_t interval_ms) = 0;
  virtual void StopTimer(Timer& timer) = 0;
};

// A window timer. Changing the interval or switching it on restarts the count; setting the
// same interval or state again leaves a running count alone. An interval of 0 never ticks.
class Timer {
 public:
  Timer(TimerHost& host, std::uint32_t interval_ms, bool enabled)
      : host_(host), interval_(interval_ms), enabled_(enabled) {}
  ~Timer() { host_.StopTimer(*this); }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  std::function<void()> OnTimer;
  // Optional, set before the timer is first started: asked before each tick, from any thread
  // (a host may ask on a thread of its own, so as not to wake the window thread for nothing);
  // a tick it answers false for does not happen. OnTimer may still find nothing to do.
  std::function<bool()> IsDue;

  std::uint32_t Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  void SetInterval(std::uint32_t interval_ms) {
    if (interval_ms == interval_)
      return;
    interval_ = interval_ms;
    Update();
  }
  void SetEnabled(bool enabled) {
    if (enabled == enabled_)
      return;
    enabled_ = enabled;
    Update();
  }
  // Arms the timer as its settings say; the window calls it once OnTimer is bound.
  void Update() {
    host_.StopTimer(*this);
    if (enabled_ && interval_ != 0)
      host_.StartTimer(*this, interval_);
  }
  // Called by the host at each tick.
  void Tick() {
    if (enabled_ && OnTimer)
      OnTimer();
  }

 private:
  TimerHost& host_;
  std::uint32_t interval_;
  bool enabled_;
};

}  // namespace tempiko::loop
