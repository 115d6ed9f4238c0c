#pragma once

// Window timers in virtual time: nothing ticks until the test lets time pass with Advance.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "fakes/fake_window_thread.h"
#include "loop/timer.h"

namespace tempiko::fakes {

class VirtualTimerHost final : public loop::TimerHost {
 public:
  // With roles, every start and stop of a timer is checked to happen on the window thread.
  explicit VirtualTimerHost(ThreadRoles* roles = nullptr) : roles_(roles) {}

  void StartTimer(loop::Timer& timer, std::uint32_t interval_ms) override {
    Check("timer start");
    Remove(timer);
    timers_.push_back({&timer, interval_ms, now_ + interval_ms, next_order_++});
  }
  void StopTimer(loop::Timer& timer) override {
    Check("timer stop");
    Remove(timer);
  }

  // Lets `ms` milliseconds pass, firing every tick that falls due, in time order (timers due
  // at the same moment in the order they were started). A tick may start or stop timers.
  void Advance(std::uint64_t ms) {
    const std::uint64_t end = now_ + ms;
    while (Running* next = NextDue(end)) {
      now_ = next->due;
      next->due += next->interval;
      loop::Timer* timer = next->timer;
      if (!timer->IsDue || timer->IsDue())
        timer->Tick();
    }
    now_ = end;
  }

  std::uint64_t Now() const { return now_; }
  // When the timer ticks next, or nothing when it is not running.
  std::optional<std::uint64_t> DueTime(const loop::Timer& timer) const {
    for (const Running& running : timers_) {
      if (running.timer == &timer) {
        return running.due;
      }
    }
    return std::nullopt;
  }

 private:
  struct Running {
    loop::Timer* timer;
    std::uint64_t interval;
    std::uint64_t due;
    std::uint64_t order;
  };

  Running* NextDue(std::uint64_t end) {
    Running* next = nullptr;
    for (Running& running : timers_) {
      if (running.due <= end && (next == nullptr || running.due < next->due ||
                                 (running.due == next->due && running.order < next->order))) {
        next = &running;
      }
    }
    return next;
  }

  void Remove(const loop::Timer& timer) {
    std::erase_if(timers_, [&](const Running& running) { return running.timer == &timer; });
  }

  void Check(const char* what) {
    if (roles_ != nullptr) {
      roles_->Check(what);
    }
  }

  ThreadRoles* roles_;
  std::vector<Running> timers_;
  std::uint64_t now_ = 0;
  std::uint64_t next_order_ = 0;
};

}  // namespace tempiko::fakes
