#include "win32/paced_ticker.h"

#include <utility>

namespace tempiko::win32 {

PacedTicker::PacedTicker(HWND window, UINT message, UINT_PTR id, std::uint32_t interval_ms,
                         std::function<bool()> is_due)
    : window_(window),
      message_(message),
      id_(id),
      interval_ms_(interval_ms),
      is_due_(std::move(is_due)),
      thread_([this] { Run(); }) {}

PacedTicker::~PacedTicker() {
  stopping_ = true;
  thread_.join();
}

void PacedTicker::Run() {
  while (!stopping_) {
    Sleep(interval_ms_);
    if (stopping_ || posted_ || !is_due_())
      continue;
    posted_ = true;
    if (!PostMessageW(window_, message_, id_, 0))
      posted_ = false;  // the queue refused it: the next tick tries again
  }
}

}  // namespace tempiko::win32
