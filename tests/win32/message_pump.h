#pragma once

#include <windows.h>

#include <functional>

namespace tempiko::test {

// Runs this thread's window messages until `done` answers true or `limit_ms` has passed, as
// the program's message loop would; answers `done()`.
inline bool PumpMessagesUntil(const std::function<bool()>& done, DWORD limit_ms = 10'000) {
  const ULONGLONG deadline = GetTickCount64() + limit_ms;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

}  // namespace tempiko::test
