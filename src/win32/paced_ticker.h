#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace tempiko::win32 {

// The ticks of a window timer that asks, at each tick, whether it is due (loop::Timer::IsDue).
// A thread of its own sleeps the interval and asks; only a due tick posts `message` (with `id`
// as its wparam) to the window, and no other until the window thread has taken that one.
//
// Under Wine a window timer costs a round trip to wineserver at each tick, however little the
// tick does; a thread's sleep costs far less. The clock label ticks a hundred times a second
// and changes once a second: its ticks are asked here, and the window thread wakes only to
// write the label.
class PacedTicker {
 public:
  PacedTicker(HWND window, UINT message, UINT_PTR id, std::uint32_t interval_ms,
              std::function<bool()> is_due);
  // Stops the thread and waits for it (at most an interval).
  ~PacedTicker();
  PacedTicker(const PacedTicker&) = delete;
  PacedTicker& operator=(const PacedTicker&) = delete;

  // The window thread has taken the posted tick: the next due tick may be posted.
  void Delivered() { posted_ = false; }

 private:
  void Run();

  HWND window_;
  UINT message_;
  UINT_PTR id_;
  DWORD interval_ms_;
  std::function<bool()> is_due_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> posted_{false};
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace tempiko::win32
