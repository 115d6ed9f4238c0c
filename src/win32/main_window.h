#pragma once

#include <windows.h>

#include "sync/locale.h"
#include "win32/win32_clock.h"

namespace tempiko::win32 {

// The program's main window. For now it shows the running clock in the default display
// pattern; the controls of the synchronisation grow here.
class MainWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TForm1";
  static constexpr wchar_t kTitle[] = L"Tempiko！";

  // Creates and shows the window; false when the system refused.
  bool Create(HINSTANCE instance, int show_command);
  HWND handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void RefreshClock();
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

  HWND window_ = nullptr;
  HWND clock_label_ = nullptr;
  HFONT font_ = nullptr;
  HFONT clock_font_ = nullptr;
  HBRUSH black_ = nullptr;
  UINT dpi_ = 96;
  Win32Clock clock_;
  sync::Locale locale_;
};

}  // namespace tempiko::win32
