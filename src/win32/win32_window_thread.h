#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "loop/threads.h"
#include "loop/timer.h"
#include "win32/owned.h"
#include "win32/paced_ticker.h"

namespace tempiko::win32 {

// The window thread's services on a hidden window of its own: workers' Invoke calls and the
// window timers (those with IsDue tick through a PacedTicker). Create it on the window thread; its
// messages are served by that thread's message loop. Throws WindowRefused when the system refuses
// the hidden window.
class Win32WindowThread final : public loop::WindowThread, public loop::TimerHost {
 public:
  Win32WindowThread();
  ~Win32WindowThread() override;
  Win32WindowThread(const Win32WindowThread&) = delete;
  Win32WindowThread& operator=(const Win32WindowThread&) = delete;

  void Invoke(const std::function<void()>& action) override;
  void Post(std::function<void()> action) override;
  void StartTimer(loop::Timer& timer, std::uint32_t interval_ms) override;
  void StopTimer(loop::Timer& timer) override;

  // From now on workers' Invoke calls end in EAbort, also those already waiting: the window
  // is closing and will wait for its workers.
  void Shutdown();

 private:
  struct Call;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void RunCall(LPARAM lparam);
  // Posts the call to the window; throws EAbort once shutting down.
  void Queue(const std::shared_ptr<Call>& call);
  void OnTimer(UINT_PTR id);

  UniqueWindow window_;
  DWORD thread_id_ = 0;
  UniqueHandle shutdown_;  // manual-reset event, set by Shutdown
  std::map<UINT_PTR, loop::Timer*> timers_;
  std::map<UINT_PTR, std::unique_ptr<PacedTicker>> paced_;  // of the timers with IsDue
  UINT_PTR next_timer_id_ = 1;
};

}  // namespace tempiko::win32
