// The floor under the clock label's cost: a window shown with a timer of the same interval
// whose ticks do nothing. What this costs is the system's own price of the ticks (under Wine,
// a round trip to wineserver for each); scripts/bench/window_measure.sh measures it beside the
// program.
//   timer_floor [INTERVAL-MS]   (10 by default; 0: no timer)
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_TIMER)
    return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"TempikoTimerFloor";
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(L"TempikoTimerFloor", L"timer floor", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                              200, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  const long interval_ms = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 10;
  if (interval_ms > 0)
    SetTimer(window, 1, static_cast<UINT>(interval_ms), nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0)
    DispatchMessageW(&message);
  return 0;
}
